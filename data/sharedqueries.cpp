#include "data/sharedqueries.h"

#include "data/sqltext.h"

namespace tabel::shared {

namespace {

const char *const kNmn =
    "(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn";

} // namespace

QString workersSql()
{
    return QStringLiteral("select * from accounts_dep.person order by fio");
}

QString izdelSql()
{
    return QStringLiteral("select *  from accounts_dep.IZDEL order by marka");
}

QString operSql()
{
    return QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, ") + QString::fromUtf8(kNmn)
        + QStringLiteral(", count(o_id) norma, min(price)::numeric cena, oper.id, oper.i_id, "
                         "oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,"
                         "accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and "
                         "norm.o_id=oper.id and oper.vid=vid_oper.id group by izdel.MARKA, "
                         "vid_oper.VID, oper.NAIMEN, oper.id, oper.i_id, oper.VID order by "
                         "izdel.marka, vid_oper.vid, oper.naimen");
}

QString vidOperSql()
{
    return QStringLiteral("select * from accounts_dep.VID_OPER order by vid");
}

QString smenaSql(int shift)
{
    if (shift < 1 || shift > 4)
        shift = 1;
    const QString head = QStringLiteral(
        "select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id,  "
        "smena.cena,person.s_caption fio, izdel.marka, vid_oper.vid, ")
        + QString::fromUtf8(kNmn)
        + QStringLiteral(
            ", oper.naimen,  smena.brak, smena.kol_vo::numeric, round((kol_vo-brak)*smena.cena::numeric, 2) "
            "as summa, smena.prize, color,time, smena.ok, vvod, smena.id_doc, smena.id_doc_item, "
            "smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use from cmn_contractor.person "
            "person, accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper  "
            "where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or "
            "%2=w_id) and  oper.vid=vid_oper.id and smena.smena=%1 and smena.data=:data "
            "and ")
              .arg(shift)
              .arg(sql::codeAsInteger(QStringLiteral("s_code"), QStringLiteral("t_id")));
    if (shift == 1)
        return head
            + QStringLiteral("ok!=:ok order by  fio, izdel.marka, vid_oper.vid, oper.naimen, color");
    return head + QStringLiteral("ok<>:ok order by  fio");
}

QString hTabelSql(int shift)
{
    const QString sum = sql::daySum();
    return QStringLiteral(
               "select person.s_caption fio, (%1) as summ, case when (%1)=0 then 0 else "
               "(sum(s.cena*(kol_vo-brak))/(%1)) end ::numeric(10,2) as average_price, "
               "sum(s.cena*(kol_vo-brak))::numeric(10,2) as cena_all, h_tabel.* from "
               "accounts_dep.h_tabel, cmn_contractor.person, accounts_dep.smena s where "
               "h_tabel.w_id=%3 and h_tabel.smena=%2 and month=:mnth and "
               "s.w_id = h_tabel.w_id and h_tabel.year=:yea and s.data >=:date1 and s.data "
               "<:date2 group by person.s_caption,h_tabel.w_id,h_tabel.month,h_tabel.year,"
               "h_tabel.smena,h_tabel.id order by fio")
        .arg(sum)
        .arg(shift)
        .arg(sql::codeAsInteger(QStringLiteral("person.s_code"), QStringLiteral("integer")));
}

QString operDelSql()
{
    return QStringLiteral("delete from accounts_dep.oper where id=:id");
}

QString acceptanceToggleSql()
{
    return QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id");
}

} // namespace tabel::shared
