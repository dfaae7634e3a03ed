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
#include <algorithm>
#include <climits>
#include <functional>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {
// Real waits on a real port: at time-outs of 1/4 an answer is late from 112 ms, well above any pause
// of a busy machine.
constexpr int kScaleDen = 4;

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

    TestInstall install{kScaleDen};
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
    pty.withBoard([](SimBoard& b) { dropOutFrom(b, 3, kScaleDen); });
    prompts.answer(Answer::Retry);
    EXPECT_EQ(comm.RSRead("B100"), "0");
    EXPECT_TRUE(comm.LastReadFailed);
    EXPECT_FALSE(comm.CommError);
    EXPECT_EQ(comm.RSRead("B100"), "42");
    EXPECT_EQ(prompts.shown.size(), 1u);
}

// Through the real port, faults of the line inside an exchange: a reply late, a byte lost on its way
// to the board. The board makes no write and no setting but the one asked for, and the operation
// either did it or says it failed; a read through a stall gives the board's value.
TEST_F(PtyLinkTest, AFaultInsideAnExchangeWritesNothingButWhatWasAsked)
{
    struct Case {
        const char* what;
        long at; // the byte of the call, counted from its first
        std::function<void(SimBoard&, long)> fault;
        std::function<bool()> call;
        std::string asked; // the one write or setting asked for; none for a read
    };
    const auto late = [](SimBoard& b, long i) { b.holdRepliesFrom(i, 1400 / kScaleDen); };
    const auto lostOnItsWay = [](SimBoard& b, long i) { b.loseByteAt(i); };
    const auto writeB = [this](const char* address) {
        return [=, this] {
            comm.RSWrite(QString::fromLatin1(address), "7");
            return !comm.LastWriteFailed;
        };
    };
    const Case cases[] = {
        {"the echo of a write's address high byte 1.4 s late", 2, late, writeB("B40"), "W40=7"},
        {"a write's address high byte lost", 2, lostOnItsWay, writeB("B100"), "W100=7"},
        // After the scale read's four bytes and the handshake's FFh: the command byte.
        {"a setpoint's command byte lost", 5, lostOnItsWay, [this] { return comm.SingleSetpoint(2, 100, 200, false); },
         "P1B 02 64 00 C8 00 01"},
        {"a read's handshake answered 3.6 s late", 0, [](SimBoard& b, long i) { b.holdRepliesFrom(i, 3600 / kScaleDen); },
         [this] { return comm.RSRead("B200") == "42"; }, ""},
    };
    pty.withBoard([](SimBoard& b) {
        b.memory[200] = 42;
        b.pls.scale = 360;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        comm.OpenRSComm(port);
        ASSERT_TRUE(comm.OnlineMode);
        pty.withBoard([&](SimBoard& b) {
            b.clearLog();
            c.fault(b, b.receivedCount() + c.at);
        });
        const bool done = c.call();
        const auto accesses = pty.withBoard([](SimBoard& b) { return b.accesses; });
        for (const std::string& access : accesses)
            EXPECT_TRUE(access[0] == 'R' || access == c.asked) << access << " was not asked for";
        if (c.asked.empty()) {
            EXPECT_TRUE(done) << "the read gave the board's value";
        } else if (done) {
            EXPECT_NE(std::find(accesses.begin(), accesses.end(), c.asked), accesses.end()) << "said done, but not done";
        }
        EXPECT_FALSE(comm.CommError);
        EXPECT_TRUE(prompts.shown.empty());
        comm.CloseRSComm();
    }
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
