#include "journal/hoursposting.h"

#include "data/datamodule.h"
#include "data/sqltext.h"
#include "data/dberror.h"
#include "data/transaction.h"

#include <limits>

namespace tabel {

QString SheetKey::updateSql(int total, const QString &where) const
{
    return QStringLiteral("update accounts_dep.h_tabel set %1=%2 where %3")
        .arg(sql::dayColumn(date.day()), sql::integer(total), where);
}

QString SheetKey::clearSql() const
{
    return QStringLiteral("update accounts_dep.h_tabel set %1=NULL where %2")
        .arg(sql::dayColumn(date.day()), removeWhere);
}

static int lockPeriod(const QDate &date, int discriminator)
{
    // Collisions between different keys only serialise a little more. In
    // 64 bits and folded into the lock's int: from the year 8260 on the
    // product no longer fits one, and an overflowing int is undefined.
    const qint64 period = (qint64(date.year()) * 13 + date.month()) * 20000 + discriminator;
    return int(period % std::numeric_limits<int>::max());
}

SheetKey pieceWorkKey(int worker, int shift, const QDate &date)
{
    const QString w = sql::integer(worker), s = sql::integer(shift),
                  m = sql::integer(date.month()), y = sql::integer(date.year());
    SheetKey k;
    k.date = date;
    const QString where =
        QStringLiteral("w_id=%1 and smena=%2 and month=%3 and year=%4").arg(w, s, m, y);
    k.countSql = QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where ") + where;
    k.totalSql = QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=%1 and "
                                "smena=%2 and data=%3 group by w_id, smena, data")
                     .arg(w, s, sql::date(date));
    k.saveWhere = where;
    k.removeWhere = where;
    const QString day = sql::dayColumn(date.day());
    k.insertSql = [=](int total) {
        return QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                              "values(%2, %3, %4, %5, %6)")
            .arg(day, s, w, m, y, sql::integer(total));
    };
    k.lockKey1 = worker;
    k.lockKey2 = lockPeriod(date, shift);
    return k;
}

SheetKey auxiliaryKey(int worker, int kind, int night, const QDate &date)
{
    const QString w = sql::integer(worker), t = sql::integer(kind), n = sql::integer(night),
                  m = sql::integer(date.month()), y = sql::integer(date.year());
    SheetKey k;
    k.date = date;
    k.saveWhere = QStringLiteral("w_id=%1 and i_type=%2 and month=%3 and year=%4 and i_night=%5")
                      .arg(w, t, m, y, n);
    k.removeWhere = QStringLiteral("w_id=%1 and i_night=%2 and i_type=%3 and month=%4 and year=%5")
                       .arg(w, n, t, m, y);
    k.countSql = QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where ")
        + k.saveWhere;
    k.totalSql = QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p "
                                "=%1  and f.id_o=%2 and i_night=%3 and f.d_date =%4 group by "
                                "f.id_p, f.d_date")
                     .arg(w, t, n, sql::date(date));
    const QString day = sql::dayColumn(date.day());
    k.insertSql = [=](int total) {
        return QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, %1, "
                              "i_night) values(%2, %3, %4, %5, %6, %7)")
            .arg(day, t, w, m, y, sql::integer(total), n);
    };
    k.lockKey1 = worker;
    k.lockKey2 = lockPeriod(date, 10 + kind % 1000 * 2 + (night ? 1 : 0));
    return k;
}

void HoursPosting::lock(const SheetKey &key)
{
    // Two workstations posting the first entry of one key would otherwise
    // both find no row and both insert one; the lock lasts until commit.
    m_dm.control(QStringLiteral("select pg_advisory_xact_lock(%1, %2)")
                     .arg(sql::integer(key.lockKey1), sql::integer(key.lockKey2)));
}

int HoursPosting::dayTotal(const SheetKey &key)
{
    const RowSet r = m_dm.control(key.totalSql);
    const qlonglong total = r.isEmpty() ? 0 : r.value(0, QStringLiteral("tim")).toLongLong();
    // The sum may exceed what a day cell holds; cut down it would be a
    // wrong figure in the sheet, so nothing is written.
    if (total > std::numeric_limits<int>::max() || total < std::numeric_limits<int>::min())
        throw DbError(QStringLiteral("Часы за день (%1) не помещаются в табель.").arg(total));
    return int(total);
}

void HoursPosting::save(const SheetKey &key)
{
    Transaction tx(m_dm);
    lock(key);
    const int rows = m_dm.control(key.countSql).value(0, QStringLiteral("cnt")).toInt();
    const int total = dayTotal(key);
    if (rows == 0)
        m_dm.hTabelIns(key.insertSql(total));
    else
        m_dm.hTabelIns(key.updateSql(total, key.saveWhere));
    tx.commit();
}

void HoursPosting::remove(const SheetKey &key)
{
    Transaction tx(m_dm);
    lock(key);
    const int total = dayTotal(key);
    if (total > 0)
        m_dm.hTabelIns(key.updateSql(total, key.removeWhere));
    else
        m_dm.delSmena(key.clearSql());
    tx.commit();
}

} // namespace tabel
