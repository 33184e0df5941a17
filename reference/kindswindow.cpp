#include "reference/kindswindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "reference/kindeditor.h"
#include "reference/kinds.h"

#include <QLineEdit>

namespace tabel {

KindsWindow::KindsWindow(DataModule &dm, KindEditor &editor, QWidget *parent)
    : ListWindow(QStringLiteral("TForm8"), QStringLiteral("Виды операций (8)"),
                 {{QStringLiteral("Операции"), QStringLiteral("VID"), 300}}, parent),
      m_dm(dm), m_editor(editor)
{
    setResultSet(&dm.vidOper());
    setSearchRule(&kinds::searchFilter, SearchKeys::TypingOnly);
    searchField()->hide();
    resize(360, 450);
}

void KindsWindow::openManaging()
{
    // The search field is hidden here; what a pick left in it must not
    // filter the rows out of sight.
    searchField()->clear();
    resultSet()->clearFilter();
    setManaging();
    runWithQuery();
}

std::optional<KindPick> KindsWindow::pickKind()
{
    m_pick.reset();
    setPicking(1);
    runWithQuery();
    endPicking();
    return m_pick;
}

void KindsWindow::addRow()
{
    m_editor.prepareNew();
    m_editor.exec();
}

void KindsWindow::changeRow()
{
    ResultSet *set = resultSet();
    if (!set->isOpen() || set->currentRow() < 0)
        return;
    m_editor.prepareChange(set->value(QStringLiteral("ID")).toInt(),
                           set->value(QStringLiteral("VID")).toString());
    m_editor.exec();
}

void KindsWindow::deleteRow()
{
    ResultSet *set = resultSet();
    if (!set->isOpen() || set->currentRow() < 0)
        return;
    const int id = set->value(QStringLiteral("ID")).toInt();
    if (!askYesNo(QStringLiteral("Удаление"), QString::fromUtf8(kinds::deleteQuestion)))
        return;
    kinds::remove(m_dm, id);
    set->reopenKeepingRow();
}

void KindsWindow::takePick()
{
    ResultSet *set = resultSet();
    m_pick = KindPick{set->value(QStringLiteral("ID")).toInt(),
                      set->value(QStringLiteral("VID")).toString().trimmed()};
}

} // namespace tabel
