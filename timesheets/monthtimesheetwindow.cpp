#include "timesheets/monthtimesheetwindow.h"

#include "app/errordisplay.h"
#include "app/resultgrid.h"
#include "data/datamodule.h"
#include "data/display.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tabel {

namespace {

const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kTotalsBack(225, 228, 255);

QVector<GridColumn> sheetColumns()
{
    const Qt::Alignment centre = Qt::AlignCenter;
    QVector<GridColumn> cols;
    cols.push_back({QStringLiteral("Фамилия И. О."), QStringLiteral("fio"), 208});
    cols.push_back({QStringLiteral(" "), QStringLiteral("s_night"), 30});
    for (int d = 1; d <= 31; ++d)
        cols.push_back({QString::number(d), QStringLiteral("d%1").arg(d),
                        MonthTimesheetWindow::dayColumnWidth, centre});
    cols.push_back({QStringLiteral("Итого (р.)"), QStringLiteral("f_price"), 94});
    cols.push_back({QStringLiteral("Итого (ч.)"), QStringLiteral("i_time"), 66, centre});
    cols.push_back({QStringLiteral("Час (р.)"), QStringLiteral("average_price"), 66, centre});
    return cols;
}

bool isTotalsField(const QString &field)
{
    return field == QLatin1String("f_price") || field == QLatin1String("i_time")
        || field == QLatin1String("average_price");
}

QLabel *boldLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

MonthTimesheetWindow::MonthTimesheetWindow(DataModule &dm, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_sheet(dm)
{
    setObjectName(QStringLiteral("TForm27"));
    setWindowTitle(sheetModeInfo(SheetMode::PieceWork).caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_days = month::dayKinds(1, QDate::currentDate().year());

    auto *layout = new QVBoxLayout(this);
    m_grid = new ResultGrid(sheetColumns(), this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    {
        QFont f = m_grid->font();
        f.setPointSize(8);
        m_grid->setFont(f);
        m_grid->horizontalHeader()->setFont(f);
        // The style's smallest section is wider than a day column.
        m_grid->horizontalHeader()->setMinimumSectionSize(dayColumnWidth / 2);
        // Two digits fill a day column; eliding would leave only "…".
        m_grid->setTextElideMode(Qt::ElideNone);
        const auto &cols = m_grid->resultModel()->gridColumns();
        for (int c = 0; c < cols.size(); ++c)
            m_grid->setColumnWidth(c, cols[c].width);
    }
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->resultModel()->setCellStyle(
        [this](const ResultSet &, int, const QString &field, int role) -> QVariant {
            if (isTotalsField(field)) {
                if (role == Qt::FontRole) {
                    QFont f = m_grid->font();
                    f.setBold(true);
                    return f;
                }
                if (role == Qt::BackgroundRole)
                    return kTotalsBack;
                return {};
            }
            if (role == Qt::ForegroundRole && field.startsWith(QLatin1Char('d'))) {
                const int day = field.mid(1).toInt();
                if (day >= 1 && day <= 31 && m_days[day - 1] == month::DayKind::Weekend)
                    return kRed;
            }
            return {};
        });
    m_grid->resultModel()->setHeaderStyle([this](int section, int role) -> QVariant {
        const int day = section - firstDayColumn + 1;
        if (role != Qt::ForegroundRole || day < 1 || day > 31)
            return {};
        if (m_days[day - 1] == month::DayKind::Weekend)
            return kRed;
        if (m_days[day - 1] == month::DayKind::Beyond)
            return kSilver;
        return {};
    });
    layout->addWidget(m_grid, 1);

    auto *bar = new QHBoxLayout;
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("ComboBox1"));
    m_month->addItems(month::names());
    m_month->setMaxVisibleItems(12);
    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("cb_year"));
    m_year->setMinimumWidth(80);
    bar->addWidget(m_month);
    bar->addWidget(m_year);
    const QString captions[] = {QStringLiteral("Ср. сдел.:"), QStringLiteral("Хоз. работы:"),
                                QStringLiteral("Сделка:"), QStringLiteral("Итого:")};
    const char *names[] = {"averageTotal", "auxiliaryTotal", "pieceTotal", "allTotal"};
    for (int i = 0; i < 4; ++i) {
        // "Итого:" stands apart at the right.
        if (i == 3)
            bar->addStretch();
        else
            bar->addSpacing(16);
        bar->addWidget(boldLabel(captions[i], this));
        m_totals[i] = boldLabel(QString(), this);
        m_totals[i]->setObjectName(QLatin1String(names[i]));
        m_totals[i]->setMinimumWidth(90);
        m_totals[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        bar->addWidget(m_totals[i]);
    }
    layout->addLayout(bar);

    auto *bottom = new QHBoxLayout;
    m_exit = new QPushButton(QStringLiteral("Выход"), this);
    m_exit->setObjectName(QStringLiteral("Button1"));
    m_exit->setAutoDefault(false);
    m_exit->setMinimumWidth(100);
    bottom->addStretch();
    bottom->addWidget(m_exit);
    layout->addLayout(bottom);

    connect(m_month, &QComboBox::currentIndexChanged, this, &MonthTimesheetWindow::changeMonth);
    connect(m_year, &QComboBox::currentIndexChanged, this, &MonthTimesheetWindow::changeMonth);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(1140, 620);
}

int MonthTimesheetWindow::month() const
{
    return m_month->currentIndex() + 1;
}

int MonthTimesheetWindow::year() const
{
    return m_year->currentText().toInt();
}

void MonthTimesheetWindow::fillYears(int year)
{
    QStringList years;
    guarded([&] {
        ResultSet &q = m_sheet.years();
        q.reopen();
        for (int r = 0; r < q.rowCount(); ++r)
            years << display::value(q.value(r, QStringLiteral("year")));
    });
    // The year asked for is offered even before it has sheet rows.
    const QString wanted = QString::number(year);
    if (!years.contains(wanted)) {
        years << wanted;
        std::sort(years.begin(), years.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    }
    m_year->clear();
    m_year->addItems(years);
    m_year->setCurrentIndex(m_year->findText(wanted));
}

void MonthTimesheetWindow::open(SheetMode mode, const QDate &date)
{
    m_sheet.setMode(mode);
    const SheetModeInfo &info = m_sheet.info();
    setWindowTitle(info.caption);
    m_grid->setResultSet(&m_sheet.sheet());
    m_grid->setColumnHidden(nightColumn, !info.nightAndHourly);
    m_grid->setColumnHidden(hourlyColumn, !info.nightAndHourly);
    {
        const QSignalBlocker blockMonth(m_month);
        const QSignalBlocker blockYear(m_year);
        m_month->setCurrentIndex(date.month() - 1);
        fillYears(date.year());
    }
    changeMonth();
    exec();
    m_sheet.close();
}

void MonthTimesheetWindow::changeMonth()
{
    const int m = month(), y = year();
    m_days = month::dayKinds(m, y);
    int hidden = 0;
    for (int k = 1; k <= 31; ++k) {
        const bool beyond = m_days[k - 1] == month::DayKind::Beyond;
        m_grid->setColumnHidden(firstDayColumn + k - 1, beyond);
        hidden += beyond ? 1 : 0;
    }
    // The name column takes the room of the hidden days, and gives it back
    // when a longer month is chosen.
    m_grid->setColumnWidth(nameColumn, m_sheet.info().nameWidth + hidden * dayColumnWidth);
    m_grid->resultModel()->restyle();
    guarded([&] {
        BusyCursor busy;
        m_sheet.load(m, y);
    });
    showTotals();
}

void MonthTimesheetWindow::showTotals()
{
    const ResultSet *sets[] = {&m_sheet.averagePrice(), &m_sheet.auxiliaryPrice(),
                               &m_sheet.piecePrice(), &m_sheet.allPrice()};
    for (int i = 0; i < 4; ++i)
        m_totals[i]->setText(display::value(sets[i]->value(0, QStringLiteral("price"))));
}

void MonthTimesheetWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace tabel
