#include "bench/rebuildreference.h"

#include "data/datamodule.h"

#include <QDate>

namespace tabel {

void referenceRebuild(DataModule &dm, int month, int year)
{
    const QString m = QString::number(month), y = QString::number(year);
    dm.delSmena(QStringLiteral("delete from accounts_dep.h_tabel where month=%1 and year=%2 and "
                               "coalesce(i_type,0) not in (7777, 7778)")
                    .arg(m, y));
    const int days = QDate(year, month, 1).daysInMonth();
    for (int i = 1; i <= days; ++i) {
        const RowSet dt = dm.select(QStringLiteral("dt"),
                                    QStringLiteral("select smena, w_id, sum(time) as tim from "
                                                   "accounts_dep.smena where data=:data group by "
                                                   "smena,w_id;"),
                                    {{QStringLiteral("data"), QDate(year, month, i)}});
        for (int r = 0; r < dt.size(); ++r) {
            const QString w = dt.value(r, QStringLiteral("w_id")).toString();
            const QString s = dt.value(r, QStringLiteral("smena")).toString();
            const QString tim = dt.value(r, QStringLiteral("tim")).toString();
            const int cnt = dm.control(QStringLiteral("select count(w_id) as cnt from "
                                                      "accounts_dep.h_tabel h_tabel where w_id=%1 "
                                                      "and smena=%2 and month=%3 and year=%4")
                                           .arg(w, s, m, y))
                                .value(0, QStringLiteral("cnt"))
                                .toInt();
            if (cnt != 0)
                dm.hTabelIns(QStringLiteral("update accounts_dep.h_tabel set d%1='%2' where w_id=%3 "
                                            "and smena=%4 and month=%5 and year=%6")
                                 .arg(QString::number(i), tim, w, s, m, y));
            else
                dm.hTabelIns(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, "
                                            "year, d%1) values(%2, %3, %4, %5, %6)")
                                 .arg(QString::number(i), s, w, m, y, tim));
        }
    }
}

} // namespace tabel
