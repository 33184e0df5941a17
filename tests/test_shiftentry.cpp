// The shift entry's rules against a real server, without windows: the
// statement texts, the price paid, what is refused and that refusals come
// before anything is written, the duplicate check, what a change keeps, the
// hours sheet after moves, and saves that fail half way.
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/sqltext.h"
#include "fixtures.h"
#include "journal/hoursposting.h"
#include "journal/journal.h"
#include "journal/shiftentry.h"
#include "reference/payprice.h"
#include "testdb.h"
#include "recording.h"

#include <QLocale>
#include <QScopeGuard>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

// Every day cell of the hours sheet equals the journal; the differences
// are listed when not.
#define SHEET_MATCHES_JOURNAL(dm)                                                                  \
    do {                                                                                           \
        const QStringList diff = sheetVersusJournal(dm);                                           \
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));                     \
    } while (false)

namespace {

// Records refusals, and whether one was told while a transaction was open
// (a message box then would keep the entry's locks while the user reads).
const QString kIncomplete = QStringLiteral("Ошибка|Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Ошибка|Позиция с такими параметрами уже заведена!");

const QDate kDay(2026, 3, 5); // a Thursday

WorkerPick worker(int id)
{
    return id == 1 ? WorkerPick{1, QStringLiteral("Иванов Иван Иванович")}
                   : WorkerPick{2, QStringLiteral("Петров Пётр Петрович")};
}

// What the operation list would hand over for the shop's operations 11
// (cutting, base 10) and 12 (painting, base 3).
OperationPick operation(int id, PayConditions c = {}, std::optional<double> base = {})
{
    OperationPick p;
    p.operationId = id;
    if (id == 11) {
        p.productId = 501;
        p.naimen = 0;
        p.text = QStringLiteral("КР-100; Резка; Готовая продукция");
        p.basePrice = 10;
    } else {
        p.productId = 502;
        p.naimen = 1;
        p.text = QStringLiteral("КН-230; Покраска порошковой краской; Заготовки");
        p.basePrice = 3;
    }
    if (base)
        p.basePrice = *base;
    p.price = payPrice(p.basePrice, c);
    return p;
}

EntryFields filled(const QString &operationText, const QString &colour = QString())
{
    EntryFields f;
    f.worker = QStringLiteral("Иванов Иван Иванович");
    f.operation = operationText;
    f.quantity = QStringLiteral("12");
    f.rejects = QStringLiteral("0");
    f.hours = QStringLiteral("8");
    f.colour = colour;
    f.date = kDay;
    return f;
}

QString entries(DataModule &dm)
{
    return rowsText(dm, QStringLiteral("select id, w_id, i_id, o_id, cena, kol_vo, brak, data, smena, "
                                       "color, time, ok, prize, id_doc from accounts_dep.smena "
                                       "order by id"));
}

QString sheetRowsText(DataModule &dm)
{
    return rowsText(dm, QStringLiteral("select * from accounts_dep.h_tabel order by id"));
}

void postAll(DataModule &dm)
{
    const RowSet r = dm.control(QStringLiteral("select distinct w_id, smena, data from accounts_dep.smena"));
    for (int i = 0; i < r.size(); ++i)
        HoursPosting(dm).save(pieceWorkKey(r.value(i, "w_id").toInt(), r.value(i, "smena").toInt(),
                                           r.value(i, "data").toDate()));
}

} // namespace

class ShiftEntryTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<RecordingNotifier> m_recorder;
    std::unique_ptr<Journal> m_journal;
    const QDate m_today = QDate(2026, 3, 9);

    // The journal on the day and shift, on the row of the entry (if any).
    void openJournal(int shift, int entryId = 0)
    {
        m_journal->setShift(shift);
        m_journal->load(kDay);
        ResultSet &q = m_journal->current();
        for (int r = 0; r < q.rowCount(); ++r)
            if (q.value(r, "id").toInt() == entryId)
                q.setCurrentRow(r);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
        m_journal = std::make_unique<Journal>(*m_dm);
        m_journal->setHiddenMark(QStringLiteral("ta"));
    }
    void init()
    {
        loadShop(*m_dm);
        m_recorder = std::make_unique<RecordingNotifier>(m_dm.get());
        m_dm->setNotifier(m_recorder.get());
    }
    void cleanup()
    {
        QVERIFY2(!m_recorder->insideTransaction, "a refusal was told inside the transaction");
        QVERIFY(!m_dm->inTransaction());
        m_dm->setNotifier(nullptr);
        m_dm->setTrace(nullptr);
        QLocale::setDefault(QLocale::c());
    }
    void cleanupTestCase()
    {
        m_journal.reset();
        m_dm.reset();
        m_db.reset();
    }

    void statementTexts()
    {
        EntryRecord e;
        e.id = 77;
        e.worker = 2;
        e.product = 502;
        e.operation = 12;
        e.price = 1.03125; // a tie: half to even
        e.quantity = 40;
        e.rejects = 3;
        e.date = QDate(2026, 3, 7);
        e.shift = 3;
        e.colour = 9010;
        e.hours = 8;
        // The price is written with a point whatever the workstation uses.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(entryDuplicateSql(e),
                 QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=2 and "
                                "o_id=12 and i_id=502 and data=to_date('07.03.2026', 'DD.MM.YYYY') "
                                "and smena=3 and color=9010"));
        QCOMPARE(entryChangeDuplicateSql(e),
                 QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=2 and "
                                "o_id=12 and i_id=502 and data=to_date('07.03.2026', 'DD.MM.YYYY') "
                                "and smena=3 and id<>77 and color=9010"));
        QCOMPARE(entryInsertSql(e, m_today),
                 QStringLiteral("insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, "
                                "data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, "
                                "f_gds_qty_use, id_gds_use, id_cons_use) values(2, 502, 12, "
                                "1.0312,40, 3, to_date('07.03.2026', 'DD.MM.YYYY HH24:MI:SS'), 3, "
                                "9010, 8, '09.03.2026', 'no', 0, 0, 0, 0, 0, 0)"));
        QCOMPARE(entryUpdateSql(e, m_today),
                 QStringLiteral("update accounts_dep.SMENA set w_id=2, i_id=502, o_id=12, "
                                "cena=1.0312, kol_vo=40, brak=3, data=to_date('07.03.2026', "
                                "'DD.MM.YYYY'), smena=3, color=9010, time=8, vvod='09.03.2026', "
                                "prize=0, id_doc=0, id_doc_item=0, f_gds_qty_use=0, id_gds_use=0, "
                                "id_cons_use=0 where id=77"));
    }

    // The price an entry is paid at, as written, stored and shown on a
    // workstation whose decimal separator is a comma.
    void payFactors_data()
    {
        QTest::addColumn<double>("base");
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("shown");
        QTest::newRow("day shift") << 10.0 << false << 1 << "10" << "10";
        QTest::newRow("day off") << 10.0 << true << 2 << "20" << "20";
        QTest::newRow("night shift") << 10.0 << false << 3 << "12" << "12";
        QTest::newRow("day off in the night shift") << 10.0 << true << 3 << "24" << "24";
        QTest::newRow("overtime") << 10.0 << false << 4 << "15" << "15";
        QTest::newRow("day-off overtime") << 10.0 << true << 4 << "30" << "30";
        QTest::newRow("tie to even") << 1.03125 << false << 1 << "1.0312" << "1,0312";
        QTest::newRow("fraction with factors") << 12.5 << true << 4 << "37.5" << "37,5";
        QTest::newRow("night factor rounding") << 0.0123 << false << 3 << "0.0148" << "0,0148";
    }
    void payFactors()
    {
        QFETCH(double, base);
        QFETCH(bool, dayOff);
        QFETCH(int, shift);
        QFETCH(QString, written);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        openJournal(shift);
        ShiftEntry entry(*m_journal);
        entry.beginNew(kDay);
        entry.takeWorker(worker(1));
        entry.takeOperation(operation(11, {dayOff, shift}, base));
        QCOMPARE(entry.finalPriceText(), shown);

        QString insert;
        m_dm->setTrace([&](const QString &name, const QString &sql) {
            if (name == QLatin1String("Smena_ins"))
                insert = sql;
        });
        QVERIFY(entry.save(filled(operation(11).text), m_today));
        QVERIFY2(insert.contains(QStringLiteral("values(1, 501, 11, %1,12, 0, ").arg(written)),
                 qPrintable(insert));
        QCOMPARE(m_dm->control("select cena from accounts_dep.smena").value(0, "cena").toDouble(),
                 written.toDouble());
    }

    // What is refused, with which message, and what the odd values that
    // are accepted come to. A refused entry sends no statement at all.
    void validation_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("refusal"); // empty: saved
        QTest::newRow("no worker") << "worker" << "" << 11 << kIncomplete;
        QTest::newRow("worker blanks only") << "worker" << "   " << 11 << kIncomplete;
        QTest::newRow("no operation") << "operation" << "" << 11 << kIncomplete;
        QTest::newRow("no quantity") << "quantity" << "" << 11 << kIncomplete;
        QTest::newRow("no rejects") << "rejects" << " " << 11 << kIncomplete;
        QTest::newRow("no hours") << "hours" << "" << 11 << kIncomplete;
        QTest::newRow("painting without colour") << "colour" << "" << 12 << kIncomplete;
        QTest::newRow("painting with colour") << "colour" << "7024" << 12 << "";
        QTest::newRow("no colour where none is needed") << "colour" << "" << 11 << "";
        QTest::newRow("rejects above the quantity") << "rejects" << "20" << 11 << "";
        QTest::newRow("quantity 0") << "quantity" << "0" << 11 << "";
        QTest::newRow("hours 0") << "hours" << "0" << 11 << "";
        QTest::newRow("rejects beyond a smallint")
            << "rejects" << "32768" << 11
            << "Ошибка|В поле \"Брак\" допустимо целое число от 0 до 32767.";
        QTest::newRow("largest rejects") << "rejects" << "32767" << 11 << "";
        QTest::newRow("quantity beyond an int")
            << "quantity" << "2147483648" << 11
            << "Ошибка|В поле \"Кол-во\" допустимо целое число от 0 до 2147483647.";
        // Hours of one entry never exceed a day; a bigger figure would also
        // overflow the day cell of the hours sheet.
        QTest::newRow("hours beyond a day")
            << "hours" << "25" << 11
            << "Ошибка|В поле \"Время\" допустимо целое число от 0 до 24.";
        QTest::newRow("a whole day") << "hours" << "24" << 11 << "";
        QTest::newRow("colour beyond an int")
            << "colour" << "2147483648" << 12
            << "Ошибка|В поле \"Цвет\" допустимо целое число от 0 до 2147483647.";
        // A legacy quantity with a fraction cannot be written as whole pieces.
        QTest::newRow("quantity with a fraction")
            << "quantity" << "10.5" << 11
            << "Ошибка|В поле \"Кол-во\" допустимо целое число от 0 до 2147483647.";
    }
    void validation()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, operation);
        QFETCH(QString, refusal);
        openJournal(1);
        ShiftEntry entry(*m_journal);
        entry.beginNew(kDay);
        entry.takeWorker(worker(1));
        entry.takeOperation(::operation(operation));
        EntryFields f = filled(::operation(operation).text, QStringLiteral("5"));
        const std::map<QString, QString *> fields{
            {"worker", &f.worker}, {"operation", &f.operation}, {"quantity", &f.quantity},
            {"rejects", &f.rejects}, {"hours", &f.hours}, {"colour", &f.colour}};
        *fields.at(field) = text;

        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        const bool saved = entry.save(f, m_today);
        m_dm->setTrace(nullptr);
        if (!refusal.isEmpty()) {
            QVERIFY(!saved);
            QCOMPARE(m_recorder->shown, QStringList{refusal});
            QCOMPARE(statements, 0);
            return;
        }
        QVERIFY(saved);
        QVERIFY(m_recorder->shown.isEmpty());
        const RowSet r = m_dm->control("select kol_vo, brak, time, color from accounts_dep.smena");
        QCOMPARE(r.size(), 1);
        const QString column = field == "quantity" ? "kol_vo" : field == "rejects" ? "brak"
                             : field == "hours"    ? "time"   : "color";
        QCOMPARE(r.value(0, column).toLongLong(), text.trimmed().toLongLong());
        SHEET_MATCHES_JOURNAL(*m_dm);
    }

    // Dates the statements cannot write, and a price that with its pay
    // factors is no number, are refused before anything is sent; the first
    // and last dates that can be written are saved and posted.
    void datesAndPricesBeyondWhatIsStored_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("base");
        QTest::addColumn<QString>("refusal"); // empty: saved
        const QString badDate = QStringLiteral("Ошибка|Неверная дата. Допустимы даты с 01.01.0001 по 31.12.9999.");
        QTest::newRow("no date") << QDate() << 10.0 << badDate;
        QTest::newRow("a year of five digits") << QDate(10000, 1, 1) << 10.0 << badDate;
        QTest::newRow("a year before the era") << QDate(-1, 12, 31) << 10.0 << badDate;
        QTest::newRow("first day of year 1") << QDate(1, 1, 1) << 10.0 << "";
        QTest::newRow("last day of year 9999") << QDate(9999, 12, 31) << 10.0 << "";
        QTest::newRow("a price tripled beyond a double")
            << kDay << 1e308
            << "Ошибка|Цена операции слишком велика для записи. Исправьте нормативы операции.";
    }
    void datesAndPricesBeyondWhatIsStored()
    {
        QFETCH(QDate, date);
        QFETCH(double, base);
        QFETCH(QString, refusal);
        openJournal(4);
        ShiftEntry entry(*m_journal);
        entry.beginNew(date);
        entry.takeWorker(worker(1));
        entry.takeOperation(operation(11, {true, 4}, base));
        EntryFields f = filled(operation(11).text);
        f.date = date;
        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        const bool saved = entry.save(f, m_today);
        m_dm->setTrace(nullptr);
        QCOMPARE(saved, refusal.isEmpty());
        QCOMPARE(m_recorder->shown, refusal.isEmpty() ? QStringList{} : QStringList{refusal});
        if (!saved) {
            QCOMPARE(statements, 0);
            return;
        }
        QCOMPARE(m_dm->control("select data from accounts_dep.smena").value(0, "data").toDate(), date);
        SHEET_MATCHES_JOURNAL(*m_dm);
    }

    // Two entries already in the journal: cutting, and painting in colour 5.
    // A new entry, or a change of one of them, with the given operation,
    // colour and shift.
    void duplicateCheck_data()
    {
        QTest::addColumn<int>("changing"); // -1: a new entry
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("refused");
        QTest::newRow("same key") << -1 << 11 << "" << 1 << true;
        QTest::newRow("same key and colour") << -1 << 12 << "5" << 1 << true;
        QTest::newRow("another colour") << -1 << 12 << "7" << 1 << false;
        QTest::newRow("another shift") << -1 << 11 << "" << 2 << false;
        QTest::newRow("change keeping its key") << 0 << 11 << "" << 1 << false;
        QTest::newRow("change keeping key and colour") << 1 << 12 << "5" << 1 << false;
        QTest::newRow("change onto the other entry") << 0 << 12 << "5" << 1 << true;
        QTest::newRow("change to another colour") << 1 << 12 << "8" << 1 << false;
    }
    void duplicateCheck()
    {
        QFETCH(int, changing);
        QFETCH(int, operation);
        QFETCH(QString, colour);
        QFETCH(int, shift);
        QFETCH(bool, refused);
        const int ids[] = {addEntry(*m_dm, {.worker = 1, .oper = 11, .product = 501, .date = kDay}),
                           addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = kDay,
                                            .color = 5})};
        postAll(*m_dm);
        const QString before = entries(*m_dm);
        openJournal(shift, changing < 0 ? 0 : ids[changing]);
        ShiftEntry entry(*m_journal);
        if (changing < 0) {
            entry.beginNew(kDay);
            entry.takeWorker(worker(1));
        } else {
            QVERIFY(entry.beginChange());
            QCOMPARE(entry.entryId(), ids[changing]);
        }
        entry.takeOperation(::operation(operation));

        const bool saved = entry.save(filled(::operation(operation).text, colour), m_today);
        QCOMPARE(saved, !refused);
        QCOMPARE(m_recorder->shown, refused ? QStringList{kDuplicate} : QStringList{});
        if (refused)
            QCOMPARE(entries(*m_dm), before);
        SHEET_MATCHES_JOURNAL(*m_dm);
    }

    // A change rewrites what the editor shows and keeps the acceptance
    // mark; the bonus and the links to other systems go back to 0.
    void changeKeepsTheMarkAndResetsBonusAndLinks()
    {
        const int id = addEntry(*m_dm, {.worker = 2, .oper = 12, .product = 502, .date = kDay,
                                        .shift = 3, .hours = 6, .quantity = 50, .price = 3.6,
                                        .ok = QStringLiteral("ok"), .color = 5});
        m_dm->execute("t", QStringLiteral("update accounts_dep.smena set prize=15, id_doc=4, "
                                          "id_doc_item=5, f_gds_qty_use=1.5, id_gds_use=6, "
                                          "id_cons_use=7, vvod='01.03.2026' where id=%1")
                               .arg(id));
        postAll(*m_dm);
        openJournal(3, id);
        ShiftEntry entry(*m_journal);
        const std::optional<EntryFields> shown = entry.beginChange();
        QVERIFY(shown);
        QCOMPARE(shown->worker, QStringLiteral("Петров П.П."));
        QCOMPARE(shown->operation, QStringLiteral("КН-230; Покраска порошковой краской; Заготовки"));
        QCOMPARE(shown->quantity, QStringLiteral("50"));
        QCOMPARE(shown->hours, QStringLiteral("6"));
        QCOMPARE(shown->colour, QStringLiteral("5"));
        QVERIFY(shown->colourEnabled);
        QCOMPARE(shown->date, kDay);
        QCOMPARE(entry.operationToStartOn(), 12);

        EntryFields f = *shown;
        f.hours = QStringLiteral("7");
        f.rejects = QStringLiteral("2");
        QVERIFY(entry.save(f, m_today));
        QCOMPARE(rowsText(*m_dm, QStringLiteral("select w_id, i_id, o_id, cena, kol_vo, brak, data, "
                                                "smena, color, time, vvod::date, ok, prize, id_doc, "
                                                "id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use "
                                                "from accounts_dep.smena")),
                 QStringLiteral("2,502,12,3.6,50,2,2026-03-05,3,5,7,2026-03-09,ok,0,0,0,0,0,0"));
        SHEET_MATCHES_JOURNAL(*m_dm);
    }

    // After a change, every day cell of the sheet equals the journal: the
    // day the entry now lies on and the day it left.
    void changeKeepsTheSheetEqualToTheJournal_data()
    {
        QTest::addColumn<int>("toWorker");
        QTest::addColumn<QDate>("toDate");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<bool>("otherEntryThatDay");
        QTest::newRow("hours only") << 1 << kDay << "6" << true;
        QTest::newRow("another date") << 1 << kDay.addDays(1) << "8" << false;
        QTest::newRow("another date, the day keeps another entry") << 1 << kDay.addDays(1) << "8" << true;
        QTest::newRow("another worker") << 2 << kDay << "8" << false;
        QTest::newRow("another worker and date") << 2 << kDay.addDays(-2) << "5" << true;
        QTest::newRow("into the next month") << 1 << QDate(2026, 4, 1) << "8" << false;
    }
    void changeKeepsTheSheetEqualToTheJournal()
    {
        QFETCH(int, toWorker);
        QFETCH(QDate, toDate);
        QFETCH(QString, hours);
        QFETCH(bool, otherEntryThatDay);
        const int id = addEntry(*m_dm, {.worker = 1, .date = kDay, .shift = 2, .hours = 8});
        if (otherEntryThatDay)
            addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = kDay, .shift = 2,
                             .hours = 3, .color = 1});
        postAll(*m_dm);
        openJournal(2, id);
        ShiftEntry entry(*m_journal);
        std::optional<EntryFields> f = entry.beginChange();
        QVERIFY(f);
        entry.takeWorker(worker(toWorker));
        f->date = toDate;
        f->hours = hours;
        QVERIFY(entry.save(*f, m_today));
        SHEET_MATCHES_JOURNAL(*m_dm);
        // The day left behind is cleared, not kept at its old hours.
        const QVariant oldDay = sheetCell(*m_dm, QStringLiteral("w_id=1 and smena=2 and month=3"), kDay.day());
        QCOMPARE(oldDay.isNull(), !otherEntryThatDay && (toWorker != 1 || toDate != kDay));
    }

    // A posting the server refuses takes the entry's write back with it:
    // nothing is written, nothing is told but the error itself.
    void failedPostingWritesNothing_data()
    {
        QTest::addColumn<int>("changing"); // -1 new, else the entry's worker
        QTest::addColumn<int>("toWorker");
        QTest::newRow("new entry") << -1 << 2;
        QTest::newRow("change onto the refused worker") << 1 << 2;
        QTest::newRow("move away from the refused worker") << 2 << 1;
    }
    void failedPostingWritesNothing()
    {
        QFETCH(int, changing);
        QFETCH(int, toWorker);
        const int id = changing < 0 ? 0 : addEntry(*m_dm, {.worker = changing, .date = kDay, .hours = 8});
        postAll(*m_dm);
        // The sheet refuses every write for worker 2.
        m_dm->execute("t", "create or replace function accounts_dep.refuse_w2() returns trigger "
                           "language plpgsql as $$ begin if new.w_id = 2 then raise exception "
                           "'sheet closed for worker 2'; end if; return new; end $$");
        m_dm->execute("t", "create trigger refuse_w2 before insert or update on accounts_dep.h_tabel "
                           "for each row execute function accounts_dep.refuse_w2()");
        const auto dropTrigger = qScopeGuard([this] {
            m_dm->execute("t", "drop trigger if exists refuse_w2 on accounts_dep.h_tabel");
        });
        const QString entriesBefore = entries(*m_dm), sheetBefore = sheetRowsText(*m_dm);

        openJournal(1, id);
        ShiftEntry entry(*m_journal);
        EntryFields f;
        if (changing < 0) {
            entry.beginNew(kDay);
            f = filled(operation(11).text);
            entry.takeOperation(operation(11));
        } else {
            f = *entry.beginChange();
        }
        entry.takeWorker(worker(toWorker));
        QVERIFY_THROWS_EXCEPTION(DbError, entry.save(f, m_today));
        QVERIFY(!m_dm->inTransaction());
        QVERIFY(m_recorder->shown.isEmpty());
        QCOMPARE(entries(*m_dm), entriesBefore);
        QCOMPARE(sheetRowsText(*m_dm), sheetBefore);
    }

    // The entry was deleted at another workstation while it was being
    // changed: the change must not look saved, and no day is posted.
    void changeOfAnEntryDeletedMeanwhile()
    {
        const int id = addEntry(*m_dm, {.worker = 1, .date = kDay, .hours = 8});
        postAll(*m_dm);
        openJournal(1, id);
        ShiftEntry entry(*m_journal);
        std::optional<EntryFields> f = entry.beginChange();
        QVERIFY(f);
        m_dm->execute("t", QStringLiteral("delete from accounts_dep.smena where id=%1").arg(id));
        const QString sheetBefore = sheetRowsText(*m_dm);
        f->date = kDay.addDays(1);
        QVERIFY(!entry.save(*f, m_today));
        QCOMPARE(m_recorder->shown,
                 QStringList{"Ошибка|Позиция уже удалена с другого рабочего места. Изменения не записаны."});
        QCOMPARE(sheetRowsText(*m_dm), sheetBefore);
    }

    // Another workstation acts on the same entry between this one's reading
    // and its save or delete. What it did is taken into account: the sheet
    // stays equal to the journal, and an entry saved at both at once is
    // stored once.
    void anotherWorkstationMeanwhile_data()
    {
        QTest::addColumn<QString>("here"); // what this workstation does
        QTest::newRow("moved there, changed here") << "change";
        QTest::newRow("moved there, moved elsewhere here") << "move";
        QTest::newRow("moved there, deleted here") << "delete";
        QTest::newRow("the same new entry saved there at once") << "add";
    }
    void anotherWorkstationMeanwhile()
    {
        QFETCH(QString, here);
        const int id = addEntry(*m_dm, {.worker = 1, .date = kDay, .shift = 1, .hours = 8});
        postAll(*m_dm);
        auto otherDm = m_db->connect(QStringLiteral("other workstation"));
        Journal other(*otherDm);
        other.setHiddenMark(QStringLiteral("ta"));
        other.setShift(1);
        other.load(kDay);
        // There, the entry goes to worker 2 on the next day.
        auto moveThere = [&] {
            ResultSet &q = other.current();
            q.setCurrentRow(0);
            ShiftEntry there(other);
            std::optional<EntryFields> f = there.beginChange();
            QVERIFY(f);
            there.takeWorker(worker(2));
            f->date = kDay.addDays(1);
            QVERIFY(there.save(*f, m_today));
        };

        openJournal(1, id);
        ShiftEntry entry(*m_journal);
        EntryFields f;
        if (here == "add") {
            entry.beginNew(kDay);
            entry.takeWorker(worker(1));
            entry.takeOperation(operation(12));
            f = filled(operation(12).text, QStringLiteral("5"));
            // The other workstation saves the same entry after this one's
            // check and before its write.
            bool done = false;
            m_dm->setTrace([&](const QString &, const QString &sql) {
                if (done || !sql.startsWith(QLatin1String("select pg_advisory_xact_lock")))
                    return;
                done = true;
                ShiftEntry there(other);
                there.beginNew(kDay);
                there.takeWorker(worker(1));
                there.takeOperation(operation(12));
                QVERIFY(there.save(filled(operation(12).text, QStringLiteral("5")), m_today));
            });
            QVERIFY(!entry.save(f, m_today));
            m_dm->setTrace(nullptr);
            QVERIFY(done);
            QCOMPARE(m_recorder->shown, QStringList{kDuplicate});
            QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.smena where o_id=12")
                         .value(0, "n").toInt(), 1);
        } else if (here == "delete") {
            moveThere();
            QVERIFY(m_journal->deleteCurrent());
            QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.smena").value(0, "n").toInt(), 0);
        } else {
            f = *entry.beginChange();
            moveThere();
            f.hours = QStringLiteral("6");
            if (here == "move")
                f.date = kDay.addDays(2);
            QVERIFY(entry.save(f, m_today));
            QVERIFY(m_recorder->shown.isEmpty());
        }
        SHEET_MATCHES_JOURNAL(*m_dm);
    }

    // After a save the journal is read again on the row it stood on, and
    // the sheet queries are closed so the timesheet reads them afresh.
    void refreshAfterSave()
    {
        for (int w : {1, 2, 1})
            addEntry(*m_dm, {.worker = w, .oper = w == 1 ? 11 : 12, .product = w == 1 ? 501 : 502,
                             .date = kDay, .hours = 1 + w});
        openJournal(1);
        m_journal->current().setCurrentRow(2);
        m_dm->hTabel(2).setParam("mnth", 3);
        m_dm->hTabel(2).setParam("yea", 2026);
        m_dm->hTabel(2).setParam("date1", QDate(2026, 3, 1));
        m_dm->hTabel(2).setParam("date2", QDate(2026, 4, 1));
        m_dm->hTabel(2).open();
        addEntry(*m_dm, {.worker = 2, .date = kDay});
        ShiftEntry entry(*m_journal);
        entry.refreshAfterSave();
        QVERIFY(!m_dm->hTabel(2).isOpen());
        QCOMPARE(m_journal->current().rowCount(), 4);
        QCOMPARE(m_journal->current().currentRow(), 2);
    }
};

QTEST_GUILESS_MAIN(ShiftEntryTest)
#include "test_shiftentry.moc"
