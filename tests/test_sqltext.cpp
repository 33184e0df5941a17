// Value-writing rules, connection string, stamp order and role words:
// rules that need neither a database nor a window.
#include "app/connection.h"
#include "app/controlnames.h"
#include "app/roles.h"
#include "app/versiongate.h"
#include "data/display.h"
#include "data/rowfilter.h"
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
        // Ties whose nearest double lies on the other side of the decimal tie.
        QTest::newRow("tie to even, double above") << 0.01075 << "0.0108";
        QTest::newRow("tie to even zero, double above") << 0.00305 << "0.003";
        QTest::newRow("carry through nines") << 9.99995 << "10";
        QTest::newRow("negative tie") << -1.03125 << "-1.0312";
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
        QCOMPARE(connectionStringFromArguments(args),
                 QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=%1;SERVER=%2;PORT=5432;UID=sys;PWD=vbtkmsa;"
                                "SSLmode=allow;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
                                "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
                                "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;"
                                "BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
                                "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;"
                                "D6=-101;OptionalErrors=0;XaOpt=1")
                     .arg(database, server));
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

    void searchFilters_data()
    {
        QTest::addColumn<bool>("anywhere");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("kept");
        const bool begins = false, anywhere = true;
        QTest::newRow("empty: off") << begins << "" << QStringList{};
        QTest::newRow("beginning, any case") << begins << "ива" << QStringList{"Иванов И.И.", "иванова"};
        QTest::newRow("beginning only") << begins << "нов" << QStringList{};
        QTest::newRow("anywhere") << anywhere << "нов" << QStringList{"Иванов И.И.", "иванова"};
        QTest::newRow("blanks only: off") << anywhere << "  " << QStringList{};
        QTest::newRow("wildcards are letters") << begins << "%" << QStringList{"%скидка"};
        QTest::newRow("apostrophe") << anywhere << "'н" << QStringList{"О'Нил"};
    }
    void searchFilters()
    {
        QFETCH(bool, anywhere);
        QFETCH(QString, text);
        QFETCH(QStringList, kept);
        RowSet rows;
        rows.columns = {"FIO"};
        for (const char *name : {"Иванов И.И.", "иванова", "О'Нил", "%скидка", "Петров"})
            rows.rows.push_back({QString::fromUtf8(name)});
        const RowPredicate keep = anywhere ? rowfilter::contains("fio", text) : rowfilter::startsWith("fio", text);
        if (kept.isEmpty() && text.trimmed().isEmpty()) {
            QVERIFY(!keep);
            return;
        }
        QStringList got;
        for (int r = 0; r < rows.size(); ++r)
            if (keep(rows, r))
                got << rows.value(r, "fio").toString();
        QCOMPARE(got, kept);
    }

    void namedStatements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const QString nmn = "(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn";
        // A register code that is no whole number matches nobody instead of
        // failing the statement.
        const QString code = "(case when s_code ~ '^[ \\t\\n\\r\\f\\v]*[-+]?0*[0-9]{1,10}[ \\t\\n\\r\\f\\v]*$' then case when "
                             "s_code::numeric between -2147483648 and 2147483647 then s_code::t_id end end)";
        const QString journalHead =
            "select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id,  smena.cena,person.s_caption fio, "
            "izdel.marka, vid_oper.vid, " + nmn + ", oper.naimen,  smena.brak, smena.kol_vo::numeric, "
            "round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, color,time, smena.ok, vvod, smena.id_doc, "
            "smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use from cmn_contractor.person person, "
            "accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper  where smena.i_id=izdel.id and "
            "smena.o_id=oper.id and (w_id=person.id or " + code + "=w_id) and  oper.vid=vid_oper.id and smena.smena=";
        QTest::newRow("Smena1") << shared::smenaSql(1)
                                << journalHead + "1 and smena.data=:data and ok!=:ok order by  fio, izdel.marka, vid_oper.vid, oper.naimen, color";
        for (int s : {2, 3, 4})
            QTest::addRow("Smena%d", s) << shared::smenaSql(s)
                                        << journalHead + QString::number(s) + " and smena.data=:data and ok<>:ok order by  fio";
        QTest::newRow("any other shift is shift 1") << shared::smenaSql(7) << shared::smenaSql(1);

        QStringList days;
        for (int d = 1; d <= 31; ++d)
            days << QStringLiteral("coalesce(d%1,0)").arg(d);
        const QString sum = days.join('+');
        QTest::newRow("H_Tabel_2")
            << shared::hTabelSql(2)
            << "select person.s_caption fio, (" + sum + ") as summ, case when (" + sum + ")=0 then 0 else "
                   "(sum(s.cena*(kol_vo-brak))/(" + sum + ")) end ::numeric(10,2) as average_price, "
                   "sum(s.cena*(kol_vo-brak))::numeric(10,2) as cena_all, h_tabel.* from accounts_dep.h_tabel, "
                   "cmn_contractor.person, accounts_dep.smena s where h_tabel.w_id="
                   "(case when person.s_code ~ '^[ \\t\\n\\r\\f\\v]*[-+]?0*[0-9]{1,10}[ \\t\\n\\r\\f\\v]*$' then case when "
                   "person.s_code::numeric between -2147483648 and 2147483647 then person.s_code::integer end end)"
                   " and h_tabel.smena=2 and month=:mnth and s.w_id = h_tabel.w_id and h_tabel.year=:yea and "
                   "s.data >=:date1 and s.data <:date2 group by person.s_caption,h_tabel.w_id,h_tabel.month,"
                   "h_tabel.year,h_tabel.smena,h_tabel.id order by fio";
        QTest::newRow("Oper")
            << shared::operSql()
            << "select izdel.MARKA, vid_oper.VID, oper.NAIMEN, " + nmn + ", count(o_id) norma, min(price)::numeric cena, "
                   "oper.id, oper.i_id, oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,accounts_dep.IZDEL,"
                   "accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and norm.o_id=oper.id and oper.vid=vid_oper.id group by "
                   "izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, oper.i_id, oper.VID order by izdel.marka, "
                   "vid_oper.vid, oper.naimen";
        QTest::newRow("Workers") << shared::workersSql() << "select * from accounts_dep.person order by fio";
        QTest::newRow("Izdel") << shared::izdelSql() << "select *  from accounts_dep.IZDEL order by marka";
        QTest::newRow("Vid_oper") << shared::vidOperSql() << "select * from accounts_dep.VID_OPER order by vid";
        QTest::newRow("Oper_del") << shared::operDelSql() << "delete from accounts_dep.oper where id=:id";
        QTest::newRow("acceptance") << shared::acceptanceToggleSql() << "update accounts_dep.smena set ok=:ok where id=:id";
    }
    void namedStatements()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(sql, expected);
    }
};

QTEST_GUILESS_MAIN(SqlTextTest)
#include "test_sqltext.moc"
