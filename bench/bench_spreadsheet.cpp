// Times a large spreadsheet export without its query: 10,000 rows of five
// cells written, saved as .xlsx and handed to an opener that does nothing.
// Prints one line per measure with its target and exits non-zero when a
// median misses its target.
#include "reports/spreadsheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tabel;

namespace {

constexpr int rows = 10000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One row of the product summary: mark, operation and colour, kind,
// boxes as a decimal, quantity.
QStringList row(int i)
{
    return {QStringLiteral("КН-%1").arg(100 + i % 700),
            QStringLiteral("Покраска (цвет: %1)").arg(i % 12),
            i % 3 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки"),
            QLocale().toString(i * 0.25 + 0.5, 'g', 15), QString::number(i * 7 % 5000)};
}

double exportOnce(const QString &folder, bool formatted, int *saved)
{
    Spreadsheet sheet;
    sheet.setFolder(folder);
    sheet.setOpener([](const QString &) { return true; });
    QElapsedTimer t;
    t.start();
    sheet.openSpreadsheet(QString());
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = row(r);
        for (int c = 0; c < cells.size(); ++c) {
            if (formatted)
                sheet.writeCellFormatted(1, c + 1, r + 2, cells[c], c < 3, true, false);
            else
                sheet.writeCell(1, c + 1, r + 2, cells[c]);
        }
    }
    sheet.setSpreadsheetVisible(true);
    const double ms = t.nsecsElapsed() / 1e6;
    *saved += int(sheet.savedFiles().size());
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir dir;

    struct Measure
    {
        const char *what;
        bool formatted;
        double targetMs;
    };
    const Measure measures[] = {
        {"spreadsheet 10000 x 5, plain, saved", false, 500},
        {"spreadsheet 10000 x 5, formatted, saved", true, 500},
    };
    bool ok = true;
    for (const Measure &m : measures) {
        std::vector<double> ms;
        int saved = 0;
        for (int i = 0; i < 5; ++i)
            ms.push_back(exportOnce(dir.path(), m.formatted, &saved));
        const double med = median(ms);
        const bool met = saved == 5 && med <= m.targetMs;
        ok = ok && met;
        std::printf("%-40s median %8.2f ms  target %6.0f ms  %s\n", m.what, med, m.targetMs,
                    met ? "ok" : "MISSED");
    }
    return ok ? 0 : 1;
}
