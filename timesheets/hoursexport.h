#pragma once

#include "data/resultset.h"

#include <QString>
#include <QVector>
#include <functional>

namespace tabel {
class DataModule;
class Spreadsheet;
}

// The month of the hours sheet for the spreadsheet: every worker's hours
// of all shifts and kinds added up per day, always 31 day columns and the
// total in column 33, whatever the month's length, so that sheets of
// different months line up.
namespace tabel::hoursexport {

struct Cell
{
    int column = 0;
    int row = 0;
    QString text;
    bool asText = false;
    bool bold = false;
    bool operator==(const Cell &) const = default;
};

// "Март 2026".
QString title(int month, int year);

// Rows 1 and 2: the title, then "Фамилия И.О.", the day numbers and "Итого".
QVector<Cell> headingCells(const QString &title);
// Worker r of the rows at sheet row r + 3: name, the 31 days (empty = 0)
// and their sum.
QVector<Cell> rowCells(const RowSet &rows, int r);

// The month's rows (H_Tabel of the printed sheet). Database errors are
// thrown.
RowSet read(DataModule &dm, int month, int year);

// Called after each written worker with the count written and the total.
using Progress = std::function<void(int written, int total)>;
// Writes the rows into a new workbook, hidden while writing, and shows it.
// False when no workbook could be opened (the spreadsheet has said why).
bool write(const RowSet &rows, const QString &title, Spreadsheet &sheet,
           const Progress &progress = {});

} // namespace tabel::hoursexport
