#include "reference/nomenclaturewindow.h"

#include "data/datamodule.h"
#include "reference/nomenclature.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>

namespace tabel {

NomenclatureWindow::NomenclatureWindow(DataModule &dm, QWidget *parent)
    : ListWindow(QStringLiteral("TForm26"), QStringLiteral("Номенклатура (26)"),
                 {{QStringLiteral("Наименование"), QStringLiteral("s_caption"), 420}}, parent),
      m_items(std::make_unique<ResultSet>(dm, QStringLiteral("Nomenclature"), nomenclature::sql()))
{
    setWindowIcon(QApplication::windowIcon());
    setResultSet(m_items.get());
    setSearchRule(&nomenclature::searchFilter, SearchKeys::TypingOnly);
    // Always a picker: "Выбрать" and "Выход" only. Set once, because every
    // picking opening of a list empties its search field.
    setPicking(1);
    setFixedSize(460, 500);
    // The row the picker was left on, so the next opening starts there.
    connect(this, &QDialog::finished, this, [this] {
        if (const auto current = nomenclature::pickCurrent(*m_items))
            m_lastId = current->id;
    });
}

NomenclatureWindow::~NomenclatureWindow()
{
    // The grid is destroyed after this; it must not hold on to the query.
    setResultSet(nullptr);
}

std::optional<NomenclaturePick> NomenclatureWindow::pickNomenclature()
{
    m_pick.reset();
    runWithQuery([this](ResultSet &items) {
        const int row = nomenclature::rowOf(items, m_lastId);
        if (row >= 0)
            items.setCurrentRow(row);
    });
    return m_pick;
}

NomenclaturePicker NomenclatureWindow::picker()
{
    return [this] { return pickNomenclature(); };
}

void NomenclatureWindow::takePick()
{
    m_pick = nomenclature::pickCurrent(*m_items);
}

void NomenclatureWindow::showEvent(QShowEvent *event)
{
    ListWindow::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace tabel
