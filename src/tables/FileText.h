#pragma once

#include "TableRecord.h"

#include <QString>

// Texts the table pages share: the name display and what a failed load or save says.
inline const QString FileNamePrefix = QStringLiteral(" Filename - ");

// ComposeFileError's text for the source, with the file and where it broke.
QString loadFailure(const TableRecord::Read &read, const QString &source, const QString &filename);
// The same for any reader: its error number, the byte at which it stopped and why.
QString loadFailure(int error, qsizetype where, const QString &why, const QString &source, const QString &filename);

// "<file> was not saved: <why>".
QString saveFailure(const QString &filename, const QString &why);
