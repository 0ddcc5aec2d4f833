// Pacing of the register send: a 500-entry VGAReg.cfg at 2 ms and at 0 ms, sent through a
// real pseudo-terminal. Prints the total time against entries x pause, and when the last
// frame arrived on the far side.
#include "PtyPair.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

void runOnce(int entries, int pauseMs)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("VGAReg.cfg")));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::number(pauseMs) + "\r\n");
    for (int i = 0; i < entries; ++i)
        file.write(QByteArray::number(i % 256) + ",&H20," + QByteArray::number((i * 7) % 256) + "\r\n");
    file.close();

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("register send pacing:\n");
    runOnce(500, 2);
    runOnce(500, 0);
    return 0;
}
