#include "fixtures.h"

#include "data/datamodule.h"
#include "data/sqltext.h"

namespace tabel::test {

static void run(DataModule &dm, const QString &sql)
{
    dm.execute(QStringLiteral("fixture"), sql);
}

void clearAll(DataModule &dm)
{
    run(dm, QStringLiteral(
                "truncate accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, "
                "accounts_dep.oper, accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person, "
                "accounts_dep.ver, cmn_contractor.person, cmn_classifier.item, "
                "cmn_gds_and_srv.gds_and_srv, cmn_department.department, hrms_staffpos.staffpos, "
                "adm_role.roles"));
}

void loadShop(DataModule &dm)
{
    clearAll(dm);
    run(dm, QStringLiteral("insert into accounts_dep.person(id, fio, s_staffpos_hl) values "
                           "(1, 'Иванов Иван Иванович', 'Слесарь'), "
                           "(2, 'Петров Пётр Петрович', 'Маляр')"));
    run(dm, QStringLiteral("insert into cmn_contractor.person(id, s_caption, s_code) values "
                           "(1, 'Иванов И.И.', null), (100, 'Петров П.П.', '2'), "
                           // Other systems' people: codes that are no worker id.
                           "(900, 'ИП Сорокин М.И.', 'ИП-001'), (901, 'Подрядчик', '99999999999'), "
                           "(902, 'Подрядчик с пробелом', U&'\\2009123'), (903, 'Длинный код', repeat('1', 140000))"));
    run(dm, QStringLiteral("insert into cmn_classifier.item(id, id_level, s_caption) values "
                           "(10, 2, 'Кронштейны')"));
    run(dm, QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, massa, "
                           "id_class_item, id_msm_bs) values (501, 'КР-100', 0.05, 10, 6), "
                           "(502, 'КН-230', 0.1, 10, 6)"));
    run(dm, QStringLiteral("insert into accounts_dep.vid_oper(id, vid) values (1, 'Резка'), "
                           "(2, 'Покраска порошковой краской')"));
    run(dm, QStringLiteral("insert into accounts_dep.oper(id, vid, naimen, i_id) values "
                           "(11, 1, 0, 501), (12, 2, 1, 502)"));
    run(dm, QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values "
                           "(11, 100, 0, 12.5), (11, 120, 5, 10), (12, 50, 0, 3)"));
    run(dm, QStringLiteral("insert into accounts_dep.ver(d, t, delim) values (20000101, 0, '.')"));
    // New rows must not collide with the fixed ids above.
    run(dm, QStringLiteral("select setval(pg_get_serial_sequence('accounts_dep.person', 'id'), 100)"));
    run(dm, QStringLiteral("select setval(pg_get_serial_sequence('accounts_dep.oper', 'id'), 100)"));
    run(dm, QStringLiteral("select setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 100)"));
}

void addProductClasses(DataModule &dm)
{
    run(dm, QStringLiteral("insert into cmn_classifier.item(id, id_level, s_caption) values "
                           "(11, 2, 'Профили'), (12, 2, 'Зажимы'), (1, 1, 'Изделия')"));
}

int addEntry(DataModule &dm, const Entry &e)
{
    const RowSet r = dm.select(
        QStringLiteral("fixture"),
        QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, cena, kol_vo, brak, data, "
                       "smena, color, time, vvod, ok, prize, id_doc, id_doc_item, f_gds_qty_use, "
                       "id_gds_use, id_cons_use) values(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, "
                       "%11, %12, 0, 0, 0, 0, 0, 0) returning id")
            .arg(sql::integer(e.worker), sql::integer(e.product), sql::integer(e.oper),
                 sql::price(e.price), sql::integer(e.quantity), sql::integer(e.rejects),
                 sql::date(e.date), sql::integer(e.shift), sql::integer(e.color))
            .arg(sql::integer(e.hours), sql::date(e.date), sql::quoted(e.ok)));
    return r.value(0, QStringLiteral("id")).toInt();
}

int addAuxEntry(DataModule &dm, const AuxEntry &e)
{
    const RowSet r = dm.select(
        QStringLiteral("fixture"),
        QStringLiteral("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, "
                       "i_smena, cnt, price, i_holiday, i_night) values(%1, %2, %3, %4, %5, %6, 1, "
                       "%7, %8, %9, %10) returning id")
            .arg(sql::integer(e.item), sql::integer(e.kind), sql::integer(e.worker), sql::date(e.date),
                 sql::integer(e.date.month()), sql::integer(e.date.year()), sql::integer(e.hours),
                 sql::price(e.price), sql::integer(e.holiday))
            .arg(sql::integer(e.night)));
    return r.value(0, QStringLiteral("id")).toInt();
}

QVariant sheetCell(DataModule &dm, const QString &where, int day)
{
    const RowSet r = dm.control(QStringLiteral("select %1 as v from accounts_dep.h_tabel where %2")
                                    .arg(sql::dayColumn(day), where));
    return r.value(0, QStringLiteral("v"));
}

int sheetRows(DataModule &dm, const QString &where)
{
    return dm.control(QStringLiteral("select count(*) as n from accounts_dep.h_tabel where ") + where)
        .value(0, QStringLiteral("n"))
        .toInt();
}

QStringList sheetVersusJournal(DataModule &dm)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << sql::dayColumn(d);
    const RowSet r = dm.control(
        QStringLiteral(
            "with cells as (select h.w_id, h.smena, make_date(h.year, h.month, g.d) as day, "
            "(array[%1])[g.d] as cell from accounts_dep.h_tabel h cross join generate_series(1, 31) "
            "g(d) where h.i_type = 0 and g.d <= extract(day from make_date(h.year, h.month, 1) + "
            "interval '1 month' - interval '1 day')), totals as (select w_id, smena, data as day, "
            "sum(time) as tim from accounts_dep.smena group by w_id, smena, data) "
            "select coalesce(c.w_id, t.w_id) as w, coalesce(c.smena, t.smena) as s, "
            "to_char(coalesce(c.day, t.day), 'DD.MM.YYYY') as day, c.cell, t.tim, "
            "c.w_id is null as norow from cells c full join totals t on c.w_id = t.w_id and "
            "c.smena = t.smena and c.day = t.day where coalesce(c.cell, 0) <> coalesce(t.tim, 0) "
            "order by 1, 2, 3")
            .arg(days.join(QStringLiteral(", "))));
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << QStringLiteral("worker %1 shift %2 %3: sheet %4, journal %5")
                   .arg(r.value(i, "w").toString(), r.value(i, "s").toString(),
                        r.value(i, "day").toString(),
                        r.value(i, "norow").toBool() ? QStringLiteral("no row")
                                                     : r.value(i, "cell").toString(),
                        r.value(i, "tim").toString());
    return out;
}

QString rowsText(DataModule &dm, const QString &sql)
{
    const RowSet r = dm.control(sql);
    QStringList lines;
    for (const auto &row : r.rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        lines << cells.join(QLatin1Char(','));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace tabel::test

namespace tabel::test {

void addAuxiliaryKinds(DataModule &dm)
{
    run(dm, QStringLiteral("insert into accounts_dep.vid_oper(id, vid) values (7777, 'Хоз. работы'), "
                           "(7778, 'Ср. сдельная')"));
    run(dm, QStringLiteral("insert into accounts_dep.oper(id, vid, naimen, i_id) values "
                           "(7777, 7777, 0, 7777), (7778, 7778, 0, 7777)"));
    run(dm, QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values "
                           "(7777, 0, 0, 150), (7778, 0, 0, 152.5)"));
}

QStringList auxSheetVersusEntries(DataModule &dm)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << sql::dayColumn(d);
    const RowSet r = dm.control(
        QStringLiteral(
            "with cells as (select h.w_id, h.i_type, h.i_night, make_date(h.year, h.month, g.d) as "
            "day, (array[%1])[g.d] as cell from accounts_dep.h_tabel h cross join generate_series(1, "
            "31) g(d) where h.i_type in (7777, 7778) and g.d <= extract(day from make_date(h.year, "
            "h.month, 1) + interval '1 month' - interval '1 day')), totals as (select id_p::integer "
            "as w_id, id_o::integer as i_type, i_night, d_date as day, sum(cnt) as tim from "
            "accounts_dep.fatigue group by id_p, id_o, i_night, d_date) "
            "select coalesce(c.w_id, t.w_id) as w, coalesce(c.i_type, t.i_type) as k, "
            "coalesce(c.i_night, t.i_night) as n, to_char(coalesce(c.day, t.day), 'DD.MM.YYYY') as "
            "day, c.cell, t.tim, c.w_id is null as norow from cells c full join totals t on c.w_id = "
            "t.w_id and c.i_type = t.i_type and c.i_night = t.i_night and c.day = t.day where "
            "coalesce(c.cell, 0) <> coalesce(t.tim, 0) order by 1, 2, 3, 4")
            .arg(days.join(QStringLiteral(", "))));
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << QStringLiteral("worker %1 kind %2 night %3 %4: sheet %5, entries %6")
                   .arg(r.value(i, "w").toString(), r.value(i, "k").toString(),
                        r.value(i, "n").toString(), r.value(i, "day").toString(),
                        r.value(i, "norow").toBool() ? QStringLiteral("no row")
                                                     : r.value(i, "cell").toString(),
                        r.value(i, "tim").toString());
    return out;
}

} // namespace tabel::test
