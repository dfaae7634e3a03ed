#pragma once
// A main window whose serial port is the simulated limit switch, with limit-switch programs in its
// programs folder.
#include "SimCommPort.h"
#include "WorkspaceFixture.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const SetpointPair& p, std::ostream* os) { *os << '(' << p.on << ", " << p.off << ')'; }

class PLSTest : public WorkspaceTest {
protected:
    PLSTest()
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        start({}, std::move(port));
        gPLSData = PLSFileData{};
        gPLSDataSnapshot = PLSFileData{};
        gTimingWindowShown = false;
        gFirstPassOnline = false;
        gPLSUploadComplete = false;
    }
    ~PLSTest() override { gTimingDisplayPLSChannels = nullptr; }

    SimBoard& board() { return sim->board(); }
    void online()
    {
        main->mnuViewOnline_Click();
        ASSERT_TRUE(gRSComm->OnlineMode);
        board().clearLog();
    }
    // A program of board `code` as the current program, selected in the browser.
    void useProgram(const QString& base, int code)
    {
        writeProgram(base, code);
        gProgramFile = programPath(base + QStringLiteral(".CVP"));
        browser().RefreshFileList(gProgramFile);
    }
    QByteArray programFile(const QString& name) const { return install.readFile(QStringLiteral("progs/") + name); }
    // The line drops out past the communication box from `after` bytes into the `which`th command
    // `command` the board receives from now on.
    void dropOutInCommand(int command, int which, int after)
    {
        scaleTimeouts(1, kDropOutScaleDen);
        board().replyHook = [this, command, which, after, prev = -1,
                             seen = 0](long index, uint8_t byte, std::optional<uint8_t> reply) mutable {
            if (prev == 0xFF && byte == command && ++seen == which)
                board().loseRepliesFrom(index + after, kDropOutMs);
            prev = byte;
            return reply;
        };
    }
    // Channel c's pairs (ON, OFF) on the board.
    void setBoardPairs(int c, std::vector<std::pair<int, int>> pairs) { board().pls.setpoints[c] = std::move(pairs); }

    // The channel commands on the wire: channel, ON, OFF and flag (1 set, 0 clear) of each.
    std::vector<std::array<int, 4>> channelCommands()
    {
        const QByteArray in = board().received();
        std::vector<std::array<int, 4>> out;
        for (qsizetype i = 0; i + 7 < in.size(); ++i) {
            auto b = [&](qsizetype k) { return static_cast<uint8_t>(in[i + k]); };
            if (b(0) == 0xFF && b(1) == 0x1B)
                out.push_back({b(2), b(3) + 256 * b(4), b(5) + 256 * b(6), b(7)});
        }
        return out;
    }
    // True when channel `c` was recalled.
    bool recalled(int c) { return board().received().contains(QByteArray("\xFF\x09") + char(c)); }

    SimCommPort* sim = nullptr;
};

inline SetpointList pairs(std::initializer_list<SetpointPair> list) { return SetpointList(list); }
