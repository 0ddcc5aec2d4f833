#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Turns the bytes the console sends back into readable lines: one per well-formed frame
// ("02 brightness 128") and one per run of bytes that belong to no frame
// ("?? stray 41 42 43"). Input may be split anywhere; each byte is looked at a bounded
// number of times, so the cost follows the input size.
class FrameDecoder {
public:
    struct Item {
        bool frame = false; // false: a run of stray bytes
        int code = -1;      // the command code of a frame
        QByteArray raw;     // the bytes as received
        QString line;
    };

    // STX 00 01 00, a count up to 255, that many bytes, EOT.
    static constexpr int MaxFrameBytes = 5 + 255 + 1;
    // Longer runs of stray bytes are reported in pieces of this size.
    static constexpr int MaxStrayBytes = 256;

    void feed(const QByteArray &bytes);

    // The input paused or ended: an unfinished frame can no longer complete, so it and
    // any pending stray bytes come out now.
    void finish();

    QList<Item> takeItems();
    bool hasItems() const { return !m_items.isEmpty(); }

    // Bytes held back: an unfinished frame and stray bytes not yet reported.
    qsizetype pendingBytes() const { return m_pending.size() + m_stray.size(); }

    // The line for one frame's command code and data bytes, without the raw bytes.
    static QString describe(int code, const QByteArray &data);

private:
    void scan(bool atEnd);
    void addStray(const char *bytes, qsizetype count);
    void reportStray();

    QByteArray m_pending; // starts at a candidate STX once scanned
    QByteArray m_stray;
    QList<Item> m_items;
};
