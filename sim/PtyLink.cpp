#include "PtyLink.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

QString linkTarget(const QByteArray &path)
{
    char target[4096];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
    return n < 0 ? QString() : QString::fromLocal8Bit(target, n);
}

} // namespace

PtyLink::PtyLink(const QString &linkPath, QObject *parent) : QObject(parent), m_linkPath(linkPath)
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(100);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

PtyLink::~PtyLink()
{
    close();
}

bool PtyLink::open(QString *error)
{
    close();
    struct termios raw {};
    cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, nullptr, &raw, nullptr) < 0) {
        *error = systemError("openpty");
        m_master = m_slave = -1;
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("ptsname");
        close();
        return false;
    }
    m_device = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    if (!makeLink(error)) {
        close();
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLink::readMaster);
    return true;
}

void PtyLink::close()
{
    m_resume.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        removeLink();
    closeFd(m_master);
    closeFd(m_slave);
}

qint64 PtyLink::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return bytes.size();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: the console is not reading and the terminal's buffer is full
    }
    return bytes.size() - done;
}

void PtyLink::readMaster()
{
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN) {
            // A hung-up master stays readable; pause instead of spinning on it.
            m_notifier->setEnabled(false);
            m_resume.start();
        }
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

bool PtyLink::makeLink(QString *error)
{
    if (m_linkPath.isEmpty())
        return true;
    const QByteArray path = QFile::encodeName(m_linkPath);
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(m_linkPath);
        return false;
    }
    // Link under a private name, then rename over the old link, so the path never dangles.
    const QByteArray temporary = path + ".kvr-sim-" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(m_device).constData(), temporary.constData()) < 0) {
        *error = systemError("symlink");
        return false;
    }
    if (::rename(temporary.constData(), path.constData()) < 0) {
        *error = systemError("rename");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void PtyLink::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    // Leave a link alone that someone else has pointed elsewhere meanwhile.
    const QByteArray path = QFile::encodeName(m_linkPath);
    if (linkTarget(path) == m_device)
        ::unlink(path.constData());
}
