#include "reports/periodreports.h"

#include "data/datamodule.h"
#include "reports/layouts.h"
#include "reports/reportformat.h"
#include "reports/reportqueries.h"
#include "reports/spreadsheet.h"

#include <QDateTime>

namespace tabel::reports {

namespace {

Params periodParams(const Period &period)
{
    return {{QStringLiteral("data1"), QDateTime(period.from, QTime(0, 0))},
            {QStringLiteral("data2"), QDateTime(period.to, QTime(0, 0))}};
}

QString shortDate(const QDate &d)
{
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

RowPredicate kindFilter(ProductKind kind)
{
    if (kind == ProductKind::All)
        return {};
    const qlonglong wanted = kind == ProductKind::Finished ? 0 : 1;
    return [wanted, column = -1](const RowSet &rows, int row) mutable {
        if (column < 0)
            column = rows.columnIndex(QStringLiteral("naimen"));
        if (column < 0)
            return false;
        const auto n = wholeNumber(rows.rows[row][column]);
        return n && *n == wanted;
    };
}

Period previousMonth(const QDate &today)
{
    const QDate first(today.year(), today.month(), 1);
    return {first.addMonths(-1), first};
}

QString titlePrefix(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Workers:
        return QStringLiteral("   Отчет по рабочим за период с ");
    case PeriodReport::Products:
        return QStringLiteral("   Отчет по продукции за период с ");
    case PeriodReport::WorkerDetail:
        return QStringLiteral("   Детальный отчет по рабочим за период с ");
    case PeriodReport::ProductDetail:
        return QStringLiteral("   Детальный отчет по продукции за период с ");
    }
    return QString();
}

QString title(PeriodReport report, const Period &period)
{
    return titlePrefix(report) + shortDate(period.from) + QStringLiteral(" по ")
        + shortDate(period.to);
}

report::Layout layoutOf(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Workers:
        return report::workerSummaryLayout();
    case PeriodReport::Products:
        return report::productSummaryLayout();
    case PeriodReport::WorkerDetail:
        return report::workerDetailLayout();
    case PeriodReport::ProductDetail:
        return report::productDetailLayout();
    }
    return {};
}

QString queryName(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Workers:
    case PeriodReport::Products:
        return QStringLiteral("t_Report");
    case PeriodReport::WorkerDetail:
        return QStringLiteral("w_Report");
    case PeriodReport::ProductDetail:
        return QStringLiteral("i_Report");
    }
    return QString();
}

QString queryText(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Workers:
        return workerSummarySql();
    case PeriodReport::Products:
        return productSummarySql();
    case PeriodReport::WorkerDetail:
        return workerDetailSql();
    case PeriodReport::ProductDetail:
        return productDetailSql();
    }
    return QString();
}

report::Document periodReport(DataModule &dm, PeriodReport report, const Period &period,
                              ProductKind kind)
{
    const RowSet rows = dm.select(queryName(report), queryText(report), periodParams(period));
    return report::render(layoutOf(report), rows, kindFilter(kind), title(report, period));
}

report::Document hoursSheet(DataModule &dm, int month, int year, const QString &heading)
{
    const RowSet rows = dm.select(QStringLiteral("H_Tabel"), hoursSheetSql(),
                                  {{QStringLiteral("mnth"), month}, {QStringLiteral("yea"), year}});
    return report::render(report::hoursSheetLayout(), rows, {}, heading);
}

QString exportOperation(const QVariant &vid, const QVariant &color)
{
    QString text = vid.toString();
    const auto c = wholeNumber(color);
    if (c && *c == 1)
        text += QStringLiteral(" (грунт)");
    else if (c && *c > 1)
        text += QStringLiteral(" (цвет: %1)").arg(*c);
    return text;
}

int exportSummary(DataModule &dm, Spreadsheet &sheet, const Period &period, ProductKind kind,
                  const Progress &progress)
{
    const RowSet all = dm.select(QStringLiteral("XLS_Rep"), summaryExportSql(), periodParams(period));
    const RowPredicate keep = kindFilter(kind);
    std::vector<int> rows;
    for (int r = 0; r < all.size(); ++r)
        if (!keep || keep(all, r))
            rows.push_back(r);

    if (sheet.openSpreadsheet(QString()) == -1)
        return -1;
    const int total = int(rows.size());
    if (progress)
        progress(0, total);
    const QStringList headings = {QStringLiteral("Наименование"), QStringLiteral("Операция"),
                                  QStringLiteral("Вид продукции"), QStringLiteral("Коробки"),
                                  QStringLiteral("Кол-во")};
    for (int c = 0; c < headings.size(); ++c)
        sheet.writeCell(1, c + 1, 1, headings[c]);

    const int nom = all.columnIndex(QStringLiteral("nom"));
    const int vid = all.columnIndex(QStringLiteral("vid"));
    const int color = all.columnIndex(QStringLiteral("color"));
    const int naimen = all.columnIndex(QStringLiteral("naimen"));
    const int mass = all.columnIndex(QStringLiteral("mass"));
    const int kolvo = all.columnIndex(QStringLiteral("kolvo"));
    int sheetRow = 2;
    int done = 0;
    for (int r : rows) {
        const auto &row = all.rows[r];
        sheet.writeCell(1, 1, sheetRow, row[nom].toString());
        sheet.writeCell(1, 2, sheetRow, exportOperation(row[vid], row[color]));
        sheet.writeCell(1, 3, sheetRow, report::kindText(row[naimen]));
        sheet.writeCell(1, 4, sheetRow, row[mass].isNull() ? QString() : report::general(row[mass].toDouble()));
        sheet.writeCell(1, 5, sheetRow, row[kolvo].isNull() ? QString() : report::fixed(row[kolvo].toDouble(), 0));
        ++sheetRow;
        ++done;
        if (progress)
            progress(done, total);
    }
    sheet.setSpreadsheetVisible(true);
    return done;
}

} // namespace tabel::reports
