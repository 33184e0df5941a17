// The period reports, the printed hours sheet and the summary reports
// window against a real server: the statements run, each layout's texts
// and totals read back from its PDF, the kind filter, the export read back
// from the saved workbook, the preset period and the roles.
#include "app/controlnames.h"
#include "app/startup.h"
#include "journal/journalwindow.h"
#include "data/datamodule.h"
#include "fixtures.h"
#include "modal.h"
#include "recording.h"
#include "reports/periodreports.h"
#include "reports/reportpainter.h"
#include "reports/reportqueries.h"
#include "reports/reportswindow.h"
#include "reports/spreadsheet.h"
#include "testdb.h"

#include <QDateEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QGroupBox>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabel;
using namespace tabel::test;
using reports::PeriodReport;
using reports::ProductKind;

namespace {

const reports::Period march{QDate(2026, 3, 1), QDate(2026, 4, 1)};

QString pdfText(const report::Document &doc)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("r.pdf");
    if (!report::writePdf(doc, pdf))
        return QString();
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    // Runs of blanks say nothing about the content.
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

QList<QStringList> readBack(const QString &path)
{
    QProcess p;
    p.start("xlsx2csv", {"-d", "tab", path});
    p.waitForFinished(30000);
    QList<QStringList> rows;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        rows << line.split('\t');
    return rows;
}

class ReportsTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_dm;

    void run(const QString &sql) { m_dm->execute("fixture", sql); }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        m_db = std::make_unique<TestDatabase>();
        m_dm = m_db->connect("reports-test");
        loadShop(*m_dm);
        addProductClasses(*m_dm);
        // Worker 1 is also known to the register by his code, with blanks
        // around it as another system wrote it.
        run("insert into cmn_contractor.person(id, s_caption, s_code) values "
            "(101, 'Иванов И.И.', ' 1 ')");
        run("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, massa, id_class_item, id_msm_bs) "
            "values (503, 'ПР-40', 0.2, 11, 6)");
        run("insert into accounts_dep.oper(id, vid, naimen, i_id) values (13, 1, 0, 503)");
        // Иванов: a primed finished cut and a blank painted in colour 5;
        // Петров: a profile cut without colour; one entry after the period.
        addEntry(*m_dm, {.worker = 1, .oper = 11, .product = 501, .date = QDate(2026, 3, 2),
                         .quantity = 10, .rejects = 1, .price = 2.5, .color = 1});
        addEntry(*m_dm, {.worker = 1, .oper = 12, .product = 502, .date = QDate(2026, 3, 31),
                         .quantity = 20, .price = 1.25, .color = 5});
        const int nullColour = addEntry(*m_dm, {.worker = 2, .oper = 13, .product = 503,
                                                .date = QDate(2026, 3, 1), .quantity = 4, .price = 3});
        run(QString("update accounts_dep.smena set color = null where id = %1").arg(nullColour));
        addEntry(*m_dm, {.worker = 2, .oper = 11, .product = 501, .date = QDate(2026, 4, 1),
                         .quantity = 6, .price = 2.5});
    }
    void cleanupTestCase()
    {
        m_dm.reset();
        m_db.reset();
    }

    // Each report's texts and totals as printed; the kind filter limits
    // details, group totals and grand totals alike.
    void printedReports_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        using L = QStringList;
        QTest::newRow("workers, all")
            << int(PeriodReport::Workers) << int(ProductKind::All)
            << L{"Отчет по рабочим за период с 01.03.2026 по 01.04.2026", "Иванов И.И.",
                 "Кронштейны Готовая продукция Резка (грунт) 9 22,500",
                 "Заготовки Покраска порошковой краской (RAL: 5) 20 25,000", "29 47,500 47,50",
                 "Петров П.П.", "Профили Готовая продукция Резка 4 12,000 4 12,000 12,00",
                 "Итого: 59,50"}
            << L{"ИП", "Подрядчик", "6 15"};
        QTest::newRow("workers, finished")
            << int(PeriodReport::Workers) << int(ProductKind::Finished)
            << L{"(грунт) 9 22,500 9 22,500 22,50", "Итого: 34,50"} << L{"Заготовки", "RAL: 5"};
        QTest::newRow("workers, blanks")
            << int(PeriodReport::Workers) << int(ProductKind::Blanks)
            << L{"Заготовки Покраска порошковой краской (RAL: 5) 20 25,000 20 25,000 25,00",
                 "Итого: 25,00"}
            << L{"Готовая продукция", "Петров"};
        QTest::newRow("products, all")
            << int(PeriodReport::Products) << int(ProductKind::All)
            << L{"Отчет по продукции за период с 01.03.2026 по 01.04.2026 Коробки Количество",
                 "Кронштейны", "Резка (грунт) 0,45 9", "(RAL: 5) 2 20", "2,45 29", "Профили",
                 "0,8 4 0,8 4", "Итого: 3 33"}
            << L{};
        QTest::newRow("worker detail, all")
            << int(PeriodReport::WorkerDetail) << int(ProductKind::All)
            << L{"Детальный отчет по рабочим за период с 01.03.2026 по 01.04.2026 Брак Количество Сумма",
                 "Иванов И.И.", "КР-100 Резка 1 Готовая продукция 1 10 22,50",
                 "КН-230 Покраска порошковой краской 5 Заготовки 0 20 25,00", "1 30 47,50",
                 "ПР-40 Резка Готовая продукция 0 4 12,00", "Итого: 1 34 59,50"}
            << L{};
        QTest::newRow("product detail, finished")
            << int(PeriodReport::ProductDetail) << int(ProductKind::Finished)
            << L{"Детальный отчет по продукции за период с 01.03.2026 по 01.04.2026 Брак Коробки Кол-во Сумма",
                 // The kind column reaches into the rejects column; the
                 // PDF's text joins them.
                 "КР-100 Резка 1 Готовая продукция", "1 0,5 10 22,500 1 0,50 10 22,50",
                 "ПР-40 Резка Готовая продукция", "0 0,8 4 12,000 0 0,80 4 12,00",
                 "Итого: 1 1,3 14 34,50"}
            << L{"Заготовки", "КН-230"};
    }
    void printedReports()
    {
        QFETCH(int, report);
        QFETCH(int, kind);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QString text =
            pdfText(reports::periodReport(*m_dm, PeriodReport(report), march, ProductKind(kind)));
        for (const QString &t : present)
            QVERIFY2(text.contains(t), qPrintable(t + "\n--- in ---\n" + text));
        for (const QString &t : absent)
            QVERIFY2(!text.contains(t), qPrintable(t + "\n--- in ---\n" + text));
    }

    // A period that ends where it starts selects nothing and still prints.
    void emptyPeriodStillPrints()
    {
        const reports::Period none{QDate(2026, 3, 5), QDate(2026, 3, 5)};
        const QString text = pdfText(reports::periodReport(*m_dm, PeriodReport::Workers, none, ProductKind::All));
        QVERIFY2(text.contains("Отчет по рабочим за период с 05.03.2026 по 05.03.2026 Итого: 0,00 1"),
                 qPrintable(text));
    }

    // The hours sheet sums every shift and kind of a worker's day; a day
    // without hours is empty and adds nothing; people whose code is not a
    // number are no workers and do not stop it.
    void hoursSheet()
    {
        run("insert into accounts_dep.h_tabel(w_id, smena, i_type, month, year, d1, d31) values "
            "(1, 1, 0, 3, 2026, 8, null), (1, 2, 0, 3, 2026, 4, 7), (2, 1, 7777, 3, 2026, null, 3)");
        const QString text = pdfText(reports::hoursSheet(*m_dm, 3, 2026, "Март 2026 г."));
        QVERIFY2(text.contains("Март 2026 г. 1 2 3"), qPrintable(text));
        QVERIFY2(text.contains("Иванов И.И. 12 7 19"), qPrintable(text));
        QVERIFY2(text.contains("Петров П.П. 3 3"), qPrintable(text));
        QVERIFY2(text.contains("31 Итого"), qPrintable(text));
    }

    // The statements as the plant's server reads them: bonus and codes.
    void statementsRun()
    {
        const Params p{{"data1", QDateTime(march.from, QTime())}, {"data2", QDateTime(march.to, QTime())}};
        const RowSet w = m_dm->select("w_Report", reports::workerDetailSql(), p);
        QCOMPARE(w.size(), 3);
        // 5 % bonus on Иванов's cut: 9 × 2.5 × 5 / 100.
        run("update accounts_dep.smena set prize = 5 where o_id = 11");
        const RowSet b = m_dm->select("w_Report", reports::workerDetailSql(), p);
        double bonus = 0;
        for (int r = 0; r < b.size(); ++r)
            bonus += b.value(r, "s_prize").toDouble();
        run("update accounts_dep.smena set prize = 0");
        QCOMPARE(bonus, 1.125);
    }

    // The window: preset period, the filter it hands over, the export.
    void presetPeriod_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("march") << QDate(2026, 3, 17) << QDate(2026, 2, 1) << QDate(2026, 3, 1);
        QTest::newRow("january") << QDate(2026, 1, 1) << QDate(2025, 12, 1) << QDate(2026, 1, 1);
        QTest::newRow("december") << QDate(2026, 12, 31) << QDate(2026, 11, 1) << QDate(2026, 12, 1);
    }
    void presetPeriod()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        Spreadsheet sheet;
        SummaryReportsWindow w(*m_dm, sheet);
        w.setKind(ProductKind::Blanks);
        onNextModal<SummaryReportsWindow>([](SummaryReportsWindow *d) { d->reject(); });
        w.openOn(today);
        QCOMPARE(w.findChild<QDateEdit *>("fromDate")->date(), from);
        QCOMPARE(w.findChild<QDateEdit *>("toDate")->date(), to);
        QCOMPARE(w.kind(), ProductKind::Blanks);
        QCOMPARE(w.windowTitle(), QString("Отчеты (8)"));
    }

    void buttonsPreviewTheirReports_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("title");
        QTest::newRow("workers") << "workersButton" << "TForm16" << "   Отчет по рабочим за период с ";
        QTest::newRow("products") << "productsButton" << "TForm17" << "   Отчет по продукции за период с ";
        QTest::newRow("worker detail") << "detailWorkersButton" << "TForm20"
                                       << "   Детальный отчет по рабочим за период с ";
        QTest::newRow("product detail") << "detailProductsButton" << "TForm21"
                                        << "   Детальный отчет по продукции за период с ";
    }
    void buttonsPreviewTheirReports()
    {
        QFETCH(QString, button);
        QFETCH(QString, layout);
        QFETCH(QString, title);
        Spreadsheet sheet;
        SummaryReportsWindow w(*m_dm, sheet);
        w.setPeriod(march);
        w.findChild<QRadioButton *>("kindFinished")->setChecked(true);
        QStringList shown;
        w.setPreviewer([&](const report::Document &doc, PreviewZoom zoom) {
            QCOMPARE(zoom, PreviewZoom::PageWidth);
            shown << doc.layout.name;
            for (const report::Box &b : doc.pages[0].boxes)
                if (doc.element(b).kind == report::Element::Kind::Variable)
                    shown << b.text;
            for (const report::Page &p : doc.pages)
                for (const report::Box &b : p.boxes)
                    if (b.text == "Заготовки")
                        shown << "blank printed";
        });
        w.findChild<QPushButton *>(button)->click();
        QCOMPARE(shown, QStringList({layout, title + "01.03.2026 по 01.04.2026"}));
    }

    // The export: headings, one row per product kind, colour texts,
    // kinds, mass and quantity; the caption counts the rows the filter
    // keeps.
    void exportSummary_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("caption");
        const QStringList primed = {"Кронштейны\tРезка (грунт)\tГотовая продукция\t0.45\t9"};
        const QStringList coloured = {"Кронштейны\tПокраска порошковой краской (цвет: 5)\tЗаготовки\t2\t20"};
        const QStringList bare = {"Профили\tРезка\tГотовая продукция\t0.8\t4"};
        QTest::newRow("all") << int(ProductKind::All) << primed + coloured + bare << "Excel (3 из 3)";
        QTest::newRow("finished") << int(ProductKind::Finished) << primed + bare << "Excel (2 из 2)";
        QTest::newRow("blanks") << int(ProductKind::Blanks) << coloured << "Excel (1 из 1)";
    }
    void exportSummary()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, rows);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        Spreadsheet sheet;
        sheet.setFolder(dir.path());
        sheet.setOpener([](const QString &) { return true; });
        SummaryReportsWindow w(*m_dm, sheet);
        w.setPeriod(march);
        w.setKind(ProductKind(kind));
        QPushButton *excel = w.findChild<QPushButton *>("excelButton");
        excel->click();
        QCOMPARE(excel->text(), caption);
        QCOMPARE(sheet.savedFiles().size(), 1);
        QList<QStringList> back = readBack(sheet.savedFiles().first());
        QCOMPARE(back.takeFirst(), QStringList({"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"}));
        QStringList got;
        for (const QStringList &r : back)
            got << r.join('\t');
        // Rows come ordered by product name only.
        got.sort();
        rows.sort();
        QCOMPARE(got, rows);
    }

    void exportOfAnEmptyPeriod()
    {
        QTemporaryDir dir;
        Spreadsheet sheet;
        sheet.setFolder(dir.path());
        sheet.setOpener([](const QString &) { return true; });
        SummaryReportsWindow w(*m_dm, sheet);
        w.setPeriod({QDate(2026, 4, 1), QDate(2026, 3, 1)});
        QPushButton *excel = w.findChild<QPushButton *>("excelButton");
        excel->click();
        QCOMPARE(excel->text(), QString("Excel (0 из 0)"));
        QCOMPARE(readBack(sheet.savedFiles().first()).size(), 1);
    }

    // No workbook: both messages, nothing written, the caption as it was
    // and the normal pointer back.
    void exportWithoutASpreadsheet()
    {
        RecordingNotifier notes;
        Spreadsheet sheet(&notes);
        sheet.setFolder("/proc/no-such-folder");
        SummaryReportsWindow w(*m_dm, sheet);
        w.setPeriod(march);
        QPushButton *excel = w.findChild<QPushButton *>("excelButton");
        excel->setText("Excel (7 из 7)");
        excel->click();
        QCOMPARE(notes.shown, QStringList({"Ошибка|Невозможно открыть Microsoft Excel.",
                                           "Ошибка|Ошибка открытия файла Microsoft Excel."}));
        QCOMPARE(excel->text(), QString("Excel (7 из 7)"));
        QVERIFY(sheet.savedFiles().isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    // What each role may use.
    void roles_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QStringList>("off");
        QTest::addColumn<bool>("finishedFixed");
        const QStringList four = {"workersButton", "productsButton", "detailWorkersButton", "excelButton"};
        QTest::newRow("reporting") << int(Role::Reporting) << QStringList() << false;
        QTest::newRow("data entry") << int(Role::DataEntry) << four << false;
        QTest::newRow("acceptance") << int(Role::Acceptance) << four + QStringList{"kindGroup"} << true;
        QTest::newRow("full access") << int(Role::FullAccess) << QStringList() << false;
    }
    void roles()
    {
        QFETCH(int, role);
        QFETCH(QStringList, off);
        QFETCH(bool, finishedFixed);
        Spreadsheet sheet;
        SummaryReportsWindow w(*m_dm, sheet);
        w.applyRole(Role(role));
        for (const char *name : {"workersButton", "productsButton", "detailWorkersButton",
                                 "detailProductsButton", "excelButton", "exitButton"})
            QCOMPARE(w.findChild<QPushButton *>(name)->isEnabled(), !off.contains(name));
        QCOMPARE(w.findChild<QGroupBox *>("kindGroup")->isEnabled(), !off.contains("kindGroup"));
        QCOMPARE(w.kind() == ProductKind::Finished, finishedFixed);
    }

    // The journal's menu opens the window with the period preset and the
    // role applied.
    void openedFromTheJournal()
    {
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        startup.session().role = Role::Acceptance;
        QStringList seen;
        auto done = onNextModal<SummaryReportsWindow>([&](SummaryReportsWindow *w) {
            seen << w->objectName() << w->findChild<QDateEdit *>("fromDate")->date().toString("dd.MM.yyyy")
                 << QString::number(w->findChild<QGroupBox *>("kindGroup")->isEnabled())
                 << QString::number(w->findChild<QRadioButton *>("kindFinished")->isChecked());
            QTest::keyClick(w, Qt::Key_Escape);
        });
        startup.journal().menuAction("actSummaryReports")->trigger();
        QVERIFY(*done);
        const QDate first(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        QCOMPARE(seen, QStringList({"TForm18", first.addMonths(-1).toString("dd.MM.yyyy"), "0", "1"}));
        clearQuitRequest();
    }

    // "Печать" of the hours timesheet previews the printed hours sheet.
    void hoursTimesheetPrints()
    {
        Startup startup({20240216, 79175});
        QVERIFY(startup.start({m_db->name(), qEnvironmentVariable("TABEL_TEST_HOST", "127.0.0.1")}));
        QString printed;
        auto preview = std::make_shared<std::shared_ptr<bool>>();
        auto sheet = onNextModal<QDialog>([&, preview](QDialog *w) {
            *preview = onNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog *p) {
                printed = p->printer()->docName();
                p->reject();
            });
            w->findChild<QPushButton *>("Button6")->click();
            w->reject();
        });
        startup.journal().menuAction("actShiftSheet")->trigger();
        QVERIFY(*sheet);
        QVERIFY(*preview && **preview);
        QCOMPARE(printed, QString("TForm15"));
        clearQuitRequest();
    }

    // A statement the server refuses reaches the default error display and
    // no preview opens.
    void databaseErrorShown()
    {
        Spreadsheet sheet;
        SummaryReportsWindow w(*m_dm, sheet);
        w.setPeriod(march);
        bool previewed = false;
        w.setPreviewer([&](const report::Document &, PreviewZoom) { previewed = true; });
        run("alter table accounts_dep.vid_oper rename column vid to vid_renamed");
        auto box = answerNextBox(QMessageBox::Ok);
        w.findChild<QPushButton *>("workersButton")->click();
        run("alter table accounts_dep.vid_oper rename column vid_renamed to vid");
        QVERIFY(box->seen);
        QCOMPARE(box->icon, QMessageBox::Critical);
        QVERIFY(!previewed);
    }
};

} // namespace

QTEST_MAIN(ReportsTest)
#include "test_reports.moc"
