// The workers list and the worker editor: the statements, saving through
// the editor, the list's modes and its picks, in an offscreen session.
#include "data/datamodule.h"
#include "fixtures.h"
#include "modal.h"
#include "reference/workereditor.h"
#include "reference/workers.h"
#include "reference/workerswindow.h"
#include "testdb.h"
#include "recording.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

void typeInto(QWidget *w, const QString &text)
{
    // keyClicks cannot send Cyrillic letters.
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class WorkersTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    RecordingNotifier m_notes;

    QStringList names()
    {
        const RowSet r = m_dm->control("select fio from accounts_dep.person order by fio");
        QStringList out;
        for (int i = 0; i < r.size(); ++i)
            out << r.value(i, "fio").toString();
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
        m_dm->setNotifier(&m_notes);
        QLocale::setDefault(QLocale(QLocale::Russian));
    }
    void init()
    {
        loadShop(*m_dm);
        m_notes.shown.clear();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    void statements()
    {
        QCOMPARE(workers::insertSql("Сидоров С.С.", "Маляр"),
                 QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES('Сидоров С.С.', 'Маляр')"));
        QCOMPARE(workers::updateSql(7, "О'Нил", ""),
                 QStringLiteral("UPDATE accounts_dep.person SET fio='О''Нил', s_staffpos_hl='' where accounts_dep.person.id=7"));
        QCOMPARE(workers::deleteSql(12), QStringLiteral("delete from accounts_dep.person where id =12"));
    }

    void savedNamesAreTrimmedAndExact_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("blanks around") << "  Сидоров Семён  " << "Сварщик" << "Сидоров Семён";
        QTest::newRow("apostrophe, quotes, backslash") << "Д'Артаньян \"Шарль\" \\ де Батс" << "Мушкетёр's"
                                                       << "Д'Артаньян \"Шарль\" \\ де Батс";
        QTest::newRow("a would-be statement") << "x'); delete from accounts_dep.person; --" << ""
                                             << "x'); delete from accounts_dep.person; --";
        QTest::newRow("blanks only") << "   " << "Сварщик" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void savedNamesAreTrimmedAndExact()
    {
        QFETCH(QString, typed);
        QFETCH(QString, position);
        QFETCH(QString, stored);
        const bool saved = workers::save(*m_dm, workers::newWorker, 0, typed, position);
        QCOMPARE(saved, !stored.isEmpty());
        if (stored.isEmpty()) {
            QCOMPARE(m_notes.shown, QStringList{"Ошибка|ФИО нужно заполнить!"});
            QCOMPARE(names().size(), 2);
            return;
        }
        const RowSet r = m_dm->control("select fio, s_staffpos_hl from accounts_dep.person where id > 2");
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.value(0, "fio").toString(), stored);
        QCOMPARE(r.value(0, "s_staffpos_hl").toString(), position);
        // An empty position is an empty text, not NULL.
        QVERIFY(!r.value(0, "s_staffpos_hl").isNull());
        QCOMPARE(names().size(), 3);
    }

    void editorWritesTheShownPosition()
    {
        m_dm->execute("t", "insert into hrms_staffpos.staffpos(id, s_caption) values (1, 'Сварщик'), (2, 'Маляр')");
        m_dm->execute("t", "insert into cmn_department.department(id, s_caption) values (1, 'Цех')");
        m_dm->execute("t", "insert into adm_role.roles(id, s_caption) values (1, 'Оператор')");
        WorkerEditor editor(*m_dm);
        // Nothing chosen yet: the position is stored empty.
        onNextModal<WorkerEditor>([](WorkerEditor *e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Заведение данных нового работника"));
            QCOMPARE(e->positionBox()->count(), 2);
            QCOMPARE(e->positionBox()->currentIndex(), -1);
            e->nameField()->setText(" Новиков Н.Н. ");
            e->positionBox()->setCurrentIndex(e->positionBox()->findText("Сварщик"));
            e->findChild<QPushButton *>("saveButton")->click();
        });
        QVERIFY(editor.openNew());
        QCOMPARE(m_dm->control("select s_staffpos_hl from accounts_dep.person where fio='Новиков Н.Н.'")
                     .value(0, "s_staffpos_hl").toString(),
                 QStringLiteral("Сварщик"));
        // A change writes the name trimmed and keeps the worker's own
        // position, not the one the selector showed for the last worker.
        onNextModal<WorkerEditor>([](WorkerEditor *e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Изменение данных работника"));
            QCOMPARE(e->nameField()->text(), QStringLiteral("Петров Пётр Петрович"));
            QCOMPARE(e->positionBox()->currentText(), QStringLiteral("Маляр"));
            e->nameField()->setText("Петров П. П.  ");
            e->findChild<QPushButton *>("saveButton")->click();
        });
        QVERIFY(editor.openChange(2, "  Петров Пётр Петрович ", "Маляр"));
        RowSet row = m_dm->control("select fio, s_staffpos_hl from accounts_dep.person where id=2");
        QCOMPARE(row.value(0, "fio").toString(), QStringLiteral("Петров П. П."));
        QCOMPARE(row.value(0, "s_staffpos_hl").toString(), QStringLiteral("Маляр"));
        // A position the plant's table does not list stays as it was.
        onNextModal<WorkerEditor>([](WorkerEditor *e) {
            QCOMPARE(e->positionBox()->currentIndex(), -1);
            e->findChild<QPushButton *>("saveButton")->click();
        });
        QVERIFY(editor.openChange(1, "Иванов Иван Иванович", "Слесарь"));
        QCOMPARE(m_dm->control("select s_staffpos_hl from accounts_dep.person where id=1").value(0, "s_staffpos_hl").toString(),
                 QStringLiteral("Слесарь"));
        // A blank name is refused and the editor stays open; Cancel then
        // writes nothing.
        auto refused = std::make_shared<bool>(false);
        onNextModal<WorkerEditor>([this, refused](WorkerEditor *e) {
            e->nameField()->setText("  ");
            e->findChild<QPushButton *>("saveButton")->click();
            *refused = e->isVisible() && m_notes.shown == QStringList{"Ошибка|ФИО нужно заполнить!"};
            e->findChild<QPushButton *>("cancelButton")->click();
        });
        QVERIFY(!editor.openChange(2, "Петров П. П.", "Маляр"));
        QVERIFY(*refused);
        QCOMPARE(names().size(), 3);
    }

    // The name field cuts nothing: a stored name of 200 emoji (400 UTF-16
    // units, within the column's 254 characters) opens whole and is saved
    // unchanged; a pasted name longer than the column is refused whole
    // instead of being stored cut.
    void editorNeitherCutsNorStoresCut()
    {
        const QString emoji = QString(QStringLiteral("👷")).repeated(200);
        m_dm->execute("t", "update accounts_dep.person set fio=:f where id=2", {{"f", emoji}});
        WorkerEditor editor(*m_dm);
        onNextModal<WorkerEditor>([](WorkerEditor *e) { e->findChild<QPushButton *>("saveButton")->click(); });
        QVERIFY(editor.openChange(2, emoji, "Маляр"));
        QCOMPARE(m_dm->control("select fio from accounts_dep.person where id=2").value(0, "fio").toString(), emoji);

        auto seen = std::make_shared<QString>();
        onNextModal<WorkerEditor>([this, seen](WorkerEditor *e) {
            QApplication::clipboard()->setText(QString(QStringLiteral("Я")).repeated(300));
            e->nameField()->clear();
            e->nameField()->paste();
            *seen = QString::number(e->nameField()->text().size());
            e->findChild<QPushButton *>("saveButton")->click();
            *seen += QLatin1Char('|') + m_notes.shown.join(QLatin1Char(';'));
            e->findChild<QPushButton *>("cancelButton")->click();
        });
        QVERIFY(!editor.openNew());
        QCOMPARE(*seen, QStringLiteral("300|Ошибка|В поле \"ФИО\" можно записать не больше 254 знаков, а введено 300."));
        QCOMPARE(names().size(), 2);
    }

    // The plant's tables have numeric(18,0) ids; one beyond 2^53 shares its
    // double with its neighbours. Each selector must come back on the very
    // row it showed, not on a neighbour listed before it.
    void selectorsKeepTheirRowByExactId()
    {
        const qlonglong id = 900719925474099312LL;
        for (const char *table : {workers::departmentTable, workers::staffPositionTable, workers::roleTable})
            m_dm->execute("t", QStringLiteral("insert into %1(id, s_caption) values (%2, 'А'), (%3, 'Б'), (%4, 'В')")
                                   .arg(QLatin1String(table)).arg(id - 1).arg(id + 1).arg(id));
        WorkerEditor editor(*m_dm);
        const QList<QComboBox *> boxes{editor.departmentBox(), editor.positionBox(), editor.roleBox()};
        onNextModal<WorkerEditor>([boxes](WorkerEditor *e) {
            for (QComboBox *box : boxes)
                box->setCurrentIndex(box->findText("В"));
            e->nameField()->setText("Новиков Н.Н.");
            e->findChild<QPushButton *>("saveButton")->click();
        });
        QVERIFY(editor.openNew());
        auto shown = std::make_shared<QStringList>();
        onNextModal<WorkerEditor>([boxes, shown](WorkerEditor *e) {
            for (QComboBox *box : boxes)
                *shown << box->currentText() + '|' + box->currentData().toString();
            e->nameField()->setText("Орлов О.О.");
            e->findChild<QPushButton *>("saveButton")->click();
        });
        QVERIFY(editor.openNew());
        const QString expected = QStringLiteral("В|%1").arg(id);
        QCOMPARE(*shown, (QStringList{expected, expected, expected}));
        QCOMPARE(m_dm->control("select s_staffpos_hl from accounts_dep.person where fio='Орлов О.О.'")
                     .value(0, "s_staffpos_hl").toString(),
                 QStringLiteral("В"));
    }

    void wheelStepsTheFocusedSelector()
    {
        m_dm->execute("t", "insert into adm_role.roles(id, s_caption) values (1, 'А'), (2, 'Б'), (3, 'В')");
        m_dm->execute("t", "insert into hrms_staffpos.staffpos(id, s_caption) values (1, 'Маляр'), (2, 'Сварщик')");
        WorkerEditor editor(*m_dm);
        onNextModal<WorkerEditor>([](WorkerEditor *e) {
            e->roleBox()->setCurrentIndex(0);
            e->positionBox()->setCurrentIndex(0);
            e->roleBox()->setFocus();
            QWheelEvent down(QPointF(5, 5), e->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false);
            // Turned over the position selector, it still moves the role.
            QApplication::sendEvent(e->positionBox(), &down);
            QCOMPARE(e->roleBox()->currentText(), QStringLiteral("Б"));
            QCOMPARE(e->positionBox()->currentText(), QStringLiteral("Маляр"));
            QWheelEvent up(QPointF(5, 5), e->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e, &up);
            QApplication::sendEvent(e, &up);
            QCOMPARE(e->roleBox()->currentText(), QStringLiteral("А"));
            e->reject();
        });
        editor.openNew();
    }

    void listManagesWorkers()
    {
        WorkerEditor editor(*m_dm);
        WorkersWindow list(*m_dm, editor);
        auto *grid = list.findChild<QTableView *>();
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            QCOMPARE(l->windowTitle(), QStringLiteral("Список рабочих"));
            QVERIFY(l->addButton()->isVisible());
            QVERIFY(l->addButton()->isDefault());
            QCOMPARE(l->middleButton()->text(), QStringLiteral("Изменить"));
            QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ФИО"));
            QCOMPARE(grid->model()->rowCount(), 2);

            // Add: the new worker is listed in name order, the list at its
            // first row.
            l->resultSet()->setCurrentRow(1);
            onNextModal<WorkerEditor>([](WorkerEditor *e) {
                QVERIFY(e->nameField()->text().isEmpty());
                e->nameField()->setText("Андреев А.А.");
                e->findChild<QPushButton *>("saveButton")->click();
            });
            l->addButton()->click();
            QCOMPARE(grid->model()->rowCount(), 3);
            QCOMPARE(l->resultSet()->currentRow(), 0);
            QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("Андреев А.А."));

            // Delete answered No keeps him; Yes removes the current row and
            // the list stays on that row number.
            l->resultSet()->setCurrentRow(1);
            auto no = answerNextBox(QMessageBox::No);
            l->deleteButton()->click();
            QVERIFY(no->seen);
            QCOMPARE(no->title, QStringLiteral("Удаление"));
            QCOMPARE(no->text, QStringLiteral("Удалить работника?"));
            QCOMPARE(no->icon, QMessageBox::Question);
            QCOMPARE(grid->model()->rowCount(), 3);
            answerNextBox(QMessageBox::Yes);
            l->deleteButton()->click();
            QCOMPARE(grid->model()->rowCount(), 2);
            QCOMPARE(l->resultSet()->currentRow(), 1);
            QCOMPARE(grid->currentIndex().row(), 1);
            QCOMPARE(grid->model()->index(1, 0).data().toString(), QStringLiteral("Петров Пётр Петрович"));

            // A change from the main menu closes the list when the editor
            // closes, even when it was cancelled.
            onNextModal<WorkerEditor>([](WorkerEditor *e) {
                QCOMPARE(e->nameField()->text(), QStringLiteral("Петров Пётр Петрович"));
                e->reject();
            });
            l->middleButton()->click();
        });
        list.openManaging();
        QVERIFY(!list.isVisible());
        QVERIFY(!m_dm->workers().isOpen());
        QCOMPARE(names(), (QStringList{"Андреев А.А.", "Петров Пётр Петрович"}));
    }

    void deletingTheOnlyWorkerLeavesNoCurrentRow()
    {
        m_dm->execute("t", "delete from accounts_dep.person where id=2");
        WorkerEditor editor(*m_dm);
        WorkersWindow list(*m_dm, editor);
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            answerNextBox(QMessageBox::Yes);
            l->deleteButton()->click();
            QCOMPARE(l->resultSet()->rowCount(), 0);
            QCOMPARE(l->resultSet()->currentRow(), -1);
            // Nothing to change or delete now.
            l->deleteButton()->click();
            l->reject();
        });
        list.openManaging();
        QVERIFY(names().isEmpty());
    }

    void searchAndPick()
    {
        m_dm->execute("t", "insert into accounts_dep.person(fio) values ('Иваненко Ольга'), ('  Ивлев Олег  '), ('Сидоров С.С.')");
        WorkerEditor editor(*m_dm);
        WorkersWindow list(*m_dm, editor);
        auto *search = list.searchField();
        search->setText("Пет"); // left over from an earlier opening
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            // Picking: the search is emptied, "Добавить" and "Удалить" hidden.
            QCOMPARE(search->text(), QString());
            QVERIFY(search->hasFocus());
            QVERIFY(!l->addButton()->isVisible());
            QVERIFY(!l->deleteButton()->isVisible());
            QVERIFY(l->middleButton()->isDefault());
            QCOMPARE(l->middleButton()->text(), QStringLiteral("Выбрать"));
            QCOMPARE(l->resultSet()->rowCount(), 5);
            // The first letters of a surname, in any case.
            typeInto(search, "ива");
            QCOMPARE(l->resultSet()->rowCount(), 2);
            // Up and Down move the list; caret keys do nothing in the field.
            QTest::keyClick(search, Qt::Key_Down);
            QCOMPARE(l->resultSet()->currentRow(), 1);
            QTest::keyClick(search, Qt::Key_Left);
            QTest::keyClick(search, Qt::Key_Delete);
            QCOMPARE(search->text(), QStringLiteral("ива"));
            QCOMPARE(search->cursorPosition(), 3);
            QTest::keyClick(search, Qt::Key_Up);
            QCOMPARE(l->resultSet()->currentRow(), 0);
            QTest::keyClick(search, Qt::Key_Down);
            // Enter chooses.
            QTest::keyClick(search, Qt::Key_Return);
        });
        const std::optional<WorkerPick> picked = list.pickWorker(1);
        QVERIFY(picked.has_value());
        QCOMPARE(picked->name, QStringLiteral("Иванов Иван Иванович"));
        QCOMPARE(picked->id, 1);
        QCOMPARE(list.mode(), 1);

        // A list filtered to nothing hands nothing back.
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            typeInto(search, "Щ");
            QCOMPARE(l->resultSet()->rowCount(), 0);
            l->middleButton()->click();
        });
        QVERIFY(!list.pickWorker(24).has_value());
        QCOMPARE(list.mode(), 24);

        // A double-click picks too; names come back trimmed.
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            typeInto(search, "Ивл");
            QCOMPARE(l->resultSet()->rowCount(), 0); // the stored name starts with blanks
            search->clear();
            const QModelIndex first = l->grid()->model()->index(0, 0);
            QCOMPARE(first.data().toString(), QStringLiteral("  Ивлев Олег  "));
            const QPoint at = l->grid()->visualRect(first).center();
            QTest::mouseClick(l->grid()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(l->grid()->viewport(), Qt::LeftButton, {}, at);
        });
        const auto second = list.pickWorker(24);
        QVERIFY(second.has_value());
        QCOMPARE(second->name, QStringLiteral("Ивлев Олег"));

        // Managing again: "Добавить" and "Удалить" come back.
        onNextModal<WorkersWindow>([&](WorkersWindow *l) {
            QVERIFY(l->addButton()->isVisible());
            QVERIFY(!l->middleButton()->isDefault());
            l->reject();
        });
        list.openManaging();
    }
};

QTEST_MAIN(WorkersTest)
#include "test_workers.moc"
