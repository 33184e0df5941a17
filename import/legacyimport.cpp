#include "import/legacyimport.h"

#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/sqltext.h"
#include "data/transaction.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <cmath>

namespace tabel {

namespace {

using Kind = ImportColumn::Kind;

constexpr const char *abandoned = "Импорт прерван, данные не изменены.";

// Rows per insert statement: few round trips, and a failing batch is
// retried row by row to name the row that failed.
constexpr int batchSize = 500;

QVector<ImportColumn> columns(std::initializer_list<std::pair<const char *, Kind>> list)
{
    QVector<ImportColumn> out;
    for (const auto &[name, kind] : list)
        out.push_back({QLatin1String(name), kind});
    return out;
}

QString columnList(const ImportPair &pair)
{
    QStringList names;
    for (const ImportColumn &c : pair.columns)
        names << c.name;
    return names.join(QStringLiteral(", "));
}

// A value as text in the user's date format, which the target reads back
// day first.
QString asText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    default:
        return v.toString();
    }
}

// The value written for one column by its copy kind; throws a plain
// message when the legacy value is no number.
QString literal(const QVariant &v, Kind kind)
{
    if (v.isNull())
        return QStringLiteral("null");
    switch (kind) {
    case Kind::Text:
        return sql::quoted(asText(v));
    case Kind::Int: {
        bool ok = false;
        qlonglong n = v.toLongLong(&ok);
        if (!ok) {
            const double d = v.toDouble(&ok);
            if (ok && std::isfinite(d) && std::fabs(d) < 9.2e18)
                n = std::llround(d);
            else
                ok = false;
        }
        if (!ok)
            throw std::invalid_argument(
                QStringLiteral("«%1» не целое число").arg(v.toString()).toStdString());
        return sql::integer(n);
    }
    case Kind::Float: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw std::invalid_argument(
                QStringLiteral("«%1» не число").arg(v.toString()).toStdString());
        return sql::shortestDecimal(d);
    }
    }
    return QStringLiteral("null");
}

} // namespace

const QVector<ImportPair> &importPairs()
{
    static const QVector<ImportPair> pairs = [] {
        QVector<ImportColumn> sheetColumns =
            columns({{"id", Kind::Int}, {"w_id", Kind::Int}, {"month", Kind::Int}, {"year", Kind::Int},
                     {"smena", Kind::Int}});
        for (int d = 1; d <= 31; ++d)
            sheetColumns.push_back({sql::dayColumn(d), Kind::Int});
        return QVector<ImportPair>{
            {QStringLiteral("H_TABEL"), QStringLiteral("accounts_dep.h_tabel"), false, true, sheetColumns},
            {QStringLiteral("IZDEL"), QStringLiteral("accounts_dep.izdel"), false, true,
             columns({{"id", Kind::Int}, {"marka", Kind::Text}, {"nom", Kind::Text}, {"massa", Kind::Float}})},
            {QStringLiteral("NOMENKL"), QStringLiteral("accounts_dep.nomenkl"), false, false,
             columns({{"marka", Kind::Text}, {"nom", Kind::Text}})},
            {QStringLiteral("OPER"), QStringLiteral("accounts_dep.oper"), false, true,
             columns({{"id", Kind::Int}, {"vid", Kind::Int}, {"naimen", Kind::Int}, {"cena", Kind::Float},
                      {"i_id", Kind::Int}})},
            {QStringLiteral("VID_OPER"), QStringLiteral("accounts_dep.vid_oper"), false, true,
             columns({{"id", Kind::Int}, {"vid", Kind::Text}})},
            {QStringLiteral("WORKERS"), QStringLiteral("accounts_dep.workers"), false, true,
             columns({{"id", Kind::Int}, {"fio", Kind::Text}, {"addr", Kind::Text}})},
            {QStringLiteral("smena"), QStringLiteral("accounts_dep.smena"), true, true,
             columns({{"id", Kind::Int}, {"w_id", Kind::Int}, {"i_id", Kind::Int}, {"o_id", Kind::Int},
                      {"kol_vo", Kind::Int}, {"brak", Kind::Int}, {"smena", Kind::Int},
                      {"cena", Kind::Float}, {"color", Kind::Int}, {"ok", Kind::Text},
                      {"data", Kind::Text}, {"time", Kind::Text}, {"vvod", Kind::Text}})},
        };
    }();
    return pairs;
}

LegacyImport::LegacyImport(DataModule &main, DataModule &target, QSqlDatabase legacy)
    : m_main(main), m_target(target), m_legacy(std::move(legacy))
{
}

LegacyImport::Rows LegacyImport::read(const ImportPair &pair)
{
    const QString sql = QStringLiteral("select %1 from %2%3")
                            .arg(columnList(pair),
                                 pair.fromMain ? QStringLiteral("accounts_dep.") + pair.source : pair.source,
                                 pair.ordered ? QStringLiteral(" order by id ASC") : QString());
    Rows rows;
    const int id = pair.columns.front().name == QLatin1String("id") ? 0 : -1;
    if (pair.fromMain) {
        const RowSet set = m_main.select(pair.source, sql);
        rows.values = set.rows;
    } else {
        QSqlQuery q(m_legacy);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            throw DbError(QStringLiteral("Таблица %1 старой базы не читается: %2")
                              .arg(pair.source, q.lastError().text()),
                          sql);
        const int n = int(pair.columns.size());
        while (q.next()) {
            QVector<QVariant> row(n);
            for (int c = 0; c < n; ++c)
                row[c] = q.value(c);
            rows.values.push_back(std::move(row));
        }
        if (q.lastError().isValid())
            throw DbError(QStringLiteral("Таблица %1 старой базы не читается: %2")
                              .arg(pair.source, q.lastError().text()),
                          sql);
    }
    for (const auto &row : rows.values)
        rows.ids.push_back(id >= 0 ? row[id] : QVariant());
    return rows;
}

QString LegacyImport::rowValues(const ImportPair &pair, const QVector<QVariant> &row) const
{
    QStringList values;
    for (int c = 0; c < pair.columns.size(); ++c)
        values << literal(row[c], pair.columns[c].kind);
    return QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
}

void LegacyImport::write(const ImportPair &pair, const Rows &rows, const Progress &progress)
{
    const QString head = QStringLiteral("insert into %1(%2) values ").arg(pair.target, columnList(pair));
    const int total = int(rows.values.size());
    auto failure = [&](int row, const QString &why) {
        const QVariant id = rows.ids.value(row);
        return DbError(QStringLiteral("%1\nТаблица %2, строка %3%4:\n%5")
                           .arg(QString::fromUtf8(abandoned), pair.target)
                           .arg(row + 1)
                           .arg(id.isNull() ? QString() : QStringLiteral(" (id %1)").arg(id.toString()))
                           .arg(why));
    };
    auto values = [&](int row) {
        try {
            return rowValues(pair, rows.values[row]);
        } catch (const std::invalid_argument &e) {
            throw failure(row, QString::fromStdString(e.what()));
        }
    };
    for (int start = 0; start < total; start += batchSize) {
        const int end = std::min(total, start + batchSize);
        QStringList batch;
        for (int r = start; r < end; ++r)
            batch << values(r);
        m_target.execute(QStringLiteral("cmd"), QStringLiteral("savepoint import_batch"));
        try {
            m_target.execute(QStringLiteral("cmd"), head + batch.join(QStringLiteral(", ")));
        } catch (const DbError &batchError) {
            // Find the row the server refuses, to name it.
            try {
                m_target.execute(QStringLiteral("cmd"), QStringLiteral("rollback to savepoint import_batch"));
            } catch (const DbError &) {
                throw failure(start, batchError.text());
            }
            for (int r = start; r < end; ++r) {
                try {
                    m_target.execute(QStringLiteral("cmd"), head + batch[r - start]);
                } catch (const DbError &rowError) {
                    throw failure(r, rowError.text());
                }
            }
            throw failure(start, batchError.text());
        }
        if (progress)
            progress(pair.target, end, total);
    }
}

bool LegacyImport::isView(const QString &target)
{
    const RowSet r = m_target.select(
        QStringLiteral("cmd"),
        QStringLiteral("select relkind::text as kind from pg_class where oid = to_regclass(%1)")
            .arg(sql::quoted(target)));
    return !r.isEmpty() && r.value(0, QStringLiteral("kind")).toString() != QLatin1String("r");
}

void LegacyImport::moveSequence(const QString &target)
{
    // Rows added later must not collide with the legacy ids.
    m_target.select(QStringLiteral("cmd"),
                    QStringLiteral("select setval(pg_get_serial_sequence(%1, 'id'), "
                                   "coalesce(max(id), 0) + 1, false) from %2")
                        .arg(sql::quoted(target), target));
}

QVector<ImportedTable> LegacyImport::run(const Progress &progress)
{
    QVector<ImportedTable> done;
    Transaction tx(m_target);
    for (const ImportPair &pair : importPairs()) {
        ImportedTable table{pair.target, 0, QString()};
        try {
            if (isView(pair.target)) {
                table.skipped = QStringLiteral("представление справочника товаров, не заменяется");
                done.push_back(table);
                continue;
            }
            // Read whole before the delete: the journal's source may be the
            // very table being replaced.
            const Rows rows = read(pair);
            if (progress)
                progress(pair.target, 0, int(rows.values.size()));
            m_target.execute(QStringLiteral("cmd"),
                             QStringLiteral("delete from %1 where id>0").arg(pair.target));
            write(pair, rows, progress);
            moveSequence(pair.target);
            table.rows = int(rows.values.size());
        } catch (const DbError &e) {
            if (e.text().startsWith(QString::fromUtf8(abandoned)))
                throw;
            throw DbError(QStringLiteral("%1\nТаблица %2:\n%3")
                              .arg(QString::fromUtf8(abandoned), pair.target, e.text()),
                          e.sql());
        }
        done.push_back(table);
    }
    tx.commit();
    return done;
}

QSqlDatabase openLegacyDatabase()
{
    const QString name = QLatin1String(legacyConnectionName);
    QSqlDatabase db = QSqlDatabase::contains(name)
        ? QSqlDatabase::database(name, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    if (!db.isOpen()) {
        db.setDatabaseName(QLatin1String(legacySource));
        if (!db.open())
            throw DbError(QStringLiteral("Старая база (источник данных ODBC «Tabel») недоступна:\n%1")
                              .arg(db.lastError().text()));
    }
    return db;
}

QStringList touchUpStatements()
{
    return {QStringLiteral(
                "drop view accounts_dep.izdel;\nCREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT "
                "gds.s_caption AS marka,\tgds.id_class_item, gds.id, gds.massa, gds.id_class_item AS "
                "id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, "
                "cmn_classifier.item i WHERE gds.id_class_item::numeric = i.id::numeric;"),
            QStringLiteral("ALTER TABLE accounts_dep.fatigue add i_holiday int DEFAULT 0 NULL;"),
            QStringLiteral("ALTER TABLE accounts_dep.fatigue ADD i_night int DEFAULT 0 NULL;"),
            QStringLiteral("ALTER TABLE accounts_dep.h_tabel ADD i_night int DEFAULT 0 NULL;")};
}

void touchUpSchema(DataModule &dm)
{
    for (const QString &statement : touchUpStatements()) {
        try {
            dm.execute(QStringLiteral("DB_struct"), statement);
        } catch (const DbError &) {
            // Already in place.
        }
    }
}

QString importSummary(const QVector<ImportedTable> &tables)
{
    QStringList lines{QStringLiteral("Импорт завершён. Скопировано строк:")};
    for (const ImportedTable &t : tables)
        lines << (t.skipped.isEmpty() ? QStringLiteral("%1: %2").arg(t.target).arg(t.rows)
                                      : QStringLiteral("%1: %2").arg(t.target, t.skipped));
    return lines.join(QLatin1Char('\n'));
}

} // namespace tabel
