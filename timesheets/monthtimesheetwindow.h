#pragma once

#include "timesheets/month.h"
#include "timesheets/monthsheet.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace tabel {

class DataModule;
class ResultGrid;

// The monthly timesheet: a row per worker with the hours of every day,
// the month's hours, earnings and hourly rate, and the month's totals
// below. One window shows every sheet; the menu item chooses which.
class MonthTimesheetWindow : public QDialog
{
    Q_OBJECT
public:
    // Grid positions.
    static constexpr int nameColumn = 0;
    static constexpr int nightColumn = 1;
    static constexpr int firstDayColumn = 2; // day k at k + 1
    static constexpr int earningsColumn = 33;
    static constexpr int hoursColumn = 34;
    static constexpr int hourlyColumn = 35;
    static constexpr int dayColumnWidth = 20;

    explicit MonthTimesheetWindow(DataModule &dm, QWidget *parent = nullptr);

    // From the journal's menu: the sheet of the mode for the month of the
    // given date, shown modally; its queries are closed again afterwards.
    void open(SheetMode mode, const QDate &date);

    int month() const;
    int year() const;
    MonthSheet &sheet() { return m_sheet; }

    // The selectors changed: day columns shown and coloured for the month,
    // the sheet and the totals read for it.
    void changeMonth();

    QComboBox *monthBox() const { return m_month; }
    QComboBox *yearBox() const { return m_year; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *exitButton() const { return m_exit; }
    // The values of "Ср. сдел.:", "Хоз. работы:", "Сделка:" and "Итого:".
    QLabel *averageTotal() const { return m_totals[0]; }
    QLabel *auxiliaryTotal() const { return m_totals[1]; }
    QLabel *pieceTotal() const { return m_totals[2]; }
    QLabel *allTotal() const { return m_totals[3]; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillYears(int year);
    void showTotals();

    DataModule &m_dm;
    MonthSheet m_sheet;
    std::array<month::DayKind, 31> m_days{};
    ResultGrid *m_grid = nullptr;
    QComboBox *m_month = nullptr;
    QComboBox *m_year = nullptr;
    std::array<QLabel *, 4> m_totals{};
    QPushButton *m_exit = nullptr;
};

} // namespace tabel
