// Pacing of the register send: a 500-entry VGAReg.cfg at 2 ms and at 0 ms, sent through a
// real pseudo-terminal. Prints the total time against entries x pause, and when the last
// frame arrived on the far side. Then a slow line: entries without a pause through a
// pseudo-terminal read at 960 bytes a second (9600 baud), with the time from the first to the
// last byte against the line's own time for those bytes, and the console's processor time.
#include "PtyPair.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

void writeRegisterFile(const QTemporaryDir &dir, int entries, int pauseMs)
{
    QFile file(dir.filePath(QStringLiteral("VGAReg.cfg")));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::number(pauseMs) + "\r\n");
    for (int i = 0; i < entries; ++i)
        file.write(QByteArray::number(i % 256) + ",&H20," + QByteArray::number((i * 7) % 256) + "\r\n");
}

void runOnce(int entries, int pauseMs)
{
    QTemporaryDir dir;
    writeRegisterFile(dir, entries, pauseMs);

    PtyPair pty;
    SerialLink link;
    if (link.open(pty.slavePath(), PortSettings::defaults()) != 0) {
        std::printf("cannot open the pseudo-terminal\n");
        return;
    }
    Transmitter transmitter(link);
    VideoPanel panel(transmitter);
    VideoControl control(panel, transmitter, WorkingFolder(dir.path()));

    // The far side reads all the time, as a controller would.
    const qsizetype expected = qsizetype(entries) * 10;
    std::atomic<qint64> lastArrivalNs{0};
    QElapsedTimer clock;
    clock.start();
    std::thread reader([&] {
        pty.read(expected, 30000);
        lastArrivalNs = clock.nsecsElapsed();
    });

    QElapsedTimer timer;
    timer.start();
    const qint64 startNs = clock.nsecsElapsed();
    control.SendVgaRegisters();
    const double totalMs = timer.nsecsElapsed() / 1e6;
    reader.join();
    std::printf("  %d entries x %d ms: send took %8.1f ms (entries x pause = %d ms), last frame arrived at "
                "%8.1f ms\n",
                entries, pauseMs, totalMs, entries * pauseMs, (lastArrivalNs - startNs) / 1e6);
}

double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void slowLine(int entries)
{
    constexpr int BytesPerSecond = 960;
    QTemporaryDir dir;
    writeRegisterFile(dir, entries, 0);
    PtyPair pty;
    SerialLink link;
    if (link.open(pty.slavePath(), PortSettings::defaults()) != 0) {
        std::printf("cannot open the pseudo-terminal\n");
        return;
    }
    Transmitter transmitter(link);
    VideoPanel panel(transmitter);
    VideoControl control(panel, transmitter, WorkingFolder(dir.path()));
    bool lost = false;
    QObject::connect(&link, &SerialLink::lost, [&lost] { lost = true; });

    // The far side takes 48 bytes every 50 ms, as a 9600-baud line does.
    const qsizetype expected = qsizetype(entries) * 10;
    std::atomic<qint64> firstNs{-1}, lastNs{-1};
    std::atomic<qsizetype> got{0};
    QElapsedTimer clock;
    clock.start();
    std::thread reader([&] {
        while (got < expected && clock.elapsed() < 120000) {
            const qint64 stepEnd = clock.nsecsElapsed() + 50'000'000;
            const QByteArray piece = pty.read(qMin<qsizetype>(BytesPerSecond / 20, expected - got), 50);
            if (!piece.isEmpty()) {
                if (firstNs < 0)
                    firstNs = clock.nsecsElapsed();
                lastNs = clock.nsecsElapsed();
                got += piece.size();
            }
            const qint64 left = stepEnd - clock.nsecsElapsed();
            if (left > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(left));
        }
    });
    const double cpuBefore = threadCpuMs();
    control.SendVgaRegisters();
    // The event loop runs as the console's does, looked at every 50 ms.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (got >= expected || clock.elapsed() > 120000 || lost)
            loop.quit();
    });
    check.start(50);
    loop.exec();
    const double cpuMs = threadCpuMs() - cpuBefore;
    reader.join();
    const double spanS = (lastNs - firstNs) / 1e9, lineS = double(expected) / BytesPerSecond;
    std::printf("  %d entries, no pause, 9600 baud: %lld of %lld bytes, first to last byte %.2f s, line time "
                "%.2f s, ratio %.3f; console CPU %.0f ms (%.2f %% of the span)%s\n",
                entries, static_cast<long long>(got.load()), static_cast<long long>(expected), spanS, lineS,
                spanS / lineS, cpuMs, 100 * cpuMs / 1e3 / spanS, lost ? "; PORT LOST" : "");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("register send pacing:\n");
    runOnce(500, 2);
    runOnce(500, 0);
    std::printf("slow line:\n");
    slowLine(1200);
    slowLine(3000); // beyond the pseudo-terminal's own buffer: the queue waits for the device
    return 0;
}
