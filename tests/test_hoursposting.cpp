// Hours posting against a real server: the day cell follows the journals
// through new, changed, moved and deleted entries, the statements sent,
// auxiliary-work rows, simultaneous first postings of one key, and postings
// that do not complete.
#include "journal/hoursposting.h"
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "fixtures.h"
#include "testdb.h"

#include <QScopeGuard>
#include <QtTest>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

using namespace tabel;
using namespace tabel::test;

// One change to a journal (piece-work or auxiliary) and the posting the
// program makes after it.
struct Step
{
    enum Op {
        Add,        // write an entry, post its day
        AddQuietly, // write an entry without posting, as when its posting failed
        SetHours,   // change an entry's hours, post its day
        Delete,     // delete an entry, post the delete side of its day
        Move,       // give an entry another date, post the new date
        SeedRow,    // a sheet row from elsewhere (month rebuild, an older race)
    };
    Op op = Add;
    bool aux = false;
    int worker = 1;
    int shift = 1; // the kind (7777, 7778) for auxiliary work
    int night = 0;
    QDate date;
    int hours = 0;
    int entry = -1; // index among the entries added so far
};
Q_DECLARE_METATYPE(Step)
using Steps = QVector<Step>;

namespace {

Step add(int worker, int shift, QDate date, int hours)
{
    Step s;
    s.worker = worker;
    s.shift = shift;
    s.date = date;
    s.hours = hours;
    return s;
}

Step addAux(int worker, int kind, int night, QDate date, int hours)
{
    Step s = add(worker, kind, date, hours);
    s.aux = true;
    s.night = night;
    return s;
}

Step quietly(Step s)
{
    s.op = Step::AddQuietly;
    return s;
}

Step seeded(Step s)
{
    s.op = Step::SeedRow;
    return s;
}

Step setHours(int entry, int hours)
{
    Step s;
    s.op = Step::SetHours;
    s.entry = entry;
    s.hours = hours;
    return s;
}

Step del(int entry)
{
    Step s;
    s.op = Step::Delete;
    s.entry = entry;
    return s;
}

Step move(int entry, QDate to)
{
    Step s;
    s.op = Step::Move;
    s.entry = entry;
    s.date = to;
    return s;
}

QDate mar(int day)
{
    return {2026, 3, day};
}

SheetKey keyOf(const Step &e)
{
    return e.aux ? auxiliaryKey(e.worker, e.shift, e.night, e.date)
                 : pieceWorkKey(e.worker, e.shift, e.date);
}

// Writes the journal entry of an Add step and returns its id.
int writeEntry(DataModule &dm, const Step &s)
{
    if (!s.aux)
        return addEntry(dm, {.worker = s.worker, .date = s.date, .shift = s.shift, .hours = s.hours});
    return dm
        .select(QStringLiteral("fixture"),
                QStringLiteral("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, "
                               "i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night) "
                               "values(10, %1, %2, %3, %4, %5, 1, %6, 150, 0, %7) returning id")
                    .arg(s.shift)
                    .arg(s.worker)
                    .arg(sql::date(s.date))
                    .arg(s.date.month())
                    .arg(s.date.year())
                    .arg(s.hours)
                    .arg(s.night))
        .value(0, QStringLiteral("id"))
        .toInt();
}

void seedRow(DataModule &dm, const Step &s)
{
    const QString day = sql::dayColumn(s.date.day());
    dm.execute(QStringLiteral("fixture"),
               s.aux ? QStringLiteral("insert into accounts_dep.h_tabel(i_type, i_night, w_id, month, "
                                      "year, %1) values(%2, %3, %4, %5, %6, %7)")
                           .arg(day)
                           .arg(s.shift)
                           .arg(s.night)
                           .arg(s.worker)
                           .arg(s.date.month())
                           .arg(s.date.year())
                           .arg(s.hours)
                     : QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, "
                                      "%1) values(%2, %3, %4, %5, %6)")
                           .arg(day)
                           .arg(s.shift)
                           .arg(s.worker)
                           .arg(s.date.month())
                           .arg(s.date.year())
                           .arg(s.hours));
}

// An entry added by the steps, as it is now, with its row id.
struct Written
{
    Step entry;
    int id = 0;
};

void apply(DataModule &dm, const Steps &steps, QVector<Written> &entries)
{
    HoursPosting posting(dm);
    for (const Step &s : steps) {
        switch (s.op) {
        case Step::Add:
        case Step::AddQuietly:
            entries.push_back({s, writeEntry(dm, s)});
            if (s.op == Step::Add)
                posting.save(keyOf(s));
            break;
        case Step::SeedRow:
            seedRow(dm, s);
            break;
        case Step::SetHours: {
            Written &w = entries[s.entry];
            dm.execute(QStringLiteral("fixture"),
                       w.entry.aux ? QStringLiteral("update accounts_dep.fatigue set cnt=%1 where id=%2")
                                         .arg(s.hours)
                                         .arg(w.id)
                                   : QStringLiteral("update accounts_dep.smena set time=%1 where id=%2")
                                         .arg(s.hours)
                                         .arg(w.id));
            posting.save(keyOf(w.entry));
            break;
        }
        case Step::Delete: {
            const Written &w = entries[s.entry];
            dm.execute(QStringLiteral("fixture"),
                       QStringLiteral("delete from accounts_dep.%1 where id=%2")
                           .arg(w.entry.aux ? "fatigue" : "smena")
                           .arg(w.id));
            posting.remove(keyOf(w.entry));
            break;
        }
        case Step::Move: {
            Written &w = entries[s.entry];
            dm.execute(QStringLiteral("fixture"),
                       w.entry.aux
                           ? QStringLiteral("update accounts_dep.fatigue set d_date=%1, i_mnth=%2, "
                                            "i_year=%3 where id=%4")
                                 .arg(sql::date(s.date))
                                 .arg(s.date.month())
                                 .arg(s.date.year())
                                 .arg(w.id)
                           : QStringLiteral("update accounts_dep.smena set data=%1 where id=%2")
                                 .arg(sql::date(s.date))
                                 .arg(w.id));
            w.entry.date = s.date;
            posting.save(keyOf(w.entry));
            break;
        }
        }
    }
}

void apply(DataModule &dm, const Steps &steps)
{
    QVector<Written> entries;
    apply(dm, steps, entries);
}

// A sheet row as one line, so that a whole sheet compares at once and a
// difference shows every row: key, flags, then the days that are not NULL.
using Days = std::initializer_list<std::pair<int, int>>;

QString rowText(int worker, const QString &shift, int type, int night, int month, int year,
                const QMap<int, int> &days)
{
    QString text = QStringLiteral("w%1 smena=%2 type=%3 night=%4 %5/%6:")
                       .arg(worker)
                       .arg(shift)
                       .arg(type)
                       .arg(night)
                       .arg(month)
                       .arg(year);
    for (auto it = days.begin(); it != days.end(); ++it)
        text += QStringLiteral(" d%1=%2").arg(it.key()).arg(it.value());
    return text;
}

QString row(int worker, int shift, int month, int year, Days days = {})
{
    QMap<int, int> m;
    for (const auto &[d, v] : days)
        m.insert(d, v);
    return rowText(worker, QString::number(shift), 0, 0, month, year, m);
}

QString auxRow(int worker, int kind, int night, int month, int year, Days days = {})
{
    QMap<int, int> m;
    for (const auto &[d, v] : days)
        m.insert(d, v);
    return rowText(worker, QStringLiteral("-"), kind, night, month, year, m);
}

QString sheet(QStringList rows)
{
    rows.sort();
    return rows.join(QStringLiteral(" | "));
}

QString sheetOf(DataModule &dm, const QString &where = QStringLiteral("true"))
{
    QStringList dayColumns;
    for (int d = 1; d <= 31; ++d)
        dayColumns << sql::dayColumn(d);
    const RowSet r = dm.control(QStringLiteral("select w_id, smena, i_type, i_night, month, year, %1 "
                                               "from accounts_dep.h_tabel where %2")
                                    .arg(dayColumns.join(QStringLiteral(", ")), where));
    QStringList rows;
    for (int i = 0; i < r.size(); ++i) {
        QMap<int, int> days;
        for (int d = 1; d <= 31; ++d) {
            const QVariant v = r.value(i, sql::dayColumn(d));
            if (!v.isNull())
                days.insert(d, v.toInt());
        }
        const QVariant shift = r.value(i, QStringLiteral("smena"));
        rows << rowText(r.value(i, QStringLiteral("w_id")).toInt(),
                        shift.isNull() ? QStringLiteral("-") : QString::number(shift.toInt()),
                        r.value(i, QStringLiteral("i_type")).toInt(),
                        r.value(i, QStringLiteral("i_night")).toInt(),
                        r.value(i, QStringLiteral("month")).toInt(),
                        r.value(i, QStringLiteral("year")).toInt(), days);
    }
    return sheet(rows);
}

void post(DataModule &dm, const Step &target, bool saving)
{
    if (saving)
        HoursPosting(dm).save(keyOf(target));
    else
        HoursPosting(dm).remove(keyOf(target));
}

} // namespace

class HoursPostingTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;

    void scenarioColumns()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("expected");
    }

    // The whole sheet after the steps: rows not listed must not exist, days
    // not listed must be NULL.
    void runScenario()
    {
        QFETCH(Steps, steps);
        QFETCH(QStringList, expected);
        apply(*m_dm, steps);
        QCOMPARE(sheetOf(*m_dm), sheet(expected));
        QVERIFY(!m_dm->inTransaction());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void init() { loadShop(*m_dm); }
    void cleanup() { m_dm->setTrace(nullptr); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void pieceWorkPosting_data()
    {
        scenarioColumns();
        QTest::newRow("first entry creates the row with only its day")
            << Steps{add(1, 1, mar(5), 8)} << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
        QTest::newRow("second entry of the day and shift adds up")
            << Steps{add(1, 1, mar(5), 8), add(1, 1, mar(5), 3)}
            << QStringList{row(1, 1, 3, 2026, {{5, 11}})};
        QTest::newRow("same day in shift 2 goes to the shift-2 row")
            << Steps{add(1, 1, mar(5), 8), add(1, 2, mar(5), 3)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}}), row(1, 2, 3, 2026, {{5, 3}})};
        QTest::newRow("overtime goes to a shift-4 row")
            << Steps{add(1, 1, mar(5), 8), add(1, 4, mar(5), 2)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}}), row(1, 4, 3, 2026, {{5, 2}})};
        QTest::newRow("another worker has a row of his own")
            << Steps{add(1, 1, mar(5), 8), add(2, 1, mar(5), 5)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}}), row(2, 1, 3, 2026, {{5, 5}})};
        QTest::newRow("other days of the month share the row")
            << Steps{add(1, 1, mar(5), 8), add(1, 1, mar(7), 4)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}, {7, 4}})};
        QTest::newRow("changed hours are recomputed")
            << Steps{add(1, 1, mar(5), 8), add(1, 1, mar(5), 3), setHours(0, 6)}
            << QStringList{row(1, 1, 3, 2026, {{5, 9}})};
        // Adjusting the cell by the difference would give 6 here.
        QTest::newRow("a change counts every entry of the day, not the difference")
            << Steps{add(1, 1, mar(5), 8), quietly(add(1, 1, mar(5), 3)), setHours(0, 6)}
            << QStringList{row(1, 1, 3, 2026, {{5, 9}})};
        QTest::newRow("a posting picks up entries whose own posting was missed")
            << Steps{quietly(add(1, 1, mar(5), 4)), add(1, 1, mar(5), 8)}
            << QStringList{row(1, 1, 3, 2026, {{5, 12}})};
        QTest::newRow("a stale cell is overwritten, not added to")
            << Steps{seeded(add(1, 1, mar(5), 50)), add(1, 1, mar(5), 8)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
        QTest::newRow("duplicate rows of a key are both written, none added")
            << Steps{seeded(add(1, 1, mar(7), 1)), seeded(add(1, 1, mar(7), 1)),
                     add(1, 1, mar(5), 8)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}, {7, 1}}),
                           row(1, 1, 3, 2026, {{5, 8}, {7, 1}})};
        QTest::newRow("deleting one of two keeps the other's hours")
            << Steps{add(1, 1, mar(5), 8), add(1, 1, mar(5), 3), del(1)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
        QTest::newRow("deleting the last clears the day and keeps the rest")
            << Steps{add(1, 1, mar(5), 8), add(1, 1, mar(7), 4), del(0)}
            << QStringList{row(1, 1, 3, 2026, {{7, 4}})};
        QTest::newRow("deleting the month's only entry keeps the empty row")
            << Steps{add(1, 1, mar(5), 8), del(0)} << QStringList{row(1, 1, 3, 2026)};
        QTest::newRow("deleting in one shift leaves the other shift's day")
            << Steps{add(1, 1, mar(5), 8), add(1, 2, mar(5), 3), del(1)}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}}), row(1, 2, 3, 2026)};
        QTest::newRow("delete side inserts no row when nothing is left")
            << Steps{quietly(add(1, 1, mar(5), 8)), del(0)} << QStringList{};
        QTest::newRow("delete side inserts no row when entries are left")
            << Steps{quietly(add(1, 1, mar(5), 8)), quietly(add(1, 1, mar(5), 3)), del(1)}
            << QStringList{};
        QTest::newRow("a move posts only the new date")
            << Steps{add(1, 1, mar(5), 8), move(0, mar(6))}
            << QStringList{row(1, 1, 3, 2026, {{5, 8}, {6, 8}})};
        QTest::newRow("a move into the next month posts that month's row")
            << Steps{add(1, 1, mar(31), 8), move(0, QDate(2026, 4, 2))}
            << QStringList{row(1, 1, 3, 2026, {{31, 8}}), row(1, 1, 4, 2026, {{2, 8}})};
        QTest::newRow("the 31st posts to d31")
            << Steps{add(1, 1, mar(31), 7)} << QStringList{row(1, 1, 3, 2026, {{31, 7}})};
        QTest::newRow("December lands in month 12 of its year")
            << Steps{add(1, 1, QDate(2026, 12, 31), 6), add(1, 1, QDate(2027, 1, 1), 5)}
            << QStringList{row(1, 1, 12, 2026, {{31, 6}}), row(1, 1, 1, 2027, {{1, 5}})};
        QTest::newRow("a leap day posts to d29 of February")
            << Steps{add(1, 1, QDate(2028, 2, 29), 5)}
            << QStringList{row(1, 1, 2, 2028, {{29, 5}})};
        QTest::newRow("the same month of another year is another row")
            << Steps{add(1, 1, QDate(2025, 3, 5), 2), add(1, 1, mar(5), 8)}
            << QStringList{row(1, 1, 3, 2025, {{5, 2}}), row(1, 1, 3, 2026, {{5, 8}})};
    }
    void pieceWorkPosting() { runScenario(); }

    void auxiliaryPosting_data()
    {
        scenarioColumns();
        QTest::newRow("first entry creates a row without shift")
            << Steps{addAux(1, 7777, 0, mar(5), 3)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}})};
        QTest::newRow("entries of one kind and flag add up")
            << Steps{addAux(1, 7777, 1, mar(5), 3), addAux(1, 7777, 1, mar(5), 2)}
            << QStringList{auxRow(1, 7777, 1, 3, 2026, {{5, 5}})};
        QTest::newRow("day and night have separate rows")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7777, 1, mar(5), 2)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}}),
                           auxRow(1, 7777, 1, 3, 2026, {{5, 2}})};
        QTest::newRow("kinds 7777 and 7778 have separate rows")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7778, 0, mar(5), 4)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}}),
                           auxRow(1, 7778, 0, 3, 2026, {{5, 4}})};
        QTest::newRow("another worker has a row of his own")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(2, 7777, 0, mar(5), 4)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}}),
                           auxRow(2, 7777, 0, 3, 2026, {{5, 4}})};
        QTest::newRow("piece-work and auxiliary rows of one day stay apart")
            << Steps{add(1, 1, mar(5), 8), addAux(1, 7777, 0, mar(5), 3), add(1, 1, mar(5), 1)}
            << QStringList{row(1, 1, 3, 2026, {{5, 9}}), auxRow(1, 7777, 0, 3, 2026, {{5, 3}})};
        QTest::newRow("a change counts every entry of the day")
            << Steps{addAux(1, 7778, 0, mar(5), 3), quietly(addAux(1, 7778, 0, mar(5), 2)),
                     setHours(0, 1)}
            << QStringList{auxRow(1, 7778, 0, 3, 2026, {{5, 3}})};
        QTest::newRow("deleting one of two keeps the other's hours")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7777, 0, mar(5), 2), del(1)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}})};
        QTest::newRow("deleting the last clears the day and keeps the rest")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7777, 0, mar(7), 2), del(0)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{7, 2}})};
        QTest::newRow("deleting a night entry leaves the day row")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7777, 1, mar(5), 2), del(1)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}}), auxRow(1, 7777, 1, 3, 2026)};
        QTest::newRow("deleting one kind leaves the other kind's day")
            << Steps{addAux(1, 7777, 0, mar(5), 3), addAux(1, 7778, 0, mar(5), 4), del(1)}
            << QStringList{auxRow(1, 7777, 0, 3, 2026, {{5, 3}}), auxRow(1, 7778, 0, 3, 2026)};
        QTest::newRow("delete side inserts no row")
            << Steps{quietly(addAux(1, 7777, 0, mar(5), 3)), quietly(addAux(1, 7777, 0, mar(5), 2)),
                     del(1), del(0)}
            << QStringList{};
    }
    void auxiliaryPosting() { runScenario(); }

    // Statement texts and the statements they go through; the lock taken
    // first is left out.
    void statementsSent_data()
    {
        QTest::addColumn<Steps>("setup");
        QTest::addColumn<Step>("target");
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QStringList>("expected");

        // A one-digit day and month: the date text has leading zeros, the
        // day column and the month do not.
        const Step piece = add(2, 3, mar(7), 5);
        const QString count = QStringLiteral(
            "Control|select count(w_id) as cnt from accounts_dep.h_tabel where w_id=2 and smena=3 "
            "and month=3 and year=2026");
        const QString total = QStringLiteral(
            "Control|select sum(time) as tim from accounts_dep.smena where w_id=2 and smena=3 and "
            "data=to_date('07.03.2026', 'DD.MM.YYYY') group by w_id, smena, data");
        QTest::newRow("save, no row yet")
            << Steps{quietly(piece)} << piece << true
            << QStringList{count, total,
                           "H_Tabel_ins|insert into accounts_dep.h_tabel(smena, w_id, month, year, "
                           "d7) values(3, 2, 3, 2026, 5)"};
        QTest::newRow("save, row exists")
            << Steps{piece, quietly(add(2, 3, mar(7), 4))} << piece << true
            << QStringList{count, total,
                           "H_Tabel_ins|update accounts_dep.h_tabel set d7=9 where w_id=2 and "
                           "smena=3 and month=3 and year=2026"};
        QTest::newRow("remove, entries left")
            << Steps{piece} << piece << false
            << QStringList{total, "H_Tabel_ins|update accounts_dep.h_tabel set d7=5 where w_id=2 "
                                  "and smena=3 and month=3 and year=2026"};
        QTest::newRow("remove, nothing left")
            << Steps{seeded(piece)} << piece << false
            << QStringList{total, "DelSmena|update accounts_dep.h_tabel set d7=NULL where w_id=2 "
                                  "and smena=3 and month=3 and year=2026"};

        const Step aux = addAux(2, 7778, 1, mar(7), 5);
        const QString auxCount = QStringLiteral(
            "Control|select count(w_id) as cnt from accounts_dep.h_tabel where w_id=2 and "
            "i_type=7778 and month=3 and year=2026 and i_night=1");
        const QString auxTotal = QStringLiteral(
            "Control|select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p =2  and "
            "f.id_o=7778 and i_night=1 and f.d_date =to_date('07.03.2026', 'DD.MM.YYYY') group "
            "by f.id_p, f.d_date");
        QTest::newRow("aux save, no row yet")
            << Steps{quietly(aux)} << aux << true
            << QStringList{auxCount, auxTotal,
                           "H_Tabel_ins|insert into accounts_dep.h_tabel(i_type, w_id, month, "
                           "year, d7, i_night) values(7778, 2, 3, 2026, 5, 1)"};
        QTest::newRow("aux save, row exists")
            << Steps{aux, quietly(addAux(2, 7778, 1, mar(7), 4))} << aux << true
            << QStringList{auxCount, auxTotal,
                           "H_Tabel_ins|update accounts_dep.h_tabel set d7=9 where w_id=2 and "
                           "i_type=7778 and month=3 and year=2026 and i_night=1"};
        // The auxiliary journal's delete names the night flag before the kind.
        QTest::newRow("aux remove, entries left")
            << Steps{aux} << aux << false
            << QStringList{auxTotal, "H_Tabel_ins|update accounts_dep.h_tabel set d7=5 where "
                                     "w_id=2 and i_night=1 and i_type=7778 and month=3 and "
                                     "year=2026"};
        QTest::newRow("aux remove, nothing left")
            << Steps{seeded(aux)} << aux << false
            << QStringList{auxTotal, "DelSmena|update accounts_dep.h_tabel set d7=NULL where "
                                     "w_id=2 and i_night=1 and i_type=7778 and month=3 and "
                                     "year=2026"};
    }
    void statementsSent()
    {
        QFETCH(Steps, setup);
        QFETCH(Step, target);
        QFETCH(bool, saving);
        QFETCH(QStringList, expected);
        apply(*m_dm, setup);

        QStringList sent;
        m_dm->setTrace([&](const QString &name, const QString &sql) {
            if (!sql.startsWith(QLatin1String("select pg_advisory_xact_lock(")))
                sent << name + QLatin1Char('|') + sql;
        });
        post(*m_dm, target, saving);
        m_dm->setTrace(nullptr);

        QCOMPARE(sent, expected);
    }

    // Postings that are part of a larger operation are kept or dropped with
    // it: nothing of a posting survives when that operation is not committed.
    void abandonedPostingLeavesSheetAsItWas_data()
    {
        QTest::addColumn<Steps>("setup");
        QTest::addColumn<Step>("target");
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QStringList>("expected");
        const Step e = add(1, 1, mar(5), 3);
        QTest::newRow("first posting of the key")
            << Steps{quietly(e)} << e << true << QStringList{};
        QTest::newRow("posting into an existing row")
            << Steps{add(1, 1, mar(5), 8), quietly(e)} << e << true
            << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
        QTest::newRow("delete side clearing the day")
            << Steps{seeded(add(1, 1, mar(5), 8))} << e << false
            << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
        QTest::newRow("auxiliary first posting")
            << Steps{quietly(addAux(1, 7777, 1, mar(5), 3))} << addAux(1, 7777, 1, mar(5), 3)
            << true << QStringList{};
    }
    void abandonedPostingLeavesSheetAsItWas()
    {
        QFETCH(Steps, setup);
        QFETCH(Step, target);
        QFETCH(bool, saving);
        QFETCH(QStringList, expected);
        apply(*m_dm, setup);
        {
            Transaction outer(*m_dm);
            post(*m_dm, target, saving);
        }
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(sheetOf(*m_dm), sheet(expected));
    }

    // A posting the server rejects: the error reaches the caller, the day
    // keeps its value, the key is free for other workstations and this
    // connection writes for good again afterwards.
    void rejectedPostingKeepsDayAndFreesKey_data()
    {
        QTest::addColumn<Steps>("setup");
        QTest::addColumn<QStringList>("before");
        QTest::newRow("insert rejected") << Steps{} << QStringList{};
        QTest::newRow("update rejected")
            << Steps{add(1, 1, mar(5), 8)} << QStringList{row(1, 1, 3, 2026, {{5, 8}})};
    }
    void rejectedPostingKeepsDayAndFreesKey()
    {
        QFETCH(Steps, setup);
        QFETCH(QStringList, before);
        m_dm->execute("t", "alter table accounts_dep.h_tabel add constraint hp_day5_limit "
                           "check (d5 < 100)");
        const auto dropLimit = qScopeGuard([this] {
            m_dm->execute("t", "alter table accounts_dep.h_tabel drop constraint if exists "
                               "hp_day5_limit");
        });
        QVector<Written> entries;
        apply(*m_dm, setup, entries);
        const Step huge = add(1, 1, mar(5), 200);
        apply(*m_dm, {quietly(huge)}, entries);
        const SheetKey key = keyOf(huge);

        QVERIFY_THROWS_EXCEPTION(DbError, HoursPosting(*m_dm).save(key));
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(sheetOf(*m_dm), sheet(before));

        DataModule other(QStringLiteral("hp_other"));
        other.open(m_db->connectionString());
        QVERIFY2(other.control(QStringLiteral("select pg_try_advisory_xact_lock(%1, %2) as ok")
                                   .arg(key.lockKey1)
                                   .arg(key.lockKey2))
                     .value(0, "ok")
                     .toBool(),
                 "the failed posting still holds the key's lock");

        apply(*m_dm, {setHours(entries.size() - 1, 2)}, entries);
        const QString expected = sheet({row(1, 1, 3, 2026, {{5, before.isEmpty() ? 2 : 10}})});
        QCOMPARE(sheetOf(other), expected);
    }

    // Legacy entries whose hours add up past what a day cell holds: nothing
    // is written rather than a wrapped-round figure.
    void dayTotalBeyondACellWritesNothing()
    {
        QVector<Written> entries;
        apply(*m_dm, {add(1, 1, mar(5), 8)}, entries);
        const QString before = sheetOf(*m_dm);
        const Step big = add(1, 1, mar(5), 2000000000);
        apply(*m_dm, {quietly(big), quietly(big)}, entries);
        QVERIFY_THROWS_EXCEPTION(DbError, HoursPosting(*m_dm).save(keyOf(big)));
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(sheetOf(*m_dm), before);
    }

    // Workstations posting the first entries of one key at the same moment
    // must not each insert a row: sheet readers add rows up.
    void simultaneousFirstPostingsMakeOneRow_data()
    {
        QTest::addColumn<bool>("aux");
        QTest::newRow("piece-work") << false;
        QTest::newRow("auxiliary") << true;
    }
    void simultaneousFirstPostingsMakeOneRow()
    {
        QFETCH(bool, aux);
        constexpr int workstations = 6;
        const QString connection = m_db->connectionString();
        for (int month = 1; month <= 4; ++month) {
            std::latch start(workstations);
            std::vector<QString> errors(workstations);
            std::vector<std::thread> pool;
            for (int i = 0; i < workstations; ++i) {
                pool.emplace_back([&, i] {
                    // Half post day 10, half day 11: first inserts and
                    // updates of one row race together.
                    const QDate date(2027, month, 10 + i % 2);
                    const Step e = aux ? addAux(1, 7777, 1, date, i + 1) : add(1, 2, date, i + 1);
                    std::unique_ptr<DataModule> dm;
                    QString error;
                    try {
                        dm = std::make_unique<DataModule>(QStringLiteral("hp_race_%1").arg(i));
                        dm->open(connection);
                        writeEntry(*dm, e);
                    } catch (const DbError &ex) {
                        error = ex.text();
                    }
                    start.arrive_and_wait();
                    if (error.isEmpty()) {
                        try {
                            HoursPosting(*dm).save(keyOf(e));
                        } catch (const DbError &ex) {
                            error = ex.text();
                        }
                    }
                    dm.reset(); // the connection ends in the thread that made it
                    errors[i] = error;
                });
            }
            for (auto &t : pool)
                t.join();
            for (int i = 0; i < workstations; ++i)
                QVERIFY2(errors[i].isEmpty(), qPrintable(errors[i]));

            const Days days = {{10, 1 + 3 + 5}, {11, 2 + 4 + 6}};
            const QString expected = aux ? auxRow(1, 7777, 1, month, 2027, days)
                                         : row(1, 2, month, 2027, days);
            QCOMPARE(sheetOf(*m_dm, QStringLiteral("month=%1 and year=2027").arg(month)), expected);
        }
    }
};

QTEST_GUILESS_MAIN(HoursPostingTest)
#include "test_hoursposting.moc"
