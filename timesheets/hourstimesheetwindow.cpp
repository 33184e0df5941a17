#include "timesheets/hourstimesheetwindow.h"

#include "app/errordisplay.h"
#include "app/resultgrid.h"
#include "data/datamodule.h"
#include "timesheets/hoursexport.h"
#include "timesheets/rebuild.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tabel {

namespace {

const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kMoneyGreen(192, 220, 192);

QVector<GridColumn> hoursColumns()
{
    QVector<GridColumn> cols;
    cols.push_back({QStringLiteral("Фамилия И. О."), QStringLiteral("fio"), 230});
    for (int d = 1; d <= 31; ++d)
        cols.push_back({QString::number(d), QStringLiteral("d%1").arg(d), 25, Qt::AlignCenter});
    cols.push_back({QStringLiteral("Итого"), QStringLiteral("summ"), 50, Qt::AlignCenter});
    return cols;
}

// Day 1..31 of a day column's field ("d5"), 0 for any other column.
int dayOfField(const QString &field)
{
    if (field.size() < 2 || field.size() > 3 || field.at(0) != QLatin1Char('d'))
        return 0;
    bool ok = false;
    const int day = field.mid(1).toInt(&ok);
    return ok && day >= 1 && day <= 31 ? day : 0;
}

QPushButton *button(const QString &title, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(title, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setMinimumWidth(100);
    return b;
}

} // namespace

HoursTimesheetWindow::HoursTimesheetWindow(DataModule &dm, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_sheet(dm)
{
    setObjectName(QStringLiteral("TForm19"));
    setWindowTitle(QStringLiteral("Табель по времени"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_days = month::dayKinds(1, QDate::currentDate().year());

    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    for (int s = 1; s <= 3; ++s) {
        auto *page = new QWidget(m_tabs);
        auto *pageLayout = new QVBoxLayout(page);
        m_grids[s - 1] = makeGrid(s);
        pageLayout->addWidget(m_grids[s - 1], 1);
        if (s == 1) {
            auto *bar = new QHBoxLayout;
            m_rebuild = button(QStringLiteral("Перестроить"), "Button1", page);
            m_excel = button(QStringLiteral("Excel"), "Button2", page);
            m_excel->setMinimumWidth(140);
            m_progress = new QProgressBar(page);
            m_progress->setObjectName(QStringLiteral("PB"));
            m_progress->hide();
            bar->addWidget(m_rebuild);
            bar->addWidget(m_excel);
            bar->addWidget(m_progress, 1);
            bar->addStretch();
            pageLayout->addLayout(bar);
        }
        m_tabs->addTab(page, QStringLiteral("Смена №%1").arg(s));
    }
    layout->addWidget(m_tabs, 1);

    auto *bottom = new QHBoxLayout;
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("ComboBox1"));
    m_month->addItems(month::names());
    m_month->setMaxVisibleItems(12);
    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("ComboBox2"));
    m_year->addItems(month::yearChoices(QDate::currentDate(), 0));
    m_year->setMaxVisibleItems(12);
    m_refresh = button(QStringLiteral("Обновить"), "Button5", this);
    m_print = button(QStringLiteral("Печать"), "Button6", this);
    m_exit = button(QStringLiteral("Выход"), "Button4", this);
    bottom->addWidget(m_month);
    bottom->addWidget(m_year);
    bottom->addSpacing(12);
    bottom->addWidget(m_refresh);
    bottom->addWidget(m_print);
    bottom->addStretch();
    bottom->addWidget(m_exit);
    layout->addLayout(bottom);

    connect(m_month, &QComboBox::currentIndexChanged, this, &HoursTimesheetWindow::changeMonth);
    connect(m_year, &QComboBox::currentIndexChanged, this, &HoursTimesheetWindow::changeMonth);
    connect(m_refresh, &QPushButton::clicked, this, &HoursTimesheetWindow::refresh);
    connect(m_print, &QPushButton::clicked, this, &HoursTimesheetWindow::print);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_rebuild, &QPushButton::clicked, this, &HoursTimesheetWindow::rebuild);
    connect(m_excel, &QPushButton::clicked, this, &HoursTimesheetWindow::exportToSpreadsheet);

    setFixedSize(1140, 640);
}

ResultGrid *HoursTimesheetWindow::makeGrid(int shift)
{
    auto *grid = new ResultGrid(hoursColumns(), this);
    grid->setObjectName(QStringLiteral("DBGrid%1").arg(shift));
    {
        // The widths are set for a compact grid font.
        QFont f = grid->font();
        f.setPointSize(8);
        grid->setFont(f);
        grid->horizontalHeader()->setFont(f);
        // The style's smallest section is wider than a day column.
        grid->horizontalHeader()->setMinimumSectionSize(10);
        const auto &cols = grid->resultModel()->gridColumns();
        for (int c = 0; c < cols.size(); ++c)
            grid->setColumnWidth(c, cols[c].width);
        grid->setTextElideMode(Qt::ElideNone);
    }
    grid->verticalHeader()->setDefaultSectionSize(20);
    ResultSetModel *model = grid->resultModel();
    model->setCellStyle([this, grid](const ResultSet &set, int row, const QString &field,
                                     int role) -> QVariant {
        const int day = dayOfField(field);
        if (day == 0)
            return {};
        const month::DayKind kind = m_days[day - 1];
        const month::CellLook look = month::hoursCellLook(set.value(row, field), kind);
        switch (role) {
        case Qt::DisplayRole:
            // A day the month does not have shows nothing, selected or not.
            if (look.ink == month::CellLook::Invisible)
                return QString();
            return {};
        case Qt::ForegroundRole:
            if (look.ink == month::CellLook::Silver)
                return kSilver;
            if (look.ink == month::CellLook::ColumnInk && kind == month::DayKind::Weekend)
                return kRed;
            return {};
        case Qt::FontRole:
            if (look.bold) {
                QFont f = grid->font();
                f.setBold(true);
                return f;
            }
            return {};
        case Qt::BackgroundRole:
            return look.moneyGreen ? QVariant(kMoneyGreen) : QVariant();
        default:
            return {};
        }
    });
    model->setHeaderStyle([this](int section, int role) -> QVariant {
        if (role != Qt::ForegroundRole || section < 1 || section > 31)
            return {};
        switch (m_days[section - 1]) {
        case month::DayKind::Weekend:
            return kRed;
        case month::DayKind::Beyond:
            return kSilver;
        case month::DayKind::Workday:
            break;
        }
        return {};
    });
    grid->setResultSet(&m_dm.hTabel(shift));
    return grid;
}

int HoursTimesheetWindow::month() const
{
    return m_month->currentIndex() + 1;
}

int HoursTimesheetWindow::year() const
{
    return m_year->currentText().toInt();
}

void HoursTimesheetWindow::openFor(const QDate &journalDate)
{
    {
        const QSignalBlocker blockMonth(m_month);
        const QSignalBlocker blockYear(m_year);
        m_month->setCurrentIndex(journalDate.month() - 1);
        // The list always reaches the year after today, so the journal's
        // year is found; one typed far off is put in the list.
        m_year->clear();
        m_year->addItems(month::yearChoices(QDate::currentDate(), journalDate.year()));
        m_year->setCurrentIndex(m_year->findText(QString::number(journalDate.year())));
    }
    changeMonth();
    exec();
    m_sheet.close();
}

void HoursTimesheetWindow::changeMonth()
{
    // The colours follow the selectors even when the month cannot be read.
    m_days = month::dayKinds(month(), year());
    for (ResultGrid *g : m_grids)
        g->resultModel()->restyle();
    guarded([this] {
        BusyCursor busy;
        m_sheet.load(month(), year());
    });
}

void HoursTimesheetWindow::refresh()
{
    guarded([this] {
        BusyCursor busy;
        m_sheet.load(month(), year());
    });
}

void HoursTimesheetWindow::print()
{
    if (m_printer)
        guarded([this] { m_printer(month(), year(), hoursPrintHeading(month(), year())); });
}

void HoursTimesheetWindow::exportToSpreadsheet()
{
    if (!m_spreadsheet)
        return;
    guarded([this] {
        RowSet rows;
        {
            // Only while reading: the spreadsheet's messages want the
            // ordinary cursor.
            BusyCursor busy;
            rows = hoursexport::read(m_dm, month(), year());
        }
        // A second export started while this one writes would put its
        // cells into the same workbook.
        m_excel->setEnabled(false);
        const auto enable = qScopeGuard([this] { m_excel->setEnabled(true); });
        hoursexport::write(rows, hoursexport::title(month(), year()), *m_spreadsheet,
                           [this](int written, int total) {
                               m_excel->setText(
                                   QStringLiteral("Excel (%1 из %2)").arg(written).arg(total));
                               // The caption shows progress; clicks wait.
                               QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                           });
    });
}

void HoursTimesheetWindow::rebuild()
{
    const int m = month(), y = year();
    guarded([&] {
        m_progress->show();
        m_progress->setRange(0, MonthRebuild::stepCount);
        m_progress->setValue(0);
        // Hidden also when the rebuild fails: the month is as it was.
        const auto hide = qScopeGuard([this] { m_progress->hide(); });
        BusyCursor busy;
        // No events are processed while the transaction is open (a timer
        // could send statements into it); the bar is painted directly.
        MonthRebuild(m_dm).run(m, y, [this](int done, int total) {
            m_progress->setMaximum(total);
            m_progress->setValue(done);
            m_progress->repaint();
        });
        m_sheet.load(m, y);
    });
}

bool HoursTimesheetWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        m_excel->setText(QStringLiteral("Excel"));
    return QDialog::event(event);
}

void HoursTimesheetWindow::showEvent(QShowEvent *event)
{
    m_excel->setText(QStringLiteral("Excel"));
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace tabel
