#pragma once

#include "FileLoad.h"
#include "TableRecord.h"

#include <QString>

// Texts the table pages share: the name display and what a failed load or save says.
inline const QString FileNamePrefix = QStringLiteral(" Filename - ");


// "<file> was not saved: <why>".
QString saveFailure(const QString &filename, const QString &why);

// A runner's switch whose file did not load, for the status line and the journal: "the 18:00
// entry names <full path>, which could not be loaded: <why>; default.pav stays in force",
// then ComposeFileError's text. 'before' is the file in force before the switch ("" when
// that is not known).
QString switchFailure(const QString &entry, const QString &path, const FileLoad &load, const QString &before);
