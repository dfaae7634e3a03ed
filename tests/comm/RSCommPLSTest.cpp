#include "OnlineBoardTest.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <functional>

namespace {
const QString kCommTitle = QStringLiteral("WARNING - Communication Error!");

QByteArray scaleRead() { return bytesOf({0xFF, 0x18, 0x55, 0x55}); }
QByteArray readyPoll() { return bytesOf({0x38, 0x55, 0x55}); }

using PLSTest = OnlineBoardTest;

TEST_F(PLSTest, WordReadsSendTheirCommandAndTakeLowByteFirst)
{
    board().pls.scale = 360;
    board().pls.offset = 10;
    board().pls.rawPosition = 110;
    board().pls.speed = 1750;
    EXPECT_EQ(comm.PLSScaleFactor(), "360");
    EXPECT_EQ(hexBytes(board().sent()), "55 55 68 01");
    EXPECT_EQ(comm.PLSOffset(), "10");
    EXPECT_EQ(comm.PLSPos(), "100");
    EXPECT_EQ(comm.PLSRpm(), "1750");
    EXPECT_EQ(wire(), "FF 18 55 55 FF 28 55 55 FF 48 55 55 FF 58 55 55");
}

TEST_F(PLSTest, ASilentBoardGivesMinus9999)
{
    board().setSilentFrom(0);
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(comm.PLSScaleFactor(), "-9999");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, kCommTitle);
    EXPECT_TRUE(comm.CommError);
    // With the error pending nothing more goes on the wire.
    board().clearLog();
    EXPECT_EQ(comm.PLSRpm(), "-9999");
    EXPECT_TRUE(board().received().isEmpty());
}

TEST_F(PLSTest, SetpointsAreWrittenWithTheChannelCommand)
{
    ASSERT_TRUE(comm.SingleSetpoint(5, 300, 20, false));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x1B, 0x05, 0x2C, 0x01, 0x14, 0x00, 0x01}) + readyPoll()));
    board().clearLog();
    ASSERT_TRUE(comm.SingleSetpoint(5, 100, 200, true));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x1B, 0x05, 0, 0, 0, 0, 0}) + readyPoll() +
                               bytesOf({0xFF, 0x1B, 0x05, 0x64, 0x00, 0xC8, 0x00, 0x01}) + readyPoll()));
    ASSERT_EQ(board().pls.setpoints[5].size(), 1u);
    EXPECT_EQ(board().pls.setpoints[5][0], std::make_pair(100, 200));

    board().clearLog();
    ASSERT_TRUE(comm.ClearPLSChan(5));
    EXPECT_EQ(wire(), hexBytes(bytesOf({0xFF, 0x1B, 0x05, 0, 0, 0, 0, 0}) + readyPoll()));
    EXPECT_TRUE(board().pls.setpoints[5].empty());
}

// A reply lost inside a command, past the communication box: what answers the FFh sent again (55h,
// as to an argument or a handshake) acknowledges nothing, so the command is not confirmed. A board
// left taking the last arguments acknowledges each byte with 55h: the next command's handshake must
// not take those for its own answers, nor read the answers to its last bytes as a value. Lost inside
// the ready poll, the FFh took the board out of the poll: the command is not confirmed, and no READY
// box follows.
TEST_F(PLSTest, ACommandCutShortOnTheLineIsNotConfirmedAndLeavesNothingForTheNextCommand)
{
    board().pls.speed = 1750;
    // After the scale read: the command byte, the channel, the ON low and high bytes, the flag, and
    // the ready poll's 38h and 55h.
    for (const int lostFrom : {5, 6, 7, 8, 11, 12, 13}) {
        SCOPED_TRACE(lostFrom);
        prompts.shown.clear();
        dropOutFrom(lostFrom);
        prompts.answer(Answer::Retry);
        EXPECT_FALSE(comm.SingleSetpoint(5, 100, 200, false));
        EXPECT_FALSE(comm.CommError);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(comm.PLSRpm(), "1750");
    }
}

TEST_F(PLSTest, ASetpointBeyondTheScaleIsRefusedUnsent)
{
    prompts.answer(Answer::Ok);
    EXPECT_FALSE(comm.SingleSetpoint(1, 10, 360, false));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Setpoint setting 360 is greater than scale factor.\r\n\r\nChannel can not be programmed.");
    EXPECT_EQ(prompts.shown[0].title, "PLS Single Setpoint");
    EXPECT_EQ(wire(), hexBytes(scaleRead()));
}

TEST_F(PLSTest, AWrongAcknowledgementEndsTheCommandAtOnce)
{
    board().pls.wrongAckStep = 2; // the ON high byte
    EXPECT_FALSE(comm.SingleSetpoint(3, 10, 20, false));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x1B, 0x03, 0x0A, 0x00})));
    EXPECT_FALSE(comm.CommError);
}

// An acknowledgement garbled on the line: the board still waits for the other five arguments, or
// after the last one is in its ready poll. Nothing goes out until it has dropped the command, so no
// FFh of the next handshake becomes an argument (a setting nobody asked for) or keeps a board that
// takes FFh for data busy, and the handshake takes no answer for its own.
TEST_F(PLSTest, AGarbledAcknowledgementLeavesNoAnswerForTheNextRead)
{
    const struct {
        int at; // after the scale read: the channel, or the flag
        bool resyncs;
        std::vector<std::string> settings;
    } cases[] = {{6, true, {}}, {11, false, {"P1B 03 0A 00 14 00 01"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        board().clearLog();
        board().resyncInsideCommands = c.resyncs;
        board().corruptReplyAt(board().receivedCount() + c.at, 0x7E);
        EXPECT_FALSE(comm.SingleSetpoint(3, 10, 20, false));
        EXPECT_EQ(comm.PLSScaleFactor(), "360");
        EXPECT_EQ(board().accesses, c.settings);
    }
}

TEST_F(PLSTest, ASetpointIsNotWrittenOverAFailedClear)
{
    board().pls.setpoints[3] = {{10, 20}};
    board().pls.wrongAckStep = 5; // the clear's flag
    EXPECT_FALSE(comm.SingleSetpoint(3, 30, 40, true));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x1B, 0x03, 0, 0, 0, 0, 0})));
    EXPECT_EQ(board().pls.setpoints[3].size(), 1u);

    // With a communication error pending nothing is sent at all.
    board().pls.wrongAckStep = -1;
    board().clearLog();
    comm.CommError = true;
    EXPECT_FALSE(comm.SingleSetpoint(3, 30, 40, false));
    EXPECT_TRUE(board().received().isEmpty());
}

TEST_F(PLSTest, ARecallWhoseChannelIsRefusedFailsWithStateTwo)
{
    board().pls.setpoints[6] = {{10, 20}};
    board().pls.wrongAckStep = 0; // the channel byte
    EXPECT_FALSE(comm.RecallChannel(6));
    EXPECT_EQ(comm.ChannelRecallState(), 2);
    EXPECT_EQ(comm.ChannelRecallPos(), 0);
    EXPECT_EQ(wire(), "FF 09 06");
}

TEST_F(PLSTest, ReadyPollWaitsWhileTheBoardIsBusy)
{
    board().pls.busyCount = 3;
    ASSERT_TRUE(comm.ClearPLSChan(0));
    EXPECT_EQ(wire(), hexBytes(bytesOf({0xFF, 0x1B, 0, 0, 0, 0, 0, 0, 0x38, 0x55, 0x38, 0x55, 0x38, 0x55}) + readyPoll()));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PLSTest, ABoardThatIsNeverReadyGetsRetryAndCancel)
{
    board().pls.neverReady = true;
    prompts.answer(Answer::Retry).answer(Answer::Cancel);
    EXPECT_FALSE(comm.ClearPLSChan(0));
    ASSERT_EQ(prompts.shown.size(), 2u);
    for (const auto& box : prompts.shown) {
        EXPECT_EQ(box.text, "Cannot Determine PLS READY Mode Within Target Board.");
        EXPECT_EQ(box.title, kCommTitle);
        EXPECT_EQ(box.buttons, Buttons::RetryCancel);
        EXPECT_EQ(box.icon, Icon::Critical);
    }
    EXPECT_TRUE(comm.CommError);
    // The poll went on after Retry.
    const QByteArray afterRetry = board().received();
    EXPECT_GT(afterRetry.count('\x38'), 2);
}

TEST_F(PLSTest, PulseTrainChecksItsDivisionsAndSendsThemAsTwoBytes)
{
    ASSERT_TRUE(comm.PulseTrain(2, 10, 20, 5));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x2B, 0x02, 0x05, 0x00, 0x0A, 0x14, 0x00}) + readyPoll()));
    EXPECT_EQ(board().pls.setpoints[2].size(), 12u);

    // Divisions of 128 and more stay two bytes: ON 200 travels before OFF 160.
    board().clearLog();
    ASSERT_TRUE(comm.PulseTrain(2, 200, 160, 0));
    EXPECT_EQ(wire(), hexBytes(scaleRead() + bytesOf({0xFF, 0x2B, 0x02, 0x00, 0x00, 0xC8, 0xA0, 0x00}) + readyPoll()));

    struct Refusal {
        int on, off, start;
        QString reason;
    };
    const Refusal refusals[] = {
        {10, 25, 0, "ON Division Plus OFF Division\r\nMust be a Multiple of 360."},
        {0, 20, 0, "ON Division and OFF Division Must be Greater Than 0."},
        {300, 60, 0, "ON Division and OFF Division Must Not be Greater Than 255."},
        {10, 20, 360, "Start Position Must Not Be Greater Than 359."},
    };
    for (const Refusal& r : refusals) {
        board().clearLog();
        prompts.shown.clear();
        prompts.answer(Answer::Ok);
        EXPECT_FALSE(comm.PulseTrain(2, r.on, r.off, r.start));
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, r.reason + "\r\n\r\nPLS Channel will not be Programmed.");
        EXPECT_EQ(prompts.shown[0].title, "PLS Pulse Train");
        EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
        EXPECT_EQ(wire(), hexBytes(scaleRead()));
    }
}

TEST_F(PLSTest, APulseTrainTheBoardRefusesIsReported)
{
    board().pls.wrongAckStep = 0;
    prompts.answer(Answer::Ok);
    EXPECT_FALSE(comm.PulseTrain(2, 10, 20, 5));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error Encountered while Programming Pulse Train.\r\n\r\nPLS Channel will not be Programmed.");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
}

TEST_F(PLSTest, SetOffsetMakesThePositionReadAsAsked)
{
    board().pls.scale = 360;
    board().pls.offset = 10;
    board().pls.rawPosition = 110; // reads as position 100
    ASSERT_TRUE(comm.SetPLSOffset(0));
    EXPECT_EQ(board().pls.offset, 110);
    const QByteArray reads = bytesOf({0xFF, 0x28, 0x55, 0x55, 0xFF, 0x48, 0x55, 0x55}) + scaleRead();
    EXPECT_EQ(wire(), hexBytes(reads + bytesOf({0xFF, 0x2A, 0x6E, 0x00}) + readyPoll()));

    board().pls.offset = 10;
    ASSERT_TRUE(comm.SetPLSOffset(90));
    EXPECT_EQ(board().pls.offset, 20);
    EXPECT_EQ(comm.PLSPos(), "90");

    board().clearLog();
    prompts.answer(Answer::Ok);
    EXPECT_FALSE(comm.SetPLSOffset(361));
    EXPECT_EQ(prompts.shown.back().text,
              "Desired Position cannot be greater than Scale Factor of 360.\r\n\r\nPLS Offset will not be Programmed.");
    EXPECT_EQ(prompts.shown.back().title, "Set PLS Offset");
    EXPECT_FALSE(board().received().contains('\x2A'));
}

TEST_F(PLSTest, SetOffsetWithoutAScaleWritesNothing)
{
    board().pls.scale = 0;
    EXPECT_FALSE(comm.SetPLSOffset(0));
    EXPECT_FALSE(board().received().contains('\x2A'));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PLSTest, RecallStepsThroughTheChannelsSwitchingPoints)
{
    board().pls.setpoints[9] = {{300, 20}, {100, 200}};
    const std::pair<int, int> expected[] = {{0, 20}, {1, 100}, {0, 200}, {1, 300}, {0, 20}};
    for (const auto& [state, position] : expected) {
        ASSERT_TRUE(comm.RecallChannel(9));
        EXPECT_EQ(comm.ChannelRecallState(), state);
        EXPECT_EQ(comm.ChannelRecallPos(), position);
    }
    board().clearLog();
    ASSERT_TRUE(comm.RecallChannel(9));
    EXPECT_EQ(wire(), "FF 09 09 55 55 55");

    ASSERT_TRUE(comm.RecallChannel(10)); // a channel without setpoints
    EXPECT_EQ(comm.ChannelRecallState(), 2);

    board().pls.recallHighByte = 17;
    EXPECT_FALSE(comm.RecallChannel(9));
    EXPECT_EQ(comm.ChannelRecallState(), 2);
    EXPECT_EQ(comm.ChannelRecallPos(), 0);
}

TEST_F(PLSTest, ARecallCutShortLeavesStateZero)
{
    board().pls.setpoints[1] = {{10, 20}};
    board().setSilentFrom(board().receivedCount() + 4); // silent from the state byte
    prompts.answer(Answer::Cancel);
    EXPECT_FALSE(comm.RecallChannel(1));
    EXPECT_EQ(comm.ChannelRecallState(), 0);
    EXPECT_EQ(comm.ChannelRecallPos(), 0);
    EXPECT_TRUE(comm.CommError);
}

TEST_F(PLSTest, ConfigurationGoesDownInFourBlocksAndComesBackAsNineteen)
{
    std::array<int, 24> cfg{};
    for (int k = 0; k < 24; ++k)
        cfg[k] = 10 + k;
    cfg[7] = 255;
    ASSERT_TRUE(comm.PLSConfigDownload(cfg, 1000));
    QByteArray expected;
    for (int b = 0; b < 4; ++b) {
        expected += bytesOf({0xFF, 0x3B + 0x10 * b});
        for (int k = 0; k < 6; ++k)
            expected += static_cast<char>(cfg[6 * b + k]);
        expected += readyPoll();
    }
    expected += bytesOf({0xFF, 0x1A, 0xE8, 0x03}) + readyPoll();
    EXPECT_EQ(wire(), hexBytes(expected));
    for (int k = 0; k < 24; ++k)
        EXPECT_EQ(board().pls.configIn[k], cfg[k]);
    EXPECT_EQ(board().pls.scale, 1000);

    for (int k = 0; k < 19; ++k)
        board().pls.configOut[k] = static_cast<uint8_t>(100 + k);
    board().clearLog();
    const auto values = comm.PLSConfigUpload();
    for (int k = 0; k < 19; ++k)
        EXPECT_EQ(values[k], 100 + k);
    EXPECT_EQ(wire(), hexBytes(bytesOf({0xFF, 0x0C}) + QByteArray(19, '\x55')));
}

TEST_F(PLSTest, AFailedBlockStopsTheConfigurationDownload)
{
    board().pls.wrongAckStep = 3;
    EXPECT_FALSE(comm.PLSConfigDownload(std::array<int, 24>{}, 360));
    EXPECT_EQ(wire(), hexBytes(bytesOf({0xFF, 0x3B, 0, 0, 0, 0})));
}

TEST_F(PLSTest, AFailedConfigurationUploadIsReported)
{
    board().setSilentFrom(board().receivedCount() + 5);
    prompts.answer(Answer::Cancel).answer(Answer::Ok);
    comm.PLSConfigUpload();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, "Not able to Upload Configuration from PLS.");
    EXPECT_EQ(prompts.shown[1].title, "PLS Upload");
}

TEST_F(PLSTest, ACommandLeavesTheModeSoTheNextReadHandshakes)
{
    board().memory[100] = 7;
    EXPECT_EQ(comm.RSRead("B100"), "7");
    comm.PLSRpm();
    board().clearLog();
    EXPECT_EQ(comm.RSRead("B100"), "7");
    EXPECT_EQ(wire(), "FF 01 00 64");
}
} // namespace

namespace {
TEST_F(PLSTest, ASilentReadyPollAsksOnlyTheCommunicationBox)
{
    board().setSilentFrom(board().receivedCount() + 8); // from the first 38h
    prompts.answer(Answer::Cancel);
    EXPECT_FALSE(comm.ClearPLSChan(4));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text.left(37), "Cannot Communicate with Target Board.");
    EXPECT_TRUE(comm.CommError);
}
} // namespace

namespace {
// An offset, a configuration block or a scale whose last argument's 55h comes garbled was written
// all the same: the offset and scale are read back, the block sent once more, and the call says
// what the board holds.
TEST_F(PLSTest, AWriteWhoseConfirmationIsGarbledGivesWhatTheBoardHolds)
{
    struct Case {
        const char* what;
        int command;
        std::function<bool()> run;
        std::function<bool()> held;
    } cases[] = {
        {"offset", 0x2A, [&] { return comm.SetPLSOffset(90); }, [&] { return board().pls.offset == 20; }},
        {"block", 0x4B, [&] { return comm.PLSConfigDownload({}, 360); }, [&] { return board().pls.scale == 360; }},
        {"scale", 0x1A, [&] { return comm.PLSConfigDownload({}, 720); }, [&] { return board().pls.scale == 720; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        board().pls.scale = 360;
        board().pls.offset = 10;
        board().pls.rawPosition = 110;
        const int arguments = c.command == 0x4B ? 6 : 2;
        board().replyHook = [&, prev = -1, at = -1L](long index, uint8_t byte, std::optional<uint8_t> reply) mutable {
            if (prev == 0xFF && byte == c.command && at < 0)
                at = index;
            prev = byte;
            return at >= 0 && index == at + arguments ? std::optional<uint8_t>(0x7E) : reply;
        };
        EXPECT_TRUE(c.run());
        board().replyHook = nullptr;
        EXPECT_TRUE(c.held());
        EXPECT_TRUE(prompts.shown.empty());
    }
}
} // namespace

namespace {
// An answer inside a command that came so late that the board may have dropped the command since
// (yet in time) ends the command there: nothing more of it goes out, and the line stays quiet after
// it at least as long as a board takes to drop what it half received. An answer that is not the
// ready poll's own asks again, but only after that quiet. Bytes count from the command's FFh; the
// quiet is measured as the board measures its silence, by the time the program waited on the line.
TEST_F(PLSTest, AfterALateOrStrayAnswerInACommandNothingGoesOutUntilTheLineHasBeenQuiet)
{
    scaleTimeouts(1, 20);
    // Past the late mark by more than a pause of a busy machine; that it still comes within the wait
    // for it, the simulated line decides without a clock.
    const int lineDelay = timeouts().replyMs * 9 / 10;
    const auto clear = [](RSComm& c) { return c.ClearPLSChan(5); };
    const char* const nextRead = "FF 18 55 55";
    const struct {
        const char* what;
        std::function<bool(RSComm&)> run; // true when the call says it was done
        long at;                          // the byte whose answer is late, or garbled
        bool late;
        const char* next; // what the board hears after that answer: the next read, or the poll again
    } cases[] = {
        {"word read's low byte", [](RSComm& c) { return c.PLSScaleFactor() != "-9999"; }, 2, true, nextRead},
        {"channel", clear, 2, true, nextRead},
        {"argument before the last", clear, 6, true, nextRead},
        {"ready poll's 38h", clear, 8, true, nextRead},
        {"ready poll's 55h", clear, 9, true, nextRead},
        {"ready poll's 38h garbled", clear, 8, false, "38"},
        {"ready poll's 55h garbled", clear, 9, false, "38"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimCommPort line;
        RSComm link;
        link.OpenRSComm(line);
        SimBoard& b = line.board();
        b.clearLog();
        std::vector<qint64> heard; // the board's silence clock as each byte came
        b.replyHook = [&](long, uint8_t, std::optional<uint8_t> reply) {
            heard.push_back(b.silenceClock());
            return reply;
        };
        if (c.late)
            b.delayRepliesFrom(b.receivedCount() + c.at, lineDelay, 1);
        else
            b.corruptReplyAt(b.receivedCount() + c.at, 0x7E);
        EXPECT_FALSE(c.run(link));
        EXPECT_TRUE(link.ReplyLost || !c.late) << "the late answer counted as one";
        EXPECT_EQ(link.PLSScaleFactor(), "360");
        const QString after = hexBytes(b.received().mid(c.at + 1));
        EXPECT_TRUE(after.startsWith(QLatin1String(c.next))) << after.toStdString();
        ASSERT_GT(heard.size(), std::size_t(c.at + 1));
        EXPECT_GE(heard[c.at + 1] - heard[c.at], (c.late ? lineDelay : 0) + timeouts().dropMs);
    }
}
} // namespace
