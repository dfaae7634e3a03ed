// The in-process line keeps time of its own, so that no test depends on how busy the machine is.
#include "OnlineBoardTest.h"
#include "platform/Clock.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {
using ProcessPauseTest = OnlineBoardTest;

// The test process held up at any byte of a setpoint (handshake, arguments, a ready poll that says
// busy once) and of a read, for longer than any wait at the tests' time-outs, as a busy machine may
// hold it: no answer is late, no deadline passes and the board drops nothing, so the wire is the
// same as without the pause.
TEST_F(ProcessPauseTest, APauseOfTheProcessAtAnyByteChangesNothingOnTheLine)
{
    board().pls.busyCount = 1;
    board().memory[210] = 0x34;
    board().memory[211] = 0x12;
    const auto run = [this] {
        board().clearLog();
        EXPECT_TRUE(comm.SingleSetpoint(2, 100, 200, false));
        EXPECT_EQ(comm.RSRead("W210"), "4660");
        return wire();
    };
    const QString clean = run();
    const long bytes = board().received().size();
    const int pauseMs = 2 * timeouts().readyMs;
    for (long k = 0; k < bytes; ++k) {
        SCOPED_TRACE(k);
        const long at = board().receivedCount() + k;
        board().replyHook = [&](long index, uint8_t, std::optional<uint8_t> reply) {
            if (index == at)
                QThread::msleep(pauseMs);
            return reply;
        };
        EXPECT_EQ(run(), clean);
    }
    EXPECT_TRUE(prompts.shown.empty());
}
} // namespace
