// Hostile text typed into every editor, against the real server: each text
// is stored exactly and shown back exactly, or refused with a message
// before anything is written; none changes a statement; the search fields
// find exactly the rows holding the typed text; number fields take no text.
#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/rowfilter.h"
#include "fixtures.h"
#include "journal/journal.h"
#include "journal/shiftentry.h"
#include "recording.h"
#include "reference/kinds.h"
#include "reference/nomenclature.h"
#include "reference/norms.h"
#include "reference/operations.h"
#include "reference/products.h"
#include "reference/workers.h"
#include "testdb.h"
#include "timesheets/auxiliaryentry.h"
#include "timesheets/auxiliaryjournal.h"

#include <QtTest>
#include <functional>

using namespace tabel;
using namespace tabel::test;

namespace {

const QDate kDay(2026, 3, 5);

// What happens to a text: stored without its surrounding blanks, refused
// for a character, refused for its length.
enum class Fate { Stored, BadCharacter, TooLong };

struct Hostile
{
    const char *name;
    QString text;
    Fate fate;
};

QString repeated(const QString &piece, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// The texts every editor is given. Those named "limit" are sized to the
// editor's column (see forColumn).
QList<Hostile> hostileTexts()
{
    const QChar nul(0);
    return {
        {"apostrophes", QStringLiteral("О'Нил д'Артаньян ''"), Fate::Stored},
        {"double quotes", QStringLiteral("\"Кавычки\" «ёлочки» \"\""), Fate::Stored},
        {"backslashes", QStringLiteral("C:\\путь\\ \\' \\\\ конец\\"), Fate::Stored},
        {"percent and underscore", QStringLiteral("%_ 100% скидка_"), Fate::Stored},
        {"a statement", QStringLiteral("'); drop table accounts_dep.smena; --"), Fate::Stored},
        {"a statement in a string", QStringLiteral("x'||(select current_user)||'"), Fate::Stored},
        {"placeholders", QStringLiteral(":id ? $1 %1 {fn now()}"), Fate::Stored},
        {"blanks around", QStringLiteral("  \t Сидоров С.С.\u00A0  "), Fate::Stored},
        {"emoji and other planes", QStringLiteral("Рабочий 👷 𝔘 𠜎 🇷🇺"), Fate::Stored},
        {"300 letters", repeated(QStringLiteral("Я"), 300), Fate::TooLong},
        {"a lone NUL", QString(nul), Fate::BadCharacter},
        {"NUL inside", QStringLiteral("Ив") + nul + QStringLiteral("анов"), Fate::BadCharacter},
        {"control character", QStringLiteral("Ив\u0001анов"), Fate::BadCharacter},
        {"tab inside", QStringLiteral("Ив\tанов"), Fate::BadCharacter},
        {"line break inside", QStringLiteral("Иванов\nИван"), Fate::BadCharacter},
        {"half an emoji", QStringLiteral("Иванов ") + QChar(0xD83D), Fate::BadCharacter},
    };
}

// The texts that depend on the column's size.
QList<Hostile> forColumn(int limit)
{
    return {
        {"letters at the limit", repeated(QStringLiteral("Ж"), limit), Fate::Stored},
        {"emoji at the limit", repeated(QStringLiteral("👷"), limit), Fate::Stored},
        {"one over the limit", repeated(QStringLiteral("ж"), limit + 1), Fate::TooLong},
    };
}

// An editor with a typed name: how it saves, where the name is stored,
// the list that shows it back and that list's search.
struct TextEditor
{
    QString label;
    int limit;
    std::function<bool(DataModule &, const QString &)> save;
    QString storedSql;                       // the names stored, column "v"
    std::function<ResultSet &(DataModule &)> list;
    QString listColumn;
    std::function<RowPredicate(const QString &)> search;
    bool refusesDuplicates;
};

TextEditor editor(const QString &which)
{
    if (which == "worker")
        return {QStringLiteral("ФИО"), workers::maxNameLength,
                [](DataModule &dm, const QString &t) { return workers::save(dm, workers::newWorker, 0, t, QString()); },
                QStringLiteral("select fio as v from accounts_dep.person where id > 2"),
                [](DataModule &dm) -> ResultSet & { return dm.workers(); }, QStringLiteral("fio"),
                [](const QString &t) { return rowfilter::startsWith(QStringLiteral("fio"), t); }, false};
    if (which == "product")
        return {QStringLiteral("Марка"), maxMarkLength,
                [](DataModule &dm, const QString &t) { return ProductEditing(dm).save({1, 0, t, QStringLiteral("0.5"), 10}); },
                QStringLiteral("select s_caption as v from cmn_gds_and_srv.gds_and_srv where id not in (501, 502)"),
                [](DataModule &dm) -> ResultSet & { return dm.izdel(); }, QStringLiteral("marka"),
                [](const QString &t) { return rowfilter::startsWith(QStringLiteral("marka"), t); }, true};
    return {QStringLiteral("Операция"), kinds::maxNameLength,
            [](DataModule &dm, const QString &t) { return kinds::save(dm, 1, 0, t); },
            QStringLiteral("select vid as v from accounts_dep.vid_oper where id between 3 and 7776"),
            [](DataModule &dm) -> ResultSet & { return dm.vidOper(); }, QStringLiteral("VID"),
            &kinds::searchFilter, true};
}

QStringList column(DataModule &dm, const QString &sql)
{
    const RowSet r = dm.control(sql);
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << r.value(i, "v").toString();
    return out;
}

// Every table the editors write, as text, to show that nothing was.
QString everything(DataModule &dm)
{
    QStringList parts;
    for (const char *table : {"accounts_dep.person", "cmn_gds_and_srv.gds_and_srv", "accounts_dep.vid_oper",
                              "accounts_dep.oper", "accounts_dep.norm", "accounts_dep.smena",
                              "accounts_dep.fatigue", "accounts_dep.h_tabel"})
        parts << rowsText(dm, QStringLiteral("select * from %1 order by 1").arg(QLatin1String(table)));
    return parts.join(QStringLiteral("\n--\n"));
}

QStringList shownBy(ResultSet &set, const QString &columnName)
{
    QStringList out;
    for (int r = 0; r < set.rowCount(); ++r)
        out << set.value(r, columnName).toString();
    return out;
}

} // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<RecordingNotifier> m_notes;

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
        m_notes = std::make_unique<RecordingNotifier>(m_dm.get());
        m_dm->setNotifier(m_notes.get());
    }
    void init()
    {
        loadShop(*m_dm);
        addAuxiliaryKinds(*m_dm);
        m_notes->clear();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    // Each editor with a typed name, through its rules, with every text.
    void storedExactlyOrRefused_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fate");
        for (const char *which : {"worker", "product", "kind"}) {
            QList<Hostile> cases = hostileTexts();
            cases += forColumn(editor(QLatin1String(which)).limit);
            for (const Hostile &h : cases)
                QTest::addRow("%s: %s", which, h.name) << QString::fromLatin1(which) << h.text << int(h.fate);
        }
    }
    void storedExactlyOrRefused()
    {
        QFETCH(QString, which);
        QFETCH(QString, text);
        QFETCH(int, fate);
        const TextEditor e = editor(which);
        const QString before = everything(*m_dm);

        const bool saved = e.save(*m_dm, text);
        QCOMPARE(saved, Fate(fate) == Fate::Stored);
        QVERIFY(!m_notes->insideTransaction);
        QVERIFY(!m_dm->inTransaction());
        if (!saved) {
            QCOMPARE(m_notes->shown.size(), 1);
            const QString shown = m_notes->shown[0];
            if (Fate(fate) == Fate::TooLong)
                QCOMPARE(shown, QStringLiteral("Ошибка|В поле \"%1\" можно записать не больше %2 знаков, а введено %3.")
                                    .arg(e.label).arg(e.limit).arg(input::characterCount(text.trimmed())));
            else
                QVERIFY2(shown.startsWith(QStringLiteral("Ошибка|В поле \"%1\" недопустимый символ (код U+").arg(e.label)),
                         qPrintable(shown));
            QCOMPARE(everything(*m_dm), before);
            return;
        }
        QVERIFY(m_notes->shown.isEmpty());
        const QString stored = text.trimmed();
        QCOMPARE(column(*m_dm, e.storedSql), QStringList{stored});
        // The journal table is still there, whatever the text said.
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.smena").value(0, "n").toInt(), 0);

        // Shown back exactly by its list, and found by the list's search.
        ResultSet &list = e.list(*m_dm);
        list.close();
        list.open();
        QVERIFY(shownBy(list, e.listColumn).contains(stored));
        list.setFilter(e.search(stored));
        QCOMPARE(shownBy(list, e.listColumn), QStringList{stored});
        list.clearFilter();
        list.close();

        // The same name again meets the duplicate check, which quotes it too.
        if (e.refusesDuplicates) {
            QVERIFY(!e.save(*m_dm, QStringLiteral(" ") + text + QStringLiteral(" ")));
            QCOMPARE(m_notes->shown.size(), 1);
            QCOMPARE(column(*m_dm, e.storedSql), QStringList{stored});
        }
    }

    // A stored hostile name goes on into the lists and editors that show
    // it: the product's mark into the operation prices list, the picked
    // operation's text, a shift entry and the journal; the worker's name
    // and an item's caption into the auxiliary works journal.
    void storedNamesTravelOnExactly_data()
    {
        QTest::addColumn<QString>("text");
        for (const Hostile &h : hostileTexts())
            if (h.fate == Fate::Stored)
                QTest::newRow(h.name) << h.text;
        for (const Hostile &h : forColumn(kinds::maxNameLength))
            if (h.fate == Fate::Stored)
                QTest::newRow(h.name) << h.text;
    }
    void storedNamesTravelOnExactly()
    {
        QFETCH(QString, text);
        const QString name = text.trimmed();
        QVERIFY(ProductEditing(*m_dm).save({1, 0, text, QStringLiteral("1"), 10}));
        QVERIFY(kinds::save(*m_dm, 1, 0, text));
        QVERIFY(workers::save(*m_dm, workers::newWorker, 0, text, name));
        const qlonglong product =
            m_dm->control("select id from cmn_gds_and_srv.gds_and_srv where id not in (501, 502)").value(0, "id").toLongLong();
        const int kind = m_dm->control("select id from accounts_dep.vid_oper where id > 2 and id < 7777").value(0, "id").toInt();
        const int worker = m_dm->control("select id from accounts_dep.person where id > 2").value(0, "id").toInt();

        // The operation prices list and its pick.
        const std::optional<int> operation =
            operations::save(*m_dm, {1, 0, product, kind, 0, name, name});
        QVERIFY(operation);
        m_dm->execute("t", QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values (%1, 1, 0, 7)")
                               .arg(*operation));
        ResultSet &oper = m_dm->oper();
        oper.close();
        oper.open();
        oper.setFilter(operations::searchFilter(name));
        QCOMPARE(oper.rowCount(), 1);
        QCOMPARE(oper.value(0, "marka").toString(), name);
        oper.setCurrentRow(0);
        const std::optional<OperationPick> pick = operations::pickCurrent(*m_dm, oper, {});
        oper.clearFilter();
        oper.close();
        QVERIFY(pick);
        QCOMPARE(pick->text, operations::operationText(name, name, 0));

        // A shift entry of that operation, shown in the journal.
        Journal journal(*m_dm);
        journal.setHiddenMark("ta");
        journal.setShift(1);
        journal.load(kDay);
        ShiftEntry entry(journal);
        EntryFields f = entry.beginNew(kDay);
        entry.takeWorker({1, QStringLiteral("Иванов Иван Иванович")});
        entry.takeOperation(*pick);
        f.worker = QStringLiteral("Иванов Иван Иванович");
        f.operation = pick->text;
        f.quantity = QStringLiteral("3");
        f.hours = QStringLiteral("2");
        f.colour = QStringLiteral("5"); // a kind name may well read "краска"
        QVERIFY(entry.save(f, kDay));
        journal.load(kDay);
        QCOMPARE(journal.current().rowCount(), 1);
        QCOMPARE(journal.current().value(0, "marka").toString(), name);
        QCOMPARE(journal.current().value(0, "vid").toString(), name);

        // An auxiliary entry of the new worker on an item with that caption
        // (items come from the plant's classifier, so it is put there).
        m_dm->execute("t", "insert into cmn_classifier.item(id, id_level, s_caption) values (77, 2, :c)",
                      {{"c", name}});
        ResultSet items(*m_dm, "items", nomenclature::sql());
        items.open();
        items.setFilter(nomenclature::searchFilter(name));
        QCOMPARE(shownBy(items, "s_caption"), QStringList{name});
        items.setCurrentRow(0);
        const std::optional<NomenclaturePick> item = nomenclature::pickCurrent(items);
        QVERIFY(item);
        AuxiliaryJournal auxJournal(*m_dm);
        auxJournal.load(kDay);
        AuxiliaryEntry aux(auxJournal);
        AuxiliaryFields af = aux.beginNew();
        aux.takeWorker({worker, name});
        aux.takeNomenclature(*item);
        af.worker = name;
        af.nomenclature = item->caption;
        af.hours = QStringLiteral("4");
        QVERIFY(aux.save(af, kDay, false));
        auxJournal.load(kDay);
        QCOMPARE(auxJournal.entries().rowCount(), 1);
        QCOMPARE(auxJournal.entries().value(0, "fio").toString(), name);
        QCOMPARE(auxJournal.entries().value(0, "s_caption").toString(), name);
        QVERIFY(m_notes->shown.isEmpty());
        QVERIFY(sheetVersusJournal(*m_dm).isEmpty());
        QVERIFY(auxSheetVersusEntries(*m_dm).isEmpty());
    }

    // Number fields take no text at all: every hostile text is refused
    // with the field's message, and nothing is written.
    void numberFieldsRefuseText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        for (const char *field : {"quantity", "hours", "colour", "rejects", "aux hours", "norm", "norm price",
                                  "bonus", "product value"})
            for (const Hostile &h : hostileTexts())
                QTest::addRow("%s: %s", field, h.name) << QString::fromLatin1(field) << h.text;
    }
    void numberFieldsRefuseText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        const QString before = everything(*m_dm);
        QString expected;
        bool saved = true;
        if (field == "aux hours") {
            AuxiliaryJournal journal(*m_dm);
            journal.load(kDay);
            AuxiliaryEntry aux(journal);
            AuxiliaryFields f = aux.beginNew();
            aux.takeWorker({1, "Иванов Иван Иванович"});
            aux.takeNomenclature({10, "Кронштейны"});
            f.hours = text;
            saved = aux.save(f, kDay, false);
            expected = "Нужно завести количество!";
        } else if (field.startsWith("norm") || field == "bonus") {
            NormModel model(*m_dm);
            model.open(11);
            const norms::Column c = field == "norm" ? norms::Norma : field == "bonus" ? norms::Prize : norms::Price;
            saved = model.setCell(0, c, text);
            expected = norms::notANumberMessage(c, text);
        } else if (field == "product value") {
            saved = ProductEditing(*m_dm).save({1, 0, "Уголок", text, 10});
            expected = badValueMessage;
        } else {
            Journal journal(*m_dm);
            journal.load(kDay);
            ShiftEntry entry(journal);
            EntryFields f = entry.beginNew(kDay);
            entry.takeWorker({1, "Иванов Иван Иванович"});
            f.worker = "Иванов Иван Иванович";
            f.operation = "КР-100; Резка; Готовая продукция";
            f.quantity = "3";
            f.hours = "2";
            const QString label = field == "quantity" ? "Кол-во" : field == "hours" ? "Время" : field == "colour" ? "Цвет" : "Брак";
            (field == "quantity" ? f.quantity : field == "hours" ? f.hours : field == "colour" ? f.colour : f.rejects) = text;
            saved = entry.save(f, kDay);
            expected = QStringLiteral("В поле \"%1\" допустимо целое число от 0 до ").arg(label);
        }
        QVERIFY(!saved);
        QCOMPARE(m_notes->shown.size(), 1);
        QVERIFY2(m_notes->shown[0].startsWith("Ошибка|" + expected), qPrintable(m_notes->shown[0]));
        QVERIFY(!m_notes->insideTransaction);
        QCOMPARE(everything(*m_dm), before);
    }

    // The search fields take what is typed literally: "%" and "_" are
    // characters to look for, not patterns, and an apostrophe is just one.
    void searchFindsExactlyTheRowsHoldingTheText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("beginning"); // rows a beginning-with search keeps
        QTest::addColumn<QStringList>("anywhere");  // rows the operation list's search keeps
        QTest::newRow("percent") << "%" << QStringList{"%_ 100% скидка_"} << QStringList{"%_ 100% скидка_"};
        QTest::newRow("underscore") << "_" << QStringList{"_подчёркнутый"}
                                    << QStringList{"%_ 100% скидка_", "_подчёркнутый"};
        QTest::newRow("percent underscore") << "%_" << QStringList{"%_ 100% скидка_"} << QStringList{"%_ 100% скидка_"};
        QTest::newRow("apostrophe") << "'" << QStringList{} << QStringList{"О'Нил"};
        QTest::newRow("apostrophe in a name, other case") << "о'н" << QStringList{"О'Нил"} << QStringList{"О'Нил"};
        QTest::newRow("backslash") << "\\" << QStringList{} << QStringList{"C:\\путь\\"};
        QTest::newRow("emoji") << "👷" << QStringList{} << QStringList{"Иванов 👷"};
        QTest::newRow("a statement") << "'; drop" << QStringList{} << QStringList{};
        QTest::newRow("no such text") << "%%" << QStringList{} << QStringList{};
    }
    void searchFindsExactlyTheRowsHoldingTheText()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, beginning);
        QFETCH(QStringList, anywhere);
        const QStringList names{"%_ 100% скидка_", "О'Нил", "_подчёркнутый", "Иванов 👷", "C:\\путь\\"};
        int item = 1000;
        for (const QString &n : names) {
            QVERIFY(workers::save(*m_dm, workers::newWorker, 0, n, QString()));
            QVERIFY(ProductEditing(*m_dm).save({1, 0, n, "1", 10}));
            QVERIFY(kinds::save(*m_dm, 1, 0, n));
            m_dm->execute("t", "insert into cmn_classifier.item(id, id_level, s_caption) values (:id, 2, :c)",
                          {{"id", ++item}, {"c", n}});
        }
        // The operation prices list shows products by mark; give each new
        // product an operation with a norm.
        m_dm->execute("t", "insert into accounts_dep.oper(vid, naimen, i_id) select 1, 0, id from "
                           "cmn_gds_and_srv.gds_and_srv where id not in (501, 502)");
        m_dm->execute("t", "insert into accounts_dep.norm(o_id, norma, prize, price) select id, 1, 0, 5 "
                           "from accounts_dep.oper where id > 100");

        struct List
        {
            ResultSet *set;
            QString column;
            RowPredicate filter;
            QStringList expected;
        };
        ResultSet items(*m_dm, "items", nomenclature::sql());
        const List lists[] = {
            {&m_dm->workers(), "fio", rowfilter::startsWith("fio", typed), beginning},
            {&m_dm->izdel(), "marka", rowfilter::startsWith("marka", typed), beginning},
            {&m_dm->vidOper(), "VID", kinds::searchFilter(typed), beginning},
            {&items, "s_caption", nomenclature::searchFilter(typed), beginning},
            {&m_dm->oper(), "marka", operations::searchFilter(typed), anywhere},
        };
        for (const List &l : lists) {
            l.set->close();
            l.set->open();
            l.set->setFilter(l.filter);
            QStringList found = shownBy(*l.set, l.column);
            found.sort();
            QStringList expected = l.expected;
            expected.sort();
            QCOMPARE(found, expected);
            l.set->clearFilter();
            l.set->close();
        }
    }
};

QTEST_GUILESS_MAIN(HostileInputTest)
#include "test_hostileinput.moc"
