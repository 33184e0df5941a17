// Auxiliary works against a real server, without windows: what the entry
// editor writes and refuses, the sheet rows its saves and changes leave,
// saves that fail half way, the journal's delete, and the repricing of a
// month's average-piece-rate work.
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/resultset.h"
#include "fixtures.h"
#include "recording.h"
#include "testdb.h"
#include "timesheets/auxiliaryentry.h"
#include "timesheets/auxiliaryjournal.h"
#include "timesheets/monthsheet.h"

#include <QLocale>
#include <QScopeGuard>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

// Every auxiliary day cell of the hours sheet equals the entries; the
// differences are listed when not.
#define AUX_SHEET_MATCHES_ENTRIES(dm)                                                              \
    do {                                                                                           \
        const QStringList diff = auxSheetVersusEntries(dm);                                        \
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));                     \
    } while (false)

namespace {

const QString kIncomplete = QStringLiteral("Ошибка|Все поля должны быть заполнены!");
const QString kNoHours = QStringLiteral("Ошибка|Нужно завести количество!");

const QDate kDay(2026, 3, 5); // a Thursday

WorkerPick worker(int id)
{
    switch (id) {
    case 1:
        return {1, QStringLiteral("Иванов Иван Иванович")};
    case 2:
        return {2, QStringLiteral("Петров Пётр Петрович")};
    default:
        return {id, QStringLiteral("Сидоров Семён")};
    }
}

const NomenclaturePick kBrackets{10, QStringLiteral("Кронштейны")};

AuxiliaryFields fields(int kind = 7777, const QString &hours = QStringLiteral("8"), bool night = false)
{
    AuxiliaryFields f;
    f.worker = QStringLiteral("Иванов Иван Иванович");
    f.nomenclature = kBrackets.caption;
    f.hours = hours;
    f.kind = kind;
    f.night = night;
    return f;
}

QString entriesText(DataModule &dm)
{
    return rowsText(dm, QStringLiteral("select id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, "
                                       "cnt, price, i_holiday, i_night from accounts_dep.fatigue "
                                       "order by id"));
}

// The auxiliary rows of the sheet: worker, kind, night flag, month, year
// and the days that hold hours, as "day=hours".
QStringList sheetText(DataModule &dm)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("case when d%1 is not null then '%1=' || d%1 end").arg(d);
    const RowSet r = dm.control(QStringLiteral("select w_id || ',' || i_type || ',' || i_night || ',' "
                                               "|| month || ',' || year || ':' || concat_ws(' ', %1) as "
                                               "line from accounts_dep.h_tabel where i_type <> 0 order "
                                               "by w_id, i_type, i_night, id")
                                    .arg(days.join(QStringLiteral(", "))));
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << r.value(i, "line").toString();
    return out;
}

// One auxiliary entry saved through the editor: worker, kind, night flag,
// day of March 2026 (or another date) and hours, on a working day or a day
// off.
struct Saved
{
    int worker;
    int kind;
    bool night;
    int day;
    int hours;
    bool dayOff = false;
    QDate date = {};
};

QString text(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("-") : v.toString();
}

// One line of an auxiliary sheet: name, day or night, hours, earnings,
// hourly rate and the days with hours. Sorted: a worker's two lines come
// in no fixed order.
QStringList sheetLines(const ResultSet &sheet)
{
    QStringList out;
    for (int r = 0; r < sheet.rowCount(); ++r) {
        QString line = sheet.value(r, "fio").toString() + '|' + sheet.value(r, "s_night").toString()
            + '|' + text(sheet.value(r, "i_time")) + '|' + text(sheet.value(r, "f_price")) + '|'
            + text(sheet.value(r, "average_price")) + '|';
        for (int d = 1; d <= 31; ++d) {
            const qlonglong v = sheet.value(r, QStringLiteral("d%1").arg(d)).toLongLong();
            if (v != 0)
                line += QStringLiteral(" d%1=%2").arg(d).arg(v);
        }
        out << line;
    }
    out.sort();
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Saved)

class AuxWorksTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<RecordingNotifier> m_recorder;
    std::unique_ptr<AuxiliaryJournal> m_journal;

    // The journal on the day, on the row of the entry (if any).
    void openJournal(const QDate &day, int entryId = 0)
    {
        m_journal->load(day);
        ResultSet &q = m_journal->entries();
        for (int r = 0; r < q.rowCount(); ++r)
            if (q.value(r, "id").toInt() == entryId)
                q.setCurrentRow(r);
    }

    void saveNew(const Saved &s)
    {
        AuxiliaryEntry entry(*m_journal);
        entry.beginNew();
        entry.takeWorker(worker(s.worker));
        entry.takeNomenclature(kBrackets);
        const QDate date = s.date.isValid() ? s.date : QDate(2026, 3, s.day);
        QVERIFY(entry.save(fields(s.kind, QString::number(s.hours), s.night), date, s.dayOff));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
        m_journal = std::make_unique<AuxiliaryJournal>(*m_dm);
    }
    void init()
    {
        loadShop(*m_dm);
        addProductClasses(*m_dm);
        addAuxiliaryKinds(*m_dm);
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

    // The kinds the editor offers: each once, at its norm's hourly rate.
    void kindsAndRates()
    {
        // A second, dearer norm of the hourly kind does not make it a
        // second choice; the lowest norm is the rate.
        m_dm->execute("t", "insert into accounts_dep.norm(o_id, norma, prize, price) values (7777, 0, 0, 200)");
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        AuxiliaryEntry entry(*m_journal);
        const AuxiliaryFields f = entry.beginNew();
        QCOMPARE(f.kind, 7777);
        QCOMPARE(f.hours, QStringLiteral("0"));
        QVERIFY(!f.night);
        QStringList offered;
        for (const AuxiliaryKind &k : entry.kinds())
            offered << QStringLiteral("%1 %2 %3").arg(k.id).arg(k.name).arg(k.rate);
        offered.sort();
        QCOMPARE(offered, (QStringList{"7777 Хоз. работы 150", "7778 Ср. сдельная 152.5"}));
        QCOMPARE(entry.rateText(7778), QStringLiteral("152,5"));
        // The sum follows the typed hours.
        QCOMPARE(entry.sumText(7778, QStringLiteral("3")), QStringLiteral("457,5"));
        QCOMPARE(entry.sumText(7777, QString()), QStringLiteral("0"));
        QCOMPARE(entry.rateText(0), QString());
        QCOMPARE(entry.sumText(0, QStringLiteral("3")), QString());
    }

    // What a new entry writes, on a workstation whose decimal separator is
    // a comma: the rate doubled on a day off, the flags, the month and
    // year of the date, shift 1; and the sheet row of its key.
    void newEntry_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<bool>("night");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("hourly work")
            << 7777 << false << false << "10,7777,1,2026-03-05,3,2026,1,8,150,0,0" << "1,7777,0,3,2026:5=8";
        QTest::newRow("day off doubles the rate")
            << 7777 << true << false << "10,7777,1,2026-03-05,3,2026,1,8,300,1,0" << "1,7777,0,3,2026:5=8";
        QTest::newRow("night work")
            << 7777 << false << true << "10,7777,1,2026-03-05,3,2026,1,8,150,0,1" << "1,7777,1,3,2026:5=8";
        QTest::newRow("average piece rate, a fraction")
            << 7778 << false << false << "10,7778,1,2026-03-05,3,2026,1,8,152.5,0,0" << "1,7778,0,3,2026:5=8";
        QTest::newRow("average piece rate on a day off at night")
            << 7778 << true << true << "10,7778,1,2026-03-05,3,2026,1,8,305,1,1" << "1,7778,1,3,2026:5=8";
    }
    void newEntry()
    {
        QFETCH(int, kind);
        QFETCH(bool, dayOff);
        QFETCH(bool, night);
        QFETCH(QString, written);
        QFETCH(QString, sheet);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        AuxiliaryEntry entry(*m_journal);
        entry.beginNew();
        entry.takeWorker(worker(1));
        entry.takeNomenclature(kBrackets);
        QVERIFY(entry.save(fields(kind, QStringLiteral("8"), night), kDay, dayOff));
        QVERIFY(m_recorder->shown.isEmpty());
        QCOMPARE(entriesText(*m_dm), written);
        QCOMPARE(sheetText(*m_dm), QStringList{sheet});
    }

    // Several saves: which sheet rows they leave and what their days hold.
    void postingsOfSeveralEntries_data()
    {
        QTest::addColumn<QList<Saved>>("saves");
        QTest::addColumn<QStringList>("sheet");
        QTest::newRow("day and night of one day in two rows")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7777, true, 5, 4}}
            << QStringList{"1,7777,0,3,2026:5=8", "1,7777,1,3,2026:5=4"};
        QTest::newRow("two entries of one day summed")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7777, false, 5, 3}}
            << QStringList{"1,7777,0,3,2026:5=11"};
        QTest::newRow("the first entry inserts the row, later days update it")
            << QList<Saved>{{1, 7778, false, 5, 8}, {1, 7778, false, 9, 6}, {1, 7778, false, 31, 2}}
            << QStringList{"1,7778,0,3,2026:5=8 9=6 31=2"};
        QTest::newRow("kinds and workers keep rows of their own")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7778, false, 5, 2}, {2, 7777, false, 5, 7}}
            << QStringList{"1,7777,0,3,2026:5=8", "1,7778,0,3,2026:5=2", "2,7777,0,3,2026:5=7"};
    }
    void postingsOfSeveralEntries()
    {
        QFETCH(QList<Saved>, saves);
        QFETCH(QStringList, sheet);
        for (const Saved &s : saves)
            saveNew(s);
        QCOMPARE(sheetText(*m_dm), sheet);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // What is refused, with which message; a refused save sends nothing.
    void refusals_data()
    {
        QTest::addColumn<int>("workerId");
        QTest::addColumn<qlonglong>("item");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("refusal"); // empty: saved
        QTest::newRow("no worker") << 0 << 10LL << 7777 << "8" << kIncomplete;
        QTest::newRow("no nomenclature") << 1 << 0LL << 7777 << "8" << kIncomplete;
        // Not a number-conversion error: the fields are simply not filled.
        QTest::newRow("empty hours") << 1 << 10LL << 7777 << "" << kIncomplete;
        QTest::newRow("hours of blanks") << 1 << 10LL << 7777 << "  " << kIncomplete;
        QTest::newRow("no kind chosen") << 1 << 10LL << 0 << "8" << kIncomplete;
        QTest::newRow("a kind not offered") << 1 << 10LL << 1 << "8" << kIncomplete;
        QTest::newRow("hours 0") << 1 << 10LL << 7777 << "0" << kNoHours;
        QTest::newRow("hours 00") << 1 << 10LL << 7777 << "00" << kNoHours;
        QTest::newRow("more than a day") << 1 << 10LL << 7777 << "25"
                                         << "Ошибка|В сутках не больше 24 часов!";
        QTest::newRow("a whole day") << 1 << 10LL << 7777 << "24" << "";
        QTest::newRow("hours with a leading zero") << 1 << 10LL << 7777 << "08" << "";
        QTest::newRow("a hundred hours pasted") << 1 << 10LL << 7777 << "100"
                                                << "Ошибка|В сутках не больше 24 часов!";
        QTest::newRow("more digits than any number") << 1 << 10LL << 7777 << QString(40, QLatin1Char('9'))
                                                     << "Ошибка|В сутках не больше 24 часов!";
    }

    // Dates the statements cannot write, and a rate that doubled for a day
    // off is no number, are refused before anything is sent; the first
    // and last dates that can be written are saved and posted.
    void datesAndRatesBeyondWhatIsStored_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("refusal"); // empty: saved
        const QString badDate = QStringLiteral("Ошибка|Неверная дата. Допустимы даты с 01.01.0001 по 31.12.9999.");
        QTest::newRow("no date") << QDate() << 150.0 << badDate;
        QTest::newRow("a year of five digits") << QDate(10000, 1, 1) << 150.0 << badDate;
        QTest::newRow("a year before the era") << QDate(-1, 12, 31) << 150.0 << badDate;
        QTest::newRow("first day of year 1") << QDate(1, 1, 1) << 150.0 << "";
        QTest::newRow("last day of year 9999") << QDate(9999, 12, 31) << 150.0 << "";
        QTest::newRow("a rate doubled beyond a double")
            << kDay << 1e308 << "Ошибка|Цена вида работ слишком велика для записи. Исправьте норматив вида работ.";
    }
    void datesAndRatesBeyondWhatIsStored()
    {
        QFETCH(QDate, date);
        QFETCH(double, rate);
        QFETCH(QString, refusal);
        m_dm->execute("t", "update accounts_dep.norm set price=:p where o_id=7777", {{"p", rate}});
        AuxiliaryEntry entry(*m_journal);
        entry.beginNew();
        entry.takeWorker(worker(1));
        entry.takeNomenclature(kBrackets);
        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        const bool saved = entry.save(fields(7777, "8"), date, true);
        m_dm->setTrace(nullptr);
        QCOMPARE(saved, refusal.isEmpty());
        QCOMPARE(m_recorder->shown, refusal.isEmpty() ? QStringList{} : QStringList{refusal});
        if (!saved) {
            QCOMPARE(statements, 0);
            return;
        }
        QCOMPARE(m_dm->control("select d_date from accounts_dep.fatigue").value(0, "d_date").toDate(), date);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }
    void refusals()
    {
        QFETCH(int, workerId);
        QFETCH(qlonglong, item);
        QFETCH(int, kind);
        QFETCH(QString, hours);
        QFETCH(QString, refusal);
        AuxiliaryEntry entry(*m_journal);
        entry.beginNew();
        if (workerId)
            entry.takeWorker(worker(workerId));
        if (item)
            entry.takeNomenclature({item, QStringLiteral("Кронштейны")});

        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        const bool saved = entry.save(fields(kind, hours), kDay, false);
        m_dm->setTrace(nullptr);
        if (!refusal.isEmpty()) {
            QVERIFY(!saved);
            QCOMPARE(m_recorder->shown, QStringList{refusal});
            QCOMPARE(statements, 0);
            return;
        }
        QVERIFY(saved);
        QCOMPARE(m_dm->control("select cnt from accounts_dep.fatigue").value(0, "cnt").toInt(),
                 hours.toInt());
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // A change opening shows the journal's entry; an empty list opens none.
    void changeOpening()
    {
        AuxiliaryEntry entry(*m_journal);
        openJournal(kDay);
        QVERIFY(!entry.beginChange());
        const int id = addAuxEntry(*m_dm, {.worker = 2, .kind = 7778, .night = 1,
                                           .date = kDay, .hours = 6, .price = 90, .item = 11});
        openJournal(kDay, id);
        const std::optional<AuxiliaryFields> f = entry.beginChange();
        QVERIFY(f);
        QCOMPARE(entry.mode(), AuxiliaryEntry::Mode::Change);
        QCOMPARE(entry.entryId(), id);
        QCOMPARE(entry.workerId(), 2);
        QCOMPARE(entry.nomenclatureId(), 11LL);
        QCOMPARE(f->worker, QStringLiteral("Петров Пётр Петрович"));
        QCOMPARE(f->nomenclature, QStringLiteral("Профили"));
        QCOMPARE(f->hours, QStringLiteral("6"));
        QCOMPARE(f->kind, 7778);
        QVERIFY(f->night);
    }

    // A change rewrites worker, item, kind, hours, rate and the day-off
    // flag; it keeps the entry's date and night flag whatever the journal
    // or the fields say. Both sheet rows, the entry's new one and the one
    // it left, equal the entries afterwards.
    void changeKeepsTheSheetEqualToTheEntries_data()
    {
        QTest::addColumn<int>("toWorker");
        QTest::addColumn<int>("toKind");
        QTest::addColumn<bool>("otherEntryLeft");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("sheet");
        QTest::newRow("hours only")
            << 1 << 7777 << false << "12,7777,1,2026-03-05,3,2026,1,5,300,1,1"
            << QStringList{"1,7777,1,3,2026:5=5"};
        QTest::newRow("to another worker")
            << 2 << 7777 << false << "12,7777,2,2026-03-05,3,2026,1,5,300,1,1"
            << QStringList{"1,7777,1,3,2026:", "2,7777,1,3,2026:5=5"};
        QTest::newRow("to another kind")
            << 1 << 7778 << false << "12,7778,1,2026-03-05,3,2026,1,5,305,1,1"
            << QStringList{"1,7777,1,3,2026:", "1,7778,1,3,2026:5=5"};
        QTest::newRow("to another worker and kind, the old row keeps another entry")
            << 2 << 7778 << true << "12,7778,2,2026-03-05,3,2026,1,5,305,1,1"
            << QStringList{"1,7777,1,3,2026:5=2", "2,7778,1,3,2026:5=5"};
    }
    void changeKeepsTheSheetEqualToTheEntries()
    {
        QFETCH(int, toWorker);
        QFETCH(int, toKind);
        QFETCH(bool, otherEntryLeft);
        QFETCH(QString, written);
        QFETCH(QStringList, sheet);
        saveNew({1, 7777, true, 5, 8});
        const int id = m_dm->control("select max(id) as id from accounts_dep.fatigue").value(0, "id").toInt();
        if (otherEntryLeft)
            saveNew({1, 7777, true, 5, 2});
        openJournal(kDay, id);
        AuxiliaryEntry entry(*m_journal);
        std::optional<AuxiliaryFields> f = entry.beginChange();
        QVERIFY(f);
        entry.takeWorker(worker(toWorker));
        entry.takeNomenclature({12, QStringLiteral("Зажимы")});
        f->kind = toKind;
        f->hours = QStringLiteral("5");
        f->night = false;
        QVERIFY(entry.save(*f, kDay.addDays(3), true));
        QCOMPARE(rowsText(*m_dm, QStringLiteral("select id_nom, id_o, id_p, d_date, i_mnth, i_year, "
                                                "i_smena, cnt, price, i_holiday, i_night from "
                                                "accounts_dep.fatigue where id=%1").arg(id)),
                 written);
        QCOMPARE(sheetText(*m_dm), sheet);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // A posting the server refuses takes the entry's write back with it.
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
        int id = 0;
        if (changing > 0) {
            saveNew({changing, 7777, false, 5, 8});
            id = m_dm->control("select max(id) as id from accounts_dep.fatigue").value(0, "id").toInt();
        }
        // The sheet refuses every write for worker 2.
        m_dm->execute("t", "create or replace function accounts_dep.refuse_w2() returns trigger "
                           "language plpgsql as $$ begin if new.w_id = 2 then raise exception "
                           "'sheet closed for worker 2'; end if; return new; end $$");
        m_dm->execute("t", "create trigger refuse_w2 before insert or update on accounts_dep.h_tabel "
                           "for each row execute function accounts_dep.refuse_w2()");
        const auto dropTrigger = qScopeGuard([this] {
            m_dm->execute("t", "drop trigger if exists refuse_w2 on accounts_dep.h_tabel");
        });
        const QString entriesBefore = entriesText(*m_dm);
        const QStringList sheetBefore = sheetText(*m_dm);

        openJournal(kDay, id);
        AuxiliaryEntry entry(*m_journal);
        AuxiliaryFields f;
        if (changing < 0) {
            f = entry.beginNew();
            f.hours = QStringLiteral("8");
            entry.takeNomenclature(kBrackets);
        } else {
            f = *entry.beginChange();
        }
        entry.takeWorker(worker(toWorker));
        QVERIFY_THROWS_EXCEPTION(DbError, entry.save(f, kDay, false));
        QVERIFY(!m_dm->inTransaction());
        QVERIFY(m_recorder->shown.isEmpty());
        QCOMPARE(entriesText(*m_dm), entriesBefore);
        QCOMPARE(sheetText(*m_dm), sheetBefore);
    }

    // The entry was deleted at another workstation while it was being
    // changed: the change must not look saved, and no day is posted.
    void changeOfAnEntryDeletedMeanwhile()
    {
        saveNew({1, 7777, false, 5, 8});
        const int id = m_dm->control("select max(id) as id from accounts_dep.fatigue").value(0, "id").toInt();
        openJournal(kDay, id);
        AuxiliaryEntry entry(*m_journal);
        std::optional<AuxiliaryFields> f = entry.beginChange();
        QVERIFY(f);
        m_dm->execute("t", QStringLiteral("delete from accounts_dep.fatigue where id=%1").arg(id));
        const QStringList sheetBefore = sheetText(*m_dm);
        entry.takeWorker(worker(2));
        QVERIFY(!entry.save(*f, kDay, false));
        QCOMPARE(m_recorder->shown,
                 QStringList{"Ошибка|Позиция уже удалена с другого рабочего места. Изменения не записаны."});
        QCOMPARE(sheetText(*m_dm), sheetBefore);
    }

    // The journal's delete takes the entry's hours off its own day: the
    // other entry's hours stay; the last entry's day is emptied while the
    // row and its other days stay.
    void deleteRecountsTheDay_data()
    {
        QTest::addColumn<QList<Saved>>("saves");
        QTest::addColumn<int>("deleted"); // index into saves
        QTest::addColumn<QStringList>("sheet");
        QTest::newRow("one of two")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7777, false, 5, 3}} << 0
            << QStringList{"1,7777,0,3,2026:5=3"};
        QTest::newRow("the last of the day")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7777, false, 9, 3}} << 0
            << QStringList{"1,7777,0,3,2026:9=3"};
        QTest::newRow("the only one of the month: the row stays")
            << QList<Saved>{{1, 7778, true, 5, 8}} << 0 << QStringList{"1,7778,1,3,2026:"};
        QTest::newRow("the night entry leaves the day entry alone")
            << QList<Saved>{{1, 7777, false, 5, 8}, {1, 7777, true, 5, 3}} << 1
            << QStringList{"1,7777,0,3,2026:5=8", "1,7777,1,3,2026:"};
    }
    void deleteRecountsTheDay()
    {
        QFETCH(QList<Saved>, saves);
        QFETCH(int, deleted);
        QFETCH(QStringList, sheet);
        QList<int> ids;
        for (const Saved &s : saves) {
            saveNew(s);
            ids << m_dm->control("select max(id) as id from accounts_dep.fatigue").value(0, "id").toInt();
        }
        openJournal(QDate(2026, 3, saves[deleted].day), ids[deleted]);
        QVERIFY(m_journal->deleteCurrent());
        QCOMPARE(m_dm->control(QStringLiteral("select count(*) as n from accounts_dep.fatigue where id=%1")
                                   .arg(ids[deleted])).value(0, "n").toInt(), 0);
        QCOMPARE(sheetText(*m_dm), sheet);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
        // Nothing to delete on an empty day.
        m_journal->load(kDay.addDays(1));
        QVERIFY(!m_journal->deleteCurrent());
    }

    // Another workstation gives the entry another worker and kind between
    // this one's reading and its change or delete: the sheet row the entry
    // left there is recounted here too, so the sheet stays equal to the
    // entries.
    void anotherWorkstationMeanwhile_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::newRow("changed there, changed here") << false;
        QTest::newRow("changed there, deleted here") << true;
    }
    void anotherWorkstationMeanwhile()
    {
        QFETCH(bool, deleting);
        saveNew({1, 7777, false, 5, 8});
        const int id = m_dm->control("select max(id) as id from accounts_dep.fatigue").value(0, "id").toInt();
        openJournal(kDay, id);
        AuxiliaryEntry entry(*m_journal);
        std::optional<AuxiliaryFields> f;
        if (!deleting)
            f = entry.beginChange();

        auto otherDm = m_db->connect(QStringLiteral("other workstation"));
        AuxiliaryJournal other(*otherDm);
        other.load(kDay);
        other.entries().setCurrentRow(0);
        AuxiliaryEntry there(other);
        std::optional<AuxiliaryFields> g = there.beginChange();
        QVERIFY(g);
        there.takeWorker(worker(2));
        g->kind = 7778;
        QVERIFY(there.save(*g, kDay, false));

        if (deleting) {
            QVERIFY(m_journal->deleteCurrent());
            QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.fatigue").value(0, "n").toInt(), 0);
        } else {
            QVERIFY(f);
            f->hours = QStringLiteral("5");
            QVERIFY(entry.save(*f, kDay, false));
            QCOMPARE(entriesText(*m_dm), QStringLiteral("10,7777,1,2026-03-05,3,2026,1,5,150,0,0"));
        }
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // A recount the server refuses leaves the entry in place.
    void failedRecountDeletesNothing()
    {
        saveNew({2, 7777, false, 5, 8});
        m_dm->execute("t", "create or replace function accounts_dep.refuse_w2() returns trigger "
                           "language plpgsql as $$ begin if new.w_id = 2 then raise exception "
                           "'sheet closed for worker 2'; end if; return new; end $$");
        m_dm->execute("t", "create trigger refuse_w2 before insert or update on accounts_dep.h_tabel "
                           "for each row execute function accounts_dep.refuse_w2()");
        const auto dropTrigger = qScopeGuard([this] {
            m_dm->execute("t", "drop trigger if exists refuse_w2 on accounts_dep.h_tabel");
        });
        const QString before = entriesText(*m_dm);
        openJournal(kDay);
        QVERIFY_THROWS_EXCEPTION(DbError, m_journal->deleteCurrent());
        QVERIFY(!m_dm->inTransaction());
        QCOMPARE(entriesText(*m_dm), before);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // The repricing of December 2025, also on a session that reads bare
    // dates month first. Worker 1's December piece work on the brackets:
    // (10 - 0) × 10 + (20 - 2) × 5 = 190 over 8 + 2 hours, 19.00 an hour;
    // his work of 30 November and 1 January must not count.
    void averageRate_data()
    {
        QTest::addColumn<QString>("dateStyle");
        QTest::newRow("day first") << "ISO, DMY";
        QTest::newRow("a session reading month first") << "ISO, MDY";
    }
    void averageRate()
    {
        QFETCH(QString, dateStyle);
        addEntry(*m_dm, {.worker = 1, .product = 501, .date = QDate(2025, 12, 1), .hours = 8,
                         .quantity = 10, .price = 10});
        addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = QDate(2025, 12, 31),
                         .hours = 2, .quantity = 20, .rejects = 2, .price = 5});
        for (const QDate &outside : {QDate(2025, 11, 30), QDate(2026, 1, 1)})
            addEntry(*m_dm, {.worker = 1, .date = outside, .hours = 1, .quantity = 100, .price = 100});
        // Worker 2 worked only in January.
        addEntry(*m_dm, {.worker = 2, .date = QDate(2026, 1, 1), .hours = 8, .quantity = 10});

        const QDate dec5(2025, 12, 5);
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778, .date = dec5, .price = 152.5});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778,
                            .date = dec5.addDays(1), .price = 305, .holiday = 1});
        // No piece work on the profiles, nor any December work of worker 2.
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778, .date = dec5, .price = 152.5, .item = 11});
        addAuxEntry(*m_dm, {.worker = 2, .kind = 7778, .date = dec5, .price = 152.5});
        // Hourly work, and average work of other months, keep their rates.
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7777, .date = dec5, .price = 150});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778, .date = QDate(2025, 11, 28), .price = 77});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778, .date = QDate(2026, 1, 2), .price = 66});

        m_dm->execute("t", QStringLiteral("set DateStyle to '%1'").arg(dateStyle));
        const auto restore = qScopeGuard([this] { m_dm->execute("t", "set DateStyle to 'ISO, DMY'"); });
        QCOMPARE(m_journal->recalculateAverageRate(QDate(2025, 12, 20)), 4);
        QCOMPARE(rowsText(*m_dm, QStringLiteral("select id_p, id_o, id_nom, to_char(d_date, 'DD.MM.YYYY'), "
                                                "price::text from accounts_dep.fatigue order by id")),
                 QStringLiteral("1,7778,10,05.12.2025,19.00\n"
                                "1,7778,10,06.12.2025,38.00\n"
                                "1,7778,11,05.12.2025,0\n"
                                "2,7778,10,05.12.2025,0\n"
                                "1,7777,10,05.12.2025,150\n"
                                "1,7778,10,28.11.2025,77\n"
                                "1,7778,10,02.01.2026,66"));
        // The reading order was fixed for the repricing only.
        QCOMPARE(m_dm->control("show DateStyle").value(0, "DateStyle").toString(), dateStyle);
    }

    // The two auxiliary sheets of the monthly timesheet after saves and a
    // delete through the editor and the journal. Worker 1 worked kind 7777
    // by day (8 hours at 150 and 4 on a day off at 300) and by night, and
    // kind 7778; worker 3's only entry was deleted; December ends before
    // the new year.
    void auxiliarySheets_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("month");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("auxiliary works, a worker in two lines")
            << int(SheetMode::Auxiliary) << 3
            << QStringList{"Иванов И.И.|дн.|12|2400|200| d5=8 d7=4", "Иванов И.И.|ноч.|2|300|150| d5=2",
                           "Сидоров С.С.|дн.|-|-|0|"};
        QTest::newRow("average piece rate")
            << int(SheetMode::AveragePiece) << 3 << QStringList{"Иванов И.И.|дн.|3|457.5|152.5| d6=3"};
        QTest::newRow("December")
            << int(SheetMode::Auxiliary) << 12 << QStringList{"Иванов И.И.|дн.|6|900|150| d31=6"};
    }
    void auxiliarySheets()
    {
        QFETCH(int, mode);
        QFETCH(int, month);
        QFETCH(QStringList, lines);
        m_dm->execute("t", "insert into accounts_dep.person(id, fio) values (3, 'Сидоров Семён')");
        m_dm->execute("t", "insert into cmn_contractor.person(id, s_caption, s_code) values "
                           "(3, 'Сидоров С.С.', null)");
        for (const Saved &s : {Saved{1, 7777, false, 5, 8}, Saved{1, 7777, false, 7, 4, true},
                               Saved{1, 7777, true, 5, 2}, Saved{1, 7778, false, 6, 3},
                               Saved{3, 7777, false, 9, 5},
                               Saved{1, 7777, false, 0, 6, false, QDate(2026, 12, 31)},
                               Saved{1, 7777, false, 0, 4, false, QDate(2027, 1, 1)}})
            saveNew(s);
        openJournal(QDate(2026, 3, 9));
        QVERIFY(m_journal->deleteCurrent());

        MonthSheet sheet(*m_dm);
        sheet.setMode(SheetMode(mode));
        sheet.load(month, 2026);
        QCOMPARE(sheetLines(sheet.sheet()), lines);
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }
};

QTEST_MAIN(AuxWorksTest)
#include "test_auxworks.moc"
