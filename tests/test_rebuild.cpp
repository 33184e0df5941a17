// The month rebuild of the hours sheet against a real server: it leaves
// the rows the per-statement reference leaves and the sheet the postings
// would have made, keeps auxiliary rows and other months, leaves the month
// as it was when it fails, and neither loses nor doubles a posting made on
// another workstation while it runs.
#include "bench/rebuildreference.h"
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "fixtures.h"
#include "journal/hoursposting.h"
#include "testdb.h"
#include "timesheets/rebuild.h"

#include <QScopeGuard>
#include <QtTest>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

using namespace tabel;
using namespace tabel::test;

namespace {

QDate mar(int day)
{
    return {2026, 3, day};
}

// The sheet's rows as text, duplicates included, in a fixed order.
QString sheetLines(DataModule &dm, const QString &where = QStringLiteral("true"))
{
    QStringList days, order;
    for (int d = 1; d <= 31; ++d)
        days << sql::dayColumn(d);
    for (int c = 1; c <= 37; ++c)
        order << QString::number(c);
    return rowsText(dm, QStringLiteral("select w_id, smena, i_type, i_night, month, year, %1 from "
                                       "accounts_dep.h_tabel where %2 order by %3")
                            .arg(days.join(QStringLiteral(", ")), where,
                                 order.join(QStringLiteral(", "))));
}

// Rows the rebuild of a month must not touch: other months, and the
// month's auxiliary rows.
QString untouchedBy(int month, int year)
{
    return QStringLiteral("not (month=%1 and year=%2 and coalesce(i_type,0) not in (7777, 7778))")
        .arg(month)
        .arg(year);
}

int doubledKeys(DataModule &dm)
{
    return dm
        .control(QStringLiteral("select count(*) as n from (select 1 from accounts_dep.h_tabel "
                                "where i_type=0 group by w_id, smena, month, year having "
                                "count(*) > 1) d"))
        .value(0, QStringLiteral("n"))
        .toInt();
}

void run(DataModule &dm, const QString &sql)
{
    dm.execute(QStringLiteral("fixture"), sql);
}

// Entries written and posted the way the editors do it.
void posted(DataModule &dm, const Entry &e)
{
    addEntry(dm, e);
    HoursPosting(dm).save(pieceWorkKey(e.worker, e.shift, e.date));
}

void postedAux(DataModule &dm, const AuxEntry &e)
{
    addAuxEntry(dm, e);
    HoursPosting(dm).save(auxiliaryKey(e.worker, e.kind, e.night, e.date));
}

enum Fixture {
    DamagedMonth,   // March 2026: four shifts, two workers, auxiliary rows, what goes wrong
    NoEntries,      // March 2026: sheet rows and auxiliary works, no shift entry
    December,       // December 2026 next to January 2027
    LeapFebruary,   // February 2028 next to March
};

void build(DataModule &dm, Fixture f)
{
    loadShop(dm);
    switch (f) {
    case DamagedMonth:
        // Neighbours that must stay as they are.
        posted(dm, {.worker = 1, .date = QDate(2026, 2, 28), .shift = 1, .hours = 8});
        posted(dm, {.worker = 1, .date = QDate(2026, 4, 1), .shift = 1, .hours = 8});
        posted(dm, {.worker = 2, .date = QDate(2025, 3, 2), .shift = 1, .hours = 6});
        // The month, in all four shifts.
        posted(dm, {.worker = 1, .date = mar(2), .shift = 1, .hours = 8});
        posted(dm, {.worker = 1, .date = mar(2), .shift = 1, .hours = 3});
        posted(dm, {.worker = 1, .date = mar(3), .shift = 2, .hours = 8});
        posted(dm, {.worker = 1, .date = mar(31), .shift = 3, .hours = 7});
        posted(dm, {.worker = 1, .date = mar(2), .shift = 4, .hours = 2});
        posted(dm, {.worker = 2, .date = mar(1), .shift = 1, .hours = 8});
        posted(dm, {.worker = 2, .date = mar(16), .shift = 1, .hours = 0});
        posted(dm, {.worker = 2, .date = mar(15), .shift = 4, .hours = 4});
        postedAux(dm, {.worker = 1, .kind = 7777, .night = 0, .date = mar(2), .hours = 3});
        postedAux(dm, {.worker = 1, .kind = 7777, .night = 1, .date = mar(3), .hours = 2});
        postedAux(dm, {.worker = 2, .kind = 7778, .night = 0, .date = mar(20), .hours = 5});
        // What goes wrong: postings that never ran, a stale day, hours
        // where there is no entry, a row doubled by a race, a row with
        // nothing behind it, an entry gone without its posting.
        addEntry(dm, {.worker = 1, .date = mar(10), .shift = 1, .hours = 6});
        addEntry(dm, {.worker = 2, .date = mar(11), .shift = 2, .hours = 5});
        run(dm, "update accounts_dep.h_tabel set d2=5, d20=8 where w_id=1 and smena=1 and month=3 "
                "and year=2026");
        run(dm, "insert into accounts_dep.h_tabel(w_id, smena, month, year, d3) values (1, 2, 3, "
                "2026, 8)");
        run(dm, "insert into accounts_dep.h_tabel(w_id, smena, month, year, d4) values (2, 3, 3, "
                "2026, 8)");
        run(dm, "delete from accounts_dep.smena where w_id=2 and smena=4");
        break;
    case NoEntries:
        postedAux(dm, {.worker = 1, .kind = 7777, .night = 0, .date = mar(2), .hours = 3});
        postedAux(dm, {.worker = 2, .kind = 7778, .night = 1, .date = mar(5), .hours = 4});
        run(dm, "insert into accounts_dep.h_tabel(w_id, smena, month, year, d4) values (1, 1, 3, "
                "2026, 8), (2, 4, 3, 2026, 2)");
        break;
    case December:
        posted(dm, {.worker = 1, .date = QDate(2026, 12, 31), .shift = 3, .hours = 8});
        posted(dm, {.worker = 1, .date = QDate(2027, 1, 1), .shift = 3, .hours = 4});
        addEntry(dm, {.worker = 2, .date = QDate(2026, 12, 1), .shift = 1, .hours = 8});
        break;
    case LeapFebruary:
        posted(dm, {.worker = 1, .date = QDate(2028, 3, 1), .shift = 4, .hours = 2});
        addEntry(dm, {.worker = 1, .date = QDate(2028, 2, 29), .shift = 4, .hours = 3});
        addEntry(dm, {.worker = 2, .date = QDate(2028, 2, 1), .shift = 2, .hours = 9});
        break;
    }
}

// Another workstation: its own connection, opened up front; on go() it
// does its work; the test can tell whether it finished or still waits.
class Workstation
{
public:
    Workstation(const QString &connection, std::function<void(DataModule &)> work)
    {
        std::promise<void> ready;
        auto readyFuture = ready.get_future();
        m_doneFuture = m_done.get_future();
        auto goFuture = m_go.get_future().share();
        m_thread = std::thread([this, connection, work, goFuture, ready = std::move(ready)]() mutable {
            std::unique_ptr<DataModule> dm;
            try {
                dm = std::make_unique<DataModule>(QStringLiteral("other workstation"));
                dm->open(connection);
            } catch (const DbError &e) {
                error = e.text();
            }
            ready.set_value();
            goFuture.wait();
            if (dm && !m_cancelled) {
                try {
                    work(*dm);
                } catch (const DbError &e) {
                    error = e.text();
                }
            }
            dm.reset(); // the connection ends in the thread that made it
            m_done.set_value();
        });
        readyFuture.wait();
    }
    ~Workstation()
    {
        if (!m_started) {
            m_cancelled = true;
            m_go.set_value();
        }
        m_thread.join();
    }
    void go()
    {
        m_started = true;
        m_go.set_value();
    }
    bool finishedWithin(std::chrono::milliseconds wait)
    {
        return m_doneFuture.wait_for(wait) == std::future_status::ready;
    }
    void join()
    {
        m_doneFuture.wait();
    }

    QString error;

private:
    std::promise<void> m_go, m_done;
    std::future<void> m_doneFuture;
    std::thread m_thread;
    bool m_started = false;
    bool m_cancelled = false;
};

} // namespace

Q_DECLARE_METATYPE(Fixture)

class RebuildTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void rebuildLeavesWhatThePerStatementRebuildLeaves_data()
    {
        QTest::addColumn<Fixture>("fixture");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::newRow("four shifts, two workers, auxiliary and damaged rows")
            << DamagedMonth << 3 << 2026;
        QTest::newRow("a month without entries keeps only auxiliary rows") << NoEntries << 3 << 2026;
        QTest::newRow("December up to the new year") << December << 12 << 2026;
        QTest::newRow("February of a leap year") << LeapFebruary << 2 << 2028;
    }
    void rebuildLeavesWhatThePerStatementRebuildLeaves()
    {
        QFETCH(Fixture, fixture);
        QFETCH(int, month);
        QFETCH(int, year);

        build(*m_dm, fixture);
        referenceRebuild(*m_dm, month, year);
        const QString byReference = sheetLines(*m_dm);

        build(*m_dm, fixture);
        const QString untouched = sheetLines(*m_dm, untouchedBy(month, year));
        MonthRebuild(*m_dm).run(month, year);
        QVERIFY(!m_dm->inTransaction());

        QCOMPARE(sheetLines(*m_dm), byReference);
        QCOMPARE(sheetLines(*m_dm, untouchedBy(month, year)), untouched);
        // What the postings would have made: each day cell the day's total,
        // one row per worker and shift.
        QCOMPARE(sheetVersusJournal(*m_dm), QStringList());
        QCOMPARE(doubledKeys(*m_dm), 0);
    }

    void monthWithoutEntriesHasNoShiftRows()
    {
        build(*m_dm, NoEntries);
        MonthRebuild(*m_dm).run(3, 2026);
        QCOMPARE(sheetRows(*m_dm, "month=3 and year=2026 and i_type=0"), 0);
        QCOMPARE(sheetRows(*m_dm, "month=3 and year=2026 and i_type in (7777, 7778)"), 2);
    }

    // The bar has something to show: every step reports, in order.
    void progressReportsEveryStep()
    {
        build(*m_dm, DamagedMonth);
        QList<int> done;
        MonthRebuild(*m_dm).run(3, 2026, [&](int step, int total) {
            QCOMPARE(total, MonthRebuild::stepCount);
            done << step;
        });
        QCOMPARE(done, (QList<int>{1, 2, 3, 4, 5}));
    }

    void failureLeavesTheMonthAsItWas_data()
    {
        QTest::addColumn<bool>("cellLimit");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("stepsDone");
        QTest::addColumn<QString>("message");
        // The server refuses the new rows after the old ones were deleted.
        QTest::newRow("insert refused after the delete") << true << 200 << 3 << QString();
        QTest::newRow("a day's hours beyond a cell")
            << false << 2000000000 << 0
            << QStringLiteral("Часы за день (4000000000) не помещаются в табель.");
    }
    void failureLeavesTheMonthAsItWas()
    {
        QFETCH(bool, cellLimit);
        QFETCH(int, hours);
        QFETCH(int, stepsDone);
        QFETCH(QString, message);
        build(*m_dm, DamagedMonth);
        if (cellLimit)
            run(*m_dm, "alter table accounts_dep.h_tabel add constraint rb_day5_limit check (d5 < 100)");
        const auto dropLimit = qScopeGuard([this] {
            run(*m_dm, "alter table accounts_dep.h_tabel drop constraint if exists rb_day5_limit");
        });
        addEntry(*m_dm, {.worker = 1, .date = mar(5), .shift = 1, .hours = hours});
        addEntry(*m_dm, {.worker = 1, .date = mar(5), .shift = 1, .hours = cellLimit ? 0 : hours});
        const QString before = sheetLines(*m_dm);

        int reached = 0;
        try {
            MonthRebuild(*m_dm).run(3, 2026, [&](int step, int) { reached = step; });
            QFAIL("the rebuild did not fail");
        } catch (const DbError &e) {
            if (!message.isEmpty())
                QCOMPARE(e.text(), message);
        }
        QCOMPARE(reached, stepsDone);
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(sheetLines(*m_dm), before);

        // No lock outlives the failure: another workstation posts at once.
        DataModule other(QStringLiteral("rb_other"));
        other.open(m_db->connectionString());
        const SheetKey key = pieceWorkKey(1, 1, mar(2));
        QVERIFY(other.control(QStringLiteral("select pg_try_advisory_xact_lock(%1, %2) as ok")
                                  .arg(key.lockKey1)
                                  .arg(key.lockKey2))
                    .value(0, "ok")
                    .toBool());
    }

    // Another workstation saves or deletes an entry and posts it while the
    // rebuild is at a given step. A worker and shift the rebuild rewrites
    // waits for it once its locks are taken; one it did not see goes ahead
    // and is left alone. Either way the sheet ends equal to the journal.
    void postingDuringRebuild_data()
    {
        QTest::addColumn<int>("atStep");
        QTest::addColumn<int>("worker");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<bool>("waits");
        QTest::newRow("rewritten key, before the locks") << 1 << 1 << 1 << false << false;
        QTest::newRow("rewritten key, locks taken") << 2 << 1 << 1 << false << true;
        QTest::newRow("rewritten key, rows deleted") << 3 << 1 << 1 << false << true;
        QTest::newRow("rewritten key, rows inserted") << 4 << 1 << 1 << false << true;
        QTest::newRow("rewritten key, an entry deleted") << 3 << 1 << 1 << true << true;
        QTest::newRow("unseen key, locks taken") << 2 << 2 << 3 << false << false;
        QTest::newRow("unseen key, rows deleted") << 3 << 2 << 3 << false << false;
        QTest::newRow("unseen key, rows inserted") << 4 << 2 << 3 << false << false;
    }
    void postingDuringRebuild()
    {
        QFETCH(int, atStep);
        QFETCH(int, worker);
        QFETCH(int, shift);
        QFETCH(bool, deleting);
        QFETCH(bool, waits);

        loadShop(*m_dm);
        posted(*m_dm, {.worker = 1, .date = mar(2), .shift = 1, .hours = 8});
        const int doomed = addEntry(*m_dm, {.worker = 1, .date = mar(3), .shift = 1, .hours = 3});
        HoursPosting(*m_dm).save(pieceWorkKey(1, 1, mar(3)));
        posted(*m_dm, {.worker = 2, .date = mar(1), .shift = 1, .hours = 8});
        addEntry(*m_dm, {.worker = 1, .date = mar(4), .shift = 2, .hours = 5}); // never posted

        Workstation other(m_db->connectionString(), [=](DataModule &dm) {
            if (deleting) {
                // As the journal deletes: the entry and its posting together.
                Transaction tx(dm);
                dm.execute(QStringLiteral("fixture"),
                           QStringLiteral("delete from accounts_dep.smena where id=%1").arg(doomed));
                HoursPosting(dm).remove(pieceWorkKey(1, 1, mar(3)));
                tx.commit();
            } else {
                addEntry(dm, {.worker = worker, .date = mar(12), .shift = shift, .hours = 5});
                HoursPosting(dm).save(pieceWorkKey(worker, shift, mar(12)));
            }
        });
        bool finishedDuringRebuild = false;
        MonthRebuild(*m_dm).run(3, 2026, [&](int step, int) {
            if (step != atStep)
                return;
            other.go();
            using namespace std::chrono_literals;
            finishedDuringRebuild = other.finishedWithin(waits ? 300ms : 10s);
        });
        other.join();
        QVERIFY2(other.error.isEmpty(), qPrintable(other.error));

        QCOMPARE(finishedDuringRebuild, !waits);
        QCOMPARE(sheetVersusJournal(*m_dm), QStringList());
        QCOMPARE(doubledKeys(*m_dm), 0);
    }
};

QTEST_GUILESS_MAIN(RebuildTest)
#include "test_rebuild.moc"
