#pragma once

#include <QDate>
#include <QString>

// The single place where values are written into SQL text. User text only
// ever reaches a statement through quoted() or a bound parameter.
namespace tabel::sql {

QString integer(qlonglong value);
// A date as the server must read it whatever its or the workstation's
// settings: to_date('DD.MM.YYYY', 'DD.MM.YYYY').
QString date(const QDate &d);
// The entry insert's variant with a time part in the format text.
QString dateTimeFormat(const QDate &d);
// Bare quoted 'DD.MM.YYYY' text (creation date, period bounds); the
// connection sets DateStyle so the server reads it day first.
QString dateText(const QDate &d);
QString dayMonthYear(const QDate &d);
// A text literal with apostrophes doubled.
QString quoted(const QString &text);

// Half-to-even rounding to the given number of decimals, the tie decided
// on the value's shortest decimal text.
double roundHalfEven(double value, int decimals);
// Shortest decimal text with a point, no exponent, no grouping.
QString shortestDecimal(double value);
// The entry price: rounded half to even to 4 decimals, written with a point.
QString price(double value);

// Separator rewrite: the first "," (or, lacking one, the first ".")
// becomes the given separator.
QString rewriteSeparator(const QString &number, const QString &separator);

// A person's code (cmn_contractor.person.s_code, text kept by the plant's
// other systems) cast to a whole-number type ("t_id", "t_integer",
// "integer"). A code that is not a whole number fitting the type, such as
// a contractor's "ИП-001", reads as NULL and matches no worker instead of
// failing the whole statement.
QString codeAsInteger(const QString &column, const QString &type);

// "coalesce(d1,0)+...+coalesce(d31,0)"
QString daySum();
// "d5" for day 5.
QString dayColumn(int day);

} // namespace tabel::sql
