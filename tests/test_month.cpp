// Calendar and drawing rules of the timesheets, without a database: which
// day columns are weekends or beyond the month, the month's date range,
// how an hours cell is drawn, the year list, and the cells of the hours
// export.
#include "timesheets/hoursexport.h"
#include "timesheets/hourssheet.h"
#include "timesheets/month.h"
#include "timesheets/monthsheet.h"

#include <QtTest>

using namespace tabel;
using month::CellLook;
using month::DayKind;

class MonthTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dayKinds_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QList<int>>("weekends");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDate>("nextFirst");
        QTest::newRow("starting on a Sunday") << 3 << 2026
                                              << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29} << 31
                                              << QDate(2026, 4, 1);
        QTest::newRow("starting on a Saturday") << 8 << 2026
                                                << QList<int>{1, 2, 8, 9, 15, 16, 22, 23, 29, 30}
                                                << 31 << QDate(2026, 9, 1);
        QTest::newRow("30 days") << 4 << 2026 << QList<int>{4, 5, 11, 12, 18, 19, 25, 26} << 30
                                 << QDate(2026, 5, 1);
        QTest::newRow("February of a leap year") << 2 << 2028
                                                 << QList<int>{5, 6, 12, 13, 19, 20, 26, 27} << 29
                                                 << QDate(2028, 3, 1);
        QTest::newRow("February of a common year") << 2 << 2027
                                                   << QList<int>{6, 7, 13, 14, 20, 21, 27, 28} << 28
                                                   << QDate(2027, 3, 1);
        QTest::newRow("December ends at the new year") << 12 << 2026
                                                       << QList<int>{5, 6, 12, 13, 19, 20, 26, 27}
                                                       << 31 << QDate(2027, 1, 1);
    }
    void dayKinds()
    {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QList<int>, weekends);
        QFETCH(int, days);
        QFETCH(QDate, nextFirst);

        const auto kinds = month::dayKinds(month, year);
        QList<int> red, beyond;
        for (int k = 1; k <= 31; ++k) {
            if (kinds[k - 1] == DayKind::Weekend)
                red << k;
            if (kinds[k - 1] == DayKind::Beyond)
                beyond << k;
        }
        QCOMPARE(red, weekends);
        QList<int> expectedBeyond;
        for (int k = days + 1; k <= 31; ++k)
            expectedBeyond << k;
        QCOMPARE(beyond, expectedBeyond);

        QCOMPARE(month::firstDay(month, year), QDate(year, month, 1));
        QCOMPARE(month::nextFirstDay(month, year), nextFirst);
        // Every query of the month takes that same range.
        const Params sheet = HoursSheet::params(month, year);
        QCOMPARE(sheet.at("date1").toDate(), QDate(year, month, 1));
        QCOMPARE(sheet.at("date2").toDate(), nextFirst);
        const Params general = monthsheet::sheetParams(SheetMode::General, month, year);
        for (int i = 1; i <= 8; i += 2) {
            QCOMPARE(general.at(QStringLiteral("d_date%1").arg(i)).toDate(), nextFirst);
            QCOMPARE(general.at(QStringLiteral("d_date%1").arg(i + 1)).toDate(), QDate(year, month, 1));
        }
        QCOMPARE(general.at("i_month").toInt(), month);
        QCOMPARE(general.at("i_year").toInt(), year);
    }

    void hoursCellLook_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("ink");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("green");
        const int column = CellLook::ColumnInk, silver = CellLook::Silver,
                  invisible = CellLook::Invisible;
        const int work = int(DayKind::Workday), weekend = int(DayKind::Weekend),
                  beyond = int(DayKind::Beyond);
        QTest::newRow("0 on a workday is silver") << QVariant(0) << work << silver << false << false;
        QTest::newRow("empty counts as 0") << QVariant() << work << silver << false << false;
        QTest::newRow("0 on a weekend stays red") << QVariant(0) << weekend << column << false << false;
        QTest::newRow("1..7 drawn plainly") << QVariant(7) << work << column << false << false;
        QTest::newRow("a negative drawn plainly") << QVariant(-2) << work << column << false << false;
        QTest::newRow("8 bold, no green") << QVariant(8) << work << column << true << false;
        QTest::newRow("8 on a weekend bold and red") << QVariant(8) << weekend << column << true << false;
        QTest::newRow("9 bold on green") << QVariant(9) << work << column << true << true;
        QTest::newRow("12 on a weekend bold on green") << QVariant(12) << weekend << column << true
                                                       << true;
        QTest::newRow("a whole number read as 64 bits") << QVariant(qlonglong(16)) << work << column
                                                        << true << true;
        QTest::newRow("beyond the month nothing shows") << QVariant(9) << beyond << invisible
                                                        << false << false;
        QTest::newRow("beyond the month, empty") << QVariant() << beyond << invisible << false << false;
    }
    void hoursCellLook()
    {
        QFETCH(QVariant, value);
        QFETCH(int, day);
        QFETCH(int, ink);
        QFETCH(bool, bold);
        QFETCH(bool, green);
        const CellLook look = month::hoursCellLook(value, DayKind(day));
        QCOMPARE(int(look.ink), ink);
        QCOMPARE(look.bold, bold);
        QCOMPARE(look.moneyGreen, green);
    }

    void yearChoices_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("wanted");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("count");
        QTest::newRow("reaches the year after today") << QDate(2026, 5, 1) << 2026 << "2007" << "2027" << 21;
        QTest::newRow("next year is there in December") << QDate(2026, 12, 31) << 2027 << "2007"
                                                        << "2027" << 21;
        QTest::newRow("a year beyond is added") << QDate(2026, 5, 1) << 2031 << "2007" << "2031" << 22;
        QTest::newRow("a year before 2007 is added") << QDate(2026, 5, 1) << 1999 << "1999" << "2027"
                                                     << 22;
    }
    void yearChoices()
    {
        QFETCH(QDate, today);
        QFETCH(int, wanted);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, count);
        const QStringList years = month::yearChoices(today, wanted);
        QCOMPARE(years.first(), first);
        QCOMPARE(years.last(), last);
        QCOMPARE(years.size(), count);
        QVERIFY(years.contains(QString::number(wanted)));
    }

    void headings()
    {
        QCOMPARE(hoursPrintHeading(3, 2026), QStringLiteral("Март 2026 г."));
        QCOMPARE(hoursPrintHeading(12, 2025), QStringLiteral("Декабрь 2025 г."));
        QCOMPARE(hoursexport::title(2, 2028), QStringLiteral("Февраль 2028"));
    }

    // The export's layout does not depend on the month: 31 day columns and
    // the total in column 33.
    void exportCells()
    {
        const auto heading = hoursexport::headingCells(QStringLiteral("Февраль 2027"));
        QCOMPARE(heading.first(), (hoursexport::Cell{1, 1, "Февраль 2027", true, true}));
        QCOMPARE(heading.at(1), (hoursexport::Cell{1, 2, "Фамилия И.О.", true, true}));
        QCOMPARE(heading.at(2), (hoursexport::Cell{2, 2, "1", false, true}));
        QCOMPARE(heading.at(32), (hoursexport::Cell{32, 2, "31", false, true}));
        QCOMPARE(heading.last(), (hoursexport::Cell{33, 2, "Итого", true, true}));
        QCOMPARE(heading.size(), 34);

        RowSet rows;
        rows.columns << "fio";
        for (int d = 1; d <= 31; ++d)
            rows.columns << QStringLiteral("sd%1").arg(d);
        QVector<QVariant> worker(32);
        worker[0] = QStringLiteral("Иванов И.И.");
        worker[1] = qlonglong(8);   // day 1
        worker[31] = qlonglong(3);  // day 31, held by an old row
        rows.rows << worker;
        const auto cells = hoursexport::rowCells(rows, 0);
        QCOMPARE(cells.size(), 33);
        QCOMPARE(cells.first(), (hoursexport::Cell{1, 3, "Иванов И.И.", true, false}));
        QCOMPARE(cells.at(1).text, QStringLiteral("8"));
        QCOMPARE(cells.at(2).text, QStringLiteral("0")); // empty day
        QCOMPARE(cells.at(31), (hoursexport::Cell{32, 3, "3", false, false}));
        QCOMPARE(cells.last(), (hoursexport::Cell{33, 3, "11", false, false}));
    }
};

QTEST_GUILESS_MAIN(MonthTest)
#include "test_month.moc"
