// The spreadsheet: workbooks saved as .xlsx and read back by independent
// readers (xlsx2csv for the values, the sheet's own XML for types, styles
// and widths), the failures and their messages, and where files go.
#include "reports/spreadsheet.h"
#include "commalocale.h"
#include "recording.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning() << program << args << p.readAllStandardError();
    return p.readAllStandardOutput();
}

// Rows of the first sheet as xlsx2csv reads them, tab-separated.
QList<QStringList> readBack(const QString &path)
{
    QList<QStringList> rows;
    const QString out = QString::fromUtf8(run("xlsx2csv", {"-d", "tab", path}));
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts))
        rows << line.split('\t');
    return rows;
}

// What the sheet's XML says about cells and columns.
struct SheetXml
{
    struct CellInfo
    {
        QString type; // "s" for a text, empty for a number
        int style = 0;
    };
    struct Style
    {
        int numFmt = 0;
        bool bold = false;
    };
    QHash<QString, CellInfo> cells;
    QHash<int, double> widths;
    QList<Style> styles;

    bool isText(const QString &ref) const { return cells.value(ref).type == "s"; }
    bool bold(const QString &ref) const { return styles.value(cells.value(ref).style).bold; }
    QHash<int, QString> formatCodes{{49, "@"}}; // built-in, plus the file's own
    bool textFormat(const QString &ref) const
    {
        return formatCodes.value(styles.value(cells.value(ref).style).numFmt) == "@";
    }

    static SheetXml load(const QString &path)
    {
        auto entry = [&](const char *name) {
            return run("python3", {"-c",
                                   "import sys, zipfile; "
                                   "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))",
                                   path, name});
        };
        SheetXml s;
        QXmlStreamReader sheet(entry("xl/worksheets/sheet1.xml"));
        while (sheet.readNextStartElement() || !sheet.atEnd()) {
            if (!sheet.isStartElement())
                continue;
            const auto a = sheet.attributes();
            if (sheet.name() == u"c")
                s.cells[a.value("r").toString()] = {a.value("t").toString(), a.value("s").toInt()};
            else if (sheet.name() == u"col")
                for (int c = a.value("min").toInt(); c <= a.value("max").toInt(); ++c)
                    s.widths[c] = a.value("width").toDouble();
        }
        QXmlStreamReader styles(entry("xl/styles.xml"));
        QList<bool> fontBold;
        QString section;
        while (!styles.atEnd()) {
            styles.readNext();
            if (!styles.isStartElement())
                continue;
            const auto name = styles.name();
            const auto a = styles.attributes();
            if (name == u"fonts" || name == u"cellXfs" || name == u"cellStyleXfs")
                section = name.toString();
            else if (name == u"numFmt")
                s.formatCodes[a.value("numFmtId").toInt()] = a.value("formatCode").toString();
            else if (name == u"font" && section == "fonts")
                fontBold << false;
            else if (name == u"b" && section == "fonts")
                fontBold.last() = true;
            else if (name == u"xf" && section == "cellXfs")
                s.styles << Style{a.value("numFmtId").toInt(), fontBold.value(a.value("fontId").toInt())};
        }
        return s;
    }
};

} // namespace

class SpreadsheetTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingNotifier> m_notes;
    std::unique_ptr<Spreadsheet> m_sheet;
    QStringList m_opened;
    bool m_openerWorks = true;

    QString docs() const { return m_dir->filePath("Документы"); }
    QStringList filesInDocs() const
    {
        return QDir(docs()).entryList({"*.xlsx"}, QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Writes, shows, and hands back the one file that showing saved.
    QString showAndTakeFile()
    {
        const qsizetype before = m_sheet->savedFiles().size();
        m_sheet->setSpreadsheetVisible(true);
        if (m_sheet->savedFiles().size() != before + 1)
            return QString();
        return m_sheet->savedFiles().last();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_notes = std::make_unique<RecordingNotifier>();
        m_sheet = std::make_unique<Spreadsheet>(m_notes.get());
        m_sheet->setFolder(docs());
        m_opened.clear();
        m_openerWorks = true;
        m_sheet->setOpener([this](const QString &path) {
            m_opened << path;
            return m_openerWorks;
        });
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // An export's pattern: headings, rows written out of order, Cyrillic,
    // an overwritten cell and an empty text that leaves its cell empty.
    void sheetReadsBackCellForCell()
    {
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        QCOMPARE(m_sheet->writeCell(1, 1, 3, "КН-230"), 1);
        QCOMPARE(m_sheet->writeCell(1, 3, 3, "Заготовки"), 1);
        const QStringList heading{"Наименование", "Операция", "Вид продукции"};
        for (int c = 0; c < heading.size(); ++c)
            QCOMPARE(m_sheet->writeCell(1, c + 1, 1, heading[c]), 1);
        QCOMPARE(m_sheet->writeCell(1, 1, 2, "КР-100"), 1);
        QCOMPARE(m_sheet->writeCell(1, 2, 2, "Резка"), 1);
        QCOMPARE(m_sheet->writeCell(1, 2, 2, "Резка (цвет: 5)"), 1);
        QCOMPARE(m_sheet->writeCell(1, 3, 2, "Готовая продукция"), 1);
        QCOMPARE(m_sheet->writeCell(1, 2, 3, QString()), 1);

        const QString file = showAndTakeFile();
        QVERIFY(!file.isEmpty());
        QCOMPARE(m_opened, QStringList{file});
        QVERIFY(m_notes->shown.isEmpty());
        const QList<QStringList> rows = readBack(file);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], heading);
        QCOMPARE(rows[1], (QStringList{"КР-100", "Резка (цвет: 5)", "Готовая продукция"}));
        QCOMPARE(rows[2], (QStringList{"КН-230", "", "Заготовки"}));
    }

    // A text that the user's locale reads as a number becomes a number
    // cell; "@" keeps it a text, also for later plain writes.
    void numbersAndTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("asText");
        QTest::addColumn<bool>("number");
        QTest::addColumn<QString>("readBack");

        QTest::newRow("comma decimal, Russian") << "ru_RU" << "12,5" << false << true << "12.5";
        QTest::newRow("point is no decimal, Russian") << "ru_RU" << "12.5" << false << false << "12.5";
        QTest::newRow("point decimal, English") << "en_US" << "12.5" << false << true << "12.5";
        QTest::newRow("whole") << "ru_RU" << "1440" << false << true << "1440";
        QTest::newRow("negative") << "ru_RU" << "-3" << false << true << "-3";
        QTest::newRow("leading zeros dropped") << "ru_RU" << "007" << false << true << "7";
        QTest::newRow("leading zeros kept as text") << "ru_RU" << "007" << true << false << "007";
        QTest::newRow("decimal kept as text") << "ru_RU" << "12,5" << true << false << "12,5";
        QTest::newRow("word") << "ru_RU" << "Итого" << false << false << "Итого";
        QTest::newRow("not a finite number") << "en_US" << "inf" << false << false << "inf";
        QTest::newRow("formula-like text") << "ru_RU" << "=1+1" << false << false << "=1+1";
    }
    void numbersAndTexts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, asText);
        QFETCH(bool, number);
        QFETCH(QString, readBack);
        QLocale::setDefault(QLocale(locale));

        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        QCOMPARE(m_sheet->writeCellFormatted(1, 1, 1, text, asText, false, false), 1);
        // The same text again, plain, into a cell formatted before.
        QCOMPARE(m_sheet->writeCellFormatted(1, 2, 1, "x", asText, false, false), 1);
        QCOMPARE(m_sheet->writeCell(1, 2, 1, text), 1);
        const QString file = showAndTakeFile();
        QVERIFY(!file.isEmpty());

        QCOMPARE(::readBack(file), (QList<QStringList>{{readBack, readBack}}));
        const SheetXml xml = SheetXml::load(file);
        for (const char *ref : {"A1", "B1"}) {
            QCOMPARE(xml.isText(ref), !number);
            QCOMPARE(xml.textFormat(ref), asText);
        }
    }

    // The hours sheet's pattern: bold headings, auto-fitted columns.
    void boldAndAutoFit()
    {
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->setSpreadsheetVisible(false);
        m_sheet->writeCellFormatted(1, 1, 1, "Фамилия И.О.", true, true, true);
        m_sheet->writeCellFormatted(1, 1, 2, "Константинопольский К.К.", true, true, false);
        m_sheet->writeCellFormatted(1, 2, 1, "31", false, true, true);
        m_sheet->writeCellFormatted(1, 2, 2, "8", false, true, false);
        // Written without auto-fit: the column keeps its default width.
        m_sheet->writeCell(1, 3, 1, "Итого за месяц по всем сменам");
        // Auto-fit measures the whole column, not only its own cell.
        m_sheet->writeCell(1, 4, 1, "Длинный текст без подгонки");
        m_sheet->writeCellFormatted(1, 4, 2, "1", false, true, false);
        // Bold follows the flag, also back to plain.
        m_sheet->writeCellFormatted(1, 5, 1, "жирный", false, false, true);
        m_sheet->writeCellFormatted(1, 5, 1, "обычный", false, false, false);
        // A plain write keeps the font.
        m_sheet->writeCellFormatted(1, 5, 2, "был жирный", false, false, true);
        m_sheet->writeCell(1, 5, 2, "остался жирный");
        QVERIFY(m_sheet->savedFiles().isEmpty());
        const QString file = showAndTakeFile();
        QVERIFY(!file.isEmpty());
        QVERIFY(m_notes->shown.isEmpty());

        const SheetXml xml = SheetXml::load(file);
        QVERIFY(xml.bold("A1"));
        QVERIFY(!xml.bold("A2"));
        QVERIFY(xml.bold("B1"));
        QVERIFY(!xml.bold("E1"));
        QVERIFY(xml.bold("E2"));
        QVERIFY(xml.textFormat("A1"));
        QVERIFY(!xml.isText("B1"));

        const double nameWidth = QString("Константинопольский К.К.").size();
        QVERIFY2(xml.widths.value(1) >= nameWidth && xml.widths.value(1) < nameWidth * 1.5,
                 qPrintable(QString::number(xml.widths.value(1))));
        QVERIFY(xml.widths.value(2) > 0 && xml.widths.value(2) < 5);
        QVERIFY(!xml.widths.contains(3));
        QVERIFY(xml.widths.value(4) >= QString("Длинный текст без подгонки").size());
        QCOMPARE(::readBack(file)[1][0], QString("Константинопольский К.К."));
    }

    // On the department's Russian desktops the C library writes numbers
    // with a comma; the workbook must still hold numbers and widths as a
    // spreadsheet reads them.
    void numbersWithAPointOnARussianDesktop()
    {
        CommaLocale russian;
        if (!russian.active())
            QSKIP("no locale with a decimal comma can be set up here");
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        QCOMPARE(m_sheet->writeCellFormatted(1, 1, 1, "12,5", false, true, false), 1);
        QCOMPARE(m_sheet->writeCell(1, 2, 1, "Итого"), 1);
        const QString file = showAndTakeFile();
        QVERIFY(!file.isEmpty());
        QCOMPARE(::readBack(file), (QList<QStringList>{{"12.5", "Итого"}}));
        const SheetXml xml = SheetXml::load(file);
        QVERIFY(!xml.isText("A1"));
        QVERIFY2(xml.widths.value(1) > 0, "the fitted width reads as a number");
    }

    void writeFailures_data()
    {
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("formatted");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("caption");

        const QString wrongSheet = "Ошибочный номер листа Microsoft Excel";
        const QString cell = "Ошибка Microsoft Excel";
        const QString x = "x";
        QTest::newRow("no workbook") << false << false << 1 << 1 << 1 << x << -1 << wrongSheet;
        QTest::newRow("second sheet") << true << false << 2 << 3 << 4 << x << -1 << wrongSheet;
        QTest::newRow("sheet 0, formatted") << true << true << 0 << 1 << 1 << x << -1 << wrongSheet;
        QTest::newRow("sheet before cell") << true << false << 2 << 0 << 0 << x << -1 << wrongSheet;
        QTest::newRow("column 0") << true << false << 1 << 0 << 5 << x << -1 << cell;
        QTest::newRow("row 0, formatted") << true << true << 1 << 5 << 0 << x << -1 << cell;
        QTest::newRow("column beyond the sheet") << true << false << 1 << 16385 << 1 << x << -1 << cell;
        QTest::newRow("row beyond the sheet") << true << true << 1 << 1 << 1048577 << x << -1 << cell;
        QTest::newRow("text too long") << true << false << 1 << 2 << 2 << QString(32768, 'a') << -1 << cell;
        QTest::newRow("last cell of the sheet") << true << false << 1 << 16384 << 1048576 << x << 1 << "";
        QTest::newRow("longest text") << true << true << 1 << 1 << 1 << QString(32767, 'a') << 1 << "";
        QTest::newRow("empty text, no workbook") << false << false << 7 << 0 << 0 << "" << 1 << "";
        QTest::newRow("empty text, bad cell") << true << true << 1 << -1 << -1 << "" << 1 << "";
    }
    void writeFailures()
    {
        QFETCH(bool, opened);
        QFETCH(bool, formatted);
        QFETCH(int, sheet);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(int, result);
        QFETCH(QString, caption);

        if (opened)
            QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        const int got = formatted ? m_sheet->writeCellFormatted(sheet, column, row, text, true, true, true)
                                  : m_sheet->writeCell(sheet, column, row, text);
        QCOMPARE(got, result);
        QStringList expected;
        if (!caption.isEmpty())
            expected << QString("%1|Ошибка при записи: лист %2, столбец %3, строка %4")
                            .arg(caption)
                            .arg(sheet)
                            .arg(column)
                            .arg(row);
        QCOMPARE(m_notes->shown, expected);
    }

    // A failed write undoes nothing and does not stop the next ones.
    void failedWriteKeepsTheRest()
    {
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        QCOMPARE(m_sheet->writeCell(1, 1, 1, "до"), 1);
        QCOMPARE(m_sheet->writeCell(2, 1, 1, "мимо"), -1);
        QCOMPARE(m_sheet->writeCell(1, 0, 1, "мимо"), -1);
        QCOMPARE(m_sheet->writeCell(1, 2, 1, "после"), 1);
        QCOMPARE(m_notes->shown.size(), 2);
        const QString file = showAndTakeFile();
        QCOMPARE(readBack(file), (QList<QStringList>{{"до", "после"}}));
    }

    void openFailures_data()
    {
        QTest::addColumn<bool>("startedBefore");
        QTest::addColumn<bool>("folderUsable");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("messages");

        const QString cannotStart = "Ошибка|Невозможно открыть Microsoft Excel.";
        const QString openFailed = "Ошибка|Ошибка открытия файла Microsoft Excel.";
        QTest::newRow("folder cannot be made") << false << false << "" << QStringList{cannotStart, openFailed};
        QTest::newRow("folder lost after start") << true << false << "" << QStringList{openFailed};
        QTest::newRow("existing workbook asked for") << false << true << "/tmp/книга.xlsx"
                                                     << QStringList{openFailed};
        QTest::newRow("both") << false << false << "книга.xlsx" << QStringList{cannotStart, openFailed};
    }
    void openFailures()
    {
        QFETCH(bool, startedBefore);
        QFETCH(bool, folderUsable);
        QFETCH(QString, fileName);
        QFETCH(QStringList, messages);

        if (startedBefore)
            QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        if (!folderUsable) {
            // A file where the folder should be: no user, root included,
            // can make a folder there.
            QDir(docs()).removeRecursively();
            QFile block(docs());
            QVERIFY(block.open(QIODevice::WriteOnly));
        }
        QCOMPARE(m_sheet->openSpreadsheet(fileName), -1);
        QCOMPARE(m_notes->shown, messages);
        // Writes then find no new workbook.
        if (!startedBefore)
            QCOMPARE(m_sheet->writeCell(1, 1, 1, "x"), -1);
        m_sheet->setSpreadsheetVisible(true);
        QVERIFY(m_sheet->savedFiles().isEmpty());
        QVERIFY(m_opened.isEmpty());
    }

    void missingFolderIsMade()
    {
        m_sheet->setFolder(m_dir->filePath("нет/такой/папки"));
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        QVERIFY(QFileInfo(m_dir->filePath("нет/такой/папки")).isDir());
    }

    void visibleDoesNothingWithoutHandle()
    {
        m_sheet->setSpreadsheetVisible(true);
        m_sheet->setSpreadsheetVisible(false);
        QVERIFY(m_notes->shown.isEmpty());
        QVERIFY(m_opened.isEmpty());
        QVERIFY(!QFileInfo::exists(docs()) || filesInDocs().isEmpty());
    }

    // A save that fails keeps the workbook for the next showing.
    void failedSaveKeepsTheWorkbook()
    {
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->writeCell(1, 1, 1, "сохранить");
        QDir(docs()).removeRecursively();
        QFile block(docs());
        QVERIFY(block.open(QIODevice::WriteOnly));
        m_sheet->setSpreadsheetVisible(true);
        QCOMPARE(m_notes->shown, QStringList{"Ошибка|Ошибка открытия файла Microsoft Excel."});
        QVERIFY(m_sheet->savedFiles().isEmpty());
        QVERIFY(m_opened.isEmpty());

        QVERIFY(block.remove());
        const QString file = showAndTakeFile();
        QVERIFY(!file.isEmpty());
        QCOMPARE(readBack(file), (QList<QStringList>{{"сохранить"}}));
        QCOMPARE(m_notes->shown.size(), 1);
    }

    void noProgramToOpenTellsWhereTheFileIs()
    {
        m_openerWorks = false;
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->writeCell(1, 1, 1, "x");
        const QString file = showAndTakeFile();
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(m_notes->shown.isEmpty());
        QCOMPARE(m_notes->notices.size(), 1);
        QVERIFY2(m_notes->notices[0].contains(QDir::toNativeSeparators(file)),
                 qPrintable(m_notes->notices[0]));
    }

    // Each workbook gets a file of its own, saved once, in the documents
    // folder; nothing is overwritten, and no temporary file stays.
    void eachWorkbookGetsItsOwnFile()
    {
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->writeCell(1, 1, 1, "первая");
        const QString first = showAndTakeFile();
        m_sheet->setSpreadsheetVisible(true);
        QCOMPARE(m_sheet->savedFiles().size(), 1);

        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->writeCell(1, 1, 1, "вторая");
        // A workbook never shown stays open, as in a hidden application,
        // and is shown with the next one.
        QCOMPARE(m_sheet->openSpreadsheet(QString()), 1);
        m_sheet->writeCell(1, 1, 1, "третья");
        m_sheet->setSpreadsheetVisible(true);

        const QStringList saved = m_sheet->savedFiles();
        QCOMPARE(saved.size(), 3);
        QCOMPARE(saved[0], first);
        QCOMPARE(m_opened, saved);
        QCOMPARE(filesInDocs().size(), 3);
        const QStringList expected{"первая", "вторая", "третья"};
        for (int i = 0; i < 3; ++i) {
            const QFileInfo info(saved[i]);
            QCOMPARE(info.absolutePath(), QDir(docs()).absolutePath());
            QVERIFY2(info.fileName().startsWith("Книга ") && info.fileName().endsWith(".xlsx"),
                     qPrintable(info.fileName()));
            QCOMPARE(readBack(saved[i]), (QList<QStringList>{{expected[i]}}));
        }
    }
};

QTEST_GUILESS_MAIN(SpreadsheetTest)
#include "test_spreadsheet.moc"
