#include "Simulator.h"

#include "GarbageSource.h"
#include "PtyLink.h"
#include "TextStreamer.h"

#include <cerrno>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

void report(const QString &message)
{
    writeAll(STDERR_FILENO, (QStringLiteral("kvr-sim: ") + message + QLatin1Char('\n')).toLocal8Bit());
}

int milliseconds(double seconds)
{
    return static_cast<int>(seconds * 1000 + 0.5);
}

} // namespace

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_link(new PtyLink(options.linkPath, this))
{
    connect(m_link, &PtyLink::received, this, &Simulator::receive);

    m_idle.setSingleShot(true);
    m_idle.setInterval(IdleFlushMs);
    connect(&m_idle, &QTimer::timeout, this, &Simulator::flushIdle);

    m_vanish.setSingleShot(true);
    m_vanish.setTimerType(Qt::PreciseTimer);
    connect(&m_vanish, &QTimer::timeout, this, &Simulator::vanish);
    m_back.setSingleShot(true);
    m_back.setTimerType(Qt::PreciseTimer);
    connect(&m_back, &QTimer::timeout, this, &Simulator::comeBack);
}

Simulator::~Simulator() = default;

bool Simulator::start(QString *error)
{
    if (!m_link->open(error))
        return false;
    announceLink();

    if (m_options.streamRate > 0) {
        auto *streamer = new TextStreamer(m_options.streamRate, m_options.streamLines, this);
        connect(streamer, &TextStreamer::bytesReady, this, &Simulator::send);
        streamer->start();
    }
    if (m_options.garbage) {
        auto *garbage = new GarbageSource(this);
        connect(garbage, &GarbageSource::bytesReady, this, &Simulator::send);
        garbage->start();
    }
    if (m_options.vanishAfter >= 0)
        m_vanish.start(milliseconds(m_options.vanishAfter));
    return true;
}

void Simulator::receive(const QByteArray &bytes)
{
    m_decoder.feed(bytes);
    printItems();
    if (m_decoder.pendingBytes() > 0)
        m_idle.start();
    else
        m_idle.stop();
}

void Simulator::flushIdle()
{
    m_decoder.finish();
    printItems();
}

void Simulator::printItems()
{
    QByteArray lines;
    for (const FrameDecoder::Item &item : m_decoder.takeItems()) {
        // Answer before printing, so a reader that saw the line finds the answer waiting.
        if (item.frame && !m_options.answer.isEmpty())
            send(m_options.answer);
        if (!m_options.quiet)
            lines += item.line.toLatin1() + '\n';
    }
    if (lines.isEmpty() || !m_outputOk)
        return;
    if (!writeAll(STDOUT_FILENO, lines)) {
        m_outputOk = false;
        emit outputClosed();
    }
}

void Simulator::send(const QByteArray &bytes)
{
    // Bytes nobody takes are lost, as on a real line.
    m_link->write(bytes);
}

void Simulator::vanish()
{
    m_idle.stop();
    flushIdle();
    m_link->close();
    report(QStringLiteral("vanished"));
    if (m_options.backAfter >= 0)
        m_back.start(milliseconds(m_options.backAfter));
}

void Simulator::comeBack()
{
    QString error;
    if (!m_link->open(&error)) {
        report(QStringLiteral("cannot come back: ") + error);
        m_back.start(1000);
        return;
    }
    report(QStringLiteral("back"));
    announceLink();
    if (m_options.repeat)
        m_vanish.start(milliseconds(m_options.vanishAfter));
}

void Simulator::announceLink()
{
    if (m_link->linkPath().isEmpty())
        report(QStringLiteral("device ") + m_link->devicePath());
    else
        report(QStringLiteral("link %1 -> %2").arg(m_link->linkPath(), m_link->devicePath()));
}
