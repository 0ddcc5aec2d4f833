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

// Reads a whole file. 'error' is set to the FileError number (FileNotFound, PathFileAccess)
// when it cannot be read, else to 0.
QByteArray readWholeFile(const QString &path, int *error);
