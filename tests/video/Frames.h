#pragma once

#include "PtyPair.h"

#include <QByteArray>
#include <QList>
#include <QPair>

// Frames as the controller receives them, written out by hand rather than by the console's
// own frame builder, and what the device side of a pseudo-terminal got.
namespace Frames {

// A one-value command: 02 00 01 00 02 code value 04.
inline QByteArray one(int code, int value)
{
    return QByteArray("\x02\x00\x01\x00\x02", 5) + char(code) + char(value) + '\x04';
}

// One-value commands back to back, as {code, value} pairs.
inline QByteArray many(const QList<QPair<int, int>> &commands)
{
    QByteArray bytes;
    for (const auto &command : commands)
        bytes += one(command.first, command.second);
    return bytes;
}

// A register entry: 02 00 01 00 04 0B b1 b2 b3 04.
inline QByteArray registers(int b1, int b2, int b3)
{
    return QByteArray("\x02\x00\x01\x00\x04\x0B", 6) + char(b1) + char(b2) + char(b3) + '\x04';
}

// 'expected' bytes (waiting up to timeoutMs for them), then whatever else arrives within quietMs.
inline QByteArray received(PtyPair &pty, qsizetype expected, int timeoutMs = 5000, int quietMs = 100)
{
    QByteArray bytes = pty.read(expected, timeoutMs);
    return bytes + pty.read(1 << 16, quietMs);
}

inline void drain(PtyPair &pty)
{
    pty.read(1 << 16, 30);
}
inline QByteArray hex(const QByteArray &bytes)
{
    return bytes.toHex(' ');
}

} // namespace Frames
