#include "reference/workerswindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "data/rowfilter.h"
#include "reference/workereditor.h"
#include "reference/workers.h"

#include <QHeaderView>

namespace tabel {

WorkersWindow::WorkersWindow(DataModule &dm, WorkerEditor &editor, QWidget *parent)
    : ListWindow(QStringLiteral("TForm5"), QStringLiteral("Список рабочих"),
                 {{QStringLiteral("ФИО"), QStringLiteral("fio"), 300},
                  {QStringLiteral("Должность"), QStringLiteral("s_staffpos_hl"), 250}},
                 parent),
      m_dm(dm), m_editor(editor)
{
    setResultSet(&dm.workers());
    grid()->setBoldTitles(true);
    grid()->horizontalHeader()->setStretchLastSection(true);
    setSearchRule([](const QString &text) { return rowfilter::startsWith(QStringLiteral("fio"), text); },
                  SearchKeys::TypingOnly);
    resize(620, 520);
}

void WorkersWindow::openManaging()
{
    setManaging();
    runWithQuery();
}

std::optional<WorkerPick> WorkersWindow::pickWorker(int mode)
{
    m_pick.reset();
    setPicking(mode);
    runWithQuery();
    return m_pick;
}

void WorkersWindow::takePick()
{
    m_pick = WorkerPick{resultSet()->value(QStringLiteral("id")).toInt(),
                        resultSet()->value(QStringLiteral("fio")).toString().trimmed()};
}

void WorkersWindow::addRow()
{
    m_editor.openNew();
    // The new worker takes his place in name order; the list starts over.
    resultSet()->reopen();
}

void WorkersWindow::changeRow()
{
    ResultSet &set = *resultSet();
    if (set.currentRow() < 0)
        return;
    m_editor.openChange(set.value(QStringLiteral("id")).toInt(),
                        set.value(QStringLiteral("fio")).toString(),
                        set.value(QStringLiteral("s_staffpos_hl")).toString());
    set.reopenKeepingRow();
    accept();
}

void WorkersWindow::deleteRow()
{
    ResultSet &set = *resultSet();
    if (set.currentRow() < 0)
        return;
    if (!askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить работника?")))
        return;
    m_dm.execute(QStringLiteral("Workers_del"),
                 workers::deleteSql(set.value(QStringLiteral("id")).toInt()));
    set.reopenKeepingRow();
}

} // namespace tabel
