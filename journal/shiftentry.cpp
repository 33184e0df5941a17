#include "journal/shiftentry.h"

#include "data/datamodule.h"
#include "data/display.h"
#include "data/inputcheck.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "journal/hoursposting.h"
#include "journal/journal.h"
#include "reference/operations.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tabel {

namespace {

const QString kCaption = QStringLiteral("Ошибка");
const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Позиция с такими параметрами уже заведена!");
const QString kPriceTooLarge = QStringLiteral(
    "Цена операции слишком велика для записи. Исправьте нормативы операции.");
const QString kGone = QStringLiteral(
    "Позиция уже удалена с другого рабочего места. Изменения не записаны.");

// Whole-number fields and the largest value their columns hold: rejects
// are a smallint; the quantity (numeric) is kept to what an int holds, as
// are hours and colour.
constexpr qint64 kIntMax = std::numeric_limits<qint32>::max();
constexpr qint64 kSmallMax = std::numeric_limits<qint16>::max();
constexpr qint64 kHoursMax = 24;

QString wholeText(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return sql::shortestDecimal(v.toDouble());
    return v.toString();
}

// The value of a digits-only field, or nothing when it is not a whole
// number up to `max`. Plain code rather than a shared regular expression:
// several connections may save entries from threads of their own.
std::optional<qint64> wholeNumber(const QString &text, qint64 max)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
        if (v > max)
            return std::nullopt;
    }
    return v;
}

QString outOfRange(const QString &label, qint64 max)
{
    return QStringLiteral("В поле \"%1\" допустимо целое число от 0 до %2.").arg(label).arg(max);
}

QString duplicateHead(const EntryRecord &e)
{
    return QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=%1 and "
                          "o_id=%2 and i_id=%3 and data=%4 and smena=%5")
        .arg(sql::integer(e.worker), sql::integer(e.operation), sql::integer(e.product),
             sql::date(e.date), sql::integer(e.shift));
}

} // namespace

QString entryDuplicateSql(const EntryRecord &e)
{
    return duplicateHead(e) + QStringLiteral(" and color=") + sql::integer(e.colour);
}

QString entryChangeDuplicateSql(const EntryRecord &e)
{
    return duplicateHead(e)
        + QStringLiteral(" and id<>%1 and color=%2").arg(sql::integer(e.id), sql::integer(e.colour));
}

QString entryInsertSql(const EntryRecord &e, const QDate &today)
{
    return QStringLiteral("insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, "
                          "data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, "
                          "f_gds_qty_use, id_gds_use, id_cons_use) values(%1, %2, %3, %4,%5, %6, "
                          "%7, %8, %9, %10, %11, 'no', 0, 0, 0, 0, 0, 0)")
        .arg(sql::integer(e.worker), sql::integer(e.product), sql::integer(e.operation),
             sql::price(e.price), sql::integer(e.quantity), sql::integer(e.rejects),
             sql::dateTimeFormat(e.date), sql::integer(e.shift), sql::integer(e.colour))
        .arg(sql::integer(e.hours), sql::dateText(today));
}

QString entryUpdateSql(const EntryRecord &e, const QDate &today)
{
    return QStringLiteral("update accounts_dep.SMENA set w_id=%1, i_id=%2, o_id=%3, cena=%4, "
                          "kol_vo=%5, brak=%6, data=%7, smena=%8, color=%9, time=%10, vvod=%11, "
                          "prize=0, id_doc=0, id_doc_item=0, f_gds_qty_use=0, id_gds_use=0, "
                          "id_cons_use=0 where id=%12")
        .arg(sql::integer(e.worker), sql::integer(e.product), sql::integer(e.operation),
             sql::price(e.price), sql::integer(e.quantity), sql::integer(e.rejects),
             sql::date(e.date), sql::integer(e.shift), sql::integer(e.colour))
        .arg(sql::integer(e.hours), sql::dateText(today), sql::integer(e.id));
}

ShiftEntry::ShiftEntry(Journal &journal) : m_journal(journal), m_dm(journal.data())
{
}

EntryFields ShiftEntry::beginNew(const QDate &date)
{
    m_mode = Mode::New;
    m_basePrice.reset();
    EntryFields f;
    f.rejects = QStringLiteral("0");
    f.hours = QStringLiteral("0");
    f.date = date;
    return f;
}

std::optional<EntryFields> ShiftEntry::beginChange()
{
    const ResultSet &q = m_journal.current();
    if (q.isEmpty() || q.currentRow() < 0)
        return std::nullopt;
    m_mode = Mode::Change;
    m_basePrice.reset();
    m_price = q.value(QStringLiteral("cena")).toDouble();
    m_worker = q.value(QStringLiteral("w_id")).toInt();
    m_product = q.value(QStringLiteral("i_id")).toLongLong();
    m_operation = q.value(QStringLiteral("o_id")).toInt();
    m_entryId = q.value(QStringLiteral("id")).toInt();
    m_origOperation = m_operation;

    EntryFields f;
    f.date = q.value(QStringLiteral("data")).toDate();
    f.worker = q.value(QStringLiteral("fio")).toString().trimmed();
    f.operation = operations::operationText(q.value(QStringLiteral("marka")).toString(),
                                q.value(QStringLiteral("vid")).toString(),
                                q.value(QStringLiteral("naimen")).toInt());
    f.quantity = wholeText(q.value(QStringLiteral("kol_vo")));
    f.rejects = wholeText(q.value(QStringLiteral("brak")));
    f.hours = wholeText(q.value(QStringLiteral("time")));
    f.colourEnabled = isPainting(q.value(QStringLiteral("vid")).toString());
    if (f.colourEnabled)
        f.colour = wholeText(q.value(QStringLiteral("color")));
    return f;
}

int ShiftEntry::operationToStartOn() const
{
    return m_mode == Mode::Change ? m_origOperation : 0;
}

void ShiftEntry::takeWorker(const WorkerPick &pick)
{
    m_worker = pick.id;
}

void ShiftEntry::takeOperation(const OperationPick &pick)
{
    m_product = pick.productId;
    m_operation = pick.operationId;
    m_price = pick.price;
    m_basePrice = pick.basePrice;
}

QString ShiftEntry::finalPriceText() const
{
    return display::number(sql::roundHalfEven(m_price, 4));
}

QString ShiftEntry::basePriceText() const
{
    return m_basePrice ? display::number(sql::roundHalfEven(*m_basePrice, 4)) : QString();
}

QString ShiftEntry::amountText(const QString &quantity) const
{
    return display::number(sql::roundHalfEven(quantity.trimmed().toDouble() * m_price, 4));
}

bool ShiftEntry::isPainting(const QString &operationText)
{
    return operationText.toUpper().contains(QStringLiteral("КРАСКА"));
}

bool ShiftEntry::refused(const QString &text) const
{
    m_dm.notifier().error(kCaption, text);
    return false;
}

std::optional<EntryRecord> ShiftEntry::record(const EntryFields &fields)
{
    const QString quantity = fields.quantity.trimmed(), rejects = fields.rejects.trimmed(),
                  hours = fields.hours.trimmed(), colour = fields.colour.trimmed();
    if (fields.worker.trimmed().isEmpty() || fields.operation.trimmed().isEmpty()
        || quantity.isEmpty() || rejects.isEmpty() || hours.isEmpty()
        || (isPainting(fields.operation) && colour.isEmpty())) {
        refused(kIncomplete);
        return std::nullopt;
    }
    // A number the column cannot hold would otherwise reach the user as a
    // database error.
    struct Field
    {
        QString text;
        const char *label;
        qint64 max;
        qint64 value = 0;
    };
    // An empty colour field means no colour, colour 0.
    Field checks[] = {{quantity, "Кол-во", kIntMax},
                      // Hours of one entry of one shift: a day has no more.
                      {hours, "Время", kHoursMax},
                      {colour.isEmpty() ? QStringLiteral("0") : colour, "Цвет", kIntMax},
                      {rejects, "Брак", kSmallMax}};
    for (Field &c : checks) {
        const auto v = wholeNumber(c.text, c.max);
        if (!v) {
            refused(outOfRange(QString::fromUtf8(c.label), c.max));
            return std::nullopt;
        }
        c.value = *v;
    }
    const QString badDate = input::dateRefusal(fields.date);
    if (!badDate.isEmpty()) {
        refused(badDate);
        return std::nullopt;
    }
    // A price read from a norm beyond what a double can take three times
    // over would be written as "inf", which no server reads.
    if (!std::isfinite(sql::roundHalfEven(m_price, 4))) {
        refused(kPriceTooLarge);
        return std::nullopt;
    }
    EntryRecord e;
    e.id = m_entryId;
    e.worker = m_worker;
    e.product = m_product;
    e.operation = m_operation;
    e.price = m_price;
    e.quantity = checks[0].value;
    e.hours = int(checks[1].value);
    e.colour = int(checks[2].value);
    e.rejects = int(checks[3].value);
    e.date = fields.date;
    e.shift = m_journal.shift();
    return e;
}

bool ShiftEntry::save(const EntryFields &fields, const QDate &today)
{
    // Everything that may ask or refuse comes before the transaction: no
    // message box ever waits while the entry's locks are held.
    const std::optional<EntryRecord> e = record(fields);
    if (!e)
        return false;
    const bool change = m_mode == Mode::Change;
    const QString duplicateSql = change ? entryChangeDuplicateSql(*e) : entryDuplicateSql(*e);
    if (m_dm.duplicateFound(duplicateSql, kDuplicate))
        return false;

    enum class Outcome { Saved, Gone, Duplicate };
    Outcome outcome = Outcome::Saved;
    {
        Transaction tx(m_dm);
        // The day the entry is saved on, and the day it leaves when a
        // change moves it to another worker, shift or date: otherwise that
        // day's cell would keep hours the journal no longer has.
        struct Posting
        {
            SheetKey key;
            bool saveSide;
        };
        std::vector<Posting> postings{{pieceWorkKey(e->worker, e->shift, e->date), true}};
        if (change) {
            // The day left is the one the entry is on now, read under the
            // entry's lock: another workstation may have moved it since it
            // was opened here, and posting the day it was on then would
            // leave its present day with hours no entry has.
            const RowSet was = m_dm.control(
                QStringLiteral("select w_id, smena, data from accounts_dep.smena where id=%1 for update")
                    .arg(sql::integer(e->id)));
            if (was.isEmpty()) {
                outcome = Outcome::Gone;
            } else {
                const int worker = was.value(0, QStringLiteral("w_id")).toInt();
                const int shift = was.value(0, QStringLiteral("smena")).toInt();
                const QDate date = was.value(0, QStringLiteral("data")).toDate();
                if (input::isStorableDate(date)
                    && (worker != e->worker || shift != e->shift || date != e->date))
                    postings.push_back({pieceWorkKey(worker, shift, date), false});
            }
        }
        if (outcome == Outcome::Saved) {
            // Locks in one order, so two workstations moving entries across
            // each other's days cannot wait on each other.
            std::sort(postings.begin(), postings.end(), [](const Posting &a, const Posting &b) {
                return std::pair(a.key.lockKey1, a.key.lockKey2)
                    < std::pair(b.key.lockKey1, b.key.lockKey2);
            });
            HoursPosting posting(m_dm);
            for (const Posting &p : postings)
                posting.lock(p.key);
            // Checked again under the day's lock: another workstation
            // saving the same entry at the same moment has either committed
            // it by now or waits until this save is done.
            if (m_dm.control(duplicateSql).value(0, QStringLiteral("cnt")).toInt() > 0) {
                outcome = Outcome::Duplicate;
            } else {
                if (change) {
                    if (m_dm.execute(QStringLiteral("Smena_upd"), entryUpdateSql(*e, today)) == 0)
                        outcome = Outcome::Gone;
                } else {
                    m_dm.execute(QStringLiteral("Smena_ins"), entryInsertSql(*e, today));
                }
            }
            if (outcome == Outcome::Saved) {
                for (const Posting &p : postings) {
                    if (p.saveSide)
                        posting.save(p.key);
                    else
                        posting.remove(p.key);
                }
                tx.commit();
            }
        }
    }
    // A change of an entry another workstation deleted meanwhile would
    // otherwise look saved.
    if (outcome == Outcome::Gone)
        return refused(kGone);
    if (outcome == Outcome::Duplicate)
        return refused(kDuplicate);
    return true;
}

void ShiftEntry::refreshAfterSave()
{
    for (int s = 1; s <= 3; ++s)
        m_dm.hTabel(s).close();
    m_journal.current().reopenKeepingRow();
}

} // namespace tabel
