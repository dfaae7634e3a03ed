// The simulated board is the oracle of the link tests, so the rule by which it tells a
// resynchronising FFh from a data FFh is checked on both sides here.
#include "SimBoard.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {
QString feed(SimBoard& board, std::initializer_list<int> bytes)
{
    QByteArray replies;
    for (int b : bytes)
        if (auto r = board.receive(static_cast<uint8_t>(b)))
            replies += static_cast<char>(*r);
    return hexBytes(replies);
}

TEST(SimBoardFraming, ProgramLoadTakesFFhAsDataInsideARecordAndAsHandshakeBetweenRecords)
{
    SimBoard board;
    EXPECT_EQ(feed(board, {0xFF, 0x03}), "55 55");
    // Address high byte and data bytes of FFh are data; the record is answered by its sum.
    EXPECT_EQ(feed(board, {0x02, 0xFF, 0x10, 0xFF, 0xFF}), "0F");
    EXPECT_EQ(board.memory[0xFF10], 0xFF);
    EXPECT_EQ(board.memory[0xFF11], 0xFF);
    EXPECT_EQ(board.mode(), SimBoard::Mode::ProgramLoad);
    // At the start of a record FFh leaves program-load mode.
    EXPECT_EQ(feed(board, {0xFF}), "55");
    EXPECT_EQ(board.mode(), SimBoard::Mode::AwaitModeByte);
    board.memory[0x2000] = 0x42;
    EXPECT_EQ(feed(board, {0x01, 0x20, 0x00}), "55 20 42");
}

TEST(SimBoardFraming, LimitSwitchArgumentsMayBeFFhButFixedBytesResynchronise)
{
    SimBoard board;
    // Scale 01FFh: its low byte FFh is an argument.
    EXPECT_EQ(feed(board, {0xFF, 0x1A, 0xFF, 0x01}), "55 55 55 55");
    EXPECT_EQ(board.pls.scale, 0x1FF);
    // Where the ready poll's 38h belongs, FFh is a new handshake.
    EXPECT_EQ(feed(board, {0xFF}), "55");
    EXPECT_EQ(board.mode(), SimBoard::Mode::AwaitModeByte);
    EXPECT_EQ(feed(board, {0x18, 0x55, 0x55}), "55 FF 01");
    // A channel of 77 octal (3Fh) and a setpoint byte of FFh are arguments too.
    EXPECT_EQ(feed(board, {0xFF, 0x1B, 0x3F, 0xFF, 0x00, 0x00, 0x01, 0x01, 0x38, 0x55, 0x55}),
              "55 55 55 55 55 55 55 55 55 00 55");
    ASSERT_EQ(board.pls.setpoints[63].size(), 1u);
    EXPECT_EQ(board.pls.setpoints[63][0], std::make_pair(255, 256));
}

// The drop rule, on both sides: a board silent for its drop time in the middle of an exchange takes
// FFh as a handshake; a moment less, and FFh is the exchange's next byte. A board slow to answer is
// not silent while it works its answer out.
TEST(SimBoardFraming, ASilenceInsideAnExchangeDropsItSoThatFFhResynchronises)
{
    const struct {
        const char* what;
        std::initializer_list<int> start;
        bool answered; // the last byte of `start` is answered (a record's count is not)
    } cases[] = {
        {"a write after its address high byte", {0xFF, 0x02, 0x00}, true},
        {"a read after its address high byte", {0xFF, 0x01, 0x00}, true},
        {"a program-load record after its count", {0xFF, 0x03, 0x01}, false},
        {"a limit-switch command after its channel", {0xFF, 0x1B, 0x02}, true},
    };
    for (const auto& c : cases) {
        for (const int replyDelayMs : {0, 300}) {
            for (const int silenceMs : {499, 500}) {
                SCOPED_TRACE(std::string(c.what) + ", answered after " + std::to_string(replyDelayMs) +
                             " ms, silent " + std::to_string(silenceMs) + " ms after that");
                qint64 clock = 0;
                SimBoard board;
                board.dropAfterMs = 500;
                board.replyDelayMs = replyDelayMs;
                board.silenceClock = [&clock] { return clock; };
                feed(board, c.start);
                clock += replyDelayMs + silenceMs;
                const QString reply = feed(board, {0xFF});
                const bool dropped = (c.answered ? 0 : replyDelayMs) + silenceMs >= 500;
                EXPECT_EQ(board.mode() == SimBoard::Mode::AwaitModeByte, dropped);
                if (dropped) {
                    EXPECT_EQ(reply, "55");
                }
            }
        }
    }
}
} // namespace
