#include "timesheets/auxiliaryjournal.h"

#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "journal/hoursposting.h"

namespace tabel {

QString auxiliaryEntriesSql()
{
    return QStringLiteral(
        "select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ,  f.*, case when "
        "f.i_holiday=0 then '' else '+' end as s_holiday, case when f.i_night=0 then '' else '+' "
        "end as s_night from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person "
        "p,accounts_dep.vid_oper vo, accounts_dep.oper o  where f.id_nom =i.id and p.id=f.id_p and "
        "vo.id = f.id_o and o.i_id >=7777 and o.vid >=7777 and f.d_date = :d_date order by p.fio, "
        "f.id");
}

QString averageRateSql(int month, int year)
{
    const int nextMonth = month == 12 ? 1 : month + 1;
    const int nextYear = month == 12 ? year + 1 : year;
    // Months and years without leading zeros, as every workstation writes
    // them; the server reads the texts day first (see recalculateAverageRate).
    return QStringLiteral(
               "UPDATE accounts_dep.fatigue f SET price=coalesce((select case when "
               "coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else  "
               "coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) "
               "end as price  from cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, "
               "accounts_dep.person p where i.id_level =2 and s.i_id = gas.id and gas.id_class_item "
               "=i.id  and s.data<'01.%1.%2' and s.data>='01.%3.%4' and p.id=s.w_id and p.id=f.id_p "
               "and i.id=f.id_nom group by i.s_caption, i.id, p.id order by fio),0) where i_mnth = %3 "
               "and i_year = %4 and id_o =7778")
        .arg(sql::integer(nextMonth), sql::integer(nextYear), sql::integer(month),
             sql::integer(year));
}

AuxiliaryJournal::AuxiliaryJournal(DataModule &dm, QObject *parent)
    : QObject(parent), m_dm(dm),
      m_entries(std::make_unique<ResultSet>(dm, QStringLiteral("fatigue"), auxiliaryEntriesSql()))
{
}

AuxiliaryJournal::~AuxiliaryJournal() = default;

void AuxiliaryJournal::load(const QDate &date)
{
    Params params = m_entries->params();
    params[QStringLiteral("d_date")] = date;
    RowSet rows = m_entries->fetch(params);
    m_entries->adopt(params, std::move(rows));
    m_date = date;
    Q_EMIT loaded();
}

void AuxiliaryJournal::reloadKeepingRow()
{
    if (!m_date.isValid())
        return;
    m_entries->reopenKeepingRow();
    Q_EMIT loaded();
}

bool AuxiliaryJournal::deleteCurrent()
{
    ResultSet &q = *m_entries;
    if (q.currentRow() < 0)
        return false;
    const int id = q.value(QStringLiteral("id")).toInt();
    {
        Transaction tx(m_dm);
        // The worker, kind, flag and day of the entry as it is deleted, not
        // as the list read them: another workstation may have changed it
        // since, and the hours to take off are those of the row and day it
        // leaves (also should the list and the picker ever part). Nothing
        // to post when it is gone already; its deleter posted.
        const RowSet gone = m_dm.select(
            QStringLiteral("SQL_exec"),
            QStringLiteral("delete from accounts_dep.fatigue where id=%1 returning id_p, id_o, "
                           "i_night, d_date")
                .arg(sql::integer(id)));
        if (!gone.isEmpty()) {
            const QDate day = gone.value(0, QStringLiteral("d_date")).toDate();
            if (input::isStorableDate(day))
                HoursPosting(m_dm).remove(auxiliaryKey(
                    int(wholeNumber(gone.value(0, QStringLiteral("id_p"))).value_or(0)),
                    int(wholeNumber(gone.value(0, QStringLiteral("id_o"))).value_or(0)),
                    gone.value(0, QStringLiteral("i_night")).toInt(), day));
        }
        tx.commit();
    }
    return true;
}

qint64 repricingLockKey(int month, int year)
{
    return 7778'000'000LL + qint64(year) * 100 + month;
}

int AuxiliaryJournal::recalculateAverageRate(const QDate &date)
{
    Transaction tx(m_dm);
    // The month bounds are bare date texts. The connection already reads
    // them day first, but a server, pooler or session that says otherwise
    // would silently price from the wrong months; for this transaction the
    // order is fixed here.
    m_dm.execute(QStringLiteral("DateStyle"), QStringLiteral("set local DateStyle to 'ISO, DMY'"));
    // One repricing of a month at a time. Two at once lock the month's
    // entries each in the order its plan meets them, and an entry added
    // or given this kind in between is met by one and not the other, so
    // each could hold what the other waits for and the server would fail
    // one of them. Everything else locks one entry at a time and never
    // waits on an entry after that, so it cannot close such a circle. The
    // single-number lock is apart from the two-number locks of the sheet's
    // postings.
    m_dm.control(QStringLiteral("select pg_advisory_xact_lock(%1)")
                     .arg(sql::integer(repricingLockKey(date.month(), date.year()))));
    const int repriced = m_dm.sqlExec(averageRateSql(date.month(), date.year()));
    tx.commit();
    return repriced;
}

bool AuxiliaryJournal::isWeekend(const QDate &date)
{
    return date.dayOfWeek() >= 6;
}

} // namespace tabel
