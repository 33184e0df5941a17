#include "data/resultset.h"

#include "data/datamodule.h"

#include <limits>

namespace tabel {

int RowSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant RowSet::value(int row, const QString &column) const
{
    const int c = columnIndex(column);
    if (row < 0 || row >= rows.size() || c < 0)
        return {};
    return rows[row][c];
}

std::optional<qlonglong> wholeNumber(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

ResultSet::ResultSet(DataModule &dm, const QString &name, const QString &sql, QObject *parent)
    : QObject(parent), m_dm(dm), m_sql(sql)
{
    setObjectName(name);
}

void ResultSet::setParam(const QString &name, const QVariant &value)
{
    m_params[name] = value;
}

QVariant ResultSet::param(const QString &name) const
{
    auto it = m_params.find(name);
    return it == m_params.end() ? QVariant() : it->second;
}

void ResultSet::open()
{
    if (m_open)
        return;
    m_all = m_dm.select(name(), m_sql, m_params);
    m_open = true;
    applyFilter();
}

void ResultSet::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_all = {};
    m_data = {};
    m_current = -1;
    Q_EMIT reset();
}

void ResultSet::reopen()
{
    // Fetch first: when the statement fails, the rows shown so far stay.
    m_all = m_dm.select(name(), m_sql, m_params);
    m_open = true;
    applyFilter();
}

void ResultSet::reopenKeepingRow()
{
    const int row = m_current;
    reopen();
    if (row > 0)
        setCurrentRow(row);
}

RowSet ResultSet::fetch(const Params &params) const
{
    return m_dm.select(name(), m_sql, params);
}

void ResultSet::adopt(const Params &params, RowSet rows)
{
    m_params = params;
    m_all = std::move(rows);
    m_open = true;
    applyFilter();
}

void ResultSet::setCurrentRow(int row)
{
    if (m_data.isEmpty())
        row = -1;
    else
        row = qBound(0, row, m_data.size() - 1);
    if (row == m_current)
        return;
    m_current = row;
    Q_EMIT currentRowChanged(row);
}

QVariant ResultSet::value(const QString &column) const
{
    return m_data.value(m_current, column);
}

QVariant ResultSet::value(int row, const QString &column) const
{
    return m_data.value(row, column);
}

QVariant ResultSet::value(int row, int column) const
{
    if (row < 0 || row >= m_data.size() || column < 0 || column >= m_data.columns.size())
        return {};
    return m_data.rows[row][column];
}

void ResultSet::setFilter(RowPredicate filter)
{
    m_filter = std::move(filter);
    applyFilter();
}

void ResultSet::clearFilter()
{
    if (!m_filter)
        return;
    m_filter = nullptr;
    applyFilter();
}

void ResultSet::applyFilter()
{
    if (!m_open)
        return;
    if (!m_filter) {
        m_data = m_all;
    } else {
        m_data.columns = m_all.columns;
        m_data.rows.clear();
        for (int r = 0; r < m_all.size(); ++r)
            if (m_filter(m_all, r))
                m_data.rows.push_back(m_all.rows[r]);
    }
    m_current = m_data.isEmpty() ? -1 : 0;
    Q_EMIT reset();
    Q_EMIT currentRowChanged(m_current);
}

} // namespace tabel
