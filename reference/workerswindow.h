#pragma once

#include "app/listwindow.h"
#include "reference/picks.h"

#include <optional>

namespace tabel {

class DataModule;
class WorkerEditor;

// The list of workers: managed from the main menu, and the worker picker
// of the entry editors (picking mode 1 for shift entries, 24 for
// auxiliary works).
class WorkersWindow : public ListWindow
{
    Q_OBJECT
public:
    WorkersWindow(DataModule &dm, WorkerEditor &editor, QWidget *parent = nullptr);

    // Managing mode from the main menu; the search text stays as it was.
    void openManaging();
    // A picking mode; the search field is shown and emptied.
    std::optional<WorkerPick> pickWorker(int mode);

protected:
    void addRow() override;
    void changeRow() override;
    void deleteRow() override;
    void takePick() override;

private:
    DataModule &m_dm;
    WorkerEditor &m_editor;
    std::optional<WorkerPick> m_pick;
};

} // namespace tabel
