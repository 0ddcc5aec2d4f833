#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal standing in for a serial device: the console opens the slave side, by its
// path or through a symlink to it, and the test plays the controller on the master side.
// Link with "util". The slave stays open here as well, so the master can always be read and
// the terminal's number is not handed to anyone else while the test runs.
class PtyPair {
public:
    PtyPair()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(name);
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair()
    {
        closeMaster();
        ::close(m_slave); // nothing to close when the pair never opened
    }
    Q_DISABLE_COPY(PtyPair)

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // The terminal settings the console gave the device. A pseudo-terminal keeps the speed
    // and the stop bits but always reports 8 data bits and no parity.
    termios attributes() const
    {
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        return tio;
    }

    // Sends bytes as the device would (a few at a time: they fit the empty buffer); true when all went out.
    bool write(const QByteArray &bytes)
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // What the device received: blocks (without an event loop) until 'count' bytes have
    // arrived or the time is up, and returns what arrived.
    QByteArray read(qsizetype count, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        QByteArray bytes;
        char chunk[4096];
        pollfd p{m_master, POLLIN, 0};
        while (m_master >= 0 && bytes.size() < count) {
            const ssize_t n = ::read(m_master, chunk, size_t(qMin<qsizetype>(4096, count - bytes.size())));
            if (n > 0)
                bytes.append(chunk, n);
            else if ((n < 0 && errno != EAGAIN && errno != EINTR) || deadline.hasExpired() ||
                     ::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
        }
        return bytes;
    }

    // What a device on a slow line receives: at most 'bytesPerSecond', read in steps of 50 ms,
    // until nothing has arrived for 'quietMs' (or 'limitMs' have passed).
    QByteArray readAtLineRate(int bytesPerSecond, int quietMs = 1500, int limitMs = 120000)
    {
        QDeadlineTimer limit(limitMs), quiet(quietMs);
        QByteArray bytes;
        while (!quiet.hasExpired() && !limit.hasExpired()) {
            QDeadlineTimer next(50, Qt::PreciseTimer);
            const QByteArray piece = read(qMax(1, bytesPerSecond / 20), 50);
            if (!piece.isEmpty())
                quiet.setRemainingTime(quietMs);
            bytes += piece;
            ::usleep(useconds_t(qMax<qint64>(0, next.remainingTime()) * 1000));
        }
        return bytes;
    }

    // The device vanishes, as when an adapter is pulled out.
    void closeMaster()
    {
        ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
