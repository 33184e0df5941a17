#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <functional>

namespace tabel {

class DataModule;

// Copies the department's tables over from its former desktop database.
// The legacy database is the ODBC data source "Tabel" (any driver), the
// target the data source "Tabel_PgSQL"; the journal's own rows are read
// through the program's connection.
struct ImportColumn
{
    enum class Kind { Int, Float, Text };
    QString name;
    Kind kind;
};

struct ImportPair
{
    QString source;     // legacy table, or the journal table of the program's database
    QString target;     // table of the target database
    bool fromMain;      // read through the program's connection
    bool ordered;       // by id; otherwise in stored order
    QVector<ImportColumn> columns;
};

// The seven pairs, in the order they are copied.
const QVector<ImportPair> &importPairs();

struct ImportedTable
{
    QString target;
    int rows = 0;
    // Not replaced, and why.
    QString skipped;
};

inline constexpr const char *legacyConnectionName = "MSA";
inline constexpr const char *targetConnectionName = "PGSQL";
// Data source names with their login; the ODBC plugin puts "DSN=" in front
// of a name that names no driver or server.
inline constexpr const char *legacySource = "Tabel;PWD=pdwqlozte";
inline constexpr const char *targetSource = "Tabel_PgSQL;UID=sys";

class LegacyImport
{
public:
    // Where the copy stands: the target being filled and its rows done.
    using Progress = std::function<void(const QString &target, int done, int total)>;

    // main: the program's connection; target: an open data module on
    // "Tabel_PgSQL" (it may be the same database); legacy: an open
    // connection to "Tabel".
    LegacyImport(DataModule &main, DataModule &target, QSqlDatabase legacy);

    // The whole copy in one transaction of the target: all tables are
    // replaced, or, when anything fails, none is and the DbError names
    // the table and row. Targets that are views (the products of the
    // plant's goods register) are left alone. Afterwards each target's id
    // sequence is set past its largest id.
    QVector<ImportedTable> run(const Progress &progress = {});

private:
    struct Rows
    {
        QVector<QVector<QVariant>> values;
        QVector<QVariant> ids;
    };
    Rows read(const ImportPair &pair);
    void write(const ImportPair &pair, const Rows &rows, const Progress &progress);
    QString rowValues(const ImportPair &pair, const QVector<QVariant> &row) const;
    bool isView(const QString &target);
    void moveSequence(const QString &target);

    DataModule &m_main;
    DataModule &m_target;
    QSqlDatabase m_legacy;
};

// Opens the two connections of the import; throws DbError naming the data
// source that cannot be reached.
QSqlDatabase openLegacyDatabase();

// Brings an older database to the structure the program expects: the
// products view and three columns. Each statement runs on its own; one that
// fails (a column already there) is skipped without a word.
void touchUpSchema(DataModule &dm);
QStringList touchUpStatements();

// The rows copied per table, for the closing message.
QString importSummary(const QVector<ImportedTable> &tables);

} // namespace tabel
