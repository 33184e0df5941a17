#pragma once

#include <QString>
#include <QVariant>

// How report elements write their values, with the workstation's decimal
// separator.
namespace tabel::report {

// Rounded half away from zero to the given decimals, always that many
// decimals, at least one integer digit, no grouping ("#0.000", "#0.00",
// "#0"). The tie is decided on the value's shortest decimal text, so
// 1.005 rounds up as a person would expect.
QString fixed(double value, int decimals);
// Up to 15 significant digits, no trailing zeros, no exponent.
QString general(double value);
// A field's value: by its format when one is given, else its plain text
// (nothing for a null).
QString fieldText(const QVariant &value, const QString &format);
// A total: by its format when one is given, else general.
QString totalText(double value, const QString &format);

// "Готовая продукция" for naimen 0, otherwise "Заготовки".
QString kindText(const QVariant &naimen);
// " (грунт)" for colour 1, " (RAL: N)" above 1, a single space otherwise.
QString colourSuffix(const QVariant &color);

} // namespace tabel::report
