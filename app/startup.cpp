#include "app/startup.h"

#include "app/application.h"
#include "app/connection.h"
#include "app/errordisplay.h"
#include "app/loginwindow.h"
#include "app/versiongate.h"
#include "import/importwindow.h"
#include "data/dberror.h"
#include "data/datamodule.h"
#include "journal/entrywindow.h"
#include "journal/journalwindow.h"
#include "reference/workereditor.h"
#include "reference/workerswindow.h"
#include "reference/producteditor.h"
#include "reference/productswindow.h"
#include "reference/operationwindows.h"
#include "reports/periodreports.h"
#include "reports/reportpreview.h"
#include "reports/reportswindow.h"
#include "reports/spreadsheet.h"
#include "timesheets/hourstimesheetwindow.h"
#include "timesheets/monthtimesheetwindow.h"
#include "timesheets/auxiliaryentrywindow.h"
#include "timesheets/auxiliaryjournalwindow.h"

#include <QAction>
#include <QSqlDatabase>
#include <QTimer>

namespace tabel {

static MessageBoxNotifier s_notifier;

Startup::Startup(BuildStamp stamp)
    : m_stamp(stamp), m_spreadsheet(std::make_unique<Spreadsheet>(&s_notifier))
{
}

Startup::~Startup()
{
    m_auxJournal.reset();
    m_monthTimesheet.reset();
    m_hoursTimesheet.reset();
    m_entry.reset();
    m_operationWindows.reset();
    m_products.reset();
    m_productEditor.reset();
    m_workers.reset();
    m_workerEditor.reset();
    m_login.reset();
    m_journal.reset();
    m_dm.reset();
}

bool Startup::start(const QStringList &arguments)
{
    if (!showLogin(arguments))
        return false;
    finishStart();
    return true;
}

bool Startup::showLogin(const QStringList &given)
{
    // The maintenance switch may stand anywhere; the rest are the database
    // and the server.
    QStringList arguments = given;
    m_maintenance = arguments.removeAll(QLatin1String(maintenanceSwitch)) > 0;
    m_dm = std::make_unique<DataModule>();
    m_dm->setNotifier(&s_notifier);
    // The login window is made while the connection opens.
    m_dm->openInBackground(connectionStringFromArguments(arguments));
    m_login = std::make_unique<LoginWindow>(m_session);
    m_login->setVersionCheck([this] { versionCheck(); });
    QObject::connect(m_login->terminationTimer(), &QTimer::timeout, [this] { requestEnd(); });
    // A login before the rest is made (only a user quicker than the first
    // drawing could) makes it first.
    m_login->setBeforeLogin([this] { finishStart(); });
    try {
        m_dm->waitUntilOpen();
    } catch (const DbError &e) {
        // Nothing but the message is shown.
        m_login.reset();
        QString text = QString::fromUtf8(noConnectionMessage);
        const QString missing =
            missingPackageDiagnosis(e.text(), QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")));
        if (!missing.isEmpty())
            text += QStringLiteral("\n\n") + missing;
        showRefusal(QStringLiteral("Ошибка!"), text);
        return false;
    }
    m_login->show();
    m_login->activateWindow();
    return true;
}

void Startup::finishStart()
{
    if (m_started)
        return;
    m_started = true;
    m_journal = std::make_unique<JournalWindow>(*m_dm);
    m_journal->setBuildStamp(m_stamp);
    m_journal->setVersionCheck([this] { versionCheck(); });
    m_login->setJournal(m_journal.get());
    createWindows();
    // The first display counts as an activation even where the desktop
    // does not activate new windows by itself.
    guarded([this] { versionCheck(); });
}

void Startup::createWindows()
{
    JournalWindow &journal = *m_journal;
    auto menu = [&journal](const char *action, std::function<void()> open) {
        QObject::connect(journal.menuAction(QLatin1String(action)), &QAction::triggered, &journal,
                         [&journal, open] { journal.runFromJournal(open); });
    };

    m_workerEditor = std::make_unique<WorkerEditor>(*m_dm);
    m_workers = std::make_unique<WorkersWindow>(*m_dm, *m_workerEditor);
    menu("actWorkers", [this] { m_workers->openManaging(); });

    m_productEditor = std::make_unique<ProductEditor>(*m_dm);
    m_products = std::make_unique<ProductsWindow>(*m_dm, *m_productEditor);
    menu("actProducts", [this] { m_products->openManaging(); });

    // Operation prices and kinds, norms, nomenclature picker.
    m_operationWindows = std::make_unique<OperationWindows>(*m_dm);
    OperationWindows &operations = *m_operationWindows;
    operations.operations.setSpreadsheet(m_spreadsheet.get());
    operations.operationEditor.setProductPicker(m_products->picker());
    menu("actPrices", [&operations] { operations.operations.openManaging(); });
    menu("actOperationKinds", [&operations] { operations.kinds.openManaging(); });

    m_entry = std::make_unique<EntryWindow>(*m_journal);
    m_entry->setWorkerPicker([this](int mode) { return m_workers->pickWorker(mode); });
    m_entry->setOperationPicker(operations.operations.picker());
    QObject::connect(&journal, &JournalWindow::addRequested, m_entry.get(),
                     [this] { m_journal->runFromJournal([this] { m_entry->openNew(); }); });
    QObject::connect(&journal, &JournalWindow::editRequested, m_entry.get(),
                     [this] { m_journal->runFromJournal([this] { m_entry->openChange(); }); });

    // The monthly timesheets. The hours sheet opens on the journal's month;
    // the monthly sheets on the computer's, as the department reads them
    // for the month in progress.
    m_hoursTimesheet = std::make_unique<HoursTimesheetWindow>(*m_dm);
    m_hoursTimesheet->setSpreadsheet(m_spreadsheet.get());
    menu("actShiftSheet", [this] { m_hoursTimesheet->openFor(m_journal->pickedDate()); });
    // "Печать" previews the printed hours sheet of the chosen month.
    m_hoursTimesheet->setPrinter([this](int month, int year, const QString &heading) {
        report::Document sheet;
        {
            BusyCursor busy;
            sheet = reports::hoursSheet(*m_dm, month, year, heading);
        }
        previewReport(sheet, PreviewZoom::WholePage, m_hoursTimesheet.get());
    });
    m_monthTimesheet = std::make_unique<MonthTimesheetWindow>(*m_dm);
    menu("actPieceSheet",
         [this] { m_monthTimesheet->open(SheetMode::PieceWork, QDate::currentDate()); });
    menu("actGeneralSheet",
         [this] { m_monthTimesheet->open(SheetMode::General, QDate::currentDate()); });
    menu("actAuxSheet",
         [this] { m_monthTimesheet->open(SheetMode::Auxiliary, QDate::currentDate()); });
    menu("actAverageSheet",
         [this] { m_monthTimesheet->open(SheetMode::AveragePiece, QDate::currentDate()); });

    // The summary reports; the role decides which of them are open to the
    // user.
    m_summaryReports = std::make_unique<SummaryReportsWindow>(*m_dm, *m_spreadsheet);
    menu("actSummaryReports", [this] {
        m_summaryReports->applyRole(m_session.role);
        m_summaryReports->open();
    });

    // The maintenance commands, shown only when the program was started
    // for maintenance.
    m_import = std::make_unique<ImportWindow>(*m_dm);
    menu("actImport", [this] { m_import->runImport(); });
    menu("actSchema", [this] { m_import->runSchemaTouchUp(); });
    for (const char *action : {"actImport", "actSchema"})
        journal.menuAction(QLatin1String(action))->setVisible(m_maintenance);

    // The auxiliary works journal opens on the shift journal's date; its
    // editor picks from the workers list and the nomenclature picker.
    m_auxJournal = std::make_unique<AuxiliaryJournalWindow>(*m_dm);
    m_auxJournal->editor().setWorkerPicker([this](int mode) { return m_workers->pickWorker(mode); });
    m_auxJournal->editor().setNomenclaturePicker(operations.nomenclature.picker());
    QObject::connect(&journal, &JournalWindow::auxRequested, m_auxJournal.get(), [this] {
        m_journal->runFromJournal([this] { m_auxJournal->openOn(m_journal->pickedDate()); });
    });
}

void Startup::versionCheck()
{
    // The gate's own message boxes re-activate the login window; one gate
    // at a time.
    if (m_inVersionCheck)
        return;
    m_inVersionCheck = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_inVersionCheck};
    VersionGateResult r;
    try {
        r = runVersionGate(*m_dm, m_stamp);
    } catch (const DbError &e) {
        // The gate runs every half minute: while the server is away, it
        // says so once, not once per attempt.
        if (!e.connectionLost())
            throw;
        if (m_reportedLoss == m_dm->lossCount())
            return;
        m_reportedLoss = m_dm->lossCount();
        throw;
    }
    m_login->setWindowTitle(loginCaption(m_stamp));
    if (!r.outdated)
        return;
    // The program ends even if nobody dismisses the message.
    m_login->terminationTimer()->start();
    showRefusal(QStringLiteral("Ошибка"), QString::fromUtf8(outdatedMessage));
    requestEnd();
}

void Startup::requestEnd()
{
    // Before the message loop runs, exit() alone would be forgotten.
    m_endRequested = true;
    QCoreApplication::exit(0);
}

namespace {

// Runs the rest of the start once the login window has been drawn.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then)
        : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
        // Also where nothing is ever drawn.
        QTimer::singleShot(500, this, [this] { go(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { go(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void go()
    {
        if (!m_then)
            return;
        const auto then = std::move(m_then);
        m_then = nullptr;
        deleteLater();
        then();
    }
    std::function<void()> m_then;
};

} // namespace

int Startup::run(const QStringList &arguments)
{
    if (!showLogin(arguments))
        return 1;
    // Making the other windows and asking the database for its version
    // take longer than the whole start of the toolkit; the login window
    // is on screen meanwhile.
    new AfterFirstPaint(m_login.get(), [this] { finishStart(); });
    if (m_endRequested)
        return 0;
    return QApplication::exec();
}

int runProgram(int argc, char **argv, BuildStamp stamp)
{
    Application app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    Startup startup(stamp);
    return startup.run(args);
}

} // namespace tabel
