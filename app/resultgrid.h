#pragma once

#include "app/resultsetmodel.h"

#include <QTableView>

namespace tabel {

// A read-only grid over one named query: whole rows, the selection shown
// also when the grid has no focus, centred column titles that stay as they
// are when a row is selected. The query's current row and the grid's
// selection follow each other.
class ResultGrid : public QTableView
{
    Q_OBJECT
public:
    explicit ResultGrid(QVector<GridColumn> columns, QWidget *parent = nullptr);

    ResultSetModel *resultModel() const { return m_model; }
    // Switching the query reloads nothing.
    void setResultSet(ResultSet *set);
    ResultSet *resultSet() const { return m_model->resultSet(); }

    void setBoldTitles(bool bold);
    // Selects the query's current row (after reloads and filters).
    void followCurrentRow();

private:
    ResultSetModel *m_model = nullptr;
    QMetaObject::Connection m_rowConn;
};

} // namespace tabel
