#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>

// Calendar rules the timesheets share: month names, the month's date
// range, which day columns are weekends or lie beyond the month, and how
// an hours cell is drawn.
namespace tabel::month {

// "Январь" .. "Декабрь"; index 0 is January.
const QStringList &names();
// The name of month 1..12; empty for anything else.
QString name(int month);

// [first day of the month, first day of the next month): every monthly
// figure covers this range; December ends on 1 January of the next year.
QDate firstDay(int month, int year);
QDate nextFirstDay(int month, int year);
int dayCount(int month, int year);

enum class DayKind {
    Workday,
    Weekend, // Saturday or Sunday: red
    Beyond,  // day 29..31 that the month does not have
};
// Kinds of days 1..31 of the month (index 0 is day 1).
std::array<DayKind, 31> dayKinds(int month, int year);

// The years the hours timesheet offers: 2007 up to the year after today,
// so the journal's year is always there; a year outside that range (a
// date typed far off) is added in its place.
QStringList yearChoices(const QDate &today, int mustHave);

// How one day cell of the hours grids is drawn.
struct CellLook
{
    enum Ink {
        ColumnInk, // the column's own colour: red on a weekend, else the text colour
        Silver,    // nothing worked: greyed out
        Invisible, // a day the month does not have
    };
    Ink ink = ColumnInk;
    bool bold = false;
    bool moneyGreen = false; // background for more than a normal shift

    bool operator==(const CellLook &) const = default;
};
// value is the cell's hours; NULL counts as 0.
CellLook hoursCellLook(const QVariant &value, DayKind day);

} // namespace tabel::month
