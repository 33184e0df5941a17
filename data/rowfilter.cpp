#include "data/rowfilter.h"

namespace tabel::rowfilter {

RowPredicate startsWith(const QString &column, const QString &text)
{
    if (text.isEmpty())
        return nullptr;
    return [column, text](const RowSet &all, int row) {
        return all.value(row, column).toString().startsWith(text, Qt::CaseInsensitive);
    };
}

RowPredicate contains(const QString &column, const QString &text)
{
    if (text.trimmed().isEmpty())
        return nullptr;
    return [column, text](const RowSet &all, int row) {
        return all.value(row, column).toString().contains(text, Qt::CaseInsensitive);
    };
}

} // namespace tabel::rowfilter
