#pragma once

#include "reference/kindeditor.h"
#include "reference/kindswindow.h"
#include "reference/nomenclaturewindow.h"
#include "reference/normswindow.h"
#include "reference/operationeditor.h"
#include "reference/operationswindow.h"

namespace tabel {

class DataModule;

// The windows of operations, created once for the whole run and wired to
// each other: the kinds list picks for the operation price editor, the
// operation prices list opens that editor and the norms. The products
// picker of the editor is wired from outside (setProductPicker).
struct OperationWindows
{
    explicit OperationWindows(DataModule &dm);

    KindEditor kindEditor;
    KindsWindow kinds;
    OperationEditor operationEditor;
    NormsWindow norms;
    OperationsWindow operations;
    NomenclatureWindow nomenclature;
};

} // namespace tabel
