#include "timesheets/month.h"

namespace tabel::month {

const QStringList &names()
{
    static const QStringList list{
        QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
        QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
        QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
        QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь"),
    };
    return list;
}

QString name(int month)
{
    return month >= 1 && month <= 12 ? names().at(month - 1) : QString();
}

QDate firstDay(int month, int year)
{
    return QDate(year, month, 1);
}

QDate nextFirstDay(int month, int year)
{
    return month == 12 ? QDate(year + 1, 1, 1) : QDate(year, month + 1, 1);
}

int dayCount(int month, int year)
{
    return firstDay(month, year).daysInMonth();
}

std::array<DayKind, 31> dayKinds(int month, int year)
{
    std::array<DayKind, 31> out;
    const QDate first = firstDay(month, year);
    const int n = first.daysInMonth();
    for (int k = 1; k <= 31; ++k) {
        if (k > n)
            out[k - 1] = DayKind::Beyond;
        else
            out[k - 1] = first.addDays(k - 1).dayOfWeek() >= Qt::Saturday ? DayKind::Weekend
                                                                         : DayKind::Workday;
    }
    return out;
}

QStringList yearChoices(const QDate &today, int mustHave)
{
    const int last = today.year() + 1;
    QStringList out;
    if (mustHave > 0 && mustHave < 2007)
        out << QString::number(mustHave);
    for (int y = 2007; y <= last; ++y)
        out << QString::number(y);
    if (mustHave > last)
        out << QString::number(mustHave);
    return out;
}

CellLook hoursCellLook(const QVariant &value, DayKind day)
{
    CellLook look;
    if (day == DayKind::Beyond) {
        look.ink = CellLook::Invisible;
        return look;
    }
    const qlonglong v = value.isNull() ? 0 : value.toLongLong();
    if (v == 0) {
        // A weekend keeps its red, so the free days still stand out.
        if (day != DayKind::Weekend)
            look.ink = CellLook::Silver;
    } else if (v == 8) {
        look.bold = true;
    } else if (v > 8) {
        look.bold = true;
        look.moneyGreen = true;
    }
    return look;
}

} // namespace tabel::month
