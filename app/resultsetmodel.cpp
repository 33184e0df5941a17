#include "app/resultsetmodel.h"

#include "data/display.h"

namespace tabel {

ResultSetModel::ResultSetModel(QVector<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
}

void ResultSetModel::setResultSet(ResultSet *set)
{
    beginResetModel();
    if (m_conn)
        disconnect(m_conn);
    m_set = set;
    if (set)
        m_conn = connect(set, &ResultSet::reset, this, [this] {
            beginResetModel();
            mapColumns();
            endResetModel();
        });
    mapColumns();
    endResetModel();
}

void ResultSetModel::mapColumns()
{
    m_fieldColumn.fill(-1, m_columns.size());
    if (!m_set)
        return;
    for (int c = 0; c < m_columns.size(); ++c)
        m_fieldColumn[c] = m_set->columnIndex(m_columns[c].field);
}

int ResultSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_set ? 0 : m_set->rowCount();
}

int ResultSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultSetModel::data(const QModelIndex &index, int role) const
{
    if (!m_set || !index.isValid() || index.row() >= m_set->rowCount())
        return {};
    const GridColumn &c = m_columns.at(index.column());
    if (m_style) {
        const QVariant v = m_style(*m_set, index.row(), c.field, role);
        if (v.isValid())
            return v;
    }
    switch (role) {
    case Qt::DisplayRole:
        return display::value(m_set->value(index.row(), m_fieldColumn.value(index.column(), -1)));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(c.alignment);
    default:
        return {};
    }
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (m_headerStyle)
        return m_headerStyle(section, role);
    return {};
}

void ResultSetModel::restyle()
{
    if (!m_columns.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
    if (rowCount() > 0 && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, int(m_columns.size()) - 1));
}

} // namespace tabel
