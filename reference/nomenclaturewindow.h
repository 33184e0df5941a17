#pragma once

#include "app/listwindow.h"
#include "reference/picks.h"

#include <memory>
#include <optional>

namespace tabel {

class DataModule;

// Picks a nomenclature item. Its search text, filter and row stay from
// one opening to the next.
class NomenclatureWindow : public ListWindow
{
    Q_OBJECT
public:
    explicit NomenclatureWindow(DataModule &dm, QWidget *parent = nullptr);
    ~NomenclatureWindow() override;

    ResultSet &items() const { return *m_items; }

    // The chosen item, or nothing when the picker was left or shows no row.
    std::optional<NomenclaturePick> pickNomenclature();
    NomenclaturePicker picker();

protected:
    void takePick() override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<ResultSet> m_items;
    std::optional<NomenclaturePick> m_pick;
    qlonglong m_lastId = 0;
};

} // namespace tabel
