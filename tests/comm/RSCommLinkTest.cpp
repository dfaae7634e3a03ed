#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"

#include <gtest/gtest.h>

namespace {
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
    }
    // Opens the link and forgets the bytes of the opening FFh.
    void goOnline()
    {
        comm.OpenRSComm(port);
        ASSERT_TRUE(comm.OnlineMode);
        board().clearLog();
    }
    SimBoard& board() { return port.board(); }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort port;
    RSComm comm;
};

TEST_F(LinkTest, OpeningSendsFFhAndGoesOnlineWhenTheBoardAnswers)
{
    comm.OpenRSComm(port);
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_FALSE(comm.CommError);
    EXPECT_EQ(hexBytes(board().received()), "FF");
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(port.settings(), "9600,n,8,1");
}

TEST_F(LinkTest, ReadOfAByteHandshakesOnceAndThenReusesTheMode)
{
    goOnline();
    board().memory[100] = 0x2A;
    EXPECT_EQ(comm.RSRead("B100"), "42");
    EXPECT_EQ(hexBytes(board().received()), "FF 01 00 64");
    EXPECT_EQ(hexBytes(board().sent()), "55 55 00 2A");
    board().clearLog();
    EXPECT_EQ(comm.RSRead("b100"), "42");
    EXPECT_EQ(hexBytes(board().received()), "00 64");
}
} // namespace
