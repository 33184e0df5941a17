#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace tabel {
class DataModule;
}

namespace tabel::test {

// Empties every table the program uses.
void clearAll(DataModule &dm);

// A small shop: workers 1 (named through cmn_contractor.person.id) and 2
// (named through s_code), two contractors whose codes are not worker ids, products 501 "КР-100" and 502 "КН-230",
// operation 11 (Резка, two norms 12.5 and 10) and 12 (a painting kind,
// one norm 3), version record with separator ".".
void loadShop(DataModule &dm);

// Two more product classes, "Профили" (11) and "Зажимы" (12), and a
// group of level 1, "Изделия" (1), that is no product class.
void addProductClasses(DataModule &dm);

struct Entry
{
    int worker = 1;
    int oper = 11;
    int product = 501;
    QDate date;
    int shift = 1;
    int hours = 8;
    int quantity = 10;
    int rejects = 0;
    double price = 10;
    QString ok = QStringLiteral("no");
    int color = 0;
};
int addEntry(DataModule &dm, const Entry &e);

// An auxiliary work (kind 7777 or 7778) of the auxiliary journal, on a
// nomenclature item (10, the shop's brackets, unless told).
struct AuxEntry
{
    int worker = 1;
    int kind = 7777;
    int night = 0;
    QDate date;
    int hours = 8;
    double price = 150;
    qlonglong item = 10;
    int holiday = 0;
};
int addAuxEntry(DataModule &dm, const AuxEntry &e);

// Value of one cell of the hours sheet; invalid when NULL or no row.
QVariant sheetCell(DataModule &dm, const QString &where, int day);
int sheetRows(DataModule &dm, const QString &where);

// Where the piece-work hours sheet and the journal disagree: every day cell
// must equal the day total of its worker and shift, and every day with
// hours must have its cell. One line per difference.
QStringList sheetVersusJournal(DataModule &dm);

// The rows of a query as text, one line per row, for comparing a table
// before and after.
QString rowsText(DataModule &dm, const QString &sql);

} // namespace tabel::test

namespace tabel::test {

// The two auxiliary-work kinds, 7777 "Хоз. работы" (norm 150 an hour) and
// 7778 "Ср. сдельная" (norm 152.5), each an operation of the carrier
// product 7777 as the plant keeps them.
void addAuxiliaryKinds(DataModule &dm);

// Where the auxiliary rows of the hours sheet and the auxiliary entries
// disagree: every day cell of a worker, kind and night flag must equal the
// day's hours of those entries, and every day with hours must have its
// cell. One line per difference.
QStringList auxSheetVersusEntries(DataModule &dm);

} // namespace tabel::test
