// The journal window and the login in an offscreen session, on a small
// shop: shifts, dates, day off, acceptance, delete, and the role table.
#include "app/controlnames.h"
#include "app/loginwindow.h"
#include "app/roles.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "modal.h"
#include "journal/journalwindow.h"
#include "testdb.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

QDate nextWeekday(QDate d, int weekday)
{
    while (d.dayOfWeek() != weekday)
        d = d.addDays(1);
    return d;
}

} // namespace

class JournalWindowTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    const QDate m_day = nextWeekday(QDate(2026, 3, 2), 4); // a Thursday

    std::unique_ptr<JournalWindow> openJournal(const QString &word = QStringLiteral("5283"))
    {
        auto w = std::make_unique<JournalWindow>(*m_dm);
        w->journal().setLoginWord(word);
        w->journal().setHiddenMark("ta");
        w->show();
        w->setPickedDate(m_day);
        w->changeDate();
        return w;
    }

    QString mark(int id)
    {
        return m_dm->control(QStringLiteral("select ok from accounts_dep.smena where id=%1").arg(id)).value(0, "ok").toString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void init() { loadShop(*m_dm); }
    void cleanup() { clearQuitRequest(); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void shiftSwitchNeedsNoReload()
    {
        addEntry(*m_dm, {.worker = 1, .date = m_day, .shift = 1});
        addEntry(*m_dm, {.worker = 2, .date = m_day, .shift = 4, .hours = 3});
        addEntry(*m_dm, {.worker = 1, .date = m_day, .shift = 4, .hours = 2});
        auto w = openJournal();
        auto *grid = w->findChild<QTableView *>(names::journalGrid);
        QCOMPARE(grid->model()->rowCount(), 1);
        int statements = 0;
        m_dm->setTrace([&](const QString &, const QString &) { ++statements; });
        w->findChild<QAbstractButton *>(names::journalShift4)->click();
        m_dm->setTrace(nullptr);
        QCOMPARE(statements, 0);
        QCOMPARE(w->journal().shift(), 4);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Иванов И.И."));
        QCOMPARE(grid->model()->index(0, 5).data().toString(), QStringLiteral("2"));
        // The amount column shows the rounded amount; "OK" is bold red for "no".
        QCOMPARE(grid->model()->index(0, 8).data().toString(), QStringLiteral("100"));
        QCOMPARE(grid->model()->index(0, 10).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(grid->model()->index(0, 10).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(grid->isColumnHidden(9));
        QCOMPARE(grid->columnWidth(0), 250);
        QCOMPARE(grid->model()->headerData(11, Qt::Horizontal).toString(), QStringLiteral("Заведен"));
        QCOMPARE(grid->model()->index(0, 11).data().toString(), m_day.toString("dd.MM.yyyy"));
    }

    void dateChangeSetsDayOff()
    {
        auto w = openJournal();
        auto *box = w->findChild<QCheckBox *>(names::journalDayOff);
        w->setPickedDate(nextWeekday(m_day, 6));
        w->changeDate();
        QVERIFY(box->isChecked());
        QVERIFY(box->styleSheet().contains("rgb(255, 0, 0)"));
        w->setPickedDate(nextWeekday(m_day, 1));
        // Arrow keys alone do not reload: nothing changes until confirmed.
        QVERIFY(box->isChecked());
        QTest::keyClick(w->findChild<QWidget *>(names::journalDate), Qt::Key_Return);
        QVERIFY(!box->isChecked());
        QCOMPARE(w->journal().date(), nextWeekday(m_day, 1));
        // Closing the calendar confirms the date as Enter does.
        auto *picker = w->findChild<QDateEdit *>(names::journalDate);
        picker->setDate(nextWeekday(m_day, 7));
        QWidget *calendar = picker->calendarWidget()->window();
        // Made when first needed, in Russian, weeks from Monday.
        QCOMPARE(picker->calendarWidget()->locale().language(), QLocale::Russian);
        QCOMPARE(picker->calendarWidget()->firstDayOfWeek(), Qt::Monday);
        calendar->show();
        calendar->hide();
        QTRY_COMPARE(w->journal().date(), nextWeekday(m_day, 7));
        QVERIFY(box->isChecked());
        // Activation on a weekday never clears a ticked box.
        if (!Journal::isWeekend(QDate::currentDate())) {
            box->setChecked(true);
            w->activate();
            QVERIFY(box->isChecked());
            QCOMPARE(w->pickedDate(), QDate::currentDate());
        }
    }

    void comingBackFromAnotherWindowReloadsToday()
    {
        auto w = openJournal();
        QCOMPARE(w->pickedDate(), m_day);
        // A message box closing is not a return to the journal.
        answerNextBox(QMessageBox::Ok);
        QMessageBox box(QMessageBox::Critical, "Ошибка", "x", QMessageBox::Ok, w.get());
        box.exec();
        QTest::qWait(50);
        QCOMPARE(w->pickedDate(), m_day);
        // Another window of the program closing is.
        QDialog other(w.get());
        QTimer::singleShot(50, &other, &QDialog::accept);
        w->runFromJournal([&] { other.exec(); });
        QCOMPARE(w->pickedDate(), QDate::currentDate());
        QCOMPARE(w->journal().date(), QDate::currentDate());
    }

    void doubleClickTogglesAcceptance()
    {
        const int other = addEntry(*m_dm, {.worker = 1, .date = m_day, .ok = "no"});
        const int id = addEntry(*m_dm, {.worker = 2, .date = m_day, .ok = "да"});
        auto w = openJournal();
        auto *grid = w->findChild<QTableView *>(names::journalGrid);
        QCOMPARE(grid->model()->index(1, 10).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        // The second row: the toggle acts on the row under the mouse.
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        auto doubleClick = [&] {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        doubleClick();
        QCOMPARE(mark(id), QStringLiteral("no"));
        doubleClick();
        QCOMPARE(mark(id), QStringLiteral("ok"));
        QCOMPARE(mark(other), QStringLiteral("no"));
        QCOMPARE(grid->model()->index(1, 10).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QCOMPARE(grid->currentIndex().row(), 1);
    }

    void dataEntryLoginCannotAccept()
    {
        const int id = addEntry(*m_dm, {.date = m_day, .ok = "no"});
        auto w = openJournal(QString::fromLatin1(dataEntryWord));
        w->toggleAcceptance();
        QCOMPARE(mark(id), QStringLiteral("no"));
    }

    void deleteAsksAndKeepsTheSheetInStep()
    {
        addEntry(*m_dm, {.worker = 2, .date = m_day, .shift = 1, .hours = 8});
        const int first = addEntry(*m_dm, {.worker = 2, .oper = 12, .product = 502, .date = m_day, .shift = 1, .hours = 3});
        m_dm->execute("t", QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d%1) values (1, 2, %2, %3, 11)")
                               .arg(m_day.day()).arg(m_day.month()).arg(m_day.year()));
        const QString key = QStringLiteral("w_id=2 and smena=1 and month=%1 and year=%2").arg(m_day.month()).arg(m_day.year());
        auto w = openJournal();

        auto no = answerNextBox(QMessageBox::No);
        w->findChild<QAbstractButton *>(names::journalDelete)->click();
        QVERIFY(no->seen);
        QCOMPARE(no->title, QStringLiteral("Удаление"));
        QCOMPARE(no->text, QStringLiteral("Удалить позицию из списка?"));
        QCOMPARE(sheetCell(*m_dm, key, m_day.day()).toInt(), 11);
        QCOMPARE(w->journal().current().rowCount(), 2);

        // Yes on the first row (КН-230, 3 hours): the other entry's 8 remain.
        QCOMPARE(w->journal().current().value("id").toInt(), first);
        answerNextBox(QMessageBox::Yes);
        w->deleteCurrent();
        QCOMPARE(sheetCell(*m_dm, key, m_day.day()).toInt(), 8);
        QCOMPARE(w->journal().current().rowCount(), 1);
        // The last one: the cell is cleared, the row stays.
        answerNextBox(QMessageBox::Yes);
        w->deleteCurrent();
        QVERIFY(sheetCell(*m_dm, key, m_day.day()).isNull());
        QCOMPARE(sheetRows(*m_dm, key), 1);
        // Nothing left: the buttons do nothing.
        w->deleteCurrent();
        w->toggleAcceptance();
    }

    void failedReloadKeepsTheDateAndDeletePostsTheRowsDay()
    {
        const QString key = QStringLiteral("w_id=2 and smena=1 and month=%1 and year=%2").arg(m_day.month()).arg(m_day.year());
        addEntry(*m_dm, {.worker = 2, .date = m_day, .shift = 1, .hours = 8});
        m_dm->execute("t", QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d%1) values (1, 2, %2, %3, 8)")
                               .arg(m_day.day()).arg(m_day.month()).arg(m_day.year()));
        auto w = openJournal();
        QCOMPARE(w->journal().current().rowCount(), 1);

        // The reload for the next day fails in its last query.
        const QDate next = m_day.addDays(1);
        m_dm->smena(4).setSql(m_dm->smena(4).sql().replace("accounts_dep.smena,", "accounts_dep.no_smena,"));
        w->setPickedDate(next);
        auto shown = answerNextBox(QMessageBox::Ok);
        w->changeDate();
        QVERIFY(shown->seen);
        // Coming back from another window fails the same way.
        shown = answerNextBox(QMessageBox::Ok);
        w->activate();
        QVERIFY(shown->seen);
        m_dm->smena(4).setSql(m_dm->smena(4).sql().replace("accounts_dep.no_smena,", "accounts_dep.smena,"));
        // Neither the journal nor the picker moved, and every shift still
        // answers for the old date.
        QCOMPARE(w->journal().date(), m_day);
        QCOMPARE(w->pickedDate(), m_day);
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(m_dm->smena(s).param("data").toDate(), m_day);

        // A delete now posts the day of the removed row, not another one.
        answerNextBox(QMessageBox::Yes);
        w->deleteCurrent();
        QVERIFY(sheetCell(*m_dm, key, m_day.day()).isNull());
        QVERIFY(sheetCell(*m_dm, key, next.day()).isNull());
        QCOMPARE(sheetRows(*m_dm, key), 1);
    }

    void databaseErrorGoesToTheErrorDisplay()
    {
        addEntry(*m_dm, {.date = m_day});
        auto w = openJournal();
        m_dm->execute("t", "alter table accounts_dep.smena rename to smena_gone");
        auto shown = answerNextBox(QMessageBox::Ok);
        w->findChild<QAbstractButton *>(names::journalRefresh)->click();
        m_dm->execute("t", "alter table accounts_dep.smena_gone rename to smena");
        QVERIFY(shown->seen);
        QVERIFY2(shown->text.contains("accounts_dep.smena"), qPrintable(shown->text));
        // The grid keeps what it showed, and the hourglass is gone.
        QCOMPARE(w->findChild<QTableView *>(names::journalGrid)->model()->rowCount(), 1);
        QVERIFY(!QApplication::overrideCursor());
    }

    void hiddenMarkIsNotListed()
    {
        addEntry(*m_dm, {.date = m_day, .ok = "ta"});
        addEntry(*m_dm, {.worker = 2, .date = m_day, .ok = "xx"});
        auto w = openJournal();
        QCOMPARE(w->journal().current().rowCount(), 1);
        auto *grid = w->findChild<QTableView *>(names::journalGrid);
        // An unknown mark shows as not accepted.
        QCOMPARE(grid->model()->index(0, 10).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    }

    void roles_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("off");
        using namespace names;
        const QStringList all{journalAdd, journalEdit, journalDelete, journalShift1, journalShift2,
                              journalShift3, journalShift4, journalDayOff, journalRefresh,
                              journalGrid, journalDate, menuReference, menuTimesheet};
        QTest::newRow("reporting") << "vantor" << all;
        QTest::newRow("data entry") << "gildrew"
                                    << QStringList{journalEdit, journalDelete, menuReference, menuTimesheet};
        QTest::newRow("acceptance") << " pomek"
                                    << QStringList{journalAdd, journalEdit, journalDelete, menuReference, menuTimesheet};
        QTest::newRow("full access") << "  61730482 " << QStringList{};
    }
    void roles()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, off);
        using namespace names;
        const QStringList controls{journalAdd, journalEdit, journalDelete, journalShift1, journalShift2,
                                   journalShift3, journalShift4, journalDayOff, journalRefresh,
                                   journalGrid, journalDate, menuReference, menuTimesheet,
                                   menuReports, journalAux, journalExit};
        JournalWindow journal(*m_dm);
        Session session;
        LoginWindow login(journal, session);
        login.show();
        // Three wrong tries first: each is refused and nothing else happens.
        for (const QString &wrong : {QStringLiteral("VANTOR"), QString(), QStringLiteral("vantor1")}) {
            login.wordField()->setText(wrong);
            auto refusal = answerNextBox(QMessageBox::Ok);
            QVERIFY(!login.login());
            QCOMPARE(refusal->title, QStringLiteral("Ошибка"));
            QCOMPARE(refusal->text, QStringLiteral("Введены неверные данные."));
            QVERIFY(login.isVisible());
        }
        login.wordField()->setText(word);
        QStringList wrongState;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            for (const QString &name : controls) {
                QObject *o = journal.findChild<QAction *>(name);
                bool enabled;
                if (auto *a = qobject_cast<QAction *>(o))
                    enabled = a->isEnabled();
                else
                    enabled = journal.findChild<QWidget *>(name)->isEnabled();
                if (enabled == off.contains(name))
                    wrongState << name;
            }
            checked = journal.isVisible() && !login.isVisible() && journal.journal().shift() == 1;
            journal.reject();
        });
        QVERIFY(login.login());
        QVERIFY(checked);
        QVERIFY2(wrongState.isEmpty(), qPrintable(wrongState.join(", ")));
        QCOMPARE(journal.journal().loginWord(), word.trimmed());
        QVERIFY(journal.journal().current().param("ok") == QStringLiteral("ta"));
        QCOMPARE(int(session.role), int(roleForWord(word)));
    }
};

QTEST_MAIN(JournalWindowTest)
#include "test_journalwindow.moc"
