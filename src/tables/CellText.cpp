#include "CellText.h"

namespace CellText {

QString ofTime(QTime time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

QString ofDate(QDate date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

namespace {
int number(const QString &cell, int from, int length)
{
    bool ok = false;
    const int value = QStringView(cell).mid(from, length).toInt(&ok);
    return ok ? value : -1;
}
} // namespace

QTime timeOf(const QString &cell)
{
    return QTime(number(cell, 0, 2), number(cell, 3, 2));
}

QDate dateOf(const QString &cell)
{
    const int year = number(cell, 6, 4);
    return year > 0 ? QDate(year, number(cell, 3, 2), number(cell, 0, 2)) : QDate();
}

QString dateKey(const QString &cell)
{
    return cell.mid(6, 4) + cell.mid(3, 2) + cell.mid(0, 2);
}

} // namespace CellText
