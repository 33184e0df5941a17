#pragma once

#include "reference/picks.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

namespace tabel {

class AuxiliaryJournal;
class DataModule;
class ResultSet;

// One auxiliary-work entry as it is written into accounts_dep.fatigue.
struct AuxiliaryRecord
{
    int id = 0; // the entry changed; unused for a new one
    qlonglong nomenclature = 0;
    int kind = 0;
    int worker = 0;
    QDate date;
    int hours = 0;
    double rate = 0; // rubles per hour, doubled for day-off work
    bool holiday = false;
    bool night = false;
};

// Statement texts of the editor; the rate in its shortest form with a
// point, the date as 'DD.MM.YYYY'. A change keeps the entry's date.
QString auxiliaryInsertSql(const AuxiliaryRecord &e);
QString auxiliaryUpdateSql(const AuxiliaryRecord &e);
// The two kinds with their norms' hourly rates; :cnt multiplies the rate
// into summ.
QString auxiliaryKindsSql();

// The editor's fields as the user left them.
struct AuxiliaryFields
{
    QString worker;
    QString nomenclature;
    QString hours;
    int kind = 0; // 0: none chosen
    bool night = false;
};

// A kind the editor offers, with the rate it is paid at.
struct AuxiliaryKind
{
    int id = 0;
    QString name;
    double rate = 0;
};

// The auxiliary work entry editor without its window: what it holds
// between openings, the kind list, what it refuses, and the save.
class AuxiliaryEntry
{
public:
    enum class Mode { New = 0, Change = 1 };

    explicit AuxiliaryEntry(AuxiliaryJournal &journal);
    ~AuxiliaryEntry();

    Mode mode() const { return m_mode; }
    int workerId() const { return m_worker; }
    qlonglong nomenclatureId() const { return m_nomenclature; }
    int entryId() const { return m_entryId; }

    // The kind list, open while the editor is shown.
    ResultSet &kindList() const { return *m_kinds; }
    void openKinds();
    void closeKinds();
    // Each kind once, in the list's order. A kind with several norms is
    // paid at the lowest, as an operation's current price is.
    QVector<AuxiliaryKind> kinds() const;

    // A new entry: no worker, no item, hours "0", day work, the hourly kind.
    AuxiliaryFields beginNew();
    // The journal's current entry; nothing when the list shows none.
    std::optional<AuxiliaryFields> beginChange();

    void takeWorker(const WorkerPick &pick);
    void takeNomenclature(const NomenclaturePick &pick);

    // Display texts in the workstation's number format: the kind's rate,
    // and that rate times the typed hours. Empty for no kind.
    QString rateText(int kind) const;
    QString sumText(int kind, const QString &hours) const;

    // Checks the fields, then writes the entry and posts the day of its
    // worker, kind and night flag (and, when a change moved the entry to
    // another worker or kind, the day it left) all or nothing. A new entry
    // takes `date`; a changed one keeps its own. Every refusal is told
    // through the notifier before anything is written. False when refused;
    // a database failure is thrown with nothing written.
    bool save(const AuxiliaryFields &fields, const QDate &date, bool dayOff);

private:
    bool refused(const QString &text) const;
    std::optional<AuxiliaryKind> kind(int id) const;

    AuxiliaryJournal &m_journal;
    DataModule &m_dm;
    std::unique_ptr<ResultSet> m_kinds;
    Mode m_mode = Mode::New;
    int m_worker = 0;
    qlonglong m_nomenclature = 0;
    // The entry being changed as it was when opened.
    int m_entryId = 0;
    int m_origKind = 0;
    bool m_origNight = false;
    QDate m_origDate;
};

} // namespace tabel
