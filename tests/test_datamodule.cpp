// The shared data module against a real server: named queries on a small
// shop, value writing round trips, transactions and the duplicate check.
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/display.h"
#include "data/odbcrows.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "commalocale.h"
#include "fixtures.h"
#include "testdb.h"
#include "recording.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <cmath>

using namespace tabel;
using namespace tabel::test;


class DataModuleTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    const QDate m_day{2026, 3, 5};

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void init() { loadShop(*m_dm); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void operListsLowestNormPriceAndNormCount()
    {
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        QCOMPARE(oper.rowCount(), 2);
        QCOMPARE(oper.value(0, "marka").toString(), QStringLiteral("КН-230"));
        QCOMPARE(oper.value(1, "id").toInt(), 11);
        QCOMPARE(oper.value(1, "cena").toDouble(), 10.0);
        QCOMPARE(oper.value(1, "norma").toInt(), 2);
        QCOMPARE(oper.value(1, "nmn").toString(), QStringLiteral("Готовая продукция"));
        QCOMPARE(oper.value(0, "nmn").toString(), QStringLiteral("Заготовки"));
        // A row filter hides rows until it is switched off, without a reload.
        oper.setFilter([](const RowSet &all, int row) { return all.value(row, "marka") == "КР-100"; });
        QCOMPARE(oper.rowCount(), 1);
        QCOMPARE(oper.value(0, "id").toInt(), 11);
        oper.clearFilter();
        QCOMPARE(oper.rowCount(), 2);
        // An operation without norms is not listed.
        m_dm->execute("t", "delete from accounts_dep.norm where o_id=12");
        oper.reopen();
        QCOMPARE(oper.rowCount(), 1);
    }

    void journalQueriesFilterByShiftAndMark()
    {
        addEntry(*m_dm, {.worker = 1, .date = m_day, .shift = 2, .ok = "no"});
        addEntry(*m_dm, {.worker = 2, .oper = 12, .product = 502, .date = m_day, .shift = 2, .ok = "ok", .color = 9003});
        addEntry(*m_dm, {.worker = 2, .date = m_day, .shift = 2, .ok = "да"});
        addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = m_day, .shift = 2, .ok = "ta"});
        addEntry(*m_dm, {.worker = 1, .date = m_day.addDays(1), .shift = 1});
        for (int s = 1; s <= 4; ++s) {
            ResultSet &q = m_dm->smena(s);
            q.close();
            q.setParam("data", m_day);
            q.setParam("ok", "ta");
            q.open();
            QCOMPARE(q.rowCount(), s == 2 ? 3 : 0);
        }
        ResultSet &q = m_dm->smena(2);
        // Ordered by name; the worker named through s_code has his name.
        QCOMPARE(q.value(0, "fio").toString(), QStringLiteral("Иванов И.И."));
        QCOMPARE(q.value(1, "fio").toString(), QStringLiteral("Петров П.П."));
        QCOMPARE(q.value(2, "fio").toString(), QStringLiteral("Петров П.П."));
        QCOMPARE(q.value(0, "summa").toDouble(), 100.0);
        QCOMPARE(q.value(0, "marka").toString(), QStringLiteral("КР-100"));
        QCOMPARE(q.value(0, "data").toDate(), m_day);
    }

    void workerMatchedByIdAndByCodeIsListedTwice()
    {
        // Worker 1 is person 1 by id and, here, person 200 by s_code.
        m_dm->execute("t", "insert into cmn_contractor.person(id, s_caption, s_code) values (200, 'Другой Д.Д.', '1')");
        addEntry(*m_dm, {.worker = 1, .date = m_day, .shift = 1});
        ResultSet &q = m_dm->smena(1);
        q.close();
        q.setParam("data", m_day);
        q.setParam("ok", "ta");
        q.open();
        QCOMPARE(q.rowCount(), 2);
        QCOMPARE(q.value(0, "fio").toString(), QStringLiteral("Другой Д.Д."));
        QCOMPARE(q.value(1, "fio").toString(), QStringLiteral("Иванов И.И."));
    }

    void hoursSheetQuerySumsDaysAndAmounts()
    {
        addEntry(*m_dm, {.worker = 2, .date = m_day, .shift = 1, .hours = 8, .quantity = 10, .rejects = 2, .price = 2.5});
        addEntry(*m_dm, {.worker = 2, .date = m_day.addDays(1), .shift = 2, .hours = 4, .quantity = 4, .price = 5});
        m_dm->execute("t", "insert into accounts_dep.h_tabel(smena, w_id, month, year, d5, d7) values (1, 2, 3, 2026, 8, 2)");
        ResultSet &h = m_dm->hTabel(1);
        h.close();
        h.setParam("mnth", 3);
        h.setParam("yea", 2026);
        h.setParam("date1", QDate(2026, 3, 1));
        h.setParam("date2", QDate(2026, 4, 1));
        h.open();
        QCOMPARE(h.rowCount(), 1);
        QCOMPARE(h.value(0, "fio").toString(), QStringLiteral("Петров П.П."));
        QCOMPARE(h.value(0, "summ").toInt(), 10);
        QCOMPARE(h.value(0, "cena_all").toDouble(), 40.0); // 8*2.5 + 4*5
        QCOMPARE(h.value(0, "average_price").toDouble(), 4.0);
        QVERIFY(h.value(0, "d1").isNull());
        QCOMPARE(h.value(0, "d5").toInt(), 8);
        // Overtime has no sheet query of its own.
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, m_dm->hTabel(4));
    }

    void valuesRoundTrip()
    {
        // A name with apostrophes and a would-be statement comes back as typed.
        const QString name = QStringLiteral("О'Нил-Д'Артаньян'); delete from accounts_dep.person; --");
        m_dm->sqlExec(QStringLiteral("insert into accounts_dep.person(fio, s_staffpos_hl) values(%1, 'x')")
                          .arg(sql::quoted(name)));
        m_dm->workers().reopen();
        QCOMPARE(m_dm->workers().rowCount(), 3);
        QCOMPARE(m_dm->control("select fio from accounts_dep.person where fio like 'О''Нил%'").value(0, "fio").toString(), name);

        // A price under a comma locale is stored with its point.
        QLocale::setDefault(QLocale(QLocale::German));
        const int id = addEntry(*m_dm, {.date = m_day, .price = 1.03125});
        QLocale::setDefault(QLocale::c());
        QCOMPARE(m_dm->control(QStringLiteral("select cena from accounts_dep.smena where id=%1").arg(id)).value(0, "cena").toDouble(), 1.0312);

        // Bare day-first date text is read day first by this connection.
        QCOMPARE(m_dm->control("select '05.03.2026'::date as d").value(0, "d").toDate(), m_day);
        QCOMPARE(m_dm->control(QStringLiteral("select %1 as d").arg(sql::date(m_day))).value(0, "d").toDate(), m_day);
    }

    void connectionReadsBareDatesDayFirstWhateverTheServerSays()
    {
        m_dm->execute("t", QStringLiteral("alter database %1 set datestyle to 'ISO, MDY'").arg(m_db->name()));
        DataModule fresh("fresh");
        fresh.open(m_db->connectionString());
        m_dm->execute("t", QStringLiteral("alter database %1 set datestyle to 'ISO, DMY'").arg(m_db->name()));
        QCOMPARE(fresh.control("select '05.03.2026'::date as d").value(0, "d").toDate(), m_day);
    }

    void backslashesStayLettersWhateverTheServerSays()
    {
        m_dm->execute("t", QStringLiteral("alter database %1 set standard_conforming_strings to off").arg(m_db->name()));
        DataModule fresh("fresh");
        fresh.open(m_db->connectionString());
        m_dm->execute("t", QStringLiteral("alter database %1 set standard_conforming_strings to on").arg(m_db->name()));
        for (const QString &name : {QStringLiteral("Косая черта \\"), QStringLiteral("x\\'); delete from accounts_dep.person; --")}) {
            fresh.sqlExec(QStringLiteral("insert into accounts_dep.person(fio, s_staffpos_hl) values(%1, '')").arg(sql::quoted(name)));
            QCOMPARE(fresh.control(QStringLiteral("select fio from accounts_dep.person order by id desc limit 1")).value(0, "fio").toString(), name);
        }
        QCOMPARE(fresh.control("select count(*) as n from accounts_dep.person").value(0, "n").toInt(), 4);
    }

    void transactionRollsBackUnlessCommitted()
    {
        const QString count = "select count(*) as n from accounts_dep.vid_oper";
        {
            Transaction tx(*m_dm);
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (3, 'Гибка')");
        }
        QCOMPARE(m_dm->control(count).value(0, "n").toInt(), 2);
        // A failed statement inside a transaction: nothing of it is kept.
        try {
            Transaction tx(*m_dm);
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (3, 'Гибка')");
            m_dm->execute("t", "insert into accounts_dep.no_such_table values (1)");
            tx.commit();
            QFAIL("the bad statement must throw");
        } catch (const DbError &e) {
            QVERIFY(e.text().contains("no_such_table"));
        }
        QCOMPARE(m_dm->control(count).value(0, "n").toInt(), 2);
        {
            Transaction tx(*m_dm);
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (3, 'Гибка')");
            {
                Transaction inner(*m_dm);
                m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (4, 'Сварка')");
                inner.commit();
            }
            tx.commit();
        }
        QCOMPARE(m_dm->control(count).value(0, "n").toInt(), 4);
        // Back in autocommit: a plain statement stays.
        m_dm->execute("t", "delete from accounts_dep.vid_oper where id=4");
        QCOMPARE(m_dm->control(count).value(0, "n").toInt(), 3);
    }

    void failedStatementReportsServerText()
    {
        QVERIFY_THROWS_EXCEPTION(DbError, m_dm->control("select * from accounts_dep.missing"));
        try {
            m_dm->control("select * from accounts_dep.missing");
        } catch (const DbError &e) {
            QVERIFY2(e.text().contains("accounts_dep.missing"), qPrintable(e.text()));
            QCOMPARE(e.sql(), QStringLiteral("select * from accounts_dep.missing"));
        }
    }

    void duplicateCheck()
    {
        RecordingNotifier n;
        m_dm->setNotifier(&n);
        QVERIFY(!m_dm->duplicateFound("select 0 as cnt", "Есть!"));
        QVERIFY(n.shown.isEmpty());
        QVERIFY(m_dm->duplicateFound("select count(id) as cnt from accounts_dep.vid_oper", "Есть!"));
        QCOMPARE(n.shown, QStringList{"Ошибка|Есть!"});
        m_dm->setNotifier(nullptr);
    }

    void separatorComesFromTheModule()
    {
        m_dm->setSeparator(",");
        QCOMPARE(m_dm->rewriteSeparator("0.25"), QStringLiteral("0,25"));
        m_dm->setSeparator(".");
        QCOMPARE(m_dm->rewriteSeparator("0,25"), QStringLiteral("0.25"));
    }

    // numeric and double precision values: whole numbers exactly, as
    // qlonglong (ids of the plant's tables lose their last digits as
    // doubles), anything else the double it always was, NULL still NULL.
    // Other types as the driver gives them. Shown as a grid shows them.
    void numbersComeExactly_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QVariant>("value"); // a null QVariant of the type for NULL
        QTest::addColumn<QString>("shown");  // on a Russian workstation
        const auto whole = [](qlonglong v) { return QVariant(v); };
        const QVariant nullDouble(QMetaType::fromType<double>());
        QTest::newRow("id beyond 2^53") << "900719925474099312::numeric(18,0)" << whole(900719925474099312LL)
                                        << "900719925474099312";
        QTest::newRow("its neighbour") << "900719925474099313::numeric(18,0)" << whole(900719925474099313LL)
                                       << "900719925474099313";
        QTest::newRow("id beyond int") << "2147483653::numeric(18,0)" << whole(2147483653LL) << "2147483653";
        QTest::newRow("largest qint64") << "9223372036854775807::numeric" << whole(9223372036854775807LL)
                                        << "9223372036854775807";
        QTest::newRow("negative whole") << "-7::numeric" << whole(-7) << "-7";
        QTest::newRow("whole double precision") << "100::float8" << whole(100) << "100";
        // A cell without a value shows empty.
        QTest::newRow("NULL numeric") << "null::numeric(18,0)" << nullDouble << "";
        QTest::newRow("NULL double precision") << "null::float8" << nullDouble << "";
        QTest::newRow("norm price") << "0.45::float8" << QVariant(0.45) << "0,45";
        QTest::newRow("massa") << "0.05::numeric" << QVariant(0.05) << "0,05";
        QTest::newRow("amount with scale") << "12.50::numeric(10,2)" << QVariant(12.5) << "12,5";
        QTest::newRow("whole amount with scale") << "100.00::numeric(10,2)" << QVariant(100.0) << "100";
        QTest::newRow("more digits than a double") << "(1.0/3)::numeric" << QVariant(1.0 / 3) << "0,3333333333333333";
        QTest::newRow("beyond qint64") << "9223372036854775808::numeric" << QVariant(9223372036854775808.0)
                                       << "9223372036854776000";
        QTest::newRow("exponent") << "1e20::float8" << QVariant(1e20) << "100000000000000000000";
        QTest::newRow("infinity") << "'Infinity'::float8" << QVariant(std::numeric_limits<double>::infinity())
                                  << "inf";
        QTest::newRow("integer column") << "5::integer" << QVariant(5) << "5";
        QTest::newRow("bigint column") << "5::bigint" << whole(5) << "5";
        QTest::newRow("digits as text") << "'100'::text" << QVariant(QStringLiteral("100")) << "100";
    }
    void numbersComeExactly()
    {
        QFETCH(QString, expression);
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        // Plain and prepared statements alike.
        const RowSet plain = m_dm->control(QStringLiteral("select %1 as v").arg(expression));
        const RowSet bound = m_dm->select("t", QStringLiteral("select %1 as v where :one = 1").arg(expression),
                                          {{"one", 1}});
        for (const RowSet &rows : {plain, bound}) {
            const QVariant v = rows.value(0, "v");
            QCOMPARE(v.metaType(), value.metaType());
            QCOMPARE(v.isNull(), value.isNull());
            if (!value.isNull())
                QCOMPARE(v, value);
            QCOMPARE(display::value(v), shown);
        }
        QLocale::setDefault(QLocale::c());
    }

    // The data module reads rows from the driver itself, a block of rows
    // at a time; what it reads must be what Qt's driver reads: the same
    // types, the same NULLs, the same values, also for values longer than
    // a cell of the block, for rows that repeat the row above and for
    // results of several blocks.
    void rowsReadAsTheDriverReadsThem_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("every type, with and without a value")
            << "select 1::smallint a, null::smallint b, 5::integer c, null::integer d, 5::bigint e, "
               "null::bigint f, true g, null::boolean h, ''::text i, null::text j, 'x'::char(3) k, "
               "'abc'::varchar(3) l, '\\x01ff'::bytea m, null::bytea n, ''::bytea o, '12:30:01'::time p, "
               "null::time q, '2024-02-29'::date r, null::date s, '2024-01-01 10:11:12.345678'::timestamp t, "
               "null::timestamp u, 1.5::real v, null::real w, 7::oid x, null::oid y, 0.45::float8 z, "
               "null::float8 aa, 12.50::numeric(10,2) ab, null::numeric ac, 900719925474099313::numeric(18,0) ad, "
               "'Infinity'::float8 ae, '-Infinity'::float8 af, 9223372036854775808::numeric ag, "
               "'{1,2}'::int[] ah, 'Строка с переводом\nстроки' ai";
        QTest::newRow("longer than a cell")
            << "select g, case when g % 3 = 0 then repeat('ж', 250 + g) else 'коротко ' || g end t, "
               "case when g % 5 = 0 then repeat('7', 80 + g)::numeric end n, "
               "case when g % 4 = 0 then decode(repeat('ab', 300 + g), 'hex') end b, "
               "repeat('я', 254) || g edge from generate_series(1, 40) g";
        QTest::newRow("repeating rows over several blocks")
            << "select g / 7 a, case when g % 11 < 5 then 'повтор' end b, date '2024-01-01' + g / 50 c, "
               "timestamp '2024-01-01' + (g / 90) * interval '1 hour' d, (g / 13)::numeric / 4 e, "
               "case when g % 3 = 0 then null else (g / 9)::float8 end f, repeat('й', 100) || (g / 300) h "
               "from generate_series(1, 2000) g";
        QTest::newRow("no rows") << "select 1 as a, 'x'::text b where false";
    }
    void rowsReadAsTheDriverReadsThem()
    {
        QFETCH(QString, sql);
        QSqlQuery q(m_dm->database());
        q.setForwardOnly(true);
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        QVERIFY(q.exec(sql));
        QList<QVector<QVariant>> expected;
        while (q.next()) {
            QVector<QVariant> row;
            for (int c = 0; c < q.record().count(); ++c)
                row << (q.record().field(c).metaType().id() == QMetaType::Double ? odbc::exactNumber(q.value(c))
                                                                                   : q.value(c));
            expected << row;
        }
        // Plain and prepared statements alike.
        const RowSet plain = m_dm->control(sql);
        const RowSet bound = m_dm->select("t", QStringLiteral("select * from (%1) x where :one = 1").arg(sql),
                                          {{"one", 1}});
        for (const RowSet &rows : {plain, bound}) {
            QCOMPARE(rows.size(), expected.size());
            for (int r = 0; r < rows.size(); ++r) {
                for (int c = 0; c < rows.columns.size(); ++c) {
                    const QVariant &got = rows.rows[r][c];
                    const QVariant &want = expected[r][c];
                    const QByteArray where = QStringLiteral("row %1, %2").arg(r).arg(rows.columns[c]).toUtf8();
                    QVERIFY2(got.metaType() == want.metaType(), where);
                    QVERIFY2(got.isNull() == want.isNull(), where);
                    QVERIFY2(got == want, where + ": " + got.toString().toUtf8() + " instead of " + want.toString().toUtf8());
                }
            }
        }
    }

    // On the department's Russian desktops the C library writes numbers
    // with a comma; the driver follows it unless told otherwise.
    void numbersOnARussianDesktop()
    {
        CommaLocale russian;
        if (!russian.active())
            QSKIP("no locale with a decimal comma can be set up here");
        DataModule fresh("fresh");
        fresh.open(m_db->connectionString());
        const RowSet r = fresh.control("select 0.45::float8 a, 12.50::numeric(10,2) b, 1.5::real c");
        QCOMPARE(r.value(0, "a"), QVariant(0.45));
        QCOMPARE(r.value(0, "b"), QVariant(12.5));
        QCOMPARE(r.value(0, "c"), QVariant(QStringLiteral("1.5")));
        // A bound fraction reaches the server as the number it is.
        QCOMPARE(fresh.select("t", "select :x::float8 * 2 as v", {{"x", 0.45}}).value(0, "v"), QVariant(0.9));
    }

    // Opened on a thread of its own, the connection serves the thread that
    // asked, set up as open() sets it up; a failure comes with the wait.
    void openedOnAThreadOfItsOwn()
    {
        DataModule background("background");
        background.openInBackground(m_db->connectionString());
        QCOMPARE(background.control("select '05.03.2026'::date as d").value(0, "d").toDate(), m_day);
        QVERIFY(background.isOpen());
        {
            Transaction tx(background);
            background.execute("t", "insert into accounts_dep.vid_oper(id, vid) values (3, 'Гибка')");
            tx.commit();
        }
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.vid_oper").value(0, "n").toInt(), 3);

        DataModule refused("refused");
        refused.openInBackground("DRIVER={PostgreSQL UNICODE};DATABASE=x;SERVER=127.0.0.1;PORT=1;UID=sys;PWD=x");
        QVERIFY_THROWS_EXCEPTION(DbError, refused.waitUntilOpen());
        QVERIFY(!refused.isOpen());
        // The next statement finds no connection rather than a half-made one.
        QVERIFY_THROWS_EXCEPTION(DbError, refused.control("select 1"));
    }

    // Statements with parameters stay prepared between uses; one whose
    // table changed under it is prepared again instead of failing.
    void preparedStatementsFollowTheirTables()
    {
        const QString sql = "select * from accounts_dep.vid_oper where id = :id";
        QCOMPARE(m_dm->select("t", sql, {{"id", 1}}).columns.size(), 2);
        m_dm->execute("t", "alter table accounts_dep.vid_oper add column extra integer default 7");
        const RowSet after = m_dm->select("t", sql, {{"id", 1}});
        QCOMPARE(after.columns.size(), 3);
        QCOMPARE(after.value(0, "extra"), QVariant(7));
        m_dm->execute("t", "alter table accounts_dep.vid_oper drop column extra");
        QCOMPARE(m_dm->select("t", sql, {{"id", 1}}).columns.size(), 2);
        // Another value, another row, from the same statement.
        QCOMPARE(m_dm->select("t", sql, {{"id", 2}}).size(), 1);
        QCOMPARE(m_dm->select("t", sql, {{"id", 99}}).size(), 0);
    }

    // The shop's own fractional figures through its shared queries.
    void fractionsReadAsBefore()
    {
        m_dm->execute("t", "update accounts_dep.norm set price=0.45 where o_id=12");
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        QCOMPARE(oper.value(0, "marka").toString(), QStringLiteral("КН-230"));
        QCOMPARE(oper.value(0, "cena").metaType(), QMetaType::fromType<double>());
        QCOMPARE(oper.value(0, "cena").toDouble(), 0.45);
        QCOMPARE(oper.value(1, "cena"), QVariant(qlonglong(10)));
        ResultSet &izdel = m_dm->izdel();
        izdel.reopen();
        QCOMPARE(izdel.value(1, "marka").toString(), QStringLiteral("КР-100"));
        QCOMPARE(izdel.value(1, "massa").metaType(), QMetaType::fromType<double>());
        QCOMPARE(izdel.value(1, "massa").toDouble(), 0.05);
        QCOMPARE(display::value(izdel.value(1, "massa")), QStringLiteral("0.05"));
        QCOMPARE(wholeNumber(izdel.value(1, "id")), std::optional<qlonglong>(501));
        QCOMPARE(wholeNumber(izdel.value(1, "id_class_item")), std::optional<qlonglong>(10));
        // A fraction is no id.
        QCOMPARE(wholeNumber(izdel.value(1, "massa")), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(DataModuleTest)
#include "test_datamodule.moc"
