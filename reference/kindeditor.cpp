#include "reference/kindeditor.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "reference/kinds.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabel {

KindEditor::KindEditor(DataModule &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Вид операции"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *row = new QHBoxLayout(group);
    auto *label = new QLabel(QStringLiteral("Операция"), group);
    m_name = new QLineEdit(group);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    // No length limit here, which would cut a pasted or stored name unseen;
    // the save refuses what the column cannot hold.
    m_name->setMinimumWidth(300);
    label->setBuddy(m_name);
    row->addWidget(label);
    row->addWidget(m_name, 1);
    layout->addWidget(group);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_save = new QPushButton(QStringLiteral("Записать"), this);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &KindEditor::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void KindEditor::prepareNew()
{
    m_name->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    m_mode = 1;
    m_kindId = 0;
}

void KindEditor::prepareChange(int kindId, const QString &name)
{
    m_name->setText(name.trimmed());
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    m_mode = 2;
    m_kindId = kindId;
}

void KindEditor::save()
{
    guarded([this] {
        if (!kinds::save(m_dm, m_mode, m_kindId, m_name->text()))
            return;
        // Written: the editor closes even if the list cannot be read again.
        accept();
        m_dm.vidOper().reopenKeepingRow();
    });
}

void KindEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_name->setFocus();
}

} // namespace tabel
