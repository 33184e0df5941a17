// The banded report engine as data: which bands land on which page, what
// the totals say, how values are written; and a smoke test of painting.
#include "reports/bandreport.h"
#include "reports/layouts.h"
#include "reports/reportformat.h"
#include "reports/reportpainter.h"

#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabel;
using namespace tabel::report;

namespace {

RowSet rowsOf(const QStringList &columns, const QVector<QVector<QVariant>> &rows)
{
    RowSet set;
    set.columns = columns;
    set.rows = rows;
    return set;
}

// Texts of one band's boxes on a page, in element order.
QStringList textsOf(const Document &doc, int page, int band)
{
    QStringList out;
    for (const Box &b : doc.pages[page].boxes)
        if (b.band == band)
            out << b.text;
    return out;
}

// Bands in print order across the whole document, as "page:band".
QStringList sequence(const Document &doc, bool withPageFooters = false)
{
    QStringList out;
    const int footer = doc.layout.bandOf(Band::Kind::PageFooter);
    for (size_t p = 0; p < doc.pages.size(); ++p)
        for (const PlacedBand &b : doc.pages[p].bands)
            if (withPageFooters || b.band != footer)
                out << QStringLiteral("%1:%2").arg(p + 1).arg(b.band);
    return out;
}

// All texts of a band across the document, one string per printing.
QStringList printings(const Document &doc, int band, int element)
{
    QStringList out;
    for (const Page &page : doc.pages)
        for (const Box &b : page.boxes)
            if (b.band == band && b.element == element)
                out << b.text;
    return out;
}

// The worker summary's rows: two workers, two products, colours 1, 5 and
// none, and one blank among finished products.
RowSet summaryRows()
{
    const QStringList cols = {"fio", "kolvo", "summa", "vid", "nom", "naimen", "color"};
    return rowsOf(cols, {
                            {"Иванов", 10LL, 12.5, "Гибка", "КН-230", 0, 1},
                            {"Иванов", 4LL, 2.25, "Резка", "КН-230", 1, 5},
                            {"Иванов", 3LL, 1.0, "Резка", "КР-100", 0, QVariant()},
                            {"Петров", 7LL, 7.0, "Гибка", "КР-100", 0, 0},
                        });
}

class ReportEngineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void numberFormats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("three decimals") << 1234.5 << "#0.000" << "1234,500";
        QTest::newRow("two decimals") << 1234.5 << "#0.00" << "1234,50";
        QTest::newRow("whole, down") << 12.4 << "#0" << "12";
        QTest::newRow("whole, half up") << 12.5 << "#0" << "13";
        QTest::newRow("tie on the decimal text") << 1.005 << "#0.00" << "1,01";
        QTest::newRow("carry into the integer") << 9.9999 << "#0.000" << "10,000";
        QTest::newRow("below one keeps its zero") << 0.25 << "#0.00" << "0,25";
        QTest::newRow("negative") << -2.345 << "#0.00" << "-2,35";
        QTest::newRow("negative rounding to zero") << -0.0004 << "#0.000" << "0,000";
        QTest::newRow("no grouping") << 1234567.0 << "#0.00" << "1234567,00";
        QTest::newRow("general drops trailing zeros") << 2.50 << "" << "2,5";
        QTest::newRow("general whole") << 1200.0 << "" << "1200";
        QTest::newRow("general, float noise gone") << 0.1 + 0.2 << "" << "0,3";
        QTest::newRow("general, 15 digits") << 123456789.123456789 << "" << "123456789,123457";
        QTest::newRow("general zero") << 0.0 << "" << "0";
        QTest::newRow("general large, no exponent") << 1e16 << "" << "10000000000000000";
    }
    void numberFormats()
    {
        QFETCH(double, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(totalText(value, format), text);
    }

    void separatorFollowsTheSystem()
    {
        QLocale::setDefault(QLocale::c());
        QCOMPARE(fixed(1234.5, 3), QString("1234.500"));
        QCOMPARE(general(0.5), QString("0.5"));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void fieldTexts_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("null is empty") << QVariant() << "" << "";
        QTest::newRow("null with a format is empty") << QVariant() << "#0.00" << "";
        QTest::newRow("whole") << QVariant(42LL) << "" << "42";
        QTest::newRow("decimal") << QVariant(3.75) << "" << "3,75";
        QTest::newRow("formatted") << QVariant(3.75) << "#0.000" << "3,750";
        QTest::newRow("text") << QVariant("КН-230") << "" << "КН-230";
    }
    void fieldTexts()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(fieldText(value, format), text);
    }

    void computedTexts_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("colour");
        QTest::newRow("0") << QVariant(0) << "Готовая продукция" << " ";
        QTest::newRow("1") << QVariant(1) << "Заготовки" << " (грунт)";
        QTest::newRow("7") << QVariant(7LL) << "Заготовки" << " (RAL: 7)";
        QTest::newRow("negative") << QVariant(-3) << "Заготовки" << " ";
        QTest::newRow("null") << QVariant() << "Заготовки" << " ";
    }
    void computedTexts()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, kind);
        QFETCH(QString, colour);
        QCOMPARE(kindText(value), kind);
        QCOMPARE(colourSuffix(value), colour);
    }

    // Footers innermost first, then headers outermost first; each footer's
    // sums cover exactly its group; the report's total covers everything.
    void groupsAndTotals()
    {
        const Document doc = render(workerSummaryLayout(), summaryRows(), {}, "T");
        QCOMPARE(doc.pages.size(), size_t(1));
        QCOMPARE(sequence(doc), QStringList({"1:0", "1:1",            // title, strip
                                             "1:2", "1:3", "1:4", "1:4", "1:5", // Иванов, КН-230
                                             "1:3", "1:4", "1:5", "1:6",         // КР-100, worker
                                             "1:2", "1:3", "1:4", "1:5", "1:6", // Петров
                                             "1:7"}));
        QCOMPARE(printings(doc, 2, 0), QStringList({"Иванов", "Петров"}));
        QCOMPARE(printings(doc, 3, 0), QStringList({"КН-230", "КР-100", "КР-100"}));
        // Product footers: quantity and amount per product of a worker.
        QCOMPARE(printings(doc, 5, 0), QStringList({"14", "3", "7"}));
        QCOMPARE(printings(doc, 5, 1), QStringList({"14,750", "1,000", "7,000"}));
        // Worker footers cover both products; the grand total all rows.
        QCOMPARE(printings(doc, 6, 0), QStringList({"15,75", "7,00"}));
        QCOMPARE(textsOf(doc, 0, 7), QStringList({"Итого:", "22,75"}));
        // Detail texts: kind, operation, colour suffix, quantity, amount.
        QCOMPARE(printings(doc, 4, 0),
                 QStringList({"Готовая продукция", "Заготовки", "Готовая продукция", "Готовая продукция"}));
        QCOMPARE(printings(doc, 4, 2), QStringList({" (грунт)", " (RAL: 5)", " ", " "}));
        QCOMPARE(printings(doc, 4, 4), QStringList({"12,500", "2,250", "1,000", "7,000"}));
        QCOMPARE(textsOf(doc, 0, 0), QStringList({"T"}));
        QCOMPARE(textsOf(doc, 0, 8), QStringList({"1"}));
    }

    // A filtered-out row counts nowhere: not in details, groups or totals.
    void filterLimitsEverything()
    {
        const RowPredicate finished = [](const RowSet &rows, int row) {
            return rows.value(row, "naimen").toInt() == 0;
        };
        const Document doc = render(workerSummaryLayout(), summaryRows(), finished, "T");
        QCOMPARE(printings(doc, 4, 0).contains("Заготовки"), false);
        QCOMPARE(printings(doc, 5, 0), QStringList({"10", "3", "7"}));
        QCOMPARE(textsOf(doc, 0, 7), QStringList({"Итого:", "20,50"}));

        const RowPredicate none = [](const RowSet &, int) { return false; };
        const Document empty = render(workerSummaryLayout(), summaryRows(), none, "T");
        QCOMPARE(sequence(empty), QStringList({"1:0", "1:1", "1:7"}));
    }

    // No rows still give one page: the title, zero totals, the page number.
    void emptyResult_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("grandTotals");
        QTest::newRow("worker summary") << 0 << QStringList({"Итого:", "0,00"});
        QTest::newRow("product summary") << 1 << QStringList({"Итого:", "0", "0"});
        QTest::newRow("worker detail") << 2 << QStringList({"Итого:", "0", "0", "0,00"});
        QTest::newRow("product detail") << 3 << QStringList({"Итого:", "0", "0", "0", "0,00"});
    }
    void emptyResult()
    {
        QFETCH(int, which);
        QFETCH(QStringList, grandTotals);
        const Layout layouts[] = {workerSummaryLayout(), productSummaryLayout(),
                                  workerDetailLayout(), productDetailLayout()};
        const Layout &l = layouts[which];
        const Document doc = render(l, RowSet{}, {}, "   Отчет");
        QCOMPARE(doc.pages.size(), size_t(1));
        const int title = l.bandOf(Band::Kind::Title);
        const int footer = l.bandOf(Band::Kind::TitleFooter);
        QCOMPARE(textsOf(doc, 0, title).first(), QString("   Отчет"));
        QCOMPARE(textsOf(doc, 0, footer), grandTotals);
        QCOMPARE(textsOf(doc, 0, l.bandOf(Band::Kind::PageFooter)), QStringList({"1"}));
    }

    // A product group that begins too low for its header and footer starts
    // on the next page; a long group breaks between details, the page
    // footer is on every page and the totals run on across the break.
    void pagination()
    {
        const QStringList cols = {"kolvo", "vid", "nom", "naimen", "color", "mass"};
        QVector<QVector<QVariant>> rows;
        // 60 rows of product A, then one of B: page 1 holds 255 mm of
        // bands; 8.2 (title) + 5.3 (header) + 60 × 4.2 = 265.5 overflows.
        for (int i = 0; i < 60; ++i)
            rows.push_back({1LL, "Гибка", "A", 0, 0, 0.5});
        rows.push_back({2LL, "Гибка", "B", 0, 0, 1.0});
        const Layout l = productSummaryLayout();
        const Document doc = render(l, rowsOf(cols, rows), {}, "T");
        QCOMPARE(doc.pages.size(), size_t(2));
        // Page footers at the bottom of both pages, numbered.
        for (int p = 0; p < 2; ++p) {
            const PlacedBand &last = doc.pages[p].bands.back();
            QCOMPARE(last.band, 6);
            QCOMPARE(last.top, 277.0 - 4.2);
            QCOMPARE(textsOf(doc, p, 6), QStringList({QString::number(p + 1)}));
        }
        // Every band ends above the page footer.
        for (const Page &page : doc.pages)
            for (const PlacedBand &b : page.bands)
                if (b.band != 6)
                    QVERIFY(b.top + l.bands[b.band].height <= 277.0 - 4.2 + 1e-9);
        // The group of A goes on without a new header; its footer sums all
        // 60 rows.
        QCOMPARE(printings(doc, 2, 0), QStringList({"A", "B"}));
        QCOMPARE(printings(doc, 4, 1), QStringList({"60", "2"}));
        QCOMPARE(printings(doc, 4, 0), QStringList({"30", "1"}));
        QCOMPARE(textsOf(doc, 1, 5), QStringList({"Итого:", "31", "62"}));
    }

    void groupHeaderKeptWithItsFooter()
    {
        // The first group fills page 1 to leave room for a header but not
        // for a header and a footer: the next group starts on page 2.
        const QStringList cols = {"kolvo", "vid", "nom", "naimen", "color", "mass"};
        const Layout l = productSummaryLayout();
        // 8.2 title + 5.3 header + n × 4.2 + 5.3 footer; space left after
        // the first group must be < 10.6 and >= 5.3.
        const double room = 277.0 - 4.2;
        int n = 0;
        while (8.2 + 5.3 + (n + 1) * 4.2 + 5.3 <= room - 5.3)
            ++n;
        const double left = room - (8.2 + 5.3 + n * 4.2 + 5.3);
        QVERIFY2(left >= 5.3 && left < 10.6, qPrintable(QString::number(left)));
        QVector<QVector<QVariant>> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back({1LL, "Гибка", "A", 0, 0, 0.5});
        rows.push_back({1LL, "Гибка", "B", 0, 0, 0.5});
        const Document doc = render(l, rowsOf(cols, rows), {}, "T");
        QCOMPARE(doc.pages.size(), size_t(2));
        QCOMPARE(doc.pages[1].bands.front().band, 2);
        QCOMPARE(doc.pages[1].bands.front().top, 0.0);
    }

    // The hours sheet repeats its heading on every page and keeps each
    // worker's row with room for a heading; null days print empty and
    // count as nothing in the row total.
    void hoursSheet()
    {
        QStringList cols = {"fio"};
        for (int d = 1; d <= 31; ++d)
            cols << QStringLiteral("sd%1").arg(d);
        QVector<QVector<QVariant>> rows;
        for (int w = 0; w < 40; ++w) {
            QVector<QVariant> r(32);
            r[0] = QStringLiteral("Рабочий %1").arg(w, 2, 10, QChar('0'));
            r[1] = 8LL;
            r[31] = 7.5;
            rows.push_back(r);
        }
        const Layout l = hoursSheetLayout();
        const Document doc = render(l, rowsOf(cols, rows), {}, "Март 2026 г.");
        // 190 - 4.5 = 185.5 mm; heading 6.6; rows of 6.3 kept with a
        // heading's 6.6: 27 rows on a page.
        QCOMPARE(doc.pages.size(), size_t(2));
        for (const Page &page : doc.pages) {
            QCOMPARE(page.bands.front().band, 0);
            QCOMPARE(page.bands.front().top, 0.0);
        }
        QCOMPARE(textsOf(doc, 1, 0).first(), QString("Март 2026 г."));
        QCOMPARE(textsOf(doc, 0, 0).mid(1, 3), QStringList({"1", "2", "3"}));
        const QStringList first = textsOf(doc, 0, 1).mid(0, 33);
        QCOMPARE(first.at(0), QString("Рабочий 00"));
        QCOMPARE(first.at(1), QString("8"));
        QCOMPARE(first.at(2), QString(""));
        QCOMPARE(first.at(31), QString("7,5"));
        QCOMPARE(first.at(32), QString("15,5"));
        QCOMPARE(textsOf(doc, 1, 2), QStringList({"2"}));
        // Heading until the caller sets the month.
        QCOMPARE(textsOf(render(l, RowSet{}), 0, 0).first(), QString("Данные за:"));
    }

    // Keys and titles grow to their text; fixed fields keep their width.
    void growingAndFixedWidths()
    {
        const QString longName = QString("Константинопольский-Многофамильный Александр Вячеславович");
        const RowSet rows = rowsOf({"fio", "marka", "vid", "naimen", "kolvo", "brk", "summa", "color"},
                                   {{longName, QString(200, 'W'), "Гибка", 0, 1LL, 0LL, 1.0, 0}});
        const Document doc = render(workerDetailLayout(), rows, {}, "T");
        for (const Box &b : doc.pages[0].boxes) {
            if (b.band == 2)
                QVERIFY(b.rect.width() > 80 && b.rect.width() < 190);
            if (b.band == 3 && b.element == 0)
                QCOMPARE(b.rect.width(), 41.0);
        }
    }

    // Painting: a PDF whose text is the document's.
    void paintsAPdf()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        const Document doc = render(workerSummaryLayout(), summaryRows(), {}, "   Отчет по рабочим");
        QVERIFY(writePdf(doc, pdf));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *t : {"Отчет по рабочим", "Иванов", "Петров", "(RAL: 5)", "(грунт)", "22,75", "Итого:"})
            QVERIFY2(text.contains(QString::fromUtf8(t)), t);
    }

    // Texts the report faces do not hold (a rouble sign, a line break in a
    // name) are still written, and every text reads back; a value cut to
    // its width, a growing caption and the layout's name as the title.
    void pdfOfAnyText()
    {
        Layout l;
        l.name = QStringLiteral("Проба");
        Band detail;
        detail.kind = Band::Kind::Detail;
        detail.height = 6;
        Element name;
        name.kind = Element::Kind::Field;
        name.field = "fio";
        name.x = 0;
        name.width = 0; // grows
        name.font = Font{"Arial", 9, true};
        Element sum = name;
        sum.field = "summa";
        sum.x = 120;
        sum.width = 12; // too narrow for the longest value: cut
        sum.align = Align::Right;
        sum.font = Font{"MS Sans Serif", 8, false};
        detail.elements = {name, sum};
        l.bands = {detail};
        const RowSet rows = rowsOf({"fio", "summa"}, {{"Иванов Иван\nИванович", "1 250 ₽"},
                                                     {"Ёлкина Æsa", "123456789012345678"},
                                                     {"AVATAR Wa To", "Итого"}});
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        QVERIFY(writePdf(render(l, rows), pdf));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *t : {"Иванов Иван Иванович", "1 250 ₽", "Ёлкина Æsa", "AVATAR Wa To", "Итого"})
            QVERIFY2(text.contains(QString::fromUtf8(t)), qPrintable(QString::fromUtf8(t) + " in:\n" + text));
        QVERIFY(text.contains("12345678"));
        p.start("pdfinfo", {pdf});
        QVERIFY(p.waitForFinished(30000));
        const QString info = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(info.contains(QRegularExpression("Title:\\s+Проба")), qPrintable(info));
        QVERIFY(info.contains(QRegularExpression("Pages:\\s+1\\b")));
    }
};

} // namespace

QTEST_MAIN(ReportEngineTest)
#include "test_reportengine.moc"
