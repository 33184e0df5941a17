#include "timesheets/auxiliaryjournalwindow.h"

#include "app/controls.h"
#include "app/errordisplay.h"
#include "app/resultgrid.h"
#include "data/resultset.h"
#include "timesheets/auxiliaryentrywindow.h"
#include "timesheets/auxiliarynames.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tabel {

namespace {

const QString kDayOffOn = QStringLiteral("QCheckBox { font-weight: bold; background-color: rgb(255, 0, 0); }");

// Columns without a width of their own get the grid's usual one.
constexpr int kDefaultWidth = 64;

QVector<GridColumn> entryColumns()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    return {
        {QStringLiteral("ФИО"), QStringLiteral("fio"), 300, left},
        {QStringLiteral("Номенклатура"), QStringLiteral("s_caption"), 267, left},
        {QStringLiteral("Работа"), QStringLiteral("vid"), 156, left},
        {QStringLiteral("Цена"), QStringLiteral("price"), 80, left},
        {QStringLiteral("Кол-во"), QStringLiteral("cnt"), kDefaultWidth, left},
        {QStringLiteral("Итого"), QStringLiteral("summ"), 80, left},
        {QStringLiteral("Вых."), QStringLiteral("s_holiday"), 33, centre},
        {QStringLiteral("Ноч."), QStringLiteral("s_night"), 33, centre},
    };
}

} // namespace

AuxiliaryJournalWindow::AuxiliaryJournalWindow(DataModule &dm, QWidget *parent)
    : QDialog(parent), m_journal(dm)
{
    setObjectName(QLatin1String(names::auxJournalWindow));
    setWindowTitle(QStringLiteral("Хоз. работы (25)"));
    setWindowIcon(QApplication::windowIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    m_grid = new ResultGrid(entryColumns(), this);
    m_grid->setObjectName(QLatin1String(names::auxJournalGrid));
    m_grid->setResultSet(&m_journal.entries());
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { changeEntry(); });
    connect(&m_journal, &AuxiliaryJournal::loaded, this,
            [this] { m_grid->setResultSet(&m_journal.entries()); });

    auto *bottom = new QHBoxLayout;
    auto button = [&](const QString &title, const char *name) {
        auto *b = new QPushButton(title, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        bottom->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("Добавить"), names::auxJournalAdd), &QPushButton::clicked, this,
            &AuxiliaryJournalWindow::addEntry);
    connect(button(QStringLiteral("Изменить"), names::auxJournalChange), &QPushButton::clicked, this,
            &AuxiliaryJournalWindow::changeEntry);
    connect(button(QStringLiteral("Удалить"), names::auxJournalDelete), &QPushButton::clicked, this,
            &AuxiliaryJournalWindow::deleteCurrent);
    connect(button(QStringLiteral("Расчитать ср.сд."), names::auxJournalRecalculate),
            &QPushButton::clicked, this, &AuxiliaryJournalWindow::recalculate);

    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QLatin1String(names::auxJournalDate));
    setUpDatePicker(m_date);
    connect(m_date, &QDateEdit::dateChanged, this, &AuxiliaryJournalWindow::changeDate);
    bottom->addSpacing(12);
    bottom->addWidget(m_date);

    m_dayOff = new QCheckBox(QStringLiteral("Выходной"), this);
    m_dayOff->setObjectName(QLatin1String(names::auxJournalDayOff));
    connect(m_dayOff, &QCheckBox::toggled, this, &AuxiliaryJournalWindow::paintDayOff);
    bottom->addWidget(m_dayOff);
    bottom->addStretch();
    connect(button(QStringLiteral("Выход"), names::auxJournalExit), &QPushButton::clicked, this,
            &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);
    setFixedSize(1060, 520);

    m_editor = std::make_unique<AuxiliaryEntryWindow>(*this);
}

AuxiliaryJournalWindow::~AuxiliaryJournalWindow()
{
    // The grid goes after the journal's query; it must not hold on to it.
    m_grid->setResultSet(nullptr);
}

QDate AuxiliaryJournalWindow::pickedDate() const
{
    return m_date->date();
}

void AuxiliaryJournalWindow::setPickedDate(const QDate &date)
{
    const QSignalBlocker quiet(m_date);
    m_date->setDate(date);
}

bool AuxiliaryJournalWindow::isDayOff() const
{
    return m_dayOff->isChecked();
}

void AuxiliaryJournalWindow::setDayOff(bool on)
{
    m_dayOff->setChecked(on);
}

void AuxiliaryJournalWindow::paintDayOff(bool on)
{
    m_dayOff->setStyleSheet(on ? kDayOffOn : QString());
}

void AuxiliaryJournalWindow::openOn(const QDate &date)
{
    setPickedDate(date);
    exec();
}

bool AuxiliaryJournalWindow::loadPickedDate()
{
    bool loaded = false;
    guarded([&] {
        m_journal.load(m_date->date());
        loaded = true;
    });
    // The list stays on the day it holds; so must the picker, which new
    // entries take their date from.
    if (!loaded && m_journal.date().isValid())
        setPickedDate(m_journal.date());
    return loaded;
}

void AuxiliaryJournalWindow::activate()
{
    loadPickedDate();
}

void AuxiliaryJournalWindow::changeDate()
{
    if (loadPickedDate())
        m_dayOff->setChecked(AuxiliaryJournal::isWeekend(m_date->date()));
}

void AuxiliaryJournalWindow::backFromEditor()
{
    guarded([this] { m_journal.reloadKeepingRow(); });
}

void AuxiliaryJournalWindow::addEntry()
{
    m_editor->openNew();
    backFromEditor();
}

void AuxiliaryJournalWindow::changeEntry()
{
    if (m_journal.entries().currentRow() < 0)
        return;
    m_editor->openChange();
    backFromEditor();
}

void AuxiliaryJournalWindow::deleteCurrent()
{
    if (m_journal.entries().currentRow() < 0)
        return;
    if (!askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?")))
        return;
    guarded([this] {
        m_journal.deleteCurrent();
        m_journal.reloadKeepingRow();
    });
}

void AuxiliaryJournalWindow::recalculate()
{
    guarded([this] {
        BusyCursor busy;
        m_journal.recalculateAverageRate(m_date->date());
        m_journal.reloadKeepingRow();
    });
}

void AuxiliaryJournalWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // A window restored by the window system is no return to the window.
    if (!event->spontaneous())
        activate();
}

} // namespace tabel
