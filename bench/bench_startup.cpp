// The program's start and memory next to an empty Qt Widgets program
// started the same way, offscreen.
//   bench_startup database host
// Start: from launching the process to its first window painted (the
// program's login window), the median of alternate runs of bench_program
// and bench_empty. Memory: what the program holds after every window has
// been opened once on the busiest month, against the empty program with
// its window shown. Exits non-zero when a target is missed.
#include "bench/benchkit.h"
#include "bench/probe.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <vector>

using namespace tabel;

namespace {

struct Probe
{
    double shownMs = -1;
    double rssMb = -1;
    QString log;
};

Probe launch(const QString &program, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const long long started = bench::monotonicNs();
    p.start(program, args);
    Probe out;
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return out;
    }
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (line.startsWith("shown "))
            out.shownMs = double(line.mid(6).toLongLong() - started) / 1e6;
        else if (line.startsWith("rss "))
            out.rssMb = line.mid(4).toDouble() / 1024;
        else if (!line.isEmpty())
            out.log += QString::fromUtf8(line) + QLatin1Char('\n');
    }
    if (p.exitCode() != 0)
        out.shownMs = out.rssMb = -1;
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString db = args.value(1, QStringLiteral("tabel_bench"));
    const QString host = args.value(2, QStringLiteral("127.0.0.1"));
    const QDir here(QCoreApplication::applicationDirPath());
    const QString program = here.filePath(QStringLiteral("bench_program"));
    const QString empty = here.filePath(QStringLiteral("bench_empty"));

    // Once each first: the libraries come into the file cache.
    launch(empty, {});
    launch(program, {QStringLiteral("start"), db, host});

    std::vector<double> programStart, emptyStart, emptyRss;
    for (int i = 0; i < 11; ++i) {
        const Probe e = launch(empty, {});
        const Probe p = launch(program, {QStringLiteral("start"), db, host});
        if (e.shownMs < 0 || p.shownMs < 0) {
            std::printf("a probe failed to show its window\n%s%s", qPrintable(e.log), qPrintable(p.log));
            return 1;
        }
        emptyStart.push_back(e.shownMs);
        emptyRss.push_back(e.rssMb);
        programStart.push_back(p.shownMs);
    }
    bool ok = bench::ratio(QStringLiteral("program start to the login window shown (offscreen)"),
                           QStringLiteral("an empty Qt Widgets program started the same way"),
                           bench::median(programStart), bench::median(emptyStart), bench::Goal::AtMost, 3);

    std::vector<double> programRss;
    for (int i = 0; i < 3; ++i) {
        const Probe p = launch(program, {QStringLiteral("windows"), db, host});
        std::printf("%s", qPrintable(p.log));
        if (p.rssMb < 0) {
            std::printf("the program did not get through its windows\n");
            return 1;
        }
        programRss.push_back(p.rssMb);
    }
    ok &= bench::ratio(QStringLiteral("resident memory, every window opened once on the busiest month"),
                       QStringLiteral("the empty program with its window shown"), bench::median(programRss),
                       bench::median(emptyRss), bench::Goal::AtMost, 3, QStringLiteral("MB"), 150);
    return ok ? 0 : 1;
}
