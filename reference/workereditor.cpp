#include "reference/workereditor.h"

#include "app/controls.h"
#include "app/errordisplay.h"
#include "data/datamodule.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

namespace tabel {

WorkerEditor::WorkerEditor(DataModule &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Работники"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *form = new QFormLayout(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("Edit1"));
    // No length limit on the field: it would cut a pasted or stored name
    // unseen. The save refuses what the column cannot hold.
    form->addRow(QStringLiteral("ФИО"), m_name);
    auto selector = [&](const QString &label, const QString &name) {
        auto *box = new QComboBox(this);
        box->setObjectName(name);
        setUpChoiceList(box);
        box->installEventFilter(this);
        form->addRow(label, box);
        return box;
    };
    m_department = selector(QStringLiteral("Подразделение"), QStringLiteral("DBLookupComboBox1"));
    m_position = selector(QStringLiteral("Должность"), QStringLiteral("DBLookupComboBox2"));
    m_role = selector(QStringLiteral("Роль"), QStringLiteral("DBLookupComboBox3"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *save = buttons->addButton(QStringLiteral("Записать"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, [this] { guarded([this] { this->save(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    form->addRow(buttons);
}

bool WorkerEditor::openNew()
{
    m_name->clear();
    setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    m_mode = workers::newWorker;
    return run();
}

bool WorkerEditor::openChange(int id, const QString &name, const QString &position)
{
    m_name->setText(name.trimmed());
    setWindowTitle(QStringLiteral("Изменение данных работника"));
    m_mode = workers::changedWorker;
    m_id = id;
    m_storedPosition = position;
    return run();
}

bool WorkerEditor::run()
{
    bool ready = false;
    guarded([&] {
        reloadChoices();
        if (m_mode == workers::changedWorker)
            m_position->setCurrentIndex(m_position->findText(m_storedPosition.trimmed()));
        ready = true;
    });
    return ready && exec() == QDialog::Accepted;
}

void WorkerEditor::reloadChoices()
{
    // Each selector keeps showing what it showed last time, when that row
    // is still there.
    const std::pair<QComboBox *, const char *> boxes[] = {
        {m_department, workers::departmentTable},
        {m_position, workers::staffPositionTable},
        {m_role, workers::roleTable}};
    for (const auto &[box, table] : boxes) {
        const QVector<workers::Choice> choices = workers::readChoices(m_dm, QLatin1String(table));
        const QVariant shown = box->currentData();
        box->clear();
        for (const workers::Choice &c : choices)
            box->addItem(c.caption, c.id);
        box->setCurrentIndex(shown.isValid() ? box->findData(shown) : -1);
    }
}

void WorkerEditor::save()
{
    // A changed worker whose position is none of the listed ones keeps it
    // unless another is chosen.
    const QString position = m_position->currentIndex() >= 0 ? m_position->currentText()
        : m_mode == workers::changedWorker                   ? m_storedPosition
                                                             : QString();
    if (workers::save(m_dm, m_mode, m_id, m_name->text(), position))
        accept();
}

void WorkerEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_name->setFocus();
}

bool WorkerEditor::stepFocusedSelector(int angleDelta)
{
    for (QComboBox *box : {m_role, m_position, m_department}) {
        if (!box->hasFocus())
            continue;
        if (angleDelta < 0 && box->currentIndex() < box->count() - 1)
            box->setCurrentIndex(box->currentIndex() + 1);
        else if (angleDelta > 0 && box->currentIndex() > 0)
            box->setCurrentIndex(box->currentIndex() - 1);
        return true;
    }
    return false;
}

void WorkerEditor::wheelEvent(QWheelEvent *event)
{
    stepFocusedSelector(event->angleDelta().y());
    event->accept();
}

bool WorkerEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Over a selector the wheel moves the focused one, not the one under
    // the mouse.
    if (event->type() == QEvent::Wheel
        && (watched == m_department || watched == m_position || watched == m_role)) {
        stepFocusedSelector(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tabel
