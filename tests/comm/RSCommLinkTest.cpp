#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"

#include <QDir>
#include <functional>
#include <map>
#include <set>
#include <gtest/gtest.h>

namespace {
const QString kNoBoard = QStringLiteral("Cannot Communicate with Target Board.\rVerify RS-232 Cable is Connected "
                                        "Between\rCOMM Port and PROG Port.");

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n"); }
    // Opens the link and forgets the bytes of the opening FFh.
    void goOnline()
    {
        comm.OpenRSComm(port);
        ASSERT_TRUE(comm.OnlineMode);
        board().clearLog();
    }
    SimBoard& board() { return port.board(); }
    QString wire() const { return hexBytes(const_cast<SimCommPort&>(port).board().received()); }
    void expectEntryAlert(const QString& reason)
    {
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].title, "ENTRY ALERT");
        EXPECT_EQ(prompts.shown[0].text, "Error:\r" + reason);
        EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
        EXPECT_EQ(wire(), "") << "a refused write must send nothing";
    }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort port;
    RSComm comm;
};

TEST_F(LinkTest, OpeningSetsThePortUpAndGoesOnlineWhenFFhIsAnswered)
{
    install.writeFile(QStringLiteral("support/RSPort.cfg"), "3,19200\r\n");
    comm.OpenRSComm(port);
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_FALSE(comm.CommError);
    EXPECT_EQ(wire(), "FF");
    EXPECT_EQ(port.commPort(), 3);
    EXPECT_EQ(port.settings(), "19200,n,8,1");

    board().clearLog();
    comm.CloseRSComm();
    EXPECT_EQ(wire(), "FF") << "closing sends a last FFh";
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(comm.OnlineMode);
}

TEST_F(LinkTest, SilentBoardResendsFFhTwiceThenAsksAndCancelEndsTheLink)
{
    board().setSilentFrom(0);
    prompts.answer(Answer::Cancel);
    qint64 boxAfter = -1;
    const qint64 start = monotonicMs();
    prompts.onShow = [&](const ScriptedPrompts::Shown&) { boxAfter = monotonicMs() - start; };
    comm.OpenRSComm(port);
    EXPECT_EQ(wire(), "FF FF FF") << "the byte, then FFh after each of two time-outs";
    // The first wait, then the two longer waits after each resend (1 + 2 + 2 s unshortened).
    EXPECT_GE(boxAfter, timeouts().replyMs + 2 * timeouts().resendMs);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "WARNING - Communication Error!");
    EXPECT_EQ(prompts.shown[0].text, kNoBoard);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_TRUE(comm.CommError);
    EXPECT_TRUE(comm.CommErrorAlert);

    // With the error pending nothing more goes on the wire, not even the closing FFh.
    board().clearLog();
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_TRUE(comm.LastReadFailed);
    comm.CloseRSComm();
    EXPECT_EQ(wire(), "");
}

// A read whose reply does not come: after the address high byte nothing goes out but FFh, at 1 s
// and at 3 s, and the box comes at 5 s.
TEST_F(LinkTest, AReadWithoutAReplySendsNothingButFFhAtOneAndThreeSeconds)
{
    goOnline();
    scaleTimeouts(1, 10);
    std::vector<qint64> at;
    board().replyHook = [&](long, uint8_t, std::optional<uint8_t> reply) {
        at.push_back(monotonicMs());
        return reply;
    };
    qint64 boxAt = 0;
    prompts.onShow = [&](const ScriptedPrompts::Shown&) { boxAt = monotonicMs(); };
    board().setSilentFrom(board().receivedCount() + 2);
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_EQ(wire(), "FF 01 00 FF FF");
    ASSERT_EQ(at.size(), 5u);
    const struct {
        qint64 after, expected;
    } times[] = {{at[3] - at[2], 100}, {at[4] - at[2], 300}, {boxAt - at[2], 500}};
    for (const auto& t : times) {
        EXPECT_GE(t.after, t.expected);
        EXPECT_LT(t.after, t.expected + 90);
    }
}

TEST_F(LinkTest, RetryGoesOnWaitingAndALateAnswerIsTaken)
{
    board().setSilentFrom(0);
    prompts.onShow = [&](const ScriptedPrompts::Shown&) {
        EXPECT_TRUE(comm.Busy()) << "a tick during the box must see the link busy";
        board().setSilentFrom(-1);
    };
    prompts.answer(Answer::Retry);
    comm.OpenRSComm(port);
    // After Retry the deadline has passed, so FFh goes out once more and the board answers it.
    EXPECT_EQ(wire(), "FF FF FF FF");
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_FALSE(comm.CommError);
    EXPECT_FALSE(comm.CommErrorAlert);
    EXPECT_FALSE(comm.Busy());
}

TEST_F(LinkTest, RetryThatStillGetsNothingAsksAgainAfterTwoMoreTimeOuts)
{
    board().setSilentFrom(0);
    prompts.answer(Answer::Retry).answer(Answer::Cancel);
    comm.OpenRSComm(port);
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(wire(), "FF FF FF FF FF");
    EXPECT_TRUE(comm.CommError);
}

TEST_F(LinkTest, HandshakeRepeatsFFhUntilTheBoardAnswers55h)
{
    goOnline();
    board().setBadHandshakes(2, 0x00);
    board().memory[100] = 7;
    EXPECT_EQ(comm.RSRead("B100"), "7");
    EXPECT_EQ(wire(), "FF FF FF 01 00 64");
    EXPECT_EQ(hexBytes(board().sent()), "00 00 55 55 00 07");
}

TEST_F(LinkTest, BoardThatNeverTakesTheModeIsReportedAndCancelClosesTheLink)
{
    goOnline();
    board().setBadHandshakes(1000000, 0x12);
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Cannot Set PLC Mode Within Target Board.");
    EXPECT_EQ(prompts.shown[0].title, "WARNING - Communication Error!");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_TRUE(comm.CommError);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(wire().startsWith("FF FF"));
    EXPECT_FALSE(wire().contains("01")) << "no mode byte without a 55h";
}

// A board that refuses the command byte itself: each refusal is let lapse before FFh goes again,
// and the box still comes.
TEST_F(LinkTest, ABoardThatRefusesTheCommandIsReportedAndCancelClosesTheLink)
{
    goOnline();
    board().replyHook = [](long, uint8_t byte, std::optional<uint8_t> reply) {
        return byte == 0x18 ? std::optional<uint8_t>(0x00) : reply;
    };
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(comm.PLSScaleFactor(), "-9999");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Cannot Set PLC Mode Within Target Board.");
    EXPECT_FALSE(comm.OnlineMode);
}

TEST_F(LinkTest, RetryAfterTheModeBoxTriesTheHandshakeAgain)
{
    goOnline();
    board().memory[100] = 7;
    board().setBadHandshakes(1000000, 0x12);
    prompts.onShow = [&](const ScriptedPrompts::Shown&) { board().setBadHandshakes(0); };
    prompts.answer(Answer::Retry);
    EXPECT_EQ(comm.RSRead("B100"), "7");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Cannot Set PLC Mode Within Target Board.");
    EXPECT_TRUE(wire().endsWith("FF 01 00 64"));
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_FALSE(comm.CommError);
}

TEST_F(LinkTest, ModeAndParseCachesSpareTheHandshake)
{
    goOnline();
    board().memory[100] = 42;
    board().memory[10] = 0x34;
    board().memory[11] = 0x12;
    EXPECT_EQ(comm.RSRead("B100"), "42");
    EXPECT_EQ(wire(), "FF 01 00 64");
    board().clearLog();
    EXPECT_EQ(comm.RSRead("b100"), "42");
    EXPECT_EQ(wire(), "00 64");
    board().clearLog();
    EXPECT_EQ(comm.RSRead("W10"), QString::number(0x1234));
    EXPECT_EQ(wire(), "00 0A 00 0B") << "low byte at the lower address, no new handshake";
}

TEST_F(LinkTest, ReadForms)
{
    goOnline();
    board().memory[100] = 0x08;           // bit 3
    board().memory[33] = 0x04;            // F10: bit 2 of byte 33
    board().memory[500] = 0xC8;           // 1F4H
    board().memory[32] = 0x99;            // unknown letters read byte 32
    board().memory[20] = 0x85;            // D20 = 123456789: 6789 = 1A85h, 12345 = 3039h
    board().memory[21] = 0x1A;
    board().memory[22] = 0x39;
    board().memory[23] = 0x30;
    EXPECT_EQ(comm.RSRead("B100.3"), "1");
    EXPECT_EQ(comm.RSRead("B100.2"), "0");
    EXPECT_EQ(comm.RSRead("F10"), "1");
    EXPECT_EQ(comm.RSRead("F11"), "0");
    EXPECT_EQ(comm.RSRead("1F4H"), "200");
    EXPECT_EQ(comm.RSRead("X5"), QString::number(0x99));
    board().clearLog();
    EXPECT_EQ(comm.RSRead("D20"), "123456789");
    EXPECT_EQ(wire(), "00 14 00 15 00 16 00 17");
}

TEST_F(LinkTest, ReadEchoMismatchGivesZeroThatTheCallerCanTellFromARealZero)
{
    goOnline();
    board().memory[100] = 9;
    // Byte 2 received after the handshake pair is the address high byte; its echo is spoiled.
    board().corruptReplyAt(board().receivedCount() + 2, 0x7E);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_TRUE(comm.LastReadFailed);
    EXPECT_FALSE(comm.CommError);
    board().clearLog();
    EXPECT_EQ(comm.RSRead("B100"), "9");
    EXPECT_FALSE(comm.LastReadFailed);
    // The mismatch cleared the mode, and nothing went out until the board had dropped the address
    // it half received: the first FFh is a handshake, not the low byte.
    EXPECT_EQ(wire(), "FF 01 00 64");
}

// The line drops out past the communication box, answered Retry: the first byte back answers an FFh
// sent again, not the byte the exchange sent, so the exchange gives no value; the next one, after a
// fresh handshake, gives the board's.
TEST_F(LinkTest, AReplyThatComesOnlyAfterFFhWasSentAgainAnswersNothing)
{
    board().memory[100] = 7;
    for (int k = 0; k < 4; ++k)
        board().memory[300 + k] = bytesOf({0x85, 0x1A, 0x39, 0x30})[k]; // D300 = 123456789
    board().pls.scale = 360;
    struct Case {
        const char* what;
        int lostFrom; // the byte, counted from the first of the call, whose reply is lost first
        std::function<QString()> call;
        QString failed, value;
    };
    const Case cases[] = {
        {"mode byte of a read", 1, [&] { return comm.RSRead("B100"); }, "0", "7"},
        {"data byte of a double word", 3, [&] { return comm.RSRead("D300"); }, "0", "123456789"},
        {"fault code of the status poll", 3, [&] { return QString::number(comm.FaultCode()); }, "0", "0"},
        {"low byte of a limit-switch word", 2, [&] { return comm.PLSScaleFactor(); }, "-9999", "360"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        comm.CloseRSComm();
        goOnline();
        prompts.shown.clear();
        dropOutFrom(board(), c.lostFrom);
        prompts.answer(Answer::Retry);
        EXPECT_EQ(c.call(), c.failed);
        EXPECT_TRUE(comm.ReplyLost);
        EXPECT_FALSE(comm.CommError) << "the link itself is still up";
        EXPECT_EQ(c.call(), c.value);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].title, "WARNING - Communication Error!");
    }
}

// A line that stalls past the communication box, answered Retry each time, and then delivers every
// reply it held in a burst: the late answer and the six 55h that answer the FFh sent again meanwhile.
// They are all read off before anything else goes out: the next command's handshake, which counts
// six 55h in a row, would count them as its own and take the answers to its own bytes one place
// off after it (a scale of 5555h for 360).
TEST_F(LinkTest, AnswersHeldPastTheBoxAreAllReadOffBeforeTheNextCommand)
{
    goOnline();
    board().pls.scale = 360;
    scaleTimeouts(1, 10); // FFh again at 100, 300, 700, 900, 1300 and 1500 ms; boxes at 500 and 1100
    prompts.answer(Answer::Retry).answer(Answer::Retry);
    // From the low byte's 55h, after the last FFh sent again: the held answers come further apart
    // than the line's quiet, but all within the wait for the last FFh's answer.
    board().holdRepliesFrom(board().receivedCount() + 2, 1520, 25);
    EXPECT_EQ(comm.PLSScaleFactor(), "-9999");
    EXPECT_TRUE(comm.ReplyLost);
    EXPECT_TRUE(comm.PulseTrain(2, 10, 20, 5));
    EXPECT_EQ(prompts.shown.size(), 2u) << "the communication boxes only";
    EXPECT_EQ(board().accesses, (std::vector<std::string>{"P2B 02 05 00 0A 14 00"}));
}

// A board that answers every byte late, after FFh was sent again, is a link that does not work: the
// communication box comes, and Cancel ends the link, as for a board that does not answer at all.
// One that answers slowly but before it could have dropped an exchange works, also in the longer
// handshake after a lost reply.
TEST_F(LinkTest, ABoardThatAnswersEveryByteLateIsALinkThatDoesNotWork)
{
    goOnline();
    board().memory[100] = 7;
    dropOutFrom(board(), 1);
    prompts.answer(Answer::Retry);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    scaleTimeouts(1, 5); // the handshake waits 400 ms; a reply later than 90 ms may be stale
    board().replyDelayMs = 70; // each of the six answers in time, together past the 400 ms
    EXPECT_EQ(comm.RSRead("B100"), "7");
    EXPECT_EQ(prompts.shown.size(), 1u) << "the drop-out's box only";

    // Late enough for the board to have dropped the exchange, late past the first FFh sent again,
    // and past the wait for its answer too.
    scaleTimeouts(1, 10);
    for (const int delayMs : {60, 90, 120, 250}) {
        SCOPED_TRACE(delayMs);
        comm.CloseRSComm();
        board().replyDelayMs = 0;
        goOnline();
        prompts.shown.clear();
        board().replyDelayMs = delayMs;
        prompts.answer(Answer::Cancel);
        for (int k = 0; k < 3 && !comm.CommError; ++k)
            EXPECT_EQ(comm.RSRead("W100"), "0");
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, kNoBoard);
        EXPECT_TRUE(comm.CommError);
    }
}

TEST_F(LinkTest, WritesPutTheBytesInAddressOrderAndKeepTheMode)
{
    goOnline();
    comm.RSWrite("W10", "65535");
    EXPECT_EQ(wire(), "FF 02 00 0A FF 00 0B FF");
    EXPECT_EQ(board().memory[10], 0xFF);
    EXPECT_EQ(board().memory[11], 0xFF);
    board().clearLog();
    comm.RSWrite("D20", "123456789");
    EXPECT_EQ(wire(), "00 14 85 00 15 1A 00 16 39 00 17 30");
    prompts.answerOk();
    comm.RSWrite("B40", "1,000 ");
    EXPECT_EQ(prompts.shown.size(), 1u) << "1000 is out of range for a byte";
    prompts.shown.clear();
    board().clearLog();
    comm.RSWrite("B40", "12.5%");
    EXPECT_EQ(board().memory[40], 125) << "separators, points and percent signs are skipped";
    comm.RSWrite("1F4H", "3");
    EXPECT_EQ(board().memory[500], 3);
}

TEST_F(LinkTest, BitWriteKeepsTheOtherSevenBits)
{
    goOnline();
    board().memory[40] = 0xA1;
    comm.RSWrite("B40.3", "1");
    EXPECT_EQ(wire(), "FF 01 00 28 FF 02 00 28 A9");
    EXPECT_EQ(board().memory[40], 0xA9);
    comm.RSWrite("B40.7", "0");
    EXPECT_EQ(board().memory[40], 0x29);
    comm.RSWrite("F10", "1"); // bit 2 of byte 33
    EXPECT_EQ(board().memory[33], 0x04);
}

TEST_F(LinkTest, BitWriteRightAfterAReadOfItsByteStillReadsTheWholeByte)
{
    goOnline();
    board().memory[40] = 0xA1;
    EXPECT_EQ(comm.RSRead("B40"), QString::number(0xA1));
    board().clearLog();
    // Read mode is still on and B40 was the last address read: no handshake, but the byte must be
    // read as a byte, not as the bit just named.
    comm.RSWrite("B40.3", "1");
    EXPECT_EQ(wire(), "00 28 FF 02 00 28 A9");
    EXPECT_EQ(board().memory[40], 0xA9);
    board().clearLog();
    EXPECT_EQ(comm.RSRead("B40"), QString::number(0xA9));
}

TEST_F(LinkTest, RefusedWriteBetweenTwoReadsOfTheSameAddressLeavesTheReadAlone)
{
    goOnline();
    board().memory[10] = 0x34;
    board().memory[11] = 0x12;
    EXPECT_EQ(comm.RSRead("W10"), QString::number(0x1234));
    prompts.answerOk();
    comm.RSWrite("B20", "300");
    ASSERT_EQ(prompts.shown.size(), 1u);
    board().clearLog();
    EXPECT_EQ(comm.RSRead("W10"), QString::number(0x1234));
    EXPECT_EQ(wire(), "00 0A 00 0B") << "still read mode, and still word 10";
}

// The address check and the parser read every text alike: what is checked (on a board of group A,
// of group B and of neither) is what a read puts on the wire after its handshake.
TEST_F(LinkTest, AddressTextsAreCheckedAsTheyAreSent)
{
    struct Case {
        const char* text;
        bool validA, validB, validOther;
        const char* wire; // "" = the text names no address and nothing is sent
    };
    const Case cases[] = {
        {"B40H", false, true, true, "0B 40"},
        {"1f4h", false, true, true, "01 F4"},
        {"20H", true, true, true, "00 20"},
        {"1FH", false, false, false, "00 1F"},
        {"8000H", false, false, true, "80 00"},
        {"0000000000000000042H", true, true, true, "00 42"},
        {"10000H", false, false, false, ""},
        {"100000000000000042H", false, false, false, ""},
        {"F12R2345678(H", false, false, false, ""},
        {"F2.5", false, false, false, ""},
        {"W40.1", false, false, false, ""},
        {"B100.3", true, true, true, "00 64"},
        {"B100.8", false, false, false, ""},
        {" B40 ", true, true, true, "00 28"},
        {"F10", true, true, true, "00 21"},
        {"W40", true, true, true, "00 28 00 29"},
        {"D65534", false, false, false, ""},
        {"B40000", false, false, true, "9C 40"},
        {"B99999999999999999999", false, false, false, ""},
        {"B", false, false, false, ""},
        {"B12x", false, false, false, ""},
        {"B 40", false, false, false, ""},
        {"F-5", false, false, false, ""},
        {"", false, false, false, ""},
        {"X30", true, true, false, "00 20"}, // I/O points are mapped by the caller first
        {"Q0", true, true, true, "00 20"},
    };
    goOnline();
    EXPECT_EQ(comm.RSRead("B32"), "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(comm.ValidAdd(c.text, 49), c.validA);
        EXPECT_EQ(comm.ValidAdd(c.text, 50), c.validB);
        EXPECT_EQ(comm.ValidAdd(c.text, 69), c.validOther);
        board().clearLog();
        comm.RSRead(c.text);
        EXPECT_EQ(wire(), c.wire);
        if (*c.wire)
            continue;
        EXPECT_TRUE(comm.LastReadFailed);
        prompts.answerOk();
        comm.RSWrite(c.text, "1");
        EXPECT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(wire(), "") << "nor by a write";
        prompts.shown.clear();
        comm.RSRead("B32"); // back into read mode for the next row
    }
}

// A write that was refused after its address was parsed leaves nothing for the next read to reuse.
TEST_F(LinkTest, RefusedWriteLeavesNoParsedAddressBehind)
{
    goOnline();
    board().memory[20] = 7;
    EXPECT_EQ(comm.RSRead("B10"), "0");
    prompts.answerOk();
    comm.RSWrite("B20", "300");
    board().clearLog();
    EXPECT_EQ(comm.RSRead(""), "0");
    EXPECT_TRUE(comm.LastReadFailed);
    EXPECT_EQ(wire(), "");
}

TEST_F(LinkTest, BitWriteWithoutTheCurrentByteWritesNothing)
{
    goOnline();
    board().memory[40] = 0xA1;
    // Every read of the byte loses its echo: the write must not clear the other bits.
    board().replyHook = [&](long, uint8_t in, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        if (board().mode() == SimBoard::Mode::Read && in == 0x00 && reply == 0x00)
            return 0x7E;
        return reply;
    };
    comm.RSWrite("B40.3", "1");
    EXPECT_EQ(board().memory[40], 0xA1);
    EXPECT_FALSE(wire().contains("02")) << "write mode was never asked for";
}

TEST_F(LinkTest, WriteEchoMismatchRepeatsOnceWithAFreshHandshake)
{
    goOnline();
    // FF 02 00 0A are bytes 0..3; the data byte (index 4) comes back wrong.
    board().corruptReplyAt(board().receivedCount() + 4, 0x00);
    comm.RSWrite("B10", "5");
    EXPECT_EQ(wire(), "FF 02 00 0A 05 FF 02 00 0A 05");
    EXPECT_EQ(board().memory[10], 5);

    // Write mode stays: 00 0A 06 go first, the repeat's data byte is index 7. Two mismatches in a
    // row end the write after its one repeat, without a box.
    board().clearLog();
    board().corruptReplyAt(board().receivedCount() + 2, 0x00);
    board().corruptReplyAt(board().receivedCount() + 7, 0x00);
    comm.RSWrite("B10", "6");
    EXPECT_EQ(wire(), "00 0A 06 FF 02 00 0A 06");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(comm.CommError);

    // A wrong echo of the address: the board may be waiting for the rest of the write. Nothing more
    // of it goes out (the address may have been garbled on its way in), and nothing at all until the
    // board has dropped what it half received, so that the handshake's FFh and mode byte are not
    // written into B255.
    comm.RSWrite("B10", "6");
    board().clearLog();
    board().corruptReplyAt(board().receivedCount(), 0x7E);
    comm.RSWrite("B10", "7");
    EXPECT_EQ(wire(), "00 FF 02 00 0A 07");
    EXPECT_EQ(board().accesses, (std::vector<std::string>{"W10=7"}));
    EXPECT_FALSE(comm.LastWriteFailed);
}

TEST_F(LinkTest, RefusedValuesSendNothing)
{
    goOnline();
    prompts.answerOk(6);
    comm.RSWrite("B10", "256");
    expectEntryAlert("Entry out of Range (0-255).");
    prompts.shown.clear();
    comm.RSWrite("W10", "65536");
    expectEntryAlert("Entry out of Range (0-65,535).");
    prompts.shown.clear();
    comm.RSWrite("D20", "655360000");
    expectEntryAlert("Entry out of Range (0-655,359,999).");
    prompts.shown.clear();
    comm.RSWrite("B10.1", "2");
    expectEntryAlert("Enter 0 or 1 Only.");
    prompts.shown.clear();
    comm.RSWrite("B10", "-5");
    expectEntryAlert("Only Numerical Data Allowed.");
    prompts.shown.clear();
    comm.RSWrite("B10", "12a");
    expectEntryAlert("Only Numerical Data Allowed.");
}

TEST_F(LinkTest, UnmappedIoPointIsNeverWritten)
{
    goOnline();
    board().memory[32] = 0x55;
    prompts.answerOk();
    comm.RSWrite("X5", "1");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "ENTRY ALERT");
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(board().memory[32], 0x55);
}

TEST_F(LinkTest, PortThatCannotBeOpenedIsReportedWithTheSystemsReason)
{
    port.openError = PortError{8002, "CommPort /dev/ttyS0", "No such file or directory"};
    prompts.answerOk();
    comm.OpenRSComm(port);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Comm Port Error");
    EXPECT_EQ(prompts.shown[0].text, "Error Number = 8002\r\nError Source = CommPort /dev/ttyS0\r\n\r\n"
                                     "No such file or directory");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_TRUE(comm.CommError);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_EQ(wire(), "");
}

TEST_F(LinkTest, ExchangeOnAClosedPortSetsTheError)
{
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_TRUE(comm.CommError);
    EXPECT_TRUE(comm.LastReadFailed);
}

class SettingsFileTest : public LinkTest {
protected:
    void SetUp() override {}
    void openWith(const QByteArray& file)
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), file);
        comm.OpenRSComm(port);
    }
};

TEST_F(SettingsFileTest, BothWritersFormatsReadBackTheSame)
{
    openWith("3,19200\r\n");
    EXPECT_EQ(port.commPort(), 3);
    EXPECT_EQ(port.settings(), "19200,n,8,1");
    openWith("3, 19200 \r\n");
    EXPECT_EQ(port.commPort(), 3);
    EXPECT_EQ(port.settings(), "19200,n,8,1");
}

TEST_F(SettingsFileTest, MissingOrEmptyFileGivesTheDefaultsAndIsWritten)
{
    comm.OpenRSComm(port);
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(port.settings(), "9600,n,8,1");
    EXPECT_EQ(install.readFile("support/RSPort.cfg"), "1,9600\r\n");

    openWith("");
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(install.readFile("support/RSPort.cfg"), "1,9600\r\n");
}

TEST_F(SettingsFileTest, MissingSupportFolderIsCreated)
{
    QDir(install.path("support")).removeRecursively();
    comm.OpenRSComm(port);
    EXPECT_EQ(install.readFile("Support/RSPort.cfg"), "1,9600\r\n");
}

TEST_F(SettingsFileTest, OutOfRangeValuesAreBounded)
{
    openWith("0,4800\r\n");
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(port.settings(), "9600,n,8,1");
    openWith("150,19200\r\n");
    EXPECT_EQ(port.commPort(), 99);
}

TEST_F(SettingsFileTest, UnreadableFileOffersRetryAndCancelLeavesThePortClosed)
{
    QDir().mkpath(install.path("support/RSPort.cfg")); // a folder where the file should be
    prompts.answer(Answer::Cancel);
    comm.OpenRSComm(port);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "RSComm InitializeRSComm");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(comm.OnlineMode);
}
} // namespace
