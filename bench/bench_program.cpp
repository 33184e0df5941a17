// The program itself, watched from inside, for bench_startup.
//   bench_program start database host
//     Runs the program exactly as its main() does; prints when the login
//     window was first painted and the memory then, and ends.
//   bench_program windows database host
//     Starts the program, logs in with full access and opens every window
//     once, each on the busiest month (nested editors, the norms, the
//     printed reports' preview included), with the journal left on the
//     busiest date; then prints the memory the program holds and ends.
#include "app/application.h"
#include "app/buildstamp.h"
#include "app/listwindow.h"
#include "app/loginwindow.h"
#include "app/startup.h"
#include "bench/probe.h"
#include "data/datamodule.h"
#include "journal/journalwindow.h"
#include "reference/operationwindows.h"
#include "reports/reportswindow.h"
#include "timesheets/hourstimesheetwindow.h"
#include "timesheets/monthtimesheetwindow.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <functional>

using namespace tabel;

namespace {

bool g_watchStart = false;

// Installed as the application is made, so the program's own main path
// runs unchanged.
void installStartProbe()
{
    if (!g_watchStart)
        return;
    static bench::FirstPaint probe;
    qApp->installEventFilter(&probe);
}
Q_COREAPP_STARTUP_FUNCTION(installStartProbe)

// Answers every modal window as it comes: once it has been painted, its
// own business (a nested editor, a month to show) and then closing it.
class Closer : public QObject
{
public:
    using Business = std::function<void(QWidget *)>;
    explicit Closer(Business business) : m_business(std::move(business))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }
    QStringList opened;

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == keepOpen || m_seen.contains(w) || !w->isVisible())
            return;
        m_seen.append(w);
        QPointer<QWidget> window(w);
        QTimer::singleShot(100, this, [this, window] {
            if (!window)
                return;
            opened << (window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                                      : window->objectName());
            m_business(window);
            if (window) {
                if (auto *d = qobject_cast<QDialog *>(window.data()))
                    d->reject();
                else
                    window->close();
            }
            // Windows live for the whole run and open again: answered anew
            // next time.
            m_seen.removeAll(window);
        });
    }

public:
    QWidget *keepOpen = nullptr;

private:
    Business m_business;
    QTimer m_timer;
    QList<QPointer<QWidget>> m_seen;
};

int windows(int argc, char **argv, const QString &db, const QString &host)
{
    Application app(argc, argv);
    Startup startup(currentBuildStamp());
    if (!startup.start({db, host}))
        return 1;
    DataModule &dm = startup.data();
    const QDate month = dm.control(QStringLiteral(
                                       "select date_trunc('month', data)::date as m from accounts_dep.smena "
                                       "group by 1 order by count(*) desc limit 1"))
                            .value(0, QStringLiteral("m"))
                            .toDate();
    const QDate day = dm.control(QStringLiteral("select data from accounts_dep.smena where data >= '%1' and "
                                                "data < '%2' group by data order by count(*) desc limit 1")
                                     .arg(month.toString(Qt::ISODate), month.addMonths(1).toString(Qt::ISODate)))
                          .value(0, QStringLiteral("data"))
                          .toDate();

    JournalWindow &journal = startup.journal();
    Closer closer([&](QWidget *w) {
        if (auto *list = qobject_cast<ListWindow *>(w)) {
            if (list->addButton()->isVisible() && list->addButton()->isEnabled())
                list->addButton()->click();
            if (w == &startup.operationWindows().operations)
                startup.operationWindows().operations.openNorms();
        } else if (w == &startup.hoursTimesheet()) {
            startup.hoursTimesheet().printButton()->click();
        } else if (w == &startup.monthTimesheet()) {
            MonthTimesheetWindow &sheet = startup.monthTimesheet();
            sheet.yearBox()->setCurrentIndex(sheet.yearBox()->findText(QString::number(month.year())));
            sheet.monthBox()->setCurrentIndex(month.month() - 1);
        } else if (w == &startup.summaryReports()) {
            startup.summaryReports().setPeriod({month, month.addMonths(1)});
            startup.summaryReports().printReport(reports::PeriodReport::WorkerDetail);
        }
    });
    closer.keepOpen = &journal;

    long rss = -1;
    QTimer::singleShot(0, [&] {
        // Runs inside the journal once the login has shown it.
        QTimer::singleShot(200, [&] {
            for (const char *action : {"actWorkers", "actProducts", "actPrices", "actOperationKinds",
                                       "actShiftSheet", "actPieceSheet", "actGeneralSheet", "actSummaryReports"}) {
                if (QAction *a = journal.menuAction(QLatin1String(action)))
                    a->trigger();
            }
            journal.runFromJournal([&] { startup.operationWindows().nomenclature.pickNomenclature(); });
            Q_EMIT journal.addRequested();
            // Every window closed, the journal shows the busiest date.
            journal.setPickedDate(day);
            journal.changeDate();
            QCoreApplication::processEvents();
            rss = bench::residentKb();
            journal.reject();
        });
        startup.login().wordField()->setText(QStringLiteral("5283"));
        startup.login().login();
        QCoreApplication::exit(0);
    });
    app.exec();
    std::printf("opened %lld windows: %s\n", qlonglong(closer.opened.size()),
                qPrintable(closer.opened.join(QStringLiteral(", "))));
    std::printf("journal on %s, sheets on %s\nrss %ld\n", qPrintable(day.toString(Qt::ISODate)),
                qPrintable(month.toString(QStringLiteral("MM.yyyy"))), rss);
    return rss > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("windows") && argc > 3)
        return windows(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (mode != QLatin1String("start")) {
        std::fprintf(stderr, "usage: bench_program start|windows database host\n");
        return 2;
    }
    // The program's own main path, minus the mode word.
    g_watchStart = true;
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    --argc;
    return runProgram(argc, argv, currentBuildStamp());
}
