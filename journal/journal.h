#pragma once

#include <QDate>
#include <QObject>
#include <QString>

namespace tabel {

class DataModule;
class ResultSet;

// The shift journal without its window: which date and shift are shown,
// the four shift queries, deleting and accepting entries.
class Journal : public QObject
{
    Q_OBJECT
public:
    explicit Journal(DataModule &dm, QObject *parent = nullptr);

    DataModule &data() const { return m_dm; }

    int shift() const { return m_shift; }
    // Switching shifts only changes which loaded query is shown.
    void setShift(int shift);
    ResultSet &current() const;

    QDate date() const { return m_date; }
    // Closes the four shift queries and opens them for the date.
    void load(const QDate &date);
    // Reopens the four queries with their current parameters.
    void refresh();

    QString loginWord() const { return m_loginWord; }
    void setLoginWord(const QString &word) { m_loginWord = word; }
    // The mark whose entries the four queries hide.
    void setHiddenMark(const QString &mark);

    // Deletes the current entry of the current shift and posts the
    // worker's remaining hours of the day, all or nothing. False when
    // there is no current entry.
    bool deleteCurrent();
    // Accepts the current entry or takes the acceptance back. Does nothing
    // for the data-entry login or an empty shift.
    bool toggleAcceptance();

    static bool isAccepted(const QString &mark);
    static bool isWeekend(const QDate &date);

Q_SIGNALS:
    void shiftChanged(int shift);
    void loaded();

private:
    DataModule &m_dm;
    int m_shift = 1;
    QDate m_date;
    QString m_loginWord;
};

} // namespace tabel
