// Times what a user waits for on a database with years of entries: the
// journal's reload of the four shifts, a day's hours posting and the
// month's hours sheet. Prints one line per measure with its target and
// exits non-zero when a median misses its target.
#include "app/connection.h"
#include "data/datamodule.h"
#include "journal/hoursposting.h"
#include "journal/journal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tabel;

namespace {

struct Result
{
    const char *what;
    double medianMs;
    double targetMs;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(int runs, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(ms);
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
    Journal journal(dm);
    journal.setHiddenMark(QStringLiteral("ta"));

    const QDate last = dm.control(QStringLiteral("select max(data) as d from accounts_dep.smena"))
                           .value(0, QStringLiteral("d"))
                           .toDate();
    const RowSet busiest = dm.control(QStringLiteral(
        "select w_id, smena, data from accounts_dep.smena group by w_id, smena, data "
        "order by count(*) desc, data desc limit 1"));
    const int worker = busiest.value(0, QStringLiteral("w_id")).toInt();
    const int shift = busiest.value(0, QStringLiteral("smena")).toInt();
    const QDate day = busiest.value(0, QStringLiteral("data")).toDate();

    std::vector<Result> results;
    results.push_back({"journal reload (4 shifts, one date)",
                       timeIt(50, [&](int i) { journal.load(last.addDays(-i)); }), 150});
    results.push_back({"hours posting (save side, one day)",
                       timeIt(50, [&](int) { HoursPosting(dm).save(pieceWorkKey(worker, shift, day)); }),
                       50});
    ResultSet &sheet = dm.hTabel(1);
    sheet.setParam(QStringLiteral("mnth"), last.month());
    sheet.setParam(QStringLiteral("yea"), last.year());
    sheet.setParam(QStringLiteral("date1"), QDate(last.year(), last.month(), 1));
    sheet.setParam(QStringLiteral("date2"), QDate(last.year(), last.month(), 1).addMonths(1));
    results.push_back({"hours sheet of a month (shift 1)", timeIt(10, [&](int) { sheet.reopen(); }), 1000});

    bool ok = true;
    for (const Result &r : results) {
        const bool met = r.medianMs <= r.targetMs;
        ok = ok && met;
        std::printf("%-40s median %8.2f ms  target %6.0f ms  %s\n", r.what, r.medianMs, r.targetMs,
                    met ? "ok" : "MISSED");
    }
    return ok ? 0 : 1;
}
