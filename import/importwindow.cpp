#include "import/importwindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "import/legacyimport.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tabel {

ImportWindow::ImportWindow(DataModule &main, QWidget *parent) : QDialog(parent), m_main(main)
{
    setObjectName(QStringLiteral("ImportWindow"));
    setWindowTitle(QStringLiteral("Импорт"));
    setWindowModality(Qt::ApplicationModal);
    m_table = new QLabel;
    m_table->setObjectName(QStringLiteral("tableLabel"));
    m_bar = new QProgressBar;
    m_bar->setObjectName(QStringLiteral("progressBar"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_bar);
    setMinimumWidth(380);
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::showProgress(const QString &target, int done, int total)
{
    m_table->setText(QStringLiteral("%1: %2 из %3").arg(target).arg(done).arg(total));
    m_bar->setMaximum(std::max(total, 1));
    m_bar->setValue(done);
    // The copy runs here, on the one thread; the window keeps painting,
    // and the user's input waits until it ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ImportWindow::runImport()
{
    QVector<ImportedTable> copied;
    bool ok = false;
    guarded([&] {
        QSqlDatabase legacy = openLegacyDatabase();
        if (!m_target || !m_target->isOpen()) {
            m_target = std::make_unique<DataModule>(QLatin1String(targetConnectionName));
            try {
                m_target->open(QLatin1String(targetSource));
            } catch (const DbError &e) {
                throw DbError(QStringLiteral("База назначения (источник данных ODBC «Tabel_PgSQL») "
                                             "недоступна:\n%1")
                                  .arg(e.text()));
            }
        }
        m_table->setText(QString());
        m_bar->setValue(0);
        show();
        struct Hide
        {
            QDialog *d;
            ~Hide() { d->hide(); }
        } hide{this};
        BusyCursor busy;
        LegacyImport import(m_main, *m_target, legacy);
        copied = import.run([this](const QString &t, int done, int total) { showProgress(t, done, total); });
        ok = true;
    });
    if (ok)
        showInformation(QStringLiteral("Импорт"), importSummary(copied));
}

void ImportWindow::runSchemaTouchUp()
{
    BusyCursor busy;
    touchUpSchema(m_main);
}

} // namespace tabel
