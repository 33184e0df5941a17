#include "bench/benchkit.h"

#include "data/datamodule.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

namespace tabel::bench {

namespace {

QJsonObject explained(DataModule &dm, const QString &options, const QString &sql, const Params &params)
{
    const RowSet r = dm.select(QStringLiteral("explain"),
                               QStringLiteral("explain (%1format json) %2").arg(options, sql), params);
    const QJsonDocument doc = QJsonDocument::fromJson(r.value(0, r.columns.value(0)).toString().toUtf8());
    return doc.array().first().toObject();
}

// Scans of the journal or the sheet that read more than they need: a
// sequential scan, or an index scan that finds a worker's rows among all
// rows of a date range by filtering.
void collectWideScans(const QJsonObject &node, QStringList &out)
{
    // "(w_id = 5)", "((w_id)::numeric = p.id)", "(p.id = s.w_id)".
    static const QRegularExpression workerEquals(
        QStringLiteral(R"(\bw_id\)*(::\w+)?\)* = |= \(*(\w+\.)?w_id\b)"));
    const QString relation = node.value(QStringLiteral("Relation Name")).toString();
    // Plans name a table's schema only when verbose; no other schema has
    // tables of these names.
    if (relation == QLatin1String("smena") || relation == QLatin1String("h_tabel")) {
        const QString type = node.value(QStringLiteral("Node Type")).toString();
        const QString filter = node.value(QStringLiteral("Filter")).toString();
        const QString cond = node.value(QStringLiteral("Index Cond")).toString()
            + node.value(QStringLiteral("Recheck Cond")).toString();
        if (type == QLatin1String("Seq Scan"))
            out << (filter.isEmpty() ? QStringLiteral("sequential scan of %1").arg(relation)
                                     : QStringLiteral("sequential scan of %1 (%2)").arg(relation, filter));
        else if (filter.contains(workerEquals) && !cond.contains(QLatin1String("w_id")))
            out << QStringLiteral("%1 of %2 filtered by worker (%3)").arg(type, relation, filter);
    }
    for (const QJsonValue &child : node.value(QStringLiteral("Plans")).toArray())
        collectWideScans(child.toObject(), out);
}

QString clean(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double ms(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(ms(work));
    return median(times);
}

double serverMs(DataModule &dm, const QString &sql, const Params &params)
{
    const QJsonObject o = explained(dm, QStringLiteral("analyze, "), sql, params);
    return o.value(QStringLiteral("Planning Time")).toDouble() + o.value(QStringLiteral("Execution Time")).toDouble();
}

QStringList wideJournalScans(DataModule &dm, const QString &sql, const Params &params)
{
    QStringList out;
    collectWideScans(explained(dm, QString(), sql, params).value(QStringLiteral("Plan")).toObject(), out);
    return out;
}

bool ratio(const QString &measure, const QString &comparedWith, double measured, double baseline,
           Goal goal, double target, const QString &unit, double cap)
{
    const double r = goal == Goal::AtMost ? measured / baseline : baseline / measured;
    bool met = goal == Goal::AtMost ? r <= target : r >= target;
    QString goalText = goal == Goal::AtMost ? QStringLiteral("<= %1x").arg(target)
                                            : QStringLiteral(">= %1x faster").arg(target);
    if (cap > 0) {
        met = met && measured <= cap;
        goalText += QStringLiteral(", <= %1 %2").arg(cap).arg(unit);
    }
    std::printf("@ratio\t%s\t%s\t%.1f %s\t%.1f %s\t%.2fx\t%s\t%s\n", qPrintable(clean(measure)),
                qPrintable(clean(comparedWith)), measured, qPrintable(unit), baseline, qPrintable(unit), r,
                qPrintable(goalText), met ? "ok" : "MISSED");
    std::fflush(stdout);
    return met;
}

bool plan(DataModule &dm, const QString &statement, const QString &sql, const Params &params)
{
    const QStringList scans = wideJournalScans(dm, sql, params);
    std::printf("@plan\t%s\t%s\t%s\n", qPrintable(clean(statement)),
                scans.isEmpty() ? "indexes only" : qPrintable(clean(scans.join(QStringLiteral("; ")))),
                scans.isEmpty() ? "ok" : "MISSED");
    std::fflush(stdout);
    return scans.isEmpty();
}

void scale(const QString &measure, int factor, qlonglong rows, double ms)
{
    std::printf("@scale\t%s\t%d\t%lld\t%.2f\n", qPrintable(clean(measure)), factor, rows, ms);
    std::fflush(stdout);
}

} // namespace tabel::bench
