#pragma once

#include <QByteArray>
#include <QString>

// What a text field of the record files can hold, and how it is stored. A field stands
// between double quotes, so it cannot hold one; a cell of a table text (the schedule, task
// and intensity tables) cannot hold the TAB, CR and LF that join its cells and entries either.
//
// Texts are stored in the system's 8-bit encoding (UTF-8 on Linux, the ANSI code page on
// Windows), so any name the system can give a file round-trips. A stored field that is not
// valid in that encoding is read as Latin-1, as the console's older files were written.
namespace StorableText {

enum class Place { Field, Cell };

// Empty when 'text' can be stored in 'place' and reads back the same; otherwise the first
// character that cannot, named for a message: "a double quote (\")", "a TAB".
QString problem(const QString &text, Place place);

// "<what> holds <character>, which <store> cannot store" for a text that cannot be stored,
// empty for one that can: "The file name holds a TAB, which the schedule file cannot store".
QString refusal(const QString &what, const QString &text, Place place, const QString &store);

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

} // namespace StorableText
