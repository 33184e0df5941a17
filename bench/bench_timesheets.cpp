// The month rebuild of the hours sheet on a database with years of
// entries: the set-based rebuild against the one-statement-at-a-time
// reference, on the same damaged month, with the sheet each leaves
// compared row for row and with the sheet the journal makes. Prints the timings and statement counts; exits non-zero when
// the two sheets differ or the rebuild misses its target.
#include "app/connection.h"
#include "bench/rebuildreference.h"
#include "data/datamodule.h"
#include "data/sqltext.h"
#include "timesheets/rebuild.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
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

struct Timed
{
    double medianMs = 0;
    int statements = 0;
    QString sheet;
};

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

Timed measure(DataModule &dm, int runs, int month, int year, const std::function<void()> &rebuild)
{
    Timed out;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        damage(dm, month, year);
        int sent = 0;
        dm.setTrace([&sent](const QString &, const QString &) { ++sent; });
        QElapsedTimer t;
        t.start();
        rebuild();
        ms.push_back(t.nsecsElapsed() / 1e6);
        dm.setTrace(nullptr);
        out.statements = sent;
    }
    out.medianMs = median(ms);
    out.sheet = sheetText(dm, month, year);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString db = args.value(1, QStringLiteral("tabel_bench"));
    const QString host = args.value(2, QStringLiteral("127.0.0.1"));

    DataModule dm;
    dm.open(connectionString(db, host));

    // The busiest complete month.
    const RowSet busiest = dm.control(QStringLiteral(
        "select extract(month from data)::integer as m, extract(year from data)::integer as y, "
        "count(*) as n from accounts_dep.smena where data < date_trunc('month', current_date) "
        "group by 1, 2 order by 3 desc limit 1"));
    if (busiest.isEmpty()) {
        std::printf("no complete month of entries to rebuild\n");
        return 1;
    }
    const int month = busiest.value(0, QStringLiteral("m")).toInt();
    const int year = busiest.value(0, QStringLiteral("y")).toInt();
    const qlonglong entries = busiest.value(0, QStringLiteral("n")).toLongLong();
    const QString before = sheetText(dm, month, year);

    const Timed reference = measure(dm, 3, month, year, [&] { referenceRebuild(dm, month, year); });
    const Timed setBased = measure(dm, 5, month, year, [&] { MonthRebuild(dm).run(month, year); });

    std::printf("month %02d.%d, %lld journal entries\n", month, year, entries);
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
    constexpr double targetMs = 250;
    const bool met = setBased.medianMs <= targetMs;
    std::printf("set-based target %6.0f ms  %s\n", targetMs, met ? "ok" : "MISSED");
    return ok && met ? 0 : 1;
}
