#include "data/datamodule.h"

#include "data/cnumbers.h"
#include "data/dberror.h"
#include "data/odbcrows.h"
#include "data/sharedqueries.h"
#include "data/sqltext.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include <algorithm>
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

namespace {

// What every session needs before the program's first statement.
// Some statements write dates as bare 'DD.MM.YYYY' text; the server's own
// default may read them month first. Text values are quoted by doubling
// apostrophes only; a server that still read backslashes as escapes would
// let a name ending in "\" break out of its quotes. The program's
// statements are short; where the server would compile one (its estimate
// of a month's timesheet is far above the real work), compiling costs more
// than it saves: 30 ms of a 70 ms sheet.
// One statement, one trip to the server, on the way to the login window.
const char *const sessionSettings =
    "set DateStyle to 'ISO, DMY'; set standard_conforming_strings to on; set jit to off";

} // namespace

static QString errorText(const QSqlError &e)
{
    // The server's own message is what the user can act on; the driver's
    // part only adds noise.
    const QString text = e.databaseText().trimmed();
    return text.isEmpty() ? e.text() : text;
}

// The words of the driver and the server when the connection is gone.
static bool isConnectionLossText(const QString &text)
{
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
    return false;
}

static bool isConnectionLoss(const QSqlError &e)
{
    // The ODBC state of a broken link, or the words of the driver and the
    // server.
    return e.nativeErrorCode().startsWith(QLatin1String("08"))
        || isConnectionLossText(e.databaseText() + QLatin1Char(' ') + e.driverText());
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

void DataModule::failWithText(const QString &text, const QString &sql)
{
    if (isConnectionLossText(text))
        failWith(QSqlError(text, text, QSqlError::StatementError), sql);
    fail(text, sql);
}

void DataModule::reconnectIfLost()
{
    if (!m_lost)
        return;
    // Within a transaction the statements before the loss are gone with
    // the old session; going on in a new one would keep only half.
    if (m_txDepth > 0)
        throw DbError(QString::fromUtf8(connectionLostMessage), QString(), true);
    // Statements belong to the old connection; they go before it does.
    m_oneShot.reset();
    m_prepared.clear();
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
    m_openError.clear();
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
    execute(QStringLiteral("session"), QLatin1String(sessionSettings));
}

void DataModule::openInBackground(const QString &connectionString)
{
    close();
    // A connection made before belongs to this thread already.
    if (QSqlDatabase::contains(m_connectionName)) {
        open(connectionString);
        return;
    }
    m_openError.clear();
    m_connectionString = connectionString;
    m_lost = false;
    QThread *owner = QThread::currentThread();
    m_opening = std::thread([this, connectionString, owner] {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
        if (!d.isValid()) {
            m_openError = QStringLiteral("QODBC driver not available");
        } else {
            d.setDatabaseName(connectionString);
            if (!d.open()) {
                m_openError = d.lastError().text();
            } else {
                QSqlQuery q(d);
                if (!q.exec(QLatin1String(sessionSettings)))
                    m_openError = q.lastError().databaseText().trimmed();
            }
        }
        // From here on the connection is used by the thread that asked.
        if (d.driver())
            d.driver()->moveToThread(owner);
    });
}

void DataModule::waitUntilOpen()
{
    if (!m_opening.joinable())
        return;
    m_opening.join();
    if (!m_openError.isEmpty()) {
        const QString text = m_openError;
        close();
        fail(text, QString());
    }
}

void DataModule::close()
{
    if (m_opening.joinable())
        m_opening.join();
    // Statements belong to the connection; they go before it does.
    m_oneShot.reset();
    m_prepared.clear();
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
    if (m_opening.joinable())
        const_cast<std::thread &>(m_opening).join();
    return m_openError.isEmpty() && QSqlDatabase::contains(m_connectionName) && db().isOpen();
}

namespace {

// How many statements stay prepared. The program's parameterised
// statements are its fixed named queries, far fewer than this.
constexpr std::size_t preparedKept = 48;

QString preparedKey(const QString &sql, const Params &params)
{
    QString key = sql;
    for (const auto &[param, value] : params)
        key += QLatin1Char('\n') + param + QLatin1Char(' ') + QString::number(value.typeId());
    return key;
}

} // namespace

QSqlQuery &DataModule::prepared(const QString &sql, const Params &params)
{
    // The same statements run again and again with other values (the
    // journal's four shifts on every activation): kept prepared, the
    // server parses and plans each once instead of every time.
    const QString key = preparedKey(sql, params);
    for (auto it = m_prepared.begin(); it != m_prepared.end(); ++it) {
        if (it->first != key)
            continue;
        if (it != m_prepared.begin())
            m_prepared.splice(m_prepared.begin(), m_prepared, it);
        return *m_prepared.front().second;
    }
    auto q = std::make_unique<QSqlQuery>(db());
    q->setForwardOnly(true);
    // numeric and double precision values come as the server's text; see
    // odbc::exactNumber for why.
    q->setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q->prepare(sql)) {
        const QSqlError error = q->lastError();
        failWith(error, sql);
    }
    m_prepared.emplace_front(key, std::move(q));
    if (m_prepared.size() > preparedKept)
        m_prepared.pop_back();
    return *m_prepared.front().second;
}

bool DataModule::isPrepared(const QString &sql, const Params &params) const
{
    const QString key = preparedKey(sql, params);
    return std::any_of(m_prepared.begin(), m_prepared.end(),
                       [&key](const auto &entry) { return entry.first == key; });
}

void DataModule::forgetPrepared(const QSqlQuery &query)
{
    // A statement that failed may have left its server side unusable (a
    // table it reads was re-created); the next use prepares it afresh.
    m_prepared.remove_if([&query](const auto &entry) { return entry.second.get() == &query; });
}

QSqlQuery &DataModule::run(const QString &name, const QString &sql, const Params &params)
{
    waitUntilOpen();
    reconnectIfLost();
    if (m_trace)
        m_trace(name, sql);
    if (params.empty()) {
        m_oneShot.reset();
        m_oneShot = std::make_unique<QSqlQuery>(db());
        QSqlQuery &q = *m_oneShot;
        q.setForwardOnly(true);
        q.setNumericalPrecisionPolicy(QSql::HighPrecision); // see prepared()
        if (!q.exec(sql))
            failWith(q.lastError(), sql);
        return q;
    }
    const bool wasPrepared = isPrepared(sql, params);
    QSqlQuery *q = &prepared(sql, params);
    auto bindAndRun = [&params](QSqlQuery &query) {
        for (const auto &[param, value] : params)
            query.bindValue(QLatin1Char(':') + param, value);
        return query.exec();
    };
    if (bindAndRun(*q))
        return *q;
    // A statement prepared before a table or view it reads was changed
    // (the maintenance command re-creates the products view) is refused
    // once by the server; prepared afresh it runs. Inside a transaction
    // the failure has already doomed the work, so it is not tried again.
    if (wasPrepared && m_txDepth == 0 && !isConnectionLoss(q->lastError())) {
        forgetPrepared(*q);
        q = &prepared(sql, params);
        if (bindAndRun(*q))
            return *q;
    }
    const QSqlError error = q->lastError();
    forgetPrepared(*q);
    failWith(error, sql);
}

RowSet DataModule::select(const QString &name, const QString &sql, const Params &params)
{
    const CNumbers numbers;
    QSqlQuery &q = run(name, sql, params);
    RowSet out;
    const QSqlRecord rec = q.record();
    QVector<bool> numeric(rec.count());
    for (int i = 0; i < rec.count(); ++i) {
        out.columns << rec.fieldName(i);
        numeric[i] = rec.field(i).metaType().id() == QMetaType::Double;
    }
    odbc::Rows read = odbc::readAll(q);
    if (read.outcome == odbc::Rows::Outcome::Failed) {
        q.finish();
        failWithText(read.error, sql);
    }
    if (read.outcome == odbc::Rows::Outcome::Read) {
        out.rows = std::move(read.rows);
    } else {
        while (q.next()) {
            QVector<QVariant> row(rec.count());
            for (int i = 0; i < rec.count(); ++i)
                row[i] = numeric[i] ? odbc::exactNumber(q.value(i)) : q.value(i);
            out.rows.push_back(std::move(row));
        }
        if (q.lastError().isValid()) {
            const QSqlError error = q.lastError();
            q.finish();
            failWith(error, sql);
        }
    }
    // The statement stays prepared; its rows are done with.
    q.finish();
    return out;
}

int DataModule::execute(const QString &name, const QString &sql, const Params &params)
{
    const CNumbers numbers;
    QSqlQuery &q = run(name, sql, params);
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
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
    waitUntilOpen();
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
