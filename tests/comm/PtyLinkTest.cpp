// The link end to end through the real serial port, against the simulated board on a
// pseudo-terminal.
#include "PtyBoard.h"
#include "ScriptedPrompts.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "platform/CommPort.h"

#include <QDir>
#include <QFile>
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

// A paced board is a line that is never faster than the wire: the last reply to bytes written
// together reaches the PC no sooner than those bytes and that reply could cross at the baud rate
// (10 bits a byte), in every exchange, whatever the pseudo-terminal's own delays. Load only makes
// the replies later, so the bound holds on a busy machine too.
TEST(PacedPtyBoard, NoReplyArrivesBeforeTheWireCouldCarryIt)
{
    constexpr int kBaud = 19200;
    constexpr long kByteNs = 10L * 1000000000L / kBaud;
    PtyBoard pty(std::make_shared<SimBoard>(), kBaud);
    ASSERT_TRUE(pty.ok());
    const int fd = ::open(pty.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    auto nowNs = [] {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return t.tv_sec * 1000000000L + t.tv_nsec;
    };
    for (const int together : {1, 2, 4}) {
        long earliest = LONG_MAX;
        for (int i = 0; i < 100; ++i) {
            const QByteArray out(together, '\xFF'); // each FF is answered 55h
            const long sent = nowNs();
            ASSERT_EQ(::write(fd, out.constData(), out.size()), together);
            int got = 0;
            while (got < together) {
                pollfd pfd{fd, POLLIN, 0};
                ASSERT_GT(::poll(&pfd, 1, 1000), 0);
                char in[8];
                const ssize_t n = ::read(fd, in, sizeof in);
                ASSERT_GT(n, 0);
                got += static_cast<int>(n);
            }
            earliest = std::min(earliest, nowNs() - sent);
        }
        EXPECT_GE(earliest, (together + 1) * kByteNs) << together << " bytes written together";
    }
    ::close(fd);
}
