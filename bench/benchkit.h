#pragma once

// What the benchmarks share: medians, the server's own time of a statement
// and its plan, and the lines bench/run gathers into its tables.
//
// A line that starts with "@" is for bench/run:
//   @ratio <TAB> measure <TAB> compared with <TAB> measured <TAB>
//          baseline <TAB> ratio <TAB> target <TAB> ok|MISSED
//   @plan  <TAB> statement <TAB> what <TAB> ok|MISSED
//   @scale <TAB> measure <TAB> size factor <TAB> rows touched <TAB> ms
// Every other line is the benchmark's own log.

#include "data/resultset.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tabel {
class DataModule;
}

namespace tabel::bench {

double median(std::vector<double> values);
// The median of runs of the work, in milliseconds.
double medianMs(int runs, const std::function<void()> &work);
// One run of the work, in milliseconds.
double ms(const std::function<void()> &work);

// The server's own time of a statement, planning and execution, as
// EXPLAIN (ANALYZE) reports them. The statement runs: only for queries.
double serverMs(DataModule &dm, const QString &sql, const Params &params = {});

// The scans of the shift journal or the hours sheet in the plan of a
// statement (planned only, not run) that read more than they need: a
// sequential scan, or a worker's rows filtered out of a date range.
QStringList wideJournalScans(DataModule &dm, const QString &sql, const Params &params = {});

enum class Goal {
    AtMost,       // measured / baseline must not exceed the target
    FasterAtLeast // baseline / measured must reach the target
};

// Prints a line of the ratio table; true when the target is met. Times
// are in milliseconds unless a unit is given; a cap above 0 is a limit the
// measured value must keep as well, in its unit.
bool ratio(const QString &measure, const QString &comparedWith, double measured, double baseline,
           Goal goal, double target, const QString &unit = QStringLiteral("ms"), double cap = 0);
// Prints a line of the plan check: a statement that reads the journal or
// the hours sheet for a date, a month or a worker must find its rows
// through an index.
bool plan(DataModule &dm, const QString &statement, const QString &sql, const Params &params = {});
// Prints a point of the scaling figure.
void scale(const QString &measure, int factor, qlonglong rows, double ms);

} // namespace tabel::bench
