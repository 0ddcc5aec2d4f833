#pragma once

#include "PtyPair.h"

// Frames as the controller receives them, written out by hand rather than by the console's
// own frame builder, and what the device side of a pseudo-terminal got.
namespace Frames {

// One-value commands back to back, each {code, value}: 02 00 01 00 02 code value 04.
inline QByteArray of(std::initializer_list<std::pair<int, int>> commands)
{
    QByteArray bytes;
    for (const auto &[code, value] : commands)
        bytes += QByteArray("\x02\x00\x01\x00\x02", 5) + char(code) + char(value) + '\x04';
    return bytes;
}

// A register entry: 02 00 01 00 04 0B b1 b2 b3 04.
inline QByteArray registers(int b1, int b2, int b3)
{
    return QByteArray("\x02\x00\x01\x00\x04\x0B", 6) + char(b1) + char(b2) + char(b3) + '\x04';
}

// In hexadecimal, for readable failures: 'expected' bytes (waiting up to timeoutMs for them),
// then whatever else arrives within quietMs.
inline QByteArray received(PtyPair &pty, qsizetype expected, int timeoutMs = 5000, int quietMs = 100)
{
    const QByteArray bytes = pty.read(expected, timeoutMs);
    return (bytes + pty.read(1 << 16, quietMs)).toHex(' ');
}

// The setting file of a first start: empty texts, values 0.
const QByteArray StartState = QByteArray("\"\"\r\n").repeated(5) + QByteArray("\"0\"\r\n").repeated(4);
// A setting file in which every field differs from the start state, and what loading it sends.
const QByteArray Changed = "\"Video\"\r\n\"Bypassed\"\r\n\"Filter2\"\r\n\"On\"\r\n\"Svideo2\"\r\n"
                           "\"128\"\r\n\"64\"\r\n\"32\"\r\n\"200\"\r\n";
const QByteArray Pictures = of({{2, 0x80}, {3, 0x40}, {4, 0x20}, {5, 0xC8}});
const QByteArray Options = of({{6, 1}, {7, 3}, {8, 0}, {9, 5}}); // after the mode

} // namespace Frames
