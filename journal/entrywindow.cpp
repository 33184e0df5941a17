#include "journal/entrywindow.h"

#include "app/controlnames.h"
#include "app/controls.h"
#include "app/errordisplay.h"
#include "data/resultset.h"
#include "journal/journalwindow.h"

#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tabel {

namespace {

const QString kNewCaption = QStringLiteral("Заведение новой позиции (11)");
const QString kChangeCaption = QStringLiteral("Изменение данных о позиции (11)");

} // namespace

EntryWindow::EntryWindow(JournalWindow &journal, QWidget *parent)
    : QDialog(parent), m_journal(journal), m_entry(journal.journal())
{
    setObjectName(QLatin1String(names::entryWindow));
    setWindowTitle(kNewCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *frame = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    frame->setObjectName(QLatin1String(names::entryFrame));
    auto *grid = new QGridLayout(frame);

    auto *digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    // Digits only, but no length limit: a limit would cut a pasted number
    // to another number unseen. The save refuses what the column cannot
    // hold.
    auto field = [&](const char *name, bool readOnly) {
        auto *e = new QLineEdit(frame);
        e->setObjectName(QLatin1String(name));
        if (readOnly) {
            e->setReadOnly(true);
            // Read-only fields are not stops of the keyboard's tab order.
            e->setFocusPolicy(Qt::NoFocus);
        } else {
            e->setValidator(digitsOnly);
        }
        return e;
    };
    auto picker = [&](const char *name) {
        auto *b = new QPushButton(QStringLiteral("..."), frame);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setFixedWidth(28);
        return b;
    };
    auto labelled = [&](int row, int column, const QString &text, QWidget *w, QWidget *extra = nullptr) {
        auto *label = new QLabel(text, frame);
        label->setBuddy(w);
        grid->addWidget(label, row, column);
        if (extra) {
            auto *box = new QHBoxLayout;
            box->setSpacing(2);
            box->addWidget(w, 1);
            box->addWidget(extra);
            grid->addLayout(box, row + 1, column);
        } else {
            grid->addWidget(w, row + 1, column);
        }
        return label;
    };

    m_worker = field(names::entryWorker, true);
    m_worker->setMinimumWidth(220);
    m_workerButton = picker(names::entryWorkerPick);
    m_operation = field(names::entryOperation, true);
    m_operation->setMinimumWidth(380);
    m_operationButton = picker(names::entryOperationPick);
    m_quantity = field(names::entryQuantity, false);
    m_hours = field(names::entryHours, false);
    m_hours->setText(QStringLiteral("0"));
    m_colour = field(names::entryColour, false);
    m_date = new QDateEdit(QDate::currentDate(), frame);
    m_date->setObjectName(QLatin1String(names::entryDate));
    setUpDatePicker(m_date);
    m_rejects = field(names::entryRejects, false);
    m_rejects->setText(QStringLiteral("0"));
    m_basePrice = field(names::entryBasePrice, true);
    m_finalPrice = field(names::entryFinalPrice, true);
    m_amount = field(names::entryAmount, true);
    for (QLineEdit *number : {m_quantity, m_hours, m_colour, m_rejects, m_basePrice, m_finalPrice, m_amount})
        number->setMaximumWidth(110);

    labelled(0, 0, QStringLiteral("ФИО"), m_worker, m_workerButton);
    labelled(0, 1, QStringLiteral("Операция"), m_operation, m_operationButton);
    labelled(0, 2, QStringLiteral("Кол-во"), m_quantity);
    labelled(0, 3, QStringLiteral("Время"), m_hours);
    m_colourLabel = labelled(0, 4, QStringLiteral("Цвет"), m_colour);
    m_colourLabel->setObjectName(QLatin1String(names::entryColourLabel));
    labelled(2, 0, QStringLiteral("Дата"), m_date);
    labelled(2, 1, QStringLiteral("Брак"), m_rejects);
    labelled(2, 2, QStringLiteral("Цена база"), m_basePrice);
    labelled(2, 3, QStringLiteral("Цена итог"), m_finalPrice);
    labelled(2, 4, QStringLiteral("Сумма"), m_amount);

    m_saveButton = new QPushButton(QStringLiteral("Запись"), this);
    m_saveButton->setObjectName(QLatin1String(names::entrySave));
    m_saveButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QLatin1String(names::entryCancel));
    m_cancelButton->setAutoDefault(false);
    connect(m_saveButton, &QPushButton::clicked, this, &EntryWindow::save);
    // Closing without saving keeps what the fields show.
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    setTabOrder(m_workerButton, m_operationButton);
    setTabOrder(m_operationButton, m_quantity);
    setTabOrder(m_quantity, m_hours);
    setTabOrder(m_hours, m_colour);
    setTabOrder(m_colour, m_date);
    setTabOrder(m_date, m_rejects);
    setTabOrder(m_rejects, m_saveButton);
    setTabOrder(m_saveButton, m_cancelButton);
    // No operation is picked yet, so there is no colour to give.
    setColourEnabled(false);

    connect(m_workerButton, &QPushButton::clicked, this, &EntryWindow::pickWorker);
    connect(m_operationButton, &QPushButton::clicked, this, &EntryWindow::pickOperation);
    for (QWidget *w : {static_cast<QWidget *>(m_worker), static_cast<QWidget *>(m_operation),
                       static_cast<QWidget *>(m_quantity), static_cast<QWidget *>(m_hours),
                       static_cast<QWidget *>(m_date)})
        w->installEventFilter(this);

    setFixedSize(sizeHint());
}

void EntryWindow::openNew()
{
    prepareNew();
    exec();
}

void EntryWindow::openChange()
{
    ResultSet &rows = m_journal.journal().current();
    const int row = rows.currentRow();
    if (!prepareChange())
        return;
    exec();
    rows.setCurrentRow(row);
}

void EntryWindow::prepareNew()
{
    const EntryFields f = m_entry.beginNew(m_journal.pickedDate());
    m_date->setDate(f.date);
    m_worker->clear();
    m_operation->clear();
    m_quantity->clear();
    m_colour->clear();
    m_rejects->setText(f.rejects);
    m_hours->setText(f.hours);
    // Figures of an earlier, cancelled entry must not stand beside the
    // emptied fields.
    m_basePrice->clear();
    m_finalPrice->clear();
    m_amount->clear();
    setWindowTitle(kNewCaption);
}

bool EntryWindow::prepareChange()
{
    const std::optional<EntryFields> f = m_entry.beginChange();
    if (!f)
        return false;
    setWindowTitle(kChangeCaption);
    showFields(*f);
    return true;
}

void EntryWindow::showFields(const EntryFields &f)
{
    m_date->setDate(f.date);
    m_worker->setText(f.worker);
    m_operation->setText(f.operation);
    m_operation->home(false); // the mark first, where the text is longer than the field
    m_quantity->setText(f.quantity);
    m_rejects->setText(f.rejects);
    m_hours->setText(f.hours);
    setColourEnabled(f.colourEnabled);
    m_colour->setText(f.colour);
    m_finalPrice->setText(m_entry.finalPriceText());
    m_amount->setText(m_entry.amountText(f.quantity));
    // The base price of another entry's operation would be wrong here.
    m_basePrice->clear();
}

EntryFields EntryWindow::fields() const
{
    EntryFields f;
    f.worker = m_worker->text();
    f.operation = m_operation->text();
    f.quantity = m_quantity->text();
    f.rejects = m_rejects->text();
    f.hours = m_hours->text();
    f.colour = m_colour->text();
    f.date = m_date->date();
    return f;
}

void EntryWindow::setColourEnabled(bool on)
{
    if (!on)
        m_colour->clear();
    m_colour->setEnabled(on);
    m_colourLabel->setEnabled(on);
}

void EntryWindow::clearFields()
{
    for (QLineEdit *e : {m_worker, m_operation, m_quantity, m_rejects, m_colour, m_hours,
                         m_basePrice, m_finalPrice, m_amount})
        e->clear();
}

void EntryWindow::pickWorker()
{
    if (!m_workerPicker)
        return;
    std::optional<WorkerPick> pick;
    guarded([&] { pick = m_workerPicker(1); });
    if (pick) {
        m_entry.takeWorker(*pick);
        m_worker->setText(pick->name.trimmed());
    }
    m_workerButton->setFocus();
}

void EntryWindow::pickOperation()
{
    if (!m_operationPicker)
        return;
    const PayConditions conditions{m_journal.isDayOff(), m_journal.journal().shift()};
    std::optional<OperationPick> pick;
    guarded([&] { pick = m_operationPicker(m_entry.operationToStartOn(), conditions); });
    if (pick) {
        m_entry.takeOperation(*pick);
        m_operation->setText(pick->text);
        m_operation->home(false);
    }
    // Picked or not, the colour field follows the operation shown and the
    // figures are worked out again.
    setColourEnabled(ShiftEntry::isPainting(m_operation->text()));
    recalculate();
    m_workerButton->setFocus();
}

void EntryWindow::recalculate()
{
    if (m_hours->text().trimmed().isEmpty())
        m_hours->setText(QStringLiteral("0"));
    if (m_quantity->text().trimmed().isEmpty())
        m_quantity->setText(QStringLiteral("0"));
    m_finalPrice->setText(m_entry.finalPriceText());
    m_basePrice->setText(m_entry.basePriceText());
    m_amount->setText(m_entry.amountText(m_quantity->text()));
}

void EntryWindow::save()
{
    bool written = false;
    guarded([&] { written = m_entry.save(fields(), QDate::currentDate()); });
    if (!written)
        return;
    // The entry is written; a journal that fails to reload is reported but
    // must not keep the editor open for a second, duplicate save.
    guarded([&] { m_entry.refreshAfterSave(); });
    clearFields();
    accept();
}

bool EntryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_worker || watched == m_operation) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_worker)
            pickWorker();
        else
            pickOperation();
        return true;
    }
    if (watched == m_date && event->type() == QEvent::KeyPress) {
        // The date is one stop of the tab order, not one per day, month
        // and year.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab);
            return true;
        }
    }
    if ((watched == m_quantity || watched == m_hours) && event->type() == QEvent::FocusOut) {
        // Only a move to another control of the editor counts; the window
        // losing the focus (a picker, closing) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            recalculate();
    }
    return QDialog::eventFilter(watched, event);
}

void EntryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_workerButton->setFocus();
}

} // namespace tabel
