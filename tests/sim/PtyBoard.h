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
    // `paceBaud` > 0 paces the line: each reply reaches the PC two byte times (10 bits a byte at
    // that speed) after the PC sent the byte it answers, or, for bytes sent together (a program
    // record), one byte time after the last of them has crossed. The pseudo-terminal is the wire
    // here, and its own round trip (measured when the board starts) is part of that time, not
    // added to it.
    explicit PtyBoard(std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>(), int paceBaud = 0);
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    bool ok() const { return m_master >= 0; }
    QString devicePath() const { return m_slavePath; }
    // The pseudo-terminal's measured round trip, in nanoseconds (paced boards only).
    long roundTripNs() const { return m_roundTripNs; }

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
