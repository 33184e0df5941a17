#pragma once

#include "app/buildstamp.h"
#include "app/roles.h"

#include <QStringList>
#include <memory>

namespace tabel {

class AuxiliaryJournalWindow;
class DataModule;
class EntryWindow;
class ImportWindow;
class HoursTimesheetWindow;
class JournalWindow;
class LoginWindow;
class MonthTimesheetWindow;
class Spreadsheet;
class SummaryReportsWindow;
struct OperationWindows;
class WorkerEditor;
class WorkersWindow;
class ProductEditor;
class ProductsWindow;

// Shows the hidden maintenance commands ("Импорт", "Структура БД").
inline constexpr const char *maintenanceSwitch = "--maintenance";

inline constexpr const char *noConnectionMessage = "Подключение к БД отсутсвует!!!";

// Brings the program up: data module and connection, the windows, the
// version gate wiring. Owns everything for the whole run.
class Startup
{
public:
    explicit Startup(BuildStamp stamp);
    ~Startup();

    // Steps up to showing the login window. False when the database could
    // not be reached; the message has then been shown and the caller ends.
    bool start(const QStringList &arguments);
    // The program's run: start() and then the message loop until the end
    // is requested; the program's exit code. Here the login window is
    // drawn first and the other windows are made and the version gate run
    // right after, before the user can log in.
    int run(const QStringList &arguments);

    // The version gate as the login window and the journal's timer run it.
    void versionCheck();
    // Ends the program, also when asked before the message loop runs.
    void requestEnd();
    bool endRequested() const { return m_endRequested; }

    DataModule &data() { return *m_dm; }
    JournalWindow &journal() { return *m_journal; }
    LoginWindow &login() { return *m_login; }
    // The shift entry editor; the program hands it the reference lists as
    // its pickers.
    EntryWindow &entryEditor() { return *m_entry; }
    Session &session() { return m_session; }
    // The one spreadsheet of the run; every export writes into it.
    Spreadsheet &spreadsheet() { return *m_spreadsheet; }
    // Operation prices and kinds, norms and the nomenclature picker; their
    // pickers serve the editors.
    OperationWindows &operationWindows() { return *m_operationWindows; }

    WorkersWindow &workers() { return *m_workers; }

    // Products.
    ProductsWindow &products() { return *m_products; }
    ProductEditor &productEditor() { return *m_productEditor; }

    // The summary reports window.
    SummaryReportsWindow &summaryReports() { return *m_summaryReports; }
    // The maintenance commands.
    ImportWindow &importWindow() { return *m_import; }
    // The monthly timesheets.
    HoursTimesheetWindow &hoursTimesheet() { return *m_hoursTimesheet; }
    MonthTimesheetWindow &monthTimesheet() { return *m_monthTimesheet; }

    // The auxiliary works journal with its entry editor.
    AuxiliaryJournalWindow &auxiliaryJournal() { return *m_auxJournal; }

private:
    // start() up to the login window shown; then the rest, once.
    bool showLogin(const QStringList &arguments);
    void finishStart();
    // The windows other than the journal and the login, created hidden
    // once and kept for the whole run, with their wiring.
    void createWindows();

    BuildStamp m_stamp;
    Session m_session;
    bool m_inVersionCheck = false;
    // The connection loss the version gate has told the user about.
    int m_reportedLoss = 0;
    bool m_endRequested = false;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<Spreadsheet> m_spreadsheet;
    std::unique_ptr<JournalWindow> m_journal;
    std::unique_ptr<LoginWindow> m_login;
    std::unique_ptr<OperationWindows> m_operationWindows;

    std::unique_ptr<WorkerEditor> m_workerEditor;
    std::unique_ptr<WorkersWindow> m_workers;
    // Products.
    std::unique_ptr<ProductEditor> m_productEditor;
    std::unique_ptr<ProductsWindow> m_products;
    std::unique_ptr<EntryWindow> m_entry;
    std::unique_ptr<SummaryReportsWindow> m_summaryReports;
    std::unique_ptr<ImportWindow> m_import;
    bool m_maintenance = false;
    bool m_started = false;
    // The monthly timesheets.
    std::unique_ptr<HoursTimesheetWindow> m_hoursTimesheet;
    std::unique_ptr<MonthTimesheetWindow> m_monthTimesheet;
    std::unique_ptr<AuxiliaryJournalWindow> m_auxJournal;
};

// The whole run, for main().
int runProgram(int argc, char **argv, BuildStamp stamp);

} // namespace tabel
