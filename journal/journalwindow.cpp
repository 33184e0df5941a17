#include "journal/journalwindow.h"

#include "app/controlnames.h"
#include "app/controls.h"
#include "app/errordisplay.h"
#include "app/resultgrid.h"
#include "data/datamodule.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

#include <optional>

namespace tabel {

namespace {

const QString kShiftOn = QStringLiteral("QPushButton { font-weight: bold; background-color: rgb(0, 128, 0); }");
const QString kDayOffOn = QStringLiteral("QCheckBox { font-weight: bold; background-color: rgb(255, 0, 0); }");

// Columns without a width of their own get the grid's usual one.
constexpr int kDefaultWidth = 64;

QVector<GridColumn> journalColumns()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    return {
        {QStringLiteral("Фамилия И.О."), QStringLiteral("fio"), 250, left},
        {QStringLiteral("Марка изделия"), QStringLiteral("marka"), 260, left},
        {QStringLiteral("Операция"), QStringLiteral("vid"), 155, left},
        {QStringLiteral("Вид"), QStringLiteral("nmn"), 157, left},
        {QStringLiteral("Цвет"), QStringLiteral("color"), kDefaultWidth, centre},
        {QStringLiteral("Часы"), QStringLiteral("time"), kDefaultWidth, left},
        {QStringLiteral("Кол-во"), QStringLiteral("kol_vo"), 57, left},
        {QStringLiteral("Брак"), QStringLiteral("brak"), 49, left},
        {QStringLiteral("Итого (р.)"), QStringLiteral("summa"), 78, left},
        {QStringLiteral("Премия (%)"), QStringLiteral("prize"), -1, left, true},
        {QStringLiteral("OK"), QStringLiteral("ok"), 37, centre},
        {QStringLiteral("Заведен"), QStringLiteral("vvod"), 72, centre},
    };
}

// The acceptance colour stays visible on the selected row too.
class MarkDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant colour = index.data(Qt::ForegroundRole);
        if (colour.isValid())
            option->palette.setColor(QPalette::HighlightedText, colour.value<QColor>());
    }
};

} // namespace

JournalWindow::JournalWindow(DataModule &dm, QWidget *parent)
    : QDialog(parent), m_journal(dm)
{
    setObjectName(QLatin1String(names::journalWindow));
    setWindowTitle(QStringLiteral("Табель"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *layout = new QVBoxLayout(this);
    buildMenu(layout);

    // Top bar: shift buttons, date picker, day off.
    auto *top = new QHBoxLayout;
    m_shifts = new QButtonGroup(this);
    const char *shiftNames[] = {names::journalShift1, names::journalShift2, names::journalShift3,
                                names::journalShift4};
    const QString shiftTitles[] = {QStringLiteral("Смена №1"), QStringLiteral("Смена №2"),
                                   QStringLiteral("Смена №3"), QStringLiteral("Переработка")};
    for (int s = 1; s <= 4; ++s) {
        auto *b = new QPushButton(shiftTitles[s - 1], this);
        b->setObjectName(QLatin1String(shiftNames[s - 1]));
        b->setCheckable(true);
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
        m_shifts->addButton(b, s);
        top->addWidget(b);
    }
    m_shifts->button(1)->setChecked(true);
    connect(m_shifts, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            showShift(id);
    });

    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QLatin1String(names::journalDate));
    setUpDatePicker(m_date);
    // The calendar popup closing confirms the date. The popup is made when
    // it is first needed; it is then the one window the picker adds.
    m_date->installEventFilter(this);
    top->addSpacing(12);
    top->addWidget(m_date);

    m_dayOff = new QCheckBox(QStringLiteral("Выходной"), this);
    m_dayOff->setObjectName(QLatin1String(names::journalDayOff));
    connect(m_dayOff, &QCheckBox::toggled, this, &JournalWindow::paintDayOff);
    top->addSpacing(12);
    top->addWidget(m_dayOff);
    top->addStretch();
    layout->addLayout(top);

    // The grid.
    m_grid = new ResultGrid(journalColumns(), this);
    m_grid->resultModel()->setCellStyle([](const ResultSet &set, int row, const QString &field, int role) -> QVariant {
        if (field != QLatin1String("ok"))
            return {};
        if (role == Qt::FontRole) {
            QFont f;
            f.setBold(true);
            return f;
        }
        if (role == Qt::ForegroundRole)
            return Journal::isAccepted(set.value(row, field).toString()) ? QColor(0, 128, 0)
                                                                         : QColor(255, 0, 0);
        return {};
    });
    m_grid->setObjectName(QLatin1String(names::journalGrid));
    {
        // The column widths are set for a compact grid font.
        QFont f = m_grid->font();
        f.setPointSize(8);
        m_grid->setFont(f);
        m_grid->horizontalHeader()->setFont(f);
    }
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setItemDelegate(new MarkDelegate(m_grid));
    connect(m_grid, &QTableView::doubleClicked, this, [this] { toggleAcceptance(); });
    layout->addWidget(m_grid, 1);

    // Bottom bar.
    auto *bottom = new QHBoxLayout;
    auto button = [&](const QString &title, const char *name) {
        auto *b = new QPushButton(title, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
        bottom->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("Добавить"), names::journalAdd), &QPushButton::clicked, this,
            &JournalWindow::addRequested);
    connect(button(QStringLiteral("Изменить"), names::journalEdit), &QPushButton::clicked, this, [this] {
        if (!m_journal.current().isEmpty())
            Q_EMIT editRequested();
    });
    connect(button(QStringLiteral("Удалить"), names::journalDelete), &QPushButton::clicked, this,
            &JournalWindow::deleteCurrent);
    connect(button(QStringLiteral("Обновить"), names::journalRefresh), &QPushButton::clicked, this,
            &JournalWindow::refresh);
    connect(button(QStringLiteral("Ср.сд./хоз. работы"), names::journalAux), &QPushButton::clicked,
            this, &JournalWindow::auxRequested);
    bottom->addStretch();
    connect(button(QStringLiteral("Выход"), names::journalExit), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(bottom);

    // Keep the grid on the current row of the shown query.
    connect(&m_journal, &Journal::loaded, this, [this] { showShift(m_journal.shift()); });

    setFixedSize(1300, 700);

    m_timer = new QTimer(this);
    m_timer->setInterval(30000);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_versionCheck)
            guarded(m_versionCheck);
    });
    m_timer->start();

    showShift(1);
}

void JournalWindow::buildMenu(QVBoxLayout *layout)
{
    auto *bar = new QMenuBar(this);
    auto item = [this](QMenu *menu, const QString &title, const QString &name) {
        QAction *a = menu->addAction(title);
        a->setObjectName(name);
        return a;
    };
    auto topMenu = [&](const QString &title, const char *name) {
        QMenu *m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name) + QStringLiteral("Popup"));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu *ref = topMenu(QStringLiteral("Справочники"), names::menuReference);
    item(ref, QStringLiteral("Рабочие"), QStringLiteral("actWorkers"));
    item(ref, QStringLiteral("Изделия"), QStringLiteral("actProducts"));
    item(ref, QStringLiteral("Цены"), QStringLiteral("actPrices"));
    item(ref, QStringLiteral("Операции"), QStringLiteral("actOperationKinds"));
    item(ref, QStringLiteral("Внеурочное"), QStringLiteral("actOvertime"));
    QMenu *sheets = topMenu(QStringLiteral("Табель"), names::menuTimesheet);
    item(sheets, QStringLiteral("Табель сделка"), QStringLiteral("actPieceSheet"));
    item(sheets, QStringLiteral("Табель по сменам"), QStringLiteral("actShiftSheet"));
    item(sheets, QStringLiteral("Табель хоз. работ"), QStringLiteral("actAuxSheet"));
    item(sheets, QStringLiteral("Табель ср. сдельная"), QStringLiteral("actAverageSheet"));
    item(sheets, QStringLiteral("Общий табель"), QStringLiteral("actGeneralSheet"));
    QMenu *reports = topMenu(QStringLiteral("Отчеты"), names::menuReports);
    item(reports, QStringLiteral("Сводные отчеты"), QStringLiteral("actSummaryReports"));
    QAction *exit = bar->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("actExit"));
    connect(exit, &QAction::triggered, this, &QDialog::reject);
    QAction *import = bar->addAction(QStringLiteral("Импорт"));
    import->setObjectName(QStringLiteral("actImport"));
    import->setVisible(false);
    QAction *schema = bar->addAction(QStringLiteral("Структура БД"));
    schema->setObjectName(QStringLiteral("actSchema"));
    schema->setVisible(false);
    layout->setMenuBar(bar);
}

QAction *JournalWindow::menuAction(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

QDate JournalWindow::pickedDate() const
{
    return m_date->date();
}

void JournalWindow::setPickedDate(const QDate &date)
{
    m_date->setDate(date);
}

bool JournalWindow::isDayOff() const
{
    return m_dayOff->isChecked();
}

void JournalWindow::setDayOff(bool on)
{
    m_dayOff->setChecked(on);
}

void JournalWindow::paintDayOff(bool on)
{
    m_dayOff->setStyleSheet(on ? kDayOffOn : QString());
}

void JournalWindow::selectShift(int shift)
{
    if (QAbstractButton *b = m_shifts->button(qBound(1, shift, 4)))
        b->setChecked(true);
}

void JournalWindow::showShift(int shift)
{
    // Also called after reloads: the grid takes the query's rows afresh and
    // goes to its current row.
    m_grid->setResultSet(&m_journal.data().smena(shift));
    for (int s = 1; s <= 4; ++s)
        m_shifts->button(s)->setStyleSheet(s == shift ? kShiftOn : QString());
    m_journal.setShift(shift);
}

void JournalWindow::activate()
{
    const QDate today = QDate::currentDate();
    m_date->setDate(today);
    if (Journal::isWeekend(today))
        m_dayOff->setChecked(true);
    loadPickedDate(false);
}

void JournalWindow::changeDate()
{
    if (loadPickedDate(true))
        m_dayOff->setChecked(Journal::isWeekend(m_date->date()));
    m_grid->setFocus();
}

bool JournalWindow::loadPickedDate(bool hourglass)
{
    bool loaded = false;
    guarded([&] {
        // Gone before an error is shown.
        std::optional<BusyCursor> busy;
        if (hourglass)
            busy.emplace();
        m_journal.load(m_date->date());
        loaded = true;
    });
    // A failed load leaves the grid on the journal's date; so must the
    // picker, which new entries take their date from.
    if (!loaded && m_journal.date().isValid())
        m_date->setDate(m_journal.date());
    return loaded;
}

void JournalWindow::refresh()
{
    guarded([this] {
        BusyCursor busy;
        m_journal.refresh();
    });
}

void JournalWindow::deleteCurrent()
{
    ResultSet &q = m_journal.current();
    if (q.currentRow() < 0)
        return;
    guarded([&] {
        if (!askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"))) {
            q.reopen();
            showShift(m_journal.shift());
            return;
        }
        m_journal.deleteCurrent();
        showShift(m_journal.shift());
    });
}

void JournalWindow::toggleAcceptance()
{
    guarded([this] {
        if (m_journal.toggleAcceptance())
            showShift(m_journal.shift());
    });
}

void JournalWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The window system's own show events (a minimised window restored)
    // are no return to the journal and must not reset its date.
    if (!event->spontaneous())
        activate();
}

void JournalWindow::runFromJournal(const std::function<void()> &open)
{
    guarded(open);
    // Coming back from another of the program's windows brings today's
    // journal back; message boxes do not pass through here.
    activate();
    releaseHiddenWindows();
}

bool JournalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_date && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            changeDate();
            return true;
        }
    } else if (watched == m_date && event->type() == QEvent::ChildAdded && !m_calendarPopup) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType() && (static_cast<QWidget *>(child)->windowFlags() & Qt::Popup) == Qt::Popup) {
            m_calendarPopup = static_cast<QWidget *>(child);
            m_calendarPopup->installEventFilter(this);
        }
    } else if (watched == m_calendarPopup && m_calendarPopup && event->type() == QEvent::Hide) {
        // Let the picker take the clicked date first.
        QTimer::singleShot(0, this, &JournalWindow::changeDate);
    }
    return QDialog::eventFilter(watched, event);
}

void JournalWindow::keyPressEvent(QKeyEvent *event)
{
    // Esc closes, as "Выход" does; Enter must not close the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

} // namespace tabel
