#pragma once

#include <QString>

// Statement texts of the shared named queries, exactly as the other
// workstations' programs send them.
namespace tabel::shared {

QString workersSql();
QString izdelSql();
QString operSql();
QString vidOperSql();
// Journal of one shift (1..4) for the bound :data, hiding the mark :ok.
QString smenaSql(int shift);
// Hours sheet of one shift (1..3) for :mnth/:yea and amounts in [:date1, :date2).
QString hTabelSql(int shift);
QString operDelSql();
QString acceptanceToggleSql();

// Count query for the duplicate check of hours sheet rows etc. is built by
// the callers; the name of the column they must return:
inline constexpr const char *countColumn = "cnt";

} // namespace tabel::shared
