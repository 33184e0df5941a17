#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace tabel {

class DataModule;

// One row of the monthly hours sheet and how the day total of its key is
// computed from a journal. Piece-work rows are keyed by worker and shift,
// auxiliary-work rows by worker, kind and night flag.
struct SheetKey
{
    QDate date;
    QString countSql;     // one row, column cnt: sheet rows of the key
    QString totalSql;     // zero or one row, column tim: the day total
    QString saveWhere;    // row selector of the save side
    QString removeWhere;  // row selector of the delete side
    std::function<QString(int total)> insertSql;
    int lockKey1 = 0;     // advisory lock serialising postings of the key
    int lockKey2 = 0;

    QString updateSql(int total, const QString &where) const;
    QString clearSql() const;
};

SheetKey pieceWorkKey(int worker, int shift, const QDate &date);
SheetKey auxiliaryKey(int worker, int kind, int night, const QDate &date);

// Brings one day cell of the sheet in step with its journal: recomputed
// from the entries, never incremented.
class HoursPosting
{
public:
    explicit HoursPosting(DataModule &dm) : m_dm(dm) {}

    // After an entry was written: insert the key's row when there is none.
    void save(const SheetKey &key);
    // After an entry was deleted: write the remaining total or clear the
    // day; never inserts a row.
    void remove(const SheetKey &key);

    int dayTotal(const SheetKey &key);

    // Takes the key's lock until the enclosing transaction ends. Taking it
    // again is harmless. Whoever writes entries of a key and then posts it
    // may take the lock first, to look at the key's entries undisturbed;
    // several keys are to be taken in the order of their lock numbers.
    void lock(const SheetKey &key);

private:
    DataModule &m_dm;
};

} // namespace tabel
