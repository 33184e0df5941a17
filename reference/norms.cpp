#include "reference/norms.h"

#include "data/datamodule.h"
#include "data/display.h"
#include "data/sqltext.h"

#include <QHash>
#include <QSet>
#include <cmath>
#include <limits>

namespace tabel::norms {

static QString formatWhole(double value)
{
    return QString::number(value, 'f', 0);
}

QString formatPrice(double value, const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    // What rounds to zero is shown without a sign.
    if (std::fabs(value) < 0.0005)
        value = 0;
    QString text = l.toString(value, 'f', 3);
    if (text.endsWith(l.zeroDigit()))
        text.chop(l.zeroDigit().size());
    return text;
}

static QVariant emptyValue(Column column)
{
    return column == Price ? QVariant(QMetaType::fromType<double>())
                           : QVariant(QMetaType::fromType<int>());
}

// A whole number written with digits (and a sign), however large: told
// apart from a text that is no number at all, for the refusal's sake.
static bool looksWhole(const QString &t)
{
    qsizetype i = t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (i == t.size())
        return false;
    for (; i < t.size(); ++i)
        if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9'))
            return false;
    return true;
}

static std::optional<double> parsePrice(const QString &t, const QLocale &locale)
{
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (!ok) {
        QString c = t;
        c.replace(QLatin1Char(','), QLatin1Char('.'));
        v = QLocale::c().toDouble(c, &ok);
    }
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<QVariant> parseCell(Column column, const QString &text, const QLocale &locale)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return emptyValue(column);
    bool ok = false;
    if (column == Price) {
        const std::optional<double> v = parsePrice(t, locale);
        if (!v || std::fabs(*v) >= maxPrice)
            return std::nullopt;
        return QVariant(*v);
    }
    int v = locale.toInt(t, &ok);
    if (!ok)
        v = QLocale::c().toInt(t, &ok);
    if (!ok)
        return std::nullopt;
    return QVariant(v);
}

QString notANumberMessage(Column column, const QString &text, const QLocale &locale)
{
    const QString t = text.trimmed();
    const bool tooLarge = column == Price ? (parsePrice(t, locale) || looksWhole(t)) : looksWhole(t);
    if (tooLarge) {
        const QString what = column == Price
            ? QStringLiteral("В столбце «Цена» допустимо число меньше %1 по абсолютной величине.")
                  .arg(formatWhole(maxPrice))
            : QStringLiteral("В столбце «%1» допустимо целое число от %2 до %3.")
                  .arg(column == Norma ? QStringLiteral("Норматив") : QStringLiteral("Премия, %"))
                  .arg(std::numeric_limits<qint32>::min())
                  .arg(std::numeric_limits<qint32>::max());
        return QStringLiteral("«%1» — слишком большое число.\n%2\nЗначение не сохранено.").arg(t, what);
    }
    switch (column) {
    case Price:
        return QStringLiteral("«%1» — не число.\nВ столбце «Цена» должно быть число, например %2.\n"
                              "Значение не сохранено.")
            .arg(text.trimmed(), formatPrice(12.5, locale));
    case Norma:
        return QStringLiteral("«%1» — не целое число.\nВ столбце «Норматив» должно быть целое число "
                              "штук, например 100.\nЗначение не сохранено.")
            .arg(text.trimmed());
    default:
        return QStringLiteral("«%1» — не целое число.\nВ столбце «Премия, %» должно быть целое число "
                              "процентов, например 5.\nЗначение не сохранено.")
            .arg(text.trimmed());
    }
}

QString selectSql(int operationId)
{
    // The id keeps rows of equal norm in one order from one reading to the next.
    return QStringLiteral("select id, o_id, norma, price, prize from accounts_dep.norm where o_id=%1 "
                          "order by norma, id")
        .arg(sql::integer(operationId));
}

QString insertSql()
{
    return QStringLiteral("insert into accounts_dep.norm(o_id, norma, price, prize) values (:o_id, "
                          ":norma, :price, :prize) returning id");
}

QString updateSql(Column column)
{
    // Only the changed column: another workstation's change to the others
    // is kept.
    static const char *const names[] = {"norma", "price", "prize"};
    return QStringLiteral("update accounts_dep.norm set %1=:value where id=:id")
        .arg(QLatin1String(names[column]));
}

QString deleteSql()
{
    return QStringLiteral("delete from accounts_dep.norm n where n.id=:id and (select count(*) from "
                          "accounts_dep.norm m where m.o_id=n.o_id) > 1");
}

} // namespace tabel::norms

namespace tabel {

using norms::Column;

NormModel::NormModel(DataModule &dm, QObject *parent) : QAbstractTableModel(parent), m_dm(dm)
{
}

NormModel::Row NormModel::newRow()
{
    Row r;
    for (int c = 0; c < norms::ColumnCount; ++c)
        r.values[c] = c == norms::Price ? QVariant(QMetaType::fromType<double>())
                                        : QVariant(QMetaType::fromType<int>());
    return r;
}

QVector<NormModel::Row> NormModel::fetch() const
{
    const RowSet set = m_dm.select(QStringLiteral("norm"), norms::selectSql(m_operationId));
    QVector<Row> rows;
    rows.reserve(set.size() + 1);
    for (int i = 0; i < set.size(); ++i) {
        Row r = newRow();
        r.id = set.value(i, QStringLiteral("id")).toInt();
        const QVariant norma = set.value(i, QStringLiteral("norma"));
        const QVariant price = set.value(i, QStringLiteral("price"));
        const QVariant prize = set.value(i, QStringLiteral("prize"));
        if (!norma.isNull())
            r.values[norms::Norma] = norma.toInt();
        if (!price.isNull())
            r.values[norms::Price] = price.toDouble();
        if (!prize.isNull())
            r.values[norms::Prize] = prize.toInt();
        rows.push_back(r);
    }
    rows.push_back(newRow());
    return rows;
}

void NormModel::open(int operationId)
{
    close();
    m_operationId = operationId;
    QVector<Row> rows = fetch();
    beginResetModel();
    m_rows = std::move(rows);
    m_open = true;
    endResetModel();
}

void NormModel::close()
{
    if (!m_open)
        return;
    beginResetModel();
    m_rows.clear();
    m_open = false;
    endResetModel();
}

int NormModel::storedCount() const
{
    return m_open ? int(m_rows.size()) - 1 : 0;
}

bool NormModel::isNewRow(int row) const
{
    return m_open && row == int(m_rows.size()) - 1;
}

int NormModel::normId(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].id : 0;
}

int NormModel::rowOfNorm(int id) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return i;
    return -1;
}

QVariant NormModel::value(int row, Column column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= norms::ColumnCount)
        return {};
    return m_rows[row].values[column];
}

static bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toDouble() == b.toDouble();
}

bool NormModel::setCell(int row, Column column, const QString &text)
{
    if (!m_open || row < 0 || row >= m_rows.size() || column < 0 || column >= norms::ColumnCount)
        return false;
    const std::optional<QVariant> parsed = norms::parseCell(column, text);
    if (!parsed) {
        m_dm.notifier().error(QStringLiteral("Ошибка"), norms::notANumberMessage(column, text));
        return false;
    }
    if (sameValue(m_rows[row].values[column], *parsed))
        return true;

    if (m_rows[row].id == 0) {
        // A new row belongs to the operation the norms were opened for.
        Row r = m_rows[row];
        r.values[column] = *parsed;
        const RowSet inserted =
            m_dm.select(QStringLiteral("norm"), norms::insertSql(),
                        {{QStringLiteral("o_id"), m_operationId},
                         {QStringLiteral("norma"), r.values[norms::Norma]},
                         {QStringLiteral("price"), r.values[norms::Price]},
                         {QStringLiteral("prize"), r.values[norms::Prize]}});
        r.id = inserted.value(0, QStringLiteral("id")).toInt();
        m_rows[row] = r;
    } else {
        m_dm.execute(QStringLiteral("norm"), norms::updateSql(column),
                     {{QStringLiteral("value"), *parsed}, {QStringLiteral("id"), m_rows[row].id}});
        m_rows[row].values[column] = *parsed;
    }
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed);
    reload();
    return true;
}

bool NormModel::removeNorm(int row)
{
    if (!m_open || row < 0 || row >= storedCount() || storedCount() <= 1)
        return false;
    // The statement itself keeps the last norm, also when another
    // workstation deleted the others since the rows were read.
    const int deleted = m_dm.execute(QStringLiteral("norm"), norms::deleteSql(),
                                     {{QStringLiteral("id"), m_rows[row].id}});
    reload();
    return deleted > 0;
}

void NormModel::reload()
{
    if (!m_open)
        return;
    adopt(fetch());
}

void NormModel::adopt(QVector<Row> fresh)
{
    // Rows are matched by their norm id (the new row by 0), so views stay
    // on the row they were on however the order changes. Rows that went
    // are removed first and rows that came are appended, so that the last
    // step only reorders.
    QSet<int> freshIds;
    for (const Row &r : fresh)
        freshIds.insert(r.id);
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!freshIds.contains(m_rows[i].id)) {
            beginRemoveRows({}, i, i);
            m_rows.removeAt(i);
            endRemoveRows();
        }
    }
    QSet<int> have;
    for (const Row &r : m_rows)
        have.insert(r.id);
    QVector<Row> added;
    for (const Row &r : fresh)
        if (!have.contains(r.id))
            added.push_back(r);
    if (!added.isEmpty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + added.size()) - 1);
        m_rows += added;
        endInsertRows();
    }

    Q_EMIT layoutAboutToBeChanged();
    QHash<int, int> place;
    for (int i = 0; i < fresh.size(); ++i)
        place.insert(fresh[i].id, i);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to << (i.isValid() ? index(place.value(m_rows[i.row()].id), i.column()) : QModelIndex());
    m_rows = std::move(fresh);
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged();
}

int NormModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int NormModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : norms::ColumnCount;
}

QVariant NormModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const auto column = Column(index.column());
    const QVariant v = m_rows[index.row()].values[column];
    switch (role) {
    case Qt::DisplayRole:
        if (v.isNull())
            return QString();
        return column == norms::Price ? norms::formatPrice(v.toDouble()) : QString::number(v.toInt());
    case Qt::EditRole:
        // The full price for editing, not the rounded display.
        if (v.isNull())
            return QString();
        return column == norms::Price ? display::number(v.toDouble()) : QString::number(v.toInt());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant NormModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case norms::Norma:
        return QStringLiteral("Норматив");
    case norms::Price:
        return QStringLiteral("Цена");
    case norms::Prize:
        return QStringLiteral("Премия, %");
    default:
        return {};
    }
}

Qt::ItemFlags NormModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

} // namespace tabel
