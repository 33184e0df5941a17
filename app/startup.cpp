#include "app/startup.h"

#include "app/application.h"
#include "app/connection.h"
#include "app/errordisplay.h"
#include "app/loginwindow.h"
#include "app/versiongate.h"
#include "data/dberror.h"
#include "data/datamodule.h"
#include "journal/entrywindow.h"
#include "journal/journalwindow.h"

#include <QTimer>

namespace tabel {

Startup::Startup(BuildStamp stamp) : m_stamp(stamp)
{
}

Startup::~Startup()
{
    m_entry.reset();
    m_login.reset();
    m_journal.reset();
    m_dm.reset();
}

static MessageBoxNotifier s_notifier;

bool Startup::start(const QStringList &arguments)
{
    m_dm = std::make_unique<DataModule>();
    m_dm->setNotifier(&s_notifier);
    try {
        m_dm->open(connectionStringFromArguments(arguments));
    } catch (const DbError &) {
        showRefusal(QStringLiteral("Ошибка!"), QString::fromUtf8(noConnectionMessage));
        return false;
    }
    m_journal = std::make_unique<JournalWindow>(*m_dm);
    m_journal->setBuildStamp(m_stamp);
    m_journal->setVersionCheck([this] { versionCheck(); });

    m_login = std::make_unique<LoginWindow>(*m_journal, m_session);
    m_login->setVersionCheck([this] { versionCheck(); });
    QObject::connect(m_login->terminationTimer(), &QTimer::timeout, [this] { requestEnd(); });

    // The other windows, created hidden; they live for the whole run.
    m_entry = std::make_unique<EntryWindow>(*m_journal);
    QObject::connect(m_journal.get(), &JournalWindow::addRequested, m_entry.get(), [this] {
        m_journal->runFromJournal([this] { m_entry->openNew(); });
    });
    QObject::connect(m_journal.get(), &JournalWindow::editRequested, m_entry.get(), [this] {
        m_journal->runFromJournal([this] { m_entry->openChange(); });
    });

    m_login->show();
    m_login->activateWindow();
    // The first display counts as an activation even where the desktop
    // does not activate new windows by itself.
    guarded([this] { versionCheck(); });
    return true;
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
    const VersionGateResult r = runVersionGate(*m_dm, m_stamp);
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

int Startup::run(const QStringList &arguments)
{
    if (!start(arguments))
        return 1;
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
