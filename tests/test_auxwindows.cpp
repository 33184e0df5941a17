// The auxiliary works journal and its entry editor in an offscreen session:
// the editor's openings, figures and pickers, a refused save, the day's
// list with its date and "Выходной", delete, change and the repricing
// button, and the road from the shift journal's button through the real
// pickers to the hours sheet.
#include "app/controlnames.h"
#include "app/errordisplay.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "journal/journalwindow.h"
#include "modal.h"
#include "reference/nomenclaturewindow.h"
#include "reference/workerswindow.h"
#include "testdb.h"
#include "timesheets/auxiliaryentrywindow.h"
#include "timesheets/auxiliaryjournalwindow.h"
#include "timesheets/auxiliarynames.h"
#include "timesheets/monthtimesheetwindow.h"
#include "app/resultgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

const QDate kDay(2026, 3, 5); // a Thursday
const QDate kSunday(2026, 3, 8);
const QDate kMonday(2026, 3, 9);

template <class T = QWidget>
T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

QLineEdit *field(QWidget *w, const char *name)
{
    return child<QLineEdit>(w, name);
}

QAbstractButton *button(QWidget *w, const char *name)
{
    return child<QAbstractButton>(w, name);
}

// What the editor shows: worker, item, kind, hours, rate, sum, night flag
// and whether the night flag may be changed.
QStringList shown(QWidget *editor)
{
    using namespace names;
    auto *night = child<QCheckBox>(editor, auxEntryNight);
    return {field(editor, auxEntryWorker)->text(),
            field(editor, auxEntryNomenclature)->text(),
            child<QComboBox>(editor, auxEntryKind)->currentText(),
            field(editor, auxEntryHours)->text(),
            field(editor, auxEntryRate)->text(),
            field(editor, auxEntrySum)->text(),
            night->isChecked() ? "ночные" : "дневные",
            night->isEnabled() ? "можно сменить" : "не сменить"};
}

// The grid's rows as text, a line per row.
QStringList gridRows(QTableView *grid)
{
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            cells << grid->model()->index(r, c).data().toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QString entriesText(DataModule &dm)
{
    return rowsText(dm, QStringLiteral("select id_nom, id_o, id_p, d_date, cnt, price, i_holiday, "
                                       "i_night from accounts_dep.fatigue order by id"));
}

void chooseKind(QWidget *editor, int kind)
{
    auto *box = child<QComboBox>(editor, names::auxEntryKind);
    box->setCurrentIndex(box->findData(kind));
}

} // namespace

#define AUX_SHEET_MATCHES_ENTRIES(dm)                                                              \
    do {                                                                                           \
        const QStringList diff = auxSheetVersusEntries(dm);                                        \
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));                     \
    } while (false)

class AuxWindowsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    MessageBoxNotifier m_boxes;

    // The journal window on the day, shown as its opener shows it but
    // without a modal loop.
    std::unique_ptr<AuxiliaryJournalWindow> openJournal(const QDate &day = kDay)
    {
        auto w = std::make_unique<AuxiliaryJournalWindow>(*m_dm);
        w->setPickedDate(day);
        w->show();
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        // Not the program's connection name: the road test starts the
        // program itself.
        m_dm = m_db->connect(QStringLiteral("aux_test"));
        m_dm->setNotifier(&m_boxes);
    }
    void init()
    {
        loadShop(*m_dm);
        addProductClasses(*m_dm);
        addAuxiliaryKinds(*m_dm);
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        clearQuitRequest();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    // A change opening shows the entry with its night flag fixed; a new
    // opening after it empties the fields, presets the hourly kind and lets
    // the night flag be set. Rate and sum follow the kind and the typed
    // hours; the keys walk the controls in their order.
    void editorOpenings()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        addAuxEntry(*m_dm, {.worker = 2, .kind = 7778, .night = 1,
                            .date = kDay, .hours = 6, .price = 90, .item = 11});
        auto journal = openJournal();
        AuxiliaryEntryWindow &editor = journal->editor();
        QCOMPARE(editor.objectName(), QStringLiteral("TForm24"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("Хоз. работы/среднесдельная (24)"));
        QCOMPARE(child<QGroupBox>(&editor, names::auxEntryFrame)->title(), QStringLiteral("Закрыто мастером"));

        QVERIFY(editor.prepareChange());
        QCOMPARE(shown(&editor), (QStringList{"Петров Пётр Петрович", "Профили", "Ср. сдельная", "6",
                                              "152,5", "915", "ночные", "не сменить"}));
        editor.entry().closeKinds();

        QVERIFY(editor.prepareNew());
        QCOMPARE(shown(&editor), (QStringList{"", "", "Хоз. работы", "0", "150", "0", "дневные",
                                              "можно сменить"}));
        // The sum follows the typed hours and the chosen kind.
        QLineEdit *hours = field(&editor, names::auxEntryHours);
        hours->selectAll();
        QTest::keyClicks(hours, "8x");
        QCOMPARE(hours->text(), QStringLiteral("8"));
        QCOMPARE(field(&editor, names::auxEntrySum)->text(), QStringLiteral("1200"));
        chooseKind(&editor, 7778);
        QCOMPARE(field(&editor, names::auxEntryRate)->text(), QStringLiteral("152,5"));
        QCOMPARE(field(&editor, names::auxEntrySum)->text(), QStringLiteral("1220"));
        QVERIFY(!field(&editor, names::auxEntryRate)->isEnabled());
        QVERIFY(!field(&editor, names::auxEntrySum)->isEnabled());
        QVERIFY(field(&editor, names::auxEntryWorker)->isReadOnly());

        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(names::auxEntryWorkerPick));
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        using namespace names;
        QCOMPARE(order, (QStringList{auxEntryNomenclaturePick, auxEntryKind, auxEntryHours,
                                     auxEntryNight, auxEntrySave, auxEntryExit}));
        editor.reject();
        editor.entry().closeKinds();
    }

    // "Добавить" through to the list: the worker list is asked in the
    // auxiliary picking mode, a pick that hands nothing back keeps the
    // field, Enter saves, and the list shows the entry with its marks.
    void addFromTheJournal()
    {
        auto journal = openJournal(kSunday);
        journal->setDayOff(true);
        AuxiliaryEntryWindow &editor = journal->editor();
        QList<int> modes;
        int itemPicks = 0;
        editor.setWorkerPicker([&](int mode) -> std::optional<WorkerPick> {
            modes << mode;
            if (modes.size() == 1)
                return WorkerPick{2, QStringLiteral("Петров Пётр Петрович")};
            return std::nullopt;
        });
        editor.setNomenclaturePicker([&]() -> std::optional<NomenclaturePick> {
            ++itemPicks;
            return NomenclaturePick{12, QStringLiteral("Зажимы ")};
        });
        QStringList seen;
        onNextModal<AuxiliaryEntryWindow>([&](AuxiliaryEntryWindow *e) {
            button(e, names::auxEntryWorkerPick)->click();
            button(e, names::auxEntryWorkerPick)->click(); // nothing picked this time
            button(e, names::auxEntryNomenclaturePick)->click();
            QLineEdit *hours = field(e, names::auxEntryHours);
            hours->selectAll();
            QTest::keyClicks(hours, "4");
            child<QCheckBox>(e, names::auxEntryNight)->setChecked(true);
            seen = shown(e);
            QTest::keyClick(hours, Qt::Key_Return);
            if (e->isVisible())
                e->reject();
        });
        button(journal.get(), names::auxJournalAdd)->click();
        QCOMPARE(modes, (QList<int>{24, 24}));
        QCOMPARE(itemPicks, 1);
        QCOMPARE(seen, (QStringList{"Петров Пётр Петрович", "Зажимы ", "Хоз. работы", "4", "150",
                                    "600", "ночные", "можно сменить"}));
        QVERIFY(!editor.isVisible());
        QCOMPARE(entriesText(*m_dm), QStringLiteral("12,7777,2,2026-03-08,4,300,1,1"));
        QCOMPARE(gridRows(child<QTableView>(journal.get(), names::auxJournalGrid)),
                 QStringList{"Петров Пётр Петрович|Зажимы|Хоз. работы|300|4|1200|+|+"});
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // A refused save says why in a message box and keeps the editor open.
    void refusedSaveKeepsTheEditorOpen_data()
    {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty hours") << "" << "Все поля должны быть заполнены!";
        QTest::newRow("hours 0") << "0" << "Нужно завести количество!";
    }
    void refusedSaveKeepsTheEditorOpen()
    {
        QFETCH(QString, hours);
        QFETCH(QString, message);
        auto journal = openJournal();
        AuxiliaryEntryWindow &editor = journal->editor();
        editor.setWorkerPicker([](int) { return std::optional<WorkerPick>(WorkerPick{1, "Иванов Иван Иванович"}); });
        editor.setNomenclaturePicker([] { return std::optional<NomenclaturePick>(NomenclaturePick{10, "Кронштейны"}); });
        QVERIFY(editor.prepareNew());
        editor.show();
        editor.pickWorker();
        editor.pickNomenclature();
        field(&editor, names::auxEntryHours)->setText(hours);
        BoxWatcher boxes;
        button(&editor, names::auxEntrySave)->click();
        QTRY_COMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(boxes.seen[0].text, message);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(editor.isVisible());
        QCOMPARE(entriesText(*m_dm), QString());
        editor.reject();
        editor.entry().closeKinds();
    }

    // The day's list: its columns, the "+" marks, entries in name order.
    void theDaysList()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        addAuxEntry(*m_dm, {.worker = 2, .kind = 7778,
                            .date = kDay, .hours = 3, .price = 152.5, .item = 11, .holiday = 1});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7777, .night = 1, .date = kDay, .hours = 8});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7777, .date = kDay.addDays(1), .hours = 2});
        auto journal = openJournal();
        QCOMPARE(journal->objectName(), QStringLiteral("TForm25"));
        QCOMPARE(journal->windowTitle(), QStringLiteral("Хоз. работы (25)"));
        auto *grid = child<QTableView>(journal.get(), names::auxJournalGrid);
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"ФИО", "Номенклатура", "Работа", "Цена", "Кол-во", "Итого",
                                      "Вых.", "Ноч."}));
        QCOMPARE(gridRows(grid),
                 (QStringList{"Иванов Иван Иванович|Кронштейны|Хоз. работы|150|8|1200||+",
                              "Петров Пётр Петрович|Профили|Ср. сдельная|152,5|3|457,5|+|"}));
    }

    // A date the user picks sets "Выходной" (bold on red for Saturday and
    // Sunday) and reads that day's list; a date set from outside changes
    // neither until the window is shown.
    void dateAndDayOff()
    {
        addAuxEntry(*m_dm, {.worker = 1, .date = kSunday});
        addAuxEntry(*m_dm, {.worker = 2, .date = kMonday});
        auto journal = openJournal(kDay);
        auto *picker = child<QDateEdit>(journal.get(), names::auxJournalDate);
        auto *dayOff = child<QCheckBox>(journal.get(), names::auxJournalDayOff);
        auto *grid = child<QTableView>(journal.get(), names::auxJournalGrid);
        QCOMPARE(grid->model()->rowCount(), 0);
        QVERIFY(!dayOff->isChecked());

        picker->setDate(kSunday);
        QVERIFY(dayOff->isChecked());
        QVERIFY(dayOff->styleSheet().contains("255, 0, 0"));
        QVERIFY(dayOff->styleSheet().contains("bold"));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Иванов Иван Иванович"));

        picker->setDate(kMonday);
        QVERIFY(!dayOff->isChecked());
        QCOMPARE(dayOff->styleSheet(), QString());
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Петров Пётр Петрович"));

        // From outside: the list and the box stay until the next showing.
        dayOff->setChecked(true);
        journal->hide();
        journal->setPickedDate(kSunday);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Петров Пётр Петрович"));
        journal->show();
        QCOMPARE(journal->journal().date(), kSunday);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Иванов Иван Иванович"));
        journal->setPickedDate(kMonday);
        journal->hide();
        journal->show();
        QVERIFY(dayOff->isChecked());
    }

    // "Удалить" asks first; on Yes the entry goes and its own day is
    // recounted, even when the picker was meanwhile set to another day.
    void deleteAsksAndRecountsTheEntrysDay_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("pickerMoved");
        QTest::newRow("no") << QMessageBox::No << false;
        QTest::newRow("yes") << QMessageBox::Yes << false;
        QTest::newRow("yes, the picker on another day") << QMessageBox::Yes << true;
    }
    void deleteAsksAndRecountsTheEntrysDay()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, pickerMoved);
        auto journal = openJournal(kDay);
        // Two entries of worker 1 on the day, saved through the editor so
        // the sheet holds them.
        AuxiliaryEntryWindow &editor = journal->editor();
        editor.setWorkerPicker([](int) { return std::optional<WorkerPick>(WorkerPick{1, "Иванов Иван Иванович"}); });
        editor.setNomenclaturePicker([] { return std::optional<NomenclaturePick>(NomenclaturePick{10, "Кронштейны"}); });
        for (const char *h : {"8", "3"}) {
            QVERIFY(editor.prepareNew());
            editor.pickWorker();
            editor.pickNomenclature();
            field(&editor, names::auxEntryHours)->setText(h);
            editor.save();
            editor.entry().closeKinds();
        }
        QCOMPARE(sheetCell(*m_dm, "w_id=1 and i_type=7777", kDay.day()).toInt(), 11);
        journal->activate();
        const QString before = entriesText(*m_dm);
        if (pickerMoved)
            journal->setPickedDate(kDay.addDays(1));

        auto box = answerNextBox(answer);
        button(journal.get(), names::auxJournalDelete)->click();
        QVERIFY(box->seen);
        QCOMPARE(box->title, QStringLiteral("Удаление"));
        QCOMPARE(box->text, QStringLiteral("Удалить позицию из списка?"));
        QCOMPARE(box->icon, QMessageBox::Question);
        if (answer == QMessageBox::No) {
            QCOMPARE(entriesText(*m_dm), before);
        } else {
            QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.fatigue").value(0, "n").toInt(), 1);
            QCOMPARE(sheetCell(*m_dm, "w_id=1 and i_type=7777", kDay.day()).toInt(), 3);
            QCOMPARE(child<QTableView>(journal.get(), names::auxJournalGrid)->model()->rowCount(), 1);
        }
        AUX_SHEET_MATCHES_ENTRIES(*m_dm);
    }

    // A double-click opens the editor on the clicked entry; "Изменить" on
    // an empty day opens nothing.
    void changeOpensTheCurrentEntry()
    {
        addAuxEntry(*m_dm, {.worker = 1, .date = kDay, .hours = 8});
        addAuxEntry(*m_dm, {.worker = 2, .date = kDay, .hours = 5});
        auto journal = openJournal(kDay);
        auto *grid = child<QTableView>(journal.get(), names::auxJournalGrid);
        QString hoursShown;
        auto done = onNextModal<AuxiliaryEntryWindow>([&](AuxiliaryEntryWindow *e) {
            hoursShown = field(e, names::auxEntryHours)->text();
            e->reject();
        });
        const QPoint at = grid->visualRect(grid->model()->index(1, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(*done);
        QCOMPARE(hoursShown, QStringLiteral("5"));
        // Back from the editor, the list stays on its row.
        QCOMPARE(journal->journal().entries().currentRow(), 1);

        journal->setPickedDate(kDay.addDays(1));
        journal->activate();
        auto none = onNextModal<AuxiliaryEntryWindow>([](AuxiliaryEntryWindow *e) { e->reject(); }, 20);
        button(journal.get(), names::auxJournalChange)->click();
        QTest::qWait(300);
        QVERIFY(!*none);
    }

    // "Расчитать ср.сд." reprices the month of the picker's date and the
    // list shows the new rate.
    void recalculateButton()
    {
        addEntry(*m_dm, {.worker = 1, .date = kDay.addDays(-2), .hours = 4, .quantity = 10, .price = 12});
        addAuxEntry(*m_dm, {.worker = 1, .kind = 7778, .date = kDay, .hours = 2, .price = 152.5});
        auto journal = openJournal(kDay);
        button(journal.get(), names::auxJournalRecalculate)->click();
        auto *grid = child<QTableView>(journal.get(), names::auxJournalGrid);
        QCOMPARE(gridRows(grid), QStringList{"Иванов Иван Иванович|Кронштейны|Ср. сдельная|30|2|60||"});
    }

    // The auxiliary sheets of the monthly timesheet show the day/night
    // mark and the hourly rate beside a name column of 208; the piece-work
    // sheet opened next hides them again and widens the name.
    void auxiliarySheetsOfTheMonthlyTimesheet_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("auxiliary works")
            << int(SheetMode::Auxiliary) << "Табель хоз. работы (27)"
            << QStringList{"Иванов И.И.|дн.|8|1200|150", "Иванов И.И.|ноч.|2|300|150"};
        QTest::newRow("average piece rate")
            << int(SheetMode::AveragePiece) << "Табель ср. сдельная (27)"
            << QStringList{"Иванов И.И.|дн.|3|457,5|152,5"};
    }
    void auxiliarySheetsOfTheMonthlyTimesheet()
    {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        QFETCH(QStringList, lines);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        auto journal = openJournal(kDay);
        AuxiliaryEntryWindow &editor = journal->editor();
        editor.setWorkerPicker([](int) { return std::optional<WorkerPick>(WorkerPick{1, "Иванов Иван Иванович"}); });
        editor.setNomenclaturePicker([] { return std::optional<NomenclaturePick>(NomenclaturePick{10, "Кронштейны"}); });
        struct Work
        {
            int kind;
            bool night;
            const char *hours;
        };
        for (const Work &w : {Work{7777, false, "8"}, Work{7777, true, "2"}, Work{7778, false, "3"}}) {
            QVERIFY(editor.prepareNew());
            editor.pickWorker();
            editor.pickNomenclature();
            chooseKind(&editor, w.kind);
            child<QCheckBox>(&editor, names::auxEntryNight)->setChecked(w.night);
            field(&editor, names::auxEntryHours)->setText(w.hours);
            editor.save();
            editor.entry().closeKinds();
        }

        MonthTimesheetWindow sheet(*m_dm);
        struct
        {
            QString caption;
            bool nightShown = false, hourlyShown = false;
            int nameWidth = 0;
            QStringList lines;
        } seen;
        auto done = onNextModal<MonthTimesheetWindow>([&](MonthTimesheetWindow *w) {
            ResultGrid *g = w->grid();
            seen.caption = w->windowTitle();
            seen.nightShown = !g->isColumnHidden(MonthTimesheetWindow::nightColumn);
            seen.hourlyShown = !g->isColumnHidden(MonthTimesheetWindow::hourlyColumn);
            seen.nameWidth = g->columnWidth(MonthTimesheetWindow::nameColumn);
            for (int r = 0; r < g->model()->rowCount(); ++r) {
                QStringList cells;
                for (int c : {MonthTimesheetWindow::nameColumn, MonthTimesheetWindow::nightColumn,
                              MonthTimesheetWindow::hoursColumn, MonthTimesheetWindow::earningsColumn,
                              MonthTimesheetWindow::hourlyColumn})
                    cells << g->model()->index(r, c).data().toString();
                seen.lines << cells.join('|');
            }
            seen.lines.sort();
            w->exitButton()->click();
        });
        sheet.open(SheetMode(mode), kDay);
        QVERIFY(*done);
        QCOMPARE(seen.caption, caption);
        QVERIFY(seen.nightShown);
        QVERIFY(seen.hourlyShown);
        QCOMPARE(seen.nameWidth, 208);
        QCOMPARE(seen.lines, lines);

        bool hiddenAgain = false;
        int pieceWidth = 0;
        done = onNextModal<MonthTimesheetWindow>([&](MonthTimesheetWindow *w) {
            hiddenAgain = w->grid()->isColumnHidden(MonthTimesheetWindow::nightColumn)
                && w->grid()->isColumnHidden(MonthTimesheetWindow::hourlyColumn);
            pieceWidth = w->grid()->columnWidth(MonthTimesheetWindow::nameColumn);
            w->exitButton()->click();
        });
        sheet.open(SheetMode::PieceWork, kDay);
        QVERIFY(*done);
        QVERIFY(hiddenAgain);
        QCOMPARE(pieceWidth, 304);
    }

    // The road: the shift journal on a past day, "Ср.сд./хоз. работы"
    // opens this journal on that day, "Добавить" with the program's own
    // workers list and nomenclature picker, "Записать"; the shift journal
    // comes back on today and the sheet equals the entries.
    void roadFromTheShiftJournal()
    {
        QDate day = QDate::currentDate().addDays(-7);
        while (day.dayOfWeek() != 3)
            day = day.addDays(-1);
        addAuxEntry(*m_dm, {.worker = 1, .date = day, .hours = 2});
        BoxWatcher boxes;
        Startup startup(BuildStamp{20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        JournalWindow &journal = startup.journal();

        struct
        {
            QDate opened;
            QStringList before, after;
            bool workersPicking = false;
        } seen;
        bool back = false;
        QTimer::singleShot(0, [&] {
            journal.setPickedDate(day);
            QTest::keyClick(journal.findChild<QDateEdit *>(names::journalDate), Qt::Key_Return);
            onNextModal<AuxiliaryJournalWindow>([&](AuxiliaryJournalWindow *aux) {
                seen.opened = aux->pickedDate();
                auto *grid = child<QTableView>(aux, names::auxJournalGrid);
                seen.before = gridRows(grid);
                onNextModal<AuxiliaryEntryWindow>([&](AuxiliaryEntryWindow *e) {
                    onNextModal<WorkersWindow>([&](WorkersWindow *list) {
                        seen.workersPicking = list->mode() == 24 && list->middleButton()->isDefault();
                        list->resultSet()->setCurrentRow(1); // Петров
                        list->middleButton()->click();
                    });
                    button(e, names::auxEntryWorkerPick)->click();
                    onNextModal<NomenclatureWindow>([&](NomenclatureWindow *items) {
                        items->items().setCurrentRow(1); // Кронштейны, after Зажимы
                        items->middleButton()->click();
                    });
                    button(e, names::auxEntryNomenclaturePick)->click();
                    QLineEdit *hours = field(e, names::auxEntryHours);
                    hours->selectAll();
                    QTest::keyClicks(hours, "6");
                    button(e, names::auxEntrySave)->click();
                    if (e->isVisible())
                        e->reject();
                });
                button(aux, names::auxJournalAdd)->click();
                seen.after = gridRows(grid);
                button(aux, names::auxJournalExit)->click();
            });
            button(&journal, names::journalAux)->click();
            back = journal.pickedDate() == QDate::currentDate();
            journal.reject();
        });
        startup.login().wordField()->setText("5283");
        QVERIFY(startup.login().login());

        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(seen.opened, day);
        QCOMPARE(seen.before.size(), 1);
        QVERIFY(seen.workersPicking);
        QCOMPARE(seen.after.size(), 2);
        QVERIFY2(seen.after[1].startsWith("Петров Пётр Петрович|Кронштейны|Хоз. работы|150|6|900"),
                 qPrintable(seen.after.join("; ")));
        QVERIFY(back);
        QCOMPARE(sheetCell(*m_dm, QStringLiteral("w_id=2 and i_type=7777 and i_night=0"), day.day()).toInt(), 6);
        // The entry added by the fixture was never posted; only the new one is.
        const QStringList diff = auxSheetVersusEntries(*m_dm);
        QCOMPARE(diff.size(), 1);
        QVERIFY2(diff[0].startsWith("worker 1 kind 7777"), qPrintable(diff[0]));
    }
};

QTEST_MAIN(AuxWindowsTest)
#include "test_auxwindows.moc"
