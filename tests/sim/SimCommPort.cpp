#include "SimCommPort.h"

#include "platform/Clock.h"

#include <QThread>

#include <algorithm>

SimCommPort::SimCommPort(std::shared_ptr<SimBoard> board) : m_board(std::move(board))
{
    m_board->silenceClock = [this] { return m_waitedMs; };
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
    const qint64 now = monotonicMs();
    int n = 0;
    for (const auto& p : m_in)
        if (p.at <= now)
            ++n;
    return n;
}

void SimCommPort::clearInput()
{
    const qint64 now = monotonicMs();
    while (!m_in.empty() && m_in.front().at <= now)
        m_in.pop_front();
}

int SimCommPort::readByte()
{
    if (m_in.empty() || m_in.front().at > monotonicMs())
        return -1;
    const int b = m_in.front().byte;
    m_in.pop_front();
    return b;
}

void SimCommPort::write(const QByteArray& bytes)
{
    if (!m_open)
        return;
    for (char c : bytes) {
        if (auto reply = m_board->receive(static_cast<uint8_t>(c)))
            m_in.push_back({replyTime(), *reply});
    }
}

qint64 SimCommPort::replyTime() const
{
    const qint64 given = monotonicMs() + m_board->replyDelayMs + m_board->lineDelayMs();
    // Replies cross the line in the order they were given, however late the line makes one.
    if (m_board->heldUntil() <= given)
        return m_in.empty() ? given : std::max(given, m_in.back().at);
    // Held replies come as a burst, a little apart: the first may be read while the rest are still
    // on their way.
    return m_in.empty() ? m_board->heldUntil()
                        : std::max(m_board->heldUntil(), m_in.back().at + m_board->holdSpacingMs());
}

void SimCommPort::idle(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
    m_waitedMs += ms;
}

bool SimCommPort::waitForByte(qint64 deadlineMs)
{
    const bool comes = !m_in.empty() && m_in.front().at <= deadlineMs;
    const qint64 until = comes ? m_in.front().at : deadlineMs;
    const qint64 start = monotonicMs();
    if (until > start) {
        QThread::msleep(static_cast<unsigned long>(until - start));
        m_waitedMs += monotonicMs() - start;
    }
    return comes;
}
