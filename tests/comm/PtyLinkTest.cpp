// The link end to end through the real serial port, against the simulated board on a
// pseudo-terminal.
#include "PtyBoard.h"
#include "ScriptedPrompts.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {
class PtyLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        QDir().mkpath(install.path("support/ports"));
        ASSERT_TRUE(QFile::link(pty.devicePath(), install.path("support/ports/COM1")));
        install.writeFile("support/RSPort.cfg", "1,19200\r\n");
    }
    QString wire()
    {
        return hexBytes(pty.withBoard([](SimBoard& b) { return b.received(); }));
    }

    TestInstall install{10};
    ScriptedPrompts prompts;
    PtyBoard pty;
    SerialCommPort port;
    RSComm comm;
};

TEST_F(PtyLinkTest, OpenHandshakeReadWriteClose)
{
    EXPECT_EQ(deviceForPort(1), install.path("support/ports/COM1"));
    pty.withBoard([](SimBoard& b) {
        b.memory[100] = 42;
        b.memory[300] = 0x81;
    });
    comm.OpenRSComm(port);
    ASSERT_TRUE(comm.OnlineMode);
    EXPECT_EQ(comm.RSRead("B100"), "42");
    EXPECT_EQ(comm.RSRead("12CH"), QString::number(0x81));
    comm.RSWrite("W10", "4660");
    comm.RSWrite("B300.0", "0");
    comm.CloseRSComm();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(wire(), "FF FF 01 00 64 01 2C FF 02 00 0A 34 00 0B 12 FF 01 01 2C FF 02 01 2C 80 FF");
    pty.withBoard([](SimBoard& b) {
        EXPECT_EQ(b.memory[10], 0x34);
        EXPECT_EQ(b.memory[11], 0x12);
        EXPECT_EQ(b.memory[300], 0x80);
    });
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PtyLinkTest, SilentBoardTimesOutThroughTheRealPort)
{
    pty.withBoard([](SimBoard& b) { b.setSilentFrom(0); });
    prompts.answer(Answer::Cancel);
    comm.OpenRSComm(port);
    EXPECT_EQ(wire(), "FF FF FF");
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_TRUE(comm.CommError);
}

// The line drops out during a read past the communication box, answered Retry: the byte that comes
// back through the real port answers an FFh sent again, so the read gives no value; the next gives
// the board's.
TEST_F(PtyLinkTest, AReadThroughALineThatDropsOutGivesNoValueThenTheBoards)
{
    pty.withBoard([](SimBoard& b) { b.memory[100] = 42; });
    comm.OpenRSComm(port);
    ASSERT_TRUE(comm.OnlineMode);
    // FFh, 01h, the high byte, then the low byte whose data reply is lost.
    pty.withBoard([](SimBoard& b) { dropOutFrom(b, 3); });
    prompts.answer(Answer::Retry);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_TRUE(comm.LastReadFailed);
    EXPECT_FALSE(comm.CommError);
    EXPECT_EQ(comm.RSRead("B100"), "42");
    EXPECT_EQ(prompts.shown.size(), 1u);
}

// Through the real port, a line that stalls past one FFh sent again and then delivers every reply
// at once: at a read's handshake the read still gives the board's value; at a write's address the
// write is done as asked, and no other byte of the board is touched.
TEST_F(PtyLinkTest, ALineThatStallsAndThenDeliversEveryReplyAtOnceTakesNoAnswerForAnother)
{
    pty.withBoard([](SimBoard& b) { b.memory[100] = 42; });
    comm.OpenRSComm(port);
    ASSERT_TRUE(comm.OnlineMode);
    scaleTimeouts(1, 10);
    pty.withBoard([](SimBoard& b) { b.holdRepliesFrom(b.receivedCount(), 360); });
    EXPECT_EQ(comm.RSRead("B100"), "42");
    // FFh and 02h, then the address high byte.
    pty.withBoard([](SimBoard& b) { b.holdRepliesFrom(b.receivedCount() + 2, 360); });
    comm.RSWrite("B40", "7");
    EXPECT_FALSE(comm.LastWriteFailed);
    EXPECT_FALSE(comm.CommError);
    pty.withBoard([](SimBoard& b) {
        EXPECT_EQ(b.memory[40], 7);
        for (int a = 0; a < 65536; ++a)
            if (a != 40 && a != 100)
                ASSERT_EQ(b.memory[a], 0) << "B" << a;
    });
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PtyLinkTest, MissingDeviceGivesTheCommPortErrorWithTheSystemsReason)
{
    install.writeFile("support/RSPort.cfg", "2,9600\r\n");
    QFile::link(install.path("support/ports/nothing-here"), install.path("support/ports/COM2"));
    prompts.answerOk();
    comm.OpenRSComm(port);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Comm Port Error");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
    EXPECT_TRUE(prompts.shown[0].text.contains("Error Source = "));
    EXPECT_TRUE(comm.CommError);
    EXPECT_FALSE(comm.OnlineMode);
}

TEST(PortDevice, PortNumberNamesASerialDeviceWithoutALink)
{
    TestInstall install;
    EXPECT_EQ(deviceForPort(1), "/dev/ttyS0");
    EXPECT_EQ(deviceForPort(12), "/dev/ttyS11");
    EXPECT_EQ(settingsBaud("19200,n,8,1"), 19200);
    EXPECT_EQ(settingsBaud("junk"), 9600);
}
} // namespace

namespace {
constexpr int kBaud = 19200;
constexpr long kByteNs = 10L * 1000000000L / kBaud;

// Writes `together` FFh bytes (each answered 55h) and returns when the last reply came.
long exchange(int fd, int together)
{
    const QByteArray out(together, '\xFF');
    if (::write(fd, out.constData(), out.size()) != together)
        return -1;
    for (int got = 0; got < together;) {
        pollfd pfd{fd, POLLIN, 0};
        char in[8];
        const ssize_t n = ::poll(&pfd, 1, 1000) > 0 ? ::read(fd, in, sizeof in) : -1;
        if (n <= 0)
            return -1;
        got += static_cast<int>(n);
    }
    return monotonicNs();
}

int openLine(const PtyBoard& pty)
{
    return ::open(pty.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
}
} // namespace

// A paced board is a line that is never faster than the wire: the last reply to bytes written
// together reaches the PC no sooner than those bytes and that reply could cross at the baud rate
// (10 bits a byte), in every exchange, whatever the pseudo-terminal's own delays. Load only makes
// the replies later, so the bound holds on a busy machine too.
TEST(PacedPtyBoard, NoReplyArrivesBeforeTheWireCouldCarryIt)
{
    PtyBoard pty(std::make_shared<SimBoard>(), kBaud);
    ASSERT_TRUE(pty.ok());
    const int fd = openLine(pty);
    ASSERT_GE(fd, 0);
    for (const int together : {1, 2, 4}) {
        long earliest = LONG_MAX;
        for (int i = 0; i < 100; ++i) {
            const long sent = monotonicNs();
            const long replied = exchange(fd, together);
            ASSERT_GT(replied, 0);
            earliest = std::min(earliest, replied - sent);
        }
        EXPECT_GE(earliest, (together + 1) * kByteNs) << together << " bytes written together";
    }
    ::close(fd);
}

// Given the program's write times, the wire time of each byte starts when the program says it
// wrote it: here a millisecond before the bytes really go, so the reply is due sooner after the
// real write than the wire time, and comes then, never before it is due.
TEST(PacedPtyBoard, WithWriteTimesTheWireStartsWhenTheProgramWrote)
{
    QTemporaryDir dir;
    WriteTimesWriter times(dir.filePath("times").toStdString());
    PtyBoard pty(std::make_shared<SimBoard>(), kBaud, dir.filePath("times").toStdString());
    ASSERT_TRUE(pty.usesWriteTimes());
    const int fd = openLine(pty);
    ASSERT_GE(fd, 0);
    for (const int together : {1, 2, 4}) {
        long earliest = LONG_MAX;
        for (int i = 0; i < 30; ++i) {
            const long sent = monotonicNs();
            times.record(together, sent);
            usleep(1000);
            const long replied = exchange(fd, together);
            ASSERT_GT(replied, 0);
            earliest = std::min(earliest, replied - sent);
        }
        EXPECT_GE(earliest, (together + 1) * kByteNs) << together << " bytes written together";
        EXPECT_LT(earliest, (together + 1) * kByteNs + 500000) << together << " bytes written together";
    }
    ::close(fd);
}

// Write times out of step with the bytes (here the program recorded a write whose bytes never
// reached the board) are not used: each byte's wire time starts when it arrived.
TEST(PacedPtyBoard, WriteTimesOutOfStepWithTheBytesAreNotUsed)
{
    QTemporaryDir dir;
    WriteTimesWriter times(dir.filePath("times").toStdString());
    PtyBoard pty(std::make_shared<SimBoard>(), kBaud, dir.filePath("times").toStdString());
    const int fd = openLine(pty);
    ASSERT_GE(fd, 0);
    times.record(1, monotonicNs() - 10000000); // lost on the way
    for (int i = 0; i < 10; ++i) {
        const long sent = monotonicNs();
        times.record(1, sent - 5000000);
        const long replied = exchange(fd, 1);
        ASSERT_GT(replied, 0);
        EXPECT_GE(replied - sent, 2 * kByteNs) << "exchange " << i;
    }
    ::close(fd);
}
