#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <map>
#include <optional>

namespace tabel {

class DataModule;

// Rows fetched by one statement, read by column name (case-insensitive,
// because the server folds unquoted names to lower case).
struct RowSet
{
    QStringList columns;
    QVector<QVector<QVariant>> rows;

    int columnIndex(const QString &name) const;
    QVariant value(int row, const QString &column) const;
    int size() const { return int(rows.size()); }
    bool isEmpty() const { return rows.isEmpty(); }
};

// An id or other whole number read from a row. The plant's ids are numeric
// columns, which the data module hands over as qlonglong. Nothing for NULL
// and for anything that is not a whole number of an integer type: a double
// may already have lost the id's last digits.
std::optional<qlonglong> wholeNumber(const QVariant &value);

using Params = std::map<QString, QVariant>;
// Keeps a row of a query's result when true.
using RowPredicate = std::function<bool(const RowSet &all, int row)>;

// A named read-only query with a current row. It keeps its text and its
// parameter values between openings; the windows' grids show its rows.
class ResultSet : public QObject
{
    Q_OBJECT
public:
    ResultSet(DataModule &dm, const QString &name, const QString &sql,
              QObject *parent = nullptr);

    QString name() const { return objectName(); }
    QString sql() const { return m_sql; }
    void setSql(const QString &sql) { m_sql = sql; }

    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;
    const Params &params() const { return m_params; }

    // Opening an open query does nothing, as with any dataset.
    void open();
    void close();
    // Close and open again; on failure the rows held so far are kept.
    void reopen();
    // A refresh after a change: reopen and go back to the row number the
    // query stood on, as far as the new rows reach.
    void reopenKeepingRow();
    // The rows the query would hold with these parameters, fetched without
    // touching the query; adopt() then takes them with the parameters. Lets
    // a caller reload several queries all or nothing.
    RowSet fetch(const Params &params) const;
    void adopt(const Params &params, RowSet rows);
    bool isOpen() const { return m_open; }

    int rowCount() const { return m_data.size(); }
    bool isEmpty() const { return m_data.isEmpty(); }
    const QStringList &columns() const { return m_data.columns; }
    int columnIndex(const QString &name) const { return m_data.columnIndex(name); }

    // -1 when there are no rows.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    QVariant value(const QString &column) const;
    QVariant value(int row, const QString &column) const;
    QVariant value(int row, int column) const;

    // A row filter (search fields of the lists); rows that fail it are
    // hidden until the filter is removed.
    // A null filter switches filtering off.
    void setFilter(RowPredicate filter);
    void clearFilter();
    bool isFiltered() const { return bool(m_filter); }

Q_SIGNALS:
    void reset();
    void currentRowChanged(int row);

private:
    void applyFilter();

    DataModule &m_dm;
    QString m_sql;
    Params m_params;
    bool m_open = false;
    RowSet m_all;
    RowSet m_data;
    int m_current = -1;
    RowPredicate m_filter;
};

} // namespace tabel
