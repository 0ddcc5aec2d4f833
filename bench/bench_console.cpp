// The built console as an operator starts it: time from process start to the window shown
// and idle memory, beside a bare Qt window measured in the same run; then the console's CPU
// share while the simulator streams at 115200 baud (11520 bytes/s) for a minute, and while it
// idles for a minute with every page in use and every runner running.
#include "BusyFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// A copy of the console in a folder of its own, with a working folder whose Com 1 is the
// simulator's device.
QString prepareConsole(const QTemporaryDir &dir)
{
    QDir(dir.path()).mkpath(QStringLiteral("sys"));
    const QString console = dir.filePath(QStringLiteral("pav-control"));
    QFile::copy(QStringLiteral(PAV_CONSOLE_PATH), console);
    writeFile(dir.filePath("sys/comset.prt"), "0\r\n7\r\n4\r\n0\r\n0\r\n");
    writeFile(dir.filePath("sys/ComPorts.txt"), "1,\"ttyKVR\"\r\n");
    writeFile(dir.filePath("sys/ConfigSetup.txt"),
              "8,\"\"\r\n4,\"\"\r\n0,\"Video\",1\r\n1,\"NVideo\",1\r\n2,\"Schedule\",0\r\n3,\"SchTask\",0\r\n"
              "4,\"Intensity\",0\r\n5,\"IntTask\",0\r\n6,\"Client\",0\r\n7,\"Server\",0\r\n3\r\n"
              "\"Low\",\"Mid\",\"High\",\"\"\r\n\"10\",\"100\",\"200\"\r\n\"\"\r\n1\r\n");
    return console;
}

bool startSimulator(QProcess &sim, const QTemporaryDir &dir, const QStringList &extra)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(KVR_SIM_PATH),
              QStringList{"--link", dir.filePath("sys/ttyKVR"), "--quiet"} + extra);
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(dir.filePath("sys/ttyKVR")) && wait.elapsed() < 5000)
        QThread::msleep(10);
    return QFile::exists(dir.filePath("sys/ttyKVR"));
}

qint64 rssKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// User and system time of a process, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
}

struct StartFigures {
    double msToWindow = -1;
    qint64 idleRssKiB = -1;
};

StartFigures measureStart(const QString &program, const QString &folder)
{
    StartFigures figures;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    QByteArray output;
    while (!output.contains("window shown") && timer.elapsed() < 20000) {
        process.waitForReadyRead(50);
        output += process.readAll();
    }
    if (output.contains("window shown"))
        figures.msToWindow = timer.nsecsElapsed() / 1e6;
    QThread::msleep(2000);
    figures.idleRssKiB = rssKiB(process.processId());
    process.terminate();
    process.waitForFinished(5000);
    return figures;
}

// Time on a CPU of all threads of a process, in nanoseconds (/proc/<pid>/task/*/schedstat):
// finer than the clock ticks of /proc/<pid>/stat, of which a quiet minute has a handful.
qint64 cpuNanoseconds(qint64 pid)
{
    qint64 sum = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            sum += stat.readAll().split(' ').value(0).toLongLong();
    }
    return sum;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    std::printf("start-up (median of 5; process start to window shown; RSS after 2 s idle):\n");
    std::vector<double> consoleMs, bareMs;
    qint64 consoleRss = 0, bareRss = 0;
    for (int run = 0; run < 5; ++run) {
        QTemporaryDir dir;
        const QString console = prepareConsole(dir);
        QProcess sim;
        startSimulator(sim, dir, {});
        const StartFigures c = measureStart(console, dir.path());
        sim.terminate();
        sim.waitForFinished(3000);
        const StartFigures b = measureStart(QStringLiteral(BARE_WINDOW_PATH), dir.path());
        consoleMs.push_back(c.msToWindow);
        bareMs.push_back(b.msToWindow);
        consoleRss = c.idleRssKiB;
        bareRss = b.idleRssKiB;
    }
    std::printf("  console:     %6.1f ms, %6lld KiB\n", median(consoleMs),
                static_cast<long long>(consoleRss));
    std::printf("  bare window: %6.1f ms, %6lld KiB\n", median(bareMs), static_cast<long long>(bareRss));

    const int seconds = 60;
    std::printf("console CPU while the simulator streams 11520 bytes/s for %d s:\n", seconds);
    QTemporaryDir dir;
    const QString console = prepareConsole(dir);
    QProcess sim;
    startSimulator(sim, dir, {"--stream", "11520"});
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(console, {});
    process.waitForStarted();
    QThread::msleep(3000);
    const qint64 before = cpuTicks(process.processId());
    const qint64 simBefore = cpuTicks(sim.processId());
    QThread::sleep(seconds);
    const qint64 after = cpuTicks(process.processId());
    const qint64 simAfter = cpuTicks(sim.processId());
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("  console: %.1f %% of one core, RSS %lld KiB at the end\n",
                100.0 * (after - before) / ticksPerSecond / seconds,
                static_cast<long long>(rssKiB(process.processId())));
    std::printf("  simulator: %.1f %% of one core\n",
                100.0 * (simAfter - simBefore) / ticksPerSecond / seconds);
    process.terminate();
    process.waitForFinished(5000);
    sim.terminate();
    sim.waitForFinished(3000);

    std::printf("console CPU idle for %d s, every page in use and every runner running:\n", seconds);
    QTemporaryDir busy;
    const QString busyConsole = busy.filePath(QStringLiteral("pav-control"));
    QFile::copy(QStringLiteral(PAV_CONSOLE_PATH), busyConsole);
    writeBusyFolder(busy.filePath(QStringLiteral("sys")), QStringLiteral(PAV_SAMPLES_DIR),
                    QDate::currentDate());
    QProcess quietSim;
    startSimulator(quietSim, busy, {});
    QProcess idle;
    idle.setWorkingDirectory(busy.path());
    idle.setProcessChannelMode(QProcess::ForwardedOutputChannel); // the journal is not the figure
    idle.setStandardErrorFile(QProcess::nullDevice());
    idle.start(busyConsole, {});
    idle.waitForStarted();
    QThread::sleep(5);
    const qint64 idleTicks = cpuTicks(idle.processId());
    const qint64 idleNs = cpuNanoseconds(idle.processId());
    QThread::sleep(seconds);
    std::printf(
        "  console: %.2f %% of one core (/proc/<pid>/stat), %.3f %% (schedstat), RSS %lld KiB at the end\n",
        100.0 * (cpuTicks(idle.processId()) - idleTicks) / ticksPerSecond / seconds,
        100.0 * (cpuNanoseconds(idle.processId()) - idleNs) / 1e9 / seconds,
        static_cast<long long>(rssKiB(idle.processId())));
    idle.terminate();
    idle.waitForFinished(5000);
    quietSim.terminate();
    quietSim.waitForFinished(3000);
    return 0;
}
