#include "data/datamodule.h"

#include "data/dberror.h"
#include "data/sharedqueries.h"
#include "data/sqltext.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <limits>
#include <stdexcept>
#include <string>

namespace tabel {

DataModule::DataModule(const QString &connectionName, QObject *parent)
    : QObject(parent), m_connectionName(connectionName)
{
    setObjectName(QStringLiteral("TDataModule6"));
    m_workers = std::make_unique<ResultSet>(*this, QStringLiteral("Workers"), shared::workersSql());
    m_izdel = std::make_unique<ResultSet>(*this, QStringLiteral("Izdel"), shared::izdelSql());
    m_oper = std::make_unique<ResultSet>(*this, QStringLiteral("Oper"), shared::operSql());
    m_vidOper = std::make_unique<ResultSet>(*this, QStringLiteral("Vid_oper"), shared::vidOperSql());
    for (int s = 1; s <= 4; ++s)
        m_smena[s - 1] = std::make_unique<ResultSet>(*this, QStringLiteral("Smena%1").arg(s),
                                                     shared::smenaSql(s));
    for (int s = 1; s <= 3; ++s)
        m_hTabel[s - 1] = std::make_unique<ResultSet>(*this, QStringLiteral("H_Tabel_%1").arg(s),
                                                      shared::hTabelSql(s));
}

DataModule::~DataModule()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase DataModule::db() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlDatabase DataModule::database() const
{
    return db();
}

void DataModule::fail(const QString &text, const QString &sql) const
{
    if (m_txDepth > 0)
        const_cast<DataModule *>(this)->m_txDoomed = true;
    throw DbError(text, sql);
}

static QString errorText(const QSqlError &e)
{
    // The server's own message is what the user can act on; the driver's
    // part only adds noise.
    const QString text = e.databaseText().trimmed();
    return text.isEmpty() ? e.text() : text;
}

// The words of the driver and the server when the connection is gone.
static bool isConnectionLoss(const QSqlError &e)
{
    const QString text = e.databaseText() + QLatin1Char(' ') + e.driverText();
    static const char *signs[] = {"connection lost", "connection has been lost",
                                  "server closed the connection", "could not send data",
                                  "could not receive data", "no connection to the server",
                                  "terminating connection", "connection not open",
                                  "communication link failure", "the database system is shutting down",
                                  "the database system is starting up", "could not connect to server",
                                  "connection refused"};
    for (const char *sign : signs)
        if (text.contains(QLatin1String(sign), Qt::CaseInsensitive))
            return true;
    // The ODBC state of a broken link.
    return e.nativeErrorCode().startsWith(QLatin1String("08"));
}

void DataModule::failWith(const QSqlError &error, const QString &sql)
{
    if (isConnectionLoss(error)) {
        if (!m_lost)
            ++m_losses;
        m_lost = true;
        if (m_txDepth > 0)
            m_txDoomed = true;
        throw DbError(QString::fromUtf8(connectionLostMessage), sql, true);
    }
    fail(errorText(error), sql);
}

void DataModule::reconnectIfLost()
{
    if (!m_lost)
        return;
    // Within a transaction the statements before the loss are gone with
    // the old session; going on in a new one would keep only half.
    if (m_txDepth > 0)
        throw DbError(QString::fromUtf8(connectionLostMessage), QString(), true);
    QSqlDatabase d = db();
    d.close();
    d.setDatabaseName(m_connectionString);
    if (!d.open())
        throw DbError(QString::fromUtf8(connectionLostMessage), QString(), true);
    m_lost = false;
    startSession();
}

void DataModule::open(const QString &connectionString)
{
    close();
    m_connectionString = connectionString;
    m_lost = false;
    {
        QSqlDatabase d = QSqlDatabase::contains(m_connectionName)
            ? QSqlDatabase::database(m_connectionName, false)
            : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
        if (!d.isValid())
            fail(QStringLiteral("QODBC driver not available"), QString());
        d.setDatabaseName(connectionString);
        if (!d.open())
            fail(d.lastError().text(), QString());
    }
    startSession();
}

void DataModule::startSession()
{
    // Some statements write dates as bare 'DD.MM.YYYY' text; the server's
    // own default may read them month first.
    execute(QStringLiteral("DateStyle"), QStringLiteral("set DateStyle to 'ISO, DMY'"));
    // Text values are quoted by doubling apostrophes only; a server that
    // still read backslashes as escapes would let a name ending in "\"
    // break out of its quotes.
    execute(QStringLiteral("standard_conforming_strings"),
            QStringLiteral("set standard_conforming_strings to on"));
}

void DataModule::close()
{
    for (auto *set : {m_workers.get(), m_izdel.get(), m_oper.get(), m_vidOper.get()})
        if (set)
            set->close();
    for (auto &s : m_smena)
        if (s)
            s->close();
    for (auto &s : m_hTabel)
        if (s)
            s->close();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase d = db();
        if (d.isOpen())
            d.close();
    }
    m_txDepth = 0;
    m_txDoomed = false;
}

bool DataModule::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && db().isOpen();
}


QSqlQuery DataModule::run(const QString &name, const QString &sql, const Params &params)
{
    reconnectIfLost();
    if (m_trace)
        m_trace(name, sql);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    // numeric and double precision values come as the server's text; see
    // exactNumber for why.
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    bool ok;
    if (params.empty()) {
        ok = q.exec(sql);
    } else {
        ok = q.prepare(sql);
        for (const auto &[param, value] : params)
            q.bindValue(QLatin1Char(':') + param, value);
        ok = ok && q.exec();
    }
    if (!ok)
        failWith(q.lastError(), sql);
    return q;
}

static bool isWholeNumberText(const QString &text)
{
    qsizetype i = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    return true;
}

// A numeric or double precision value as the server wrote it. Ids of the
// plant's tables are numeric(18,0): read as a double, an id beyond 2^53
// would turn into its neighbour, and a statement built from it would touch
// another row. So a whole number that fits becomes a qlonglong; any other
// number (prices, amounts, factors) the double the driver itself would have
// made of it, and NULL the null double it gave.
static QVariant exactNumber(const QVariant &raw)
{
    if (raw.isNull())
        return QVariant(QMetaType::fromType<double>());
    const QString text = raw.toString();
    bool ok = false;
    if (isWholeNumberText(text)) {
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return whole;
    }
    const double number = text.toDouble(&ok);
    if (ok)
        return number;
    // The server's spelling of the infinities, which toDouble does not take.
    if (text == QLatin1String("Infinity"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-Infinity"))
        return -std::numeric_limits<double>::infinity();
    return raw;
}

RowSet DataModule::select(const QString &name, const QString &sql, const Params &params)
{
    QSqlQuery q = run(name, sql, params);
    RowSet out;
    const QSqlRecord rec = q.record();
    QVector<bool> numeric(rec.count());
    for (int i = 0; i < rec.count(); ++i) {
        out.columns << rec.fieldName(i);
        numeric[i] = rec.field(i).metaType().id() == QMetaType::Double;
    }
    while (q.next()) {
        QVector<QVariant> row(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row[i] = numeric[i] ? exactNumber(q.value(i)) : q.value(i);
        out.rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        failWith(q.lastError(), sql);
    return out;
}

int DataModule::execute(const QString &name, const QString &sql, const Params &params)
{
    return run(name, sql, params).numRowsAffected();
}

int DataModule::operDel(int id)
{
    return execute(QStringLiteral("Oper_del"), shared::operDelSql(), {{QStringLiteral("id"), id}});
}

ResultSet &DataModule::smena(int shift)
{
    if (shift < 1 || shift > 4)
        shift = 1;
    return *m_smena[shift - 1];
}

ResultSet &DataModule::hTabel(int shift)
{
    // Overtime has no sheet query; handing out another shift's would show
    // the wrong rows without a word.
    if (shift < 1 || shift > 3)
        throw std::out_of_range("no hours-sheet query for shift " + std::to_string(shift));
    return *m_hTabel[shift - 1];
}

ResultSet *DataModule::query(const QString &name)
{
    for (auto *set : {m_workers.get(), m_izdel.get(), m_oper.get(), m_vidOper.get()})
        if (set->name() == name)
            return set;
    for (auto &s : m_smena)
        if (s->name() == name)
            return s.get();
    for (auto &s : m_hTabel)
        if (s->name() == name)
            return s.get();
    return nullptr;
}

bool DataModule::duplicateFound(const QString &countSql, const QString &message)
{
    const RowSet r = control(countSql);
    const int cnt = r.value(0, QLatin1String(shared::countColumn)).toInt();
    if (cnt <= 0)
        return false;
    m_notifier->error(QStringLiteral("Ошибка"), message);
    return true;
}

QString DataModule::rewriteSeparator(const QString &number) const
{
    return sql::rewriteSeparator(number, m_separator);
}

void DataModule::beginTransaction()
{
    if (m_txDepth > 0) {
        ++m_txDepth;
        return;
    }
    reconnectIfLost();
    m_txDoomed = false;
    if (!db().transaction())
        failWith(db().lastError(), QStringLiteral("begin"));
    m_txDepth = 1;
}

void DataModule::commitTransaction()
{
    if (m_txDepth <= 0)
        return;
    if (--m_txDepth > 0)
        return;
    if (m_txDoomed) {
        db().rollback();
        m_txDoomed = false;
        throw DbError(QStringLiteral("Транзакция отменена: одна из её команд не выполнена."));
    }
    if (!db().commit()) {
        const QSqlError error = db().lastError();
        db().rollback();
        failWith(error, QStringLiteral("commit"));
    }
}

void DataModule::rollbackTransaction()
{
    if (m_txDepth <= 0)
        return;
    if (--m_txDepth > 0) {
        // An inner part gave up: the whole operation must not be kept.
        m_txDoomed = true;
        return;
    }
    m_txDoomed = false;
    db().rollback();
}

} // namespace tabel
