#pragma once

#include "TableRecord.h"

#include <QString>

// Texts the table pages share: the name display and what a failed load or save says.
inline const QString FileNamePrefix = QStringLiteral(" Filename - ");


// "<file> was not saved: <why>".
QString saveFailure(const QString &filename, const QString &why);
