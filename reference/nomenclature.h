#pragma once

#include "data/resultset.h"
#include "reference/picks.h"

#include <optional>

// Nomenclature items: the level-2 items of the common classifier.
namespace tabel::nomenclature {

QString sql();
// Captions that begin with the text.
RowPredicate searchFilter(const QString &text);
// The item on the query's current row; nothing when no row is shown.
std::optional<NomenclaturePick> pickCurrent(const ResultSet &items);
// The row showing the item, -1 when it is not shown.
int rowOf(const ResultSet &items, qlonglong id);

} // namespace tabel::nomenclature
