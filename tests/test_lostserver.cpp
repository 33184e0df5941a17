// A connection that goes away under the program: the session ended by an
// administrator (what a server restart or a cut network also does to it).
// The statement that meets it fails with one clear message, nothing of a
// transaction stays half-written, and the next action connects again.
#include "app/startup.h"
#include "data/datamodule.h"
#include "data/dberror.h"
#include "data/transaction.h"
#include "app/errordisplay.h"
#include "modal.h"
#include "testdb.h"

#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

class LostServerTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;

    // Ends every session of the test database, as an administrator would.
    void cutSessions()
    {
        maintenance(QString("select pg_terminate_backend(pid) from pg_stat_activity where datname = '%1'")
                        .arg(m_db->name()));
    }

    int rows()
    {
        return m_dm->control("select count(*) as n from accounts_dep.vid_oper").value(0, "n").toInt();
    }

    // Runs the statement and returns the error it ended with.
    template <class F>
    std::optional<DbError> failure(F &&f)
    {
        try {
            f();
        } catch (const DbError &e) {
            return e;
        }
        return std::nullopt;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect("lost");
    }
    void init() { m_dm->execute("t", "truncate accounts_dep.vid_oper"); }
    void cleanup() { maintenance(QString("alter database %1 allow_connections true").arg(m_db->name())); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    // Whichever way the connection was first opened, it knows how to open
    // it again.
    void nextStatementReconnects_data()
    {
        QTest::addColumn<bool>("background");
        QTest::newRow("opened") << false;
        QTest::newRow("opened on a thread of its own") << true;
    }
    void nextStatementReconnects()
    {
        QFETCH(bool, background);
        DataModule dm(background ? "reopen-background" : "reopen");
        if (background)
            dm.openInBackground(m_db->connectionString());
        else
            dm.open(m_db->connectionString());
        const int pid = dm.control("select pg_backend_pid() as pid").value(0, "pid").toInt();
        const int losses = dm.lossCount();
        maintenance(QString("select pg_terminate_backend(%1)").arg(pid));
        const auto e = failure([&] { dm.control("select 1 as x"); });
        QVERIFY(e);
        QVERIFY(e->connectionLost());
        QCOMPARE(e->text(), QString::fromUtf8(connectionLostMessage));
        QCOMPARE(dm.lossCount(), losses + 1);
        // The next action works in a session set up as the first was.
        QCOMPARE(dm.control("show DateStyle").value(0, "DateStyle").toString(), QString("ISO, DMY"));
        QCOMPARE(dm.control("show jit").value(0, "jit").toString(), QString("off"));
        QVERIFY(!dm.connectionLost());
    }

    // A transaction cut in the middle leaves nothing; the next one works.
    void transactionCutLeavesNothing()
    {
        const auto e = failure([&] {
            Transaction tx(*m_dm);
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (1, 'Резка')");
            cutSessions();
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (2, 'Гибка')");
            tx.commit();
        });
        QVERIFY(e && e->connectionLost());
        QCOMPARE(rows(), 0);
        {
            Transaction tx(*m_dm);
            m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (3, 'Сварка')");
            tx.commit();
        }
        QCOMPARE(rows(), 1);
    }

    // A transaction begun on a connection found lost starts on a new one.
    void transactionAfterLoss()
    {
        cutSessions();
        QVERIFY(failure([&] { m_dm->control("select 1 as x"); }));
        Transaction tx(*m_dm);
        m_dm->execute("t", "insert into accounts_dep.vid_oper(id, vid) values (4, 'Гибка')");
        tx.commit();
        QCOMPARE(rows(), 1);
    }

    // While the server stays away every action says the same, and counts
    // as the one loss; when it is back, work goes on.
    void serverStaysAway()
    {
        cutSessions();
        QVERIFY(failure([&] { m_dm->control("select 1 as x"); }));
        const int losses = m_dm->lossCount();
        maintenance(QString("alter database %1 allow_connections false").arg(m_db->name()));
        for (int i = 0; i < 2; ++i) {
            const auto e = failure([&] { m_dm->control("select 1 as x"); });
            QVERIFY(e && e->connectionLost());
        }
        QCOMPARE(m_dm->lossCount(), losses);
        maintenance(QString("alter database %1 allow_connections true").arg(m_db->name()));
        QCOMPARE(m_dm->control("select 1 as x").value(0, "x").toInt(), 1);
    }

    // The half-minute version check tells of a loss once, however often it
    // runs while the server is away, and again for a later loss.
    void versionGateDoesNotPileUp()
    {
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        BoxWatcher boxes(true);
        auto check = [&] { guarded([&] { startup.versionCheck(); }); };
        cutSessions();
        maintenance(QString("alter database %1 allow_connections false").arg(m_db->name()));
        for (int i = 0; i < 3; ++i)
            check();
        maintenance(QString("alter database %1 allow_connections true").arg(m_db->name()));
        check();
        cutSessions();
        check();
        check();
        QTest::qWait(100);
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[0].text, QString::fromUtf8(connectionLostMessage));
        clearQuitRequest();
    }
};

} // namespace

QTEST_MAIN(LostServerTest)
#include "test_lostserver.moc"
