#pragma once

#include "app/listwindow.h"
#include "reference/picks.h"
#include "reference/products.h"

#include <optional>

namespace tabel {

class DataModule;
class ProductEditor;

// The products list over Izdel: managing from the main menu, and the
// product picker of the operation price editor.
class ProductsWindow : public ListWindow
{
    Q_OBJECT
public:
    ProductsWindow(DataModule &dm, ProductEditor &editor, QWidget *parent = nullptr);

    // The main menu's opening (mode 0).
    int openManaging();
    // The picker's opening (mode 1): the chosen product, or nothing when
    // the list was left without a choice or had no row to choose.
    std::optional<ProductPick> pickProduct();
    ProductPicker picker();

    // Today's date as the delete's threshold sees it; tests set it.
    void setToday(ProductDeletion::Today today) { m_today = std::move(today); }

protected:
    void addRow() override;
    void changeRow() override;
    void deleteRow() override;
    void takePick() override;

private:
    DataModule &m_dm;
    ProductEditor &m_editor;
    ProductDeletion::Today m_today;
    std::optional<ProductPick> m_pick;
};

} // namespace tabel
