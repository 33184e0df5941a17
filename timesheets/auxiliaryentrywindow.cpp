#include "timesheets/auxiliaryentrywindow.h"

#include "app/controls.h"
#include "app/errordisplay.h"
#include "timesheets/auxiliaryjournalwindow.h"
#include "timesheets/auxiliarynames.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tabel {

AuxiliaryEntryWindow::AuxiliaryEntryWindow(AuxiliaryJournalWindow &journal, QWidget *parent)
    : QDialog(parent), m_journal(journal), m_entry(journal.journal())
{
    setObjectName(QLatin1String(names::auxEntryWindow));
    setWindowTitle(QStringLiteral("Хоз. работы/среднесдельная (24)"));
    setWindowIcon(QApplication::windowIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *frame = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    frame->setObjectName(QLatin1String(names::auxEntryFrame));
    auto *grid = new QGridLayout(frame);

    auto readOnly = [&](const char *name) {
        auto *e = new QLineEdit(frame);
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(true);
        // Not a stop of the keyboard's tab order.
        e->setFocusPolicy(Qt::NoFocus);
        return e;
    };
    auto picker = [&](const char *name) {
        auto *b = new QPushButton(QStringLiteral("..."), frame);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setFixedWidth(28);
        return b;
    };
    auto pickRow = [&](int row, const QString &label, QLineEdit *field, QPushButton *button) {
        auto *l = new QLabel(label, frame);
        l->setBuddy(button);
        grid->addWidget(l, row, 0, 1, 2);
        auto *box = new QHBoxLayout;
        box->setSpacing(2);
        box->addWidget(field, 1);
        box->addWidget(button);
        grid->addLayout(box, row + 1, 0, 1, 2);
    };

    m_worker = readOnly(names::auxEntryWorker);
    m_worker->setMinimumWidth(360);
    m_workerButton = picker(names::auxEntryWorkerPick);
    pickRow(0, QStringLiteral("ФИО"), m_worker, m_workerButton);
    m_nomenclature = readOnly(names::auxEntryNomenclature);
    m_nomenclatureButton = picker(names::auxEntryNomenclaturePick);
    pickRow(2, QStringLiteral("Номенклатура"), m_nomenclature, m_nomenclatureButton);

    m_kind = new QComboBox(frame);
    m_kind->setObjectName(QLatin1String(names::auxEntryKind));
    grid->addWidget(m_kind, 4, 0, 1, 2);

    // Hours, then the kind's rate and the sum they come to.
    m_hours = new QLineEdit(frame);
    m_hours->setObjectName(QLatin1String(names::auxEntryHours));
    // Digits only, but no length limit, which would cut pasted hours ("100"
    // to "10") unseen; the save refuses more than a day holds.
    m_hours->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_hours));
    m_hours->setText(QStringLiteral("0"));
    m_rate = readOnly(names::auxEntryRate);
    m_rate->setEnabled(false);
    m_sum = readOnly(names::auxEntrySum);
    m_sum->setEnabled(false);
    for (QLineEdit *number : {m_hours, m_rate, m_sum})
        number->setMaximumWidth(90);
    auto *figures = new QHBoxLayout;
    figures->addWidget(m_hours);
    figures->addWidget(new QLabel(QStringLiteral("ч."), frame));
    figures->addSpacing(12);
    figures->addWidget(new QLabel(QStringLiteral("Цена"), frame));
    figures->addWidget(m_rate);
    figures->addWidget(new QLabel(QStringLiteral("р."), frame));
    figures->addSpacing(12);
    figures->addWidget(new QLabel(QStringLiteral("Сумма"), frame));
    figures->addWidget(m_sum);
    figures->addStretch();
    grid->addLayout(figures, 5, 0, 1, 2);

    m_night = new QCheckBox(QStringLiteral("Ночные"), frame);
    m_night->setObjectName(QLatin1String(names::auxEntryNight));
    grid->addWidget(m_night, 6, 0, 1, 2);

    m_saveButton = new QPushButton(QStringLiteral("Записать"), this);
    m_saveButton->setObjectName(QLatin1String(names::auxEntrySave));
    m_saveButton->setDefault(true);
    m_exitButton = new QPushButton(QStringLiteral("Выход"), this);
    m_exitButton->setObjectName(QLatin1String(names::auxEntryExit));
    m_exitButton->setAutoDefault(false);
    connect(m_saveButton, &QPushButton::clicked, this, &AuxiliaryEntryWindow::save);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_exitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    setTabOrder(m_workerButton, m_nomenclatureButton);
    setTabOrder(m_nomenclatureButton, m_kind);
    setTabOrder(m_kind, m_hours);
    setTabOrder(m_hours, m_night);
    setTabOrder(m_night, m_saveButton);
    setTabOrder(m_saveButton, m_exitButton);

    connect(m_workerButton, &QPushButton::clicked, this, &AuxiliaryEntryWindow::pickWorker);
    connect(m_nomenclatureButton, &QPushButton::clicked, this, &AuxiliaryEntryWindow::pickNomenclature);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &AuxiliaryEntryWindow::updateFigures);
    connect(m_hours, &QLineEdit::textChanged, this, &AuxiliaryEntryWindow::updateFigures);

    setFixedSize(sizeHint());
}

void AuxiliaryEntryWindow::openNew()
{
    if (!prepareNew())
        return;
    exec();
    m_entry.closeKinds();
}

void AuxiliaryEntryWindow::openChange()
{
    if (!prepareChange())
        return;
    exec();
    m_entry.closeKinds();
}

bool AuxiliaryEntryWindow::prepareNew()
{
    bool ready = false;
    guarded([&] {
        showFields(m_entry.beginNew());
        ready = true;
    });
    if (ready) {
        // A new entry may be night work.
        m_night->setEnabled(true);
    }
    return ready;
}

bool AuxiliaryEntryWindow::prepareChange()
{
    bool ready = false;
    guarded([&] {
        const std::optional<AuxiliaryFields> f = m_entry.beginChange();
        if (!f)
            return;
        showFields(*f);
        ready = true;
    });
    if (ready) {
        // An entry stays day or night work; its sheet row depends on it.
        m_night->setEnabled(false);
    }
    return ready;
}

void AuxiliaryEntryWindow::showFields(const AuxiliaryFields &f)
{
    m_worker->setText(f.worker);
    m_nomenclature->setText(f.nomenclature);
    m_nomenclature->home(false);
    {
        const QSignalBlocker quiet(m_kind);
        m_kind->clear();
        for (const AuxiliaryKind &k : m_entry.kinds())
            m_kind->addItem(k.name, k.id);
        m_kind->setCurrentIndex(m_kind->findData(f.kind));
    }
    m_hours->setText(f.hours);
    m_night->setChecked(f.night);
    updateFigures();
}

int AuxiliaryEntryWindow::chosenKind() const
{
    return m_kind->currentIndex() < 0 ? 0 : m_kind->currentData().toInt();
}

AuxiliaryFields AuxiliaryEntryWindow::fields() const
{
    AuxiliaryFields f;
    f.worker = m_worker->text();
    f.nomenclature = m_nomenclature->text();
    f.hours = m_hours->text();
    f.kind = chosenKind();
    f.night = m_night->isChecked();
    return f;
}

void AuxiliaryEntryWindow::updateFigures()
{
    m_rate->setText(m_entry.rateText(chosenKind()));
    m_sum->setText(m_entry.sumText(chosenKind(), m_hours->text()));
}

void AuxiliaryEntryWindow::pickWorker()
{
    if (!m_workerPicker)
        return;
    std::optional<WorkerPick> pick;
    guarded([&] { pick = m_workerPicker(24); });
    if (pick) {
        m_entry.takeWorker(*pick);
        m_worker->setText(pick->name.trimmed());
    }
    m_workerButton->setFocus();
}

void AuxiliaryEntryWindow::pickNomenclature()
{
    if (!m_nomenclaturePicker)
        return;
    std::optional<NomenclaturePick> pick;
    guarded([&] { pick = m_nomenclaturePicker(); });
    if (pick) {
        m_entry.takeNomenclature(*pick);
        m_nomenclature->setText(pick->caption);
        m_nomenclature->home(false);
    }
    m_nomenclatureButton->setFocus();
}

void AuxiliaryEntryWindow::save()
{
    bool written = false;
    guarded([&] { written = m_entry.save(fields(), m_journal.pickedDate(), m_journal.isDayOff()); });
    if (written)
        accept();
}

void AuxiliaryEntryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    m_workerButton->setFocus();
}

} // namespace tabel
