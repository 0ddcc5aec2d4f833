#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

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

// Before a save replaces a file that its own reader refuses, the old bytes are kept beside
// it. When 'path' is a plain file of at least one byte and 'refused' says its reader cannot
// read it, it is copied to "<name>.bak" (or "<name>.bak.1", ".bak.2", ... when an older copy
// with other bytes holds the name; one with the same bytes is taken as it is). Returns the
// copy's path, or "" when none was needed; 'why' is set when no copy could be made, and the
// save must then stop. 'made' tells whether the copy is a new one.
QString keepRefusedFile(const QString &path, const std::function<bool(const QString &)> &refused,
                        QString *why, bool *made = nullptr);

// A save over what may be a refused file: keepRefusedFile, then writeWholeFile. A save that
// fails leaves the folder as it was: a copy made for it is removed again.
struct SavedFile {
    QString failure; // empty when saved
    QString keptAs;  // the copy of the refused file there before; empty when none
};
SavedFile saveOverRefused(const QString &path, const QByteArray &data,
                          const std::function<bool(const QString &)> &refused);

// What the status line and the journal say about such a copy.
QString keptCopyText(const QString &filename, const QString &copy);
