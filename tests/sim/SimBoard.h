#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A byte-level model of a target board, written from the serial protocol: 64 KiB of memory, the
// FFh/55h handshake and its modes, the read and write exchanges, program load (SimBoardProgram.cpp)
// and the limit-switch commands (SimBoardPLS.cpp).
//
// Framing rule. The protocol has no frames, so the board decides what an FFh is by where it falls:
// an FFh that arrives where an exchange would begin resynchronises: the board answers 55h and waits
// for a mode byte. Those places are: waiting for a mode byte; the address high byte of a read or
// write; the count byte at the start of a program-load record (so the FFh after the last record
// leaves program-load mode with 55h); and, inside a limit-switch command, every place where the PC
// sends one of the command's fixed bytes (55h or 38h) rather than an argument. Anywhere else (an
// address low byte, a data byte, a record's address or data, a limit-switch argument such as a
// channel, setpoint byte or configuration value) FFh is data. So addresses FF00h to FFFFh cannot be
// read or written (the PC's own handshake would be taken for them) and a record of FFh bytes cannot
// be sent.
//
// Drop rule. A board that has heard and said nothing for dropMs() in the middle of an exchange
// drops what it half received: a read, a write or a program load goes back to where its next
// exchange starts (an address high byte, a record's count), a limit-switch command back to waiting
// for FFh. The silence counts from the last byte the board took in or answered, not from when the
// line delivered that answer. So the FFh that the PC sends after a second without a reply always
// resynchronises; an FFh sent sooner, in the middle of an exchange, is still data.
class SimBoard {
public:
    enum class Mode { None, AwaitModeByte, Read, Write, ProgramLoad, PLSCommand };

    struct LogEntry {
        bool fromPc; // true: received by the board; false: sent by the board
        uint8_t byte;
    };

    SimBoard();

    // One byte from the PC; the reply byte, if the board answers it.
    std::optional<uint8_t> receive(uint8_t byte);

    // The board's memory. Only writes and program loads change it; no handshake, mode change,
    // time-out or opening and closing of the port does, so a download followed by an upload (or the
    // reverse) is checked on the memory itself.
    std::array<uint8_t, 65536> memory{};
    Mode mode() const { return m_mode; }

    // The silence after which a half-received exchange is dropped: the figure of the time-outs in
    // force (tests shorten them); `dropAfterMs` > 0 sets it, and 0 makes a board that never drops one.
    int dropAfterMs = -1;
    int dropMs() const;
    // False: a board that takes FFh inside a limit-switch command for data wherever it falls, as the
    // framing rule above allows a board to; only the drop rule brings it back.
    bool resyncInsideCommands = true;
    // The clock the board's silence is measured on; unset, monotonic time. In-process, the port
    // gives one that runs only while the program waits on the line, so that a test process held up
    // between two bytes of an exchange does not make the board drop it.
    std::function<qint64()> silenceClock;

    // --- faults
    // The byte that the PC sends as byte number `index` (counting every byte sent to the board,
    // this one too) is lost on its way: the board never hears it.
    void loseByteAt(long index) { m_loseByteAt = index; }
    // The board goes back to waiting for a mode byte on taking byte number `index`, without
    // answering it (a board that reset).
    void resetAt(long index) { m_resetAt = index; }
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
    // A board that becomes that slow from received byte number `index` on.
    void slowFrom(long index, int ms)
    {
        m_slowFrom = index;
        m_slowMs = ms;
    }
    // A line slow on the way back: the replies to `count` bytes from received byte number `index`
    // on cross it `ms` late. The board answered at once, so its silence counts from then.
    void delayRepliesFrom(long index, int ms, int count)
    {
        m_lineDelayFrom = index;
        m_lineDelayMs = ms;
        m_lineDelayCount = count;
    }
    // What the line adds to the reply just given; used by the port wrappers.
    int lineDelayMs() const { return m_lineDelayNow; }
    // A line that stalls: from received byte number `index` on, every reply is held until `ms`
    // milliseconds after that byte came, and then all are delivered at once, in order, nothing lost
    // (in-process, `spacingMs` apart).
    void holdRepliesFrom(long index, int ms, int spacingMs = 1)
    {
        m_holdFrom = index;
        m_holdMs = ms;
        m_holdSpacingMs = spacingMs;
    }
    int holdSpacingMs() const { return m_holdSpacingMs; }
    // The time (monotonicMs) before which no reply leaves; used by the port wrappers.
    qint64 heldUntil() const { return m_holdUntil; }
    // A line that drops out: every reply is lost for `ms` milliseconds from received byte number
    // `index` on. The board still takes every byte and acts on it, as a board whose replies are lost
    // on the way back would.
    void loseRepliesFrom(long index, int ms)
    {
        m_lossFrom = index;
        m_lossMs = ms;
    }
    // The same from the reply to the address low byte of the `nth` read or write of byte `address`
    // from now on: the data byte of a read, the echo of the address of a write.
    void loseRepliesFromAddress(int address, int ms, int nth = 1)
    {
        m_lossAddress = address;
        m_lossAddressCount = nth;
        m_lossMs = ms;
    }

    // --- program load
    long recordsLoaded = 0; // records whose sum was answered
    long wrongSumRecord = -1; // the record of this number (0-based) is answered with a wrong sum
    long silentRecord = -1;   // the record of this number gets no answer

    // --- limit-switch side
    // Configuration rule. The board keeps one configuration and gives it back in its own layout,
    // which is not the layout it is written in. The four blocks written (24 values) are laid out as
    // the PC packs them: MultiChannelPLS (boardCode 69) program, speed compensations 0-3, 0, speed
    // compensations 4-7, ..., channels at 18; BrakeWearPLS (any other code) flags, strobe preset,
    // stop location low/high, stop error, signal width, window from/to low/high (twice), low and
    // high speed low/high, channels at 18. The upload (19 values) answers MultiChannelPLS
    // channels, program, speed compensations 0-7; BrakeWearPLS low speed, high speed (low byte
    // first), flags, channels, stop location, stop error, signal width, window from, window to,
    // three zeros, strobe preset. Each block written updates what the upload answers.
    // Setpoint rule. A channel holds the pairs set since its last clear, in the order they came;
    // a recall steps through their switching points (an ON and an OFF point per pair whose ON and
    // OFF differ) in position order and wraps after the last; a channel without points answers
    // state 2.
    struct PLS {
        int boardCode = 69;
        int scale = 360;
        int offset = 0;
        int rawPosition = 0; // the resolver's own position; the board reports it less the offset
        int speed = 0;
        std::array<uint8_t, 24> configIn{};  // the four blocks as last written
        std::array<uint8_t, 19> configOut{}; // what the configuration upload answers
        // Setpoint pairs (ON, OFF) per channel, in the order they were set.
        std::array<std::vector<std::pair<int, int>>, 64> setpoints;
        std::array<std::size_t, 64> recallCursor{}; // next switching point a recall gives
        int busyCount = 0;       // busy answers of every ready poll before it says ready
        bool neverReady = false; // the ready poll never says ready
        int wrongAckStep = -1;   // argument step (0-based after the handshake) answered 00h
        int recallHighByte = -1; // when set, every recall answers this position high byte
        std::vector<uint8_t> lastCommand; // command byte and the bytes that followed it
    } pls;

    // --- target-board side (SimBoardTarget.cpp)
    // The fault area (B8175 co-processor slot, B8176 and B8177 current and last fault, B8179 and
    // B8178 current and last communication error), the network addresses (B8180, B8191), the clock
    // (B43012 hour, B43010 minute, B43008 second, B43016 month, B43015 day, B43017 year of the
    // century) and the identity block (B61424 to B61431 ident characters, B61432 checksum, B61433
    // revision) are plain memory: the board keeps what the PC writes there, so a 0 written to a
    // code clears it. The model's clock does not run by itself: it shows what was last set.
    struct Clock {
        int hour, minute, second, month, day, year;
        bool operator==(const Clock&) const = default;
    };
    void injectFault(int code);     // becomes the current and the last fault
    void injectCommError(int code); // becomes the current and the last communication error
    void setIdentity(const QByteArray& ident, int checksum, int revision);
    void setClock(const Clock& c);
    Clock clock() const;

    // --- the oracle
    const std::vector<LogEntry>& log() const { return m_log; }
    QByteArray received() const;
    QByteArray sent() const;
    // Every read and write exchange completed and every limit-switch command carried out, in order
    // ("R8176", "W8178=0", "P1B 05 64 00 C8 00 01": the command byte and its arguments), cleared
    // with the log.
    std::vector<std::string> accesses;
    void clearLog()
    {
        m_log.clear();
        accesses.clear();
    }
    long receivedCount() const { return m_received; }

protected:
    // Mode bytes and exchange bytes that the base model does not know; models of other protocol
    // families override these. Returning nullopt leaves the byte unanswered.
    virtual std::optional<uint8_t> enterMode(uint8_t modeByte);
    virtual std::optional<uint8_t> exchange(uint8_t byte);
    // True where an FFh starts a new handshake rather than being data.
    virtual bool atExchangeStart() const;

    Mode m_mode = Mode::None;
    int m_step = 0; // position inside the current exchange
    int m_address = 0;

private:
    // True in the middle of an exchange, where a silence drops it (the drop rule above).
    bool inExchange() const;
    void dropExchange();

    // Program load: one record after another, each answered by its sum.
    std::optional<uint8_t> loadRecord(uint8_t byte);
    int m_recordCount = 0;
    int m_recordSum = 0;

    // Starts the loss of loseRepliesFromAddress at the byte just received when it completes the
    // address awaited.
    void addressReceived();

    // Limit-switch commands.
    std::optional<uint8_t> enterPLSCommand(uint8_t command);
    std::optional<uint8_t> plsExchange(uint8_t byte);
    std::optional<uint8_t> plsReadyPoll(uint8_t byte);
    bool plsAtFixedByte() const;
    void plsApply();
    void plsConfigOut();
    std::vector<std::pair<int, uint8_t>> switchingPoints(int channel) const;
    int plsArgumentCount() const;
    uint8_t m_command = 0;
    std::vector<uint8_t> m_args;
    int m_readyStep = -1; // -1: not polling; 0 expects 38h; 1 expects 55h; 2 the closing 55h
    int m_busyLeft = 0;

private:
    struct Corruption {
        long index;
        uint8_t reply;
    };
    std::vector<LogEntry> m_log;
    std::vector<Corruption> m_corrupt;
    long m_received = 0;
    long m_loseByteAt = -1;
    long m_resetAt = -1;
    qint64 m_lastActivityMs = 0;
    long m_silentFrom = -1;
    long m_lossFrom = -1;
    int m_lossAddress = -1;
    int m_lossAddressCount = 0;
    int m_lossMs = 0;
    qint64 m_lossUntil = 0;
    long m_slowFrom = -1;
    int m_slowMs = 0;
    long m_lineDelayFrom = -1;
    int m_lineDelayMs = 0;
    int m_lineDelayCount = 0;
    int m_lineDelayNow = 0;
    long m_holdFrom = -1;
    int m_holdMs = 0;
    int m_holdSpacingMs = 1;
    qint64 m_holdUntil = 0;
    int m_badHandshakes = 0;
    uint8_t m_badHandshakeReply = 0;
};
