#pragma once

#include "app/buildstamp.h"

#include <QString>

namespace tabel {

class DataModule;

// Where the recorded stamp stands against this program's.
enum class StampOrder { RecordOlder, Equal, RecordNewer };
StampOrder compareStamp(int recordDate, int recordTime, BuildStamp program);

struct VersionGateResult
{
    bool outdated = false;  // the database has seen a newer build
    bool recorded = false;  // this build's stamp was written
    QString separator;      // the working decimal separator
};

// Reads the first row of the version record, raises it to this build when
// older (adding the row to an empty table) and reports a newer one. The
// separator is also stored into the data module.
VersionGateResult runVersionGate(DataModule &dm, BuildStamp program);

QString loginCaption(BuildStamp stamp);

inline constexpr const char *outdatedMessage =
    "Версия программы не соответсвует БД! Запустите программу через 5 мин.";
inline constexpr int terminationDelayMs = 5000;
inline constexpr int versionCheckIntervalMs = 30000;

} // namespace tabel
