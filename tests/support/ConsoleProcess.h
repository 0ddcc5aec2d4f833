#pragma once

#include "ConsoleFolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

// The built console, copied into a ConsoleFolder (its working folder is sys/ beside the
// program) and run offscreen. Everything it logs (messages, status texts, "window shown")
// is collected from its output. Define PAV_CONSOLE_PATH for the built program.
class ConsoleProcess {
public:
    explicit ConsoleProcess(const ConsoleFolder &folder)
        : m_program(folder.root() + QStringLiteral("/pav-control"))
    {
        QFile::copy(QStringLiteral(PAV_CONSOLE_PATH), m_program); // kept when a console was there before
        m_process.setWorkingDirectory(folder.root());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // A console of the machine's own, or of another test, must neither stop this one nor
        // be brought forward by it.
        env.insert(QStringLiteral("TMPDIR"), folder.path("tmp"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path("run"));
        env.insert(QStringLiteral("HOME"), folder.path("home"));
        m_process.setProcessEnvironment(env);
    }
    // Ends the console as the system would (SIGTERM), then for certain.
    ~ConsoleProcess()
    {
        m_process.terminate(); // nothing to do when it is not running
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The console's clock starts at 'start' ("2026-03-01 17:59:57") and runs on from there,
    // through Debian's libfaketime; the timers keep the real monotonic clock.
    void startClockAt(const QString &start)
    {
        QProcessEnvironment env = m_process.processEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"), "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");
        env.insert(QStringLiteral("FAKETIME"), QLatin1Char('@') + start);
        env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
    }

    // Starts the console; true once it has shown its window.
    bool start(int timeoutMs = 15000)
    {
        m_process.start(m_program, {});
        return m_process.waitForStarted(timeoutMs) && waitForOutput("window shown", timeoutMs);
    }

    // Waits until the console's output holds the text; true when it does.
    bool waitForOutput(const QByteArray &text, int timeoutMs = 10000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!output().contains(text) && !deadline.hasExpired() &&
               m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(50);
        return output().contains(text);
    }

    QByteArray output() { return m_output += m_process.readAll(); }

    QProcess &process() { return m_process; }
    bool ended() const { return m_process.state() == QProcess::NotRunning; }

private:
    QString m_program;
    QProcess m_process;
    QByteArray m_output;
};
