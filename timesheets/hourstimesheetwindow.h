#pragma once

#include "timesheets/hourssheet.h"
#include "timesheets/month.h"

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace tabel {

class DataModule;
class ResultGrid;
class Spreadsheet;

// "Табель по времени": the hours sheet of a month in three shift tabs,
// with the month's rebuild from the journal, the export and the print.
class HoursTimesheetWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HoursTimesheetWindow(DataModule &dm, QWidget *parent = nullptr);

    // Where "Excel" writes; without one the button does nothing.
    void setSpreadsheet(Spreadsheet *sheet) { m_spreadsheet = sheet; }
    // Prints the hours sheet of a month under the given heading; without
    // one "Печать" does nothing.
    using Printer = std::function<void(int month, int year, const QString &heading)>;
    void setPrinter(Printer printer) { m_printer = std::move(printer); }

    // From the journal's menu: the month and year of the journal's date,
    // shown modally; the sheet queries are closed again afterwards.
    void openFor(const QDate &journalDate);

    int month() const;
    int year() const;

    // The selectors changed: day columns coloured for the month, the three
    // shifts read for it.
    void changeMonth();
    void refresh();
    void print();
    void exportToSpreadsheet();
    void rebuild();

    QComboBox *monthBox() const { return m_month; }
    QComboBox *yearBox() const { return m_year; }
    QTabWidget *tabs() const { return m_tabs; }
    ResultGrid *grid(int shift) const { return m_grids.at(shift - 1); }
    QPushButton *rebuildButton() const { return m_rebuild; }
    QPushButton *excelButton() const { return m_excel; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *refreshButton() const { return m_refresh; }
    QPushButton *exitButton() const { return m_exit; }
    QProgressBar *progressBar() const { return m_progress; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    ResultGrid *makeGrid(int shift);

    DataModule &m_dm;
    HoursSheet m_sheet;
    Spreadsheet *m_spreadsheet = nullptr;
    Printer m_printer;
    std::array<month::DayKind, 31> m_days{};
    QComboBox *m_month = nullptr;
    QComboBox *m_year = nullptr;
    QTabWidget *m_tabs = nullptr;
    std::array<ResultGrid *, 3> m_grids{};
    QPushButton *m_rebuild = nullptr;
    QPushButton *m_excel = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_refresh = nullptr;
    QPushButton *m_exit = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace tabel
