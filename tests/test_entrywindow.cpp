// The shift entry editor in an offscreen session: its two openings, the
// fields and pickers, what a refused or failed save leaves, and the road of
// one entry from the journal's "Добавить" to the hours sheet.
#include "app/controlnames.h"
#include "app/errordisplay.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "journal/entrywindow.h"
#include "journal/hoursposting.h"
#include "journal/journalwindow.h"
#include "reference/payprice.h"
#include "testdb.h"
#include "modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

const QDate kDay(2026, 3, 5); // a Thursday

const QString kCutting = QStringLiteral("КР-100; Резка; Готовая продукция");
const QString kPainting = QStringLiteral("КН-230; Покраска порошковой краской; Заготовки");

// Stand-ins for the workers list and the operation prices list: the shop's
// operations 11 (cutting, base 10) and 12 (painting, base 3).
OperationPick operationPick(int id, PayConditions c, double base = 0)
{
    OperationPick p;
    p.operationId = id;
    p.productId = id == 11 ? 501 : 502;
    p.naimen = id == 11 ? 0 : 1;
    p.text = id == 11 ? kCutting : kPainting;
    p.basePrice = base > 0 ? base : id == 11 ? 10 : 3;
    p.price = payPrice(p.basePrice, c);
    return p;
}

struct PickerCalls
{
    QList<int> workerModes;
    QList<int> startOperations;
    QList<PayConditions> conditions;
};

void setStubPickers(EntryWindow &editor, PickerCalls &calls, int workerId, int operationId,
                    double base = 0)
{
    editor.setWorkerPicker([&calls, workerId](int mode) -> std::optional<WorkerPick> {
        calls.workerModes << mode;
        if (workerId == 0)
            return std::nullopt;
        // The list hands the name over trimmed.
        return WorkerPick{workerId, workerId == 1 ? QStringLiteral("Иванов Иван Иванович")
                                                  : QStringLiteral("Петров Пётр Петрович")};
    });
    editor.setOperationPicker([&calls, operationId, base](int start, PayConditions c) -> std::optional<OperationPick> {
        calls.startOperations << start;
        calls.conditions << c;
        if (operationId == 0)
            return std::nullopt;
        return operationPick(operationId, c, base);
    });
}

QString typed(QWidget *w, const QString &keys)
{
    for (QChar ch : keys) {
        if (ch == QLatin1Char('\b'))
            QTest::keyClick(w, Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    return static_cast<QLineEdit *>(w)->text();
}

} // namespace

class EntryWindowTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    MessageBoxNotifier m_boxes;

    std::unique_ptr<JournalWindow> openJournal(int shift, bool dayOff = false)
    {
        auto w = std::make_unique<JournalWindow>(*m_dm);
        w->journal().setHiddenMark("ta");
        w->show();
        w->setPickedDate(kDay);
        w->changeDate();
        w->selectShift(shift);
        w->setDayOff(dayOff);
        return w;
    }

    static QLineEdit *field(QWidget *w, const char *name) { return w->findChild<QLineEdit *>(name); }
    static QAbstractButton *button(QWidget *w, const char *name)
    {
        return w->findChild<QAbstractButton *>(name);
    }
    static QStringList texts(QWidget *w)
    {
        using namespace names;
        QStringList out;
        for (const char *n : {entryWorker, entryOperation, entryQuantity, entryHours, entryColour,
                              entryRejects, entryBasePrice, entryFinalPrice, entryAmount})
            out << field(w, n)->text();
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        // Not the program's connection name: the road test starts the
        // program itself.
        m_dm = m_db->connect(QStringLiteral("entry_test"));
        m_dm->setNotifier(&m_boxes);
    }
    void init() { loadShop(*m_dm); }
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

    // A new opening empties what an earlier, cancelled one left, takes the
    // journal's date, and the keys walk the fields in their order.
    void newOpening()
    {
        auto journal = openJournal(2);
        EntryWindow editor(*journal);
        QCOMPARE(editor.objectName(), QStringLiteral("TForm11"));
        QCOMPARE(editor.findChild<QGroupBox *>(names::entryFrame)->title(), QStringLiteral("Закрыто мастером"));
        PickerCalls calls;
        setStubPickers(editor, calls, 1, 12);
        editor.pickWorker();
        editor.pickOperation();
        field(&editor, names::entryQuantity)->setText("5");
        editor.recalculate();

        editor.prepareNew();
        QCOMPARE(editor.windowTitle(), QStringLiteral("Заведение новой позиции (11)"));
        QCOMPARE(texts(&editor), (QStringList{"", "", "", "0", "", "0", "", "", ""}));
        QCOMPARE(editor.findChild<QDateEdit *>(names::entryDate)->date(), kDay);
        // The colour field stays as the last operation left it.
        QVERIFY(field(&editor, names::entryColour)->isEnabled());

        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(names::entryWorkerPick));
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        using namespace names;
        QCOMPARE(order, (QStringList{entryOperationPick, entryQuantity, entryHours, entryColour,
                                     entryDate, entryRejects, entrySave, entryCancel}));
    }

    // A change opening shows the journal's current entry; the colour field
    // is open only for painting work.
    void changeOpening_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("colourOpen");
        QTest::newRow("painting") << 12 << QStringList{"Петров П.П.", kPainting, "40", "6", "9010", "3", "", "1,0312", "41,248"} << true;
        QTest::newRow("cutting") << 11 << QStringList{"Петров П.П.", kCutting, "40", "6", "", "3", "", "1,0312", "41,248"} << false;
    }
    void changeOpening()
    {
        QFETCH(int, operation);
        QFETCH(QStringList, shown);
        QFETCH(bool, colourOpen);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        addEntry(*m_dm, {.worker = 2, .oper = operation, .product = operation == 11 ? 501 : 502,
                         .date = kDay, .shift = 3, .hours = 6, .quantity = 40, .rejects = 3,
                         .price = 1.03125, .color = 9010});
        auto journal = openJournal(3);
        EntryWindow editor(*journal);
        // A colour typed for an earlier entry must not stay behind.
        field(&editor, names::entryColour)->setText("77");
        QVERIFY(editor.prepareChange());
        QCOMPARE(editor.windowTitle(), QStringLiteral("Изменение данных о позиции (11)"));
        QCOMPARE(texts(&editor), shown);
        QCOMPARE(editor.findChild<QDateEdit *>(names::entryDate)->date(), kDay);
        QCOMPARE(field(&editor, names::entryColour)->isEnabled(), colourOpen);
        QCOMPARE(editor.findChild<QLabel *>(names::entryColourLabel)->isEnabled(), colourOpen);

        // The operation list starts on the entry's operation.
        PickerCalls calls;
        setStubPickers(editor, calls, 0, 0);
        editor.pickOperation();
        QCOMPARE(calls.startOperations, QList<int>{operation});
        QCOMPARE(texts(&editor), shown);
    }

    void changeOnAnEmptyShiftDoesNothing()
    {
        addEntry(*m_dm, {.date = kDay, .shift = 1});
        auto journal = openJournal(2);
        EntryWindow editor(*journal);
        QVERIFY(!editor.prepareChange());
        editor.openChange(); // returns at once: nothing to show
        QVERIFY(!editor.isVisible());
    }

    void digitsOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters and signs ignored") << names::entryQuantity << "1a2,3 .-4б" << "1234";
        QTest::newRow("backspace edits") << names::entryHours << "12\b3" << "13";
        // No length limit cuts what is typed; the save refuses what the
        // column cannot hold.
        QTest::newRow("rejects keep every digit") << names::entryRejects << "1234567" << "1234567";
        QTest::newRow("colour keeps every digit") << names::entryColour << "123456789012" << "123456789012";
    }
    void digitsOnly()
    {
        QFETCH(QString, name);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        editor.prepareNew();
        QLineEdit *f = field(&editor, qPrintable(name));
        f->setEnabled(true);
        f->clear();
        QCOMPARE(typed(f, keys), text);
    }

    // A click into the read-only field opens the picker as its "..." does;
    // nothing chosen keeps the fields; no picker, nothing happens.
    void workerPick()
    {
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        editor.prepareNew();
        editor.show();
        QLineEdit *name = field(&editor, names::entryWorker);
        QTest::mouseClick(name, Qt::LeftButton);
        QCOMPARE(name->text(), QString());

        PickerCalls calls;
        setStubPickers(editor, calls, 2, 0);
        QTest::mouseClick(name, Qt::LeftButton);
        QCOMPARE(name->text(), QStringLiteral("Петров Пётр Петрович"));
        QCOMPARE(editor.entry().workerId(), 2);
        setStubPickers(editor, calls, 0, 0);
        button(&editor, names::entryWorkerPick)->click();
        QCOMPARE(name->text(), QStringLiteral("Петров Пётр Петрович"));
        QCOMPARE(calls.workerModes, (QList<int>{1, 1}));
    }

    // The operation pick: the pay conditions of the journal go to the list,
    // the colour field follows the operation, and the figures are shown in
    // the workstation's format, shortest.
    void operationPick_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<double>("base");
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QStringList>("figures"); // base, final, amount
        QTest::newRow("day off in the night shift") << 11 << 10.0 << true << 3 << "12" << QStringList{"10", "24", "288"};
        QTest::newRow("overtime, empty quantity") << 12 << 3.0 << false << 4 << "" << QStringList{"3", "4,5", "0"};
        QTest::newRow("tie to even") << 11 << 1.03125 << false << 1 << "3" << QStringList{"1,0312", "1,0312", "3,0938"};
        // The list closed without a pick: the colour field still follows
        // the (empty) operation and the figures are worked out again.
        QTest::newRow("nothing picked") << 0 << 0.0 << false << 1 << "" << QStringList{"", "0", "0"};
    }
    void operationPick()
    {
        QFETCH(int, operation);
        QFETCH(double, base);
        QFETCH(bool, dayOff);
        QFETCH(int, shift);
        QFETCH(QString, quantity);
        QFETCH(QStringList, figures);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        auto journal = openJournal(shift, dayOff);
        EntryWindow editor(*journal);
        editor.prepareNew();
        field(&editor, names::entryColour)->setText("5");
        field(&editor, names::entryQuantity)->setText(quantity);
        field(&editor, names::entryHours)->clear();
        editor.show();
        PickerCalls calls;
        setStubPickers(editor, calls, 0, operation, base);
        QTest::mouseClick(field(&editor, names::entryOperation), Qt::LeftButton);

        QCOMPARE(calls.startOperations, QList<int>{0});
        QCOMPARE(calls.conditions.size(), 1);
        QCOMPARE(calls.conditions[0].dayOff, dayOff);
        QCOMPARE(calls.conditions[0].shift, shift);
        QCOMPARE(field(&editor, names::entryOperation)->text(),
                 operation == 11 ? kCutting : operation == 12 ? kPainting : QString());
        QCOMPARE(field(&editor, names::entryColour)->isEnabled(), operation == 12);
        QCOMPARE(field(&editor, names::entryColour)->text(), operation == 12 ? "5" : "");
        QCOMPARE(field(&editor, names::entryHours)->text(), QStringLiteral("0"));
        QCOMPARE(field(&editor, names::entryQuantity)->text(), quantity.isEmpty() ? "0" : quantity);
        QCOMPARE((QStringList{field(&editor, names::entryBasePrice)->text(),
                              field(&editor, names::entryFinalPrice)->text(),
                              field(&editor, names::entryAmount)->text()}),
                 figures);
    }

    // Leaving the quantity or the hours recalculates; an emptied field
    // becomes "0".
    void leavingQuantityRecalculates()
    {
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        editor.prepareNew();
        PickerCalls calls;
        setStubPickers(editor, calls, 1, 11);
        editor.pickOperation();
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QLineEdit *quantity = field(&editor, names::entryQuantity);
        quantity->setFocus();
        quantity->setText("7");
        QTest::keyClick(quantity, Qt::Key_Tab);
        QCOMPARE(field(&editor, names::entryAmount)->text(), QStringLiteral("70"));
        QLineEdit *hours = field(&editor, names::entryHours);
        hours->clear();
        QTest::keyClick(hours, Qt::Key_Tab);
        QCOMPARE(hours->text(), QStringLiteral("0"));
    }

    // "Отмена" keeps what the fields show; "Запись" writes, clears the nine
    // fields and closes.
    void cancelKeepsAndSaveClears()
    {
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        PickerCalls calls;
        setStubPickers(editor, calls, 1, 11);
        editor.prepareNew();
        editor.show();
        editor.pickWorker();
        editor.pickOperation();
        field(&editor, names::entryQuantity)->setText("12");
        field(&editor, names::entryHours)->setText("8");
        const QStringList before = texts(&editor);
        QTest::keyClick(field(&editor, names::entryQuantity), Qt::Key_Escape); // "Отмена"
        QVERIFY(!editor.isVisible());
        QCOMPARE(texts(&editor), before);
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.smena").value(0, "n").toInt(), 0);

        editor.show();
        button(&editor, names::entrySave)->click();
        QVERIFY(!editor.isVisible());
        QCOMPARE(texts(&editor), QStringList(9, QString()));
        QCOMPARE(journal->journal().current().rowCount(), 1);
        QCOMPARE(sheetCell(*m_dm, "w_id=1 and smena=1 and month=3 and year=2026", 5).toInt(), 8);
    }

    // A refused or failed save leaves the editor open with its fields and
    // says so once.
    void unsavedEntryKeepsTheEditor_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("message");
        QTest::newRow("incomplete") << "incomplete" << "Ошибка|Все поля должны быть заполнены!";
        QTest::newRow("duplicate") << "duplicate" << "Ошибка|Позиция с такими параметрами уже заведена!";
        QTest::newRow("sheet refuses the posting") << "posting" << "Ошибка|ERROR: sheet closed";
        // Pasted whole, not cut to a smaller number that would be saved.
        QTest::newRow("pasted quantity beyond the column")
            << "pasted" << "Ошибка|В поле \"Кол-во\" допустимо целое число от 0 до 2147483647.";
    }
    void unsavedEntryKeepsTheEditor()
    {
        QFETCH(QString, cause);
        QFETCH(QString, message);
        if (cause == "duplicate")
            addEntry(*m_dm, {.worker = 1, .date = kDay, .shift = 1, .quantity = 3});
        if (cause == "posting") {
            m_dm->execute("t", "create or replace function accounts_dep.refuse_all() returns "
                               "trigger language plpgsql as $$ begin raise exception 'sheet closed'; "
                               "end $$");
            m_dm->execute("t", "create trigger refuse_all before insert or update on "
                               "accounts_dep.h_tabel for each row execute function accounts_dep.refuse_all()");
        }
        const auto dropTrigger = qScopeGuard([this] {
            m_dm->execute("t", "drop trigger if exists refuse_all on accounts_dep.h_tabel");
        });
        const int entriesBefore =
            m_dm->control("select count(*) as n from accounts_dep.smena").value(0, "n").toInt();
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        PickerCalls calls;
        setStubPickers(editor, calls, 1, 11);
        editor.prepareNew();
        editor.show();
        editor.pickWorker();
        editor.pickOperation();
        field(&editor, names::entryQuantity)->setText(cause == "incomplete" ? "" : "12");
        if (cause == "pasted") {
            QLineEdit *quantity = field(&editor, names::entryQuantity);
            quantity->clear();
            QApplication::clipboard()->setText(QStringLiteral("12345678901"));
            quantity->paste();
            QCOMPARE(quantity->text(), QStringLiteral("12345678901"));
        }
        const QStringList before = texts(&editor);

        BoxWatcher boxes;
        button(&editor, names::entrySave)->click();
        QCOMPARE(boxes.seen.size(), 1);
        const QString seen = boxes.seen[0].title + QLatin1Char('|') + boxes.seen[0].text;
        QVERIFY2(seen.startsWith(message), qPrintable(seen));
        QVERIFY(editor.isVisible());
        QCOMPARE(texts(&editor), before);
        QCOMPARE(m_dm->control("select count(*) as n from accounts_dep.smena").value(0, "n").toInt(),
                 entriesBefore);
        QVERIFY(!m_dm->inTransaction());
    }

    // Changing a painting entry to another operation clears its colour,
    // and the entry is saved without one.
    void paintingChangedToOtherOperationSavesNoColour()
    {
        const int id = addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = kDay,
                                        .shift = 1, .color = 5});
        HoursPosting(*m_dm).save(pieceWorkKey(1, 1, kDay));
        auto journal = openJournal(1);
        EntryWindow editor(*journal);
        QVERIFY(editor.prepareChange());
        QCOMPARE(field(&editor, names::entryColour)->text(), QStringLiteral("5"));
        PickerCalls calls;
        setStubPickers(editor, calls, 0, 11);
        editor.show();
        editor.pickOperation();
        QCOMPARE(field(&editor, names::entryColour)->text(), QString());
        QVERIFY(!field(&editor, names::entryColour)->isEnabled());
        button(&editor, names::entrySave)->click();
        QVERIFY(!editor.isVisible());
        QCOMPARE(rowsText(*m_dm, QStringLiteral("select o_id, i_id, color from accounts_dep.smena where id=%1").arg(id)),
                 QStringLiteral("11,501,0"));
    }

    // The road of one entry through the program's own windows, with small
    // stand-ins for the two reference lists: the journal on a past date and
    // shift 2, "Добавить", both pickers, quantity and hours, "Запись"; the
    // journal comes back on today, and on the entry's date it lists the
    // entry, whose hours are in the sheet.
    void roadOfOneEntry()
    {
        QDate day = QDate::currentDate().addDays(-7);
        while (day.dayOfWeek() != 4)
            day = day.addDays(-1);
        BoxWatcher boxes;
        Startup startup(BuildStamp{20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        PickerCalls calls;
        setStubPickers(startup.entryEditor(), calls, 1, 11);
        JournalWindow &journal = startup.journal();

        bool walked = false;
        QStringList rowShown;
        QTimer::singleShot(0, [&] {
            journal.findChild<QAbstractButton *>(names::journalShift2)->click();
            journal.setPickedDate(day);
            QTest::keyClick(journal.findChild<QDateEdit *>(names::journalDate), Qt::Key_Return);

            QTimer::singleShot(0, [&] {
                auto *editor = qobject_cast<EntryWindow *>(QApplication::activeModalWidget());
                if (!editor)
                    return;
                if (editor->windowTitle() == QStringLiteral("Заведение новой позиции (11)")
                    && editor->findChild<QDateEdit *>(names::entryDate)->date() == day) {
                    QTest::mouseClick(field(editor, names::entryWorker), Qt::LeftButton);
                    button(editor, names::entryOperationPick)->click();
                    typed(field(editor, names::entryQuantity), "12");
                    QLineEdit *hours = field(editor, names::entryHours);
                    hours->clear();
                    typed(hours, "8");
                    // Enter is "Запись".
                    QTest::keyClick(hours, Qt::Key_Return);
                }
                if (editor->isVisible())
                    editor->reject();
            });
            journal.findChild<QAbstractButton *>(names::journalAdd)->click();

            // Back from the editor: today's journal.
            walked = journal.pickedDate() == QDate::currentDate() && journal.journal().date() == QDate::currentDate();
            journal.setPickedDate(day);
            journal.changeDate();
            auto *grid = journal.findChild<QTableView *>(names::journalGrid);
            for (int c : {0, 1, 2, 5, 6, 8, 10})
                rowShown << grid->model()->index(0, c).data().toString();
            rowShown << QString::number(grid->model()->rowCount());
            journal.reject();
        });
        startup.login().wordField()->setText("5283");
        QVERIFY(startup.login().login());

        QVERIFY(boxes.seen.isEmpty());
        QVERIFY(walked);
        QCOMPARE(calls.workerModes, QList<int>{1});
        QCOMPARE(calls.startOperations, QList<int>{0});
        QCOMPARE(calls.conditions.size(), 1);
        QCOMPARE(calls.conditions[0].shift, 2);
        QVERIFY(!calls.conditions[0].dayOff);
        QCOMPARE(rowShown, (QStringList{"Иванов И.И.", "КР-100", "Резка", "8", "12", "120", "no", "1"}));
        const QString key = QStringLiteral("w_id=1 and smena=2 and month=%1 and year=%2").arg(day.month()).arg(day.year());
        QCOMPARE(sheetCell(*m_dm, key, day.day()).toInt(), 8);
        const QStringList diff = sheetVersusJournal(*m_dm);
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join("; ")));
    }
};

QTEST_MAIN(EntryWindowTest)
#include "test_entrywindow.moc"
