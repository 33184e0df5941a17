#pragma once

#include "data/resultset.h"
#include "reference/picks.h"

#include <QString>
#include <optional>

namespace tabel {
class DataModule;
}

// Operations: a product, an operation kind and whether the work yields a
// finished product or a blank. At most one operation exists per product,
// kind and flag; its pay price is the lowest of its norm prices.
namespace tabel::operations {

inline constexpr const char *incompleteMessage = "Все поля должны быть заполнены!";
inline constexpr const char *duplicateMessage = "Операция с такими параметрами уже заведена!";
inline constexpr const char *deleteQuestion = "Удалить операцию?";

// "Готовая продукция" for 0, "Заготовки" for anything else.
QString productKindText(int naimen);
// How an entry names its operation: "<mark>; <kind>; <kind of product>".
QString operationText(const QString &mark, const QString &kind, int naimen);

// Count of other operations with the same kind, flag and product.
QString newDuplicateSql(int kindId, int naimen, qlonglong productId);
QString changeDuplicateSql(int kindId, int naimen, qlonglong productId, int operationId);
QString insertSql(int kindId, int naimen, qlonglong productId);
QString updateSql(int kindId, int naimen, qlonglong productId, int operationId);
// The id a new operation got: there is only one per kind, flag and product.
QString newIdSql(int kindId, int naimen, qlonglong productId);
QString markSql(qlonglong productId);

// Search of the operation prices list: marks holding the text anywhere.
RowPredicate searchFilter(const QString &text);

// What the operation price editor holds when "Записать" is pressed.
struct Draft
{
    int mode = 1;          // 1 new, 2 change
    int operationId = 0;   // the operation changed (mode 2)
    qlonglong productId = 0;
    int kindId = 0;
    int naimen = 0;
    QString mark;          // the picked product's mark as shown
    QString kind;          // the picked kind's name as shown
};

// The refusal of a product whose id the operation's integer column cannot
// keep.
QString productBeyondIntegerMessage(qlonglong productId);

// Writes the operation; a new one gets the price 0 of its own and no norm.
// Refuses through the notifier when the product or kind was not picked,
// when the product's id is beyond the integer column that keeps it, or
// when the operation would duplicate another; returns the saved
// operation's id, or nothing when refused. Database errors are thrown.
std::optional<int> save(DataModule &dm, const Draft &draft);

// The pick of the operation on the query's current row, its price raised
// by the pay conditions. Nothing when the query shows no row.
std::optional<OperationPick> pickCurrent(DataModule &dm, const ResultSet &oper,
                                         PayConditions conditions);

// The row showing the operation, -1 when it is not shown.
int rowOf(const ResultSet &oper, int operationId);

} // namespace tabel::operations
