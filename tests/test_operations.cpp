// Operation prices and kinds against a real server, without windows: the
// statements as sent, the editors' refusals, the pick and its pay price,
// the list searches, and the price list read back from the saved workbook.
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/rowfilter.h"
#include "fixtures.h"
#include "reference/kinds.h"
#include "reference/operations.h"
#include "reference/pricelist.h"
#include "reports/spreadsheet.h"
#include "testdb.h"
#include "recording.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

QList<int> shownIds(const ResultSet &set)
{
    QList<int> ids;
    for (int r = 0; r < set.rowCount(); ++r)
        ids << set.value(r, "id").toInt();
    return ids;
}

} // namespace

class OperationsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    RecordingNotifier m_notifier;

    int count(const QString &sql) { return m_dm->control(sql).value(0, "n").toInt(); }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
        m_dm->setNotifier(&m_notifier);
    }
    void init()
    {
        loadShop(*m_dm);
        m_notifier.shown.clear();
        QLocale::setDefault(QLocale::c());
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void statements_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new operation, duplicate count")
            << operations::newDuplicateSql(1, 0, 501)
            << "select count(ID) as cnt from accounts_dep.OPER where vid=1 and naimen=0 and i_id=501";
        QTest::newRow("changed operation, duplicate count")
            << operations::changeDuplicateSql(2, 1, 502, 12)
            << "select count(*) as cnt from accounts_dep.OPER where vid=2 and naimen=1 and i_id=502 and id<>12";
        QTest::newRow("insert") << operations::insertSql(1, 1, 502)
                                << "insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (1, 1, 502, 0)";
        QTest::newRow("update, two blanks before i_id")
            << operations::updateSql(2, 0, 501, 11)
            << "update accounts_dep.oper set vid=2, naimen=0,  i_id=501 where id=11";
        QTest::newRow("mark of the pick") << operations::markSql(501)
                                          << "select marka from accounts_dep.izdel where id=501";
        QTest::newRow("new kind, upper case, apostrophe doubled")
            << kinds::duplicateSql("  Гибка 'П'  ")
            << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='ГИБКА ''П'''";
        QTest::newRow("changed kind")
            << kinds::duplicateSql("резка", 1)
            << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='РЕЗКА' and id<>1";
        // Imported kinds may carry any id, 0 included; a change never
        // counts the kind itself.
        QTest::newRow("changed kind of id 0")
            << kinds::duplicateSql("резка", 0)
            << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='РЕЗКА' and id<>0";
        QTest::newRow("price list")
            << pricelist::sql()
            << "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN "
               "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, "
               "oper.i_id,  oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,"
               "accounts_dep.VID_OPER where OPER.i_id=IZDEL.id  and oper.vid=vid_oper.id order by "
               "izdel.marka, vid_oper.vid, oper.naimen";
    }
    void statements()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    // Fixture: operation 11 = (kind 1, finished, product 501 "КР-100"),
    // operation 12 = (kind 2, blank, product 502 "КН-230").
    void operationSave_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("operationId");
        QTest::addColumn<int>("productId");
        QTest::addColumn<int>("kindId");
        QTest::addColumn<int>("naimen");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal");
        const QString incomplete = "Ошибка|Все поля должны быть заполнены!";
        const QString duplicate = "Ошибка|Операция с такими параметрами уже заведена!";
        QTest::newRow("product not picked") << 1 << 0 << 502 << 1 << 0 << "" << "Резка" << incomplete;
        QTest::newRow("kind of blanks") << 1 << 0 << 502 << 1 << 0 << "КН-230" << "  " << incomplete;
        QTest::newRow("same product, kind and flag")
            << 1 << 0 << 501 << 1 << 0 << "КР-100" << "Резка" << duplicate;
        QTest::newRow("other flag is another operation")
            << 1 << 0 << 501 << 1 << 1 << "КР-100" << "Резка" << "";
        QTest::newRow("change onto another operation")
            << 2 << 12 << 501 << 1 << 0 << "КР-100" << "Резка" << duplicate;
        QTest::newRow("change saved unchanged") << 2 << 11 << 501 << 1 << 0 << "КР-100" << "Резка" << "";
        QTest::newRow("change of flag") << 2 << 12 << 502 << 2 << 0 << "КН-230" << "Покраска" << "";
    }
    void operationSave()
    {
        QFETCH(int, mode);
        QFETCH(int, operationId);
        QFETCH(int, productId);
        QFETCH(int, kindId);
        QFETCH(int, naimen);
        QFETCH(QString, mark);
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        const QString before = "select count(*) as n from accounts_dep.oper";
        const int operationsBefore = count(before);

        const auto saved = operations::save(*m_dm, {mode, operationId, productId, kindId, naimen, mark, kind});

        if (!refusal.isEmpty()) {
            QVERIFY(!saved);
            QCOMPARE(m_notifier.shown, QStringList{refusal});
            QCOMPARE(count(before), operationsBefore);
            QCOMPARE(count("select count(*) as n from accounts_dep.oper where id=12 and naimen=1 and i_id=502"), 1);
            return;
        }
        QVERIFY(saved);
        QVERIFY(m_notifier.shown.isEmpty());
        QCOMPARE(count(before), operationsBefore + (mode == 1 ? 1 : 0));
        if (mode == 2)
            QCOMPARE(*saved, operationId);
        QCOMPARE(count(QStringLiteral("select count(*) as n from accounts_dep.oper where id=%1 and vid=%2 "
                                      "and naimen=%3 and i_id=%4")
                           .arg(*saved).arg(kindId).arg(naimen).arg(productId)),
                 1);
    }

    // Operations keep their product in an integer column. A product id
    // beyond it is refused with a message before anything is sent, instead
    // of being written as another product's or failed by the server.
    void productBeyondIntegerIsRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("operationId");
        QTest::addColumn<qlonglong>("productId");
        QTest::newRow("new, beyond int") << 1 << 0 << 2147483653LL;
        QTest::newRow("new, beyond 2^53") << 1 << 0 << 900719925474099312LL;
        QTest::newRow("change, beyond int") << 2 << 12 << 2147483653LL;
    }
    void productBeyondIntegerIsRefused()
    {
        QFETCH(int, mode);
        QFETCH(int, operationId);
        QFETCH(qlonglong, productId);
        m_dm->execute("t", QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, massa, "
                                          "id_class_item, id_msm_bs) values (%1, 'Большое', 1, 10, 6)")
                               .arg(productId));
        const QString operations = "select id, vid, naimen, i_id, cena, cena_new from accounts_dep.oper order by id";
        const QString before = rowsText(*m_dm, operations);
        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        const auto saved = operations::save(*m_dm, {mode, operationId, productId, 1, 0, "Большое", "Резка"});
        m_dm->setTrace(nullptr);
        QVERIFY(!saved);
        QCOMPARE(statements, 0);
        QCOMPARE(m_notifier.shown,
                 QStringList{QStringLiteral("Ошибка|Изделие с кодом %1 нельзя указать в операции: код изделия в "
                                            "операции не может быть больше 2147483647. Операция не записана.")
                                 .arg(productId)});
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(rowsText(*m_dm, operations), before);
    }

    void newOperationIsListedOnlyWithANorm()
    {
        const auto id = operations::save(*m_dm, {1, 0, 502, 1, 0, "КН-230", "Резка"});
        QVERIFY(id && *id > 12);
        QCOMPARE(m_dm->control(QStringLiteral("select cena_new from accounts_dep.oper where id=%1").arg(*id))
                     .value(0, "cena_new").toDouble(), 0.0);
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        QCOMPARE(operations::rowOf(oper, *id), -1);
        m_dm->execute("t", QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values (%1, 10, 0, 4)").arg(*id));
        oper.reopen();
        QVERIFY(operations::rowOf(oper, *id) >= 0);
    }

    void kindSave_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("kindId");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("stored");
        const QString duplicate = "Ошибка|Такая операция уже заведена!";
        QTest::newRow("blank") << 1 << 0 << "   " << "Ошибка|Все поля должны быть заполнены!" << "";
        QTest::newRow("other letter case") << 1 << 0 << "РЕЗКА" << duplicate << "";
        QTest::newRow("Cyrillic lower case") << 1 << 0 << "покраска ПОРОШКОВОЙ краской" << duplicate << "";
        QTest::newRow("surrounding blanks") << 1 << 0 << "  Резка " << duplicate << "";
        QTest::newRow("rename onto another kind") << 2 << 1 << "Покраска порошковой краской" << duplicate << "";
        QTest::newRow("rename in other case") << 2 << 1 << " РЕЗКА " << "" << "РЕЗКА";
        QTest::newRow("apostrophes stored exactly") << 1 << 0 << " Гибка 'П' на 90° " << "" << "Гибка 'П' на 90°";
    }
    void kindSave()
    {
        QFETCH(int, mode);
        QFETCH(int, kindId);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        const bool saved = kinds::save(*m_dm, mode, kindId, text);
        QCOMPARE(saved, refusal.isEmpty());
        QCOMPARE(m_notifier.shown, refusal.isEmpty() ? QStringList() : QStringList{refusal});
        ResultSet &vid = m_dm->vidOper();
        vid.reopen();
        QStringList names;
        for (int r = 0; r < vid.rowCount(); ++r)
            names << vid.value(r, "vid").toString();
        QCOMPARE(names.size(), mode == 1 && saved ? 3 : 2);
        if (saved)
            QVERIFY2(names.contains(stored), qPrintable(names.join(", ")));
        // Once stored, the same name is a duplicate.
        if (saved && mode == 1) {
            m_notifier.shown.clear();
            QVERIFY(!kinds::save(*m_dm, 1, 0, stored));
            QCOMPARE(m_notifier.shown, QStringList{"Ошибка|Такая операция уже заведена!"});
        }
    }

    // Operation 11 has norms priced 12.5 and 10: its pay price is based on 10.
    void pickPrice_data()
    {
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<int>("shift");
        QTest::addColumn<double>("price");
        QTest::newRow("shift 1") << false << 1 << 10.0;
        QTest::newRow("shift 2") << false << 2 << 10.0;
        QTest::newRow("night") << false << 3 << 12.0;
        QTest::newRow("overtime") << false << 4 << 15.0;
        QTest::newRow("day off") << true << 1 << 20.0;
        QTest::newRow("day off, night") << true << 3 << 24.0;
        QTest::newRow("day off, overtime") << true << 4 << 30.0;
    }
    void pickPrice()
    {
        QFETCH(bool, dayOff);
        QFETCH(int, shift);
        QFETCH(double, price);
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        oper.setCurrentRow(operations::rowOf(oper, 11));
        const auto pick = operations::pickCurrent(*m_dm, oper, {dayOff, shift});
        QVERIFY(pick);
        QCOMPARE(pick->price, price);
        QCOMPARE(pick->basePrice, 10.0);
        QCOMPARE(pick->operationId, 11);
        QCOMPARE(pick->productId, 501);
        QCOMPARE(pick->naimen, 0);
        QCOMPARE(pick->text, QStringLiteral("КР-100; Резка; Готовая продукция"));
    }

    void pickTextOfABlankAndOfAnEmptyList()
    {
        // Marks and kind names are handed on without surrounding blanks.
        m_dm->execute("t", "update cmn_gds_and_srv.gds_and_srv set s_caption='КН-230  ' where id=502");
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        oper.setCurrentRow(operations::rowOf(oper, 12));
        QCOMPARE(operations::pickCurrent(*m_dm, oper, {})->text,
                 QStringLiteral("КН-230; Покраска порошковой краской; Заготовки"));
        oper.setFilter([](const RowSet &, int) { return false; });
        QVERIFY(!operations::pickCurrent(*m_dm, oper, {}));
        oper.clearFilter();
    }

    void search_data()
    {
        QTest::addColumn<bool>("kindsList");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("shown");
        // Operations in list order: 12 (КН-230), 11 (КР-100).
        QTest::newRow("mark holding the text in the middle") << false << "Р-1" << QList<int>{11};
        QTest::newRow("mark in other letter case") << false << "кн-" << QList<int>{12};
        QTest::newRow("blanks only show every mark") << false << "   " << QList<int>{12, 11};
        QTest::newRow("percent is no wildcard") << false << "%" << QList<int>{};
        // Kinds in list order: 2 (Покраска ...), 1 (Резка).
        QTest::newRow("kind beginning with the text") << true << "рез" << QList<int>{1};
        QTest::newRow("kind holding the text later") << true << "краск" << QList<int>{};
    }
    void search()
    {
        QFETCH(bool, kindsList);
        QFETCH(QString, text);
        QFETCH(QList<int>, shown);
        ResultSet &set = kindsList ? m_dm->vidOper() : m_dm->oper();
        set.reopen();
        set.setFilter(kindsList ? kinds::searchFilter(text) : operations::searchFilter(text));
        QCOMPARE(shownIds(set), shown);
        set.clearFilter();
    }

    void deletedKindLeavesItsOperations()
    {
        kinds::remove(*m_dm, 1);
        QCOMPARE(count("select count(*) as n from accounts_dep.vid_oper where id=1"), 0);
        QCOMPARE(count("select count(*) as n from accounts_dep.oper where id=11"), 1);
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        QCOMPARE(shownIds(oper), QList<int>{12});
    }

    void priceText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        QTest::newRow("comma on a Russian desktop") << 12.5 << ru << "12,5";
        QTest::newRow("no grouping") << 1234567.25 << ru << "1234567,25";
        QTest::newRow("15 significant digits") << 0.1 + 0.2 << QLocale::c() << "0.3";
        QTest::newRow("zero") << 0.0 << QLocale::c() << "0";
    }
    void priceText()
    {
        QFETCH(double, value);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(pricelist::priceText(value, locale), text);
    }

    void priceListExport()
    {
        m_dm->execute("t", "update accounts_dep.oper set cena_new=12.5 where id=11");
        // A new operation has no norm and is not in the prices list, but
        // the export has it.
        QVERIFY(operations::save(*m_dm, {1, 0, 502, 1, 0, "КН-230", "Резка"}));
        const int operations = count("select count(*) as n from accounts_dep.oper");

        QTemporaryDir dir;
        Spreadsheet sheet(&m_notifier);
        sheet.setFolder(dir.path());
        sheet.setOpener([](const QString &) { return true; });
        QVERIFY(pricelist::write(pricelist::read(*m_dm), sheet));
        QCOMPARE(sheet.savedFiles().size(), 1);
        QVERIFY(m_notifier.shown.isEmpty());

        QProcess xlsx2csv;
        xlsx2csv.start("xlsx2csv", {sheet.savedFiles().first()});
        QVERIFY(xlsx2csv.waitForFinished(30000));
        QCOMPARE(xlsx2csv.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(xlsx2csv.readAllStandardOutput()).remove('\r').split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), operations + 1);
        QCOMPARE(lines, (QStringList{"Марка,Операция,Цена,Вид",
                                     "КН-230,Покраска порошковой краской,0,Заготовки",
                                     "КН-230,Резка,0,Готовая продукция",
                                     "КР-100,Резка,12.5,Готовая продукция"}));

        // Without a workbook the export stops and saves nothing.
        Spreadsheet broken(&m_notifier);
        broken.setFolder("/proc/tabel-no-such-folder");
        QVERIFY(!pricelist::write(pricelist::read(*m_dm), broken));
        QVERIFY(broken.savedFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(OperationsTest)
#include "test_operations.moc"
