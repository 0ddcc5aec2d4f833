#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: the input as Qt bytes, a way to draw small values and
// texts from it, and a check that stops the run with a message when a property breaks.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(reinterpret_cast<const char *>(data), qsizetype(size)) {}

    const QByteArray &bytes() const { return m_data; }
    bool atEnd() const { return m_pos >= m_data.size(); }

    int byte()
    {
        return atEnd() ? 0 : static_cast<unsigned char>(m_data.at(m_pos++));
    }
    // A text of up to 'max' UTF-16 units of any kind: a byte below 0x80 is that character
    // (quotes, TAB, CR and LF among them), a higher one starts a unit of two bytes, so lone
    // surrogates and characters outside Latin-1 come up too.
    QString anyText(int max)
    {
        QString out;
        for (int n = byte() % (max + 1); n > 0 && !atEnd(); --n) {
            const int first = byte();
            out += first < 0x80 ? QChar(first) : QChar(char16_t((first << 8) | byte()));
        }
        return out;
    }

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
};

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
