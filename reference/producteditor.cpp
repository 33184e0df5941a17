#include "reference/producteditor.h"

#include "app/controls.h"
#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "data/display.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace tabel {

namespace {

// "Расценка" takes digits, and "." or "," as a point; any other character
// is refused, also when it comes in by pasting. Caret keys, Delete and
// Backspace work as usual.
class FactorKeys : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        input.replace(QLatin1Char(','), QLatin1Char('.'));
        for (const QChar c : input)
            if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('.'))
                return Invalid;
        return Acceptable;
    }
};

} // namespace

ProductEditor::ProductEditor(DataModule &dm, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_rules(dm)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_mark = new QLineEdit(this);
    m_mark->setObjectName(QStringLiteral("Edit1"));
    // No length limit here, which would cut a pasted mark unseen; the save
    // refuses what the column cannot hold.
    form->addRow(QStringLiteral("Марка"), m_mark);
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("Edit2"));
    m_value->setValidator(new FactorKeys(m_value));
    form->addRow(QStringLiteral("Расценка"), m_value);
    m_class = new QComboBox(this);
    m_class->setObjectName(QStringLiteral("DBLookupComboBox1"));
    setUpChoiceList(m_class);
    form->addRow(QStringLiteral("Номенклатурная группа"), m_class);
    layout->addLayout(form);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_save = new QPushButton(QStringLiteral("Записать"), this);
    m_save->setObjectName(QStringLiteral("Button1"));
    m_save->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    setMinimumWidth(480);

    connect(m_save, &QPushButton::clicked, this, &ProductEditor::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int ProductEditor::runNew()
{
    setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    m_mode = 1;
    m_id = 0;
    m_mark->clear();
    m_value->clear();
    return run();
}

int ProductEditor::runChange()
{
    ResultSet &izdel = m_dm.izdel();
    if (izdel.currentRow() < 0)
        return QDialog::Rejected;
    const std::optional<qlonglong> id = wholeNumber(izdel.value(QStringLiteral("id")));
    if (!id)
        return QDialog::Rejected;
    setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
    m_mode = 2;
    m_id = *id;
    m_mark->setText(izdel.value(QStringLiteral("marka")).toString().trimmed());
    const QVariant massa = izdel.value(QStringLiteral("massa"));
    m_value->setText(massa.isNull() ? QString() : display::value(massa).trimmed());
    m_classId = wholeNumber(izdel.value(QStringLiteral("id_class_item")));
    return run();
}

int ProductEditor::run()
{
    int result = QDialog::Rejected;
    guarded([&] {
        loadClasses();
        result = exec();
    });
    // The class list is read afresh for every opening; the choice stays.
    if (m_class->currentIndex() >= 0)
        m_classId = m_class->currentData().toLongLong();
    m_class->clear();
    return result;
}

void ProductEditor::loadClasses()
{
    const RowSet rows = m_rules.classes();
    m_class->clear();
    for (int r = 0; r < rows.size(); ++r)
        if (const std::optional<qlonglong> id = wholeNumber(rows.value(r, QStringLiteral("id"))))
            m_class->addItem(rows.value(r, QStringLiteral("s_caption")).toString(), *id);
    selectClass(m_classId);
}

void ProductEditor::selectClass(std::optional<qlonglong> id)
{
    m_class->setCurrentIndex(id ? m_class->findData(*id) : -1);
}

void ProductEditor::save()
{
    ProductDraft draft;
    draft.mode = m_mode;
    draft.id = m_id;
    draft.mark = m_mark->text();
    draft.value = m_value->text();
    if (m_class->currentIndex() >= 0)
        draft.classId = m_class->currentData().toLongLong();
    bool saved = false;
    guarded([&] {
        saved = m_rules.save(draft);
        if (saved)
            m_dm.izdel().reopen();
    });
    // Once written, the editor closes even if the list could not be read
    // again: a second "Записать" would only meet its own mark.
    if (saved)
        accept();
}

void ProductEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_mark->setFocus();
}

} // namespace tabel
