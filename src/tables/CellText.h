#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The time and date cells of the tables. They are always written "HH:mm" and "dd/MM/yyyy"
// with ':' and '/', whatever the desktop's locale, so files move between machines; they are
// read by character positions, so a file written with another one-character separator
// still reads.
namespace CellText {

QString ofTime(QTime time);
QString ofDate(QDate date);

// Hours from characters 1-2, minutes from 4-5; invalid when they are not a time.
QTime timeOf(const QString &cell);
// Day from characters 1-2, month from 4-5, year from 7-10; invalid when not a date.
QDate dateOf(const QString &cell);

// The sort key of a date cell: year, month, day by position ("25/12/2024" gives "20241225").
QString dateKey(const QString &cell);

} // namespace CellText
