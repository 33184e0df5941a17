#include "reports/reportformat.h"

#include "data/display.h"
#include "data/resultset.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace tabel::report {

namespace {

QString withSeparator(QString text)
{
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

// Adds one unit in the last place of a string of decimal digits.
void carry(QString &digits)
{
    for (int i = int(digits.size()) - 1; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
    }
    digits.prepend(QLatin1Char('1'));
}

} // namespace

QString fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    // The shortest text that reads back as the value, without exponent.
    QString text = QLocale::c().toString(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    text.remove(QLatin1Char(','));
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? text : text.left(point);
    QString frac = point < 0 ? QString() : text.mid(point + 1);
    const bool up = frac.size() > decimals && frac[decimals] >= QLatin1Char('5');
    frac = frac.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    QString digits = whole + frac;
    if (up)
        carry(digits);
    whole = digits.left(digits.size() - decimals);
    frac = digits.right(decimals);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    const bool zero =
        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == QLatin1Char('0'); });
    QString out = (value < 0 && !zero) ? QStringLiteral("-") : QString();
    out += whole;
    if (decimals > 0)
        out += QLatin1Char('.') + frac;
    return withSeparator(out);
}

QString general(double value)
{
    if (!std::isfinite(value))
        return QString();
    if (value == 0)
        return QStringLiteral("0");
    const int magnitude = int(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, 14 - magnitude);
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return withSeparator(text);
}

QString fieldText(const QVariant &value, const QString &format)
{
    if (value.isNull())
        return QString();
    if (format.isEmpty())
        return display::value(value);
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        return display::value(value);
    return totalText(v, format);
}

QString totalText(double value, const QString &format)
{
    if (format == QLatin1String("#0.000"))
        return fixed(value, 3);
    if (format == QLatin1String("#0.00"))
        return fixed(value, 2);
    if (format == QLatin1String("#0"))
        return fixed(value, 0);
    return general(value);
}

QString kindText(const QVariant &naimen)
{
    const auto n = wholeNumber(naimen);
    return n && *n == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString colourSuffix(const QVariant &color)
{
    const auto c = wholeNumber(color);
    if (c && *c == 1)
        return QStringLiteral(" (грунт)");
    if (c && *c > 1)
        return QStringLiteral(" (RAL: %1)").arg(*c);
    return QStringLiteral(" ");
}

} // namespace tabel::report
