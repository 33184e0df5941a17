#include "app/versiongate.h"

#include "data/datamodule.h"
#include "data/sqltext.h"

namespace tabel {

StampOrder compareStamp(int recordDate, int recordTime, BuildStamp program)
{
    // The date decides; the time of day only between builds of one date.
    if (recordDate < program.date || (recordDate == program.date && recordTime < program.time))
        return StampOrder::RecordOlder;
    if (recordDate > program.date || (recordDate == program.date && recordTime > program.time))
        return StampOrder::RecordNewer;
    return StampOrder::Equal;
}

VersionGateResult runVersionGate(DataModule &dm, BuildStamp program)
{
    VersionGateResult result;
    const RowSet rec = dm.select(QStringLiteral("Ver"),
                                 QStringLiteral("select ctid::text as row_ref, d, t, delim "
                                                "from accounts_dep.ver limit 1"));
    if (rec.isEmpty()) {
        dm.execute(QStringLiteral("Ver"),
                   QStringLiteral("insert into accounts_dep.ver(d, t) values(%1, %2)")
                       .arg(sql::integer(program.date), sql::integer(program.time)));
        result.recorded = true;
        dm.setSeparator(QString());
        return result;
    }
    result.separator = rec.value(0, QStringLiteral("delim")).toString();
    dm.setSeparator(result.separator);
    const int d = rec.value(0, QStringLiteral("d")).toInt();
    const int t = rec.value(0, QStringLiteral("t")).toInt();
    switch (compareStamp(d, t, program)) {
    case StampOrder::RecordOlder:
        // A plain write without a lock: two new builds starting together
        // both write, and the last one wins, which is harmless.
        dm.execute(QStringLiteral("Ver"),
                   QStringLiteral("update accounts_dep.ver set d=%1, t=%2 where ctid=%3::tid")
                       .arg(sql::integer(program.date), sql::integer(program.time),
                            sql::quoted(rec.value(0, QStringLiteral("row_ref")).toString())));
        result.recorded = true;
        break;
    case StampOrder::RecordNewer:
        result.outdated = true;
        break;
    case StampOrder::Equal:
        break;
    }
    return result;
}

QString loginCaption(BuildStamp stamp)
{
    return QStringLiteral("Авторизация (build: %1.%2)").arg(stamp.date).arg(stamp.time);
}

} // namespace tabel
