#pragma once

#include "data/resultset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>
#include <functional>

namespace tabel {

struct GridColumn
{
    QString title;
    QString field;
    int width = -1;  // -1: the view's default width
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool hidden = false;
};

// A read-only grid model over a named query. Which query is shown can be
// switched without reloading anything.
class ResultSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultSetModel(QVector<GridColumn> columns, QObject *parent = nullptr);

    void setResultSet(ResultSet *set);
    ResultSet *resultSet() const { return m_set; }
    const QVector<GridColumn> &gridColumns() const { return m_columns; }

    // Extra styling of one cell: return an invalid variant for the default.
    using CellStyle = std::function<QVariant(const ResultSet &, int row, const QString &field, int role)>;
    void setCellStyle(CellStyle style) { m_style = std::move(style); }
    // Extra styling of a column title (colours, fonts); the text and the
    // centring stay the model's.
    using HeaderStyle = std::function<QVariant(int section, int role)>;
    void setHeaderStyle(HeaderStyle style) { m_headerStyle = std::move(style); }
    // The styles now give other answers: cells and titles are drawn again.
    void restyle();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Where each grid column's field stands in the query's rows; a grid
    // asks for every cell many times a drawing, a name search each time
    // would walk the columns again and again.
    void mapColumns();

    QVector<GridColumn> m_columns;
    QVector<int> m_fieldColumn;
    QPointer<ResultSet> m_set;
    QMetaObject::Connection m_conn;
    CellStyle m_style;
    HeaderStyle m_headerStyle;
};

} // namespace tabel
