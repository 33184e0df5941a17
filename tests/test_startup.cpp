// Start-up end to end in an offscreen session: the connection failure,
// the login window's caption and the outdated-build termination.
#include "app/connection.h"
#include "app/controlnames.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "data/dberror.h"
#include "journal/journalwindow.h"
#include "testdb.h"
#include "modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <functional>

using namespace tabel;
using namespace tabel::test;

namespace {

QString host()
{
    return qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1");
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    const BuildStamp m_stamp{20240216, 79175};

    void setRecord(int d, int t)
    {
        DataModule dm("setup");
        dm.open(m_db->connectionString());
        dm.execute("t", "truncate accounts_dep.ver");
        dm.execute("t", QStringLiteral("insert into accounts_dep.ver(d, t, delim) values (%1, %2, '.')").arg(d).arg(t));
    }

private Q_SLOTS:
    void initTestCase() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup() { clearQuitRequest(); }
    void cleanupTestCase() { m_db.reset(); }

    void unreachableServerShowsTheMessageAndEnds()
    {
        BoxWatcher watcher(true);
        Startup startup(m_stamp);
        QCOMPARE(startup.run({"factorydb", "127.0.0.9"}), 1);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].title, QStringLiteral("Ошибка!"));
        QCOMPARE(watcher.seen[0].text, QStringLiteral("Подключение к БД отсутсвует!!!"));
    }

    // A machine without the driver or the plugin is told which package to
    // install; other failures get no such advice.
    void missingPackagesNamed_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("plugin");
        QTest::addColumn<QString>("package");
        QTest::newRow("no plugin") << "QODBC driver not available" << false << "libqt6sql6-odbc";
        QTest::newRow("driver not registered")
            << "[unixODBC][Driver Manager]Data source name not found and no default driver specified "
               "QODBC: Unable to connect"
            << true << "odbc-postgresql";
        QTest::newRow("driver library gone")
            << "[unixODBC][Driver Manager]Can't open lib 'psqlodbcw.so' : file not found" << true
            << "odbc-postgresql";
        QTest::newRow("server down") << "could not connect to server: Connection refused" << true << "";
        QTest::newRow("wrong password") << "FATAL: password authentication failed for user \"sys\"" << true
                                        << "";
    }
    void missingPackagesNamed()
    {
        QFETCH(QString, error);
        QFETCH(bool, plugin);
        QFETCH(QString, package);
        const QString advice = missingPackageDiagnosis(error, plugin);
        QCOMPARE(advice.isEmpty(), package.isEmpty());
        QVERIFY(advice.contains(package));
    }

    // The driver manager's own words for a driver nobody registered.
    void unregisteredDriverIsRecognised()
    {
        DataModule dm("nodriver");
        QString error;
        try {
            dm.open("DRIVER={PostgreSQL UNICODE NOT HERE};DATABASE=x;SERVER=127.0.0.1");
        } catch (const DbError &e) {
            error = e.text();
        }
        QVERIFY(missingPackageDiagnosis(error, true).contains("odbc-postgresql"));
    }

    void loginCaptionCarriesTheStamp()
    {
        setRecord(20240216, 79175);
        BoxWatcher watcher(true);
        Startup startup(m_stamp);
        QVERIFY(startup.start({m_db->name(), host()}));
        QTRY_COMPARE(startup.login().windowTitle(), QStringLiteral("Авторизация (build: 20240216.79175)"));
        QVERIFY(watcher.seen.isEmpty());
        QVERIFY(startup.login().isVisible());
        QVERIFY(!startup.journal().isVisible());
        QCOMPARE(startup.journal().versionTimer()->interval(), 30000);
        QVERIFY(startup.journal().versionTimer()->isActive());
        startup.login().close();
    }

    // The program's own run draws the login window before it makes the
    // other windows and asks for the version; both follow at once.
    void loginWindowIsDrawnFirst()
    {
        setRecord(20240216, 79175);
        auto journalMade = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.begin(), windows.end(), [](QWidget *w) {
                return w->objectName() == QLatin1String(names::journalWindow);
            });
        };
        struct FirstPaint : QObject
        {
            std::function<bool()> journalMade;
            bool drawn = false;
            bool journalWhenDrawn = true;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (!drawn && e->type() == QEvent::Paint && o->objectName() == QLatin1String(names::loginWindow)) {
                    drawn = true;
                    journalWhenDrawn = journalMade();
                }
                return false;
            }
        } watch;
        watch.journalMade = journalMade;
        qApp->installEventFilter(&watch);
        Startup startup(m_stamp);
        bool followed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (watch.drawn && journalMade() && startup.login().windowTitle().contains("build")) {
                followed = true;
                startup.requestEnd();
            }
        });
        poll.start(20);
        QTimer::singleShot(20000, [&] { startup.requestEnd(); });
        QCOMPARE(startup.run({m_db->name(), host()}), 0);
        qApp->removeEventFilter(&watch);
        QVERIFY(watch.drawn);
        QVERIFY(!watch.journalWhenDrawn);
        QVERIFY(followed);
    }

    void outdatedBuildEndsWithinFiveSeconds()
    {
        setRecord(20240216, 79176); // one second newer than this build
        BoxWatcher watcher(false);  // nobody dismisses the message
        Startup startup(m_stamp);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(startup.run({m_db->name(), host()}), 0);
        QVERIFY2(clock.elapsed() < 6500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(watcher.seen[0].text,
                 QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
