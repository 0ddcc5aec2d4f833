#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// The remote link's lines for the journal, summed so that no peer can flood it: the refresh
// words of a peer make at most one line a minute (words received, refreshes run, requests
// merged into a later one); the refused connections of an address at most one line an hour.
// The first event after a quiet spell is written at once.
class RemoteJournal : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 WordSpanMs = qint64(60) * 1000;
    static constexpr qint64 RefusalSpanMs = qint64(60) * 60 * 1000;
    // Addresses beyond this many in one span are summed as "other addresses".
    static constexpr int MaxRefusedAddresses = 1024;

    using Writer = std::function<void(const QString &line)>;
    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;

    explicit RemoteJournal(Writer writer, QObject *parent = nullptr);
    ~RemoteJournal() override;

    void setClock(Clock clock) { m_clock = std::move(clock); }

    void wordReceived(const QString &peer) { add(m_words, peer, &Tally::words); }
    void refreshRun(const QString &peer) { add(m_words, peer, &Tally::runs); }
    void merged(const QString &peer) { add(m_words, peer, &Tally::merged); }
    void refused(const QString &address);

    // Writes the lines whose time has come (its own timer calls it when the next one is due).
    void writeDue();
    // Writes everything still summed up (the console ends).
    void writeAll();

private:
    struct Tally {
        int words = 0;
        int runs = 0;
        int merged = 0;
        int refused = 0;
        qint64 lastLine = 0;
        bool written = false; // a line was written in this tally's life
        bool pending() const { return words + runs + merged + refused > 0; }
    };

    void add(QHash<QString, Tally> &tallies, const QString &key, int Tally::*field);
    void writeFrom(QHash<QString, Tally> &tallies, qint64 span, bool all);
    QString line(const QString &key, const Tally &tally, bool refusals) const;
    void schedule();

    Writer m_writer;
    Clock m_clock;
    QHash<QString, Tally> m_words;
    QHash<QString, Tally> m_refusals;
    QTimer m_timer;
};
