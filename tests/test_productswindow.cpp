// The products list and the product editor in an offscreen session: the
// main menu's opening, picking, adding and changing through the editor,
// the delete's questions, and the keys of "Расценка".
#include "app/errordisplay.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "journal/journalwindow.h"
#include "reference/producteditor.h"
#include "reference/products.h"
#include "reference/productswindow.h"
#include "testdb.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

using Match = std::function<bool(QWidget *)>;

Match named(const QString &name)
{
    return [name](QWidget *w) { return w->objectName() == name; };
}
Match messageBox()
{
    return [](QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; };
}

// Runs the step once the active modal window matches. Steps that open a
// window of their own block inside it, so the next step must be set up
// before. A step that never finds its window closes whatever is modal,
// so that a failing test ends instead of waiting.
void whenModal(Match match, std::function<void(QWidget *)> step, int triesLeft = 300)
{
    QTimer::singleShot(10, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && match(w)) {
            step(w);
            return;
        }
        if (triesLeft > 0) {
            whenModal(match, step, triesLeft - 1);
            return;
        }
        qWarning("expected window did not come");
        if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
    });
}

struct SeenBox
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool inTransaction = false;
};

// Answers the next message boxes in turn and records them.
void answerBoxes(DataModule &dm, QList<QMessageBox::StandardButton> answers, QList<SeenBox> &seen)
{
    if (answers.isEmpty())
        return;
    whenModal(messageBox(), [&dm, answers, &seen](QWidget *w) mutable {
        auto *box = static_cast<QMessageBox *>(w);
        seen << SeenBox{box->windowTitle(), box->text(), box->icon(), dm.inTransaction()};
        const auto button = answers.takeFirst();
        answerBoxes(dm, answers, seen);
        box->button(button)->click();
    });
}

// Types text the way a keyboard does, Cyrillic included.
void type(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString host()
{
    return qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1");
}

} // namespace

class ProductsWindowTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;
    MessageBoxNotifier m_boxes;
    std::unique_ptr<ProductEditor> m_editor;
    std::unique_ptr<ProductsWindow> m_list;

    QTableView *grid() { return m_list->findChild<QTableView *>("DBGrid1"); }
    int rowOf(const QString &mark)
    {
        ResultSet &izdel = m_dm->izdel();
        for (int r = 0; r < izdel.rowCount(); ++r)
            if (izdel.value(r, "marka").toString() == mark)
                return r;
        return -1;
    }
    void doubleClickRow(int row)
    {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect("fixture");
        m_dm->setNotifier(&m_boxes);
        m_dm->setSeparator(".");
        m_editor = std::make_unique<ProductEditor>(*m_dm);
        m_list = std::make_unique<ProductsWindow>(*m_dm, *m_editor);
    }
    void init()
    {
        loadShop(*m_dm);
        addProductClasses(*m_dm);
        // Stored with blanks around it, as older programs left some marks.
        m_dm->execute("t", "insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, massa, id_class_item, id_msm_bs) "
                           "values (503, '  Скоба ''С'' ', 1, 11, 6)");
    }
    void cleanup() { clearQuitRequest(); }
    void cleanupTestCase()
    {
        m_list.reset();
        m_editor.reset();
        m_dm.reset();
        m_db.reset();
    }

    void mainMenuOpensTheListInManagingMode()
    {
        Startup startup(BuildStamp{20240216, 79175});
        QVERIFY(startup.start({m_db->name(), host()}));
        startup.journal().journal().setHiddenMark("ta");
        QString title, middle;
        QStringList columns;
        int rows = -1;
        bool addShown = false, deleteShown = false, addDefault = false;
        whenModal(named("TForm3"), [&](QWidget *w) {
            auto *list = static_cast<ProductsWindow *>(w);
            title = list->windowTitle();
            middle = list->middleButton()->text();
            addShown = list->addButton()->isVisible();
            deleteShown = list->deleteButton()->isVisible();
            addDefault = list->addButton()->isDefault();
            auto *model = list->grid()->model();
            for (int c = 0; c < model->columnCount(); ++c)
                columns << model->headerData(c, Qt::Horizontal).toString();
            rows = model->rowCount();
            list->exitButton()->click();
        });
        startup.journal().menuAction("actProducts")->trigger();
        QCOMPARE(title, QStringLiteral("Изделия (3)"));
        QCOMPARE(middle, QStringLiteral("Изменить"));
        QVERIFY(addShown && deleteShown && addDefault);
        QCOMPARE(columns, (QStringList{"Марка изделия", "Номенклатурная группа", "Коробки"}));
        QCOMPARE(rows, 3);
        QVERIFY(!startup.data().izdel().isOpen());
        // The picker of the same program hands back the first row.
        whenModal(named("TForm3"), [](QWidget *w) { static_cast<ProductsWindow *>(w)->middleButton()->click(); });
        const auto pick = startup.products().pickProduct();
        QVERIFY(pick.has_value());
        QCOMPARE(pick->id, 503);
        startup.login().close();
    }

    void picking_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("id"); // 0: nothing handed back
        QTest::addColumn<QString>("mark");
        // Rows: "  Скоба 'С' ", "КН-230", "КР-100".
        QTest::newRow("first row, Выбрать, mark trimmed") << "" << "button" << 503 << "Скоба 'С'";
        QTest::newRow("lower-case Cyrillic search, Enter") << "кн" << "enter" << 502 << "КН-230";
        QTest::newRow("search, Down, Enter") << "к" << "down enter" << 501 << "КР-100";
        QTest::newRow("double-click") << "" << "double-click 2" << 501 << "КР-100";
        QTest::newRow("filtered to nothing, Enter") << "zz" << "enter" << 0 << "";
        QTest::newRow("Escape") << "" << "escape" << 0 << "";
        QTest::newRow("Выход") << "" << "exit" << 0 << "";
    }
    void picking()
    {
        QFETCH(QString, search);
        QFETCH(QString, action);
        QFETCH(int, id);
        QFETCH(QString, mark);
        m_list->searchField()->setText("left from before");
        bool shownForPicking = false;
        whenModal(named("TForm3"), [&](QWidget *) {
            QLineEdit *field = m_list->searchField();
            shownForPicking = field->isVisible() && field->text().isEmpty() && !m_list->addButton()->isVisible()
                && !m_list->deleteButton()->isVisible() && m_list->middleButton()->text() == "Выбрать"
                && m_list->middleButton()->isDefault();
            type(field, search);
            for (const QString &step : action.split(' ')) {
                if (step == "enter")
                    QTest::keyClick(field, Qt::Key_Return);
                else if (step == "down")
                    QTest::keyClick(field, Qt::Key_Down);
                else if (step == "escape")
                    QTest::keyClick(field, Qt::Key_Escape);
                else if (step == "button")
                    m_list->middleButton()->click();
                else if (step == "exit")
                    m_list->exitButton()->click();
                else if (step == "double-click")
                    doubleClickRow(action.section(' ', 1).toInt());
            }
        });
        const auto pick = m_list->picker()();
        QVERIFY(shownForPicking);
        QCOMPARE(pick.has_value(), id != 0);
        if (pick) {
            QCOMPARE(pick->id, id);
            QCOMPARE(pick->mark, mark);
        }
        QVERIFY(!m_dm->izdel().isOpen());
        QVERIFY(!m_list->middleButton()->isDefault());
        // The main menu's next opening leaves the search field hidden, and
        // what the pick typed into it no longer hides rows.
        bool managing = false;
        whenModal(named("TForm3"), [&](QWidget *) {
            managing = !m_list->searchField()->isVisible() && m_list->addButton()->isVisible()
                && m_list->deleteButton()->isVisible() && m_list->middleButton()->text() == "Изменить"
                && m_dm->izdel().rowCount() == 3;
            m_list->reject();
        });
        m_list->openManaging();
        QVERIFY(managing);
        m_list->searchField()->show();
    }

    void addAndChangeThroughTheEditor()
    {
        struct Shown
        {
            QString caption, mark, value, cls;
            QStringList classes;
            bool markFocused = false;
        };
        Shown added, changed, addedAgain;
        QList<SeenBox> boxes;
        int rowAfterAdd = -1, rowAfterChange = -1;
        auto shown = [this](Shown &s) {
            s.caption = m_editor->windowTitle();
            s.mark = m_editor->markField()->text();
            s.value = m_editor->valueField()->text();
            s.cls = m_editor->classSelector()->currentText();
            for (int i = 0; i < m_editor->classSelector()->count(); ++i)
                s.classes << m_editor->classSelector()->itemText(i);
            s.markFocused = m_editor->focusWidget() == m_editor->markField();
        };

        whenModal(named("TForm3"), [&](QWidget *) {
            m_dm->izdel().setCurrentRow(1);
            // A new product.
            whenModal(named("TForm7"), [&](QWidget *) {
                shown(added);
                type(m_editor->markField(), "Уголок 'У'");
                type(m_editor->valueField(), "0,2x5");
                m_editor->classSelector()->setCurrentIndex(m_editor->classSelector()->findText("Профили"));
                QTest::keyClick(m_editor->markField(), Qt::Key_Return);
            });
            m_list->addButton()->click();
            rowAfterAdd = m_dm->izdel().currentRow();

            // Changing it: a refused mark first, then a good one.
            whenModal(named("TForm7"), [&](QWidget *) {
                shown(changed);
                m_editor->markField()->setText("кн-230");
                answerBoxes(*m_dm, {QMessageBox::Ok}, boxes);
                m_editor->saveButton()->click();
                QVERIFY(m_editor->isVisible());
                m_editor->markField()->setText(" Уголок 'У2' ");
                m_editor->valueField()->setText("0,5");
                m_editor->saveButton()->click();
            });
            doubleClickRow(rowOf("Уголок 'У'"));
            rowAfterChange = m_dm->izdel().currentRow();

            // The class stays as the last opening left it; Escape writes nothing.
            whenModal(named("TForm7"), [&](QWidget *) {
                shown(addedAgain);
                type(m_editor->markField(), "Не записывать");
                QTest::keyClick(m_editor->markField(), Qt::Key_Escape);
            });
            m_list->addButton()->click();
            m_list->exitButton()->click();
        });
        m_list->openManaging();

        QCOMPARE(added.caption, QStringLiteral("Заведение нового изделия (7)"));
        QCOMPARE(added.mark, QString());
        QCOMPARE(added.value, QString());
        QVERIFY(added.markFocused);
        QCOMPARE(added.classes, (QStringList{"Зажимы", "Кронштейны", "Профили"}));
        QCOMPARE(rowAfterAdd, 1);

        QCOMPARE(changed.caption, QStringLiteral("Изменение данных изделия (7)"));
        QCOMPARE(changed.mark, QStringLiteral("Уголок 'У'"));
        QCOMPARE(changed.value, QStringLiteral("0.25"));
        QCOMPARE(changed.cls, QStringLiteral("Профили"));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(boxes[0].text, QStringLiteral("Такая марка изделия уже заведена!"));
        QCOMPARE(boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(rowAfterChange, 3);

        QCOMPARE(addedAgain.mark, QString());
        QCOMPARE(addedAgain.cls, QStringLiteral("Профили"));

        const RowSet rows = m_dm->control("select s_caption, massa::text as m, id_class_item from "
                                          "cmn_gds_and_srv.gds_and_srv where id not in (501, 502, 503)");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.value(0, "s_caption").toString(), QStringLiteral("Уголок 'У2'"));
        QCOMPARE(rows.value(0, "m").toString(), QStringLiteral("0.5"));
        QCOMPARE(rows.value(0, "id_class_item").toInt(), 11);
        QVERIFY(!m_dm->izdel().isOpen());
    }

    void deleteAsksItsQuestionsAndStartsAgainAtTheTop()
    {
        addEntry(*m_dm, {.product = 501, .date = QDate(2026, 2, 27)});
        m_list->setToday([] { return QDate(2026, 3, 5); });
        QList<SeenBox> boxes;
        int rowsAfter = -1, rowAfter = -1;
        whenModal(named("TForm3"), [&](QWidget *) {
            m_dm->izdel().setCurrentRow(rowOf("КР-100"));
            answerBoxes(*m_dm, {QMessageBox::Yes, QMessageBox::Yes}, boxes);
            m_list->deleteButton()->click();
            rowsAfter = m_dm->izdel().rowCount();
            rowAfter = m_dm->izdel().currentRow();
            m_list->exitButton()->click();
        });
        m_list->openManaging();
        m_list->setToday(nullptr);

        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral("По изделию есть расценки они будут удалены!!!"));
        QCOMPARE(boxes[1].text, QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, "
                                               "они будут удалены. Удалить изделие? "));
        for (const SeenBox &b : boxes) {
            QCOMPARE(b.title, QStringLiteral("Удаление"));
            QCOMPARE(b.icon, QMessageBox::Question);
            QVERIFY(!b.inTransaction);
        }
        QCOMPARE(rowsAfter, 2);
        QCOMPARE(rowAfter, 0);
        const RowSet left = m_dm->control("select (select count(*) from accounts_dep.oper where i_id=501) as o, "
                                          "(select count(*) from accounts_dep.smena where i_id=501) as e");
        QCOMPARE(left.value(0, "o").toInt(), 0);
        QCOMPARE(left.value(0, "e").toInt(), 0);
    }

    // Goods and classifier ids beyond 2^53 share their double with their
    // neighbours; the list, the editor and the delete must each keep the
    // product's and its class's own id.
    void idsBeyondDoubles()
    {
        const qlonglong id = 900719925474099312LL;
        // The product's class sorts last, after neighbours that read as the
        // same double.
        m_dm->execute("t", QStringLiteral("insert into cmn_classifier.item(id, id_level, s_caption) values "
                                          "(%1, 2, 'Класс А'), (%2, 2, 'Класс Б'), (%3, 2, 'Класс В')")
                               .arg(id - 1).arg(id + 1).arg(id));
        m_dm->execute("t", QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, massa, "
                                          "id_class_item, id_msm_bs) values (%1, 'Сосед 1', 1, %1, 6), "
                                          "(%2, 'Сосед 2', 1, %2, 6), (%3, 'Сосед 3', 1, %3, 6), "
                                          "(%4, 'Изделие', 1, %4, 6)")
                               .arg(id - 1).arg(id + 1).arg(900719925474099328LL).arg(id));
        const QString neighbours = rowsText(*m_dm, "select id, s_caption, massa, id_class_item from "
                                                   "cmn_gds_and_srv.gds_and_srv where s_caption like 'Сосед%' "
                                                   "order by id");

        whenModal(named("TForm3"), [&](QWidget *) {
            m_dm->izdel().setCurrentRow(rowOf("Изделие"));
            m_list->middleButton()->click();
        });
        const auto pick = m_list->picker()();
        QVERIFY(pick);
        QCOMPARE(pick->id, id);

        QString classShown, changed;
        QList<SeenBox> boxes;
        whenModal(named("TForm3"), [&](QWidget *) {
            whenModal(named("TForm7"), [&](QWidget *) {
                classShown = m_editor->classSelector()->currentText();
                m_editor->valueField()->setText("2");
                m_editor->saveButton()->click();
            });
            m_dm->izdel().setCurrentRow(rowOf("Изделие"));
            m_list->middleButton()->click();
            changed = rowsText(*m_dm, "select id, massa, id_class_item from cmn_gds_and_srv.gds_and_srv "
                                      "where s_caption='Изделие'");

            m_dm->izdel().setCurrentRow(rowOf("Изделие"));
            answerBoxes(*m_dm, {QMessageBox::Yes}, boxes);
            m_list->deleteButton()->click();
            m_list->exitButton()->click();
        });
        m_list->openManaging();

        QCOMPARE(classShown, QStringLiteral("Класс В"));
        QCOMPARE(changed, QStringLiteral("%1,2,%1").arg(id));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Удалить изделие? "));
        QCOMPARE(m_dm->control("select count(*) as n from cmn_gds_and_srv.gds_and_srv where s_caption='Изделие'")
                     .value(0, "n").toInt(),
                 0);
        QCOMPARE(rowsText(*m_dm, "select id, s_caption, massa, id_class_item from cmn_gds_and_srv.gds_and_srv "
                                 "where s_caption like 'Сосед%' order by id"),
                 neighbours);
    }

    void factorKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("comma typed as a point") << "12,5" << "" << "12.5";
        QTest::newRow("letters ignored") << "1a2бx" << "" << "12";
        QTest::newRow("points kept as typed") << "1..2" << "" << "1..2";
        QTest::newRow("pasted number") << "" << "3,75" << "3.75";
        QTest::newRow("pasted text refused") << "7" << "1e5" << "7";
    }
    void factorKeys()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        ProductEditor editor(*m_dm);
        editor.show();
        QLineEdit *field = editor.valueField();
        field->clear();
        type(field, typed);
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(field->text(), shown);
    }
};

QTEST_MAIN(ProductsWindowTest)
#include "test_productswindow.moc"
