// The monthly timesheets on a database with years of entries.
//   bench_timesheets database host
//     The month rebuild of the hours sheet: the set-based rebuild against
//     the one-statement-at-a-time reference, each starting from the same
//     damaged month, with the sheets they leave compared row for row and
//     with the sheet the journal makes. The "Общий табель" window changing
//     to the largest month next to the server's own time of its
//     statements. The plans of the statements of both.
//   bench_timesheets --scale N database host
//     One point of the scaling figure: the set-based rebuild of the
//     busiest month and the rows it touches.
// Needs a QPA platform (offscreen will do). Exits non-zero when the sheets
// differ or a target is missed.
#include "app/connection.h"
#include "app/resultgrid.h"
#include "bench/benchkit.h"
#include "bench/rebuildreference.h"
#include "data/datamodule.h"
#include "data/sqltext.h"
#include "timesheets/monthsheet.h"
#include "timesheets/monthtimesheetwindow.h"
#include "timesheets/rebuild.h"

#include <QApplication>
#include <QComboBox>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tabel;

namespace {

// The month's whole sheet, every row and kind, as sorted lines.
QString sheetText(DataModule &dm, int month, int year)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << sql::dayColumn(d);
    const RowSet r = dm.control(QStringLiteral("select w_id, smena, i_type, i_night, %1 from "
                                               "accounts_dep.h_tabel where month=%2 and year=%3")
                                    .arg(days.join(QStringLiteral(", ")))
                                    .arg(month)
                                    .arg(year));
    QStringList lines;
    for (const auto &row : r.rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("-") : v.toString());
        lines << cells.join(QLatin1Char(' '));
    }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

// What a month's sheet looks like after missed postings and races: stale
// days, lost rows, doubled rows. Every rebuild starts from it.
void damage(DataModule &dm, int month, int year)
{
    const QString where = QStringLiteral("month=%1 and year=%2 and i_type=0").arg(month).arg(year);
    dm.execute(QStringLiteral("damage"),
               QStringLiteral("update accounts_dep.h_tabel set d1=null, d2=coalesce(d2,0)+1 where "
                              "%1 and w_id % 3 = 0").arg(where));
    dm.execute(QStringLiteral("damage"),
               QStringLiteral("insert into accounts_dep.h_tabel(w_id, smena, month, year, d3) select "
                              "w_id, smena, month, year, 99 from accounts_dep.h_tabel where %1 and "
                              "w_id % 7 = 0").arg(where));
    dm.execute(QStringLiteral("damage"),
               QStringLiteral("delete from accounts_dep.h_tabel where %1 and w_id % 5 = 0").arg(where));
}

struct Timed
{
    double medianMs = 0;
    int statements = 0;
    QString sheet;
};

Timed measure(DataModule &dm, int runs, int month, int year, const std::function<void()> &rebuild)
{
    Timed out;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        damage(dm, month, year);
        int sent = 0;
        dm.setTrace([&sent](const QString &, const QString &) { ++sent; });
        ms.push_back(bench::ms(rebuild));
        dm.setTrace(nullptr);
        out.statements = sent;
    }
    out.medianMs = bench::median(ms);
    out.sheet = sheetText(dm, month, year);
    return out;
}

struct Month
{
    int month = 0;
    int year = 0;
    qlonglong entries = 0;
};

// The complete month with the most journal entries.
Month busiestMonth(DataModule &dm)
{
    const RowSet r = dm.control(QStringLiteral(
        "select extract(month from data)::integer as m, extract(year from data)::integer as y, "
        "count(*) as n from accounts_dep.smena where data < date_trunc('month', current_date) "
        "group by 1, 2 order by 3 desc, 2 desc, 1 desc limit 1"));
    return {r.value(0, QStringLiteral("m")).toInt(), r.value(0, QStringLiteral("y")).toInt(),
            r.value(0, QStringLiteral("n")).toLongLong()};
}

// The month whose sheet has the most rows.
Month largestSheet(DataModule &dm)
{
    const RowSet r = dm.control(QStringLiteral(
        "select month, year, count(*) as n from accounts_dep.h_tabel group by month, year "
        "order by 3 desc, 2 desc, 1 desc limit 1"));
    return {r.value(0, QStringLiteral("month")).toInt(), r.value(0, QStringLiteral("year")).toInt(),
            r.value(0, QStringLiteral("n")).toLongLong()};
}

int scalePoint(int factor, const QString &db, const QString &host)
{
    DataModule dm;
    dm.open(connectionString(db, host));
    const Month m = busiestMonth(dm);
    MonthRebuild(dm).run(m.month, m.year);
    const Timed t = measure(dm, 5, m.month, m.year, [&] { MonthRebuild(dm).run(m.month, m.year); });
    const qlonglong sheetRows = t.sheet.isEmpty() ? 0 : t.sheet.count(QLatin1Char('\n')) + 1;
    bench::scale(QStringLiteral("month rebuild"), factor, m.entries + sheetRows, t.medianMs);
    return 0;
}

bool rebuild(DataModule &dm)
{
    const Month m = busiestMonth(dm);
    if (m.month == 0) {
        std::printf("no complete month of entries to rebuild\n");
        return false;
    }
    const QString before = sheetText(dm, m.month, m.year);
    const Timed reference = measure(dm, 3, m.month, m.year, [&] { referenceRebuild(dm, m.month, m.year); });
    const Timed setBased = measure(dm, 5, m.month, m.year, [&] { MonthRebuild(dm).run(m.month, m.year); });

    std::printf("month %02d.%d, %lld journal entries\n", m.month, m.year, m.entries);
    std::printf("%-36s median %9.2f ms  %6d statements\n", "rebuild, one statement at a time",
                reference.medianMs, reference.statements);
    std::printf("%-36s median %9.2f ms  %6d statements\n", "rebuild, set-based in one transaction",
                setBased.medianMs, setBased.statements);
    bool ok = true;
    if (reference.sheet != setBased.sheet) {
        std::printf("MISMATCH: the two rebuilds leave different sheets\n");
        ok = false;
    } else {
        std::printf("both leave the same %lld sheet rows\n",
                    qlonglong(setBased.sheet.count(QLatin1Char('\n')) + 1));
    }
    // The demo sheet is made in step with its journal: a rebuild of the
    // damaged month must bring back exactly that.
    if (before != setBased.sheet) {
        std::printf("MISMATCH: the rebuilt month differs from the sheet the journal makes\n");
        ok = false;
    }
    ok &= bench::ratio(QStringLiteral("month rebuild of the hours sheet, set-based, identical rows"),
                       QStringLiteral("the per-statement algorithm on the same damaged month"),
                       setBased.medianMs, reference.medianMs, bench::Goal::FasterAtLeast, 20);

    // The rebuild's own statements.
    QStringList sent;
    dm.setTrace([&sent](const QString &, const QString &sql) { sent << sql; });
    MonthRebuild(dm).run(m.month, m.year);
    dm.setTrace(nullptr);
    int n = 0;
    for (const QString &sql : sent)
        ok &= bench::plan(dm, QStringLiteral("rebuild step %1 (a month)").arg(++n), sql);
    return ok;
}

bool generalSheet(DataModule &dm)
{
    const Month m = largestSheet(dm);
    // Changes come from a neighbouring month of the same year.
    const int other = m.month == 1 ? 2 : m.month - 1;
    MonthTimesheetWindow window(dm);
    std::vector<double> changes, server;
    int rows = 0;
    QTimer::singleShot(0, &window, [&] {
        for (int i = 0; i < 21; ++i) {
            window.monthBox()->setCurrentIndex(other - 1);
            changes.push_back(bench::ms([&] {
                window.monthBox()->setCurrentIndex(m.month - 1);
                window.grid()->viewport()->repaint();
            }));
            double sum = bench::serverMs(dm, monthsheet::generalSql(),
                                         monthsheet::sheetParams(SheetMode::General, m.month, m.year));
            sum += bench::serverMs(dm, monthsheet::allPriceSql(), monthsheet::rangeParams(m.month, m.year, 2));
            for (const QString &sql : {monthsheet::kindPriceSql(7778), monthsheet::kindPriceSql(7777),
                                       monthsheet::piecePriceSql()})
                sum += bench::serverMs(dm, sql, monthsheet::rangeParams(m.month, m.year, 1));
            server.push_back(sum);
        }
        rows = window.sheet().sheet().rowCount();
        window.reject();
    });
    window.open(SheetMode::General, QDate(m.year, m.month, 1));
    std::printf("\"Общий табель\" of %02d.%d: %d rows\n", m.month, m.year, rows);
    bool ok = bench::ratio(QStringLiteral("\"Общий табель\": change to the largest month, grid drawn"),
                           QStringLiteral("EXPLAIN (ANALYZE) of its five statements"),
                           bench::median(changes), bench::median(server), bench::Goal::AtMost, 1.5);
    const Params sheetMonth = monthsheet::sheetParams(SheetMode::General, m.month, m.year);
    ok &= bench::plan(dm, QStringLiteral("\"Общий табель\" (a month)"), monthsheet::generalSql(), sheetMonth);
    ok &= bench::plan(dm, QStringLiteral("\"Табель сделка\" (a month)"), monthsheet::pieceWorkSql(),
                      monthsheet::sheetParams(SheetMode::PieceWork, m.month, m.year));
    ok &= bench::plan(dm, QStringLiteral("month's grand total"), monthsheet::allPriceSql(),
                      monthsheet::rangeParams(m.month, m.year, 2));
    ok &= bench::plan(dm, QStringLiteral("month's piece earnings"), monthsheet::piecePriceSql(),
                      monthsheet::rangeParams(m.month, m.year, 1));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.value(0) == QLatin1String("--scale"))
        return scalePoint(args.value(1).toInt(), args.value(2), args.value(3));
    DataModule dm;
    dm.open(connectionString(args.value(0, QStringLiteral("tabel_bench")), args.value(1, QStringLiteral("127.0.0.1"))));
    bool ok = rebuild(dm);
    ok &= generalSheet(dm);
    return ok ? 0 : 1;
}
