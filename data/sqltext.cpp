#include "data/sqltext.h"

#include <cfenv>
#include <cmath>
#include <QLocale>
#include <QStringList>

namespace tabel::sql {

QString integer(qlonglong value)
{
    return QString::number(value);
}

QString dayMonthYear(const QDate &d)
{
    // Format letters, not the locale: the result is the same on every
    // workstation.
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

QString date(const QDate &d)
{
    return QStringLiteral("to_date('%1', 'DD.MM.YYYY')").arg(dayMonthYear(d));
}

QString dateTimeFormat(const QDate &d)
{
    return QStringLiteral("to_date('%1', 'DD.MM.YYYY HH24:MI:SS')").arg(dayMonthYear(d));
}

QString dateText(const QDate &d)
{
    return QLatin1Char('\'') + dayMonthYear(d) + QLatin1Char('\'');
}

QString quoted(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

double roundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    // Ties go to the even neighbour; the scaled value is taken as a decimal
    // tie when the multiplication lands on .5 exactly.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(scaled);
    std::fesetround(old);
    return r / scale;
}

QString shortestDecimal(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // no "-0"
    // QString::number ignores the locale, so the point stays a point.
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString price(double value)
{
    return shortestDecimal(roundHalfEven(value, 4));
}

QString rewriteSeparator(const QString &number, const QString &separator)
{
    qsizetype at = number.indexOf(QLatin1Char(','));
    if (at < 0)
        at = number.indexOf(QLatin1Char('.'));
    if (at < 0)
        return number;
    QString out = number;
    out.replace(at, 1, separator);
    return out;
}

QString daySum()
{
    QStringList terms;
    for (int d = 1; d <= 31; ++d)
        terms << QStringLiteral("coalesce(d%1,0)").arg(d);
    return terms.join(QLatin1Char('+'));
}

QString dayColumn(int day)
{
    return QStringLiteral("d%1").arg(day);
}

} // namespace tabel::sql
