#include "SimCommPort.h"

#include <algorithm>

namespace {
constexpr qint64 kNsPerMs = 1000000;
}

SimCommPort::SimCommPort(std::shared_ptr<SimBoard> board) : m_board(std::move(board))
{
    m_board->silenceClock = [this] { return m_waitedNs / kNsPerMs; };
}

// The board may outlive its port (a test's board behind one main window after another).
SimCommPort::~SimCommPort() { m_board->silenceClock = nullptr; }

std::optional<PortError> SimCommPort::open()
{
    if (openError)
        return openError;
    m_open = true;
    ++openCount;
    m_in.clear();
    return std::nullopt;
}

void SimCommPort::close()
{
    m_open = false;
    m_in.clear();
}

int SimCommPort::inBufferCount()
{
    const qint64 now = ManualClock::nowNs();
    return static_cast<int>(std::count_if(m_in.begin(), m_in.end(), [now](const Pending& p) { return p.at <= now; }));
}

void SimCommPort::clearInput()
{
    const qint64 now = ManualClock::nowNs();
    while (!m_in.empty() && m_in.front().at <= now)
        m_in.pop_front();
}

int SimCommPort::readByte()
{
    if (m_in.empty() || m_in.front().at > ManualClock::nowNs())
        return -1;
    const int b = m_in.front().byte;
    m_in.pop_front();
    return b;
}

void SimCommPort::write(const QByteArray& bytes)
{
    if (!m_open)
        return;
    // The line as fast, measured by the waits, as a real one: tests shorten the waits, and so the
    // byte time; a record then crosses within its share of the reply wait.
    m_wire.setByteNs(WireModel(settingsBaud(settings())).byteNs() * timeouts().replyMs / Timeouts{}.replyMs);
    const qint64 now = ManualClock::nowNs();
    for (char c : bytes) {
        m_wire.byteIn(now);
        if (auto reply = m_board->receive(static_cast<uint8_t>(c)))
            m_in.push_back({replyTime(), *reply});
    }
}

qint64 SimCommPort::replyTime()
{
    const qint64 given = m_wire.replyOut() + qint64(m_board->replyDelayMs + m_board->lineDelayMs()) * kNsPerMs;
    // Replies cross the line in the order they were given, however late the line makes one.
    const qint64 heldUntil = m_board->heldUntil() * kNsPerMs;
    if (heldUntil <= given)
        return m_in.empty() ? given : std::max(given, m_in.back().at);
    // Held replies come as a burst, a little apart: the first may be read while the rest are still
    // on their way.
    return m_in.empty() ? heldUntil : std::max(heldUntil, m_in.back().at + m_board->holdSpacingMs() * kNsPerMs);
}

void SimCommPort::wait(qint64 untilNs)
{
    const qint64 now = ManualClock::nowNs();
    if (untilNs <= now)
        return;
    m_waitedNs += untilNs - now;
    ManualClock::advanceTo(untilNs);
}

void SimCommPort::idle(int ms) { wait(ManualClock::nowNs() + ms * kNsPerMs); }

bool SimCommPort::waitForByte(qint64 deadlineMs)
{
    const bool comes = !m_in.empty() && m_in.front().at <= deadlineMs * kNsPerMs;
    wait(comes ? m_in.front().at : deadlineMs * kNsPerMs);
    return comes;
}
