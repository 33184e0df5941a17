#pragma once

#include "reports/bandreport.h"

// The printed layouts. Band indices follow print order; the constants name
// the ones callers and tests look for.
namespace tabel::report {

// Worker summary (by worker, then product).
Layout workerSummaryLayout();
// Product summary (by product).
Layout productSummaryLayout();
// Worker detail (by worker).
Layout workerDetailLayout();
// Product detail (by product).
Layout productDetailLayout();
// The monthly hours sheet, A4 landscape; its heading says "Данные за:"
// until the caller gives the month.
Layout hoursSheetLayout();

// x positions of the hours sheet's day columns, day 1 first.
const std::vector<double> &hoursSheetDayColumns();

} // namespace tabel::report
