// The login roles end to end: for each login word, every window the
// program creates is inspected and exactly the controls the role table
// names are switched off; everything else is as a full-access user finds
// it. The summary reports window gets its part when it is opened.
#include "app/controlnames.h"
#include "app/loginwindow.h"
#include "app/roles.h"
#include "app/startup.h"
#include "journal/journalwindow.h"
#include "modal.h"
#include "reports/reportswindow.h"
#include "testdb.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

// "window/control" of every named control switched off, in every window
// the program has made, the journal's menus included. A control inside a
// switched-off group counts through its group.
QSet<QString> controlsOff()
{
    QSet<QString> off;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        const QString window = top->objectName();
        if (!window.startsWith("TForm"))
            continue;
        for (QWidget *w : top->findChildren<QWidget *>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")
                && w->testAttribute(Qt::WA_ForceDisabled))
                off << window + "/" + w->objectName();
        for (QAction *a : top->findChildren<QAction *>())
            if (!a->objectName().isEmpty() && !a->isEnabled())
                off << window + "/" + a->objectName();
    }
    return off;
}

struct Seen
{
    QSet<QString> off;
    bool finishedOnly = false;
    bool journalShown = false;
};

class RolesTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;

    // Logs in with the word, opens the summary reports window from the
    // journal's menu and notes what is switched off everywhere.
    Seen loginAs(const QString &word)
    {
        Seen seen;
        Startup startup({20240216, 79175});
        if (!startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}))
            return seen;
        onNextModal<JournalWindow>([&](JournalWindow *journal) {
            seen.journalShown = true;
            onNextModal<SummaryReportsWindow>([&](SummaryReportsWindow *reports) {
                seen.off = controlsOff();
                seen.finishedOnly = reports->findChild<QRadioButton *>("kindFinished")->isChecked();
                reports->reject();
            });
            journal->menuAction("actSummaryReports")->trigger();
            journal->reject();
        });
        startup.login().wordField()->setText(word);
        startup.login().login();
        clearQuitRequest();
        return seen;
    }

private Q_SLOTS:
    void initTestCase() { m_db = std::make_unique<TestDatabase>(); }
    void cleanupTestCase() { m_db.reset(); }

    void eachRoleSwitchesOffExactlyItsControls_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("role");
        QTest::newRow("reporting") << "vantor" << int(Role::Reporting);
        QTest::newRow("data entry") << "gildrew" << int(Role::DataEntry);
        QTest::newRow("acceptance") << "  pomek " << int(Role::Acceptance);
        QTest::newRow("full access") << "61730482" << int(Role::FullAccess);
        QTest::newRow("full access, short code") << "5283" << int(Role::FullAccess);
    }
    void eachRoleSwitchesOffExactlyItsControls()
    {
        QFETCH(QString, word);
        QFETCH(int, role);
        // What a full-access user finds switched off by the windows
        // themselves (read-only fields and the like).
        const Seen full = loginAs("5283");
        QVERIFY(full.journalShown);
        const Seen seen = loginAs(word);
        QVERIFY(seen.journalShown);

        QSet<QString> expected = full.off;
        for (const Restriction &r : restrictionsFor(Role(role)))
            expected << r.window + "/" + r.control;
        const QSet<QString> extra = seen.off - expected;
        const QSet<QString> missing = expected - seen.off;
        QVERIFY2(extra.isEmpty(), qPrintable("switched off beyond the role: " + QStringList(extra.values()).join(", ")));
        QVERIFY2(missing.isEmpty(), qPrintable("left on against the role: " + QStringList(missing.values()).join(", ")));
        QCOMPARE(seen.finishedOnly, fixesFinishedProducts(Role(role)));
        // Every role keeps the reports menu, the auxiliary works and the exit.
        for (const char *kept : {"menuReports", "auxButton", "exitButton"})
            QVERIFY(!seen.off.contains(QString("TForm1/") + kept));
    }

    // The table itself, as the department knows it.
    void roleTable_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QStringList>("off");
        const QStringList reports = {"TForm18/detailWorkersButton", "TForm18/excelButton",
                                     "TForm18/productsButton", "TForm18/workersButton"};
        const QStringList menus = {"TForm1/menuReference", "TForm1/menuTimesheet"};
        QTest::newRow("reporting") << int(Role::Reporting)
                                   << QStringList{"TForm1/DBGrid1", "TForm1/DateT", "TForm1/addButton",
                                                  "TForm1/dayOffBox", "TForm1/deleteButton", "TForm1/editButton",
                                                  "TForm1/refreshButton", "TForm1/shift1Button",
                                                  "TForm1/shift2Button", "TForm1/shift3Button",
                                                  "TForm1/shift4Button"} + menus;
        QTest::newRow("data entry") << int(Role::DataEntry)
                                    << QStringList{"TForm1/deleteButton", "TForm1/editButton"} + menus + reports;
        QTest::newRow("acceptance")
            << int(Role::Acceptance)
            << QStringList{"TForm1/addButton", "TForm1/deleteButton", "TForm1/editButton"} + menus + reports
                + QStringList{"TForm18/kindGroup"};
        QTest::newRow("full access") << int(Role::FullAccess) << QStringList();
    }
    void roleTable()
    {
        QFETCH(int, role);
        QFETCH(QStringList, off);
        QStringList names;
        for (const Restriction &x : restrictionsFor(Role(role)))
            names << x.window + "/" + x.control;
        names.sort();
        off.sort();
        QCOMPARE(names, off);
    }
};

} // namespace

QTEST_MAIN(RolesTest)
#include "test_roles.moc"
