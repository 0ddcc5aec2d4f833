#include "PageTable.h"

#include <QStringList>

QString designCaption(int page)
{
    static const QStringList captions{"Video",     "NVideo",  "Schedule", "SchTask",
                                      "Intensity", "IntTask", "Client",   "Server"};
    return captions.value(page);
}

QString pageToolTip(int page)
{
    static const QStringList tips{"Operations Mode",
                                  "Operations Mode",
                                  "Daily Operations Mode Scheduler",
                                  "Yearly Operations Mode Scheduled Task",
                                  "Daily Intensity Setting",
                                  "Yearly Intensity Setting Scheduled Task",
                                  "Client",
                                  "Server"};
    return tips.value(page);
}
