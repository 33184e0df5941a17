#include "reports/spreadsheet.h"

#include "data/cnumbers.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace tabel {

namespace {

// The limits of an .xlsx sheet and of the text of one cell.
constexpr int maxRow = 1048576;
constexpr int maxColumn = 16384;
constexpr qsizetype maxText = 32767;
// The widest column a sheet allows, in characters.
constexpr double maxWidth = 255;

struct Cell
{
    QString text;
    double number = 0;
    bool isNumber = false;
    bool asText = false;
    bool bold = false;
};

quint64 cellKey(int row, int column)
{
    return (quint64(row) << 16) | quint64(column);
}

// A text the user could have typed as a number becomes one, the way a
// spreadsheet takes typed input: decimal separator and grouping of the
// user's locale ("12,5" on a Russian desktop), so that sums work on the
// exported figures. Anything else stays a text.
bool readsAsNumber(const QString &text, double *value)
{
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

// The width a text needs, in the sheet's character units: its longest
// line, a tenth wider in bold, plus a character of margin. Character
// counts stand in for font metrics, which a program without a screen
// cannot ask for.
double textWidth(const QString &text, bool bold)
{
    qsizetype longest = 0;
    if (text.contains(QLatin1Char('\n'))) {
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
            longest = std::max(longest, line.size());
    } else {
        longest = text.size();
    }
    const double w = double(longest) * (bold ? 1.1 : 1.0) + 1;
    return std::min(w, maxWidth);
}

} // namespace

struct Spreadsheet::Workbook
{
    std::unordered_map<quint64, Cell> cells;
    // Widest text written into each column, for auto-fit.
    std::unordered_map<int, double> longest;
    // Column widths set by auto-fit; other columns keep the default.
    std::map<int, double> widths;
    bool shown = false;
};

bool Spreadsheet::saveXlsx(const Workbook &book, const QString &path)
{
    // Numbers and column widths are written with a point whatever the
    // desktop's language.
    const CNumbers numbers;
    // Default mode keeps the whole sheet in memory, so cells may be
    // written in any order.
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    lxw_workbook *wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!wb)
        return false;
    lxw_worksheet *ws = workbook_add_worksheet(wb, "Лист1");
    bool ok = ws != nullptr;

    // Index: 1 = text format, 2 = bold.
    lxw_format *formats[4] = {nullptr, nullptr, nullptr, nullptr};
    auto format = [&](const Cell &c) -> lxw_format * {
        const int i = (c.asText ? 1 : 0) | (c.bold ? 2 : 0);
        if (i != 0 && !formats[i]) {
            formats[i] = workbook_add_format(wb);
            // The built-in text format, "@", as a spreadsheet stores it.
            if (c.asText)
                format_set_num_format_index(formats[i], 49);
            if (c.bold)
                format_set_bold(formats[i]);
        }
        return formats[i];
    };

    for (auto it = book.cells.begin(); ok && it != book.cells.end(); ++it) {
        const auto row = lxw_row_t((it->first >> 16) - 1);
        const auto col = lxw_col_t((it->first & 0xffff) - 1);
        const Cell &c = it->second;
        const lxw_error e = c.isNumber
            ? worksheet_write_number(ws, row, col, c.number, format(c))
            : worksheet_write_string(ws, row, col, c.text.toUtf8().constData(), format(c));
        ok = e == LXW_NO_ERROR;
    }
    for (auto it = book.widths.begin(); ok && it != book.widths.end(); ++it) {
        const auto col = lxw_col_t(it->first - 1);
        ok = worksheet_set_column(ws, col, col, it->second, nullptr) == LXW_NO_ERROR;
    }
    // Closing also frees the workbook, so it runs even after a failure.
    const lxw_error closed = workbook_close(wb);
    return ok && closed == LXW_NO_ERROR;
}

Spreadsheet::Spreadsheet(Notifier *notifier)
{
    setNotifier(notifier);
}

Spreadsheet::~Spreadsheet() = default;

QString Spreadsheet::folder() const
{
    if (!m_folder.isEmpty())
        return m_folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

bool Spreadsheet::folderReady() const
{
    const QString dir = folder();
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return false;
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

// Our stand-in for the spreadsheet application is this object together
// with the folder its workbooks are saved to. So:
// - the application "cannot be started" when that folder cannot be made
//   or written; the new workbook then fails too, and the user sees both
//   messages, as when the application is missing;
// - once started, a new workbook fails when the folder has become
//   unusable since, and for any file name: the writer cannot read an
//   existing .xlsx, and every export asks for a new workbook.
int Spreadsheet::openSpreadsheet(const QString &fileName)
{
    const QString caption = QStringLiteral("Ошибка");
    const bool ready = folderReady();
    if (!m_started) {
        if (ready)
            m_started = true;
        else
            m_notifier->error(caption, QString::fromUtf8(spreadsheetCannotStartMessage));
    }
    if (!ready || !fileName.isEmpty()) {
        m_notifier->error(caption, QString::fromUtf8(spreadsheetOpenFailedMessage));
        return -1;
    }
    // Workbooks already shown are in their files now; an unshown one stays
    // until it is shown, as it would in a hidden application.
    m_books.erase(std::remove_if(m_books.begin(), m_books.end(),
                                 [](const auto &b) { return b->shown; }),
                  m_books.end());
    m_books.push_back(std::make_unique<Workbook>());
    return 1;
}

int Spreadsheet::writeCell(int sheet, int column, int row, const QString &text)
{
    return write(sheet, column, row, text, false, false, -1);
}

int Spreadsheet::writeCellFormatted(int sheet, int column, int row, const QString &text,
                                    bool asText, bool autoFit, bool bold)
{
    return write(sheet, column, row, text, asText, autoFit, bold ? 1 : 0);
}

// bold: -1 keeps the cell's font as it is.
int Spreadsheet::write(int sheet, int column, int row, const QString &text, bool asText,
                       bool autoFit, int bold)
{
    if (text.isEmpty())
        return 1;
    const QString where = QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
                              .arg(sheet)
                              .arg(column)
                              .arg(row);
    // A new workbook has exactly one sheet; with no workbook there is
    // no sheet to get at all.
    if (m_books.empty() || sheet != 1) {
        m_notifier->error(QString::fromUtf8(spreadsheetWrongSheetCaption), where);
        return -1;
    }
    if (column < 1 || column > maxColumn || row < 1 || row > maxRow || text.size() > maxText) {
        m_notifier->error(QString::fromUtf8(spreadsheetCellErrorCaption), where);
        return -1;
    }

    Workbook &book = *m_books.back();
    book.shown = false;
    Cell &cell = book.cells[cellKey(row, column)];
    // The text format, once set, keeps every later value a text.
    if (asText)
        cell.asText = true;
    cell.text = text;
    cell.isNumber = !cell.asText && readsAsNumber(text, &cell.number);
    if (bold >= 0)
        cell.bold = bold == 1;

    // Auto-fit measures every cell of the column, also those written
    // without it; a running maximum keeps that cheap.
    double &longest = book.longest[column];
    longest = std::max(longest, textWidth(text, cell.bold));
    if (autoFit)
        book.widths[column] = longest;
    return 1;
}

void Spreadsheet::setSpreadsheetVisible(bool visible)
{
    if (!m_started || !visible)
        return;
    for (const auto &book : m_books) {
        if (!book->shown && show(*book))
            book->shown = true;
    }
}

// A save that fails gives the workbook-file message: for the user it is
// the same trouble as a workbook that cannot be opened, and the workbook
// stays in memory to be saved at the next showing.
bool Spreadsheet::show(Workbook &book)
{
    const auto failed = [this] {
        m_notifier->error(QStringLiteral("Ошибка"), QString::fromUtf8(spreadsheetOpenFailedMessage));
        return false;
    };
    if (!folderReady())
        return failed();
    const QString dir = folder();

    // Written under a hidden name first, so that a half-written file never
    // carries a name the user would open.
    QTemporaryFile tmp(dir + QStringLiteral("/.tabel-XXXXXX.xlsx"));
    if (!tmp.open())
        return failed();
    tmp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    tmp.close();
    if (!saveXlsx(book, tmp.fileName()))
        return failed();

    // A new name for every workbook: a file of the same name, maybe
    // changed by the user since, is never replaced (rename refuses to).
    const QString stem = dir + QStringLiteral("/Книга ")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path;
    for (int n = 1; path.isEmpty(); ++n) {
        const QString candidate =
            stem + (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + QStringLiteral(".xlsx");
        if (QFile::exists(candidate))
            continue;
        if (QFile::rename(tmp.fileName(), candidate))
            path = candidate;
        else if (!QFile::exists(candidate))
            return failed();
    }
    tmp.setAutoRemove(false);
    m_saved << path;

    if (!m_opener(path)) {
        m_notifier->information(
            QStringLiteral("Книга сохранена"),
            QStringLiteral("Не удалось открыть книгу в программе для работы с таблицами.\n"
                           "Книга сохранена в файле:\n%1")
                .arg(QDir::toNativeSeparators(path)));
    }
    return true;
}

bool Spreadsheet::openWithDesktop(const QString &path)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The desktop's opener starts even when no program takes the file
    // type, and then fails where we cannot see it; ask first.
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.start(xdgMime,
                    {QStringLiteral("query"), QStringLiteral("default"),
                     QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet")});
        if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit
            && query.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace tabel
