#include "ConnectionStatusFrame.h"

#include "Controls.h"
#include "Journal.h"

#include <QDebug>
#include <QLineEdit>
#include <QVBoxLayout>

// The two object names go in the order the frame holds the box; the pages' tests find both.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
ConnectionStatusFrame::ConnectionStatusFrame(const QString &caption, const char *frameName,
                                             const char *boxName, QWidget *parent)
    : QGroupBox(caption, parent), m_box(new QLineEdit(this))
{
    setObjectName(QLatin1String(frameName));
    m_box->setObjectName(QLatin1String(boxName));
    makeDisplay(m_box);
    (new QVBoxLayout(this))->addWidget(m_box);
}

void ConnectionStatusFrame::showText(const QString &text)
{
    // A flooding peer brings thousands of arrivals: the text is only set when it changes.
    if (m_box->text() == text)
        return;
    // The link's ordinary states; any other text is a socket error (a refused connection,
    // a reset, a port that cannot be had), which the journal files as a warning.
    static const QStringList states{
        QStringLiteral("Socket Connected Successfully"), QStringLiteral("Socket Closed"),
        QStringLiteral("Server connection closed"), QStringLiteral("Socket Connection Request Accepted"),
        QStringLiteral("Socket Data Arrival")};
    Journal::write(QStringLiteral("remote"), text,
                   states.contains(text) ? Journal::Priority::Info : Journal::Priority::Warning);
    m_box->setText(text);
}
