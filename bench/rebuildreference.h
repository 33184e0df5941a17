#pragma once

namespace tabel {

class DataModule;

// The month rebuild of the hours sheet done one statement at a time and
// outside any transaction: delete the month's piece-work rows, then for
// every day ask the journal for each worker's hours per shift and count,
// update or insert that worker's row, one round trip each. Kept as the
// yardstick the set-based rebuild is timed and checked against; the
// program does not use it.
void referenceRebuild(DataModule &dm, int month, int year);

} // namespace tabel
