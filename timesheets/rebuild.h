#pragma once

#include <functional>

namespace tabel {

class DataModule;

// Rebuilds the piece-work rows of one month of the hours sheet from the
// shift journal: afterwards every worker and shift with entries in the
// month has exactly one row whose day cells are the day totals (NULL on
// days without entries), and no other piece-work row of the month is
// left. Auxiliary-work rows (kinds 7777, 7778) are not touched.
//
// It runs as a handful of set-based statements in one transaction, so a
// failure leaves the month as it was. It takes the hours posting's lock of
// every worker and shift it rewrites, in the posting's order, so a posting
// made meanwhile on another workstation is either in the journal it reads
// or is made after it, onto its rows; a posting of a worker and shift it
// did not see is left to itself.
class MonthRebuild
{
public:
    // Called after each step with the steps done and their number.
    using Progress = std::function<void(int done, int total)>;
    static constexpr int stepCount = 5;

    explicit MonthRebuild(DataModule &dm) : m_dm(dm) {}

    void run(int month, int year, const Progress &progress = {});

private:
    DataModule &m_dm;
};

} // namespace tabel
