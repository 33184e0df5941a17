#pragma once

#include "data/resultset.h"

#include <QString>
#include <optional>

namespace tabel {
class DataModule;
}

// Operation kinds: names unique whatever their letter case.
namespace tabel::kinds {

inline constexpr const char *incompleteMessage = "Все поля должны быть заполнены!";
inline constexpr const char *duplicateMessage = "Такая операция уже заведена!";
inline constexpr const char *deleteQuestion = "Удалить вид операции?";
// The longest name the table holds.
inline constexpr int maxNameLength = 128;

// Count of kinds whose name in upper case is the given name's; a changed
// kind does not count itself, whatever its id.
QString duplicateSql(const QString &name, std::optional<int> changedKind = std::nullopt);
QString insertSql();  // :vid
QString updateSql();  // :vid, :id
QString deleteSql();  // :id

// Search of the kinds list: names that begin with the text.
RowPredicate searchFilter(const QString &text);

// Writes a new kind (mode 1) or renames the kind kindId (mode 2) with the
// trimmed text in its own letter case. Refuses through the notifier an
// empty name, one with a control character or longer than the column, and
// one that exists already; false then. Database errors are
// thrown.
bool save(DataModule &dm, int mode, int kindId, const QString &text);
// Operations of the kind stay; the operation prices list no longer shows
// them, as it joins the kinds.
void remove(DataModule &dm, int kindId);

} // namespace tabel::kinds
