#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file or nothing: the data goes to a temporary file beside the target,
// which replaces the target only when everything was written. A save that fails part-way
// leaves the previous file as it was. A target that exists but is write-protected is left
// alone, as an ordinary write would have to.
//
// Returns an empty text on success, otherwise the system's description of the failure.
QString writeWholeFile(const QString &path, const QByteArray &data);

// The most a reader takes in when its kind of file sets no limit of its own.
inline constexpr qint64 DefaultReadLimit = qint64(32) * 1024 * 1024;

// Reads a whole file. 'error' is set to the FileError number (FileNotFound, PathFileAccess,
// FileTooLarge) when it cannot be read, else to 0; 'why' then says what is wrong in words.
// Only regular files are read: a FIFO, device or socket is refused without being waited
// on, and so is a file of more than 'maxBytes'.
QByteArray readWholeFile(const QString &path, int *error, qint64 maxBytes = DefaultReadLimit,
                         QString *why = nullptr);

// "64 KiB", "32 MiB": a read limit in words.
QString sizeText(qint64 bytes);
