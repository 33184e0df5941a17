#pragma once

// The start and memory probes: both the program and the empty yardstick
// report, once their first window has been painted, when that happened
// (the monotonic clock, which the driver started its clock on too) and
// how much memory they hold, and end.

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace tabel::bench {

// Resident memory of this process in kilobytes.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Prints "shown <ns>" and "rss <kB>" when a window is first painted, then
// ends the event loop.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_done && event->type() == QEvent::Paint) {
            auto *w = qobject_cast<QWidget *>(watched);
            if (w && w->isWindow()) {
                m_done = true;
                const long long now = monotonicNs();
                std::printf("shown %lld\nrss %ld\n", now, residentKb());
                std::fflush(stdout);
                QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace tabel::bench
