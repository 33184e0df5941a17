#include "reference/operationswindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "reference/normswindow.h"
#include "reference/operationeditor.h"
#include "reference/operations.h"
#include "reference/pricelist.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tabel {

OperationsWindow::OperationsWindow(DataModule &dm, OperationEditor &editor, NormsWindow &norms,
                                   QWidget *parent)
    : ListWindow(QStringLiteral("TForm4"), QStringLiteral("Операции"),
                 {{QStringLiteral("Марка"), QStringLiteral("MARKA"), 150},
                  {QStringLiteral("Опреция"), QStringLiteral("VID"), 220},
                  {QStringLiteral("Цена (min)"), QStringLiteral("cena"), 80,
                   Qt::AlignRight | Qt::AlignVCenter},
                  {QStringLiteral("Вид"), QStringLiteral("nmn"), 140},
                  {QStringLiteral("Нормы (шт.)"), QStringLiteral("norma"), 80,
                   Qt::AlignRight | Qt::AlignVCenter}},
                 parent),
      m_dm(dm), m_editor(editor), m_norms(norms)
{
    setResultSet(&dm.oper());
    setSearchRule(&operations::searchFilter, SearchKeys::TypingOnly);

    m_prices = new QCheckBox(QStringLiteral("Цены"), this);
    m_prices->setObjectName(QStringLiteral("pricesBox"));
    m_excel = new QPushButton(QStringLiteral("Excel"), this);
    m_excel->setObjectName(QStringLiteral("excelButton"));
    m_excel->setAutoDefault(false);
    // Before the stretch that keeps "Выход" at the right.
    buttonBar()->insertWidget(3, m_excel);
    buttonBar()->insertWidget(4, m_prices);
    connect(m_excel, &QPushButton::clicked, this, &OperationsWindow::exportPrices);
    resize(720, 520);
}

void OperationsWindow::openManaging()
{
    setManaging();
    runWithQuery();
}

std::optional<OperationPick> OperationsWindow::pickOperation(int startOperationId,
                                                             PayConditions conditions)
{
    m_pick.reset();
    m_conditions = conditions;
    setPicking(1);
    runWithQuery([startOperationId](ResultSet &oper) {
        if (startOperationId == 0)
            return;
        const int row = operations::rowOf(oper, startOperationId);
        if (row >= 0)
            oper.setCurrentRow(row);
    });
    endPicking();
    resultSet()->clearFilter();
    return m_pick;
}

OperationPicker OperationsWindow::picker()
{
    return [this](int startOperationId, PayConditions conditions) {
        return pickOperation(startOperationId, conditions);
    };
}

void OperationsWindow::takePick()
{
    m_pick = operations::pickCurrent(m_dm, *resultSet(), m_conditions);
}

void OperationsWindow::rowDoubleClicked()
{
    if (!isPicking() && m_prices->isChecked())
        openNorms();
    else
        ListWindow::rowDoubleClicked();
}

void OperationsWindow::addRow()
{
    m_editor.prepareNew();
    if (m_editor.exec() != QDialog::Accepted || m_editor.savedOperationId() == 0)
        return;
    // A new operation has no norm yet, and the list shows only operations
    // with norms: its first norm is entered right away.
    const int id = m_editor.savedOperationId();
    openNormsFor(id);
    const int row = operations::rowOf(*resultSet(), id);
    if (row >= 0)
        resultSet()->setCurrentRow(row);
}

void OperationsWindow::changeRow()
{
    ResultSet *oper = resultSet();
    if (!oper->isOpen() || oper->currentRow() < 0)
        return;
    m_editor.prepareChange(*oper);
    m_editor.exec();
}

void OperationsWindow::deleteRow()
{
    ResultSet *oper = resultSet();
    if (!oper->isOpen() || oper->currentRow() < 0)
        return;
    const int id = oper->value(QStringLiteral("id")).toInt();
    if (!askYesNo(QStringLiteral("Удаление"), QString::fromUtf8(operations::deleteQuestion)))
        return;
    m_dm.operDel(id);
    oper->reopenKeepingRow();
}

void OperationsWindow::openNorms()
{
    ResultSet *oper = resultSet();
    if (!oper->isOpen() || oper->currentRow() < 0)
        return;
    openNormsFor(oper->value(QStringLiteral("id")).toInt());
}

void OperationsWindow::openNormsFor(int operationId)
{
    m_norms.openFor(operationId);
}

void OperationsWindow::exportPrices()
{
    if (!m_sheet)
        return;
    guarded([this] {
        RowSet rows;
        {
            // Only while reading: the spreadsheet's messages want the
            // ordinary cursor.
            BusyCursor busy;
            rows = pricelist::read(m_dm);
        }
        pricelist::write(rows, *m_sheet);
    });
}

} // namespace tabel
