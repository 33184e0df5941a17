#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace tabel {
class DataModule;
}

// Price norms of one operation: a quantity norm, a piece price and a
// bonus per cent. The operation's pay price is the lowest of its prices.
namespace tabel::norms {

enum Column { Norma = 0, Price = 1, Prize = 2, ColumnCount = 3 };

// "#0.00#": at least one integer digit and two or three decimals, the
// third only when it is not zero; the locale's decimal separator.
QString formatPrice(double value, const QLocale &locale = QLocale());

// Prices are kept below this in magnitude. The entry price is the norm
// price times up to 3 and is stored to 4 decimals, which a double holds
// exactly only for numbers well below this; an "1e308" would even become
// infinity on a day-off overtime entry.
inline constexpr double maxPrice = 1e9;

// What was typed into a cell: a whole number for the norm and the bonus
// that an integer column holds, a number for the price below maxPrice (the
// locale's separator, or a point, or a comma). A blank cell is empty
// (NULL). Nothing when it is no such number.
std::optional<QVariant> parseCell(Column column, const QString &text,
                                  const QLocale &locale = QLocale());
// The refusal of such a text: no number, or a number too large.
QString notANumberMessage(Column column, const QString &text, const QLocale &locale = QLocale());

QString selectSql(int operationId);
QString insertSql();                // :o_id, :norma, :price, :prize; returns id
QString updateSql(Column column);   // :value, :id
// Deletes the norm :id unless it is its operation's only one.
QString deleteSql();

} // namespace tabel::norms

namespace tabel {

// The norms of one operation for editing in place. The model shows the
// stored norms ordered by norm, then one empty row where a new norm is
// typed. A changed cell is written as soon as it is set, and the rows are
// read again; a row keeps its place in attached views as the order
// changes. Database errors are thrown as DbError.
class NormModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit NormModel(DataModule &dm, QObject *parent = nullptr);

    // Reads the norms of the operation; a new row typed later belongs to it.
    void open(int operationId);
    void close();
    bool isOpen() const { return m_open; }
    int operationId() const { return m_operationId; }

    int storedCount() const;
    // The empty row at the end: a norm not stored yet.
    bool isNewRow(int row) const;
    int normId(int row) const;
    int rowOfNorm(int id) const;
    QVariant value(int row, norms::Column column) const;

    // A cell left with the given text. An unchanged value writes nothing.
    // A text that is no number is refused through the notifier and the row
    // keeps its stored values: false then.
    bool setCell(int row, norms::Column column, const QString &text);
    // Deletes the row's norm unless it is the operation's last one; true
    // when a norm went.
    bool removeNorm(int row);
    // Reads the rows again.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Row
    {
        int id = 0; // 0: the new row
        QVariant values[norms::ColumnCount];
    };
    static Row newRow();
    QVector<Row> fetch() const;
    void adopt(QVector<Row> fresh);

    DataModule &m_dm;
    int m_operationId = 0;
    bool m_open = false;
    QVector<Row> m_rows;
};

} // namespace tabel
