// The figures of the monthly timesheet against a real server: hours,
// earnings and days of the piece-work and general sheets, a worker with
// sheet rows but no entries, the month's boundaries, and the totals under
// the grid with and without auxiliary works.
#include "data/datamodule.h"
#include "fixtures.h"
#include "journal/hoursposting.h"
#include "testdb.h"
#include "timesheets/monthsheet.h"

#include <QtTest>

using namespace tabel;
using namespace tabel::test;

namespace {

QDate mar(int day)
{
    return {2026, 3, day};
}

QString text(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("-") : v.toString();
}

// One line per worker: name, hours, earnings, hourly rate (when the sheet
// has one) and the days with hours.
QStringList linesOf(const ResultSet &sheet)
{
    QStringList out;
    for (int r = 0; r < sheet.rowCount(); ++r) {
        QString line = sheet.value(r, "fio").toString() + '|' + text(sheet.value(r, "i_time")) + '|'
            + text(sheet.value(r, "f_price"));
        if (sheet.columnIndex("average_price") >= 0)
            line += '|' + text(sheet.value(r, "average_price"));
        line += '|';
        for (int d = 1; d <= 31; ++d) {
            const qlonglong v = sheet.value(r, QStringLiteral("d%1").arg(d)).toLongLong();
            if (v != 0)
                line += QStringLiteral(" d%1=%2").arg(d).arg(v);
        }
        out << line;
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(SheetMode)

class MonthSheetTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;

    void posted(const Entry &e)
    {
        addEntry(*m_dm, e);
        HoursPosting(*m_dm).save(pieceWorkKey(e.worker, e.shift, e.date));
    }
    void postedAux(const AuxEntry &e)
    {
        addAuxEntry(*m_dm, e);
        HoursPosting(*m_dm).save(auxiliaryKey(e.worker, e.kind, e.night, e.date));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect();
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    // Worker 1 works shifts and auxiliary works in March; worker 3 has a
    // sheet row but no entry. Worker 2 is known to the plant's register
    // by code only, which these sheets do not read.
    void init()
    {
        loadShop(*m_dm);
        m_dm->execute("fixture", "insert into accounts_dep.person(id, fio) values (3, 'Сидоров Семён')");
        m_dm->execute("fixture", "insert into cmn_contractor.person(id, s_caption, s_code) values "
                                 "(3, 'Сидоров С.С.', null)");
        posted({.worker = 1, .date = mar(2), .shift = 1, .hours = 8, .quantity = 10, .price = 10});
        posted({.worker = 1, .date = mar(3), .shift = 2, .hours = 4, .quantity = 5, .rejects = 1,
                .price = 12.5});
        posted({.worker = 1, .date = QDate(2026, 2, 28), .shift = 1, .hours = 8});
        posted({.worker = 1, .date = QDate(2026, 4, 1), .shift = 1, .hours = 8});
        posted({.worker = 2, .date = mar(2), .shift = 1, .hours = 8});
        posted({.worker = 1, .date = QDate(2026, 12, 31), .shift = 3, .hours = 7, .quantity = 2,
                .price = 3});
        posted({.worker = 1, .date = QDate(2027, 1, 1), .shift = 3, .hours = 5});
        postedAux({.worker = 1, .kind = 7777, .night = 0, .date = mar(5), .hours = 3, .price = 150});
        postedAux({.worker = 1, .kind = 7778, .night = 1, .date = mar(6), .hours = 2, .price = 100});
        m_dm->execute("fixture", "insert into accounts_dep.h_tabel(w_id, smena, month, year, d10) "
                                 "values (3, 1, 3, 2026, 8)");
    }

    void sheetFigures_data()
    {
        QTest::addColumn<SheetMode>("mode");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("expected");
        // Without entries the piece-work figures are empty and the rate 0;
        // the general sheet counts each absent part as 0.
        QTest::newRow("piece-work")
            << SheetMode::PieceWork << 3 << 2026
            << QStringList{"Иванов И.И.|12|150|12.5| d2=8 d3=4", "Сидоров С.С.|-|-|0| d10=8"};
        QTest::newRow("general adds the auxiliary works")
            << SheetMode::General << 3 << 2026
            << QStringList{"Иванов И.И.|17|800| d2=8 d3=4 d5=3 d6=2", "Сидоров С.С.|0|0| d10=8"};
        QTest::newRow("December ends before the new year")
            << SheetMode::PieceWork << 12 << 2026 << QStringList{"Иванов И.И.|7|6|0.86| d31=7"};
    }
    void sheetFigures()
    {
        QFETCH(SheetMode, mode);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QStringList, expected);
        MonthSheet sheet(*m_dm);
        sheet.setMode(mode);
        sheet.load(month, year);
        QCOMPARE(linesOf(sheet.sheet()), expected);
    }

    // "Итого:" adds the shift earnings of every worker (worker 2's too) and the auxiliary earnings; a month
    // that lacks one of them still shows the other. The labels beside it
    // show their parts.
    void monthTotals_data()
    {
        QTest::addColumn<bool>("shifts");
        QTest::addColumn<bool>("auxiliary");
        QTest::addColumn<QStringList>("expected"); // all, piece, 7777, 7778
        QTest::newRow("both") << true << true << QStringList{"900", "250", "450", "200"};
        QTest::newRow("no auxiliary works") << true << false << QStringList{"250", "250", "0", "0"};
        QTest::newRow("no shift entries") << false << true << QStringList{"650", "0", "450", "200"};
        QTest::newRow("nothing") << false << false << QStringList{"0", "0", "0", "0"};
    }
    void monthTotals()
    {
        QFETCH(bool, shifts);
        QFETCH(bool, auxiliary);
        QFETCH(QStringList, expected);
        if (!shifts)
            m_dm->execute("fixture", "delete from accounts_dep.smena where data >= '01.03.2026' and "
                                     "data < '01.04.2026'");
        if (!auxiliary)
            m_dm->execute("fixture", "delete from accounts_dep.fatigue");
        MonthSheet sheet(*m_dm);
        sheet.load(3, 2026);
        const QStringList got{text(sheet.allPrice().value(0, "price")),
                              text(sheet.piecePrice().value(0, "price")),
                              text(sheet.auxiliaryPrice().value(0, "price")),
                              text(sheet.averagePrice().value(0, "price"))};
        QCOMPARE(got, expected);
    }

    void yearsWithSheetRows()
    {
        MonthSheet sheet(*m_dm);
        sheet.years().open();
        QStringList years;
        for (int r = 0; r < sheet.years().rowCount(); ++r)
            years << sheet.years().value(r, "year").toString();
        QCOMPARE(years, (QStringList{"2026", "2027"}));
    }
};

QTEST_GUILESS_MAIN(MonthSheetTest)
#include "test_monthsheet.moc"
