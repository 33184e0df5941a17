#pragma once

#include "data/notifier.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace tabel {

inline constexpr const char *spreadsheetCannotStartMessage = "Невозможно открыть Microsoft Excel.";
inline constexpr const char *spreadsheetOpenFailedMessage = "Ошибка открытия файла Microsoft Excel.";
inline constexpr const char *spreadsheetWrongSheetCaption = "Ошибочный номер листа Microsoft Excel";
inline constexpr const char *spreadsheetCellErrorCaption = "Ошибка Microsoft Excel";

// The program's spreadsheet: exports write cells into it and then show
// it to the user. There is no spreadsheet application to drive on our
// desktops, so the workbooks live in memory here; showing one saves it as
// an .xlsx file in the user's documents folder and opens that file in
// the desktop's spreadsheet program. One object lives for the whole run.
//
// Rows, columns and sheets count from 1. Results are 1 for success and -1
// for a failure, whose message has then been shown through the notifier.
class Spreadsheet
{
public:
    // Opens a saved workbook for the user; false when nothing can.
    using Opener = std::function<bool(const QString &path)>;

    explicit Spreadsheet(Notifier *notifier = nullptr);
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet &) = delete;
    Spreadsheet &operator=(const Spreadsheet &) = delete;

    void setNotifier(Notifier *notifier) { m_notifier = notifier ? notifier : &m_silent; }
    // Where workbooks are saved; empty (the default) is the user's
    // documents folder.
    void setFolder(const QString &folder) { m_folder = folder; }
    // The default opener hands the file to the desktop.
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // Starts a new workbook when fileName is empty. A file name asks for
    // an existing workbook, which this writer cannot read: that fails.
    int openSpreadsheet(const QString &fileName);
    // Sets a cell the way typing it would: a text that reads as a number
    // in the user's locale becomes a number, unless the cell is formatted
    // as text. An empty text writes nothing.
    int writeCell(int sheet, int column, int row, const QString &text);
    // Like writeCell; asText formats the cell as text ("@") first, autoFit
    // then fits the column's width to its longest text, and the cell's
    // font is made bold or plain by the bold flag.
    int writeCellFormatted(int sheet, int column, int row, const QString &text, bool asText,
                           bool autoFit, bool bold);
    // True saves every workbook not shown yet (or written to since) under
    // a new name and opens it for the user; false keeps them hidden.
    // Nothing happens before the first open.
    void setSpreadsheetVisible(bool visible);

    // The files saved so far, oldest first.
    const QStringList &savedFiles() const { return m_saved; }

    // Opens a file through the desktop (QDesktopServices).
    static bool openWithDesktop(const QString &path);

private:
    struct Workbook;
    static bool saveXlsx(const Workbook &book, const QString &path);
    QString folder() const;
    bool folderReady() const;
    int write(int sheet, int column, int row, const QString &text, bool asText, bool autoFit,
              int bold);
    bool show(Workbook &book);

    SilentNotifier m_silent;
    Notifier *m_notifier = &m_silent;
    QString m_folder;
    Opener m_opener = &Spreadsheet::openWithDesktop;
    bool m_started = false;
    // Open workbooks; the last one is where cells are written.
    std::vector<std::unique_ptr<Workbook>> m_books;
    QStringList m_saved;
};

} // namespace tabel
