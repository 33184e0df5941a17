#pragma once

#include "data/resultset.h"

#include <QString>

namespace tabel {

class DataModule;

// The hours sheet of one month, split by shift: the shared queries
// H_Tabel_1..H_Tabel_3 with the month's parameters.
class HoursSheet
{
public:
    explicit HoursSheet(DataModule &dm) : m_dm(dm) {}

    int month() const { return m_month; }
    int year() const { return m_year; }

    // mnth, yea and the month's range [date1, date2).
    static Params params(int month, int year);

    // Opens the three queries for the month. All or nothing: when one
    // cannot be read, all three stay closed, so no grid keeps showing
    // another month under the new month's name.
    void load(int month, int year);
    // Reads the three again with the month they hold.
    void refresh();
    void close();

    // Shifts 1..3.
    ResultSet &shift(int shift) const;

private:
    DataModule &m_dm;
    int m_month = 0;
    int m_year = 0;
};

// The printed sheet's heading: "Март 2026 г.".
QString hoursPrintHeading(int month, int year);

} // namespace tabel
