#include "app/resultgrid.h"

#include <QHeaderView>

namespace tabel {

ResultGrid::ResultGrid(QVector<GridColumn> columns, QWidget *parent) : QTableView(parent)
{
    m_model = new ResultSetModel(std::move(columns), this);
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    // Compact rows, as a data grid has them.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Qt bolds the titles of selected sections unless told otherwise.
    horizontalHeader()->setHighlightSections(false);
    {
        QPalette p = palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   p.color(QPalette::Active, QPalette::HighlightedText));
        setPalette(p);
    }
    const auto &cols = m_model->gridColumns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols[i].width > 0)
            setColumnWidth(i, cols[i].width);
        setColumnHidden(i, cols[i].hidden);
    }
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &now) {
                if (now.isValid() && resultSet())
                    resultSet()->setCurrentRow(now.row());
            });
}

void ResultGrid::setResultSet(ResultSet *set)
{
    if (m_rowConn)
        disconnect(m_rowConn);
    m_model->setResultSet(set);
    if (set)
        m_rowConn = connect(set, &ResultSet::currentRowChanged, this, [this] { followCurrentRow(); });
    followCurrentRow();
}

void ResultGrid::setBoldTitles(bool bold)
{
    QFont f = horizontalHeader()->font();
    f.setBold(bold);
    horizontalHeader()->setFont(f);
}

void ResultGrid::followCurrentRow()
{
    ResultSet *set = resultSet();
    const int row = set ? set->currentRow() : -1;
    if (row < 0) {
        clearSelection();
        return;
    }
    if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, {}))
        selectRow(row);
    scrollTo(m_model->index(row, 0));
}

} // namespace tabel
