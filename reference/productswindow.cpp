#include "reference/productswindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "data/rowfilter.h"
#include "reference/producteditor.h"

#include <QHeaderView>
#include <utility>

namespace tabel {

namespace {

QVector<GridColumn> productColumns()
{
    return {
        {QStringLiteral("Марка изделия"), QStringLiteral("marka"), 220},
        {QStringLiteral("Номенклатурная группа"), QStringLiteral("nom"), 260},
        {QStringLiteral("Коробки"), QStringLiteral("massa"), 80},
    };
}

} // namespace

ProductsWindow::ProductsWindow(DataModule &dm, ProductEditor &editor, QWidget *parent)
    : ListWindow(QStringLiteral("TForm3"), QStringLiteral("Изделия (3)"), productColumns(), parent),
      m_dm(dm), m_editor(editor)
{
    setResultSet(&dm.izdel());
    setSearchRule([](const QString &text) { return rowfilter::startsWith(QStringLiteral("marka"), text); },
                  SearchKeys::Editing);
    grid()->horizontalHeader()->setStretchLastSection(true);
    resize(640, 520);
}

int ProductsWindow::openManaging()
{
    setManaging();
    return runWithQuery();
}

std::optional<ProductPick> ProductsWindow::pickProduct()
{
    m_pick.reset();
    setPicking(1);
    runWithQuery();
    endPicking();
    return std::exchange(m_pick, std::nullopt);
}

ProductPicker ProductsWindow::picker()
{
    return [this] { return pickProduct(); };
}

void ProductsWindow::addRow()
{
    ResultSet &izdel = m_dm.izdel();
    const int row = izdel.currentRow();
    m_editor.runNew();
    izdel.setCurrentRow(row);
}

void ProductsWindow::changeRow()
{
    ResultSet &izdel = m_dm.izdel();
    const int row = izdel.currentRow();
    if (row < 0)
        return;
    m_editor.runChange();
    izdel.setCurrentRow(row);
}

void ProductsWindow::deleteRow()
{
    ResultSet &izdel = m_dm.izdel();
    if (izdel.currentRow() < 0)
        return;
    const std::optional<qlonglong> id = wholeNumber(izdel.value(QStringLiteral("id")));
    if (!id)
        return;
    ProductDeletion(m_dm, m_today).remove(*id, [](const QString &question) {
        return askYesNo(QStringLiteral("Удаление"), question);
    });
}

void ProductsWindow::takePick()
{
    ResultSet &izdel = m_dm.izdel();
    if (const std::optional<qlonglong> id = wholeNumber(izdel.value(QStringLiteral("id"))))
        m_pick = ProductPick{*id, izdel.value(QStringLiteral("marka")).toString().trimmed()};
}

} // namespace tabel
