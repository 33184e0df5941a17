#pragma once

#include "data/resultset.h"
#include "reports/bandreport.h"

#include <QDate>
#include <QString>
#include <functional>

namespace tabel {

class DataModule;
class Spreadsheet;

namespace reports {

// Which products the period reports read: every row, or only the rows of
// finished products (naimen 0) or of blanks (naimen 1).
enum class ProductKind { All, Finished, Blanks };
// A row filter over a result with a naimen column; null for All.
RowPredicate kindFilter(ProductKind kind);

// From the first day (inclusive) to the second (exclusive).
struct Period
{
    QDate from;
    QDate to;
};
// The calendar month before the one of the given day.
Period previousMonth(const QDate &today);

enum class PeriodReport { Workers, Products, WorkerDetail, ProductDetail };

// "   Отчет по рабочим за период с " and so on.
QString titlePrefix(PeriodReport report);
// The prefix, the first date, " по ", the second date, dates as DD.MM.YYYY.
QString title(PeriodReport report, const Period &period);
report::Layout layoutOf(PeriodReport report);
// The statement's name and text.
QString queryName(PeriodReport report);
QString queryText(PeriodReport report);

// Reads the period's rows and lays the report out over those the kind
// filter keeps. Throws DbError when the statement fails.
report::Document periodReport(DataModule &dm, PeriodReport report, const Period &period,
                              ProductKind kind);

// The printed hours sheet of a month, under the given heading
// ("<month name> <year> г.").
report::Document hoursSheet(DataModule &dm, int month, int year, const QString &heading);

// The operation column of the period export: the kind name, with
// " (грунт)" for colour 1 or " (цвет: N)" for a colour above 1.
QString exportOperation(const QVariant &vid, const QVariant &color);

// Export progress: rows written so far and rows in all.
using Progress = std::function<void(int done, int total)>;
// Writes the period's per-product summary into a new workbook and shows
// it. Returns the rows written, or -1 when no workbook could be opened
// (the spreadsheet has then said why). Throws DbError when the statement
// fails, before anything is opened.
int exportSummary(DataModule &dm, Spreadsheet &sheet, const Period &period, ProductKind kind,
                  const Progress &progress = {});

} // namespace reports
} // namespace tabel
