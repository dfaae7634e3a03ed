#include "SimBoard.h"

#include "platform/Clock.h"

SimBoard::SimBoard() = default;

QByteArray SimBoard::received() const
{
    QByteArray out;
    for (const auto& e : m_log)
        if (e.fromPc)
            out += static_cast<char>(e.byte);
    return out;
}

QByteArray SimBoard::sent() const
{
    QByteArray out;
    for (const auto& e : m_log)
        if (!e.fromPc)
            out += static_cast<char>(e.byte);
    return out;
}

bool SimBoard::atExchangeStart() const
{
    switch (m_mode) {
    case Mode::None:
    case Mode::AwaitModeByte:
        return true;
    case Mode::PLSCommand:
        return resyncInsideCommands && plsAtFixedByte();
    default:
        return m_step == 0;
    }
}

int SimBoard::dropMs() const { return dropAfterMs >= 0 ? dropAfterMs : timeouts().dropMs; }

bool SimBoard::inExchange() const
{
    switch (m_mode) {
    case Mode::None:
    case Mode::AwaitModeByte:
        return false;
    case Mode::PLSCommand:
        return true;
    default:
        return m_step != 0;
    }
}

void SimBoard::dropExchange()
{
    m_step = 0;
    if (m_mode == Mode::PLSCommand) {
        m_mode = Mode::None;
        m_readyStep = -1;
    }
}

std::optional<uint8_t> SimBoard::receive(uint8_t byte)
{
    const long index = m_received++;
    if (index == m_slowFrom)
        replyDelayMs = m_slowMs;
    m_lineDelayNow = index >= m_lineDelayFrom && index < m_lineDelayFrom + m_lineDelayCount ? m_lineDelayMs : 0;
    if (index == m_loseByteAt)
        return std::nullopt;
    m_log.push_back({true, byte});
    const auto silenceNow = [this] { return silenceClock ? silenceClock() : monotonicMs(); };
    if (dropMs() > 0 && inExchange() && silenceNow() - m_lastActivityMs >= dropMs())
        dropExchange();
    m_lastActivityMs = silenceNow();
    if (index == m_resetAt) {
        m_mode = Mode::AwaitModeByte;
        m_step = 0;
        m_readyStep = -1;
        return std::nullopt;
    }

    std::optional<uint8_t> reply;
    if (byte == 0xFF && atExchangeStart()) {
        m_mode = Mode::AwaitModeByte;
        m_step = 0;
        if (m_badHandshakes > 0) {
            --m_badHandshakes;
            reply = m_badHandshakeReply;
        } else {
            reply = 0x55;
        }
    } else if (m_mode == Mode::AwaitModeByte) {
        reply = enterMode(byte);
    } else {
        reply = exchange(byte);
    }

    // The board is busy with the byte until its answer leaves, however long it takes to work it out
    // or, for a board slow to answer, to send it; a line that holds or loses the answer afterwards
    // is not the board.
    m_lastActivityMs = silenceNow() + (reply ? replyDelayMs : 0);

    for (const auto& c : m_corrupt)
        if (c.index == index && reply)
            reply = c.reply;
    if (replyHook)
        reply = replyHook(index, byte, reply);
    if (m_silentFrom >= 0 && index >= m_silentFrom)
        reply.reset();
    if (index == m_holdFrom)
        m_holdUntil = monotonicMs() + m_holdMs;
    if (index == m_lossFrom)
        m_lossUntil = monotonicMs() + m_lossMs;
    if (monotonicMs() < m_lossUntil)
        reply.reset();
    if (reply)
        m_log.push_back({false, *reply});
    return reply;
}

void SimBoard::addressReceived()
{
    if (m_address == m_lossAddress && --m_lossAddressCount == 0) {
        m_lossFrom = m_received - 1;
        m_lossAddress = -1;
    }
}

std::optional<uint8_t> SimBoard::enterMode(uint8_t modeByte)
{
    m_step = 0;
    switch (modeByte) {
    case 0x01:
        m_mode = Mode::Read;
        return 0x55;
    case 0x02:
        m_mode = Mode::Write;
        return 0x55;
    case 0x03:
        m_mode = Mode::ProgramLoad;
        return 0x55;
    default:
        if (auto reply = enterPLSCommand(modeByte))
            return reply;
        // An unknown mode byte: the board stays waiting for a handshake and says nothing useful.
        m_mode = Mode::None;
        return 0x00;
    }
}

std::optional<uint8_t> SimBoard::exchange(uint8_t byte)
{
    if (m_mode == Mode::Read) {
        if (m_step == 0) {
            m_address = byte << 8;
            m_step = 1;
            return byte;
        }
        m_address |= byte;
        addressReceived();
        m_step = 0;
        accesses.push_back("R" + std::to_string(m_address));
        return memory[m_address];
    }
    if (m_mode == Mode::Write) {
        switch (m_step) {
        case 0:
            m_address = byte << 8;
            m_step = 1;
            return byte;
        case 1:
            m_address |= byte;
            addressReceived();
            m_step = 2;
            return byte;
        default:
            memory[m_address] = byte;
            m_step = 0;
            accesses.push_back("W" + std::to_string(m_address) + "=" + std::to_string(byte));
            return byte;
        }
    }
    if (m_mode == Mode::ProgramLoad)
        return loadRecord(byte);
    if (m_mode == Mode::PLSCommand)
        return plsExchange(byte);
    // Outside any mode the board ignores what it is sent.
    return std::nullopt;
}
