#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

// Keeps a storm of refresh requests off the serial line. A request that comes while the
// line still holds frames, or within the interval (a second) after the last refresh ran,
// is kept as the one pending refresh and run as soon as the line is free and the interval
// has passed. A later request replaces the pending one, which counts as merged: however
// many requests come while a refresh's frames wait or within its second, they add one
// refresh to the line, so a storm runs at most one refresh an interval, never more than two
// refreshes' frames wait for the line, and the last request is always run.
class RefreshGate : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 1000;

    explicit RefreshGate(QObject *parent = nullptr);

    // Whether frames are still waiting for the line; without it the line counts as free.
    void setLineBusy(std::function<bool()> lineBusy) { m_lineBusy = std::move(lineBusy); }
    void setInterval(int milliseconds) { m_intervalMs = milliseconds; }

    // A refresh asked for by 'requester': run now, or kept as the pending one.
    void request(const QString &requester);
    bool hasPending() const { return m_pending.has_value(); }

    // The line has taken its last waiting frame.
    void lineDrained() { runPending(); }

signals:
    // Run the refresh now; it is done when the call returns.
    void refresh(const QString &requester);
    // This request was taken up by a later one and will not run on its own.
    void merged(const QString &requester);

private:
    bool lineBusy() const { return m_lineBusy && m_lineBusy(); }
    qint64 untilIntervalEnds() const;
    void run(const QString &requester);
    void runPending();
    void waitForFreeLine();

    std::function<bool()> m_lineBusy;
    int m_intervalMs = DefaultIntervalMs;
    QElapsedTimer m_sinceLast; // not valid until the first refresh ran
    std::optional<QString> m_pending;
    bool m_running = false;
    QTimer m_wait;
};
