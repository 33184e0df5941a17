#pragma once

#include "app/roles.h"
#include "reports/periodreports.h"
#include "reports/reportpreview.h"

#include <QDialog>

class QDateEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace tabel {

class DataModule;
class Spreadsheet;

// The summary reports window: a period and a product kind, four printed
// reports and the per-product export. Created once and reused.
class SummaryReportsWindow : public QDialog
{
    Q_OBJECT
public:
    SummaryReportsWindow(DataModule &dm, Spreadsheet &spreadsheet, QWidget *parent = nullptr);

    // Presets the period to the month before today's and shows the window
    // modally; the product kind stays as it was left.
    void open();
    void openOn(const QDate &today);
    // Switches off what the role may not use; the acceptance role sees
    // finished products only.
    void applyRole(Role role);

    reports::Period period() const;
    void setPeriod(const reports::Period &period);
    reports::ProductKind kind() const;
    void setKind(reports::ProductKind kind);

    void setPreviewer(ReportPreviewer previewer) { m_previewer = std::move(previewer); }

    // The buttons' actions.
    void printReport(reports::PeriodReport report);
    void exportSummary();

private:
    void preset(const QDate &today);

    DataModule &m_dm;
    Spreadsheet &m_spreadsheet;
    ReportPreviewer m_previewer;
    QGroupBox *m_kindGroup = nullptr;
    QRadioButton *m_kinds[3] = {};
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QPushButton *m_excel = nullptr;
};

} // namespace tabel
