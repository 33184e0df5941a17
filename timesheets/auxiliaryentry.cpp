#include "timesheets/auxiliaryentry.h"

#include "data/datamodule.h"
#include "data/display.h"
#include "data/inputcheck.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "journal/hoursposting.h"
#include "timesheets/auxiliaryjournal.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tabel {

namespace {

const QString kCaption = QStringLiteral("Ошибка");
const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");
const QString kNoHours = QStringLiteral("Нужно завести количество!");
const QString kTooManyHours = QStringLiteral("В сутках не больше 24 часов!");
const QString kRateTooLarge = QStringLiteral(
    "Цена вида работ слишком велика для записи. Исправьте норматив вида работ.");
const QString kGone = QStringLiteral(
    "Позиция уже удалена с другого рабочего места. Изменения не записаны.");

// Hours of one entry on one day.
constexpr qint64 kHoursMax = 24;
// The kind list's rate column holds six decimals; the rate shown is the
// rate written.
constexpr int kRateDecimals = 6;

// Plain code rather than a shared regular expression: several connections
// may save entries from threads of their own.
std::optional<qint64> hoursValue(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        // Beyond a day's hours the exact value no longer matters.
        v = std::min<qint64>(v * 10 + (c.unicode() - '0'), kHoursMax + 1);
    }
    return v;
}

} // namespace

QString auxiliaryInsertSql(const AuxiliaryRecord &e)
{
    // The date goes through to_date: a bare date text would depend on how
    // the session reads dates.
    return QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, "
                          "i_year, i_smena, cnt, price, i_holiday, i_night)VALUES(%1, %2 ,%3, %4, "
                          "%5, %6, 1, %7, %8, %9, %10)")
        .arg(sql::integer(e.nomenclature), sql::integer(e.kind), sql::integer(e.worker),
             sql::date(e.date), sql::integer(e.date.month()), sql::integer(e.date.year()),
             sql::integer(e.hours), sql::shortestDecimal(e.rate), sql::integer(e.holiday ? 1 : 0))
        .arg(sql::integer(e.night ? 1 : 0));
}

QString auxiliaryUpdateSql(const AuxiliaryRecord &e)
{
    return QStringLiteral("UPDATE accounts_dep.fatigue SET id_nom=%1, id_o=%2, id_p=%3, cnt=%4, "
                          "price=%5, i_holiday=%6, i_night=%7 where id=%8")
        .arg(sql::integer(e.nomenclature), sql::integer(e.kind), sql::integer(e.worker),
             sql::integer(e.hours), sql::shortestDecimal(e.rate), sql::integer(e.holiday ? 1 : 0),
             sql::integer(e.night ? 1 : 0), sql::integer(e.id));
}

QString auxiliaryKindsSql()
{
    return QStringLiteral("select vo.id, vo.vid, n.price, (n.price*:cnt) as summ from "
                          "accounts_dep.vid_oper vo,accounts_dep.norm n, accounts_dep.oper o  where "
                          "n.o_id =o.id and o.vid=vo.id and (vo.id = 7777 or vo.id = 7778)");
}

AuxiliaryEntry::AuxiliaryEntry(AuxiliaryJournal &journal)
    : m_journal(journal), m_dm(journal.data()),
      m_kinds(std::make_unique<ResultSet>(m_dm, QStringLiteral("type_work"), auxiliaryKindsSql()))
{
    // The sum is worked out from the typed hours, not through the query.
    m_kinds->setParam(QStringLiteral("cnt"), 0.0);
}

AuxiliaryEntry::~AuxiliaryEntry() = default;

void AuxiliaryEntry::openKinds()
{
    // Rates may have changed since the editor was last open.
    m_kinds->close();
    m_kinds->open();
}

void AuxiliaryEntry::closeKinds()
{
    m_kinds->close();
}

QVector<AuxiliaryKind> AuxiliaryEntry::kinds() const
{
    QVector<AuxiliaryKind> out;
    for (int row = 0; row < m_kinds->rowCount(); ++row) {
        const int id = m_kinds->value(row, QStringLiteral("id")).toInt();
        const QVariant price = m_kinds->value(row, QStringLiteral("price"));
        const double rate = sql::roundHalfEven(price.toDouble(), kRateDecimals);
        auto it = std::find_if(out.begin(), out.end(), [id](const AuxiliaryKind &k) { return k.id == id; });
        if (it == out.end())
            out.push_back({id, m_kinds->value(row, QStringLiteral("vid")).toString(), rate});
        else if (!price.isNull())
            it->rate = std::min(it->rate, rate);
    }
    return out;
}

std::optional<AuxiliaryKind> AuxiliaryEntry::kind(int id) const
{
    for (const AuxiliaryKind &k : kinds())
        if (k.id == id)
            return k;
    return std::nullopt;
}

AuxiliaryFields AuxiliaryEntry::beginNew()
{
    openKinds();
    m_mode = Mode::New;
    m_worker = 0;
    m_nomenclature = 0;
    m_entryId = 0;
    AuxiliaryFields f;
    f.hours = QStringLiteral("0");
    f.kind = kAuxiliaryWork;
    return f;
}

std::optional<AuxiliaryFields> AuxiliaryEntry::beginChange()
{
    const ResultSet &q = m_journal.entries();
    if (q.isEmpty() || q.currentRow() < 0)
        return std::nullopt;
    openKinds();
    m_mode = Mode::Change;
    m_entryId = q.value(QStringLiteral("id")).toInt();
    m_worker = int(wholeNumber(q.value(QStringLiteral("id_p"))).value_or(0));
    m_nomenclature = wholeNumber(q.value(QStringLiteral("id_nom"))).value_or(0);
    m_origKind = int(wholeNumber(q.value(QStringLiteral("id_o"))).value_or(0));
    m_origNight = q.value(QStringLiteral("i_night")).toInt() != 0;
    m_origDate = q.value(QStringLiteral("d_date")).toDate();

    AuxiliaryFields f;
    f.worker = q.value(QStringLiteral("fio")).toString();
    f.nomenclature = q.value(QStringLiteral("s_caption")).toString();
    f.hours = q.value(QStringLiteral("cnt")).toString();
    f.kind = m_origKind;
    f.night = m_origNight;
    return f;
}

void AuxiliaryEntry::takeWorker(const WorkerPick &pick)
{
    m_worker = pick.id;
}

void AuxiliaryEntry::takeNomenclature(const NomenclaturePick &pick)
{
    m_nomenclature = pick.id;
}

QString AuxiliaryEntry::rateText(int id) const
{
    const std::optional<AuxiliaryKind> k = kind(id);
    return k ? display::number(k->rate) : QString();
}

QString AuxiliaryEntry::sumText(int id, const QString &hours) const
{
    const std::optional<AuxiliaryKind> k = kind(id);
    if (!k)
        return QString();
    const qint64 h = hoursValue(hours.trimmed()).value_or(0);
    return display::number(sql::roundHalfEven(k->rate * double(h), kRateDecimals));
}

bool AuxiliaryEntry::refused(const QString &text) const
{
    m_dm.notifier().error(kCaption, text);
    return false;
}

bool AuxiliaryEntry::save(const AuxiliaryFields &fields, const QDate &date, bool dayOff)
{
    // Everything that may refuse comes before the transaction: no message
    // box ever waits while the sheet row's lock is held.
    const QString hoursText = fields.hours.trimmed();
    const std::optional<AuxiliaryKind> k = kind(fields.kind);
    if (m_worker == 0 || m_nomenclature == 0 || hoursText.isEmpty() || !k)
        return refused(kIncomplete);
    const std::optional<qint64> hours = hoursValue(hoursText);
    if (!hours || *hours < 1)
        return refused(kNoHours);
    if (*hours > kHoursMax)
        return refused(kTooManyHours);

    const bool change = m_mode == Mode::Change;
    const QString badDate = input::dateRefusal(change ? m_origDate : date);
    if (!badDate.isEmpty())
        return refused(badDate);
    // A rate read from a norm beyond what a double can take twice over
    // would be written as "inf", which no server reads.
    if (!std::isfinite(dayOff ? k->rate * 2 : k->rate))
        return refused(kRateTooLarge);
    AuxiliaryRecord e;
    e.id = m_entryId;
    e.nomenclature = m_nomenclature;
    e.kind = k->id;
    e.worker = m_worker;
    e.hours = int(*hours);
    e.holiday = dayOff;
    e.rate = dayOff ? k->rate * 2 : k->rate;
    // A changed entry keeps its day and its night flag.
    e.date = change ? m_origDate : date;
    e.night = change ? m_origNight : fields.night;

    bool gone = false;
    {
        Transaction tx(m_dm);
        // The day the entry is saved on, and the sheet row it leaves when a
        // change gives it another worker or kind: otherwise that row's day
        // would keep hours no entry has.
        struct Posting
        {
            SheetKey key;
            bool saveSide;
        };
        std::vector<Posting> postings;
        if (change) {
            // The row left is the one the entry is on now, read under the
            // entry's lock: another workstation may have given it another
            // worker or kind since it was opened here.
            const RowSet was = m_dm.control(
                QStringLiteral("select id_p, id_o, i_night, d_date from accounts_dep.fatigue where "
                               "id=%1 for update")
                    .arg(sql::integer(e.id)));
            if (was.isEmpty()) {
                gone = true;
            } else {
                const int worker = int(wholeNumber(was.value(0, QStringLiteral("id_p"))).value_or(0));
                const int kind = int(wholeNumber(was.value(0, QStringLiteral("id_o"))).value_or(0));
                const bool night = was.value(0, QStringLiteral("i_night")).toInt() != 0;
                const QDate day = was.value(0, QStringLiteral("d_date")).toDate();
                // The change keeps the entry's day and night flag as stored.
                e.night = night;
                if (input::isStorableDate(day))
                    e.date = day;
                postings.push_back({auxiliaryKey(e.worker, e.kind, e.night, e.date), true});
                if (input::isStorableDate(day) && (worker != e.worker || kind != e.kind))
                    postings.push_back({auxiliaryKey(worker, kind, night, day), false});
            }
        } else {
            postings.push_back({auxiliaryKey(e.worker, e.kind, e.night, e.date), true});
        }
        if (!gone) {
            // Locks in one order, so two workstations moving entries across
            // each other's rows cannot wait on each other.
            std::sort(postings.begin(), postings.end(), [](const Posting &a, const Posting &b) {
                return std::pair(a.key.lockKey1, a.key.lockKey2)
                    < std::pair(b.key.lockKey1, b.key.lockKey2);
            });
            if (change)
                gone = m_dm.sqlExec(auxiliaryUpdateSql(e)) == 0;
            else
                m_dm.sqlExec(auxiliaryInsertSql(e));
        }
        if (!gone) {
            HoursPosting posting(m_dm);
            for (const Posting &p : postings) {
                if (p.saveSide)
                    posting.save(p.key);
                else
                    posting.remove(p.key);
            }
            tx.commit();
        }
    }
    // A change of an entry another workstation deleted meanwhile would
    // otherwise look saved.
    if (gone)
        return refused(kGone);
    return true;
}

} // namespace tabel
