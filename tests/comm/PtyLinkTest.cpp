// The link end to end through the real serial port, against the simulated board on a
// pseudo-terminal.
#include "PtyBoard.h"
#include "ScriptedPrompts.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "platform/CommPort.h"

#include <QDir>
#include <QFile>
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
