// The journal on a database with years of entries.
//   bench_journal database host
//     The journal's activation (the four shift queries of the busiest date
//     read into their grid models) next to the server's own time of the
//     same four statements; the plans of the statements that read the
//     journal or the hours sheet for a date, a month or a worker; a day's
//     hours posting and a month's hours sheet against fixed times.
//   bench_journal --scale N database host
//     One point of the scaling figure: the activation on the busiest date
//     and the rows it reads.
// Exits non-zero when a target is missed.
#include "app/connection.h"
#include "app/resultsetmodel.h"
#include "bench/benchkit.h"
#include "data/datamodule.h"
#include "data/sharedqueries.h"
#include "journal/hoursposting.h"
#include "journal/journal.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tabel;

namespace {

struct Busiest
{
    QDate day;
    int worker = 0;
    int shift = 0;
    QDate workerDay;
};

Busiest busiest(DataModule &dm)
{
    Busiest b;
    b.day = dm.control(QStringLiteral("select data from accounts_dep.smena where ok<>'ta' group by data "
                                      "order by count(*) desc, data desc limit 1"))
                .value(0, QStringLiteral("data"))
                .toDate();
    const RowSet w = dm.control(QStringLiteral(
        "select w_id, smena, data from accounts_dep.smena group by w_id, smena, data "
        "order by count(*) desc, data desc limit 1"));
    b.worker = w.value(0, QStringLiteral("w_id")).toInt();
    b.shift = w.value(0, QStringLiteral("smena")).toInt();
    b.workerDay = w.value(0, QStringLiteral("data")).toDate();
    return b;
}

// The journal with a grid model over each shift, as its window has.
struct Activation
{
    explicit Activation(DataModule &dm) : journal(dm)
    {
        journal.setHiddenMark(QStringLiteral("ta"));
        for (int s = 1; s <= 4; ++s) {
            models.push_back(std::make_unique<ResultSetModel>(QVector<GridColumn>{}));
            models.back()->setResultSet(&dm.smena(s));
        }
    }
    int rows(DataModule &dm) const
    {
        int n = 0;
        for (int s = 1; s <= 4; ++s)
            n += dm.smena(s).rowCount();
        return n;
    }
    Journal journal;
    std::vector<std::unique_ptr<ResultSetModel>> models;
};

Params shiftParams(const QDate &day)
{
    return {{QStringLiteral("data"), day}, {QStringLiteral("ok"), QStringLiteral("ta")}};
}

int scalePoint(int factor, const QString &db, const QString &host)
{
    DataModule dm;
    dm.open(connectionString(db, host));
    Activation a(dm);
    const QDate day = busiest(dm).day;
    for (int i = 0; i < 3; ++i)
        a.journal.load(day);
    const double ms = bench::medianMs(25, [&] { a.journal.load(day); });
    bench::scale(QStringLiteral("journal activation"), factor, a.rows(dm), ms);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.value(0) == QLatin1String("--scale"))
        return scalePoint(args.value(1).toInt(), args.value(2), args.value(3));
    const QString db = args.value(0, QStringLiteral("tabel_bench"));
    const QString host = args.value(1, QStringLiteral("127.0.0.1"));

    DataModule dm;
    dm.open(connectionString(db, host));
    const Busiest b = busiest(dm);
    bool ok = true;

    // Activation and the server's time of its statements, taken in turns
    // so that both see the same load of the machine.
    {
        Activation a(dm);
        for (int i = 0; i < 3; ++i)
            a.journal.load(b.day);
        std::vector<double> loads, server;
        for (int i = 0; i < 31; ++i) {
            loads.push_back(bench::ms([&] { a.journal.load(b.day); }));
            double sum = 0;
            for (int s = 1; s <= 4; ++s)
                sum += bench::serverMs(dm, shared::smenaSql(s), shiftParams(b.day));
            server.push_back(sum);
        }
        std::printf("journal of %s: %d entries in four shifts\n", qPrintable(b.day.toString(Qt::ISODate)),
                    a.rows(dm));
        ok &= bench::ratio(QStringLiteral("journal activation: four shifts of the busiest date into their models"),
                           QStringLiteral("EXPLAIN (ANALYZE) of the four statements"), bench::median(loads),
                           bench::median(server), bench::Goal::AtMost, 1.5);
    }

    // Plans of what reads the journal or the sheet for a date, a month or
    // a worker.
    for (int s = 1; s <= 4; ++s)
        ok &= bench::plan(dm, QStringLiteral("Smena%1 (a date)").arg(s), shared::smenaSql(s), shiftParams(b.day));
    const SheetKey piece = pieceWorkKey(b.worker, b.shift, b.workerDay);
    ok &= bench::plan(dm, QStringLiteral("posting: sheet rows of a worker"), piece.countSql);
    ok &= bench::plan(dm, QStringLiteral("posting: a worker's hours of a day"), piece.totalSql);
    ok &= bench::plan(dm, QStringLiteral("posting: a worker's day cell"), piece.updateSql(8, piece.saveWhere));
    const SheetKey aux = auxiliaryKey(b.worker, 7777, 0, b.workerDay);
    ok &= bench::plan(dm, QStringLiteral("posting: auxiliary sheet rows of a worker"), aux.countSql);
    const QDate first(b.day.year(), b.day.month(), 1);
    const Params month{{QStringLiteral("mnth"), first.month()},
                       {QStringLiteral("yea"), first.year()},
                       {QStringLiteral("date1"), first},
                       {QStringLiteral("date2"), first.addMonths(1)}};
    for (int s = 1; s <= 3; ++s)
        ok &= bench::plan(dm, QStringLiteral("H_Tabel_%1 (a month)").arg(s), shared::hTabelSql(s), month);

    // What a user waits for, against fixed times.
    struct Fixed
    {
        const char *what;
        double ms;
        double target;
    };
    std::vector<Fixed> fixed;
    fixed.push_back({"hours posting (save side, one day)",
                     bench::medianMs(50, [&] { HoursPosting(dm).save(piece); }), 50});
    ResultSet &sheet = dm.hTabel(1);
    for (const auto &[name, value] : month)
        sheet.setParam(name, value);
    fixed.push_back({"hours sheet of a month (shift 1)", bench::medianMs(10, [&] { sheet.reopen(); }), 1000});
    for (const Fixed &f : fixed) {
        const bool met = f.ms <= f.target;
        ok &= met;
        std::printf("%-40s median %8.2f ms  target %6.0f ms  %s\n", f.what, f.ms, f.target, met ? "ok" : "MISSED");
    }
    return ok ? 0 : 1;
}
