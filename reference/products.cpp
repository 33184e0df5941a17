#include "reference/products.h"

#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/sharedqueries.h"
#include "data/sqltext.h"
#include "data/transaction.h"

#include <QDateTime>
#include <algorithm>
#include <limits>

namespace tabel {

namespace productsql {

QString operationCount()
{
    return QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii");
}

QString entryCount()
{
    return QStringLiteral(
        "select count(*) as cnt from accounts_dep.smena s where s.i_id =:id_ii and s.\"data\">=:dt");
}

QString deleteOperations(qlonglong productId)
{
    return QStringLiteral("delete from accounts_dep.oper o where o.i_id =") + sql::integer(productId);
}

QString deleteEntries(qlonglong productId)
{
    return QStringLiteral("delete from accounts_dep.smena s where s.i_id =") + sql::integer(productId);
}

QString deleteProduct(qlonglong productId)
{
    return QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=") + sql::integer(productId);
}

QString duplicateCount(const QString &upperMark)
{
    return QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)=")
        + sql::quoted(upperMark);
}

QString duplicateCount(const QString &upperMark, qlonglong exceptId)
{
    return duplicateCount(upperMark) + QStringLiteral("and id<>") + sql::integer(exceptId);
}

QString insert(const QString &mark, const QString &value, qlonglong classId)
{
    return QStringLiteral("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, "
                          "id_msm_bs, massa, id_class_item)VALUES(")
        + sql::quoted(mark) + QStringLiteral(", '', 6, ") + value + QLatin1Char(',')
        + sql::integer(classId) + QLatin1Char(')');
}

QString update(qlonglong id, const QString &mark, const QString &value, qlonglong classId)
{
    return QStringLiteral("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption=") + sql::quoted(mark)
        + QStringLiteral(", s_description='', id_msm_bs=6, massa=") + value
        + QStringLiteral(", id_class_item=") + sql::integer(classId) + QStringLiteral(" where id=")
        + sql::integer(id);
}

QString classes()
{
    return QStringLiteral(
        "select id, s_caption from cmn_classifier.item where id_level=2 order by s_caption");
}

} // namespace productsql

QString separatorMessage(const QString &separator)
{
    return QStringLiteral("Расценка не записана: разделителем дробной части в базе задан «%1», а сервер "
                          "читает числа только с точкой. Разделитель задаётся в accounts_dep.ver "
                          "(поле delim).")
        .arg(separator);
}

bool isDecimalText(const QString &text)
{
    int digits = 0;
    int separators = 0;
    for (const QChar c : text) {
        // Only ASCII digits: QChar::isDigit would let other scripts' digits
        // through, which the server does not read as numbers.
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.') || c == QLatin1Char(','))
            ++separators;
        else
            return false;
    }
    return digits > 0 && separators <= 1;
}

QDate entryThreshold(const QDate &today)
{
    const int month = today.month() == 1 ? 12 : today.month() - 1;
    return QDate(2000, month, 1);
}

RowSet ProductEditing::classes()
{
    return m_dm.select(QStringLiteral("Classes"), productsql::classes());
}

QString ProductEditing::valueText(const ProductDraft &draft) const
{
    const QString typed = draft.value.trimmed();
    if (draft.mode != 2)
        return typed;
    // Without a working separator the rewrite would glue the digits
    // together (1.5 would be stored as 15); the server reads a point.
    const QString separator = m_dm.separator().isEmpty() ? QStringLiteral(".") : m_dm.separator();
    return sql::rewriteSeparator(typed, separator);
}

bool ProductEditing::save(const ProductDraft &draft)
{
    const QString caption = QStringLiteral("Ошибка");
    const QString mark = draft.mark.trimmed();
    if (mark.isEmpty() || draft.value.trimmed().isEmpty() || !draft.classId) {
        m_dm.notifier().error(caption, QString::fromUtf8(allFieldsMessage));
        return false;
    }
    const QString why = input::lineRefusal(QStringLiteral("Марка"), mark, maxMarkLength);
    if (!why.isEmpty()) {
        m_dm.notifier().error(caption, why);
        return false;
    }
    if (!isDecimalText(draft.value.trimmed())) {
        m_dm.notifier().error(caption, QString::fromUtf8(badValueMessage));
        return false;
    }
    // What goes into the statement: the working separator comes from the
    // version record, and the server reads a number only with a point. Any
    // other separator there would make the number into something else or
    // a failed statement, which is not the user's typing to blame.
    const QString value = valueText(draft);
    if (!std::all_of(value.cbegin(), value.cend(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
        })) {
        m_dm.notifier().error(caption, separatorMessage(m_dm.separator()));
        return false;
    }
    if (std::count_if(value.cbegin(), value.cend(), [](QChar c) { return c.isDigit(); })
        > maxValueDigits) {
        m_dm.notifier().error(caption, QString::fromUtf8(longValueMessage));
        return false;
    }
    const QString upper = mark.toUpper();
    const QString countSql = draft.mode == 2 ? productsql::duplicateCount(upper, draft.id)
                                             : productsql::duplicateCount(upper);
    if (m_dm.duplicateFound(countSql, QString::fromUtf8(duplicateMarkMessage)))
        return false;
    m_dm.sqlExec(draft.mode == 2 ? productsql::update(draft.id, mark, value, *draft.classId)
                                 : productsql::insert(mark, value, *draft.classId));
    return true;
}

ProductDeletion::ProductDeletion(DataModule &dm, Today today)
    : m_dm(dm), m_today(today ? std::move(today) : Today([] { return QDate::currentDate(); }))
{
}

ProductDeletion::Counts ProductDeletion::count(qlonglong productId)
{
    // Operations and entries name their product in integer columns, so none
    // can name a product beyond that range; the server would refuse such an
    // id as the parameter instead of counting nothing.
    if (productId < std::numeric_limits<qint32>::min()
        || productId > std::numeric_limits<qint32>::max())
        return {};
    const QString cnt = QLatin1String(shared::countColumn);
    const QVariant id = productId;
    Counts c;
    const RowSet entries = m_dm.select(
        QStringLiteral("Izdel_Smena"), productsql::entryCount(),
        {{QStringLiteral("id_ii"), id},
         {QStringLiteral("dt"), QDateTime(entryThreshold(m_today()), QTime(0, 0))}});
    c.entries = entries.value(0, cnt).toInt();
    const RowSet operations = m_dm.select(QStringLiteral("ii_oper"), productsql::operationCount(),
                                          {{QStringLiteral("id_ii"), id}});
    c.operations = operations.value(0, cnt).toInt();
    return c;
}

ProductDeletion::Plan ProductDeletion::decide(qlonglong productId, const Counts &counts, const Ask &ask)
{
    Plan plan;
    plan.productId = productId;
    if (counts.operations > 0)
        plan.operations = ask(QString::fromUtf8(pricesQuestion));
    if (counts.entries > 0) {
        plan.entries = ask(QString::fromUtf8(entriesQuestion));
        plan.product = plan.entries;
    } else {
        plan.product = ask(QString::fromUtf8(productQuestion));
    }
    return plan;
}

void ProductDeletion::run(const Plan &plan)
{
    if (!plan.any())
        return;
    Transaction tx(m_dm);
    if (plan.operations)
        m_dm.delSmena(productsql::deleteOperations(plan.productId));
    if (plan.entries)
        m_dm.delSmena(productsql::deleteEntries(plan.productId));
    if (plan.product)
        m_dm.delSmena(productsql::deleteProduct(plan.productId));
    tx.commit();
}

ProductDeletion::Plan ProductDeletion::remove(qlonglong productId, const Ask &ask)
{
    const Plan plan = decide(productId, count(productId), ask);
    run(plan);
    m_dm.izdel().reopen();
    return plan;
}

} // namespace tabel
