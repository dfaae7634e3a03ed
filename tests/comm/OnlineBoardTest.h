#pragma once
#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"

#include <gtest/gtest.h>

// A link opened on port 1 to the in-process simulated board, with the bytes of the opening FFh
// already forgotten.
class OnlineBoardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        comm.OpenRSComm(port);
        ASSERT_TRUE(comm.OnlineMode);
        board().clearLog();
    }
    SimBoard& board() { return port.board(); }
    // The line drops out from the `n`th byte the board receives from now on (0: the next), past
    // the communication box.
    void dropOutFrom(long n) { ::dropOutFrom(board(), n); }
    QString wire() { return hexBytes(board().received()); }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort port;
    RSComm comm;
};
