#include "reference/operationeditor.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "reference/operations.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabel {

OperationEditor::OperationEditor(DataModule &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Цена операции"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);

    auto pickerRow = [&](int row, const QString &title, const QString &name, QLineEdit *&field,
                         QPushButton *&button) {
        auto *label = new QLabel(title, group);
        field = new QLineEdit(group);
        field->setObjectName(name + QStringLiteral("Edit"));
        field->setReadOnly(true);
        field->setMinimumWidth(260);
        button = new QPushButton(QStringLiteral("..."), group);
        button->setObjectName(name + QStringLiteral("Button"));
        button->setAutoDefault(false);
        button->setFixedWidth(30);
        label->setBuddy(button);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(button, row, 2);
    };
    pickerRow(0, QStringLiteral("Марка изделия"), QStringLiteral("mark"), m_mark, m_markButton);
    pickerRow(1, QStringLiteral("Операция"), QStringLiteral("kind"), m_kind, m_kindButton);

    auto *label = new QLabel(QStringLiteral("Вид"), group);
    m_productKind = new QComboBox(group);
    m_productKind->setObjectName(QStringLiteral("productKindBox"));
    m_productKind->addItems({operations::productKindText(0), operations::productKindText(1)});
    label->setBuddy(m_productKind);
    grid->addWidget(label, 2, 0);
    grid->addWidget(m_productKind, 2, 1, 1, 2);
    layout->addWidget(group);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *save = new QPushButton(QStringLiteral("Записать"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_markButton, &QPushButton::clicked, this, &OperationEditor::pickProduct);
    connect(m_kindButton, &QPushButton::clicked, this, &OperationEditor::pickKind);
    connect(save, &QPushButton::clicked, this, &OperationEditor::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void OperationEditor::prepareNew()
{
    m_mark->clear();
    m_kind->clear();
    m_productKind->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    m_mode = 1;
    m_operationId = 0;
    m_savedId = 0;
}

void OperationEditor::prepareChange(const ResultSet &oper)
{
    setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    m_mode = 2;
    m_savedId = 0;
    m_operationId = oper.value(QStringLiteral("id")).toInt();
    m_mark->setText(oper.value(QStringLiteral("MARKA")).toString().trimmed());
    m_kind->setText(oper.value(QStringLiteral("VID")).toString().trimmed());
    m_productKind->setCurrentIndex(oper.value(QStringLiteral("naimen")).toInt() == 0 ? 0 : 1);
    m_productId = oper.value(QStringLiteral("i_id")).toLongLong();
    m_kindId = oper.value(QStringLiteral("oper_vid")).toInt();
}

void OperationEditor::pickProduct()
{
    if (!m_productPicker)
        return;
    guarded([this] {
        if (const std::optional<ProductPick> p = m_productPicker()) {
            m_mark->setText(p->mark.trimmed());
            m_productId = p->id;
        }
    });
}

void OperationEditor::pickKind()
{
    if (!m_kindPicker)
        return;
    guarded([this] {
        if (const std::optional<KindPick> k = m_kindPicker()) {
            m_kind->setText(k->name.trimmed());
            m_kindId = k->id;
        }
    });
}

void OperationEditor::save()
{
    guarded([this] {
        operations::Draft draft;
        draft.mode = m_mode;
        draft.operationId = m_operationId;
        draft.productId = m_productId;
        draft.kindId = m_kindId;
        draft.naimen = m_productKind->currentIndex() == 1 ? 1 : 0;
        draft.mark = m_mark->text();
        draft.kind = m_kind->text();
        const std::optional<int> saved = operations::save(m_dm, draft);
        if (!saved)
            return;
        m_savedId = *saved;
        // Written: the editor closes even if the list cannot be read again,
        // so that a second "Записать" does not meet its own operation.
        accept();
        m_dm.oper().reopen();
    });
}

void OperationEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_markButton->setFocus();
}

} // namespace tabel
