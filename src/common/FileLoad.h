#pragma once

#include "FileError.h"

#include <QString>

// How one load of a file ended, for a caller that reports it in its own words (a runner
// whose switch failed says which entry, which file and what stays in force). The loaders
// still report the failure through their own signals.
struct FileLoad {
    int error = 0;       // a FileError number; 0 when the file loaded whole
    QString why;         // what was wrong, in words
    QString source;      // ComposeFileError's source ("Open Setting File")
    bool partly = false; // the values read before the break are in use

    bool ok() const { return error == 0; }
    // ComposeFileError's text; empty for a load that worked.
    QString composed() const { return ok() ? QString() : ComposeFileError(error, source); }

    static FileLoad failed(int error, const QString &why, const QString &source, bool partly = false)
    {
        return {error, plainWhy(error, why), source, partly};
    }

    // A reader's reason as an operator reads it: a missing file is said as such, not by the
    // error's old name.
    static QString plainWhy(int error, const QString &why)
    {
        if (error == static_cast<int>(FileError::FileNotFound))
            return QStringLiteral("the file does not exist");
        return why.isEmpty() ? fileErrorText(error) : why;
    }
};
