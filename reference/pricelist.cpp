#include "reference/pricelist.h"

#include "data/datamodule.h"
#include "reference/operations.h"
#include "reports/spreadsheet.h"

namespace tabel::pricelist {

QString sql()
{
    return QStringLiteral(
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN "
        "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, "
        "oper.i_id,  oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,"
        "accounts_dep.VID_OPER where OPER.i_id=IZDEL.id  and oper.vid=vid_oper.id order by "
        "izdel.marka, vid_oper.vid, oper.naimen");
}

QString priceText(double value, const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(value, 'g', 15);
}

QVector<Cell> cells(const RowSet &rows, const QLocale &locale)
{
    QVector<Cell> out;
    out.reserve((rows.size() + 1) * 4);
    const QStringList headings{QStringLiteral("Марка"), QStringLiteral("Операция"),
                               QStringLiteral("Цена"), QStringLiteral("Вид")};
    for (int c = 0; c < headings.size(); ++c)
        out.push_back({c + 1, 1, headings.at(c)});
    for (int r = 0; r < rows.size(); ++r) {
        const int row = r + 2;
        out.push_back({1, row, rows.value(r, QStringLiteral("MARKA")).toString()});
        out.push_back({2, row, rows.value(r, QStringLiteral("VID")).toString()});
        out.push_back({3, row, priceText(rows.value(r, QStringLiteral("cena")).toDouble(), locale)});
        out.push_back({4, row,
                       operations::productKindText(rows.value(r, QStringLiteral("NAIMEN")).toInt())});
    }
    return out;
}

RowSet read(DataModule &dm)
{
    return dm.select(QStringLiteral("XLS_Rep"), sql());
}

bool write(const RowSet &rows, Spreadsheet &sheet)
{
    if (sheet.openSpreadsheet(QString()) == -1)
        return false;
    // A cell that cannot be written has been reported; the rest still go.
    for (const Cell &c : cells(rows))
        sheet.writeCell(1, c.column, c.row, c.text);
    sheet.setSpreadsheetVisible(true);
    return true;
}

} // namespace tabel::pricelist
