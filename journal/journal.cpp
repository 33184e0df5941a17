#include "journal/journal.h"

#include "app/roles.h"
#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/sqltext.h"
#include "data/sharedqueries.h"
#include "data/transaction.h"
#include "journal/hoursposting.h"

#include <array>

namespace tabel {

Journal::Journal(DataModule &dm, QObject *parent) : QObject(parent), m_dm(dm)
{
}

void Journal::setShift(int shift)
{
    if (shift < 1 || shift > 4)
        shift = 1;
    if (shift == m_shift)
        return;
    m_shift = shift;
    Q_EMIT shiftChanged(shift);
}

ResultSet &Journal::current() const
{
    return m_dm.smena(m_shift);
}

void Journal::load(const QDate &date)
{
    // All four queries are read before any of them takes the new date, so
    // a failure leaves the journal wholly on its previous date.
    std::array<Params, 4> params;
    std::array<RowSet, 4> rows;
    for (int s = 1; s <= 4; ++s) {
        params[s - 1] = m_dm.smena(s).params();
        params[s - 1][QStringLiteral("data")] = date;
        rows[s - 1] = m_dm.smena(s).fetch(params[s - 1]);
    }
    for (int s = 1; s <= 4; ++s)
        m_dm.smena(s).adopt(params[s - 1], std::move(rows[s - 1]));
    m_date = date;
    Q_EMIT loaded();
}

void Journal::refresh()
{
    for (int s = 1; s <= 4; ++s)
        m_dm.smena(s).reopen();
    Q_EMIT loaded();
}

void Journal::setHiddenMark(const QString &mark)
{
    for (int s = 1; s <= 4; ++s)
        m_dm.smena(s).setParam(QStringLiteral("ok"), mark);
}

bool Journal::deleteCurrent()
{
    ResultSet &q = current();
    if (q.currentRow() < 0)
        return false;
    const int id = q.value(QStringLiteral("id")).toInt();
    {
        Transaction tx(m_dm);
        // The worker, shift and day the entry is on as it is deleted, not
        // as the list read them: another workstation may have moved it
        // since, and the hours to take off are those of the day it leaves.
        // Nothing to post when it is gone already; its deleter posted.
        const RowSet gone = m_dm.select(
            QStringLiteral("DelSmena"),
            QStringLiteral("delete from accounts_dep.smena where id=%1 returning w_id, smena, data")
                .arg(sql::integer(id)));
        if (!gone.isEmpty()) {
            const QDate day = gone.value(0, QStringLiteral("data")).toDate();
            if (input::isStorableDate(day))
                HoursPosting(m_dm).remove(pieceWorkKey(gone.value(0, QStringLiteral("w_id")).toInt(),
                                                       gone.value(0, QStringLiteral("smena")).toInt(),
                                                       day));
        }
        tx.commit();
    }
    q.reopen();
    return true;
}

bool Journal::toggleAcceptance()
{
    if (m_loginWord == QLatin1String(dataEntryWord))
        return false;
    ResultSet &q = current();
    if (q.isEmpty() || q.currentRow() < 0)
        return false;
    const int row = q.currentRow();
    const QString mark = isAccepted(q.value(QStringLiteral("ok")).toString()) ? QStringLiteral("no")
                                                                              : QStringLiteral("ok");
    m_dm.execute(QStringLiteral("Smena_ok"), shared::acceptanceToggleSql(),
                 {{QStringLiteral("ok"), mark}, {QStringLiteral("id"), q.value(QStringLiteral("id")).toInt()}});
    q.reopen();
    q.setCurrentRow(row);
    return true;
}

bool Journal::isAccepted(const QString &mark)
{
    return mark == QLatin1String("ok") || mark == QStringLiteral("да");
}

bool Journal::isWeekend(const QDate &date)
{
    return date.dayOfWeek() >= 6;
}

} // namespace tabel
