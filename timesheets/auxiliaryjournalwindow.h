#pragma once

#include "timesheets/auxiliaryjournal.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QDateEdit;

namespace tabel {

class AuxiliaryEntryWindow;
class DataModule;
class ResultGrid;

// The auxiliary works of one day: add, change, delete, and the repricing
// of the month's average-piece-rate work. Its date and "Выходной" are the
// date and day-off flag of the entries its editor writes. Created once;
// keeps its date and day-off state between openings.
class AuxiliaryJournalWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AuxiliaryJournalWindow(DataModule &dm, QWidget *parent = nullptr);
    ~AuxiliaryJournalWindow() override;

    AuxiliaryJournal &journal() { return m_journal; }
    // The entry editor, for wiring its pickers.
    AuxiliaryEntryWindow &editor() { return *m_editor; }

    QDate pickedDate() const;
    // A date set from outside: neither the list nor "Выходной" follow
    // until the window is activated.
    void setPickedDate(const QDate &date);
    bool isDayOff() const;
    void setDayOff(bool on);

    // The shift journal's opener: the window on that date, modally.
    void openOn(const QDate &date);

    // The list read for the picker's date; run whenever the window comes
    // back to the front of the program.
    void activate();
    // The user changed the picker's date.
    void changeDate();
    void addEntry();
    // Opens the editor on the current entry; nothing on an empty list.
    void changeEntry();
    void deleteCurrent();
    // "Расчитать ср.сд.": the month of the picker's date.
    void recalculate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The editor was shown; the list is read again on its row.
    void backFromEditor();
    bool loadPickedDate();
    void paintDayOff(bool on);

    AuxiliaryJournal m_journal;
    ResultGrid *m_grid = nullptr;
    QDateEdit *m_date = nullptr;
    QCheckBox *m_dayOff = nullptr;
    std::unique_ptr<AuxiliaryEntryWindow> m_editor;
};

} // namespace tabel
