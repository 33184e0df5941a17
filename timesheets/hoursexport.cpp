#include "timesheets/hoursexport.h"

#include "data/datamodule.h"
#include "reports/reportqueries.h"
#include "reports/spreadsheet.h"
#include "timesheets/month.h"

namespace tabel::hoursexport {

namespace {

constexpr int kDays = 31;
constexpr int kTotalColumn = kDays + 2;

} // namespace

QString title(int month, int year)
{
    return QStringLiteral("%1 %2").arg(month::name(month)).arg(year);
}

QVector<Cell> headingCells(const QString &title)
{
    QVector<Cell> out;
    out.push_back({1, 1, title, true, true});
    out.push_back({1, 2, QStringLiteral("Фамилия И.О."), true, true});
    for (int d = 1; d <= kDays; ++d)
        out.push_back({d + 1, 2, QString::number(d), false, true});
    out.push_back({kTotalColumn, 2, QStringLiteral("Итого"), true, true});
    return out;
}

QVector<Cell> rowCells(const RowSet &rows, int r)
{
    const int row = r + 3;
    QVector<Cell> out;
    out.push_back({1, row, rows.value(r, QStringLiteral("fio")).toString(), true, false});
    qlonglong total = 0;
    for (int d = 1; d <= kDays; ++d) {
        const QVariant v = rows.value(r, QStringLiteral("sd%1").arg(d));
        const qlonglong hours = v.isNull() ? 0 : v.toLongLong();
        total += hours;
        out.push_back({d + 1, row, QString::number(hours), false, false});
    }
    out.push_back({kTotalColumn, row, QString::number(total), false, false});
    return out;
}

RowSet read(DataModule &dm, int month, int year)
{
    return dm.select(QStringLiteral("H_Tabel"), reports::hoursSheetSql(),
                     {{QStringLiteral("mnth"), month}, {QStringLiteral("yea"), year}});
}

bool write(const RowSet &rows, const QString &title, Spreadsheet &sheet, const Progress &progress)
{
    if (sheet.openSpreadsheet(QString()) == -1)
        return false;
    sheet.setSpreadsheetVisible(false);
    const int total = rows.size();
    if (progress)
        progress(0, total);
    // A cell that cannot be written has been reported; the rest still go.
    auto put = [&sheet](const Cell &c) {
        sheet.writeCellFormatted(1, c.column, c.row, c.text, c.asText, true, c.bold);
    };
    for (const Cell &c : headingCells(title))
        put(c);
    for (int r = 0; r < total; ++r) {
        for (const Cell &c : rowCells(rows, r))
            put(c);
        if (progress)
            progress(r + 1, total);
    }
    sheet.setSpreadsheetVisible(true);
    return true;
}

} // namespace tabel::hoursexport
