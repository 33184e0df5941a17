// Takes the screenshots of the user guide from the real program on a
// database with the demo data: it logs in, walks the windows a clerk
// uses and saves each one as a PNG. Nothing is saved to the database:
// editors are left with "Выход", questions answered "Нет".
//   guide_shots <database> <server> <folder>
#include "app/buildstamp.h"
#include "app/controlnames.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "journal/journalwindow.h"
#include "timesheets/auxiliarynames.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <type_traits>

using namespace tabel;

namespace {

QString g_folder;
int g_failures = 0;

void shot(QWidget *w, const QString &name)
{
    QApplication::processEvents();
    if (!w->grab().save(QDir(g_folder).filePath(name)))
        ++g_failures;
    std::printf("%s\n", qPrintable(name));
}

// Runs the step on the next modal window with the given object name (or,
// for an empty name, of the given class), once it is up.
template <class T = QWidget>
void onModal(const QString &name, std::type_identity_t<std::function<void(T *)>> step, int triesLeft = 200)
{
    QTimer::singleShot(50, [=] {
        QWidget *active = QApplication::activeModalWidget();
        T *w = qobject_cast<T *>(active);
        if (w && (name.isEmpty() || w->objectName() == name)) {
            step(w);
            return;
        }
        if (triesLeft > 0) {
            onModal<T>(name, step, triesLeft - 1);
        } else {
            std::fprintf(stderr, "window %s did not open\n", qPrintable(name));
            ++g_failures;
            if (active)
                QMetaObject::invokeMethod(active, "reject");
        }
    });
}

QAbstractButton *button(QWidget *w, const char *name)
{
    return w->findChild<QAbstractButton *>(QLatin1String(name));
}

// Chooses a row of a list opened for picking, as a double click would.
void pickRow(QWidget *list, int row)
{
    auto *grid = list->findChild<QTableView *>();
    grid->setFocus();
    grid->selectRow(row);
    QTest::keyClick(grid, Qt::Key_Return);
}

void enterShift(JournalWindow *journal)
{
    onModal(QLatin1String(names::entryWindow), [](QWidget *editor) {
        onModal("TForm5", [](QWidget *workers) {
            shot(workers, "zapis-rabotnik.png");
            pickRow(workers, 3);
        });
        button(editor, names::entryWorkerPick)->click();
        onModal("TForm4", [](QWidget *prices) {
            shot(prices, "zapis-operaciya.png");
            pickRow(prices, 2);
        });
        button(editor, names::entryOperationPick)->click();
        auto *quantity = editor->findChild<QLineEdit *>(names::entryQuantity);
        quantity->clear();
        QTest::keyClicks(quantity, "120");
        auto *hours = editor->findChild<QLineEdit *>(names::entryHours);
        hours->clear();
        QTest::keyClicks(hours, "8");
        shot(editor, "zapis.png");
        QMetaObject::invokeMethod(editor, "reject");
    });
    button(journal, names::journalAdd)->click();
}

void correct(JournalWindow *journal)
{
    auto *grid = journal->findChild<QTableView *>(names::journalGrid);
    grid->selectRow(1);
    onModal(QLatin1String(names::entryWindow), [](QWidget *editor) {
        shot(editor, "ispravlenie.png");
        QMetaObject::invokeMethod(editor, "reject");
    });
    button(journal, names::journalEdit)->click();
    grid->selectRow(1);
    onModal<QMessageBox>(QString(), [](QMessageBox *box) {
        shot(box, "udalenie.png");
        box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click() : box->reject();
    });
    button(journal, names::journalDelete)->click();
}

void hoursSheet(JournalWindow *journal)
{
    onModal("TForm19", [](QWidget *sheet) {
        shot(sheet, "tabel-smeny.png");
        onModal<QPrintPreviewDialog>(QString(), [](QPrintPreviewDialog *preview) {
            shot(preview, "tabel-pechat.png");
            preview->reject();
        });
        button(sheet, "Button6")->click();
        QMetaObject::invokeMethod(sheet, "reject");
    });
    journal->menuAction("actShiftSheet")->trigger();
}

void reports(JournalWindow *journal)
{
    onModal(QLatin1String(names::reportsWindow), [](QWidget *w) {
        shot(w, "otchety.png");
        onModal<QPrintPreviewDialog>(QString(), [](QPrintPreviewDialog *preview) {
            shot(preview, "otchet-pechat.png");
            preview->reject();
        });
        button(w, names::reportsWorkers)->click();
        // Where no spreadsheet program is installed, the program says where
        // it saved the workbook.
        onModal<QMessageBox>(QString(), [](QMessageBox *box) {
            shot(box, "excel-soobshchenie.png");
            box->accept();
        });
        button(w, names::reportsExcel)->click();
        shot(w, "excel.png");
        QMetaObject::invokeMethod(w, "reject");
    });
    journal->menuAction("actSummaryReports")->trigger();
}

void auxiliary(JournalWindow *journal)
{
    onModal(QLatin1String(names::auxJournalWindow), [](QWidget *aux) {
        shot(aux, "hozraboty.png");
        onModal(QLatin1String(names::auxEntryWindow), [](QWidget *editor) {
            shot(editor, "hozraboty-zapis.png");
            QMetaObject::invokeMethod(editor, "reject");
        });
        button(aux, names::auxJournalAdd)->click();
        button(aux, names::auxJournalExit)->click();
    });
    button(journal, names::journalAux)->click();
}

// One login: the steps run on the journal, which then closes.
void session(const QStringList &args, const QString &word, std::function<void(JournalWindow *)> steps)
{
    // The program's own stamp: a later one would be recorded as the
    // newest build and shut every real program out of the database.
    Startup startup(currentBuildStamp());
    if (!startup.start(args)) {
        ++g_failures;
        return;
    }
    onModal<JournalWindow>(QLatin1String(names::journalWindow), [steps](JournalWindow *journal) {
        steps(journal);
        journal->reject();
    });
    startup.login().wordField()->setText(word);
    startup.login().login();
    // Closing the login asks the program to end; the next session goes on.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: guide_shots <database> <server> <folder>\n");
        return 2;
    }
    g_folder = args[3];
    QDir().mkpath(g_folder);
    const QStringList connection = {args[1], args[2]};

    session(connection, "5283", [](JournalWindow *journal) {
        shot(journal, "zhurnal.png");
        enterShift(journal);
        correct(journal);
        hoursSheet(journal);
        reports(journal);
        auxiliary(journal);
    });
    session(connection, "pomek", [](JournalWindow *journal) { shot(journal, "priyomka.png"); });
    return g_failures ? 1 : 0;
}
