// The version gate against the version record of a real database.
#include "app/versiongate.h"
#include "data/datamodule.h"
#include "testdb.h"

#include <QtTest>

using namespace tabel;
using namespace tabel::test;

class VersionGateTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    const BuildStamp m_program{20240216, 79175};

    QPair<int, int> recorded()
    {
        const RowSet r = m_dm->control("select d, t from accounts_dep.ver");
        return {r.value(0, "d").toInt(), r.value(0, "t").toInt()};
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void gate_data()
    {
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("t");
        QTest::addColumn<bool>("outdated");
        QTest::addColumn<int>("afterD");
        QTest::addColumn<int>("afterT");
        QTest::newRow("older build recorded: raised") << 20240101 << 5 << false << 20240216 << 79175;
        QTest::newRow("same build: untouched") << 20240216 << 79175 << false << 20240216 << 79175;
        QTest::newRow("newer by one second: stopped") << 20240216 << 79176 << true << 20240216 << 79176;
        QTest::newRow("older date, later time: raised") << 20240215 << 86399 << false << 20240216 << 79175;
        QTest::newRow("newer date, earlier time: stopped") << 20240217 << 1 << true << 20240217 << 1;
    }
    void gate()
    {
        QFETCH(int, d);
        QFETCH(int, t);
        QFETCH(bool, outdated);
        QFETCH(int, afterD);
        QFETCH(int, afterT);
        m_dm->execute("t", "truncate accounts_dep.ver");
        m_dm->execute("t", QStringLiteral("insert into accounts_dep.ver(d, t, delim) values (%1, %2, ',')").arg(d).arg(t));
        const VersionGateResult r = runVersionGate(*m_dm, m_program);
        QCOMPARE(r.outdated, outdated);
        QCOMPARE(r.separator, QStringLiteral(","));
        QCOMPARE(m_dm->separator(), QStringLiteral(","));
        QCOMPARE(recorded(), qMakePair(afterD, afterT));
    }

    void emptyTableGetsTheRow()
    {
        m_dm->execute("t", "truncate accounts_dep.ver");
        m_dm->setSeparator(".");
        const VersionGateResult r = runVersionGate(*m_dm, m_program);
        QVERIFY(!r.outdated);
        QVERIFY(r.recorded);
        QCOMPARE(m_dm->separator(), QString());
        QCOMPARE(recorded(), qMakePair(20240216, 79175));
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.ver").value(0, "n").toInt(), 1);
        // The second copy of the same build passes and writes nothing.
        QVERIFY(!runVersionGate(*m_dm, m_program).recorded);
    }

    void onlyTheFirstRowIsWritten()
    {
        m_dm->execute("t", "truncate accounts_dep.ver");
        m_dm->execute("t", "insert into accounts_dep.ver(d, t, delim) values (20200101, 0, '.')");
        m_dm->execute("t", "insert into accounts_dep.ver(d, t, delim) values (20200101, 0, '.')");
        runVersionGate(*m_dm, m_program);
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.ver where d=20240216").value(0, "n").toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(VersionGateTest)
#include "test_versiongate.moc"
