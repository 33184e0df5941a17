// Value-writing rules, connection string, stamp order and role words:
// rules that need neither a database nor a window.
#include "app/connection.h"
#include "app/controlnames.h"
#include "app/roles.h"
#include "app/versiongate.h"
#include "data/display.h"
#include "data/sharedqueries.h"
#include "data/sqltext.h"

#include <QLocale>
#include <QtTest>

using namespace tabel;

class SqlTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void price_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("tie goes to even (down)") << 1.03125 << "1.0312";
        QTest::newRow("tie goes to even (up)") << 1.03135 << "1.0314";
        QTest::newRow("above the tie") << 1.031251 << "1.0313";
        QTest::newRow("whole") << 24.0 << "24";
        QTest::newRow("three times base") << 12.5 * 3 << "37.5";
        QTest::newRow("night factor") << 10 * 1.2 << "12";
        QTest::newRow("large, no exponent") << 1234567.0 << "1234567";
        QTest::newRow("small, no exponent") << 0.0001 << "0.0001";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("tiny rounds to zero") << 0.00001 << "0";
    }
    void price()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        // A workstation whose decimal separator is a comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(sql::price(value), text);
        QLocale::setDefault(QLocale::c());
    }

    void datesIgnoreTheLocale()
    {
        const QDate d(2026, 3, 5);
        for (auto lang : {QLocale::English, QLocale::Russian, QLocale::German}) {
            QLocale::setDefault(QLocale(lang));
            QCOMPARE(sql::date(d), QStringLiteral("to_date('05.03.2026', 'DD.MM.YYYY')"));
            QCOMPARE(sql::dateTimeFormat(d),
                     QStringLiteral("to_date('05.03.2026', 'DD.MM.YYYY HH24:MI:SS')"));
            QCOMPARE(sql::dateText(d), QStringLiteral("'05.03.2026'"));
        }
        QLocale::setDefault(QLocale::c());
    }

    void displayFollowsTheWorkstation_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("point locale") << "en_US" << 2218.86 << "2218.86";
        QTest::newRow("comma locale, no grouping") << "ru_RU" << 2218.86 << "2218,86";
        QTest::newRow("whole") << "ru_RU" << 1440.0 << "1440";
        QTest::newRow("no trailing zeros") << "de_DE" << 1.5 << "1,5";
        QTest::newRow("zero") << "ru_RU" << 0.0 << "0";
    }
    void displayFollowsTheWorkstation()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(display::number(value), text);
        QCOMPARE(display::value(QVariant(value)), text);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(display::value(QDate(2026, 3, 5)), QStringLiteral("05.03.2026"));
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain") << "Резка" << "'Резка'";
        QTest::newRow("apostrophe") << "О'Нил" << "'О''Нил'";
        QTest::newRow("injection") << "x'); drop table t; --" << "'x''); drop table t; --'";
        QTest::newRow("empty") << "" << "''";
    }
    void quoting()
    {
        QFETCH(QString, text);
        QFETCH(QString, literal);
        QCOMPARE(sql::quoted(text), literal);
    }

    void separatorRewrite_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("result");
        QTest::newRow("comma to point") << "12,5" << "." << "12.5";
        QTest::newRow("point stays point") << "12.5" << "." << "12.5";
        QTest::newRow("point to comma") << "12.5" << "," << "12,5";
        QTest::newRow("whole number") << "12" << "," << "12";
        QTest::newRow("first comma only") << "1,2,3" << "." << "1.2,3";
        QTest::newRow("comma wins over point") << "1.2,3" << "." << "1.2.3";
        QTest::newRow("empty separator") << "12,5" << "" << "125";
    }
    void separatorRewrite()
    {
        QFETCH(QString, number);
        QFETCH(QString, separator);
        QFETCH(QString, result);
        QCOMPARE(sql::rewriteSeparator(number, separator), result);
    }

    void connectionString_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::newRow("none") << QStringList{} << "factorydb" << "127.0.0.1";
        QTest::newRow("database only") << QStringList{"db"} << "factorydb" << "127.0.0.1";
        QTest::newRow("empty server") << QStringList{"db", ""} << "factorydb" << "127.0.0.1";
        QTest::newRow("both") << QStringList{"db", "srv1"} << "db" << "srv1";
        QTest::newRow("extra ignored") << QStringList{"db", "10.0.0.5", "x"} << "db" << "10.0.0.5";
    }
    void connectionString()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, database);
        QFETCH(QString, server);
        const QString s = connectionStringFromArguments(args);
        QVERIFY(s.startsWith(QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=%1;SERVER=%2;PORT=5432;UID=sys;PWD=vbtkmsa;")
                                 .arg(database, server)));
        QVERIFY(s.endsWith(QStringLiteral(";UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1")));
        QVERIFY(s.contains(QStringLiteral(";TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;")));
    }

    void stampOrder_data()
    {
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("t");
        QTest::addColumn<int>("order");
        // The program: 16 February 2024, 21:59:35.
        QTest::newRow("equal") << 20240216 << 79175 << int(StampOrder::Equal);
        QTest::newRow("record one second newer") << 20240216 << 79176 << int(StampOrder::RecordNewer);
        QTest::newRow("record one second older") << 20240216 << 79174 << int(StampOrder::RecordOlder);
        QTest::newRow("older date, later time") << 20240215 << 86000 << int(StampOrder::RecordOlder);
        QTest::newRow("newer date, earlier time") << 20240217 << 0 << int(StampOrder::RecordNewer);
    }
    void stampOrder()
    {
        QFETCH(int, d);
        QFETCH(int, t);
        QFETCH(int, order);
        QCOMPARE(int(compareStamp(d, t, BuildStamp{20240216, 79175})), order);
    }

    void loginCaptionShowsStamp()
    {
        QCOMPARE(loginCaption(BuildStamp{20240216, 79175}),
                 QStringLiteral("Авторизация (build: 20240216.79175)"));
    }

    void roleWords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("role");
        QTest::newRow("reporting") << "vantor" << int(Role::Reporting);
        QTest::newRow("data entry") << "gildrew" << int(Role::DataEntry);
        QTest::newRow("acceptance") << "pomek" << int(Role::Acceptance);
        QTest::newRow("full access code") << "61730482" << int(Role::FullAccess);
        QTest::newRow("short full access code") << "5283" << int(Role::FullAccess);
        QTest::newRow("blanks around") << "  61730482 " << int(Role::FullAccess);
        QTest::newRow("capitals") << "VANTOR" << int(Role::None);
        QTest::newRow("empty") << "" << int(Role::None);
        QTest::newRow("blanks only") << "   " << int(Role::None);
        QTest::newRow("inner blank") << "van tor" << int(Role::None);
    }
    void roleWords()
    {
        QFETCH(QString, typed);
        QFETCH(int, role);
        QCOMPARE(int(roleForWord(typed)), role);
    }

    void journalQueries()
    {
        // Shift 1 orders fully and tests the mark with !=; the others order
        // by name alone and write <>.
        QVERIFY(shared::smenaSql(1).endsWith(
            QStringLiteral("smena.smena=1 and smena.data=:data and ok!=:ok order by  fio, izdel.marka, vid_oper.vid, oper.naimen, color")));
        for (int s : {2, 3, 4})
            QVERIFY(shared::smenaSql(s).endsWith(
                QStringLiteral("smena.smena=%1 and smena.data=:data and ok<>:ok order by  fio").arg(s)));
        QCOMPARE(shared::smenaSql(7), shared::smenaSql(1));
        QVERIFY(shared::hTabelSql(2).startsWith(QStringLiteral(
            "select person.s_caption fio, (coalesce(d1,0)+coalesce(d2,0)+")));
        QVERIFY(shared::hTabelSql(2).contains(QStringLiteral("+coalesce(d31,0)) as summ,")));
        QVERIFY(shared::hTabelSql(2).contains(QStringLiteral("h_tabel.smena=2 and month=:mnth")));
    }
};

QTEST_GUILESS_MAIN(SqlTextTest)
#include "test_sqltext.moc"
