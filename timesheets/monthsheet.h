#pragma once

#include "data/resultset.h"

#include <QString>
#include <memory>
#include <vector>

namespace tabel {

class DataModule;

// The sheets of the monthly timesheet window. Each is one statement with
// a row per worker (fio, id, i_time, f_price, d1..d31) and the look the
// window gives it; a new sheet is a new entry in the table of modes.
enum class SheetMode {
    PieceWork, // "Табель сделка": shift rows, piece earnings
    General,   // "Общий табель": all rows, piece and auxiliary earnings
    // "Табель хоз. работ" and "Табель ср. сдельная": the rows of one
    // auxiliary kind, a line per worker and day/night flag, with hours,
    // earnings and hourly rate of that kind's entries.
    Auxiliary,
    AveragePiece,
};

struct SheetModeInfo
{
    SheetMode mode;
    QString queryName;
    QString caption;
    int nameWidth = 208;   // the name column's width in a 31-day month
    bool nightAndHourly;   // the day/night mark and the hourly rate are shown
    int rangeCount;        // month ranges (pairs of dates) the statement takes
    QString (*sql)();
};

const SheetModeInfo &sheetModeInfo(SheetMode mode);

// The statements.
namespace monthsheet {

QString pieceWorkSql();
QString generalSql();
// The auxiliary sheets of kind 7777 and 7778.
QString auxiliarySql(int kind);
QString auxiliaryWorkSql();
QString averagePieceSql();
// The month's grand total: piece earnings plus auxiliary earnings, each
// part 0 when the month has none.
QString allPriceSql();
// Earnings of one auxiliary kind (7777, 7778) in the month.
QString kindPriceSql(int kind);
// Piece earnings of the month.
QString piecePriceSql();
// Years that have sheet rows.
QString yearsSql();

// d_date1..d_date<2*ranges>: each odd one the first day of the next month
// (exclusive), each even one the first day of the month.
Params rangeParams(int month, int year, int ranges);
Params sheetParams(SheetMode mode, int month, int year);

} // namespace monthsheet

// The month of the current sheet and the totals under it.
class MonthSheet
{
public:
    explicit MonthSheet(DataModule &dm);
    ~MonthSheet();

    SheetMode mode() const { return m_mode; }
    const SheetModeInfo &info() const { return sheetModeInfo(m_mode); }
    // Switching the sheet reads nothing.
    void setMode(SheetMode mode) { m_mode = mode; }

    int month() const { return m_month; }
    int year() const { return m_year; }

    // The current sheet query and the totals of the bar, read for the
    // month. All or nothing: on failure the sheet and totals are closed,
    // so nothing of another month stays in view.
    void load(int month, int year);
    void close();

    ResultSet &sheet() const;
    ResultSet &years() const { return *m_years; }
    // One row, column price each.
    ResultSet &allPrice() const { return *m_allPrice; }
    ResultSet &averagePrice() const { return *m_price8; }
    ResultSet &auxiliaryPrice() const { return *m_price7; }
    ResultSet &piecePrice() const { return *m_price; }

private:
    DataModule &m_dm;
    SheetMode m_mode = SheetMode::PieceWork;
    int m_month = 0;
    int m_year = 0;
    std::vector<std::unique_ptr<ResultSet>> m_sheets; // by mode
    std::unique_ptr<ResultSet> m_years, m_allPrice, m_price8, m_price7, m_price;
};

} // namespace tabel
