// The table engine at its limit: a 32767-entry daily schedule and schedule task loaded
// (with the sort), saved, shown in a grid and ticked; then how long after a whole minute
// the first byte of the daily schedule's switch, and of the intensity runner's, reaches the
// far side of a real pseudo-terminal.
#include "CellText.h"
#include "ConsoleState.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "InForceView.h"
#include "MissingFiles.h"
#include "PtyPair.h"
#include "ScheduleTask.h"
#include "SerialLink.h"
#include "TableModel.h"
#include "TablePageKit.h"
#include "Transmitter.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

constexpr int Entries = 32767;

class FixedClock : public Clock {
public:
    QDateTime now() const override { return at; }
    QDateTime at{QDate(2026, 3, 1), QTime(12, 0)};
};

// The system clock moved so that the next minute is 'lead' ms away when the bench starts.
class ShiftedClock : public Clock {
public:
    explicit ShiftedClock(int leadMs)
    {
        const QDateTime real = QDateTime::currentDateTime();
        const QDateTime target(real.date().addDays(1), QTime(18, 0));
        m_offsetMs = real.msecsTo(target) - leadMs;
    }
    QDateTime now() const override { return QDateTime::currentDateTime().addMSecs(m_offsetMs); }

private:
    qint64 m_offsetMs = 0;
};

double timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.nsecsElapsed() / 1e6;
}

// Unsorted on purpose, so the load pays for the sort.
void writeTable(const QString &path, const std::function<QString(int)> &entry)
{
    QByteArray text = QByteArray::number(Entries + 1) + ",\"";
    for (int i = 0; i < Entries; ++i) {
        if (i > 0)
            text += '\r';
        text += entry((i * 7919) % Entries).toUtf8();
    }
    text += "\"\r\n";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
}

// The strip under a page's grid: worked out again and painted, as after each edit.
void benchStrip(TimelineStrip::Span span, const Clock &clock, const Table &table, int keyCell, const char *what)
{
    InForceView view(span, clock,
                     {{"strip", QString(), [&] { return table.column(keyCell); },
                       [&](int entry) { return table.cell(entry, 2); }, [&](int entry) { return table.cell(entry, 2); },
                       {}}},
                     "at");
    view.resize(800, 80);
    view.show();
    QApplication::processEvents();
    const double recompute = timed([&] { view.recompute(); });
    const double paint = timed([&] { view.strip(0)->repaint(); });
    std::printf("%s strip, %d entries: worked out %.1f ms, painted %.1f ms (%lld stretches)\n", what, Entries,
                recompute, paint, static_cast<long long>(view.strip(0)->bands().size()));
}

void benchDaily(const QString &dir)
{
    const QString path = dir + "/big.shd";
    writeTable(path, [](int i) {
        return "\t" + CellText::ofTime(QTime(0, 0).addSecs(60 * (i % 1440))) + "\tfile" + QString::number(i) + ".pav";
    });
    ConsoleState state;
    FixedClock clock;
    int loads = 0;
    DailySchedule daily(state, WorkingFolder(dir), clock,
                        [&](const QString &) { return ++loads, FileLoad(); });
    const double load = timed([&] { daily.OpenScheduleFile(path); });
    daily.stopRunner();
    const double save = timed([&] { daily.SaveScheduleFile(dir + "/saved.shd"); });
    const double tick = timed([&] { daily.tick(); });

    // Every entry names a file that does not exist: each is looked up, and marked in the grid.
    MissingFiles missing(WorkingFolder(dir), [&] { return daily.table().column(DailySchedule::PathCell); });
    const double marks = timed([&] { missing.refresh(); });
    TableModel model(daily.table(), {QString(), "Time", "File"});
    model.setMarks(DailySchedule::PathCell, [&](int row) {
        return TablePageKit::entryMark(daily.table(), DailySchedule::PathCell, row, true,
                                       daily.failedSwitch(), missing);
    });
    QTableView view;
    view.resize(800, 600);
    view.setModel(&model);
    view.show();
    const double show = timed([&] { QApplication::processEvents(); });
    const double scroll = timed([&] {
        for (int row = 0; row < Entries; row += Entries / 20) {
            view.scrollTo(model.index(row, 0));
            QApplication::processEvents();
        }
    });
    std::printf(
        "daily schedule, %d entries: load and sort %.1f ms, save %.1f ms, one tick %.2f ms, "
        "missing files looked up %.1f ms, grid shown %.1f ms, 21 scroll steps %.1f ms (%d entries read)\n",
        Entries, load, save, tick, marks, show, scroll, daily.table().entryCount());
    benchStrip(TimelineStrip::Span::Day, clock, daily.table(), DailySchedule::TimeCell, "daily schedule");
}

void benchTask(const QString &dir)
{
    const QString path = dir + "/big.tsk";
    writeTable(path, [](int i) {
        const QDate date = QDate(2000, 1, 1).addDays(i);
        return "\t" + CellText::ofDate(date) + "\tday" + QString::number(i) + ".shd\t" + CellText::dateKey(CellText::ofDate(date));
    });
    ConsoleState state;
    FixedClock clock;
    DailySchedule daily(state, WorkingFolder(dir), clock, [](const QString &) { return FileLoad(); });
    ScheduleTask task(state, daily, clock);
    const double load = timed([&] { task.OpenScheduleTask(path); });
    task.stopRunner();
    const double save = timed([&] { task.SaveScheduleTask(dir + "/saved.tsk"); });
    const double sort = timed([&] { task.SortScheduleTask(); });
    std::printf("schedule task, %d entries: load and sort %.1f ms, save %.1f ms, sort again %.1f ms (%d entries read)\n",
                Entries, load, save, sort, task.table().entryCount());
    benchStrip(TimelineStrip::Span::Year, clock, task.table(), ScheduleTask::KeyCell, "schedule task");
}

// The first byte on the pseudo-terminal after the minute, which lies 'leadMs' after
// 'sinceStart' began; bytes before it (the entry in force until then) are passed over.
double firstByteAfterTheMinute(PtyPair &pty, int leadMs, const QElapsedTimer &sinceStart)
{
    double latency = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pty.read(1 << 16, 0).isEmpty())
            return;
        const double at = sinceStart.nsecsElapsed() / 1e6 - leadMs;
        if (at >= -50) {
            latency = at;
            QApplication::quit();
        }
    });
    poll.start(0);
    QTimer giveUp; // local, so it cannot end a later run
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::quit(); });
    giveUp.start(leadMs + 3000);
    QApplication::exec();
    return latency;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// A schedule switching at 18:00, the clock 'leadMs' before it: how long after the minute
// the first byte of the evening's setting file arrived.
double scheduleSwitch(const QString &dir, int leadMs)
{
    writeFile(dir + "/evening.pav",
              "\"Freeze\"\r\n\"VGA\"\r\n\"Weak\"\r\n\"Weak\"\r\n\"On\"\r\n\"100\"\r\n\"110\"\r\n\"120\"\r\n\"130\"\r\n");
    writeFile(dir + "/switch.shd", "3,\"\t06:00\tdefault.pav\r\t18:00\tevening.pav\"\r\n");

    PtyPair pty;
    SerialLink link;
    link.open(pty.slavePath(), PortSettings::defaults());
    Transmitter transmitter(link);
    VideoPanel panel(transmitter);
    ConsoleState state;
    VideoControl control(panel, transmitter, WorkingFolder(dir), state);
    ShiftedClock clock(leadMs);
    DailySchedule daily(state, WorkingFolder(dir), clock,
                        [&](const QString &file) { return control.loadSettingFile(file); });
    QElapsedTimer sinceStart;
    sinceStart.start();
    daily.OpenScheduleFile(dir + "/switch.shd");
    return firstByteAfterTheMinute(pty, leadMs, sinceStart);
}

// The same for an automatic intensity table switching at 18:00: the level frame.
double intensitySwitch(const QString &dir, int leadMs)
{
    writeFile(dir + "/switch.int",
              "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n3,\"\t06:00\tLow\t0\r\t18:00\tHigh\t2\"\r\n");

    PtyPair pty;
    SerialLink link;
    link.open(pty.slavePath(), PortSettings::defaults());
    Transmitter transmitter(link);
    transmitter.setIntensityLevels({"10", "100", "200"});
    ConsoleState state;
    ShiftedClock clock(leadMs);
    DailyIntensity intensity(state, WorkingFolder(dir), clock,
                             [&](int mode, int value) { return transmitter.TransmitToKVR(mode, value).whyNot; });
    intensity.setConfiguration({"Low", "Mid", "High"}, true);
    QElapsedTimer sinceStart;
    sinceStart.start();
    intensity.OpenIntensityFile(dir + "/switch.int");
    return firstByteAfterTheMinute(pty, leadMs, sinceStart);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    benchDaily(dir.path());
    benchTask(dir.path());
    for (int lead : {1500, 2300, 1700}) {
        std::printf("schedule switch at the minute: first byte %.1f ms after it\n", scheduleSwitch(dir.path(), lead));
        std::printf("intensity switch at the minute: level frame %.1f ms after it\n",
                    intensitySwitch(dir.path(), lead));
    }
    return 0;
}
