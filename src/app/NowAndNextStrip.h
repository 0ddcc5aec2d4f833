#pragma once

#include <QFrame>
#include <array>

class ConsoleStatus;
class ElidedLabel;
class QGridLayout;

// The strip under the tab pages (fraNowAndNext) that shows the console's status, one label
// for each part in use, three to a row: lblPortNow, lblSettingNow, lblIntensityNow,
// lblNextSwitch, lblRemoteNow and lblLastReply.
class NowAndNextStrip : public QFrame {
    Q_OBJECT
public:
    explicit NowAndNextStrip(const ConsoleStatus &status, QWidget *parent = nullptr);

    // Shows the status as it is now (done whenever it changes).
    void refresh();

private:
    void arrange(const QList<int> &parts);

    const ConsoleStatus &m_status;
    QGridLayout *m_grid = nullptr;
    std::array<ElidedLabel *, 6> m_labels{};
    QList<int> m_arranged; // the parts in the grid, in order
};
