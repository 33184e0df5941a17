#include "reports/reportqueries.h"

#include "data/sqltext.h"

namespace tabel::reports {

namespace {

// Worker codes are the plant's text; one that is not a whole number
// matches nobody instead of failing the report.
QString code(const QString &type = QStringLiteral("integer"))
{
    return sql::codeAsInteger(QStringLiteral("s_code"), type);
}

} // namespace

QString workerSummarySql()
{
    return QStringLiteral(
               "select person.s_caption fio, sum(smena.kol_vo-smena.brak)::numeric as kolvo,  "
               "sum((kol_vo-brak)*smena.cena) as summa,vid_oper.vid, izdel.nom, oper.naimen, color "
               "from cmn_contractor.person person,accounts_dep.smena,accounts_dep.izdel,"
               "accounts_dep.vid_oper, accounts_dep.oper where w_id=%1 and izdel.id=smena.i_id "
               "and vid_oper.id=oper.vid and oper.id=smena.o_id and smena.data<:data2 and "
               "smena.data>=:data1  group by fio, izdel.nom, oper.naimen, vid_oper.vid, color "
               "order by fio, izdel.nom")
        .arg(code());
}

QString productSummarySql()
{
    return QStringLiteral(
        "select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid, izdel.nom, "
        "oper.naimen, color,  round((izdel.massa*sum(smena.kol_vo-smena.brak))::numeric,2) as "
        "mass from accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper "
        "where izdel.id=smena.i_id and vid_oper.id=oper.vid and oper.id=smena.o_id and "
        "smena.data<:data2 and smena.data>=:data1  group by izdel.nom,color, oper.naimen, "
        "vid_oper.vid, izdel.massa order by izdel.nom");
}

QString workerDetailSql()
{
    // The bonus is the entry's own price and percent: oper has a cena of
    // its own, so a bare name would be ambiguous and refused.
    return QStringLiteral(
               "select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen,  "
               "sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, "
               "sum((kol_vo-brak)* smena.cena) as summa, color, "
               "sum(smena.prize*(kol_vo-brak)*smena.cena/100) as s_prize  from "
               "cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,"
               "accounts_dep.smena,accounts_dep.vid_oper where  smena.o_id=oper.id and "
               "smena.w_id=%1 and smena.i_id=izdel.id  and smena.o_id=oper.id and w_id=%1 and "
               "oper.vid=vid_oper.id  and smena.data<:data2 and smena.data>=:data1 group by fio, "
               "marka,  vid_oper.vid, oper.naimen, color order by fio, marka, vid_oper.vid, "
               "oper.naimen")
        .arg(code());
}

QString productDetailSql()
{
    return QStringLiteral(
        "select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom, "
        "sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk,  "
        "sum((kol_vo-brak)*smena.cena) as summa, color, "
        "round((izdel.massa*sum(smena.kol_vo))::numeric,2) as mass  from "
        "accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where "
        "smena.o_id=oper.id and smena.i_id=izdel.id  and smena.o_id=oper.id and "
        "oper.vid=vid_oper.id and smena.data<:data2 and  smena.data>=:data1 group by izdel.nom, "
        "marka, vid_oper.vid, oper.naimen, color,massa  order by izdel.nom,marka, vid_oper.vid, "
        "oper.naimen");
}

QString hoursSheetSql()
{
    return QStringLiteral(
               "select person.s_caption fio,sum(d1) as sd1,sum(d2) as sd2,sum(d3) as sd3,sum(d4) as "
               "sd4, sum(d5) as sd5,sum(d6) as sd6,sum(d7) as sd7,sum(d8) as sd8,sum(d9) as sd9, "
               "sum(d10) as sd10,sum(d11) as sd11,sum(d12) as sd12,sum(d13) as sd13, sum(d14) as "
               "sd14,sum(d15) as sd15,sum(d16) as sd16,sum(d17) as sd17, sum(d18) as sd18,sum(d19) "
               "as sd19,sum(d20) as sd20,sum(d21) as sd21, sum(d22) as sd22,sum(d23) as "
               "sd23,sum(d24) as sd24,sum(d25) as sd25, sum(d26) as sd26,sum(d27) as sd27,sum(d28) "
               "as sd28,sum(d29) as sd29, sum(d30) as sd30,sum(d31) as sd31 from "
               "accounts_dep.h_tabel, cmn_contractor.person person where h_tabel.w_id=%1 and "
               "month=:mnth and year=:yea group by fio order by fio")
        .arg(sql::codeAsInteger(QStringLiteral("person.s_code"), QStringLiteral("t_integer")));
}

QString summaryExportSql()
{
    return QStringLiteral(
        "select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid, izdel.nom, "
        "oper.naimen, color,izdel.massa*sum(smena.kol_vo-smena.brak) as mass  from "
        "accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper where "
        "izdel.id=smena.i_id and vid_oper.id=oper.vid and oper.id=smena.o_id and "
        "smena.data<:data2 and smena.data>=:data1  group by izdel.nom,color, oper.naimen, "
        "vid_oper.vid, izdel.massa order by izdel.nom");
}

} // namespace tabel::reports
