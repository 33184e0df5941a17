#pragma once

#include "data/notifier.h"
#include "data/resultset.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <array>
#include <functional>
#include <list>
#include <memory>
#include <thread>
#include <utility>

namespace tabel {

// The shared data module: the one database connection, the named queries
// several windows share and the scratch statements whose text every user
// replaces. Every failure is thrown as DbError.
//
// A module belongs to the thread that made it: Qt lets a connection be
// used only there, so it is made, opened, used and destroyed in that one
// thread. Threads that work at once each make a module of their own under
// a connection name of their own; nothing else is shared between modules
// (the rules code keeps no state outside the objects it is given).
class DataModule : public QObject
{
    Q_OBJECT
public:
    explicit DataModule(const QString &connectionName = QStringLiteral("tabel"),
                        QObject *parent = nullptr);
    ~DataModule() override;

    // Opens the connection; the session reads bare dates day first.
    void open(const QString &connectionString);
    // A lost connection (server restarted, network cut, session ended by
    // an administrator) fails the statement that meets it with a
    // connectionLost() DbError; the next statement outside a transaction
    // connects again first.
    bool connectionLost() const { return m_lost; }
    // How many times the connection has been lost so far.
    int lossCount() const { return m_losses; }
    // Opens it on a thread of its own, so that windows can be made
    // meanwhile: loading the driver and the server's log-in take longer
    // than the toolkit's whole start. waitUntilOpen(), and any statement,
    // waits for it; a failure is thrown from there.
    void openInBackground(const QString &connectionString);
    void waitUntilOpen();
    void close();
    bool isOpen() const;
    QSqlDatabase database() const;

    // Statement primitives; `name` identifies the statement in traces.
    RowSet select(const QString &name, const QString &sql, const Params &params = {});
    int execute(const QString &name, const QString &sql, const Params &params = {});

    // Scratch statements.
    RowSet control(const QString &sql) { return select(QStringLiteral("Control"), sql); }
    int delSmena(const QString &sql) { return execute(QStringLiteral("DelSmena"), sql); }
    int hTabelIns(const QString &sql) { return execute(QStringLiteral("H_Tabel_ins"), sql); }
    int sqlExec(const QString &sql) { return execute(QStringLiteral("SQL_exec"), sql); }
    int operIns(const QString &sql) { return execute(QStringLiteral("Oper_ins"), sql); }
    int operEd(const QString &sql) { return execute(QStringLiteral("Oper_ed"), sql); }
    int operDel(int id);

    // Named queries.
    ResultSet &workers() { return *m_workers; }
    ResultSet &izdel() { return *m_izdel; }
    ResultSet &oper() { return *m_oper; }
    ResultSet &vidOper() { return *m_vidOper; }
    // Any shift outside 1..4 counts as 1.
    ResultSet &smena(int shift);
    // Shifts 1..3; any other shift throws std::out_of_range.
    ResultSet &hTabel(int shift);
    ResultSet *query(const QString &name);

    // Runs a query returning one row with the column cnt. When cnt > 0 the
    // message is shown as a refusal and true ("found") is returned.
    bool duplicateFound(const QString &countSql, const QString &message = QString());

    // Working decimal separator, loaded from the version record.
    QString separator() const { return m_separator; }
    void setSeparator(const QString &s) { m_separator = s; }
    QString rewriteSeparator(const QString &number) const;

    void setNotifier(Notifier *n) { m_notifier = n ? n : &m_silent; }
    Notifier &notifier() const { return *m_notifier; }

    // Every statement sent, by name and text; tests and diagnostics only.
    using Trace = std::function<void(const QString &name, const QString &sql)>;
    void setTrace(Trace trace) { m_trace = std::move(trace); }

    // Transaction bookkeeping; use the Transaction class, not these.
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_txDepth > 0; }

private:
    QSqlDatabase db() const;
    // The executed statement; a statement with parameters stays prepared
    // on the server for its next use (see run()).
    QSqlQuery &run(const QString &name, const QString &sql, const Params &params);
    QSqlQuery &prepared(const QString &sql, const Params &params);
    bool isPrepared(const QString &sql, const Params &params) const;
    void forgetPrepared(const QSqlQuery &query);
    [[noreturn]] void fail(const QString &text, const QString &sql) const;
    [[noreturn]] void failWith(const QSqlError &error, const QString &sql);
    [[noreturn]] void failWithText(const QString &text, const QString &sql);
    void reconnectIfLost();
    void startSession();

    QString m_connectionName;
    QString m_connectionString;
    bool m_lost = false;
    int m_losses = 0;
    QString m_separator;
    std::unique_ptr<ResultSet> m_workers, m_izdel, m_oper, m_vidOper;
    std::array<std::unique_ptr<ResultSet>, 4> m_smena;
    std::array<std::unique_ptr<ResultSet>, 3> m_hTabel;
    SilentNotifier m_silent;
    Notifier *m_notifier = &m_silent;
    Trace m_trace;
    // Prepared statements by text and parameter types, most recent first;
    // m_oneShot holds the last statement without parameters.
    std::list<std::pair<QString, std::unique_ptr<QSqlQuery>>> m_prepared;
    std::unique_ptr<QSqlQuery> m_oneShot;
    // The opening under way on its own thread, and how it ended.
    std::thread m_opening;
    QString m_openError;
    int m_txDepth = 0;
    bool m_txDoomed = false;
};

} // namespace tabel
