// A small version of the stress run in bench/: eight connections, each in
// a thread of its own, on the same workers, shifts and days of one month
// through the program's rules, then the sheet against the journals.
#include "bench/stress.h"
#include "data/datamodule.h"
#include "testdb.h"

#include <QtTest>

using namespace tabel;
using namespace tabel::test;

class StressTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eightWorkstationsLeaveTheSheetEqualToTheJournals()
    {
        TestDatabase db;
        stress::Options options;
        options.connectionString = db.connectionString();
        options.clerks = 8;
        options.actionsPerClerk = 150;
        // A guard only; the run ends after its actions well before.
        options.seconds = 240;
        {
            auto dm = db.connect(QStringLiteral("prepare"));
            stress::prepare(*dm, options);
        }
        const stress::Result result = stress::run(options);
        qInfo("%s", qPrintable(result.summary()));
        QVERIFY2(result.clean(), qPrintable(result.summary()));
        QCOMPARE(result.actions, qint64(options.clerks * options.actionsPerClerk));
        // The clerks did meet: entries were added and left behind.
        QVERIFY2(result.entries > 0 && result.sheetRows > 0, qPrintable(result.summary()));
    }

    // Repricing a month with many average-rate entries while other
    // workstations reprice it too and change and delete its entries one by
    // one: no workstation waits on another for ever, so the server fails
    // none of them as a deadlock.
    void repricingAlongsideChangesNeverDeadlocks()
    {
        TestDatabase db;
        stress::Options options;
        options.connectionString = db.connectionString();
        options.clerks = 8;
        options.actionsPerClerk = 40;
        options.seconds = 240;
        options.weights = {{"add entry", 0},        {"change entry", 0},   {"delete entry", 0},
                           {"accept entry", 0},     {"add auxiliary", 2},  {"change auxiliary", 10},
                           {"delete auxiliary", 2}, {"reprice month", 10}, {"rebuild month", 0},
                           {"look at sheet", 0}};
        {
            auto dm = db.connect(QStringLiteral("prepare"));
            stress::prepare(*dm, options);
            dm->execute("t", "insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, "
                             "cnt, price, i_holiday, i_night) select 10 + g % 2, 7778, 1 + g % 6, "
                             "make_date(2026, 3, 1 + g % 10), 3, 2026, 1, 1 + g % 8, 0, 0, g % 4 / 3 from "
                             "generate_series(1, 400) g");
            // Their hours posted as the editor would have.
            dm->execute("t", "insert into accounts_dep.h_tabel(i_type, w_id, month, year, i_night, "
                             "d1, d2, d3, d4, d5, d6, d7, d8, d9, d10) select 7778, id_p, 3, 2026, i_night, "
                             "sum(cnt) filter (where d_date='2026-03-01'), sum(cnt) filter (where d_date='2026-03-02'), "
                             "sum(cnt) filter (where d_date='2026-03-03'), sum(cnt) filter (where d_date='2026-03-04'), "
                             "sum(cnt) filter (where d_date='2026-03-05'), sum(cnt) filter (where d_date='2026-03-06'), "
                             "sum(cnt) filter (where d_date='2026-03-07'), sum(cnt) filter (where d_date='2026-03-08'), "
                             "sum(cnt) filter (where d_date='2026-03-09'), sum(cnt) filter (where d_date='2026-03-10') "
                             "from accounts_dep.fatigue group by id_p, i_night");
            QCOMPARE(stress::check(*dm), QStringList{});
        }
        const stress::Result result = stress::run(options);
        QVERIFY2(result.clean(), qPrintable(result.summary()));
        QVERIFY(result.byKind.value("reprice month") > 0);
    }

    // The check itself sees what it is there to see: a day cell the
    // journal does not have, a sheet row held twice, an entry held twice.
    void theCheckFindsWhatIsWrong()
    {
        TestDatabase db;
        auto dm = db.connect();
        stress::Options options;
        stress::prepare(*dm, options);
        QVERIFY(stress::check(*dm).isEmpty());
        dm->execute("t", "insert into accounts_dep.h_tabel(w_id, smena, month, year, d3) values (1, 1, 3, 2026, 8), "
                         "(1, 1, 3, 2026, null)");
        dm->execute("t", "insert into accounts_dep.smena(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time) "
                         "values (1, 501, 11, 10, 1, 0, '2026-03-03', 1, 0, 8), (1, 501, 11, 10, 1, 0, '2026-03-03', 1, 0, 8)");
        const QStringList faults = stress::check(*dm);
        QVERIFY2(faults.contains("worker 1 shift 1 03.03.2026: sheet 8, journal 16"), qPrintable(faults.join("; ")));
        QVERIFY2(faults.contains("sheet row of worker 1 shift 1 in 3.2026 held 2 times"), qPrintable(faults.join("; ")));
        QVERIFY2(faults.contains("entry of worker 1 operation 11 product 501 on 03.03.2026 shift 1 colour 0 held 2 times"),
                 qPrintable(faults.join("; ")));
    }
};

QTEST_GUILESS_MAIN(StressTest)
#include "test_stress.moc"
