#include "SimOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

bool parseSeconds(const QString &text, double *seconds)
{
    bool ok = false;
    *seconds = text.toDouble(&ok);
    return ok && *seconds >= 0 && *seconds <= 1e6;
}

} // namespace

bool SimOptions::parseHex(const QString &text, QByteArray *bytes)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f]+$"));
    const QStringList words = text.split(blanks, Qt::SkipEmptyParts);
    bytes->clear();
    for (const QString &word : words) {
        // A lone digit is one byte; longer words are read in pairs.
        if (!hexDigits.match(word).hasMatch() || (word.size() > 1 && word.size() % 2 != 0))
            return false;
        bytes->append(QByteArray::fromHex(word.size() == 1 ? ("0" + word).toLatin1() : word.toLatin1()));
    }
    return !bytes->isEmpty();
}

SimOptions SimOptions::fromArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("KVR controller simulator: decodes the frames a console sends over a "
                       "pseudo-terminal and prints one line per frame on standard output; messages go "
                       "to standard error."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link at <path> to the serial device "
                                                 "(an existing link is replaced)."),
                                  QStringLiteral("path"));
    const QCommandLineOption answer(QStringLiteral("answer"),
                                    QStringLiteral("Send these bytes back after each well-formed frame, "
                                                   "e.g. 06 or \"4F 4B 0D 0A\"."),
                                    QStringLiteral("hex"));
    const QCommandLineOption stream(QStringLiteral("stream"),
                                    QStringLiteral("Send printable text continuously at <rate> bytes per "
                                                   "second (11520 for 115200 baud)."),
                                    QStringLiteral("rate"));
    const QCommandLineOption streamLines(QStringLiteral("stream-lines"),
                                         QStringLiteral("End every 64 characters of the stream with CR LF."));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send a short burst of random bytes every 100 ms."));
    const QCommandLineOption vanish(QStringLiteral("vanish-after"),
                                    QStringLiteral("Close the device and remove the link after <seconds>, "
                                                   "as if the adapter were pulled out."),
                                    QStringLiteral("seconds"));
    const QCommandLineOption back(QStringLiteral("back-after"),
                                  QStringLiteral("Come back with a new device at the same link <seconds> "
                                                 "after vanishing."),
                                  QStringLiteral("seconds"));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Keep vanishing and coming back."));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Print no decoded lines."));
    parser.addOptions(
        {help, version, link, answer, stream, streamLines, garbage, vanish, back, repeat, quiet});

    SimOptions options;
    // Name the program plainly, not by the path it was started with.
    options.usage = parser.helpText();
    options.usage.replace(0, options.usage.indexOf(QLatin1Char('\n')),
                          QStringLiteral("Usage: kvr-sim [options]"));
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    if (parser.isSet(version)) {
        options.version = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return options;
    }

    options.linkPath = parser.value(link);
    if (parser.isSet(link) && options.linkPath.isEmpty())
        options.error = QStringLiteral("--link needs a path.");
    if (parser.isSet(answer) && !parseHex(parser.value(answer), &options.answer))
        options.error = QStringLiteral("--answer needs hex bytes, e.g. \"4F 4B 0D 0A\".");
    if (parser.isSet(stream)) {
        bool ok = false;
        options.streamRate = parser.value(stream).toLongLong(&ok);
        if (!ok || options.streamRate <= 0 || options.streamRate > MaxStreamRate)
            options.error =
                QStringLiteral("--stream needs a rate from 1 to %1 bytes per second.").arg(MaxStreamRate);
    }
    options.streamLines = parser.isSet(streamLines);
    if (options.streamLines && !parser.isSet(stream))
        options.error = QStringLiteral("--stream-lines needs --stream.");
    options.garbage = parser.isSet(garbage);
    if (parser.isSet(vanish) && !parseSeconds(parser.value(vanish), &options.vanishAfter))
        options.error = QStringLiteral("--vanish-after needs a number of seconds.");
    if (parser.isSet(back) && !parseSeconds(parser.value(back), &options.backAfter))
        options.error = QStringLiteral("--back-after needs a number of seconds.");
    if (parser.isSet(back) && !parser.isSet(vanish))
        options.error = QStringLiteral("--back-after needs --vanish-after.");
    options.repeat = parser.isSet(repeat);
    if (options.repeat && !parser.isSet(back))
        options.error = QStringLiteral("--repeat needs --back-after.");
    options.quiet = parser.isSet(quiet);
    return options;
}
