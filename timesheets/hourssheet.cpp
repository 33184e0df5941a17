#include "timesheets/hourssheet.h"

#include "data/datamodule.h"
#include "timesheets/month.h"

#include <array>

namespace tabel {

Params HoursSheet::params(int month, int year)
{
    return {
        {QStringLiteral("mnth"), month},
        {QStringLiteral("yea"), year},
        {QStringLiteral("date1"), month::firstDay(month, year)},
        {QStringLiteral("date2"), month::nextFirstDay(month, year)},
    };
}

void HoursSheet::load(int month, int year)
{
    m_month = month;
    m_year = year;
    for (int s = 1; s <= 3; ++s)
        shift(s).close();
    const Params p = params(month, year);
    std::array<RowSet, 3> rows;
    for (int s = 1; s <= 3; ++s)
        rows[s - 1] = shift(s).fetch(p);
    for (int s = 1; s <= 3; ++s)
        shift(s).adopt(p, std::move(rows[s - 1]));
}

void HoursSheet::refresh()
{
    if (m_month == 0)
        return;
    load(m_month, m_year);
}

void HoursSheet::close()
{
    for (int s = 1; s <= 3; ++s)
        shift(s).close();
}

ResultSet &HoursSheet::shift(int shift) const
{
    return m_dm.hTabel(shift);
}

QString hoursPrintHeading(int month, int year)
{
    return QStringLiteral("%1 %2 г.").arg(month::name(month)).arg(year);
}

} // namespace tabel
