#include "reference/operationwindows.h"

namespace tabel {

OperationWindows::OperationWindows(DataModule &dm)
    : kindEditor(dm),
      kinds(dm, kindEditor),
      operationEditor(dm),
      norms(dm),
      operations(dm, operationEditor, norms),
      nomenclature(dm)
{
    operationEditor.setKindPicker([this] { return kinds.pickKind(); });
}

} // namespace tabel
