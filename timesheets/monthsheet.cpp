#include "timesheets/monthsheet.h"

#include "data/datamodule.h"
#include "timesheets/month.h"

#include <QStringList>
#include <stdexcept>

namespace tabel {

namespace {

const SheetModeInfo kModes[] = {
    {SheetMode::PieceWork, QStringLiteral("H_Tabel0"), QStringLiteral("Табель сделка (27)"), 304,
     false, 3, &monthsheet::pieceWorkSql},
    {SheetMode::General, QStringLiteral("H_Tabel_all"), QStringLiteral("Общий табель (27)"), 304,
     false, 4, &monthsheet::generalSql},
    {SheetMode::Auxiliary, QStringLiteral("H_Tabel7777"), QStringLiteral("Табель хоз. работы (27)"),
     208, true, 3, &monthsheet::auxiliaryWorkSql},
    {SheetMode::AveragePiece, QStringLiteral("H_Tabel7778"),
     QStringLiteral("Табель ср. сдельная (27)"), 208, true, 3, &monthsheet::averagePieceSql},
};

QString daySums()
{
    QStringList terms;
    for (int d = 1; d <= 31; ++d)
        terms << QStringLiteral("sum(coalesce(h.d%1,0)) d%1").arg(d);
    return terms.join(QStringLiteral(", "));
}

} // namespace

const SheetModeInfo &sheetModeInfo(SheetMode mode)
{
    for (const SheetModeInfo &m : kModes)
        if (m.mode == mode)
            return m;
    throw std::out_of_range("unknown timesheet mode");
}

namespace monthsheet {

QString pieceWorkSql()
{
    return QStringLiteral(
               "select p.s_caption fio, p.id,h.i_type, (select sum(s.time) from accounts_dep.smena s "
               "where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id) i_time, (select "
               "sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where "
               "s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id) f_price, (select case when "
               "coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else "
               "coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end from "
               "accounts_dep.smena s where s.data<:d_date5 and s.data>=:d_date6 and s.w_id=p.id) "
               "average_price, %1 from  cmn_contractor.person p, accounts_dep.h_tabel h where "
               "h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=0 group by p.id, "
               "p.s_caption, h.i_type order by fio")
        .arg(daySums());
}

QString generalSql()
{
    return QStringLiteral(
               "select p.s_caption fio, p.id, coalesce((select sum(s.time) from accounts_dep.smena "
               "s where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id),0)+ coalesce((select "
               "sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date7 and "
               "f.d_date>=:d_date8 and f.id_p=p.id),0) i_time, coalesce((select "
               "sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where "
               "s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id),0)+  coalesce((select "
               "sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where "
               "f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id),0) f_price, %1 from  "
               "cmn_contractor.person p, accounts_dep.h_tabel h where h.year=:i_year and "
               "h.month=:i_month and h.w_id=p.id group by p.id, p.s_caption order by fio")
        .arg(daySums());
}

QString auxiliarySql(int kind)
{
    // A line per worker and night flag: the days from the sheet rows of
    // the kind, the figures from the entries of the kind and flag.
    return QStringLiteral(
               "select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' "
               "end as s_night, h.i_night, (select sum(f.cnt) from accounts_dep.fatigue f where "
               "f.d_date<:d_date1 and f.d_date>=:d_date2 and f.id_p=p.id and f.id_o=%1 and "
               "f.i_night=h.i_night) i_time, (select sum(f.cnt*f.price)::numeric(10,2) from "
               "accounts_dep.fatigue f where f.d_date<:d_date3 and f.d_date>=:d_date4 and "
               "f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) f_price, (select case when "
               "coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else "
               "coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end  from "
               "accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and "
               "f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) average_price, %2 from  "
               "cmn_contractor.person p, accounts_dep.h_tabel h where h.year=:i_year and "
               "h.month=:i_month and h.w_id=p.id and i_type=%1  group by p.id, p.s_caption, "
               "h.i_type, h.i_night order by fio")
        .arg(QString::number(kind), daySums());
}

QString auxiliaryWorkSql()
{
    return auxiliarySql(7777);
}

QString averagePieceSql()
{
    return auxiliarySql(7778);
}

QString allPriceSql()
{
    // A month without auxiliary works (or without shift entries) still has
    // the other part's earnings: an absent part counts 0, it does not
    // blank the whole total.
    return QStringLiteral(
        "select( (coalesce((select sum((s.kol_vo-s.brak)*s.cena) from accounts_dep.smena s where "
        "s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0),0)+ coalesce((select "
        "sum(f.cnt*f.price) from accounts_dep.fatigue f where f.d_date<:d_date3 and "
        "f.d_date>=:d_date4 and f.cnt>0 and f.price>0),0))::numeric(20,2)) price");
}

QString kindPriceSql(int kind)
{
    return QStringLiteral(
               "select coalesce(sum(f.cnt*f.price),0)::numeric(100,2) as price from "
               "accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and "
               "f.cnt>0 and f.price>0 and f.id_o=%1")
        .arg(kind);
}

QString piecePriceSql()
{
    return QStringLiteral(
        "select coalesce(sum((s.kol_vo-s.brak)*s.cena),0)::numeric(100,2) as price from "
        "accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and "
        "s.kol_vo>0");
}

QString yearsSql()
{
    return QStringLiteral("select distinct ht.year from accounts_dep.h_tabel ht order by year");
}

Params rangeParams(int month, int year, int ranges)
{
    const QDate first = month::firstDay(month, year);
    const QDate next = month::nextFirstDay(month, year);
    Params p;
    for (int i = 1; i <= ranges; ++i) {
        p[QStringLiteral("d_date%1").arg(2 * i - 1)] = next;
        p[QStringLiteral("d_date%1").arg(2 * i)] = first;
    }
    return p;
}

Params sheetParams(SheetMode mode, int month, int year)
{
    Params p = rangeParams(month, year, sheetModeInfo(mode).rangeCount);
    p[QStringLiteral("i_month")] = month;
    p[QStringLiteral("i_year")] = year;
    return p;
}

} // namespace monthsheet

MonthSheet::MonthSheet(DataModule &dm) : m_dm(dm)
{
    for (const SheetModeInfo &m : kModes)
        m_sheets.push_back(std::make_unique<ResultSet>(dm, m.queryName, m.sql()));
    m_years = std::make_unique<ResultSet>(dm, QStringLiteral("q_year"), monthsheet::yearsSql());
    m_allPrice = std::make_unique<ResultSet>(dm, QStringLiteral("all_price"), monthsheet::allPriceSql());
    m_price8 = std::make_unique<ResultSet>(dm, QStringLiteral("price8"), monthsheet::kindPriceSql(7778));
    m_price7 = std::make_unique<ResultSet>(dm, QStringLiteral("price7"), monthsheet::kindPriceSql(7777));
    m_price = std::make_unique<ResultSet>(dm, QStringLiteral("price"), monthsheet::piecePriceSql());
}

MonthSheet::~MonthSheet() = default;

ResultSet &MonthSheet::sheet() const
{
    for (std::size_t i = 0; i < std::size(kModes); ++i)
        if (kModes[i].mode == m_mode)
            return *m_sheets[i];
    throw std::out_of_range("unknown timesheet mode");
}

void MonthSheet::load(int month, int year)
{
    m_month = month;
    m_year = year;
    ResultSet *totals[] = {m_allPrice.get(), m_price8.get(), m_price7.get(), m_price.get()};
    sheet().close();
    for (ResultSet *t : totals)
        t->close();

    const Params sheetP = monthsheet::sheetParams(m_mode, month, year);
    const Params totalP = monthsheet::rangeParams(month, year, 2);
    const Params kindP = monthsheet::rangeParams(month, year, 1);
    RowSet rows = sheet().fetch(sheetP);
    RowSet all = m_allPrice->fetch(totalP);
    RowSet r8 = m_price8->fetch(kindP);
    RowSet r7 = m_price7->fetch(kindP);
    RowSet piece = m_price->fetch(kindP);

    sheet().adopt(sheetP, std::move(rows));
    m_allPrice->adopt(totalP, std::move(all));
    m_price8->adopt(kindP, std::move(r8));
    m_price7->adopt(kindP, std::move(r7));
    m_price->adopt(kindP, std::move(piece));
}

void MonthSheet::close()
{
    sheet().close();
    m_years->close();
}

} // namespace tabel
