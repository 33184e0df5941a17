#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

class QSqlQuery;

namespace tabel::odbc {

// A numeric or double precision value as the server wrote it. Ids of the
// plant's tables are numeric(18,0): read as a double, an id beyond 2^53
// would turn into its neighbour, and a statement built from it would touch
// another row. So a whole number that fits becomes a qlonglong; any other
// number (prices, amounts, factors) the double the driver itself would have
// made of it, and NULL a null double.
QVariant exactNumber(QStringView text);
QVariant exactNumber(const QVariant &raw);

// Reads the rows of an executed query straight from its ODBC statement,
// a block of rows per call into bound buffers, into the values the Qt
// driver would have made of them (the same types, those of the query's
// record, and typed NULLs), except that numeric and double precision
// columns, which the data module asks for as the server's text, come as
// exactNumber makes them. A value longer than its buffer is read again on
// its own; a value equal to the one in the row above is shared with it.
//
// The Qt driver asks for every cell on its own, copies a field
// description each time and goes through two layers of conversion; on a
// journal of a busy day that costs more than the server spends on the
// statement.
//
// Nothing is read when a column has a type this reader does not know, the
// query has no ODBC statement or the driver cannot read a value of a block
// again; the caller then reads the rows the usual way.
struct Rows
{
    enum class Outcome { Read, NotMine, Failed };
    Outcome outcome = Outcome::NotMine;
    QVector<QVector<QVariant>> rows;
    QString error; // Failed: the driver's messages
};

Rows readAll(QSqlQuery &query);

} // namespace tabel::odbc
