#pragma once

#include "app/buildstamp.h"
#include "journal/journal.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace tabel {

class DataModule;
class ResultGrid;

// The working window: the entries of one date and shift, the main menu.
class JournalWindow : public QDialog
{
    Q_OBJECT
public:
    explicit JournalWindow(DataModule &dm, QWidget *parent = nullptr);

    Journal &journal() { return m_journal; }
    BuildStamp buildStamp() const { return m_stamp; }
    void setBuildStamp(BuildStamp stamp) { m_stamp = stamp; }

    QDate pickedDate() const;
    void setPickedDate(const QDate &date);
    bool isDayOff() const;
    void setDayOff(bool on);

    // The version gate the 30-second timer runs.
    void setVersionCheck(std::function<void()> check) { m_versionCheck = std::move(check); }
    QTimer *versionTimer() const { return m_timer; }

    // Selects the shift button (and so the shift) 1..4.
    void selectShift(int shift);

    // Today's date and all four shifts reloaded; run whenever the window
    // becomes the active window of the program.
    void activate();
    // The picker's date was confirmed (calendar closed or Enter).
    void changeDate();
    void deleteCurrent();
    void toggleAcceptance();
    void refresh();

    QAction *menuAction(const QString &objectName) const;

    // Runs the opener of another of the program's windows (which shows it
    // modally over the journal); when it returns, the journal is activated
    // again.
    void runFromJournal(const std::function<void()> &open);

Q_SIGNALS:
    void addRequested();
    void editRequested();
    void auxRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildMenu(QVBoxLayout *layout);
    void showShift(int shift);
    // Loads the four shifts for the picker's date; false when that failed.
    bool loadPickedDate(bool hourglass);
    void paintDayOff(bool on);

    Journal m_journal;
    BuildStamp m_stamp;
    std::function<void()> m_versionCheck;
    QTimer *m_timer = nullptr;
    QDateEdit *m_date = nullptr;
    QCheckBox *m_dayOff = nullptr;
    QButtonGroup *m_shifts = nullptr;
    ResultGrid *m_grid = nullptr;
    QPointer<QWidget> m_calendarPopup;
};

} // namespace tabel
