#include "timesheets/rebuild.h"

#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "journal/hoursposting.h"
#include "timesheets/month.h"

#include <QStringList>
#include <QVector>
#include <algorithm>
#include <limits>
#include <utility>

namespace tabel {

namespace {

// Workers and shifts, (w_id, smena).
using Keys = QVector<std::pair<int, int>>;

// Rows of the two auxiliary kinds belong to their own journal; a row
// without a kind counts as piece-work, as its column default says.
const char *const kPieceWorkRow = "coalesce(i_type,0) not in (7777, 7778)";

QString monthRange(int month, int year, const QString &column)
{
    return QStringLiteral("%1>=%2 and %1<%3")
        .arg(column, sql::date(month::firstDay(month, year)),
             sql::date(month::nextFirstDay(month, year)));
}

QString keyList(const Keys &keys)
{
    QStringList pairs;
    pairs.reserve(keys.size());
    for (const auto &[worker, shift] : keys)
        pairs << QStringLiteral("(%1,%2)").arg(sql::integer(worker), sql::integer(shift));
    return QStringLiteral("(values %1)").arg(pairs.join(QLatin1Char(',')));
}

// Day totals of the month's entries, one row per worker, shift and date.
// A day whose entries carry no hours counts 0, as in a posting.
QString dayTotals(int month, int year, const QString &extra)
{
    return QStringLiteral("select w_id, smena, data, coalesce(sum(time),0) as tim from "
                          "accounts_dep.smena where %1 and %2 group by w_id, smena, data")
        .arg(monthRange(month, year, QStringLiteral("data")), extra);
}

QString keysSql(int month, int year)
{
    // Every key the rebuild may rewrite: those with entries and those with
    // rows. The extremes show a day that would not fit a cell.
    return QStringLiteral(
               "select w_id, smena, max(tim) as most, min(tim) as least from (%1 union all "
               "select w_id, smena, null, 0 from accounts_dep.h_tabel where month=%2 and year=%3 "
               "and %4 and w_id is not null and smena is not null) k group by w_id, smena "
               "order by w_id, smena")
        .arg(dayTotals(month, year, QStringLiteral("w_id is not null and smena is not null")),
             sql::integer(month), sql::integer(year), QLatin1String(kPieceWorkRow));
}

QString lockSql(const Keys &keys, int month, int year)
{
    // The posting's own lock keys, taken in its order (by the two numbers)
    // so that a posting holding two keys cannot deadlock with us. A values
    // list is read in the order written.
    const QDate first = month::firstDay(month, year);
    QVector<std::pair<int, int>> locks;
    locks.reserve(keys.size());
    for (const auto &[worker, shift] : keys) {
        const SheetKey k = pieceWorkKey(worker, shift, first);
        locks.push_back({k.lockKey1, k.lockKey2});
    }
    std::sort(locks.begin(), locks.end());
    QStringList pairs;
    for (const auto &[a, b] : locks)
        pairs << QStringLiteral("(%1,%2)").arg(sql::integer(a), sql::integer(b));
    return QStringLiteral("select count(pg_advisory_xact_lock(k1, k2)) as locked from (values %1) "
                          "v(k1, k2)")
        .arg(pairs.join(QLatin1Char(',')));
}

QString deleteSql(const Keys &keys, int month, int year)
{
    // Rows without a worker or shift are nobody's posting; they go too.
    const QString ours = keys.isEmpty()
        ? QStringLiteral("w_id is null or smena is null")
        : QStringLiteral("w_id is null or smena is null or (w_id, smena) in %1").arg(keyList(keys));
    return QStringLiteral("delete from accounts_dep.h_tabel where month=%1 and year=%2 and %3 and "
                          "(%4)")
        .arg(sql::integer(month), sql::integer(year), QLatin1String(kPieceWorkRow), ours);
}

QString insertSql(const Keys &keys, int month, int year)
{
    QStringList days, values;
    for (int d = 1; d <= 31; ++d) {
        days << sql::dayColumn(d);
        values << QStringLiteral("max(tim) filter (where day=%1)").arg(d);
    }
    return QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) select "
                          "smena, w_id, %2, %3, %4 from (select w_id, smena, extract(day from "
                          "data)::integer as day, tim from (%5) t) d group by w_id, smena")
        .arg(days.join(QStringLiteral(", ")), sql::integer(month), sql::integer(year),
             values.join(QStringLiteral(", ")),
             dayTotals(month, year, QStringLiteral("(w_id, smena) in ") + keyList(keys)));
}

} // namespace

void MonthRebuild::run(int month, int year, const Progress &progress)
{
    int done = 0;
    auto step = [&] {
        if (progress)
            progress(++done, stepCount);
    };
    {
        Transaction tx(m_dm);
        const RowSet found = m_dm.control(keysSql(month, year));
        Keys keys;
        for (int r = 0; r < found.size(); ++r) {
            const qlonglong most = found.value(r, QStringLiteral("most")).toLongLong();
            const qlonglong least = found.value(r, QStringLiteral("least")).toLongLong();
            // Cut down to fit, it would be a wrong figure in the sheet.
            for (const qlonglong total : {most, least})
                if (total > std::numeric_limits<int>::max() || total < std::numeric_limits<int>::min())
                    throw DbError(QStringLiteral("Часы за день (%1) не помещаются в табель.").arg(total));
            keys.push_back({found.value(r, QStringLiteral("w_id")).toInt(),
                            found.value(r, QStringLiteral("smena")).toInt()});
        }
        step();
        if (!keys.isEmpty())
            m_dm.control(lockSql(keys, month, year));
        step();
        m_dm.delSmena(deleteSql(keys, month, year));
        step();
        if (!keys.isEmpty())
            m_dm.hTabelIns(insertSql(keys, month, year));
        step();
        tx.commit();
    }
    step();
}

} // namespace tabel
