#pragma once
#include "SimBoard.h"
#include "WireModel.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"

#include <deque>
#include <memory>

// The simulated board in-process behind the CommPort seam, on a line with time of its own: while a
// port lives, monotonic time is a ManualClock that moves only while the program waits on the line
// (or by a wait of waitLettingEventsThrough), so that nothing the program measures on it depends on
// how busy the machine is. Each byte and each reply crosses in a byte time (WireModel.h) at the port's
// speed, shortened as the waits are, later when the board holds its reply or the line delays it;
// silence lasts until the caller's deadline. No wait sleeps.
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
    qint64 replyTime();
    void wait(qint64 untilNs);
    ManualClock m_clock;
    WireModel m_wire{0};
    // Nanoseconds the program has waited on the line: the board's silence clock.
    qint64 m_waitedNs = 0;
    struct Pending {
        qint64 at; // ns on the manual clock
        uint8_t byte;
    };
    std::shared_ptr<SimBoard> m_board;
    std::deque<Pending> m_in;
    bool m_open = false;
};
