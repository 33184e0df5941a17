#include "reference/operations.h"

#include "data/datamodule.h"
#include "data/rowfilter.h"
#include "data/sqltext.h"
#include "data/transaction.h"
#include "reference/payprice.h"

#include <limits>

namespace tabel::operations {

QString productKindText(int naimen)
{
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString operationText(const QString &mark, const QString &kind, int naimen)
{
    return QStringList{mark.trimmed(), kind.trimmed(), productKindText(naimen)}.join(QStringLiteral("; "));
}

QString productBeyondIntegerMessage(qlonglong productId)
{
    return QStringLiteral("Изделие с кодом %1 нельзя указать в операции: код изделия в операции не "
                          "может быть больше %2. Операция не записана.")
        .arg(productId)
        .arg(std::numeric_limits<qint32>::max());
}

QString newDuplicateSql(int kindId, int naimen, qlonglong productId)
{
    return QStringLiteral("select count(ID) as cnt from accounts_dep.OPER where vid=%1 and naimen=%2 "
                          "and i_id=%3")
        .arg(sql::integer(kindId), sql::integer(naimen), sql::integer(productId));
}

QString changeDuplicateSql(int kindId, int naimen, qlonglong productId, int operationId)
{
    return QStringLiteral("select count(*) as cnt from accounts_dep.OPER where vid=%1 and naimen=%2 "
                          "and i_id=%3 and id<>%4")
        .arg(sql::integer(kindId), sql::integer(naimen), sql::integer(productId),
             sql::integer(operationId));
}

QString insertSql(int kindId, int naimen, qlonglong productId)
{
    return QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (%1, %2, "
                          "%3, 0)")
        .arg(sql::integer(kindId), sql::integer(naimen), sql::integer(productId));
}

QString updateSql(int kindId, int naimen, qlonglong productId, int operationId)
{
    return QStringLiteral("update accounts_dep.oper set vid=%1, naimen=%2,  i_id=%3 where id=%4")
        .arg(sql::integer(kindId), sql::integer(naimen), sql::integer(productId),
             sql::integer(operationId));
}

QString newIdSql(int kindId, int naimen, qlonglong productId)
{
    return QStringLiteral("select max(id) as id from accounts_dep.oper where vid=%1 and naimen=%2 "
                          "and i_id=%3")
        .arg(sql::integer(kindId), sql::integer(naimen), sql::integer(productId));
}

QString markSql(qlonglong productId)
{
    return QStringLiteral("select marka from accounts_dep.izdel where id=%1").arg(sql::integer(productId));
}

RowPredicate searchFilter(const QString &text)
{
    return rowfilter::contains(QStringLiteral("MARKA"), text);
}

std::optional<int> save(DataModule &dm, const Draft &draft)
{
    if (draft.mark.trimmed().isEmpty() || draft.kind.trimmed().isEmpty()) {
        dm.notifier().error(QStringLiteral("Ошибка"), QString::fromUtf8(incompleteMessage));
        return std::nullopt;
    }
    // Goods ids are numeric(18,0), an operation keeps its product in an
    // integer: such a product cannot be named, and the server would only
    // say "out of range".
    if (draft.productId < std::numeric_limits<qint32>::min()
        || draft.productId > std::numeric_limits<qint32>::max()) {
        dm.notifier().error(QStringLiteral("Ошибка"), productBeyondIntegerMessage(draft.productId));
        return std::nullopt;
    }
    const QString message = QString::fromUtf8(duplicateMessage);
    if (draft.mode == 2) {
        if (dm.duplicateFound(changeDuplicateSql(draft.kindId, draft.naimen, draft.productId,
                                                 draft.operationId),
                              message))
            return std::nullopt;
        dm.operEd(updateSql(draft.kindId, draft.naimen, draft.productId, draft.operationId));
        return draft.operationId;
    }
    if (dm.duplicateFound(newDuplicateSql(draft.kindId, draft.naimen, draft.productId), message))
        return std::nullopt;
    // The new operation's id is read back in the same transaction, so the
    // caller can go on to its first norm.
    Transaction tx(dm);
    dm.operIns(insertSql(draft.kindId, draft.naimen, draft.productId));
    const int id = dm.control(newIdSql(draft.kindId, draft.naimen, draft.productId))
                       .value(0, QStringLiteral("id"))
                       .toInt();
    tx.commit();
    return id;
}

std::optional<OperationPick> pickCurrent(DataModule &dm, const ResultSet &oper,
                                         PayConditions conditions)
{
    if (!oper.isOpen() || oper.currentRow() < 0)
        return std::nullopt;
    OperationPick pick;
    pick.productId = oper.value(QStringLiteral("i_id")).toLongLong();
    pick.operationId = oper.value(QStringLiteral("id")).toInt();
    pick.naimen = oper.value(QStringLiteral("naimen")).toInt();
    pick.basePrice = oper.value(QStringLiteral("cena")).toDouble();
    pick.price = payPrice(pick.basePrice, conditions);

    const RowSet marks = dm.control(markSql(pick.productId));
    // The list joins the products, so the mark is there unless the product
    // went since the list was read; the list's own mark is then the best
    // there is.
    const QString mark = marks.isEmpty() ? oper.value(QStringLiteral("MARKA")).toString()
                                         : marks.value(0, QStringLiteral("marka")).toString();
    pick.text = operationText(mark, oper.value(QStringLiteral("VID")).toString(), pick.naimen);
    return pick;
}

int rowOf(const ResultSet &oper, int operationId)
{
    for (int row = 0; row < oper.rowCount(); ++row)
        if (oper.value(row, QStringLiteral("id")).toInt() == operationId)
            return row;
    return -1;
}

} // namespace tabel::operations
