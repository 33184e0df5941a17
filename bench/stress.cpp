#include "bench/stress.h"

#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/notifier.h"
#include "data/sqltext.h"
#include "fixtures.h"
#include "journal/journal.h"
#include "journal/shiftentry.h"
#include "reference/operations.h"
#include "timesheets/auxiliaryentry.h"
#include "timesheets/auxiliaryjournal.h"
#include "timesheets/hourssheet.h"
#include "timesheets/rebuild.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <array>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace tabel::stress {

namespace {

enum Kind {
    AddEntry,
    ChangeEntry,
    DeleteEntry,
    AcceptEntry,
    AddAuxiliary,
    ChangeAuxiliary,
    DeleteAuxiliary,
    Reprice,
    Rebuild,
    LookAtSheet,
    KindCount
};

const char *const kKindNames[KindCount] = {"add entry",       "change entry",     "delete entry",
                                           "accept entry",    "add auxiliary",    "change auxiliary",
                                           "delete auxiliary", "reprice month",   "rebuild month",
                                           "look at sheet"};
// How often a clerk does each, out of their sum. Adding and deleting
// balance, so the days do not fill up over a long run.
const int kWeights[KindCount] = {20, 18, 17, 8, 10, 8, 10, 2, 2, 6};

// The login word of full access: acceptance needs a role that may accept.
const char *const kLoginWord = "5283";

// Refusals a clerk is shown are counted, not failures.
class CountingNotifier : public Notifier
{
public:
    void error(const QString &, const QString &) override { ++refusals; }
    qint64 refusals = 0;
};

struct Shared
{
    explicit Shared(const Options &o) : options(o) {}
    const Options &options;
    std::atomic<bool> stop{false};
    std::atomic<qint64> actions{0};
    std::atomic<qint64> failures{0};
    std::atomic<int> finished{0};
    QMutex mutex;
    Result result; // merged under the mutex as each clerk ends
};

class Clerk
{
public:
    Clerk(int number, Shared &shared)
        : m_shared(shared), m_options(shared.options),
          m_rng(shared.options.seed + 7919u * quint32(number + 1)),
          m_dm(QStringLiteral("stress clerk %1").arg(number)), m_journal(m_dm), m_aux(m_dm)
    {
        m_dm.setNotifier(&m_notes);
        m_journal.setHiddenMark(QStringLiteral("ta"));
        m_journal.setLoginWord(QString::fromLatin1(kLoginWord));
        std::array<int, KindCount> weights;
        for (int k = 0; k < KindCount; ++k)
            weights[k] = m_options.weights.value(QString::fromLatin1(kKindNames[k]), kWeights[k]);
        m_kind = std::discrete_distribution<int>(weights.begin(), weights.end());
    }

    void run()
    {
        Result mine;
        try {
            m_dm.open(m_options.connectionString);
        } catch (const DbError &e) {
            note(mine, QStringLiteral("connect"), e.text());
            merge(mine);
            return;
        }
        for (int done = 0; !m_shared.stop.load(); ++done) {
            if (m_options.actionsPerClerk > 0 && done >= m_options.actionsPerClerk)
                break;
            const Kind kind = Kind(m_kind(m_rng));
            const qint64 refusedBefore = m_notes.refusals;
            try {
                act(kind);
            } catch (const DbError &e) {
                note(mine, QString::fromLatin1(kKindNames[kind]), e.text());
            } catch (const std::exception &e) {
                note(mine, QString::fromLatin1(kKindNames[kind]), QString::fromLocal8Bit(e.what()));
            }
            ++mine.actions;
            ++mine.byKind[QString::fromLatin1(kKindNames[kind])];
            mine.refusals += m_notes.refusals - refusedBefore;
            m_shared.actions.fetch_add(1);
        }
        merge(mine);
    }

private:
    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    void think()
    {
        if (m_options.thinkMilliseconds > 0)
            QThread::msleep(ulong(number(0, m_options.thinkMilliseconds)));
    }
    QDate day() { return QDate(m_options.year, m_options.month, number(1, m_options.days)); }
    int shift() { return number(1, 4); }
    QString text(int value) { return QString::number(value); }

    WorkerPick worker()
    {
        const int id = number(1, m_options.workers);
        return {id, QStringLiteral("Рабочий %1").arg(id)};
    }

    NomenclaturePick item()
    {
        return number(0, 1) == 0 ? NomenclaturePick{10, QStringLiteral("Кронштейны")}
                                 : NomenclaturePick{11, QStringLiteral("Профили")};
    }

    // What the operation prices list hands over for one of its rows.
    std::optional<OperationPick> operation(const QDate &date, int shift)
    {
        ResultSet &oper = m_dm.oper();
        if (!oper.isOpen() || number(0, 50) == 0)
            oper.reopen();
        if (oper.rowCount() == 0)
            return std::nullopt;
        oper.setCurrentRow(number(0, oper.rowCount() - 1));
        return operations::pickCurrent(m_dm, oper, {Journal::isWeekend(date), shift});
    }

    // The journal on a day and shift, on one of its rows; false when the
    // shift has none that day.
    bool journalOnSomeRow(const QDate &date)
    {
        m_journal.setShift(shift());
        m_journal.load(date);
        ResultSet &q = m_journal.current();
        if (q.rowCount() == 0)
            return false;
        q.setCurrentRow(number(0, q.rowCount() - 1));
        return true;
    }

    bool auxiliaryOnSomeRow(const QDate &date)
    {
        m_aux.load(date);
        ResultSet &q = m_aux.entries();
        if (q.rowCount() == 0)
            return false;
        q.setCurrentRow(number(0, q.rowCount() - 1));
        return true;
    }

    void withOperation(ShiftEntry &entry, EntryFields &f, const QDate &date, int onShift)
    {
        const std::optional<OperationPick> pick = operation(date, onShift);
        if (!pick)
            return;
        entry.takeOperation(*pick);
        f.operation = pick->text;
        if (!ShiftEntry::isPainting(f.operation))
            f.colour.clear();
        else if (f.colour.isEmpty())
            f.colour = text(number(1, 3));
    }

    void act(Kind kind)
    {
        const QDate today = QDate(m_options.year, m_options.month, 28);
        switch (kind) {
        case AddEntry: {
            const QDate date = day();
            m_journal.setShift(shift());
            m_journal.load(date);
            ShiftEntry entry(m_journal);
            EntryFields f = entry.beginNew(date);
            const WorkerPick w = worker();
            entry.takeWorker(w);
            f.worker = w.name;
            withOperation(entry, f, date, m_journal.shift());
            f.quantity = text(number(1, 20));
            f.rejects = text(number(0, 2));
            f.hours = text(number(0, 8));
            think();
            if (entry.save(f, today))
                entry.refreshAfterSave();
            break;
        }
        case ChangeEntry: {
            if (!journalOnSomeRow(day()))
                break;
            ShiftEntry entry(m_journal);
            std::optional<EntryFields> f = entry.beginChange();
            if (!f)
                break;
            f->hours = text(number(0, 8));
            f->quantity = text(number(1, 20));
            if (number(0, 9) < 3)
                f->date = day();
            if (number(0, 9) < 2) {
                const WorkerPick w = worker();
                entry.takeWorker(w);
                f->worker = w.name;
            }
            if (number(0, 9) < 2)
                withOperation(entry, *f, f->date, m_journal.shift());
            think();
            if (entry.save(*f, today))
                entry.refreshAfterSave();
            break;
        }
        case DeleteEntry:
            if (journalOnSomeRow(day())) {
                think();
                m_journal.deleteCurrent();
            }
            break;
        case AcceptEntry:
            if (journalOnSomeRow(day())) {
                think();
                m_journal.toggleAcceptance();
            }
            break;
        case AddAuxiliary: {
            const QDate date = day();
            m_aux.load(date);
            AuxiliaryEntry entry(m_aux);
            AuxiliaryFields f = entry.beginNew();
            const WorkerPick w = worker();
            entry.takeWorker(w);
            f.worker = w.name;
            const NomenclaturePick i = item();
            entry.takeNomenclature(i);
            f.nomenclature = i.caption;
            f.kind = number(0, 1) == 0 ? kAuxiliaryWork : kAveragePieceWork;
            f.night = number(0, 3) == 0;
            f.hours = text(number(1, 8));
            think();
            if (entry.save(f, date, AuxiliaryJournal::isWeekend(date)))
                m_aux.reloadKeepingRow();
            entry.closeKinds();
            break;
        }
        case ChangeAuxiliary: {
            const QDate date = day();
            if (!auxiliaryOnSomeRow(date))
                break;
            AuxiliaryEntry entry(m_aux);
            std::optional<AuxiliaryFields> f = entry.beginChange();
            if (!f)
                break;
            f->hours = text(number(1, 8));
            if (number(0, 9) < 3) {
                const WorkerPick w = worker();
                entry.takeWorker(w);
                f->worker = w.name;
            }
            if (number(0, 9) < 3)
                f->kind = f->kind == kAuxiliaryWork ? kAveragePieceWork : kAuxiliaryWork;
            think();
            if (entry.save(*f, date, AuxiliaryJournal::isWeekend(date)))
                m_aux.reloadKeepingRow();
            entry.closeKinds();
            break;
        }
        case DeleteAuxiliary:
            if (auxiliaryOnSomeRow(day())) {
                think();
                m_aux.deleteCurrent();
            }
            break;
        case Reprice:
            m_aux.recalculateAverageRate(QDate(m_options.year, m_options.month, 1));
            break;
        case Rebuild:
            MonthRebuild(m_dm).run(m_options.month, m_options.year);
            break;
        case LookAtSheet: {
            HoursSheet sheet(m_dm);
            sheet.load(m_options.month, m_options.year);
            sheet.close();
            break;
        }
        case KindCount:
            break;
        }
    }

    void note(Result &mine, const QString &what, const QString &text)
    {
        ++mine.failures;
        m_shared.failures.fetch_add(1);
        const QString line = what + QStringLiteral(": ") + text.simplified();
        if (mine.failureTexts.size() < 20 && !mine.failureTexts.contains(line))
            mine.failureTexts << line;
    }

    void merge(const Result &mine)
    {
        QMutexLocker lock(&m_shared.mutex);
        Result &all = m_shared.result;
        all.actions += mine.actions;
        all.refusals += mine.refusals;
        all.failures += mine.failures;
        for (auto it = mine.byKind.cbegin(); it != mine.byKind.cend(); ++it)
            all.byKind[it.key()] += it.value();
        for (const QString &line : mine.failureTexts)
            if (all.failureTexts.size() < 40 && !all.failureTexts.contains(line))
                all.failureTexts << line;
    }

    Shared &m_shared;
    const Options &m_options;
    std::mt19937 m_rng;
    std::discrete_distribution<int> m_kind;
    // A connection of its own, made, used and closed in this clerk's
    // thread: a Qt database connection belongs to the thread that made it.
    DataModule m_dm;
    CountingNotifier m_notes;
    Journal m_journal;
    AuxiliaryJournal m_aux;
};

QStringList lines(DataModule &dm, const QString &sql, const QString &format, int columns)
{
    const RowSet r = dm.control(sql);
    QStringList out;
    for (int i = 0; i < r.size(); ++i) {
        QString line = format;
        for (int c = 0; c < columns; ++c)
            line = line.arg(r.rows[i][c].toString());
        out << line;
    }
    return out;
}

int count(DataModule &dm, const QString &table)
{
    return dm.control(QStringLiteral("select count(*) as n from ") + table).value(0, QStringLiteral("n")).toInt();
}

} // namespace

QString Result::summary() const
{
    QStringList kinds;
    for (auto it = byKind.cbegin(); it != byKind.cend(); ++it)
        kinds << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    QString out = QStringLiteral("%1 actions in %2 s (%3); %4 refused as a clerk would be; %5 database "
                                 "errors; left %6 entries, %7 auxiliary entries, %8 sheet rows; %9")
                      .arg(actions)
                      .arg(seconds, 0, 'f', 1)
                      .arg(kinds.join(QStringLiteral(", ")))
                      .arg(refusals)
                      .arg(failures)
                      .arg(entries)
                      .arg(auxiliaryEntries)
                      .arg(sheetRows)
                      .arg(differences.isEmpty() ? QStringLiteral("the sheet equals the journals")
                                                 : QStringLiteral("%1 faults in the sheet").arg(differences.size()));
    for (const QString &f : failureTexts)
        out += QStringLiteral("\n  error: ") + f;
    for (int i = 0; i < differences.size() && i < 40; ++i)
        out += QStringLiteral("\n  fault: ") + differences[i];
    return out;
}

void prepare(DataModule &dm, const Options &options)
{
    test::loadShop(dm);
    test::addProductClasses(dm);
    test::addAuxiliaryKinds(dm);
    // Workers 1 and 2 come with the shop; the others are named in the
    // plant's people by id, as worker 1 is.
    for (int w = 1; w <= options.workers; ++w) {
        const QString name = QStringLiteral("Рабочий %1").arg(w);
        if (w > 2) {
            dm.execute(QStringLiteral("prepare"),
                       QStringLiteral("insert into accounts_dep.person(id, fio, s_staffpos_hl) values (%1, %2, '')")
                           .arg(sql::integer(w), sql::quoted(name)));
            dm.execute(QStringLiteral("prepare"),
                       QStringLiteral("insert into cmn_contractor.person(id, s_caption, s_code) values (%1, %2, null)")
                           .arg(sql::integer(w), sql::quoted(name)));
        }
    }
}

Result run(const Options &options)
{
    Shared shared(options);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> clerks;
    for (int i = 0; i < options.clerks; ++i)
        clerks.emplace_back([&shared, i] {
            {
                Clerk clerk(i, shared);
                clerk.run();
            }
            shared.finished.fetch_add(1);
        });
    qint64 lastReport = 0;
    while (shared.finished.load() < options.clerks) {
        if (options.seconds > 0 && clock.elapsed() >= qint64(options.seconds) * 1000) {
            shared.stop = true;
            break;
        }
        if (options.reportEverySeconds > 0
            && clock.elapsed() - lastReport >= qint64(options.reportEverySeconds) * 1000) {
            lastReport = clock.elapsed();
            std::printf("%6.0f s: %lld actions, %lld database errors\n", clock.elapsed() / 1000.0,
                        static_cast<long long>(shared.actions.load()),
                        static_cast<long long>(shared.failures.load()));
            std::fflush(stdout);
        }
        QThread::msleep(50);
    }
    for (std::thread &t : clerks)
        t.join();

    Result result = shared.result;
    result.seconds = clock.elapsed() / 1000.0;
    DataModule dm(QStringLiteral("stress check"));
    dm.open(options.connectionString);
    result.differences = check(dm);
    result.entries = count(dm, QStringLiteral("accounts_dep.smena"));
    result.auxiliaryEntries = count(dm, QStringLiteral("accounts_dep.fatigue"));
    result.sheetRows = count(dm, QStringLiteral("accounts_dep.h_tabel"));
    return result;
}

QStringList check(DataModule &dm)
{
    QStringList out = test::sheetVersusJournal(dm);
    out += test::auxSheetVersusEntries(dm);
    out += lines(dm,
                 QStringLiteral("select w_id, smena, month, year, count(*) from accounts_dep.h_tabel where "
                                "coalesce(i_type,0) not in (7777, 7778) group by w_id, smena, month, year "
                                "having count(*) > 1 order by 1, 2, 4, 3"),
                 QStringLiteral("sheet row of worker %1 shift %2 in %3.%4 held %5 times"), 5);
    out += lines(dm,
                 QStringLiteral("select w_id, i_type, i_night, month, year, count(*) from accounts_dep.h_tabel "
                                "where i_type in (7777, 7778) group by w_id, i_type, i_night, month, year "
                                "having count(*) > 1 order by 1, 2, 3, 5, 4"),
                 QStringLiteral("auxiliary sheet row of worker %1 kind %2 night %3 in %4.%5 held %6 times"), 6);
    out += lines(dm,
                 QStringLiteral("select w_id, o_id, i_id, to_char(data, 'DD.MM.YYYY'), smena, color, count(*) "
                                "from accounts_dep.smena group by w_id, o_id, i_id, data, smena, color "
                                "having count(*) > 1 order by 1, 4, 5, 2"),
                 QStringLiteral("entry of worker %1 operation %2 product %3 on %4 shift %5 colour %6 held %7 times"), 7);
    return out;
}

} // namespace tabel::stress
