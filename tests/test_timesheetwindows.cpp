// The timesheet windows in an offscreen session on a small shop: the hours
// timesheet's preset month and year list, its shift grids with weekend and
// hour colours, the rebuild with its bar, the print heading, the export
// read back from the saved workbook; the monthly timesheet's sheets, day
// columns and totals; and how the journal's menu opens them.
#include "app/errordisplay.h"
#include "app/resultgrid.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "journal/hoursposting.h"
#include "journal/journalwindow.h"
#include "modal.h"
#include "reports/spreadsheet.h"
#include "testdb.h"
#include "timesheets/hourstimesheetwindow.h"
#include "timesheets/monthtimesheetwindow.h"
#include "timesheets/rebuild.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kMoneyGreen(192, 220, 192);

QDate mar(int day)
{
    return {2026, 3, day};
}

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QVariant cell(ResultGrid *grid, int row, int column, int role)
{
    return grid->model()->data(grid->model()->index(row, column), role);
}

QVariant title(ResultGrid *grid, int section, int role)
{
    return grid->model()->headerData(section, Qt::Horizontal, role);
}

} // namespace

class TimesheetWindowsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    MessageBoxNotifier m_boxes;

    void posted(const Entry &e)
    {
        addEntry(*m_dm, e);
        HoursPosting(*m_dm).save(pieceWorkKey(e.worker, e.shift, e.date));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        // The program's own connection name is left to the start-up test.
        m_dm = m_db->connect("windows test");
        m_dm->setNotifier(&m_boxes);
    }
    // Worker 2 (the hours sheets know him by his code) works all three
    // shifts in March 2026, which begins on a Sunday; worker 1 has a
    // piece-work day and an auxiliary work.
    void init()
    {
        loadShop(*m_dm);
        QLocale::setDefault(QLocale::c());
        posted({.worker = 2, .date = mar(1), .shift = 1, .hours = 0});
        posted({.worker = 2, .date = mar(2), .shift = 1, .hours = 8});
        posted({.worker = 2, .date = mar(3), .shift = 1, .hours = 9});
        posted({.worker = 2, .date = mar(4), .shift = 1, .hours = 5});
        posted({.worker = 2, .date = mar(7), .shift = 1, .hours = 8});
        posted({.worker = 2, .date = mar(5), .shift = 2, .hours = 4});
        posted({.worker = 2, .date = mar(6), .shift = 3, .hours = 12});
        posted({.worker = 1, .date = mar(9), .shift = 1, .hours = 8});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7777, .date = mar(10), .hours = 3});
        HoursPosting(*m_dm).save(auxiliaryKey(1, 7777, 0, mar(10)));
    }
    void cleanup() { clearQuitRequest(); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void hoursTimesheetOpensOnTheJournalsMonth_data()
    {
        QTest::addColumn<QDate>("journalDate");
        QTest::addColumn<int>("monthIndex");
        QTest::addColumn<QString>("year");
        QTest::newRow("March 2026") << mar(15) << 2 << "2026";
        QTest::newRow("today") << QDate::currentDate() << QDate::currentDate().month() - 1
                               << QString::number(QDate::currentDate().year());
        QTest::newRow("next year") << QDate(QDate::currentDate().year() + 1, 1, 2) << 0
                                   << QString::number(QDate::currentDate().year() + 1);
        QTest::newRow("a year typed far off") << QDate(2040, 12, 1) << 11 << "2040";
    }
    void hoursTimesheetOpensOnTheJournalsMonth()
    {
        QFETCH(QDate, journalDate);
        QFETCH(int, monthIndex);
        QFETCH(QString, year);
        Watchdog watchdog;
        HoursTimesheetWindow w(*m_dm);
        struct
        {
            int month = -1;
            QString year;
            QStringList years;
            QString caption;
            bool sheetOpen = false;
        } seen;
        onModal("TForm19", [&](QWidget *) {
            seen.month = w.monthBox()->currentIndex();
            seen.year = w.yearBox()->currentText();
            seen.years = items(w.yearBox());
            seen.caption = w.windowTitle();
            seen.sheetOpen = m_dm->hTabel(1).isOpen();
            w.exitButton()->click();
        });
        w.openFor(journalDate);
        QVERIFY(!watchdog.fired);
        QCOMPARE(seen.caption, QStringLiteral("Табель по времени"));
        QCOMPARE(seen.month, monthIndex);
        QCOMPARE(seen.year, year);
        QCOMPARE(seen.years.first(), QStringLiteral("2007"));
        QVERIFY(seen.years.contains(QString::number(QDate::currentDate().year() + 1)));
        QVERIFY(seen.sheetOpen);
        // The sheet queries are shared; they are closed when the window is.
        QVERIFY(!m_dm->hTabel(1).isOpen());
    }

    void hoursGridsColourDaysAndHours()
    {
        Watchdog watchdog;
        // A row of April still holding a 31st from an old posting.
        posted({.worker = 2, .date = QDate(2026, 4, 2), .shift = 1, .hours = 8});
        m_dm->execute("fixture", "update accounts_dep.h_tabel set d31=8 where month=4");
        HoursTimesheetWindow w(*m_dm);
        QStringList failures;
        auto expect = [&](bool ok, const QString &what) {
            if (!ok)
                failures << what;
        };
        onModal("TForm19", [&](QWidget *) {
            for (int s = 1; s <= 3; ++s)
                expect(w.grid(s)->model()->rowCount() == 1, QStringLiteral("one row in shift %1").arg(s));
            ResultGrid *g = w.grid(1);
            expect(cell(g, 0, 0, Qt::DisplayRole).toString() == "Петров П.П.", "the worker's name");
            expect(cell(g, 0, 32, Qt::DisplayRole).toString() == "30", "the month's total");
            struct
            {
                int day;
                QString text;
                QVariant ink;
                bool bold;
                QVariant back;
            } const days[] = {
                {1, "0", kRed, false, {}},         // nothing on a Sunday stays red
                {2, "8", {}, true, {}},            // a full shift is bold
                {3, "9", {}, true, kMoneyGreen},   // more is bold on green
                {4, "5", {}, false, {}},           // less is plain
                {7, "8", kRed, true, {}},          // a full Saturday shift, bold and red
                {10, "", kSilver, false, {}},      // no hours: silver
            };
            for (const auto &d : days) {
                const QString at = QStringLiteral("day %1: ").arg(d.day);
                expect(cell(g, 0, d.day, Qt::DisplayRole).toString() == d.text, at + "text");
                expect(cell(g, 0, d.day, Qt::ForegroundRole) == d.ink, at + "ink");
                expect(cell(g, 0, d.day, Qt::FontRole).value<QFont>().bold() == d.bold, at + "bold");
                expect(cell(g, 0, d.day, Qt::BackgroundRole) == d.back, at + "background");
            }
            expect(title(g, 1, Qt::ForegroundRole) == QVariant(kRed), "Sunday's title red");
            expect(!title(g, 2, Qt::ForegroundRole).isValid(), "Monday's title plain");
            expect(!title(g, 31, Qt::ForegroundRole).isValid(), "the 31st of March is a day");

            // April has 30 days: the 31st greys its title and shows nothing.
            w.monthBox()->setCurrentIndex(3);
            expect(title(g, 31, Qt::ForegroundRole) == QVariant(kSilver), "April's 31st title silver");
            expect(title(g, 1, Qt::ForegroundRole) != QVariant(kRed), "April begins on a Wednesday");
            expect(g->model()->rowCount() == 1, "April's row");
            expect(cell(g, 0, 31, Qt::DisplayRole).toString().isEmpty(), "April's 31st shows nothing");
            w.exitButton()->click();
        });
        w.openFor(mar(20));
        QVERIFY(!watchdog.fired);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    }

    void printHandsOverTheMonthAndItsHeading()
    {
        Watchdog watchdog;
        HoursTimesheetWindow w(*m_dm);
        QStringList printed;
        w.setPrinter([&](int month, int year, const QString &heading) {
            printed << QStringLiteral("%1/%2 %3").arg(month).arg(year).arg(heading);
        });
        onModal("TForm19", [&](QWidget *) {
            w.printButton()->click();
            w.yearBox()->setCurrentText("2025");
            w.monthBox()->setCurrentIndex(11);
            w.printButton()->click();
            w.exitButton()->click();
        });
        w.openFor(mar(20));
        QVERIFY(!watchdog.fired);
        QCOMPARE(printed, (QStringList{"3/2026 Март 2026 г.", "12/2025 Декабрь 2025 г."}));
    }

    // Every shift and kind of a worker's day in one row, 31 day columns and
    // the total in column 33 also for February.
    void excelWritesTheWholeMonth_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("heading");
        QTest::newRow("February") << QDate(2026, 2, 2) << "Февраль 2026";
        QTest::newRow("March") << mar(23) << "Март 2026";
    }
    void excelWritesTheWholeMonth()
    {
        QFETCH(QDate, day);
        QFETCH(QString, heading);
        Watchdog watchdog;
        m_dm->execute("fixture", "delete from accounts_dep.h_tabel");
        posted({.worker = 2, .date = day, .shift = 1, .hours = 8});
        posted({.worker = 2, .date = day, .shift = 3, .hours = 2});
        addAuxEntry(*m_dm, {.worker = 2, .kind = 7778, .date = day.addDays(1), .hours = 3});
        HoursPosting(*m_dm).save(auxiliaryKey(2, 7778, 0, day.addDays(1)));

        QTemporaryDir dir;
        Spreadsheet sheet(&m_boxes);
        sheet.setFolder(dir.path());
        sheet.setOpener([](const QString &) { return true; });
        HoursTimesheetWindow w(*m_dm);
        w.setSpreadsheet(&sheet);
        QString captionAfter, captionReopened;
        onModal("TForm19", [&](QWidget *) {
            w.excelButton()->click();
            captionAfter = w.excelButton()->text();
            w.exitButton()->click();
        });
        w.openFor(day);
        onModal("TForm19", [&](QWidget *) {
            captionReopened = w.excelButton()->text();
            w.exitButton()->click();
        });
        w.openFor(day);
        QVERIFY(!watchdog.fired);
        QCOMPARE(captionAfter, QStringLiteral("Excel (1 из 1)"));
        QCOMPARE(captionReopened, QStringLiteral("Excel"));

        QCOMPARE(sheet.savedFiles().size(), 1);
        QProcess xlsx2csv;
        xlsx2csv.start("xlsx2csv", {sheet.savedFiles().first()});
        QVERIFY(xlsx2csv.waitForFinished(30000));
        QCOMPARE(xlsx2csv.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(xlsx2csv.readAllStandardOutput()).remove('\r').split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].section(',', 0, 0), heading);
        const QStringList titles = lines[1].split(',');
        QCOMPARE(titles.size(), 33);
        QCOMPARE(titles.first(), QStringLiteral("Фамилия И.О."));
        QCOMPARE(titles[1], QStringLiteral("1"));
        QCOMPARE(titles[31], QStringLiteral("31"));
        QCOMPARE(titles[32], QStringLiteral("Итого"));
        QStringList expected{"Петров П.П."};
        for (int d = 1; d <= 31; ++d)
            expected << (d == day.day() ? "10" : d == day.day() + 1 ? "3" : "0");
        expected << "13";
        QCOMPARE(lines[2].split(','), expected);
    }

    void rebuildShowsItsProgressAndReloads_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("rebuilt") << false;
        QTest::newRow("refused by the server") << true;
    }
    void rebuildShowsItsProgressAndReloads()
    {
        QFETCH(bool, refused);
        Watchdog watchdog;
        // The sheet has drifted from the journal.
        m_dm->execute("fixture", "update accounts_dep.h_tabel set d2=5, d20=8 where w_id=2 and smena=1");
        if (refused)
            m_dm->execute("fixture", "alter table accounts_dep.h_tabel add constraint tw_limit check (d3 < 9) not valid");
        const auto dropLimit = qScopeGuard([this] {
            m_dm->execute("fixture", "alter table accounts_dep.h_tabel drop constraint if exists tw_limit");
        });
        const QString before = rowsText(*m_dm, "select * from accounts_dep.h_tabel order by id");

        HoursTimesheetWindow w(*m_dm);
        QList<int> values;
        bool shownWhileWorking = true;
        QObject::connect(w.progressBar(), &QProgressBar::valueChanged, [&](int v) {
            values << v;
            shownWhileWorking = shownWhileWorking && w.progressBar()->isVisible();
        });
        struct
        {
            QString day2;
            bool barHidden = false;
            bool barHiddenAtFirst = false;
        } seen;
        std::shared_ptr<BoxAnswer> box;
        onModal("TForm19", [&](QWidget *) {
            seen.barHiddenAtFirst = w.progressBar()->isHidden();
            if (refused)
                box = answerNextBox(QMessageBox::Ok);
            w.rebuildButton()->click();
            seen.barHidden = w.progressBar()->isHidden();
            seen.day2 = cell(w.grid(1), 0, 2, Qt::DisplayRole).toString();
            w.exitButton()->click();
        });
        w.openFor(mar(20));
        QVERIFY(!watchdog.fired);
        QVERIFY(seen.barHiddenAtFirst);
        QVERIFY(seen.barHidden);
        QVERIFY(shownWhileWorking);
        if (refused) {
            QVERIFY(box->seen);
            QCOMPARE(box->title, QStringLiteral("Ошибка"));
            QCOMPARE(rowsText(*m_dm, "select * from accounts_dep.h_tabel order by id"), before);
            QCOMPARE(seen.day2, QStringLiteral("5"));
            return;
        }
        QList<int> steps{0};
        for (int i = 1; i <= MonthRebuild::stepCount; ++i)
            steps << i;
        QCOMPARE(values, steps);
        QCOMPARE(seen.day2, QStringLiteral("8"));
        QCOMPARE(sheetVersusJournal(*m_dm), QStringList());
    }

    void monthTimesheetSheets_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("firstTotal");
        QTest::newRow("piece-work") << int(SheetMode::PieceWork) << "Табель сделка (27)" << "8";
        QTest::newRow("general") << int(SheetMode::General) << "Общий табель (27)" << "11";
    }
    void monthTimesheetSheets()
    {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        QFETCH(QString, firstTotal);
        Watchdog watchdog;
        MonthTimesheetWindow w(*m_dm);
        struct
        {
            QString caption;
            QStringList years;
            bool nightHidden = false, hourlyHidden = false;
            int rows = 0;
            QString hours;
            QList<int> nameWidths;
            QList<int> hiddenInFebruary;
            bool day31Back = false;
            QVariant sundayTitle, sundayInk;
            QString all, piece, aux, average;
        } seen;
        onModal("TForm27", [&](QWidget *) {
            ResultGrid *g = w.grid();
            seen.caption = w.windowTitle();
            seen.years = items(w.yearBox());
            seen.nightHidden = g->isColumnHidden(MonthTimesheetWindow::nightColumn);
            seen.hourlyHidden = g->isColumnHidden(MonthTimesheetWindow::hourlyColumn);
            // Worker 1 only: the monthly sheets name workers by their id.
            seen.rows = g->model()->rowCount();
            seen.hours = cell(g, 0, MonthTimesheetWindow::hoursColumn, Qt::DisplayRole).toString();
            seen.sundayTitle = title(g, MonthTimesheetWindow::firstDayColumn, Qt::ForegroundRole);
            seen.sundayInk = cell(g, 0, MonthTimesheetWindow::firstDayColumn, Qt::ForegroundRole);
            seen.all = w.allTotal()->text();
            seen.piece = w.pieceTotal()->text();
            seen.aux = w.auxiliaryTotal()->text();
            seen.average = w.averageTotal()->text();
            seen.nameWidths << g->columnWidth(0);
            w.monthBox()->setCurrentIndex(1); // February 2026: 28 days
            seen.nameWidths << g->columnWidth(0);
            for (int k = 1; k <= 31; ++k)
                if (g->isColumnHidden(MonthTimesheetWindow::firstDayColumn + k - 1))
                    seen.hiddenInFebruary << k;
            w.monthBox()->setCurrentIndex(3); // April: 30 days
            seen.nameWidths << g->columnWidth(0);
            w.monthBox()->setCurrentIndex(2); // back to March
            seen.nameWidths << g->columnWidth(0);
            seen.day31Back = !g->isColumnHidden(MonthTimesheetWindow::firstDayColumn + 30);
            w.exitButton()->click();
        });
        w.open(SheetMode(mode), mar(15));
        QVERIFY(!watchdog.fired);
        QCOMPARE(seen.caption, caption);
        QCOMPARE(seen.years, QStringList{"2026"});
        QVERIFY(seen.nightHidden);
        QVERIFY(seen.hourlyHidden);
        QCOMPARE(seen.rows, 1);
        QCOMPARE(seen.hours, firstTotal);
        QCOMPARE(seen.sundayTitle, QVariant(kRed));
        QCOMPARE(seen.sundayInk, QVariant(kRed));
        // The name column takes the room of hidden days and gives it back.
        QCOMPARE(seen.nameWidths, (QList<int>{304, 364, 324, 304}));
        QCOMPARE(seen.hiddenInFebruary, (QList<int>{29, 30, 31}));
        QVERIFY(seen.day31Back);
        // Worker 2's shifts count in the totals though the sheet does not
        // list him.
        QCOMPARE(seen.piece, QStringLiteral("800"));
        QCOMPARE(seen.aux, QStringLiteral("450"));
        QCOMPARE(seen.average, QStringLiteral("0"));
        QCOMPARE(seen.all, QStringLiteral("1250"));
    }

    void monthTimesheetOffersTheYearAskedFor()
    {
        Watchdog watchdog;
        MonthTimesheetWindow w(*m_dm);
        QStringList years;
        QString current;
        onModal("TForm27", [&](QWidget *) {
            years = items(w.yearBox());
            current = w.yearBox()->currentText();
            w.exitButton()->click();
        });
        w.open(SheetMode::PieceWork, QDate(2031, 5, 1));
        QVERIFY(!watchdog.fired);
        QCOMPARE(years, (QStringList{"2026", "2031"}));
        QCOMPARE(current, QStringLiteral("2031"));
    }

    void journalMenuOpensTheTimesheets_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QDate>("month");
        const QDate journal(2025, 11, 5);
        const QDate today = QDate::currentDate();
        QTest::newRow("hours by shift, on the journal's month")
            << "actShiftSheet" << "TForm19" << "Табель по времени" << journal;
        QTest::newRow("piece-work") << "actPieceSheet" << "TForm27" << "Табель сделка (27)" << today;
        QTest::newRow("general") << "actGeneralSheet" << "TForm27" << "Общий табель (27)" << today;
        QTest::newRow("auxiliary works")
            << "actAuxSheet" << "TForm27" << "Табель хоз. работы (27)" << today;
        QTest::newRow("average piece rate")
            << "actAverageSheet" << "TForm27" << "Табель ср. сдельная (27)" << today;
    }
    void journalMenuOpensTheTimesheets()
    {
        QFETCH(QString, action);
        QFETCH(QString, window);
        QFETCH(QString, caption);
        QFETCH(QDate, month);
        Watchdog watchdog;
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        startup.journal().setPickedDate(QDate(2025, 11, 5));
        QString seenCaption;
        int seenMonth = -1;
        QString seenYear;
        onModal(window, [&](QWidget *w) {
            seenCaption = w->windowTitle();
            auto *months = w->findChild<QComboBox *>("ComboBox1");
            auto *years = w->findChild<QComboBox *>(window == "TForm19" ? "ComboBox2" : "cb_year");
            seenMonth = months ? months->currentIndex() : -1;
            seenYear = years ? years->currentText() : QString();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        startup.journal().menuAction(action)->trigger();
        QVERIFY(!watchdog.fired);
        QCOMPARE(seenCaption, caption);
        QCOMPARE(seenMonth, month.month() - 1);
        QCOMPARE(seenYear, QString::number(month.year()));
    }
};

QTEST_MAIN(TimesheetWindowsTest)
#include "test_timesheetwindows.moc"
