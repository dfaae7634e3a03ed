#include "platform/PollingLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <vector>

namespace {
std::vector<PollingLoop*>& stack()
{
    static std::vector<PollingLoop*> s;
    return s;
}

bool g_shuttingDown = false;
bool g_autoStart = true;

// Windows whose deletion waits for their loop to return.
std::vector<QPointer<QObject>>& pendingDeletes()
{
    static std::vector<QPointer<QObject>> s;
    return s;
}
} // namespace

PollingLoop::PollingLoop(QObject* window, std::function<bool()> running, std::function<bool()> pass)
    : QObject(window), m_window(window), m_running_fn(std::move(running)), m_pass(std::move(pass))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(50);
}

PollingLoop::~PollingLoop()
{
    auto& s = stack();
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
}

void PollingLoop::start()
{
    if (m_running || m_startQueued || !g_autoStart)
        return;
    m_startQueued = true;
    QMetaObject::invokeMethod(this, &PollingLoop::run, Qt::QueuedConnection);
}

bool PollingLoop::keepGoing() const
{
    return !g_shuttingDown && !QCoreApplication::closingDown() && m_running_fn();
}

bool PollingLoop::yield()
{
    QPointer<PollingLoop> self(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return self && keepGoing();
}

void PollingLoop::idleWait()
{
    // Blocks until an event arrives; the timer is one, so the wait is short at most.
    m_idle.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_idle.stop();
}

void PollingLoop::run()
{
    m_startQueued = false;
    if (m_running || !keepGoing())
        return;
    m_running = true;
    stack().push_back(this);
    QPointer<PollingLoop> self(this);
    bool exchanged = true;
    for (;;) {
        if (exchanged)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        else
            idleWait();
        // The window (and this loop with it) may have gone inside the yield; touch nothing then.
        if (!self)
            return;
        if (!keepGoing())
            break;
        exchanged = m_pass();
        if (!self)
            return;
    }
    m_running = false;
    auto& s = stack();
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
    emit finished();
    if (!self)
        return;
    auto& pending = pendingDeletes();
    for (auto it = pending.begin(); it != pending.end();) {
        if (!*it) {
            it = pending.erase(it);
        } else if (!onStack(*it)) {
            QObject* w = *it;
            it = pending.erase(it);
            w->deleteLater();
        } else {
            ++it;
        }
    }
}

PollingLoop* PollingLoop::current()
{
    return stack().empty() ? nullptr : stack().back();
}

int PollingLoop::depth()
{
    return static_cast<int>(stack().size());
}

bool PollingLoop::onStack(const QObject* window)
{
    for (const PollingLoop* l : stack())
        if (l->m_window == window)
            return true;
    return false;
}

void PollingLoop::deleteWhenIdle(QObject* window)
{
    if (!window)
        return;
    if (onStack(window))
        pendingDeletes().emplace_back(window);
    else
        window->deleteLater();
}

void PollingLoop::setShuttingDown(bool on)
{
    g_shuttingDown = on;
    if (on)
        wake();
}

void PollingLoop::setAutoStart(bool on)
{
    g_autoStart = on;
}

bool PollingLoop::shuttingDown()
{
    return g_shuttingDown;
}

void PollingLoop::wake()
{
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        d->wakeUp();
}
