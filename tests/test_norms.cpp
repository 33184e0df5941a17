// The norms of an operation edited in place, against a real server and
// without windows: the price display, what a cell accepts, the first norm
// of an operation, rows keeping their place, and the last norm kept; the
// nomenclature items and their search.
#include "data/datamodule.h"
#include "fixtures.h"
#include "reference/nomenclature.h"
#include "reference/norms.h"
#include "reference/operations.h"
#include "testdb.h"
#include "recording.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;


class NormsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    RecordingNotifier m_notifier;

    RowSet stored(int operationId)
    {
        return m_dm->control(QStringLiteral("select id, o_id, norma, price, prize from accounts_dep.norm "
                                            "where o_id=%1 order by norma, id")
                                 .arg(operationId));
    }

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

    void formatPrice_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        QTest::newRow("whole") << 5.0 << QLocale::c() << "5.00";
        QTest::newRow("four decimals rounded to three") << 5.1234 << QLocale::c() << "5.123";
        QTest::newRow("rounded up") << 5.1236 << QLocale::c() << "5.124";
        QTest::newRow("one decimal") << 5.1 << QLocale::c() << "5.10";
        QTest::newRow("third decimal kept") << 12.125 << QLocale::c() << "12.125";
        QTest::newRow("integer digit") << 0.5 << QLocale::c() << "0.50";
        QTest::newRow("no grouping") << 1234.5 << QLocale::c() << "1234.50";
        QTest::newRow("workstation's separator") << 5.0 << ru << "5,00";
        QTest::newRow("tiny negative is zero") << -0.0001 << QLocale::c() << "0.00";
    }
    void formatPrice()
    {
        QFETCH(double, value);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(norms::formatPrice(value, locale), text);
    }

    void statements()
    {
        QCOMPARE(norms::selectSql(11),
                 QStringLiteral("select id, o_id, norma, price, prize from accounts_dep.norm where "
                                "o_id=11 order by norma, id"));
        QCOMPARE(norms::updateSql(norms::Prize),
                 QStringLiteral("update accounts_dep.norm set prize=:value where id=:id"));
    }

    void firstNormOfAnOperationWithoutNorms()
    {
        m_dm->execute("t", "insert into accounts_dep.oper(id, vid, naimen, i_id, cena_new) values (13, 1, 1, 501, 0)");
        NormModel model(*m_dm);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.open(13);
        // Only the row for a new norm.
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(model.isNewRow(0));
        QCOMPARE(model.index(0, norms::Price).data().toString(), QString());

        // A cell left unchanged writes nothing.
        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        QVERIFY(model.setCell(0, norms::Norma, "  "));
        QCOMPARE(statements, 0);
        m_dm->setTrace(nullptr);

        QVERIFY(model.setCell(0, norms::Price, "7,5"));
        RowSet rows = stored(13);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.value(0, "price").toDouble(), 7.5);
        QVERIFY(rows.value(0, "norma").isNull());
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(!model.isNewRow(0));
        QVERIFY(model.isNewRow(1));
        QCOMPARE(model.index(0, norms::Price).data().toString(), QStringLiteral("7.50"));

        // The next cell of that row changes the same norm.
        QVERIFY(model.setCell(0, norms::Norma, "100"));
        rows = stored(13);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.value(0, "norma").toInt(), 100);

        // The operation now shows in the prices list with that price.
        ResultSet &oper = m_dm->oper();
        oper.reopen();
        const int row = operations::rowOf(oper, 13);
        QVERIFY(row >= 0);
        QCOMPARE(oper.value(row, "cena").toDouble(), 7.5);
        QCOMPARE(oper.value(row, "norma").toInt(), 1);
    }

    // Operation 11: norms 100 (12.5, 0 %) and 120 (10, 5 %).
    void cellInput_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("price with a comma") << int(norms::Price) << "7,25" << true << QVariant(7.25);
        QTest::newRow("price with a point") << int(norms::Price) << "7.25" << true << QVariant(7.25);
        QTest::newRow("norm between blanks") << int(norms::Norma) << " 150 " << true << QVariant(150);
        QTest::newRow("price emptied") << int(norms::Price) << "" << true << QVariant();
        QTest::newRow("price in words") << int(norms::Price) << "abc" << false << QVariant(12.5);
        QTest::newRow("price with two points") << int(norms::Price) << "1.2.3" << false << QVariant(12.5);
        QTest::newRow("fractional norm") << int(norms::Norma) << "1.5" << false << QVariant(100);
        QTest::newRow("bonus in words") << int(norms::Prize) << "пять" << false << QVariant(0);
    }
    void cellInput()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QVariant, value);
        NormModel model(*m_dm);
        model.open(11);
        const int id = model.normId(0);
        QCOMPARE(model.value(0, norms::Norma).toInt(), 100);

        QCOMPARE(model.setCell(0, norms::Column(column), text), accepted);

        const char *names[] = {"norma", "price", "prize"};
        const QVariant inDb = m_dm->control(QStringLiteral("select %1 as v from accounts_dep.norm where id=%2")
                                                .arg(names[column]).arg(id))
                                  .value(0, "v");
        QCOMPARE(inDb.isNull(), value.isNull());
        if (!value.isNull())
            QCOMPARE(inDb.toDouble(), value.toDouble());
        const int row = model.rowOfNorm(id);
        QCOMPARE(model.value(row, norms::Column(column)).isNull(), value.isNull());
        if (!value.isNull())
            QCOMPARE(model.value(row, norms::Column(column)).toDouble(), value.toDouble());
        if (accepted) {
            QVERIFY(m_notifier.shown.isEmpty());
        } else {
            QCOMPARE(m_notifier.shown.size(), 1);
            QVERIFY(m_notifier.shown.first().startsWith("Ошибка|«" + text + "»"));
        }
    }

    // Numbers beyond what their column or the prices made from them hold
    // are refused with a message saying so, not as "no number" and not by
    // the server; the largest that fit are stored.
    void numbersAtTheirLimits_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal"); // empty: stored
        const QString tooLarge = QStringLiteral("Ошибка|«%1» — слишком большое число.\n%2\nЗначение не сохранено.");
        const QString ints = QStringLiteral("В столбце «%1» допустимо целое число от -2147483648 до 2147483647.");
        const QString prices = QStringLiteral("В столбце «Цена» допустимо число меньше 1000000000 по абсолютной величине.");
        QTest::newRow("largest norm") << int(norms::Norma) << "2147483647" << "";
        QTest::newRow("norm beyond an integer")
            << int(norms::Norma) << "2147483648" << tooLarge.arg("2147483648", ints.arg("Норматив"));
        QTest::newRow("bonus beyond an integer")
            << int(norms::Prize) << "-99999999999" << tooLarge.arg("-99999999999", ints.arg("Премия, %"));
        QTest::newRow("price just below the limit") << int(norms::Price) << "999999999.9999" << "";
        QTest::newRow("price of a billion") << int(norms::Price) << "1000000000" << tooLarge.arg("1000000000", prices);
        QTest::newRow("price 1e308, which tripled is no number")
            << int(norms::Price) << "1e308" << tooLarge.arg("1e308", prices);
        QTest::newRow("price of twenty digits")
            << int(norms::Price) << "99999999999999999999" << tooLarge.arg("99999999999999999999", prices);
    }
    void numbersAtTheirLimits()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        NormModel model(*m_dm);
        model.open(11);
        const int id = model.normId(0);
        const char *names[] = {"norma", "price", "prize"};
        const QString sql = QStringLiteral("select %1::text as v from accounts_dep.norm where id=%2").arg(names[column]).arg(id);
        const QString before = m_dm->control(sql).value(0, "v").toString();
        QCOMPARE(model.setCell(0, norms::Column(column), text), refusal.isEmpty());
        QCOMPARE(m_notifier.shown, refusal.isEmpty() ? QStringList{} : QStringList{refusal});
        const QString stored = m_dm->control(sql).value(0, "v").toString();
        QCOMPARE(stored, refusal.isEmpty() ? text : before);
    }

    void rowsKeepTheirPlaceInViews()
    {
        NormModel model(*m_dm);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.open(11);
        QCOMPARE(model.rowCount(), 3);
        QPersistentModelIndex first(model.index(0, norms::Price));
        QPersistentModelIndex typing(model.index(2, norms::Norma));

        // The norm 100 becomes 150 and moves below 120.
        QVERIFY(model.setCell(0, norms::Norma, "150"));
        QCOMPARE(first.row(), 1);
        QCOMPARE(first.column(), int(norms::Price));
        QCOMPARE(model.value(first.row(), norms::Norma).toInt(), 150);
        QCOMPARE(typing.row(), 2);

        // A new norm 50 is stored, sorts first, and a fresh new row follows.
        QVERIFY(model.setCell(2, norms::Norma, "50"));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(typing.row(), 0);
        QCOMPARE(model.value(0, norms::Norma).toInt(), 50);
        QCOMPARE(first.row(), 2);
        QVERIFY(model.isNewRow(3));
        QCOMPARE(stored(11).value(0, "o_id").toInt(), 11);
        QCOMPARE(stored(11).size(), 3);
    }

    void lastNormIsKept()
    {
        NormModel model(*m_dm);
        model.open(11);
        QVERIFY(!model.removeNorm(2)); // the new row holds no norm
        QVERIFY(model.removeNorm(0));
        QCOMPARE(model.storedCount(), 1);
        QVERIFY(!model.removeNorm(0));
        QCOMPARE(stored(11).size(), 1);
        QVERIFY(m_notifier.shown.isEmpty());

        // Also when another workstation deleted the others meanwhile.
        m_dm->execute("t", "insert into accounts_dep.norm(o_id, norma, prize, price) values (11, 300, 0, 9)");
        model.reload();
        QCOMPARE(model.storedCount(), 2);
        m_dm->execute("t", QStringLiteral("delete from accounts_dep.norm where id=%1").arg(model.normId(0)));
        QVERIFY(!model.removeNorm(1));
        QCOMPARE(stored(11).size(), 1);
        QCOMPARE(model.storedCount(), 1);
    }

    void nomenclatureItems()
    {
        m_dm->execute("t", "insert into cmn_classifier.item(id, id_level, s_caption) values "
                           "(11, 2, 'Кляммеры'), (12, 1, 'Изделия'), (13, 2, 'Профили')");
        ResultSet items(*m_dm, "Nomenclature", nomenclature::sql());
        items.open();
        QCOMPARE(items.rowCount(), 3);
        items.setFilter(nomenclature::searchFilter("кл"));
        QCOMPARE(items.rowCount(), 1);
        const auto pick = nomenclature::pickCurrent(items);
        QVERIFY(pick);
        QCOMPARE(pick->id, 11);
        QCOMPARE(pick->caption, QStringLiteral("Кляммеры"));
        items.setFilter(nomenclature::searchFilter("Я"));
        QVERIFY(!nomenclature::pickCurrent(items));
    }

    // Classifier ids are numeric(18,0): the pick and the row the picker
    // returns to must be the item's own, not a neighbour's that reads as
    // the same double or int.
    void nomenclatureIdsBeyondDoubleAndInt_data()
    {
        QTest::addColumn<qlonglong>("id");
        QTest::newRow("beyond 2^53") << 900719925474099312LL;
        QTest::newRow("beyond int") << 2147483653LL;
    }
    void nomenclatureIdsBeyondDoubleAndInt()
    {
        QFETCH(qlonglong, id);
        // The neighbours come first by caption.
        m_dm->execute("t", QStringLiteral("insert into cmn_classifier.item(id, id_level, s_caption) values "
                                          "(%1, 2, 'А сосед'), (%2, 2, 'Б сосед'), (%3, 2, 'В нужный'), "
                                          "(%4, 2, 'Г обёрнутый')")
                               .arg(id - 1).arg(id + 1).arg(id).arg(qlonglong(qint32(id))));
        ResultSet items(*m_dm, "Nomenclature", nomenclature::sql());
        items.open();
        const int row = nomenclature::rowOf(items, id);
        QCOMPARE(items.value(row, "s_caption").toString(), QStringLiteral("В нужный"));
        items.setCurrentRow(row);
        const auto pick = nomenclature::pickCurrent(items);
        QVERIFY(pick);
        QCOMPARE(pick->id, id);
        QCOMPARE(pick->caption, QStringLiteral("В нужный"));
    }
};

QTEST_GUILESS_MAIN(NormsTest)
#include "test_norms.moc"
