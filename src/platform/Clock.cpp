#include "platform/Clock.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>

namespace {
std::atomic<int> g_manualClocks{0};
std::atomic<qint64> g_manualNs{0};
// How far manual time ran ahead of the system's: kept, so that time never goes back.
std::atomic<qint64> g_aheadNs{0};

qint64 steadyNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 systemNs() { return steadyNs() + g_aheadNs; }

qint64 clockNs() { return g_manualClocks > 0 ? g_manualNs.load() : systemNs(); }

qint64 systemMs() { return systemNs() / 1000000; }
} // namespace

qint64 monotonicMs() { return clockNs() / 1000000; }

ManualClock::ManualClock()
{
    // On a whole millisecond, so that every run of a test rounds its times alike.
    if (g_manualClocks++ == 0)
        g_manualNs = (systemMs() + 1) * 1000000;
}

ManualClock::~ManualClock()
{
    if (--g_manualClocks == 0)
        g_aheadNs = std::max<qint64>(g_aheadNs, g_manualNs - steadyNs());
}

qint64 ManualClock::nowNs() { return clockNs(); }

void ManualClock::advanceTo(qint64 ns)
{
    if (ns > g_manualNs)
        g_manualNs = ns;
}

void waitLettingEventsThrough(int ms)
{
    // The wait runs on the system's time, for the events that come meanwhile; a manual clock then
    // moves by its length.
    const qint64 manualStart = g_manualNs;
    const auto moveManualClock = qScopeGuard([&] {
        if (g_manualClocks > 0)
            ManualClock::advanceTo(manualStart + qint64(qMax(0, ms)) * 1000000);
    });
    const qint64 deadline = systemMs() + ms;
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(qMax(0, ms)));
        return;
    }
    // A coarse timer may fire a little early, and quitting the application ends every nested
    // loop: wait again for what is left.
    for (qint64 left = ms; left > 0; left = deadline - systemMs()) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

namespace {
Timeouts g_timeouts;
std::function<QDateTime()> g_wallClock;
} // namespace

QDateTime wallClock() { return g_wallClock ? g_wallClock() : QDateTime::currentDateTime(); }

void setWallClock(std::function<QDateTime()> clock) { g_wallClock = std::move(clock); }

Timeouts& timeouts() { return g_timeouts; }

void resetTimeouts() { g_timeouts = Timeouts{}; }

void scaleTimeouts(int num, int den)
{
    Timeouts d;
    auto s = [&](int v) { return qMax(1, v * num / den); };
    g_timeouts = Timeouts{s(d.replyMs),      s(d.resendMs),     s(d.handshakeMs),
                          s(d.readyMs),      s(d.readyRetryMs), s(d.settleMs),
                          s(d.identDelayMs), s(d.searchMs),     s(d.resultsMs),
                          s(d.quietMs),      s(d.dropMs),       s(d.staleMs)};
}

QString generalDate(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    static const QRegularExpression years(QStringLiteral("y+"));
    QString date = locale.dateFormat(QLocale::ShortFormat);
    date.replace(years, QStringLiteral("yyyy"));
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1Char('s'))) {
        static const QRegularExpression minutes(QStringLiteral("mm"));
        time.replace(minutes, QStringLiteral("mm:ss"));
    }
    return locale.toString(when, date + QLatin1Char(' ') + time);
}
