#include "data/sqltext.h"

#include <charconv>
#include <cmath>
#include <string>

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
    if (!std::isfinite(value) || decimals < 0)
        return value;
    // The tie is decided on the value's shortest decimal text, the number
    // the user sees: 1.03125 is a tie even though the nearest double lies
    // a little below it, and value * 10^4 would decide it on that.
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    const std::string text(buf, res.ptr);
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || text.size() - dot - 1 <= std::size_t(decimals))
        return value;
    std::string digits = text.substr(0, dot) + text.substr(dot + 1, std::size_t(decimals));
    const char next = text[dot + 1 + std::size_t(decimals)];
    const std::string rest = text.substr(dot + 2 + std::size_t(decimals));
    const bool restZero = rest.find_first_not_of('0') == std::string::npos;
    const bool odd = (digits.back() - '0') % 2 == 1;
    std::size_t intLen = dot;
    if (next > '5' || (next == '5' && (!restZero || odd))) {
        int i = int(digits.size()) - 1;
        while (i >= 0 && digits[std::size_t(i)] == '9')
            digits[std::size_t(i--)] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            ++intLen;
        } else {
            ++digits[std::size_t(i)];
        }
    }
    digits.insert(intLen, 1, '.');
    double out = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), out, std::chars_format::fixed);
    return std::signbit(value) ? -out : out;
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

QString codeAsInteger(const QString &column, const QString &type)
{
    // CASE evaluates its branches only for rows that pass the test, so the
    // casts never see a code they would refuse. The blanks are spelt out:
    // the casts skip only these, while a class such as [[:space:]] would
    // let a Unicode space through. At most ten significant digits keep the
    // numeric cast small; the range test does the rest.
    return QStringLiteral("(case when %1 ~ '^[ \\t\\n\\r\\f\\v]*[-+]?0*[0-9]{1,10}[ \\t\\n\\r\\f\\v]*$' then "
                          "case when %1::numeric between -2147483648 and 2147483647 then %1::%2 end end)")
        .arg(column, type);
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
