#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the simulator was asked to do, read from its command line.
struct SimOptions {
    static constexpr qint64 MaxStreamRate = 10000000;

    QString linkPath;
    QByteArray answer;     // sent back after each well-formed frame
    qint64 streamRate = 0; // bytes per second; 0 for no stream
    bool streamLines = false;
    bool garbage = false;
    double vanishAfter = -1; // seconds; negative for never
    double backAfter = -1;
    bool repeat = false;
    bool quiet = false;

    bool help = false;
    bool version = false;
    QString error; // empty when the command line made sense
    QString usage;

    static SimOptions fromArguments(const QStringList &arguments);

    // "4F 4B 0D 0A", "4f4b0d0a" or "6 A"; false for anything else or nothing at all.
    static bool parseHex(const QString &text, QByteArray *bytes);
};
