#pragma once

#include "Journal.h"

#include "PageTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

// What ConfigSetup.txt decides for an installation: the pages in use and their captions,
// the intensity levels and whether the watchdog command is sent.
struct InstallationConfig {
    static constexpr int MinLevels = 2; // both intensity lists preselect position 1
    static constexpr int MaxLevels = 5; // the tables hold six names and six codes
    static constexpr int TableSize = 6;
    static constexpr int MaxNameLength = 64; // captions and level names beyond it are cut

    int pageCount = PageCount;
    int pagesPerRow = PageCount;
    std::array<QString, PageCount> captions;
    std::array<bool, PageCount> inUse{};

    int IntensityLevelCount = MinLevels;
    QStringList IntensityLevelNames = QStringList(TableSize); // names, by level position
    QStringList IntensityLevels = QStringList(TableSize);     // code sent for each position
    int WatchdogEnabled = 0;

    InstallationConfig();
    bool pageInUse(Page page) const { return inUse[static_cast<size_t>(page)]; }
};

struct ConfigSetupRead {
    InstallationConfig config; // as far as read: no page in use when the file could not be used
    QString problem;           // why the read stopped early; empty when the whole file was read
    QString warning;           // something brought into line, e.g. the level count
    int pageRecordsRead = 0;   // page records read before any problem

    // What the operator is told about the file in 'folder', in order, each with its weight in
    // the journal; none for a good file.
    QList<std::pair<Journal::Priority, QString>> messages(const QString &folder) const;
};

// LoadConfigSetup's reading part. Fields in order: page count and an ignored text, pages
// per row and an ignored text, a record (index, caption, flag) per page, the level count,
// one more level name than levels, a code per level, an ignored text, the watchdog flag.
class ConfigSetup {
public:
    // Eight page records and six levels take a few hundred bytes; this is plenty.
    static constexpr qint64 MaxFileSize = qint64(64) * 1024;

    static ConfigSetupRead parse(const QByteArray &data);
    static ConfigSetupRead read(const QString &path);
};
