#pragma once
#include "SimBoard.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// The simulated board on its own thread behind a pseudo-terminal, so that the real QSerialPort
// path is exercised end to end. Open devicePath() as the serial device.
class PtyBoard {
public:
    // `paceBaud` > 0 paces the line: each reply is held until two byte times (10 bits a byte at
    // that speed) after the byte it answers reached the board, or, for bytes sent together (a
    // program record), one byte time after the last of them has crossed. Nothing is taken off that
    // hold: the pseudo-terminal's own delays come on top of it, so a reply never reaches the PC
    // sooner than a real line could carry it.
    explicit PtyBoard(std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>(), int paceBaud = 0);
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    bool ok() const { return m_master >= 0; }
    QString devicePath() const { return m_slavePath; }
    // The pseudo-terminal's round trip measured at start (median, nanoseconds; paced boards only).
    // It is left in every exchange, not subtracted from the hold: a figure for reading the results.
    long roundTripNs() const { return m_roundTripNs; }
    // What the pacing takes off each reply's wire time: nothing.
    static constexpr long subtractedNs() { return 0; }

    // Runs f with the board locked (the board thread may be answering).
    template <typename F> auto withBoard(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(*m_board);
    }

private:
    void run();
    long measureRoundTrip();

    std::shared_ptr<SimBoard> m_board;
    int m_paceBaud;
    long m_roundTripNs = 0;
    int m_master = -1;
    int m_slaveKeep = -1;
    QString m_slavePath;
    std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
