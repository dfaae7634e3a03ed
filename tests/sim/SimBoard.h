#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A byte-level model of a target board, written from the serial protocol: 64 KiB of memory, the
// FFh/55h handshake and its modes, and the read and write exchanges.
//
// Framing rule. The protocol has no frames, so the board decides what an FFh is by where it falls:
// an FFh that arrives where an exchange would begin (waiting for a mode byte, or for the address
// high byte of a read or write) resynchronises: the board answers 55h and waits for a mode byte.
// Anywhere inside an exchange (an address low byte, a data byte) FFh is data. So addresses FF00h to
// FFFFh cannot be read or written (the PC's own handshake would be taken for them), and an FFh that
// the PC resends after a time-out in the middle of an exchange is taken as that exchange's next
// byte, as a real board would.
class SimBoard {
public:
    enum class Mode { None, AwaitModeByte, Read, Write };

    struct LogEntry {
        bool fromPc; // true: received by the board; false: sent by the board
        uint8_t byte;
    };

    SimBoard();

    // One byte from the PC; the reply byte, if the board answers it.
    std::optional<uint8_t> receive(uint8_t byte);

    std::array<uint8_t, 65536> memory{};
    Mode mode() const { return m_mode; }

    // --- faults
    // No reply to any byte once `count` bytes have been received (0: silent from the start).
    void setSilentFrom(long count) { m_silentFrom = count; }
    // The next `count` FFh handshakes are answered with `reply` instead of 55h.
    void setBadHandshakes(int count, uint8_t reply = 0x00)
    {
        m_badHandshakes = count;
        m_badHandshakeReply = reply;
    }
    // The reply to received byte number `index` (0-based, counting every byte received) is
    // replaced by `reply`.
    void corruptReplyAt(long index, uint8_t reply) { m_corrupt.push_back({index, reply}); }
    // Sees every reply before it is sent and may change or drop it: (index of the byte received,
    // the byte, the reply) -> the reply to send.
    std::function<std::optional<uint8_t>(long, uint8_t, std::optional<uint8_t>)> replyHook;
    // Milliseconds the board holds every reply (a late reply); used by the port wrappers.
    int replyDelayMs = 0;

    // --- the oracle
    const std::vector<LogEntry>& log() const { return m_log; }
    QByteArray received() const;
    QByteArray sent() const;
    void clearLog() { m_log.clear(); }
    long receivedCount() const { return m_received; }

protected:
    // Mode bytes and exchange bytes that the base model does not know; later protocol families
    // override these. Returning nullopt leaves the byte unanswered.
    virtual std::optional<uint8_t> enterMode(uint8_t modeByte);
    virtual std::optional<uint8_t> exchange(uint8_t byte);
    // True where an FFh starts a new handshake rather than being data.
    virtual bool atExchangeStart() const;

    Mode m_mode = Mode::None;
    int m_step = 0; // position inside the current exchange
    int m_address = 0;

private:
    struct Corruption {
        long index;
        uint8_t reply;
    };
    std::vector<LogEntry> m_log;
    std::vector<Corruption> m_corrupt;
    long m_received = 0;
    long m_silentFrom = -1;
    int m_badHandshakes = 0;
    uint8_t m_badHandshakeReply = 0;
};
