#include "reference/nomenclature.h"

#include "data/rowfilter.h"

#include <QtMath>

namespace tabel::nomenclature {

QString sql()
{
    return QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption");
}

RowPredicate searchFilter(const QString &text)
{
    return rowfilter::startsWith(QStringLiteral("s_caption"), text);
}

// Classifier ids are numeric columns, which arrive as floating-point values.
static int idAt(const ResultSet &items, int row)
{
    return int(qRound64(items.value(row, QStringLiteral("id")).toDouble()));
}

std::optional<NomenclaturePick> pickCurrent(const ResultSet &items)
{
    if (!items.isOpen() || items.currentRow() < 0)
        return std::nullopt;
    return NomenclaturePick{idAt(items, items.currentRow()),
                            items.value(QStringLiteral("s_caption")).toString()};
}

int rowOf(const ResultSet &items, int id)
{
    for (int row = 0; row < items.rowCount(); ++row)
        if (idAt(items, row) == id)
            return row;
    return -1;
}

} // namespace tabel::nomenclature
