// Times the printed reports: a 10,000-row detail report laid out and
// written as PDF without its query, and each period report of the busiest
// month read, laid out and written, next to its query alone. Prints one
// line per measure with its target and exits non-zero when a median
// misses it.
//   bench_reports [database host [folder]]: with a folder, the four
//   reports of the month before the last entry are left there as PDFs.
#include "app/connection.h"
#include "data/datamodule.h"
#include "reports/layouts.h"
#include "reports/periodreports.h"
#include "reports/reportpainter.h"

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
