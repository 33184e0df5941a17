#include "data/odbcrows.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringList>
#include <QTime>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace tabel::odbc {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16");

// Rows fetched at a time: as many as fit this many bytes of buffers, but
// no more than a statement has.
constexpr SQLLEN blockBytes = 256 * 1024;
constexpr SQLULEN mostRowsPerBlock = 256;
// Characters a text or number cell is read with in a block; a longer value
// is read again on its own.
constexpr SQLULEN textChars = 255;
constexpr SQLULEN numberChars = 63;

QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList texts;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6];
        SQLINTEGER native = 0;
        std::array<SQLWCHAR, 1024> message{};
        SQLSMALLINT length = 0;
        const SQLRETURN r = SQLGetDiagRecW(handleType, handle, i, state, &native, message.data(),
                                           SQLSMALLINT(message.size()), &length);
        if (!SQL_SUCCEEDED(r))
            break;
        texts << QString::fromUtf16(reinterpret_cast<const char16_t *>(message.data()),
                                    qMin<qsizetype>(length, qsizetype(message.size()) - 1));
    }
    return texts.join(QStringLiteral("; "));
}

enum class Kind { Int, UInt, LongLong, ULongLong, Number, Text, Bytes, Date, Time, DateTime };

bool kindOf(QMetaType type, Kind &kind)
{
    switch (type.id()) {
    // Small integers come as int, as from the driver.
    case QMetaType::Int:
    case QMetaType::Short:
        kind = Kind::Int;
        return true;
    case QMetaType::UInt:
    case QMetaType::UShort:
        kind = Kind::UInt;
        return true;
    case QMetaType::LongLong:
        kind = Kind::LongLong;
        return true;
    case QMetaType::ULongLong:
        kind = Kind::ULongLong;
        return true;
    // The driver hands numbers of this type over as the server's text when
    // asked for high precision, which is how the data module asks.
    case QMetaType::Double:
        kind = Kind::Number;
        return true;
    // real: the text the driver gives, as before.
    case QMetaType::Float:
    case QMetaType::QString:
        kind = Kind::Text;
        return true;
    case QMetaType::QByteArray:
        kind = Kind::Bytes;
        return true;
    case QMetaType::QDate:
        kind = Kind::Date;
        return true;
    case QMetaType::QTime:
        kind = Kind::Time;
        return true;
    case QMetaType::QDateTime:
        kind = Kind::DateTime;
        return true;
    default:
        return false;
    }
}

// The driver's NULL of any integer narrower than 64 bits is an int's.
QMetaType nullType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
        return QMetaType::fromType<int>();
    case QMetaType::ULongLong:
        return QMetaType::fromType<qlonglong>();
    default:
        return type;
    }
}

struct Column
{
    Kind kind = Kind::Text;
    QMetaType type;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0;          // bytes of one row's cell in the buffer
    SQLLEN terminator = -1;    // bytes of a text's terminator; -1: fixed size
    bool repeats = false;      // worth sharing with the row above
    char *buffer = nullptr;     // perBlock cells, in the reader's arena
    SQLLEN *indicator = nullptr; // perBlock lengths, likewise
};

void describe(Column &c, int declaredChars)
{
    switch (c.kind) {
    case Kind::Int:
        c.cType = SQL_C_SLONG;
        c.width = sizeof(SQLINTEGER);
        break;
    case Kind::UInt:
        c.cType = SQL_C_ULONG;
        c.width = sizeof(SQLUINTEGER);
        break;
    case Kind::LongLong:
        c.cType = SQL_C_SBIGINT;
        c.width = sizeof(SQLBIGINT);
        break;
    case Kind::ULongLong:
        c.cType = SQL_C_UBIGINT;
        c.width = sizeof(SQLUBIGINT);
        break;
    case Kind::Date:
        c.cType = SQL_C_TYPE_DATE;
        c.width = sizeof(SQL_DATE_STRUCT);
        break;
    case Kind::Time:
        c.cType = SQL_C_TYPE_TIME;
        c.width = sizeof(SQL_TIME_STRUCT);
        break;
    case Kind::DateTime:
        c.cType = SQL_C_TYPE_TIMESTAMP;
        c.width = sizeof(SQL_TIMESTAMP_STRUCT);
        break;
    case Kind::Number:
        c.cType = SQL_C_WCHAR;
        c.terminator = sizeof(SQLWCHAR);
        c.width = SQLLEN(numberChars + 1) * SQLLEN(sizeof(SQLWCHAR));
        break;
    case Kind::Text: {
        const SQLULEN chars = declaredChars > 0 ? std::min<SQLULEN>(SQLULEN(declaredChars), textChars) : textChars;
        c.cType = SQL_C_WCHAR;
        c.terminator = sizeof(SQLWCHAR);
        c.width = SQLLEN(chars + 1) * SQLLEN(sizeof(SQLWCHAR));
        break;
    }
    case Kind::Bytes:
        c.cType = SQL_C_BINARY;
        c.terminator = 0;
        c.width = SQLLEN(textChars + 1);
        break;
    }
}

// A value longer than its cell, read whole on its own. False on a driver
// error.
bool readWhole(SQLHANDLE stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN terminator, QByteArray &bytes)
{
    std::array<char, 4096> piece;
    bytes.clear();
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(stmt, column, cType, piece.data(), SQLLEN(piece.size()), &indicator);
        if (r == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(r) || indicator == SQL_NULL_DATA)
            return SQL_SUCCEEDED(r);
        const SQLLEN room = SQLLEN(piece.size()) - terminator;
        const bool more = indicator == SQL_NO_TOTAL || indicator > room;
        bytes.append(piece.data(), more ? room : indicator);
        if (!more)
            return true;
    }
}

QString utf16(const char *data, SQLLEN bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(bytes) / qsizetype(sizeof(SQLWCHAR)));
}

QVariant value(const Column &c, const char *p, SQLLEN bytes)
{
    switch (c.kind) {
    case Kind::Int:
        return int(*reinterpret_cast<const SQLINTEGER *>(p));
    case Kind::UInt:
        return uint(*reinterpret_cast<const SQLUINTEGER *>(p));
    case Kind::LongLong:
        return qlonglong(*reinterpret_cast<const SQLBIGINT *>(p));
    case Kind::ULongLong:
        return qulonglong(*reinterpret_cast<const SQLUBIGINT *>(p));
    case Kind::Date: {
        const auto *d = reinterpret_cast<const SQL_DATE_STRUCT *>(p);
        return QDate(d->year, d->month, d->day);
    }
    case Kind::Time: {
        const auto *t = reinterpret_cast<const SQL_TIME_STRUCT *>(p);
        return QTime(t->hour, t->minute, t->second);
    }
    case Kind::DateTime: {
        const auto *t = reinterpret_cast<const SQL_TIMESTAMP_STRUCT *>(p);
        return QDateTime(QDate(t->year, t->month, t->day),
                         QTime(t->hour, t->minute, t->second, int(t->fraction / 1000000)));
    }
    case Kind::Number:
        return exactNumber(QStringView(reinterpret_cast<const char16_t *>(p),
                                       qsizetype(bytes) / qsizetype(sizeof(SQLWCHAR))));
    case Kind::Text: {
        QString text = utf16(p, bytes);
        // An empty text is empty, not absent.
        if (text.isNull())
            text = QStringLiteral("");
        return text;
    }
    case Kind::Bytes: {
        QByteArray b(p, qsizetype(bytes));
        if (b.isNull())
            b = QByteArray("");
        return b;
    }
    }
    return {};
}

// Puts the statement back as the Qt driver left it: no bound columns, one
// row per fetch, no pointers into buffers about to go.
class BlockReset
{
public:
    explicit BlockReset(SQLHANDLE stmt) : m_stmt(stmt) {}
    ~BlockReset()
    {
        SQLFreeStmt(m_stmt, SQL_UNBIND);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }
    BlockReset(const BlockReset &) = delete;
    BlockReset &operator=(const BlockReset &) = delete;

private:
    SQLHANDLE m_stmt;
};

// Whether the driver lets a value of a row of a block be read again on its
// own, which a value longer than its cell needs.
bool rereadsInBlocks(SQLHANDLE connection)
{
    SQLUINTEGER extensions = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr)))
        return false;
    const SQLUINTEGER needed = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BLOCK | SQL_GD_BOUND;
    return (extensions & needed) == needed;
}

bool isWholeNumberText(QStringView text)
{
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

} // namespace

QVariant exactNumber(QStringView text)
{
    // The server writes numbers in plain ASCII: read them as such, which
    // is much quicker than the general conversions below.
    std::array<char, 64> ascii;
    if (text.size() > 0 && text.size() <= qsizetype(ascii.size()) && text[0] != u'+') {
        bool plain = true;
        for (qsizetype i = 0; i < text.size() && plain; ++i) {
            const char16_t ch = text[i].unicode();
            plain = ch > u' ' && ch < 0x7f;
            ascii[std::size_t(i)] = char(ch);
        }
        const char *first = ascii.data();
        const char *last = first + text.size();
        if (plain) {
            if (isWholeNumberText(text)) {
                qlonglong whole = 0;
                const auto [end, error] = std::from_chars(first, last, whole);
                if (error == std::errc() && end == last)
                    return whole;
            }
            double number = 0;
            const auto [end, error] = std::from_chars(first, last, number);
            if (error == std::errc() && end == last)
                return number;
        }
    }
    bool ok = false;
    if (isWholeNumberText(text)) {
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return whole;
    }
    const double number = text.toDouble(&ok);
    if (ok)
        return number;
    // The server's spelling of the infinities, which toDouble does not take.
    if (text == u"Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == u"-Infinity")
        return -std::numeric_limits<double>::infinity();
    return text.toString();
}

QVariant exactNumber(const QVariant &raw)
{
    if (raw.isNull())
        return QVariant(QMetaType::fromType<double>());
    const QVariant number = exactNumber(QStringView(raw.toString()));
    // Not a number after all: the value as it came.
    return number.typeId() == QMetaType::QString ? raw : number;
}

Rows readAll(QSqlQuery &query)
{
    Rows out;
    // Only the ODBC driver's statement handle is an ODBC statement.
    const QSqlResult *result = query.result();
    if (!result || !query.driver() || !query.driver()->inherits("QODBCDriver"))
        return out;
    const QVariant handle = result->handle();
    const QVariant connection = query.driver()->handle();
    if (handle.metaType() != QMetaType::fromType<void *>()
        || connection.metaType() != QMetaType::fromType<void *>())
        return out;
    SQLHANDLE stmt = *static_cast<void *const *>(handle.constData());
    SQLHANDLE dbc = *static_cast<void *const *>(connection.constData());
    if (!stmt || !dbc)
        return out;

    const QSqlRecord record = query.record();
    const int count = record.count();
    std::vector<Column> columns(static_cast<std::size_t>(count));
    SQLLEN rowBytes = 0;
    for (int c = 0; c < count; ++c) {
        Column &col = columns[std::size_t(c)];
        const QSqlField field = record.field(c);
        col.type = field.metaType();
        if (!kindOf(col.type, col.kind))
            return out;
        describe(col, field.length());
        col.repeats = col.kind != Kind::Int && col.kind != Kind::UInt && col.kind != Kind::LongLong
            && col.kind != Kind::ULongLong;
        rowBytes += col.width + SQLLEN(sizeof(SQLLEN));
    }
    if (!rereadsInBlocks(dbc))
        return out;

    // The driver holds the whole result already and knows its size.
    SQLLEN total = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(stmt, &total)))
        total = -1;
    SQLULEN perBlock = std::clamp<SQLULEN>(SQLULEN(blockBytes / std::max<SQLLEN>(rowBytes, 1)), 1, mostRowsPerBlock);
    if (total >= 0)
        perBlock = std::clamp<SQLULEN>(SQLULEN(total), 1, perBlock);

    out.outcome = Rows::Outcome::Read;
    auto failed = [&] {
        out.outcome = Rows::Outcome::Failed;
        out.error = diagnostics(SQL_HANDLE_STMT, stmt);
        out.rows.clear();
        return out;
    };

    BlockReset reset(stmt);
    SQLULEN fetched = 0;
    // The buffers of every column in one piece, kept from one statement to
    // the next: the journal's four statements would otherwise take and
    // give back a quarter of a megabyte each time.
    const std::size_t cellBytes = std::size_t(rowBytes - SQLLEN(count) * SQLLEN(sizeof(SQLLEN)));
    const std::size_t needed = perBlock * (cellBytes + std::size_t(count) * sizeof(SQLLEN) + sizeof(SQLUSMALLINT))
        + std::size_t(count + 1) * alignof(SQLBIGINT);
    thread_local std::vector<SQLLEN> arena;
    if (arena.size() * sizeof(SQLLEN) < needed)
        arena.assign(needed / sizeof(SQLLEN) + 1, 0);
    char *free = reinterpret_cast<char *>(arena.data());
    auto *lengths = reinterpret_cast<SQLLEN *>(free);
    free += perBlock * std::size_t(count) * sizeof(SQLLEN);
    auto *status = reinterpret_cast<SQLUSMALLINT *>(free);
    free += perBlock * sizeof(SQLUSMALLINT);
    // Every column starts where its widest value may start.
    auto align = [](char *p) {
        return reinterpret_cast<char *>((reinterpret_cast<std::uintptr_t>(p) + alignof(SQLBIGINT) - 1)
                                        & ~std::uintptr_t(alignof(SQLBIGINT) - 1));
    };
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_BIND_BY_COLUMN)), 0))
        || !SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(perBlock), 0))
        || !SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0))
        || !SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, status, 0)))
        return failed();
    for (int c = 0; c < count; ++c) {
        Column &col = columns[std::size_t(c)];
        col.indicator = lengths + std::size_t(c) * perBlock;
        col.buffer = free = align(free);
        free += std::size_t(col.width) * perBlock;
        if (!SQL_SUCCEEDED(SQLBindCol(stmt, SQLUSMALLINT(c + 1), col.cType, col.buffer, col.width,
                                      col.indicator)))
            return failed();
    }
    if (total > 0)
        out.rows.reserve(qsizetype(total));

    for (;;) {
        const SQLRETURN r = SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0);
        if (r == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(r))
            return failed();
        for (SQLULEN i = 0; i < fetched; ++i) {
            if (status[i] == SQL_ROW_ERROR)
                return failed();
            QVector<QVariant> row(count);
            for (int c = 0; c < count; ++c) {
                const Column &col = columns[std::size_t(c)];
                const SQLLEN bytes = col.indicator[i];
                if (bytes == SQL_NULL_DATA) {
                    // As from the driver: a NULL text is no value at all, a
                    // NULL number a null double, any other NULL a value of
                    // its column's type.
                    row[c] = col.kind == Kind::Text ? QVariant() : QVariant(nullType(col.type));
                    continue;
                }
                const char *cell = col.buffer + std::size_t(col.width) * i;
                const bool whole = col.terminator < 0 || (bytes != SQL_NO_TOTAL && bytes <= col.width - col.terminator);
                // Sorted results repeat a value row after row (a worker's
                // name, a date, a mark): the row above's value is shared
                // instead of made again. Local times are costly to make.
                if (whole && col.repeats && i > 0 && col.indicator[i - 1] == bytes
                    && std::memcmp(cell - col.width, cell, std::size_t(col.terminator < 0 ? col.width : bytes)) == 0) {
                    row[c] = out.rows.back()[c];
                    continue;
                }
                if (!whole) {
                    // Longer than its cell: this one value read again whole.
                    QByteArray full;
                    if (!SQL_SUCCEEDED(SQLSetPos(stmt, SQLSETPOSIROW(i + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE))
                        || !readWhole(stmt, SQLUSMALLINT(c + 1), col.cType, col.terminator, full))
                        return failed();
                    row[c] = value(col, full.constData(), SQLLEN(full.size()));
                    continue;
                }
                row[c] = value(col, cell, bytes);
            }
            out.rows.push_back(std::move(row));
        }
    }
    return out;
}

} // namespace tabel::odbc
