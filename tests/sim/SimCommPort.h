#pragma once
#include "SimBoard.h"
#include "platform/CommPort.h"

#include <deque>
#include <memory>

// The simulated board in-process behind the CommPort seam: replies arrive at once (or after the
// board's reply delay), silence lasts until the caller's deadline.
class SimCommPort : public CommPort {
public:
    explicit SimCommPort(std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>());
    ~SimCommPort() override;

    SimBoard& board() { return *m_board; }
    std::shared_ptr<SimBoard> boardPtr() { return m_board; }

    // Opening fails with this error while set.
    std::optional<PortError> openError;
    int openCount = 0;

    std::optional<PortError> open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    int inBufferCount() override;
    void clearInput() override;
    int readByte() override;
    void write(const QByteArray& bytes) override;
    bool waitForByte(qint64 deadlineMs) override;
    // The line quiet for `ms`, as while a user reads a box: the board's silence runs.
    void idle(int ms);

private:
    qint64 replyTime() const;
    // Milliseconds the program has waited on the line: the board's silence clock.
    qint64 m_waitedMs = 0;
    struct Pending {
        qint64 at;
        uint8_t byte;
    };
    std::shared_ptr<SimBoard> m_board;
    std::deque<Pending> m_in;
    bool m_open = false;
};
