#pragma once

#include <QString>

// The statements of the printed reports and of the period export. Each
// layout owns its statement; the period ones take :data1 (inclusive) and
// :data2 (exclusive), the hours sheet :mnth and :yea.
namespace tabel::reports {

// Worker summary (t_Report of the worker summary layout).
QString workerSummarySql();
// Product summary (t_Report of the product summary layout).
QString productSummarySql();
// Worker detail (w_Report).
QString workerDetailSql();
// Product detail (i_Report).
QString productDetailSql();
// The printed hours sheet and the hours timesheet's export (H_Tabel):
// fio and sd1..sd31, one row per worker name.
QString hoursSheetSql();
// The per-product summary export of the reports window (XLS_Rep).
QString summaryExportSql();

} // namespace tabel::reports
