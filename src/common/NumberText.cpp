#include "NumberText.h"

#include <cmath>

namespace NumberText {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int base)
{
    int v = -1;
    if (isDigit(c))
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    return v < base ? v : -1;
}

// "&H1F" or "&O17" starting at i; 'found' stays false when no digit follows the prefix.
Leading parseRadix(const QString &text, qsizetype i)
{
    Leading r;
    const QChar kind = text.at(i + 1).toUpper();
    const int base = kind == u'H' ? 16 : 8;
    qsizetype j = i + 2;
    double value = 0;
    while (j < text.size() && digitValue(text.at(j), base) >= 0) {
        value = value * base + digitValue(text.at(j), base);
        ++j;
    }
    if (j > i + 2) {
        r.value = value;
        r.end = j;
        r.found = true;
    } else {
        r.end = i;
    }
    return r;
}

} // namespace

Leading parseLeading(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;

    Leading none;
    none.end = i;
    if (i + 1 < text.size() && text.at(i) == u'&') {
        const QChar kind = text.at(i + 1).toUpper();
        if (kind == u'H' || kind == u'O')
            return parseRadix(text, i);
        return none;
    }

    qsizetype j = i;
    if (j < text.size() && (text.at(j) == u'+' || text.at(j) == u'-'))
        ++j;
    bool digits = false;
    while (j < text.size() && isDigit(text.at(j))) {
        ++j;
        digits = true;
    }
    if (j < text.size() && text.at(j) == u'.') {
        ++j;
        while (j < text.size() && isDigit(text.at(j))) {
            ++j;
            digits = true;
        }
    }
    if (!digits)
        return none;
    qsizetype end = j;

    // An exponent counts only when at least one digit follows its letter and sign.
    if (j < text.size()) {
        const QChar e = text.at(j).toUpper();
        if (e == u'E' || e == u'D') {
            qsizetype k = j + 1;
            if (k < text.size() && (text.at(k) == u'+' || text.at(k) == u'-'))
                ++k;
            const qsizetype expDigits = k;
            while (k < text.size() && isDigit(text.at(k)))
                ++k;
            if (k > expDigits)
                end = k;
        }
    }

    QString number = text.mid(i, end - i);
    number.replace(u'D', u'e').replace(u'd', u'e');
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return none;

    Leading r;
    r.value = value;
    r.end = end;
    r.found = true;
    return r;
}

double leadingNumber(const QString &text)
{
    return parseLeading(text).value;
}

double roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is round-to-nearest-even by default.
    return std::nearbyint(value);
}

// The value, then its range from low to high, as every range here is given.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::optional<int> wholeInRange(double value, int min, int max)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= min && rounded <= max))
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::optional<int> leadingWhole(const QString &text, int min, int max)
{
    return wholeInRange(leadingNumber(text), min, max);
}

bool isNumber(const QString &text)
{
    const Leading n = parseLeading(text);
    if (!n.found)
        return false;
    for (qsizetype i = n.end; i < text.size(); ++i) {
        if (!isBlank(text.at(i)))
            return false;
    }
    return true;
}

std::optional<int> strictWhole(const QString &text, int min, int max)
{
    if (!isNumber(text))
        return std::nullopt;
    return wholeInRange(parseLeading(text).value, min, max);
}

} // namespace NumberText
