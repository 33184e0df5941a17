#pragma once

#include "data/resultset.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace tabel {

class DataModule;

// Statement texts of the products list and the product editor, exactly as
// the other workstations' programs send them. Marks go in through
// sql::quoted; the value of "Расценка" must have passed isDecimalText.
namespace productsql {

// Counts of the delete's questions; bound :id_ii (integer) and :dt.
QString operationCount();
QString entryCount();
QString deleteOperations(qlonglong productId);
QString deleteEntries(qlonglong productId);
QString deleteProduct(qlonglong productId);

// Duplicate counts on the upper-cased mark: a new product, or a changed
// one that must not count itself.
QString duplicateCount(const QString &upperMark);
QString duplicateCount(const QString &upperMark, qlonglong exceptId);

QString insert(const QString &mark, const QString &value, qlonglong classId);
QString update(qlonglong id, const QString &mark, const QString &value, qlonglong classId);

// The product classes: level-2 classifier items by caption.
QString classes();

} // namespace productsql

inline constexpr const char *allFieldsMessage = "Все поля должны быть заполнены!";
inline constexpr const char *duplicateMarkMessage = "Такая марка изделия уже заведена!";
inline constexpr const char *badValueMessage =
    "В поле \"Расценка\" должно быть число: цифры и не больше одного разделителя (точки или запятой).";
inline constexpr const char *pricesQuestion = "По изделию есть расценки они будут удалены!!!";
inline constexpr const char *entriesQuestion =
    "По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. Удалить изделие? ";
inline constexpr const char *productQuestion = "Удалить изделие? ";

inline constexpr const char *longValueMessage =
    "В поле \"Расценка\" можно записать не больше 15 цифр.";
// What the mark's column holds.
inline constexpr int maxMarkLength = 254;
// Digits of "Расценка": the factor is read back as a double, which keeps
// 15 digits exactly; a longer number would come back as another one.
inline constexpr int maxValueDigits = 15;

// The refusal of a changed product's value when the working decimal
// separator of the version record is one the server cannot read.
QString separatorMessage(const QString &separator);

// Digits with at most one "." or ",", and at least one digit. Such a text
// is written into a statement unquoted, so nothing else may pass.
bool isDecimalText(const QString &text);

// The first day of the month before today's, in the year 2000: the shift
// entries counted for the delete's question are those from this day on.
QDate entryThreshold(const QDate &today);

// One product as the editor hands it over for saving.
struct ProductDraft
{
    int mode = 1;        // 1 new, 2 change
    qlonglong id = 0;    // the product being changed (mode 2)
    QString mark;        // as typed
    QString value;       // "Расценка" as typed
    std::optional<qlonglong> classId;
};

// The editor's checks and its write into the common goods table.
class ProductEditing
{
public:
    explicit ProductEditing(DataModule &dm) : m_dm(dm) {}

    RowSet classes();

    // Checks the draft and writes it. A refusal is told through the data
    // module's notifier and nothing is written; false then.
    bool save(const ProductDraft &draft);
    // The number as it goes into the statement: unchanged for a new
    // product, with the working decimal separator for a changed one.
    QString valueText(const ProductDraft &draft) const;

private:
    DataModule &m_dm;
};

// Deleting a product with its operations and shift entries.
class ProductDeletion
{
public:
    // A Yes/No question to the user; true on Yes.
    using Ask = std::function<bool(const QString &question)>;
    using Today = std::function<QDate()>;

    struct Counts
    {
        int operations = 0;
        int entries = 0; // from the threshold date on
    };
    struct Plan
    {
        qlonglong productId = 0;
        bool operations = false;
        bool entries = false;
        bool product = false;
        bool any() const { return operations || entries || product; }
    };

    explicit ProductDeletion(DataModule &dm, Today today = nullptr);

    Counts count(qlonglong productId);
    // Asks every question the counts call for, in order, and returns what
    // the answers agreed to. Runs no statement.
    static Plan decide(qlonglong productId, const Counts &counts, const Ask &ask);
    // Runs the agreed deletes all or nothing.
    void run(const Plan &plan);

    // The whole delete: counts, questions, deletes, and Izdel read again
    // from its first row. Returns what was agreed.
    Plan remove(qlonglong productId, const Ask &ask);

private:
    DataModule &m_dm;
    Today m_today;
};

} // namespace tabel
