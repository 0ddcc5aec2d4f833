#pragma once

#include <QString>
#include <optional>

// Numbers typed by an operator or stored as text, read the way every file of the system
// expects: the number at the start of the text (blanks skipped), written in decimal with
// optional sign, fraction and exponent, or as "&H" + hexadecimal or "&O" + octal digits.
namespace NumberText {

struct Leading {
    double value = 0;   // 0 when no number was found
    qsizetype end = 0;  // index just after the number (or after the skipped blanks)
    bool found = false; // a number starts the text
};

// The number at the start of the text; blanks before it are skipped.
Leading parseLeading(const QString &text);

// The number at the start of the text, 0 when there is none ("3C" gives 3, "abc" gives 0).
double leadingNumber(const QString &text);

// Rounds to the nearest whole number, halves to the even one (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double value);

// The whole number at the start of the text, or nothing when it rounds outside [min, max].
std::optional<int> leadingWhole(const QString &text, int min, int max);

// The whole text, blanks around it aside, is one number ("12ab", "" and "x" are not).
bool isNumber(const QString &text);

// The whole text, blanks around it aside, must be one number; it is rounded and must lie
// in [min, max]. Nothing otherwise: an empty text, "12ab" and "x" all fail.
std::optional<int> strictWhole(const QString &text, int min, int max);

// A number already read, rounded and checked against [min, max].
std::optional<int> wholeInRange(double value, int min, int max);

} // namespace NumberText
