#include "reference/workers.h"

#include "data/datamodule.h"
#include "data/inputcheck.h"
#include "data/sqltext.h"

namespace tabel::workers {

QString insertSql(const QString &name, const QString &position)
{
    return QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES(%1, %2)")
        .arg(sql::quoted(name), sql::quoted(position));
}

QString updateSql(int id, const QString &name, const QString &position)
{
    return QStringLiteral("UPDATE accounts_dep.person SET fio=%1, s_staffpos_hl=%2 where "
                          "accounts_dep.person.id=%3")
        .arg(sql::quoted(name), sql::quoted(position), sql::integer(id));
}

QString deleteSql(int id)
{
    return QStringLiteral("delete from accounts_dep.person where id =%1").arg(sql::integer(id));
}

QVector<Choice> readChoices(DataModule &dm, const QString &table)
{
    // The table name is one of the constants above, never user text.
    const RowSet rows = dm.select(QStringLiteral("choices"),
                                  QStringLiteral("select id, s_caption from %1 order by s_caption, id")
                                      .arg(table));
    QVector<Choice> out;
    out.reserve(rows.size());
    for (int r = 0; r < rows.size(); ++r)
        out.push_back({rows.value(r, QStringLiteral("id")), rows.value(r, QStringLiteral("s_caption")).toString()});
    return out;
}

bool save(DataModule &dm, int mode, int id, const QString &name, const QString &position)
{
    const QString caption = QStringLiteral("Ошибка");
    const QString fio = name.trimmed();
    if (fio.isEmpty()) {
        dm.notifier().error(caption, QStringLiteral("ФИО нужно заполнить!"));
        return false;
    }
    // The position is a caption of the plant's table, not typed here, so
    // only a length the column cannot take is refused.
    for (const QString &why : {input::lineRefusal(QStringLiteral("ФИО"), fio, maxNameLength),
                               input::lengthRefusal(QStringLiteral("Должность"), position,
                                                    maxPositionLength)}) {
        if (!why.isEmpty()) {
            dm.notifier().error(caption, why);
            return false;
        }
    }
    dm.execute(QStringLiteral("cmd_person"),
               mode == changedWorker ? updateSql(id, fio, position) : insertSql(fio, position));
    return true;
}

} // namespace tabel::workers
