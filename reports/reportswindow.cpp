#include "reports/reportswindow.h"

#include "app/controlnames.h"
#include "app/controls.h"
#include "app/errordisplay.h"
#include "reports/spreadsheet.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

namespace tabel {

SummaryReportsWindow::SummaryReportsWindow(DataModule &dm, Spreadsheet &spreadsheet, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_spreadsheet(spreadsheet)
{
    setObjectName(QLatin1String(names::reportsWindow));
    setWindowTitle(QStringLiteral("Отчеты (8)"));
    m_previewer = [this](const report::Document &doc, PreviewZoom zoom) {
        previewReport(doc, zoom, this);
    };

    m_kindGroup = new QGroupBox(QStringLiteral("Вид продукции"));
    m_kindGroup->setObjectName(QLatin1String(names::reportsKind));
    auto *kinds = new QVBoxLayout(m_kindGroup);
    const char *kindNames[] = {"kindAll", "kindFinished", "kindBlanks"};
    const QString captions[] = {QStringLiteral("Все"), QStringLiteral("Готовая продукция"),
                                QStringLiteral("Заготовки")};
    for (int i = 0; i < 3; ++i) {
        m_kinds[i] = new QRadioButton(captions[i]);
        m_kinds[i]->setObjectName(QLatin1String(kindNames[i]));
        kinds->addWidget(m_kinds[i]);
    }
    m_kinds[0]->setChecked(true);

    auto *periodGroup = new QGroupBox(QStringLiteral("Период отбора"));
    auto *periodBox = new QHBoxLayout(periodGroup);
    m_from = new QDateEdit;
    m_from->setObjectName(QStringLiteral("fromDate"));
    m_to = new QDateEdit;
    m_to->setObjectName(QStringLiteral("toDate"));
    for (QDateEdit *d : {m_from, m_to})
        setUpDatePicker(d);
    periodBox->addWidget(new QLabel(QStringLiteral("с")));
    periodBox->addWidget(m_from);
    periodBox->addWidget(new QLabel(QStringLiteral("по")));
    periodBox->addWidget(m_to);

    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    using reports::PeriodReport;
    struct ReportButton
    {
        const char *caption;
        const char *name;
        PeriodReport report;
    };
    const ReportButton reportButtons[] = {
        {"Отчет по рабочим", names::reportsWorkers, PeriodReport::Workers},
        {"Отчет по продукции", names::reportsProducts, PeriodReport::Products},
        {"Детальный отчет по рабочим", names::reportsDetailWorkers, PeriodReport::WorkerDetail},
        {"Детальный отчет по продукции", "detailProductsButton", PeriodReport::ProductDetail},
    };
    auto *buttons = new QVBoxLayout;
    for (const ReportButton &r : reportButtons) {
        QPushButton *b = button(QString::fromUtf8(r.caption), r.name);
        const PeriodReport which = r.report;
        connect(b, &QPushButton::clicked, this, [this, which] { printReport(which); });
        buttons->addWidget(b);
    }
    m_excel = button(QStringLiteral("Excel (0 из 0)"), names::reportsExcel);
    connect(m_excel, &QPushButton::clicked, this, &SummaryReportsWindow::exportSummary);
    buttons->addWidget(m_excel);
    QPushButton *exit = button(QStringLiteral("Выход"), "exitButton");
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addSpacing(8);
    buttons->addWidget(exit);

    auto *top = new QHBoxLayout;
    top->addWidget(m_kindGroup);
    top->addWidget(periodGroup, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(buttons);
    setMinimumWidth(420);
}

void SummaryReportsWindow::open()
{
    openOn(QDate::currentDate());
}

void SummaryReportsWindow::openOn(const QDate &today)
{
    preset(today);
    exec();
}

void SummaryReportsWindow::preset(const QDate &today)
{
    setPeriod(reports::previousMonth(today));
}

void SummaryReportsWindow::applyRole(Role role)
{
    if (fixesFinishedProducts(role))
        setKind(reports::ProductKind::Finished);
    disableControls(this, controlsOffIn(role, QLatin1String(names::reportsWindow)));
}

reports::Period SummaryReportsWindow::period() const
{
    return {m_from->date(), m_to->date()};
}

void SummaryReportsWindow::setPeriod(const reports::Period &period)
{
    m_from->setDate(period.from);
    m_to->setDate(period.to);
}

reports::ProductKind SummaryReportsWindow::kind() const
{
    if (m_kinds[1]->isChecked())
        return reports::ProductKind::Finished;
    if (m_kinds[2]->isChecked())
        return reports::ProductKind::Blanks;
    return reports::ProductKind::All;
}

void SummaryReportsWindow::setKind(reports::ProductKind kind)
{
    m_kinds[int(kind)]->setChecked(true);
}

void SummaryReportsWindow::printReport(reports::PeriodReport which)
{
    guarded([&] {
        report::Document doc;
        {
            BusyCursor busy;
            doc = reports::periodReport(m_dm, which, period(), kind());
        }
        m_previewer(doc, PreviewZoom::PageWidth);
    });
}

void SummaryReportsWindow::exportSummary()
{
    guarded([&] {
        // The hourglass waits for the workbook: a spreadsheet that cannot
        // be opened says so under the normal pointer.
        std::optional<BusyCursor> busy;
        reports::exportSummary(m_dm, m_spreadsheet, period(), kind(), [&](int done, int total) {
            if (!busy)
                busy.emplace();
            m_excel->setText(QStringLiteral("Excel (%1 из %2)").arg(done).arg(total));
            // The export keeps the event loop out until it ends; the
            // caption is painted at once instead.
            m_excel->repaint();
        });
    });
}

} // namespace tabel
