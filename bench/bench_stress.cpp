// Eight workstations on one month at once, through the program's rules,
// for as long as asked; then the hours sheet must equal the journals
// exactly, with no sheet row and no entry twice. Prints what was done and
// any fault; exits non-zero on a database error or a fault in the sheet.
//
//   bench_stress <database> <server> [--clerks 8] [--seconds 600] [--seed N]
//
// Everything in the database is deleted first, so its name must contain
// "stress": bench/run makes one for it on a throwaway server.
#include "app/connection.h"
#include "bench/stress.h"
#include "data/datamodule.h"
#include "data/dberror.h"

#include <QCoreApplication>
#include <cstdio>

using namespace tabel;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    stress::Options options;
    options.seconds = 60;
    options.reportEverySeconds = 30;
    auto take = [&](const QString &flag, auto &value) {
        const qsizetype at = args.indexOf(flag);
        if (at < 0 || at + 1 >= args.size())
            return;
        bool ok = false;
        const qlonglong v = args.at(at + 1).toLongLong(&ok);
        if (ok)
            value = std::decay_t<decltype(value)>(v);
        args.remove(at, 2);
    };
    take(QStringLiteral("--clerks"), options.clerks);
    take(QStringLiteral("--seconds"), options.seconds);
    take(QStringLiteral("--seed"), options.seed);
    if (args.size() != 2 || !args.at(0).contains(QLatin1String("stress"))) {
        std::fprintf(stderr, "usage: bench_stress <database whose name holds \"stress\"> <server> "
                             "[--clerks N] [--seconds S] [--seed N]\n");
        return 2;
    }
    options.connectionString = connectionString(args.at(0), args.at(1));

    try {
        DataModule dm(QStringLiteral("stress prepare"));
        dm.open(options.connectionString);
        stress::prepare(dm, options);
    } catch (const DbError &e) {
        std::fprintf(stderr, "cannot prepare the database: %s\n", qPrintable(e.text()));
        return 2;
    }
    std::printf("%d clerks for %d s on %02d.%d, seed %u\n", options.clerks, options.seconds,
                options.month, options.year, options.seed);
    std::fflush(stdout);
    const stress::Result result = stress::run(options);
    std::printf("%s\n%s\n", qPrintable(result.summary()), result.clean() ? "CLEAN" : "NOT CLEAN");
    return result.clean() ? 0 : 1;
}
