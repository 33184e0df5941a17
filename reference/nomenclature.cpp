#include "reference/nomenclature.h"

#include "data/rowfilter.h"

namespace tabel::nomenclature {

QString sql()
{
    return QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption");
}

RowPredicate searchFilter(const QString &text)
{
    return rowfilter::startsWith(QStringLiteral("s_caption"), text);
}

static std::optional<qlonglong> idAt(const ResultSet &items, int row)
{
    return wholeNumber(items.value(row, QStringLiteral("id")));
}

std::optional<NomenclaturePick> pickCurrent(const ResultSet &items)
{
    if (!items.isOpen() || items.currentRow() < 0)
        return std::nullopt;
    const std::optional<qlonglong> id = idAt(items, items.currentRow());
    if (!id)
        return std::nullopt;
    return NomenclaturePick{*id, items.value(QStringLiteral("s_caption")).toString()};
}

int rowOf(const ResultSet &items, qlonglong id)
{
    for (int row = 0; row < items.rowCount(); ++row)
        if (idAt(items, row) == id)
            return row;
    return -1;
}

} // namespace tabel::nomenclature
