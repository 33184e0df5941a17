#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace tabel {
class DataModule;
}

// Many workstations on one month at once: each clerk is a thread with its
// own connection, doing through the program's rules what a clerk does —
// adding, changing, deleting and accepting shift entries of the same few
// workers, shifts and days; adding, changing and deleting auxiliary works;
// repricing the average piece rate; rebuilding the month's hours sheet;
// looking at the sheet. Afterwards the sheet must equal the journal and
// the auxiliary entries exactly, with no sheet row twice and no entry
// twice.
namespace tabel::stress {

struct Options
{
    QString connectionString;
    int clerks = 8;
    // Each clerk draws its choices from a generator of its own, seeded
    // from this and its number. What the others did in between (and so
    // which rows there are to choose from) is up to the machine.
    quint32 seed = 20260305;
    // The run ends after this many seconds, or after this many actions of
    // each clerk, whichever comes first; 0 is no limit of that kind.
    int seconds = 0;
    int actionsPerClerk = 0;
    int month = 3;
    int year = 2026;
    // Few workers and days, so that the clerks keep meeting on the same
    // sheet rows and day cells.
    int workers = 6;
    int days = 10;
    // A clerk reads, then takes a moment before saving or deleting: up to
    // this many milliseconds, drawn at random. Other clerks act meanwhile,
    // as they do while a person types.
    int thinkMilliseconds = 5;
    // How often each kind of action is done relative to the others, by
    // its name as the summary prints it ("add entry", "reprice month"...);
    // kinds not named keep their usual weight. Empty: the usual mix.
    QMap<QString, int> weights;
    // Prints a line of counts every this many seconds; 0 prints nothing.
    int reportEverySeconds = 0;
};

struct Result
{
    double seconds = 0;
    qint64 actions = 0;
    // Actions by kind, and how many of them the rules refused (a
    // duplicate, an entry another clerk deleted meanwhile): those are
    // answers a clerk also gets, not failures.
    QMap<QString, qint64> byKind;
    qint64 refusals = 0;
    // Database errors (a deadlock, a statement refused); the first few
    // texts by kind.
    qint64 failures = 0;
    QStringList failureTexts;
    // What the final check found wrong; empty when the sheet is right.
    QStringList differences;
    int entries = 0, auxiliaryEntries = 0, sheetRows = 0;

    bool clean() const { return failures == 0 && differences.isEmpty(); }
    QString summary() const;
};

// Empties the database and loads the shop the clerks work in. Only for a
// database made for the purpose: everything in it is deleted.
void prepare(DataModule &dm, const Options &options);

// Runs the clerks until their limit and checks the result on a connection
// of its own. The database must have been prepared.
Result run(const Options &options);

// The final check: the piece-work and auxiliary sheets against the
// journals, and no sheet row or journal entry twice. One line per fault.
QStringList check(DataModule &dm);

} // namespace tabel::stress
