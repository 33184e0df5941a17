// The copy from the former desktop database (a SQLite file behind the data
// source "Tabel" of a test-only ODBC ini; the target "Tabel_PgSQL" is this
// test's database), the schema touch-up and how a maintainer reaches them.
#include "app/startup.h"
#include "data/datamodule.h"
#include "data/dberror.h"
#include "fixtures.h"
#include "import/importwindow.h"
#include "import/legacyimport.h"
#include "journal/journalwindow.h"
#include "modal.h"
#include "recording.h"
#include "testdb.h"

#include <QAction>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

class ImportTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<DataModule> m_target;

    void run(const QString &sql) { m_dm->execute("fixture", sql); }
    QString rows(const QString &sql) { return rowsText(*m_dm, sql); }

    void legacy(const QStringList &statements)
    {
        QSqlDatabase db = openLegacyDatabase();
        for (const QString &s : statements) {
            QSqlQuery q(db);
            QVERIFY2(q.exec(s), qPrintable(s + ": " + q.lastError().text()));
        }
    }

    // The legacy tables, a few rows each.
    void makeLegacy()
    {
        QStringList days, dayCols;
        for (int d = 1; d <= 31; ++d) {
            days << QString("d%1 integer").arg(d);
            dayCols << QString("d%1").arg(d);
        }
        legacy({"drop table if exists H_TABEL", "drop table if exists IZDEL", "drop table if exists NOMENKL",
                "drop table if exists OPER", "drop table if exists VID_OPER", "drop table if exists WORKERS",
                "create table H_TABEL (id integer, w_id integer, month integer, year integer, smena integer, "
                    + days.join(", ") + ")",
                "insert into H_TABEL (id, w_id, month, year, smena, d1, d31) values (7, 2, 3, 2009, 1, 8, 11)",
                "insert into H_TABEL (id, w_id, month, year, smena, d2) values (3, 1, 3, 2009, 2, 4)",
                "create table IZDEL (id integer, marka text, nom text, massa real)",
                "insert into IZDEL values (1, 'КР-1', 'Кронштейны', 0.25)",
                "create table NOMENKL (marka text, nom text)",
                "insert into NOMENKL values ('Ветошь', 'Материалы'), ('Ящик', 'Тара')",
                "create table OPER (id integer, vid integer, naimen integer, cena real, i_id integer)",
                "insert into OPER values (40, 5, 0, 1.75, 1), (12, 6, 1, 0.5, 1)",
                "create table VID_OPER (id integer, vid text)",
                "insert into VID_OPER values (5, 'Резка'), (6, 'Гибка')",
                "create table WORKERS (id integer, fio text, addr text)",
                "insert into WORKERS values (9, 'О''Нил Ирина', 'ул. Заводская, 1'), (4, 'Зуев Олег', null)"});
    }

    // Every target's rows, for comparing before and after.
    QString snapshot()
    {
        QString out;
        for (const char *t : {"h_tabel", "nomenkl", "oper", "vid_oper", "workers", "smena"})
            out += rows(QString("select * from accounts_dep.%1 order by id").arg(t)) + "\n--\n";
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The data sources must be known before the first ODBC connection
        // of the process, which reads the ini files once.
        const QString name = qEnvironmentVariable("TABEL_TEST_DB_PREFIX", "t_import");
        QFile ini(m_dir.filePath("odbc.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QString("[Tabel]\nDriver=SQLite3\nDatabase=%1\n\n"
                          "[Tabel_PgSQL]\nDriver=PostgreSQL Unicode\nServername=%2\nPort=5432\n"
                          "Database=%3\nUsername=sys\nPassword=vbtkmsa\n")
                      .arg(m_dir.filePath("legacy.db"), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1"), name)
                      .toUtf8());
        ini.close();
        qputenv("ODBCINI", m_dir.filePath("odbc.ini").toLocal8Bit());
        m_db = std::make_unique<TestDatabase>(name);
        // The target server reads bare dates month first unless told.
        maintenance(QString("alter database %1 set DateStyle to 'ISO, MDY'").arg(m_db->name()));
        m_dm = m_db->connect("import-main");
        m_target = std::make_unique<DataModule>(QLatin1String(targetConnectionName));
        m_target->open(QLatin1String(targetSource));
    }
    void cleanupTestCase()
    {
        m_target.reset();
        m_dm.reset();
        m_db.reset();
    }

    void init()
    {
        loadShop(*m_dm);
        makeLegacy();
        run("truncate accounts_dep.workers, accounts_dep.nomenkl");
        // Rows the import keeps (id 0 or less) and rows it replaces.
        run("insert into accounts_dep.workers(id, fio) values (0, 'нулевой'), (-1, 'служебный'), (50, 'старый')");
        run("insert into accounts_dep.vid_oper(id, vid) values (0, 'Без вида')");
        run("insert into accounts_dep.h_tabel(id, w_id, smena, i_type, month, year, d5) values (100, 1, 1, 0, 1, 2026, 8)");
        addEntry(*m_dm, {.worker = 1, .date = QDate(2026, 3, 2), .hours = 6, .quantity = 12});
        run("update accounts_dep.smena set vvod = '2026-03-04 09:05:07'");
    }

    void copiesEveryTable()
    {
        const QString journalBefore =
            rows("select id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, ok, data, time, vvod "
                 "from accounts_dep.smena order by id");
        QStringList progress;
        LegacyImport import(*m_dm, *m_target, openLegacyDatabase());
        const QVector<ImportedTable> done = import.run(
            [&](const QString &t, int n, int total) { progress << QString("%1 %2/%3").arg(t).arg(n).arg(total); });

        QCOMPARE(rows("select id, w_id, month, year, smena, d1, d2, d31 from accounts_dep.h_tabel order by id"),
                 QString("3,1,3,2009,2,NULL,4,NULL\n7,2,3,2009,1,8,NULL,11"));
        QCOMPARE(rows("select id, vid, naimen, cena, i_id from accounts_dep.oper order by id"),
                 QString("12,6,1,0.5,1\n40,5,0,1.75,1"));
        QCOMPARE(rows("select id, vid from accounts_dep.vid_oper order by id"), QString("0,Без вида\n5,Резка\n6,Гибка"));
        QCOMPARE(rows("select id, fio, addr from accounts_dep.workers order by id"),
                 QString("-1,служебный,NULL\n0,нулевой,NULL\n4,Зуев Олег,NULL\n9,О'Нил Ирина,ул. Заводская, 1"));
        QCOMPARE(rows("select marka, nom from accounts_dep.nomenkl order by id"), QString("Ветошь,Материалы\nЯщик,Тара"));
        // The journal copied onto itself keeps its rows, dates day first.
        QCOMPARE(rows("select id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, ok, data, time, vvod "
                      "from accounts_dep.smena order by id"),
                 journalBefore);
        QCOMPARE(rows("select to_char(data, 'DD.MM.YYYY'), to_char(vvod, 'DD.MM.YYYY HH24:MI:SS') from accounts_dep.smena"),
                 QString("02.03.2026,04.03.2026 09:05:07"));
        // The products are the goods register's view: left alone.
        QCOMPARE(done.size(), 7);
        QCOMPARE(done[1].target, QString("accounts_dep.izdel"));
        QVERIFY(!done[1].skipped.isEmpty());
        QCOMPARE(done[0].rows, 2);
        QCOMPARE(done[6].rows, 1);
        QVERIFY(progress.contains("accounts_dep.workers 2/2"));
        const QString summary = importSummary(done);
        QVERIFY2(summary.contains("accounts_dep.oper: 2") && summary.contains("accounts_dep.smena: 1"),
                 qPrintable(summary));

        // New rows get ids past the legacy ones.
        const int worker = m_dm->select("t", "insert into accounts_dep.workers(fio) values ('новый') returning id")
                               .value(0, "id").toInt();
        QCOMPARE(worker, 10);
        const int oper = m_dm->select("t", "insert into accounts_dep.oper(vid, naimen, i_id) values (5, 0, 1) returning id")
                             .value(0, "id").toInt();
        QCOMPARE(oper, 41);
    }

    // Any failure leaves every table as it was and names table and row.
    void failureChangesNothing_data()
    {
        QTest::addColumn<QStringList>("legacySql");
        QTest::addColumn<QString>("where");
        QTest::newRow("no number where one belongs")
            << QStringList{"drop table OPER", "create table OPER (id integer, vid text, naimen integer, "
                                              "cena real, i_id integer)",
                           "insert into OPER values (12, '6', 1, 0.5, 1), (13, 'пять', 0, 1, 1)"}
            << "accounts_dep.oper, строка 2 (id 13)";
        QTest::newRow("refused by the server")
            << QStringList{"insert into WORKERS values (5, replace(hex(zeroblob(300)), '0', 'ж'), null)"}
            << "accounts_dep.workers, строка 2 (id 5)";
        QTest::newRow("missing legacy table") << QStringList{"drop table VID_OPER"} << "VID_OPER";
    }
    void failureChangesNothing()
    {
        QFETCH(QStringList, legacySql);
        QFETCH(QString, where);
        legacy(legacySql);
        const QString before = snapshot();
        LegacyImport import(*m_dm, *m_target, openLegacyDatabase());
        QString message;
        try {
            import.run();
        } catch (const DbError &e) {
            message = e.text();
        }
        QVERIFY2(message.startsWith("Импорт прерван, данные не изменены.") && message.contains(where),
                 qPrintable(message));
        QCOMPARE(snapshot(), before);
    }

    void windowTellsTheOutcome()
    {
        ImportWindow w(*m_dm);
        auto box = answerNextBox(QMessageBox::Ok);
        w.runImport();
        QVERIFY(box->seen);
        QCOMPARE(box->title, QString("Импорт"));
        QVERIFY2(box->text.contains("accounts_dep.workers: 2"), qPrintable(box->text));
        QVERIFY(!w.isVisible());
    }

    // The touch-up: statements each on their own, failures silent; twice
    // in a row, and on a database without the products view.
    void schemaTouchUp()
    {
        RecordingNotifier notes;
        auto columns = [&] {
            return rows("select table_name || '.' || column_name from information_schema.columns where "
                        "table_schema = 'accounts_dep' and column_name in ('i_night', 'i_holiday') "
                        "order by 1");
        };
        const QString all = "fatigue.i_holiday\nfatigue.i_night\nh_tabel.i_night";
        touchUpSchema(*m_dm);
        touchUpSchema(*m_dm);
        QCOMPARE(columns(), all);
        QCOMPARE(rows("select count(*) from pg_views where schemaname = 'accounts_dep' and viewname = 'izdel'"),
                 QString("1"));

        run("drop view accounts_dep.izdel");
        run("alter table accounts_dep.fatigue drop column i_holiday, drop column i_night");
        run("alter table accounts_dep.h_tabel drop column i_night");
        touchUpSchema(*m_dm);
        QCOMPARE(columns(), all);
        // Put the view back for the other tests.
        run(touchUpStatements().first().section('\n', 1));
    }

    void maintenanceSwitchShowsTheCommands_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("visible");
        QTest::newRow("ordinary start") << QStringList() << false;
        QTest::newRow("maintenance") << QStringList{"--maintenance"} << true;
    }
    void maintenanceSwitchShowsTheCommands()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, visible);
        Startup startup({20240216, 79175});
        QVERIFY(startup.start(QStringList{m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")} + extra));
        QCOMPARE(startup.journal().menuAction("actImport")->isVisible(), visible);
        QCOMPARE(startup.journal().menuAction("actSchema")->isVisible(), visible);
        // The switch is no database name.
        QCOMPARE(startup.data().control("select current_database() as d").value(0, "d").toString(), m_db->name());
        clearQuitRequest();
    }
};

} // namespace

QTEST_MAIN(ImportTest)
#include "test_import.moc"
