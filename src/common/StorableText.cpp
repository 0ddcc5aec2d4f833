#include "StorableText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace StorableText {

namespace {

// Encoded alone, 'text' gives back exactly itself.
bool roundTrips(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && decode(bytes) == text;
}

QString unencodable(const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString one = text.mid(i, length);
        if (!roundTrips(one)) {
            const char32_t code =
                length == 2 ? QChar::surrogateToUcs4(one.at(0), one.at(1)) : one.at(0).unicode();
            const QString hex = QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            return QStringLiteral("the character U+%1 (not in the system's 8-bit encoding)").arg(hex);
        }
        i += length;
    }
    // Each character alone is fine; together they are not (none known): say so plainly.
    return QStringLiteral("a sequence of characters that the system's 8-bit encoding does not keep");
}

} // namespace

QString problem(const QString &text, Place place)
{
    bool ascii = true;
    for (const QChar c : text) {
        ascii = ascii && c.unicode() < 0x80;
        if (c == QLatin1Char('"'))
            return QStringLiteral("a double quote (\")");
        if (place != Place::Cell)
            continue;
        if (c == QLatin1Char('\t'))
            return QStringLiteral("a TAB");
        if (c == QLatin1Char('\r'))
            return QStringLiteral("a line break (CR)");
        if (c == QLatin1Char('\n'))
            return QStringLiteral("a line break (LF)");
    }
    if (ascii || roundTrips(text))
        return QString();
    return unencodable(text);
}

// What the text is (for the message), then the text itself: the order of a sentence.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
QString refusal(const QString &what, const QString &text, Place place, const QString &store)
{
    const QString character = problem(text, place);
    if (character.isEmpty())
        return QString();
    return QStringLiteral("%1 holds %2, which %3 cannot store").arg(what, character, store);
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString decode(const QByteArray &bytes)
{
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    // A byte order mark at the start of a field is a character of the field, not a mark.
    QStringDecoder decoder(QStringConverter::System,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace StorableText
