// The built console as server on 127.0.0.1:1001, its controller on a pseudo-terminal, with
// every reloading page of this build in use: the time from "UpdCmd" leaving a client to the
// last refresh frame on the line (default.pav alternates between two settings, so every
// reload changes all values); then the console's memory and CPU while a peer streams 100 MB
// at full speed, until a new client's word brings the refresh.
#include "ConsoleProcess.h"
#include "TestNetwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <cstdio>
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
    return 0;
}
