#include "ConnectionStatusFrame.h"

#include "Controls.h"
#include "Journal.h"

#include <QDebug>
#include <QLineEdit>
#include <QVBoxLayout>

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
    Journal::write(QStringLiteral("remote"), text);
    m_box->setText(text);
}
