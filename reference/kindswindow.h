#pragma once

#include "app/listwindow.h"
#include "reference/picks.h"

#include <optional>

namespace tabel {

class DataModule;
class KindEditor;

// The operation kinds list (the shared query Vid_oper); in picking mode
// the kind picker of the operation price editor.
class KindsWindow : public ListWindow
{
    Q_OBJECT
public:
    KindsWindow(DataModule &dm, KindEditor &editor, QWidget *parent = nullptr);

    // From the main menu: the row filter off, managing mode, shown.
    void openManaging();
    // Picking mode; the chosen kind, or nothing when the list was left.
    std::optional<KindPick> pickKind();

protected:
    void addRow() override;
    void changeRow() override;
    void deleteRow() override;
    void takePick() override;

private:
    DataModule &m_dm;
    KindEditor &m_editor;
    std::optional<KindPick> m_pick;
};

} // namespace tabel
