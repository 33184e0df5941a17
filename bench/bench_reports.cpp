// Times the printed reports and the period export: a 10,000-row detail
// report laid out and written as PDF without its query; the worker detail
// of the busiest month read, paginated and written as PDF, and the
// product summary of the busiest year exported to a workbook, each next
// to its query alone; each period report of the month before the last
// entry next to its query; the plans of the reports' statements. Prints
// one line per measure with its target and exits non-zero when one is
// missed.
//   bench_reports [database host [folder]]: with a folder, the four
//   reports of the month before the last entry are left there as PDFs.
#include "app/connection.h"
#include "bench/benchkit.h"
#include "data/datamodule.h"
#include "reports/layouts.h"
#include "reports/periodreports.h"
#include "reports/reportpainter.h"
#include "reports/reportqueries.h"
#include "reports/spreadsheet.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tabel;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(int runs, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(ms);
}

// Rows shaped like the worker detail: 100 workers of 100 rows each.
RowSet detailRows(int count)
{
    RowSet rows;
    rows.columns = {"fio", "marka", "vid", "naimen", "kolvo", "brk", "summa", "color", "s_prize"};
    for (int i = 0; i < count; ++i)
        rows.rows.push_back({QStringLiteral("Рабочий %1").arg(i / 100, 3, 10, QChar('0')),
                             QStringLiteral("КН-%1").arg(100 + i % 700), QStringLiteral("Покраска"),
                             i % 2, qlonglong(i % 500), qlonglong(i % 7), i * 0.37, i % 12, 0.0});
    return rows;
}

Params periodParams(const reports::Period &p)
{
    return {{QStringLiteral("data1"), QDateTime(p.from, QTime())},
            {QStringLiteral("data2"), QDateTime(p.to, QTime())}};
}

// The worker detail of the busiest month and the product summary of the
// busiest year, each next to its query alone, taken in turns; the plans
// of the reports' statements.
bool sideBySide(DataModule &dm, const QString &folder)
{
    const RowSet busiest = dm.control(QStringLiteral(
        "select date_trunc('month', data)::date as m from accounts_dep.smena where data < "
        "date_trunc('month', current_date) group by 1 order by count(*) desc, 1 desc limit 1"));
    const QDate first = busiest.value(0, QStringLiteral("m")).toDate();
    const reports::Period month{first, first.addMonths(1)};
    const RowSet busiestYear = dm.control(QStringLiteral(
        "select extract(year from data)::integer as y from accounts_dep.smena where data < "
        "date_trunc('year', current_date) group by 1 order by count(*) desc, 1 desc limit 1"));
    const int y = busiestYear.isEmpty() ? first.year() : busiestYear.value(0, QStringLiteral("y")).toInt();
    const reports::Period year{QDate(y, 1, 1), QDate(y + 1, 1, 1)};
    using reports::PeriodReport;

    bool ok = true;
    {
        std::vector<double> full, query;
        size_t pages = 0;
        int rows = 0;
        for (int i = 0; i < 9; ++i) {
            full.push_back(bench::ms([&] {
                const report::Document doc =
                    reports::periodReport(dm, PeriodReport::WorkerDetail, month, reports::ProductKind::All);
                pages = doc.pages.size();
                report::writePdf(doc, QDir(folder).filePath(QStringLiteral("detail.pdf")));
            }));
            query.push_back(bench::ms([&] {
                rows = dm.select(reports::queryName(PeriodReport::WorkerDetail),
                                 reports::queryText(PeriodReport::WorkerDetail), periodParams(month)).size();
            }));
        }
        std::printf("worker detail of %s: %d rows, %zu pages\n", qPrintable(first.toString("MM.yyyy")), rows, pages);
        ok &= bench::ratio(QStringLiteral("worker detail of the busiest month, paginated and written as PDF"),
                           QStringLiteral("its query alone"), bench::median(full), bench::median(query),
                           bench::Goal::AtMost, 2);
    }
    {
        Spreadsheet sheet;
        sheet.setFolder(folder);
        sheet.setOpener([](const QString &) { return true; });
        std::vector<double> full, query;
        int written = 0, rows = 0;
        for (int i = 0; i < 7; ++i) {
            full.push_back(bench::ms([&] {
                written = reports::exportSummary(dm, sheet, year, reports::ProductKind::All);
            }));
            query.push_back(bench::ms([&] {
                rows = dm.select(QStringLiteral("XLS_Rep"), reports::summaryExportSql(), periodParams(year)).size();
            }));
        }
        std::printf("product summary of %d: %d rows, %d written\n", y, rows, written);
        ok &= written == rows;
        ok &= bench::ratio(QStringLiteral("product summary of the busiest year exported to .xlsx"),
                           QStringLiteral("its query alone"), bench::median(full), bench::median(query),
                           bench::Goal::AtMost, 2);
    }
    const std::pair<PeriodReport, const char *> printed[] = {
        {PeriodReport::Workers, "worker summary"},
        {PeriodReport::Products, "product summary"},
        {PeriodReport::WorkerDetail, "worker detail"},
        {PeriodReport::ProductDetail, "product detail"},
    };
    for (const auto &[which, name] : printed)
        ok &= bench::plan(dm, QStringLiteral("%1 (a month)").arg(QLatin1String(name)), reports::queryText(which),
                          periodParams(month));
    ok &= bench::plan(dm, QStringLiteral("printed hours sheet (a month)"), reports::hoursSheetSql(),
                      {{QStringLiteral("mnth"), first.month()}, {QStringLiteral("yea"), first.year()}});
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QStringList args = app.arguments();
    QTemporaryDir tmp;
    bool failed = false;
    auto report = [&](const QString &what, double ms, double target) {
        const bool ok = ms <= target;
        failed = failed || !ok;
        std::printf("%-58s %9.1f ms  (target %6.0f ms) %s\n", qPrintable(what), ms, target,
                    ok ? "ok" : "MISSED");
    };

    const RowSet rows = detailRows(10000);
    const report::Layout layout = report::workerDetailLayout();
    size_t pages = 0;
    const double renderMs = timeIt(5, [&] {
        const report::Document doc = report::render(layout, rows, {}, QStringLiteral("   Отчет"));
        pages = doc.pages.size();
        report::writePdf(doc, tmp.filePath(QStringLiteral("detail.pdf")));
    });
    report(QStringLiteral("10,000-row worker detail, laid out and PDF (%1 pages)").arg(pages),
           renderMs, 1000);

    if (args.size() < 3)
        return failed ? 1 : 0;

    DataModule dm;
    dm.open(connectionString(args[1], args[2]));
    failed = !sideBySide(dm, tmp.path()) || failed;
    const QDate last = dm.control(QStringLiteral("select max(data)::date as d from accounts_dep.smena"))
                           .value(0, QStringLiteral("d"))
                           .toDate();
    const reports::Period month = reports::previousMonth(last);
    const Params params{{QStringLiteral("data1"), QDateTime(month.from, QTime())},
                        {QStringLiteral("data2"), QDateTime(month.to, QTime())}};
    using reports::PeriodReport;
    for (PeriodReport which : {PeriodReport::Workers, PeriodReport::Products,
                               PeriodReport::WorkerDetail, PeriodReport::ProductDetail}) {
        int count = 0;
        const double queryMs = timeIt(5, [&] {
            count = dm.select(reports::queryName(which), reports::queryText(which), params).size();
        });
        report::Document doc;
        const double fullMs = timeIt(5, [&] {
            doc = reports::periodReport(dm, which, month, reports::ProductKind::All);
            report::writePdf(doc, tmp.filePath(QStringLiteral("r.pdf")));
        });
        const QString name = doc.layout.name;
        std::printf("%-58s %9.1f ms  (%d rows)\n",
                    qPrintable(QStringLiteral("%1 query alone, %2").arg(name, month.from.toString("MM.yyyy"))),
                    queryMs, count);
        report(QStringLiteral("%1 read, laid out and PDF (%2 pages)").arg(name).arg(doc.pages.size()),
               fullMs, queryMs + 1000);
        if (args.size() > 3)
            report::writePdf(doc, QDir(args[3]).filePath(name + QStringLiteral(".pdf")));
    }
    if (args.size() > 3) {
        const report::Document sheet = reports::hoursSheet(dm, month.from.month(), month.from.year(),
                                                           QStringLiteral("%1 г.").arg(month.from.year()));
        report::writePdf(sheet, QDir(args[3]).filePath(QStringLiteral("TForm15.pdf")));
    }
    return failed ? 1 : 0;
}
