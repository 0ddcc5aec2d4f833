#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A datagram socket at a path, as a service manager's notification socket or the journal's
// socket is; it keeps what arrives, each with when it came (ms since the socket was made).
class DatagramSocket {
public:
    explicit DatagramSocket(const QString &path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
        const timeval step{0, 50000}; // a receive waits at most this long
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &step, sizeof step);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        m_clock.start();
    }
    ~DatagramSocket()
    {
        ::close(m_fd);
        QFile::remove(m_path);
    }
    bool isBound() const { return m_bound; }
    QList<std::pair<qint64, QByteArray>> received;

    // Waits 'ms', or less once a datagram holds 'text'; true when one does.
    bool receive(int ms, const QByteArray &text = QByteArray())
    {
        const auto holds = [&] {
            return std::any_of(received.cbegin(), received.cend(),
                               [&](const auto &d) { return !text.isNull() && d.second.contains(text); });
        };
        for (QDeadlineTimer deadline(ms); !deadline.hasExpired() && !holds();) {
            char buffer[8192];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0)
                received.append({m_clock.elapsed(), QByteArray(buffer, n)});
        }
        return holds();
    }

private:
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
    QElapsedTimer m_clock;
};
