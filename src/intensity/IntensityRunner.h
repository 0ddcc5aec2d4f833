#pragma once

#include "Clock.h"
#include "ConsoleState.h"
#include "SecondTicker.h"
#include "Table.h"

#include <QObject>
#include <functional>

// The automatic intensity runner (TimerIntensity) and the in-memory table it reads. The
// copy changes only through RefreshIntensityTable, so editing the grid reaches the
// controller only on Apply, a load or Retransmit.
class IntensityRunner : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString time;    // "HH:mm"
        qint16 level = 0; // list position
    };

    // 'sendLevel' puts command 10 for a level position on the line.
    IntensityRunner(ConsoleState &state, const Clock &clock, std::function<void(int)> sendLevel,
                    QObject *parent = nullptr);

    // The grid's entries copied in, with the time and level position cells given.
    void RefreshIntensityTable(const Table &table, int timeCell, int levelCell);
    // IntensityTableSize 0: what a file without entries and start-up leave.
    void clear();
    int IntensityTableSize() const { return m_size; }
    int LastIntensitySent() const { return m_lastSent; }
    const QList<Entry> &IntensityTable() const { return m_table; }
    // The entry whose level the runner sent last (1..N).
    int entrySent() const { return m_entrySent; }

    // The automatic half of GetIntensity: the level in force now goes out, even when it was
    // the last one sent, and the runner starts. Without entries nothing is sent and the
    // runner is left as it is.
    void sendInForce();

    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    bool isRunning() const { return m_timer.isActive(); }
    // One tick: the entry in force now, and its level sent when it is not the last one sent.
    void tick();

signals:
    // The in-memory table was replaced.
    void refreshed();
    // Entry of the in-memory table in force; 0 for none.
    void inForceChanged(int entry);

private:
    QStringList keys() const;
    void send(int entry);

    ConsoleState &m_state;
    const Clock &m_clock;
    std::function<void(int)> m_sendLevel;
    SecondTicker m_timer;
    QList<Entry> m_table;
    int m_size = 0; // rows with the header: 32768 for a full table, more than 16 bits hold
    qint16 m_lastSent = 0;
    int m_entrySent = 0;
};
