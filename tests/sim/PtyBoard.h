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
    // `paceBaud` > 0 holds each reply until, on a line of that speed (10 bits a byte), every byte
    // received so far and the reply itself would have crossed it, counted from when the PC wrote
    // them (the board learns at start how late a byte reaches it through the pseudo-terminal).
    explicit PtyBoard(std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>(), int paceBaud = 0);
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    bool ok() const { return m_master >= 0; }
    QString devicePath() const { return m_slavePath; }

    // Runs f with the board locked (the board thread may be answering).
    template <typename F> auto withBoard(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(*m_board);
    }

private:
    void calibrate();
    void run();

    std::shared_ptr<SimBoard> m_board;
    int m_paceBaud;
    long long m_transitToBoard = 0; // from the PC's write to this board's read, in nanoseconds
    int m_master = -1;
    int m_slaveKeep = -1;
    QString m_slavePath;
    std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
