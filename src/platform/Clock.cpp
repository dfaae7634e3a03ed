#include "platform/Clock.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void waitLettingEventsThrough(int ms)
{
    const qint64 deadline = monotonicMs() + ms;
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(qMax(0, ms)));
        return;
    }
    // A coarse timer may fire a little early, and quitting the application ends every nested
    // loop: wait again for what is left.
    for (qint64 left = ms; left > 0; left = deadline - monotonicMs()) {
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
