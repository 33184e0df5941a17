#pragma once

#include "reference/picks.h"

#include <QDate>
#include <QString>
#include <optional>

namespace tabel {

class DataModule;
class Journal;

// One piece-work entry as it is written into accounts_dep.smena.
struct EntryRecord
{
    int id = 0; // the entry changed; unused for a new one
    int worker = 0;
    qlonglong product = 0;
    int operation = 0;
    double price = 0; // rubles per good piece, pay factors included
    qint64 quantity = 0;
    int rejects = 0;
    QDate date;
    int shift = 1;
    int colour = 0;
    int hours = 0;
};

// Statement texts of the entry editor. The price is written rounded half
// to even to 4 decimals with a point, dates as DD.MM.YYYY, `today` as the
// creation date.
QString entryDuplicateSql(const EntryRecord &e);       // a new entry
QString entryChangeDuplicateSql(const EntryRecord &e); // a change: the entry itself does not count
QString entryInsertSql(const EntryRecord &e, const QDate &today);
// Keeps the acceptance mark; resets the bonus and the links to other
// systems, whose figures no longer hold for the changed entry.
QString entryUpdateSql(const EntryRecord &e, const QDate &today);

// The editor's text fields as the user left them.
struct EntryFields
{
    QString worker;
    QString operation;
    QString quantity;
    QString rejects;
    QString hours;
    QString colour;
    QDate date;
    bool colourEnabled = false; // only meaningful for a change opening
};

// The shift entry editor without its window: what it holds between
// openings, what it shows, what it refuses, and the save.
class ShiftEntry
{
public:
    enum class Mode { New = 1, Change = 2 };

    explicit ShiftEntry(Journal &journal);

    Mode mode() const { return m_mode; }
    int workerId() const { return m_worker; }
    qlonglong productId() const { return m_product; }
    int operationId() const { return m_operation; }
    double price() const { return m_price; }
    int entryId() const { return m_entryId; }

    // A new entry on the date. Ids and price keep what they held; the
    // fields come back empty but for rejects and hours "0".
    EntryFields beginNew(const QDate &date);
    // The journal's current entry of its current shift; nothing when that
    // shift has no rows.
    std::optional<EntryFields> beginChange();

    // The operation list starts on the entry's operation when changing.
    int operationToStartOn() const;

    void takeWorker(const WorkerPick &pick);
    void takeOperation(const OperationPick &pick);

    // Display texts: shortest, workstation number format, 4 decimals.
    QString finalPriceText() const;
    // Empty until an operation is picked in this opening: a changed entry
    // only carries its paid price, not the base it came from.
    QString basePriceText() const;
    QString amountText(const QString &quantity) const;

    static bool isPainting(const QString &operationText);

    // Checks the fields, refuses a duplicate, then writes the entry and
    // posts the day's hours of its worker (and of the day the entry left,
    // when moved) all or nothing. Every refusal is told through the
    // notifier with nothing written, and never while a transaction is open;
    // the duplicate check is made once more under the day's lock, so two
    // workstations saving the same entry at once store it once. False when
    // refused; a database failure is thrown with nothing written.
    bool save(const EntryFields &fields, const QDate &today);
    // After a save: the hours-sheet queries are read afresh when next
    // opened, and the journal shows the saved state on the row it was on.
    void refreshAfterSave();

private:
    bool refused(const QString &text) const;
    std::optional<EntryRecord> record(const EntryFields &fields);

    Journal &m_journal;
    DataModule &m_dm;
    Mode m_mode = Mode::New;
    int m_worker = 0;
    qlonglong m_product = 0;
    int m_operation = 0;
    double m_price = 0;
    std::optional<double> m_basePrice;
    // The entry being changed and its operation when opened; the worker,
    // shift and day it leaves are read from the database when it is saved.
    int m_entryId = 0;
    int m_origOperation = 0;
};

} // namespace tabel
