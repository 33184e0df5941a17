#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <memory>

namespace tabel {

class DataModule;
class ResultSet;

// The two auxiliary-work kinds: work paid at its norm's hourly rate, and
// work paid at the worker's average piece rate of the month.
inline constexpr int kAuxiliaryWork = 7777;
inline constexpr int kAveragePieceWork = 7778;

// The day's auxiliary-work entries (for the bound :d_date) with the kind,
// worker and item names, the amount and the "+" marks of the flags.
QString auxiliaryEntriesSql();
// Gives every average-piece-rate entry of the month the worker's average
// piece rate on the entry's nomenclature item, twice that on a day off.
// The month bounds are bare 'DD.MM.YYYY' texts.
QString averageRateSql(int month, int year);

// The lock every workstation takes before repricing the month: a single
// 64-bit key, which never meets the two-number keys of the sheet's
// postings.
qint64 repricingLockKey(int month, int year);

// The auxiliary works journal without its window: the entries of one day,
// deleting one, and repricing a month's average-piece-rate work.
class AuxiliaryJournal : public QObject
{
    Q_OBJECT
public:
    explicit AuxiliaryJournal(DataModule &dm, QObject *parent = nullptr);
    ~AuxiliaryJournal() override;

    DataModule &data() const { return m_dm; }
    ResultSet &entries() const { return *m_entries; }

    // The day the list holds; invalid before the first load.
    QDate date() const { return m_date; }
    // Reads the day's entries; a failure leaves the list on its former day.
    void load(const QDate &date);
    // Reads the list again on the row it stood on.
    void reloadKeepingRow();

    // Deletes the current entry and takes its hours off the sheet day of
    // its worker, kind and night flag, all or nothing. The day recounted is
    // the entry's own. False when the list shows no entry.
    bool deleteCurrent();
    // Reprices the month of the date; the number of entries repriced.
    int recalculateAverageRate(const QDate &date);

    static bool isWeekend(const QDate &date);

Q_SIGNALS:
    void loaded();

private:
    DataModule &m_dm;
    std::unique_ptr<ResultSet> m_entries;
    QDate m_date;
};

} // namespace tabel
