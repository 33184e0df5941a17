#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace tabel {

class DataModule;

// The department's own list of workers (accounts_dep.person).
namespace workers {

QString insertSql(const QString &name, const QString &position);
QString updateSql(int id, const QString &name, const QString &position);
QString deleteSql(int id);

// One entry of the editor's selectors: a row of a plant-wide table.
struct Choice
{
    QVariant id;
    QString caption;
};
// The rows of a selector's table (department, staff position, role), by
// caption.
QVector<Choice> readChoices(DataModule &dm, const QString &table);
inline constexpr const char *departmentTable = "cmn_department.department";
inline constexpr const char *staffPositionTable = "hrms_staffpos.staffpos";
inline constexpr const char *roleTable = "adm_role.roles";

// What the columns of accounts_dep.person hold.
inline constexpr int maxNameLength = 254;
inline constexpr int maxPositionLength = 254;

inline constexpr int newWorker = 1;
inline constexpr int changedWorker = 2;

// Writes a new (mode 1) or changed (mode 2) worker. The name is stored
// without surrounding blanks; a blank name, a name with a control
// character, and a name or position longer than its column are refused
// with the notifier and nothing is written. False when refused.
bool save(DataModule &dm, int mode, int id, const QString &name, const QString &position);

} // namespace workers
} // namespace tabel
