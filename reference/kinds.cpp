#include "reference/kinds.h"

#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/rowfilter.h"
#include "data/sqltext.h"

namespace tabel::kinds {

QString duplicateSql(const QString &name, std::optional<int> changedKind)
{
    QString text = QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=")
        + sql::quoted(name.trimmed().toUpper());
    if (changedKind)
        text += QStringLiteral(" and id<>") + sql::integer(*changedKind);
    return text;
}

QString insertSql()
{
    return QStringLiteral("insert into accounts_dep.vid_oper(vid) values (:vid)");
}

QString updateSql()
{
    return QStringLiteral("update accounts_dep.vid_oper set vid=:vid where id=:id");
}

QString deleteSql()
{
    return QStringLiteral("delete from accounts_dep.vid_oper where id=:id");
}

RowPredicate searchFilter(const QString &text)
{
    return rowfilter::startsWith(QStringLiteral("VID"), text);
}

bool save(DataModule &dm, int mode, int kindId, const QString &text)
{
    const QString name = text.trimmed();
    if (name.isEmpty()) {
        dm.notifier().error(QStringLiteral("Ошибка"), QString::fromUtf8(incompleteMessage));
        return false;
    }
    const QString why = input::lineRefusal(QStringLiteral("Операция"), name, maxNameLength);
    if (!why.isEmpty()) {
        dm.notifier().error(QStringLiteral("Ошибка"), why);
        return false;
    }
    const bool change = mode == 2;
    if (dm.duplicateFound(duplicateSql(name, change ? std::optional<int>(kindId) : std::nullopt),
                          QString::fromUtf8(duplicateMessage)))
        return false;
    if (change)
        dm.execute(QStringLiteral("Vid_oper"), updateSql(),
                   {{QStringLiteral("vid"), name}, {QStringLiteral("id"), kindId}});
    else
        dm.execute(QStringLiteral("Vid_oper"), insertSql(), {{QStringLiteral("vid"), name}});
    return true;
}

void remove(DataModule &dm, int kindId)
{
    dm.execute(QStringLiteral("Vid_oper"), deleteSql(), {{QStringLiteral("id"), kindId}});
}

} // namespace tabel::kinds
