#pragma once

#include <QString>
#include <functional>
#include <optional>

// What the lists hand back to the editors that open them as pickers. An
// empty result means nothing was chosen (the list was empty, filtered to
// nothing, or closed): the opener then keeps its fields.
namespace tabel {

struct WorkerPick
{
    int id = 0;
    QString name; // without surrounding blanks
};

// Products and nomenclature items are rows of the plant's tables, whose
// ids are numeric(18,0): they are carried whole, never as int or double.
struct ProductPick
{
    qlonglong id = 0;
    QString mark; // without surrounding blanks
};

struct KindPick
{
    int id = 0;
    QString name; // without surrounding blanks
};

struct NomenclaturePick
{
    qlonglong id = 0;
    QString caption; // as stored
};

// What the entry is paid for: the journal's day-off box and its shift.
struct PayConditions
{
    bool dayOff = false;
    int shift = 1;
};

struct OperationPick
{
    qlonglong productId = 0;
    int operationId = 0;
    int naimen = 0;        // 0 finished product, 1 blank
    QString text;          // "<mark>; <kind>; <kind of product>"
    double basePrice = 0;  // the operation's lowest norm price
    double price = 0;      // the base price with the pay factors
};

// Pickers as the editors see them; the program wires the real lists in.
// The worker picker takes the list's picking mode (1 shift entries, 24
// auxiliary works); the operation picker the operation to start on (0 for
// the first row) and the pay conditions.
using WorkerPicker = std::function<std::optional<WorkerPick>(int mode)>;
using ProductPicker = std::function<std::optional<ProductPick>()>;
using KindPicker = std::function<std::optional<KindPick>()>;
using NomenclaturePicker = std::function<std::optional<NomenclaturePick>()>;
using OperationPicker =
    std::function<std::optional<OperationPick>(int startOperationId, PayConditions conditions)>;

} // namespace tabel
