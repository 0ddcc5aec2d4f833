#include "NowAndNextStrip.h"

#include "ConsoleStatus.h"
#include "ElidedLabel.h"

#include <QGridLayout>

namespace {
// Enough for a caption and the start of its text at the window's smallest size.
constexpr int LabelCharacters = 16;
constexpr int Columns = 3;
} // namespace

NowAndNextStrip::NowAndNextStrip(const ConsoleStatus &status, QWidget *parent)
    : QFrame(parent), m_status(status)
{
    setObjectName(QStringLiteral("fraNowAndNext"));
    setFrameShape(QFrame::StyledPanel);
    static const char *names[] = {"lblPortNow",    "lblSettingNow", "lblIntensityNow",
                                  "lblNextSwitch", "lblRemoteNow",  "lblLastReply"};
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(4, 2, 4, 2);
    m_grid->setVerticalSpacing(0);
    for (int part = 0; part < ConsoleStatus::PartCount; ++part) {
        auto *label = new ElidedLabel(LabelCharacters, this);
        label->setObjectName(QLatin1String(names[part]));
        label->hide();
        m_labels[static_cast<size_t>(part)] = label;
    }
    for (int column = 0; column < Columns; ++column)
        m_grid->setColumnStretch(column, 1);
    connect(&status, &ConsoleStatus::changed, this, &NowAndNextStrip::refresh);
    refresh();
}

void NowAndNextStrip::refresh()
{
    QList<int> shown;
    for (int part = 0; part < ConsoleStatus::PartCount; ++part) {
        const auto which = static_cast<ConsoleStatus::Part>(part);
        const QString text = m_status.text(which);
        if (text.isEmpty())
            continue;
        shown.append(part);
        m_labels[static_cast<size_t>(part)]->setFullText(
            ConsoleStatus::caption(which) + QStringLiteral(": ") + text, m_status.detail(which));
    }
    if (shown != m_arranged)
        arrange(shown);
}

// The parts in use fill the rows in order, so none leaves a gap.
void NowAndNextStrip::arrange(const QList<int> &parts)
{
    for (ElidedLabel *label : m_labels) {
        m_grid->removeWidget(label);
        label->hide();
    }
    for (int i = 0; i < parts.size(); ++i) {
        ElidedLabel *label = m_labels[static_cast<size_t>(parts.at(i))];
        m_grid->addWidget(label, i / Columns, i % Columns);
        label->show();
    }
    m_arranged = parts;
}
