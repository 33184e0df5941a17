#pragma once

#include "app/listwindow.h"
#include "reference/picks.h"

#include <optional>

class QCheckBox;

namespace tabel {

class DataModule;
class NormsWindow;
class OperationEditor;
class Spreadsheet;

// The operation prices list (the shared query Oper): every operation that
// has a norm, with its lowest norm price and norm count. In picking mode
// the operation picker of the shift entry editor.
class OperationsWindow : public ListWindow
{
    Q_OBJECT
public:
    OperationsWindow(DataModule &dm, OperationEditor &editor, NormsWindow &norms,
                     QWidget *parent = nullptr);

    // Where "Excel" writes; without one the button does nothing.
    void setSpreadsheet(Spreadsheet *sheet) { m_sheet = sheet; }

    QCheckBox *pricesBox() const { return m_prices; }
    QPushButton *excelButton() const { return m_excel; }

    // From the main menu: managing mode, shown on the first row.
    void openManaging();
    // Picking mode, starting on the operation startOperationId (0: the
    // first row); the pick's price carries the pay conditions. Afterwards
    // the search field is hidden and the rows are no longer filtered.
    std::optional<OperationPick> pickOperation(int startOperationId, PayConditions conditions);
    OperationPicker picker();

    // The norms of the current operation ("Цены" ticked, double-click).
    void openNorms();
    // "Excel": the price list of every operation into a new workbook.
    void exportPrices();

protected:
    void addRow() override;
    void changeRow() override;
    void deleteRow() override;
    void takePick() override;
    void rowDoubleClicked() override;

private:
    void openNormsFor(int operationId);

    DataModule &m_dm;
    OperationEditor &m_editor;
    NormsWindow &m_norms;
    Spreadsheet *m_sheet = nullptr;
    QCheckBox *m_prices = nullptr;
    QPushButton *m_excel = nullptr;
    PayConditions m_conditions;
    std::optional<OperationPick> m_pick;
};

} // namespace tabel
