// The built console as server on 127.0.0.1:1001, its controller on a pseudo-terminal, with
// every reloading page of this build in use: the time from "UpdCmd" leaving a client to the
// last refresh frame on the line (default.pav alternates between two settings, so every
// reload changes all values); then the console's memory and CPU while a peer streams 100 MB
// at full speed, until a new client's word brings the refresh. Last, a storm: 2000 words in
// 2 s from a listed client while the controller takes 960 bytes a second (9600 baud): the
// refreshes run, the frames on the line, the time from the last word until the line is idle,
// and the console's CPU during the burst.
#include "ConsoleProcess.h"
#include "TestNetwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QByteArray StartState = QByteArray("\"\"\r\n").repeated(5) + QByteArray("\"0\"\r\n").repeated(4);
const QByteArray Changed = "\"Video\"\r\n\"Bypassed\"\r\n\"Filter2\"\r\n\"On\"\r\n\"Svideo2\"\r\n"
                           "\"128\"\r\n\"64\"\r\n\"32\"\r\n\"200\"\r\n";

qint64 procField(qint64 pid, const char *file, const QByteArray &key)
{
    QFile in(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    in.open(QIODevice::ReadOnly);
    const QByteArray text = in.readAll();
    if (key.isEmpty()) { // stat: utime + stime, after the command name
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return fields.value(11).toLongLong() + fields.value(12).toLongLong();
    }
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

int storm()
{
    PtyPair pty;
    ConsoleFolder folder;
    folder.useAsComPort(pty);
    folder.usePages({0, 7});
    folder.write("default.pav", Changed);
    folder.write("AllowedClients.txt", "\"127.0.0.1\"\r\n");
    ConsoleProcess console(folder);
    QTcpSocket client;
    if (!console.start() || !connectToConsole(client)) {
        std::fprintf(stderr, "the console did not start or listen:\n%s\n", console.output().constData());
        return 1;
    }
    client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    pty.read(1 << 20, 1500); // start-up's frames

    // The controller's side of a 9600-baud line: 48 bytes every 50 ms.
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> bytes{0}, lastByteNs{0};
    std::atomic<bool> stop{false};
    std::thread line([&] {
        while (!stop) {
            const qint64 stepEnd = clock.nsecsElapsed() + 50'000'000;
            const QByteArray piece = pty.read(48, 50);
            if (!piece.isEmpty()) {
                bytes += piece.size();
                lastByteNs = clock.nsecsElapsed();
            }
            const qint64 left = stepEnd - clock.nsecsElapsed();
            if (left > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(left));
        }
    });
    const qint64 pid = console.process().processId();
    const qint64 cpuBefore = procField(pid, "stat", QByteArray());
    const qint64 burstStartNs = clock.nsecsElapsed();
    for (int i = 0; i < 2000; ++i) {
        client.write("UpdCmd");
        client.waitForBytesWritten(1000);
        const qint64 due = burstStartNs + (i + 1) * 1'000'000LL;
        const qint64 left = due - clock.nsecsElapsed();
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::nanoseconds(left));
    }
    const qint64 lastWordNs = clock.nsecsElapsed();
    const double burstCpu = (procField(pid, "stat", QByteArray()) - cpuBefore) / double(sysconf(_SC_CLK_TCK));
    const double burstS = (lastWordNs - burstStartNs) / 1e9;
    // Idle: nothing more for three seconds (the refresh gate waits a second at most).
    while (clock.nsecsElapsed() - qMax<qint64>(lastByteNs, lastWordNs) < 3'000'000'000LL)
        QThread::msleep(50);
    stop = true;
    line.join();
    console.stop(); // its end writes the sums it still holds
    console.waitForOutput("Refresh words from", 2000);
    const QList<QByteArray> lines = console.output().split('\n');
    QByteArray sums;
    for (const QByteArray &text : lines) {
        if (text.contains("Refresh words from"))
            sums += "    " + text.mid(text.indexOf("remote:")) + "\n";
    }
    std::printf("2000 words in %.2f s from a listed client, the line at 9600 baud: %lld bytes (%lld frames) on the "
                "line, idle %.2f s after the last word, console CPU %.2f s during the burst (%.0f%% of one "
                "core); the journal's sums:\n%s",
                burstS, static_cast<long long>(bytes.load()), static_cast<long long>(bytes.load() / 8),
                qMax<qint64>(0, lastByteNs - lastWordNs) / 1e9, burstCpu, 100 * burstCpu / burstS,
                sums.constData());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--storm")
        return storm();
    PtyPair pty;
    ConsoleFolder folder;
    folder.useAsComPort(pty);
    folder.usePages({0, 1, 2, 3, 4, 5, 7});
    folder.write("default.pav", StartState);
    folder.write("schedule.shd", "2,\"\t00:00\tdefault.pav\"\r\n");
    ConsoleProcess console(folder);
    QTcpSocket client;
    if (!console.start() || !connectToConsole(client)) {
        std::fprintf(stderr, "the console did not start or listen:\n%s\n", console.output().constData());
        return 1;
    }
    pty.read(1 << 20, 1500); // start-up's frames

    QList<double> ms;
    qint64 bytes = 0;
    for (int i = 0; i < 20; ++i) {
        // The server runs at most one refresh a second; a word sooner would measure that wait.
        QThread::msleep(1100);
        folder.write("default.pav", i % 2 ? StartState : Changed);
        QElapsedTimer clock;
        clock.start();
        client.write("UpdCmd");
        client.waitForBytesWritten(1000);
        qint64 last = 0;
        bytes = 0;
        // Each wait ends at the first byte, so 'last' is when the last frame arrived.
        for (QByteArray got; !(got = pty.read(1, 300)).isEmpty();) {
            bytes += got.size() + pty.read(1 << 16, 0).size();
            last = clock.nsecsElapsed();
        }
        ms.append(last / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("UpdCmd to the last refresh frame, 20 refreshes of %lld bytes: median %.2f ms, max %.2f ms\n",
                static_cast<long long>(bytes), ms.at(ms.size() / 2), ms.last());

    // The stream goes out through plain blocking sends: a QTcpSocket's own buffering, not the
    // console, would otherwise set the pace. The server sees the close only after it has read
    // everything before it, and listens again only then, so the next client's word marks the end.
    const qint64 pid = console.process().processId();
    const qint64 rssBefore = procField(pid, "status", "VmRSS:");
    const qint64 cpuBefore = procField(pid, "stat", QByteArray());
    const QByteArray chunk(64 * 1024, 'x');
    QElapsedTimer wall;
    wall.start();
    qint64 peakRss = rssBefore;
    const int fd = int(client.socketDescriptor());
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    for (int i = 0; i < 1600; ++i) { // 100 MB
        for (qsizetype done = 0; done < chunk.size();) {
            const ssize_t n = ::send(fd, chunk.constData() + done, size_t(chunk.size() - done), MSG_NOSIGNAL);
            if (n <= 0) {
                std::fprintf(stderr, "the console stopped taking the stream after %d chunks\n", i);
                return 1;
            }
            done += n;
        }
        if (i % 50 == 0)
            peakRss = std::max(peakRss, procField(pid, "status", "VmRSS:"));
    }
    client.abort();
    QTcpSocket next;
    const bool answered = connectToConsole(next) && next.write("UpdCmd") == 6 &&
                          next.waitForBytesWritten(5000) && !pty.read(1, 30000).isEmpty();
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = (procField(pid, "stat", QByteArray()) - cpuBefore) / double(sysconf(_SC_CLK_TCK));
    if (!answered) {
        std::printf("no refresh after the stream\n");
        return 1;
    }
    std::printf(
        "100 MB streamed and read in %.2f s (%.0f MB/s): console CPU %.2f s (%.0f%% of one core), RSS "
        "%lld KiB before, %lld KiB at most, %lld KiB after\n",
        seconds, 100 / seconds, cpu, 100 * cpu / seconds, static_cast<long long>(rssBefore),
        static_cast<long long>(peakRss), static_cast<long long>(procField(pid, "status", "VmRSS:")));
    console.stop();
    return storm();
}
