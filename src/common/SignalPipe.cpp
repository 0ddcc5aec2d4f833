#include "SignalPipe.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

int SignalPipe::s_writeFd = -1;

namespace {

#ifdef Q_OS_UNIX
const int Watched[] = {SIGINT, SIGTERM, SIGHUP};
#else
const int Watched[] = {SIGINT, SIGTERM};
#endif

} // namespace

SignalPipe::SignalPipe(QObject *parent) : QObject(parent) {}

SignalPipe::~SignalPipe()
{
    for (int sig : Watched)
        std::signal(sig, SIG_DFL);
    s_writeFd = -1;
#ifdef Q_OS_UNIX
    for (int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
#endif
}

#ifdef Q_OS_UNIX

bool SignalPipe::install()
{
    if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) < 0)
        return false;
    s_writeFd = m_fds[1];
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalPipe::drain);

    struct sigaction action {};
    action.sa_handler = &SignalPipe::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : Watched)
        ::sigaction(sig, &action, nullptr);
    return true;
}

void SignalPipe::handle(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (s_writeFd >= 0) {
        const ssize_t n = ::write(s_writeFd, &byte, 1);
        Q_UNUSED(n); // a full pipe already holds a wake-up
    }
    errno = saved;
}

void SignalPipe::drain()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(m_fds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            emit caught(bytes[i]);
    }
}

#else

// Windows ends a program without these signals: a service there stops it through a window
// message, which the console's close already handles.
bool SignalPipe::install()
{
    return false;
}

void SignalPipe::handle(int) {}

void SignalPipe::drain() {}

#endif
