#include "TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The handler may only write to a pipe; the event loop reads the other end.
int s_pipe[2] = {-1, -1};
const int Handled[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (s_pipe[0] < 0 && ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Handled)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int number : Handled)
        std::signal(number, SIG_DFL);
}

void TerminationSignals::readPipe()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(s_pipe[0], &byte, 1) == 1)
        last = byte;
    switch (last) {
    case SIGTERM:
        emit received(QStringLiteral("SIGTERM"));
        break;
    case SIGINT:
        emit received(QStringLiteral("SIGINT"));
        break;
    case SIGHUP:
        emit received(QStringLiteral("SIGHUP"));
        break;
    default:
        break;
    }
}

#else

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
void TerminationSignals::readPipe() {}

#endif
