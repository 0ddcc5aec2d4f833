#pragma once

#include "RecordWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct VideoSettings;

// How far a setting file read got. The console applies each field as it is read, so a
// read that stops part-way still hands over everything before the bad field.
struct SettingFileRead {
    QStringList texts;         // the texts read, in file order (0 to 5)
    QList<int> values;         // brightness, contrast, saturation, hue as far as read and accepted
    int error = 0;             // 0, or the FileError number that stopped the read
    qsizetype errorOffset = 0; // byte offset of the field that stopped the read
    QString stop;              // where and why the read stopped, in words ("line 7: ...")
    QString refusal;           // why the file could not be read at all, in words
    bool complete() const { return error == 0; }
};

// A setting file (*.pav): the five option texts and the four picture values of
// VideoSettings, one quoted field a line, CR LF line ends.
class SettingFile {
public:
    // Nine short fields; a file this large is not a setting file.
    static constexpr qint64 MaxFileSize = qint64(64) * 1024;

    static SettingFileRead parse(const QByteArray &data);
    // FileNotFound or PathFileAccess when the file cannot be read.
    static SettingFileRead read(const QString &path);
    // Why the file at 'path' could not be loaded whole, in words; "" when it could.
    static QString problem(const QString &path);

    // The nine lines, or why they cannot be stored (a text with a double quote in it, as a
    // bare field of a file written by hand may hold).
    static FileBytes format(const VideoSettings &settings);
    // Empty on success, else why not: the refusal of format(), or the system's description
    // of the failure. The file is written whole or not at all.
    static QString write(const QString &path, const VideoSettings &settings);
};
