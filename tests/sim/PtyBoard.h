#pragma once
#include "SimBoard.h"
#include "WireModel.h"

#include <QString>
#include <string>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// The simulated board on its own thread behind a pseudo-terminal, so that the real QSerialPort
// path is exercised end to end. Open devicePath() as the serial device.
//
// Pacing. `paceBaud` > 0 paces the line as WireModel.h describes it: each reply is held until
// the bytes in and the reply could have crossed at that speed. Each byte's wire time starts when
// the byte reached the board thread; nothing is taken off the hold, so the pseudo-terminal's own
// delays come on top of it and a reply never reaches the PC sooner than a real line could carry it.
//
// Write times. Given the file of a program's write times (WireModel.h), a byte's wire time starts
// instead when the program wrote it, as on a real line, where the board receives a byte as it
// comes off the wire. The board counts the bytes it receives and takes the program's time for
// byte k only when that time is plausible, and its own arrival time otherwise:
// - the bytes recorded as written, in total, are exactly the bytes received up to the end of the
//   read that brought byte k (a program that cleared its output before the board saw it, or a
//   second program writing to the line, puts the counts out of step, and they stay out of step);
// - the time is no later than byte k's arrival;
// - the time is no earlier than the board's last reply before that read went out, since the
//   program asks the next question only once it has that answer.
// So a mismatch only ever makes replies later; the program's own check of every reply against the
// same model (bench/BenchSupport.h) catches anything else.
class PtyBoard {
public:
    explicit PtyBoard(std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>(), int paceBaud = 0,
                      const std::string& writeTimesPath = {});
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    bool ok() const { return m_master >= 0; }
    // Whether the program's write times were given and could be read.
    bool usesWriteTimes() const { return m_writeTimes != nullptr; }
    // Why the write-times file given was not taken (empty when it was, or when none was given).
    const std::string& writeTimesError() const { return m_writeTimesError; }
    QString devicePath() const { return m_slavePath; }
    // The pseudo-terminal's round trip measured at start (median, nanoseconds; paced boards only).
    // It is left in every exchange, not subtracted from the hold: a figure for reading the results.
    long roundTripNs() const { return m_roundTripNs; }
    // What the pacing takes off each reply's wire time: nothing. The pseudo-terminal's fastest
    // delivery to the program is only a few microseconds, so no allowance for it is worth the risk
    // of a reply that comes before the wire could carry it.
    static constexpr long subtractedNs() { return 0; }

    // Runs f with the board locked (the board thread may be answering).
    template <typename F> auto withBoard(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(*m_board);
    }

private:
    void run();
    // When byte number `index`, which arrived at `arrivedNs`, started on the wire.
    long sentAt(long index, long arrivedNs, bool countsInStep, long lastReplyNs);
    long measureRoundTrip();

    std::shared_ptr<SimBoard> m_board;
    int m_paceBaud;
    std::unique_ptr<WriteTimesReader> m_writeTimes;
    std::string m_writeTimesError;
    long m_roundTripNs = 0;
    int m_master = -1;
    int m_slaveKeep = -1;
    QString m_slavePath;
    std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
