// The windows of operations in an offscreen session on a small shop: a new
// operation through to its first norm, the operation pick, the "Цены"
// double-click, norms typed into the grid, deleting, "Excel", the kinds
// list and editor, the nomenclature picker, and how the program wires
// them to the journal's menu and the editors.
#include "app/errordisplay.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "modal.h"
#include "journal/entrywindow.h"
#include "journal/journalwindow.h"
#include "reference/norms.h"
#include "reference/operations.h"
#include "reference/operationwindows.h"
#include "reports/spreadsheet.h"
#include "testdb.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

// Cyrillic text, one character at a time (QTest::keyClicks cannot).
void type(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Types a cell of a grid the way a user does: the editor opens, takes the
// text, and Enter leaves the cell.
void typeCell(QTableView *grid, int row, int column, const QString &text)
{
    const QModelIndex index = grid->model()->index(row, column);
    grid->setCurrentIndex(index);
    grid->edit(index);
    // Editors of cells left before may linger hidden until deleted.
    QLineEdit *editor = nullptr;
    for (auto *e : grid->viewport()->findChildren<QLineEdit *>())
        if (e->isVisible())
            editor = e;
    if (!editor)
        return;
    editor->selectAll();
    type(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view finishes the cell through its event queue.
    QCoreApplication::processEvents();
}

void doubleClickRow(QTableView *grid, int row)
{
    Q_EMIT grid->doubleClicked(grid->model()->index(row, 0));
}

int currentId(const ResultSet &set)
{
    return set.value(QStringLiteral("id")).toInt();
}

} // namespace

class OperationWindowsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    MessageBoxNotifier m_boxes;

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        // The program's own connection name is left to the start-up test.
        m_dm = m_db->connect("windows test");
        m_dm->setNotifier(&m_boxes);
    }
    void init()
    {
        loadShop(*m_dm);
        QLocale::setDefault(QLocale::c());
    }
    void cleanup() { clearQuitRequest(); }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void newOperationGoesOnToItsFirstNorm()
    {
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        w.operationEditor.setProductPicker([] { return ProductPick{502, " КН-230 "}; });
        struct
        {
            bool addIsDefault = false;
            QString caption, markBefore, kindBefore;
            bool kindPickerIsPicking = false;
            int normsOperation = 0, normsRows = 0;
            int listedId = 0, listedNorms = 0;
            double listedPrice = 0;
        } seen;

        onModal("TForm4", [&](QWidget *) {
            seen.addIsDefault = w.operations.addButton()->isDefault();
            onModal("TForm10", [&](QWidget *) {
                seen.caption = w.operationEditor.windowTitle();
                seen.markBefore = w.operationEditor.markField()->text();
                seen.kindBefore = w.operationEditor.kindField()->text();
                onModal("TForm8", [&](QWidget *) {
                    seen.kindPickerIsPicking = w.kinds.middleButton()->isDefault()
                        && w.kinds.searchField()->isVisible() && w.kinds.addButton()->isHidden();
                    type(w.kinds.searchField(), "рез");
                    QTest::keyClick(w.kinds.searchField(), Qt::Key_Return);
                });
                w.operationEditor.kindButton()->click();
                w.operationEditor.markButton()->click();
                onModal("TForm22", [&](QWidget *) {
                    seen.normsOperation = w.norms.model().operationId();
                    seen.normsRows = w.norms.model().rowCount();
                    typeCell(w.norms.grid(), 0, norms::Price, "4.5");
                    // Enter outside a cell is "Сохранить".
                    QTest::keyClick(w.norms.grid(), Qt::Key_Return);
                });
                QTest::keyClick(w.operationEditor.markField(), Qt::Key_Return);
            });
            w.operations.addButton()->click();
            const ResultSet &oper = m_dm->oper();
            seen.listedId = currentId(oper);
            seen.listedPrice = oper.value("cena").toDouble();
            seen.listedNorms = oper.value("norma").toInt();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();

        QVERIFY(!watchdog.fired);
        QVERIFY(seen.addIsDefault);
        QCOMPARE(seen.caption, QStringLiteral("Заведение новой цены за операцию"));
        QCOMPARE(seen.markBefore, QString());
        QCOMPARE(seen.kindBefore, QString());
        QVERIFY(seen.kindPickerIsPicking);
        const RowSet made = m_dm->control("select id, vid, naimen, i_id, cena_new from accounts_dep.oper where id > 12");
        QCOMPARE(made.size(), 1);
        const int id = made.value(0, "id").toInt();
        QCOMPARE(made.value(0, "vid").toInt(), 1);
        QCOMPARE(made.value(0, "i_id").toInt(), 502);
        QCOMPARE(made.value(0, "naimen").toInt(), 0);
        QCOMPARE(seen.normsOperation, id);
        QCOMPARE(seen.normsRows, 1);
        // The list stands on the new operation with its first norm.
        QCOMPARE(seen.listedId, id);
        QCOMPARE(seen.listedPrice, 4.5);
        QCOMPARE(seen.listedNorms, 1);
        // The kinds list gave up picking.
        QVERIFY(w.kinds.searchField()->isHidden());
        QVERIFY(!w.kinds.middleButton()->isDefault());
    }

    // List order: operation 12 (КН-230, base price 3), then 11 (КР-100, 10).
    void operationPick_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("startsOn");
        QTest::addColumn<int>("picked");
        QTest::addColumn<double>("price");
        QTest::newRow("starts on the entry's operation") << 11 << "" << 0 << 11 << 11 << 24.0;
        QTest::newRow("new entry starts on the first row, Down moves") << 0 << "" << 1 << 12 << 11 << 24.0;
        QTest::newRow("text from the middle of a mark") << 0 << "р-1" << 0 << 12 << 11 << 24.0;
        QTest::newRow("first row picked") << 0 << "" << 0 << 12 << 12 << 7.2;
        QTest::newRow("nothing shown, nothing picked") << 0 << "ЯЯ" << 0 << 12 << 0 << 0.0;
    }
    void operationPick()
    {
        QFETCH(int, start);
        QFETCH(QString, typed);
        QFETCH(int, downs);
        QFETCH(int, startsOn);
        QFETCH(int, picked);
        QFETCH(double, price);
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        struct
        {
            int startId = 0;
            bool picking = false;
        } seen;
        onModal("TForm4", [&](QWidget *) {
            seen.startId = currentId(m_dm->oper());
            seen.picking = w.operations.middleButton()->isDefault()
                && w.operations.middleButton()->text() == "Выбрать" && w.operations.addButton()->isHidden()
                && w.operations.deleteButton()->isHidden() && w.operations.searchField()->isVisible()
                && w.operations.searchField()->text().isEmpty();
            QLineEdit *search = w.operations.searchField();
            type(search, typed);
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(search, Qt::Key_Down);
            QTest::keyClick(search, Qt::Key_Return);
        });
        w.operations.searchField()->setText("left over");
        const auto pick = w.operations.pickOperation(start, {true, 3});

        QVERIFY(!watchdog.fired);
        QCOMPARE(seen.startId, startsOn);
        QVERIFY(seen.picking);
        QCOMPARE(pick.has_value(), picked != 0);
        if (pick) {
            QCOMPARE(pick->operationId, picked);
            QCOMPARE(pick->price, price);
        }
        QVERIFY(!w.operations.middleButton()->isDefault());
        QVERIFY(w.operations.searchField()->isHidden());
        QVERIFY(!m_dm->oper().isFiltered());
    }

    void doubleClick_data()
    {
        QTest::addColumn<bool>("pricesTicked");
        QTest::addColumn<QString>("opens");
        QTest::newRow("with \"Цены\" the norms") << true << "TForm22";
        QTest::newRow("without, the editor") << false << "TForm10";
    }
    void doubleClick()
    {
        QFETCH(bool, pricesTicked);
        QFETCH(QString, opens);
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        struct
        {
            bool opened = false;
            int normsOperation = 0;
            QString caption, mark, kind;
            int productKind = -1;
            int listRow = -1;
        } seen;
        onModal("TForm4", [&](QWidget *) {
            ResultSet &oper = m_dm->oper();
            w.operations.pricesBox()->setChecked(pricesTicked);
            oper.setCurrentRow(operations::rowOf(oper, 12));
            onModal(opens, [&](QWidget *window) {
                seen.opened = true;
                seen.normsOperation = w.norms.model().operationId();
                seen.caption = w.operationEditor.windowTitle();
                seen.mark = w.operationEditor.markField()->text();
                seen.kind = w.operationEditor.kindField()->text();
                seen.productKind = w.operationEditor.productKindBox()->currentIndex();
                QTest::keyClick(window, Qt::Key_Escape);
            });
            doubleClickRow(w.operations.grid(), oper.currentRow());
            seen.listRow = oper.currentRow();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();

        QVERIFY(!watchdog.fired);
        QVERIFY(seen.opened);
        QCOMPARE(seen.listRow, 0);
        if (pricesTicked) {
            QCOMPARE(seen.normsOperation, 12);
        } else {
            QCOMPARE(seen.caption, QStringLiteral("Изменение данных о цене за операцию"));
            QCOMPARE(seen.mark, QStringLiteral("КН-230"));
            QCOMPARE(seen.kind, QStringLiteral("Покраска порошковой краской"));
            QCOMPARE(seen.productKind, 1);
        }
    }

    void normsTypedIntoTheGrid()
    {
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        struct
        {
            std::shared_ptr<BoxAnswer> refusal;
            QString priceAfterRefusal;
            int storedAfterDeletes = 0;
            int listRow = -1;
            double listPrice = 0;
            int listNorms = 0;
        } seen;
        onModal("TForm4", [&](QWidget *) {
            ResultSet &oper = m_dm->oper();
            w.operations.pricesBox()->setChecked(true);
            oper.setCurrentRow(operations::rowOf(oper, 11));
            onModal("TForm22", [&](QWidget *) {
                QTableView *grid = w.norms.grid();
                // Norms of operation 11: 100 at 12.5, 120 at 10.
                seen.refusal = answerNextBox(QMessageBox::Ok);
                typeCell(grid, 1, norms::Price, "abc");
                seen.priceAfterRefusal = grid->model()->index(1, norms::Price).data().toString();
                typeCell(grid, 1, norms::Price, "8");
                typeCell(grid, 2, norms::Norma, "200");
                typeCell(grid, 2, norms::Price, "9,5");
                grid->setCurrentIndex(grid->model()->index(0, 0));
                w.norms.deleteButton()->click();
                QTest::keyClick(grid, Qt::Key_Escape);
            });
            doubleClickRow(w.operations.grid(), oper.currentRow());
            seen.listRow = oper.currentRow();
            seen.listPrice = oper.value("cena").toDouble();
            seen.listNorms = oper.value("norma").toInt();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();

        QVERIFY(!watchdog.fired);
        QVERIFY(seen.refusal->seen);
        QCOMPARE(seen.refusal->title, QStringLiteral("Ошибка"));
        QVERIFY(seen.refusal->text.startsWith("«abc» — не число."));
        QCOMPARE(seen.priceAfterRefusal, QStringLiteral("10.00"));
        const RowSet norms = m_dm->control("select norma, price from accounts_dep.norm where o_id=11 order by norma");
        QCOMPARE(norms.size(), 2);
        QCOMPARE(norms.value(0, "norma").toInt(), 120);
        QCOMPARE(norms.value(0, "price").toDouble(), 8.0);
        QCOMPARE(norms.value(1, "norma").toInt(), 200);
        QCOMPARE(norms.value(1, "price").toDouble(), 9.5);
        // Escape saved and re-read the list, which stayed on its row.
        QCOMPARE(seen.listRow, 1);
        QCOMPARE(seen.listPrice, 8.0);
        QCOMPARE(seen.listNorms, 2);
    }

    void titleBarCloseDropsTheOpenCell()
    {
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        double listPrice = 0;
        onModal("TForm4", [&](QWidget *) {
            ResultSet &oper = m_dm->oper();
            w.operations.pricesBox()->setChecked(true);
            oper.setCurrentRow(operations::rowOf(oper, 11));
            onModal("TForm22", [&](QWidget *) {
                QTableView *grid = w.norms.grid();
                // A norm saved before the close stays saved...
                typeCell(grid, 0, norms::Price, "9");
                // ...while the cell still being typed into is dropped.
                const QModelIndex price = grid->model()->index(1, norms::Price);
                grid->setCurrentIndex(price);
                grid->edit(price);
                for (auto *e : grid->viewport()->findChildren<QLineEdit *>())
                    if (e->isVisible()) {
                        e->selectAll();
                        type(e, "7");
                    }
                w.norms.close();
            });
            doubleClickRow(w.operations.grid(), oper.currentRow());
            listPrice = oper.value("cena").toDouble();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();

        QVERIFY(!watchdog.fired);
        const RowSet norms = m_dm->control("select price from accounts_dep.norm where o_id=11 order by norma");
        QCOMPARE(norms.value(0, "price").toDouble(), 9.0);
        QCOMPARE(norms.value(1, "price").toDouble(), 10.0);
        // The list was read again and shows the lowest price as it now is.
        QCOMPARE(listPrice, 9.0);
    }

    void deleteOperationAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("no") << int(QMessageBox::No) << QList<int>{12, 11};
        QTest::newRow("yes") << int(QMessageBox::Yes) << QList<int>{11};
    }
    void deleteOperationAsks()
    {
        QFETCH(int, answer);
        QFETCH(QList<int>, left);
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        std::shared_ptr<BoxAnswer> question;
        QList<int> shown;
        onModal("TForm4", [&](QWidget *) {
            ResultSet &oper = m_dm->oper();
            oper.setCurrentRow(operations::rowOf(oper, 12));
            question = answerNextBox(QMessageBox::StandardButton(answer));
            w.operations.deleteButton()->click();
            for (int r = 0; r < oper.rowCount(); ++r)
                shown << oper.value(r, "id").toInt();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();
        QVERIFY(!watchdog.fired);
        QCOMPARE(question->title, QStringLiteral("Удаление"));
        QCOMPARE(question->text, QStringLiteral("Удалить операцию?"));
        QCOMPARE(shown, left);
    }

    void excelSavesThePriceList()
    {
        Watchdog watchdog;
        QTemporaryDir dir;
        Spreadsheet sheet(&m_boxes);
        sheet.setFolder(dir.path());
        sheet.setOpener([](const QString &) { return true; });
        OperationWindows w(*m_dm);
        w.operations.setSpreadsheet(&sheet);
        onModal("TForm4", [&](QWidget *) {
            // The search narrows the list, not the export.
            type(w.operations.searchField(), "КР");
            w.operations.excelButton()->click();
            w.operations.exitButton()->click();
        });
        w.operations.openManaging();
        QVERIFY(!watchdog.fired);
        QCOMPARE(sheet.savedFiles().size(), 1);
        QProcess xlsx2csv;
        xlsx2csv.start("xlsx2csv", {sheet.savedFiles().first()});
        QVERIFY(xlsx2csv.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(xlsx2csv.readAllStandardOutput()).count('\n'), 3);
    }

    void kindsListAfterAPick()
    {
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        // A pick left its search text behind in the hidden field.
        onModal("TForm8", [&](QWidget *) {
            type(w.kinds.searchField(), "рез");
            QTest::keyClick(w.kinds.searchField(), Qt::Key_Escape);
        });
        QVERIFY(!w.kinds.pickKind());

        struct
        {
            int rowsShown = 0;
            bool searchHidden = false;
            QString caption;
            std::shared_ptr<BoxAnswer> refusal;
            bool editorOpenAfterRefusal = false;
            QStringList names;
            QString renameCaption, renameText;
        } seen;
        onModal("TForm8", [&](QWidget *) {
            ResultSet &kinds = m_dm->vidOper();
            seen.rowsShown = kinds.rowCount();
            seen.searchHidden = w.kinds.searchField()->isHidden();
            onModal("TForm9", [&](QWidget *editor) {
                seen.caption = editor->windowTitle();
                type(w.kindEditor.nameField(), "  резка ");
                seen.refusal = answerNextBox(QMessageBox::Ok);
                QTest::keyClick(w.kindEditor.nameField(), Qt::Key_Return);
                seen.editorOpenAfterRefusal = editor->isVisible();
                w.kindEditor.nameField()->clear();
                type(w.kindEditor.nameField(), " Сварка ");
                QTest::keyClick(w.kindEditor.nameField(), Qt::Key_Return);
            });
            w.kinds.addButton()->click();
            for (int r = 0; r < kinds.rowCount(); ++r)
                seen.names << kinds.value(r, "vid").toString();
            // A double-click in managing mode changes the kind.
            onModal("TForm9", [&](QWidget *editor) {
                seen.renameCaption = editor->windowTitle();
                seen.renameText = w.kindEditor.nameField()->text();
                QTest::keyClick(editor, Qt::Key_Escape);
            });
            doubleClickRow(w.kinds.grid(), 0);
            w.kinds.exitButton()->click();
        });
        w.kinds.openManaging();

        QVERIFY(!watchdog.fired);
        QCOMPARE(seen.rowsShown, 2);
        QVERIFY(seen.searchHidden);
        QCOMPARE(seen.caption, QStringLiteral("Заведение нового вида операций"));
        QVERIFY(seen.refusal->seen);
        QCOMPARE(seen.refusal->text, QStringLiteral("Такая операция уже заведена!"));
        QVERIFY(seen.editorOpenAfterRefusal);
        QCOMPARE(seen.names, (QStringList{"Покраска порошковой краской", "Резка", "Сварка"}));
        QCOMPARE(seen.renameCaption, QStringLiteral("Изменение данных вида операции"));
        QCOMPARE(seen.renameText, QStringLiteral("Покраска порошковой краской"));
    }

    void nomenclatureSearchStaysBetweenOpenings()
    {
        m_dm->execute("t", "insert into cmn_classifier.item(id, id_level, s_caption) values "
                           "(11, 2, 'Кляммеры'), (12, 1, 'Клеи'), (13, 2, 'Профили')");
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        NomenclatureWindow &picker = w.nomenclature;
        QCOMPARE(picker.windowTitle(), QStringLiteral("Номенклатура (26)"));
        QCOMPARE(picker.minimumSize(), picker.maximumSize());

        // Level-2 items beginning with "к": Кляммеры (11), Кронштейны (10).
        onModal("TForm26", [&](QWidget *) {
            type(picker.searchField(), "к");
            QTest::keyClick(picker.searchField(), Qt::Key_Down);
            QTest::keyClick(picker.searchField(), Qt::Key_Return);
        });
        const auto first = picker.pickNomenclature();
        QVERIFY(first);
        QCOMPARE(first->id, 10);
        QCOMPARE(first->caption, QStringLiteral("Кронштейны"));

        struct
        {
            QString text;
            int rows = 0, currentId = 0;
            bool addShown = true;
        } seen;
        onModal("TForm26", [&](QWidget *window) {
            seen.text = picker.searchField()->text();
            seen.rows = picker.items().rowCount();
            seen.currentId = qRound(picker.items().value("id").toDouble());
            seen.addShown = picker.addButton()->isVisible();
            QTest::keyClick(window, Qt::Key_Escape);
        });
        QVERIFY(!picker.pickNomenclature());
        QCOMPARE(seen.text, QStringLiteral("к"));
        QCOMPARE(seen.rows, 2);
        QCOMPARE(seen.currentId, 10);
        QVERIFY(!seen.addShown);

        // Filtered to nothing: "Выбрать" hands nothing back and closes.
        onModal("TForm26", [&](QWidget *) {
            type(picker.searchField(), "я");
            picker.middleButton()->click();
        });
        QVERIFY(!picker.pickNomenclature());
        QVERIFY(!watchdog.fired);
    }

    // A search field that takes only typed characters still takes a
    // character beyond the Basic Multilingual Plane, which arrives as one
    // key with a surrogate pair for its text.
    void searchTakesCharactersBeyondTheBasicPlane()
    {
        m_dm->execute("t", "insert into cmn_classifier.item(id, id_level, s_caption) values "
                           "(11, 2, '👷 Каски'), (12, 2, '𝔘-профили')");
        Watchdog watchdog;
        OperationWindows w(*m_dm);
        NomenclatureWindow &picker = w.nomenclature;
        struct
        {
            QString text;
            int rows = -1;
        } seen;
        onModal("TForm26", [&](QWidget *) {
            for (const QString &key : {QStringLiteral("𝔘"), QStringLiteral("\u0001")})
                QTest::sendKeyEvent(QTest::Click, picker.searchField(), Qt::Key_unknown, key, Qt::NoModifier);
            seen.text = picker.searchField()->text();
            seen.rows = picker.items().rowCount();
            QTest::keyClick(picker.searchField(), Qt::Key_Return);
        });
        const auto picked = picker.pickNomenclature();
        QCOMPARE(seen.text, QStringLiteral("𝔘"));
        QCOMPARE(seen.rows, 1);
        QVERIFY(picked);
        QCOMPARE(picked->id, 12);
        QVERIFY(!watchdog.fired);
    }

    void journalMenuOpensTheLists_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        QTest::newRow("prices") << "actPrices" << "TForm4";
        QTest::newRow("operation kinds") << "actOperationKinds" << "TForm8";
        QTest::newRow("workers") << "actWorkers" << "TForm5";
        QTest::newRow("products") << "actProducts" << "TForm3";
    }
    void journalMenuOpensTheLists()
    {
        QFETCH(QString, action);
        QFETCH(QString, window);
        Watchdog watchdog;
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        bool managing = false;
        onModal(window, [&](QWidget *w) {
            auto *list = qobject_cast<ListWindow *>(w);
            managing = list && !list->isPicking() && list->addButton()->isVisible();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        startup.journal().menuAction(action)->trigger();
        QVERIFY(!watchdog.fired);
        QVERIFY(managing);
    }

    // The program hands these lists to the editors as their pickers.
    void pickersOfTheEditors_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("window");
        QTest::newRow("operation of a shift entry") << "operation" << "TForm4";
        QTest::newRow("product of an operation") << "product" << "TForm3";
    }
    void pickersOfTheEditors()
    {
        QFETCH(QString, picker);
        QFETCH(QString, window);
        Watchdog watchdog;
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        bool picking = false;
        onModal(window, [&](QWidget *w) {
            auto *list = qobject_cast<ListWindow *>(w);
            picking = list && list->isPicking();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        if (picker == "operation")
            startup.entryEditor().pickOperation();
        else
            startup.operationWindows().operationEditor.pickProduct();
        QVERIFY(!watchdog.fired);
        QVERIFY(picking);
    }
};

QTEST_MAIN(OperationWindowsTest)
#include "test_operationwindows.moc"
