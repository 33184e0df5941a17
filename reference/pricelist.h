#pragma once

#include "data/resultset.h"

#include <QLocale>
#include <QString>
#include <QVector>

namespace tabel {
class DataModule;
class Spreadsheet;
}

// The operation price list for the spreadsheet: every operation, also one
// without norms, with the price stored on the operation itself.
namespace tabel::pricelist {

QString sql();

struct Cell
{
    int column = 0;
    int row = 0;
    QString text;
    bool operator==(const Cell &) const = default;
};

// The price as the spreadsheet is to read it: up to 15 significant digits
// with the locale's decimal separator, no grouping.
QString priceText(double value, const QLocale &locale = QLocale());

// Headings in row 1, then one row per operation in query order: mark,
// kind, price, kind of product.
QVector<Cell> cells(const RowSet &rows, const QLocale &locale = QLocale());

// The list's rows (XLS_Rep). Database errors are thrown.
RowSet read(DataModule &dm);
// Writes the rows into a new workbook of the spreadsheet and shows it.
// False when no workbook could be opened (the spreadsheet has told the
// user why).
bool write(const RowSet &rows, Spreadsheet &sheet);

} // namespace tabel::pricelist
