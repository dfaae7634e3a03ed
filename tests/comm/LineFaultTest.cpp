// Faults of the line at every byte of the operations that change a board: a reply late or lost, a
// byte lost on its way to the board, a board that resets. The board drops a half-received exchange
// after a short silence, as the resend after a time-out expects. Whatever the fault, the board makes
// no write and no limit-switch setting but those asked for, and the operation either did what it
// was asked (the board holds it) or says it failed; the next call gets the board's own answers.
#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <gtest/gtest.h>

namespace {
struct Fault {
    const char* name;
    std::function<void(SimBoard&, long)> at; // the fault from byte number `index` on
    // The link does not work from there on: the user is told, and Cancel ends the link.
    bool endsTheLink = false;
};

// At time-outs of 1/10: the reply wait is 100 ms, FFh goes again at 100 and 300 ms, the box at 500.
const Fault kFaults[] = {
    {"reply 1.4 s late", [](SimBoard& b, long i) { b.holdRepliesFrom(i, 140); }},
    {"reply 2.5 s late", [](SimBoard& b, long i) { b.holdRepliesFrom(i, 250); }},
    {"reply 3.6 s late", [](SimBoard& b, long i) { b.holdRepliesFrom(i, 360); }},
    // In time, but after the board, silent since it answered, has dropped the exchange.
    {"reply 0.7 s late", [](SimBoard& b, long i) { b.holdRepliesFrom(i, 70); }},
    // A garbled data byte cannot be told by anyone; an echo or an acknowledgement can.
    {"echo or acknowledgement garbled",
     [](SimBoard& b, long i) {
         b.replyHook = [i](long index, uint8_t byte, std::optional<uint8_t> reply) {
             return index == i && reply && (*reply == 0x55 || *reply == byte) ? std::optional<uint8_t>(0x7E) : reply;
         };
     }},
    {"replies lost 1.5 s", [](SimBoard& b, long i) { b.loseRepliesFrom(i, 150); }},
    {"byte lost on its way to the board", [](SimBoard& b, long i) { b.loseByteAt(i); }},
    {"board reset at the byte", [](SimBoard& b, long i) { b.resetAt(i); }},
    // A line slow on the way back, behind a board that answered at once and has dropped the
    // exchange by the time its answer arrives.
    {"answers 0.6 s late on the line, twice", [](SimBoard& b, long i) { b.delayRepliesFrom(i, 60, 2); }},
    {"an answer 0.9 s late on the line", [](SimBoard& b, long i) { b.delayRepliesFrom(i, 90, 1); }},
    {"a board answering 0.6 s late from here on", [](SimBoard& b, long i) { b.slowFrom(i, 60); }, true},
};

struct Operation {
    const char* name;
    std::function<bool(RSComm&)> run; // true when the operation says it was done
    std::set<std::string> asked;      // the writes and settings it may make
    // After an operation that says it was done: the board holds what was asked, or the operation's
    // result is what the board gave.
    std::function<bool(RSComm&, const SimBoard&)> holds;
    // A call that follows gets the board's own answer.
    std::function<bool(RSComm&, const SimBoard&)> next;
    // The box the operation may show when it fails.
    QString failureBox = {};
    // The board as the operation needs it; and the bytes of the operation before the first fault,
    // where the bytes after them would repeat what is swept already.
    std::function<void(SimBoard&)> prepare = {};
    long skip = 0;
};

void PrintTo(const Operation& op, std::ostream* os) { *os << op.name; }

bool written(RSComm& comm)
{
    return !comm.LastWriteFailed && !comm.CommError;
}

// The value of `bytes` bytes of memory from `address` as a read shows it.
QString memoryValue(const SimBoard& b, int address, int bytes)
{
    const auto word = [&](int a) { return b.memory[a + 1] * 256 + b.memory[a]; };
    if (bytes == 1)
        return QString::number(b.memory[address]);
    if (bytes == 2)
        return QString::number(word(address));
    return QString::number(qint64(word(address + 2)) * 10000 + word(address));
}

std::function<bool(RSComm&, const SimBoard&)> readsBack(const char* address, int at, int bytes)
{
    return [=](RSComm& comm, const SimBoard& b) {
        return comm.RSRead(QString::fromLatin1(address)) == memoryValue(b, at, bytes) && !comm.LastReadFailed;
    };
}

bool scaleReadsBack(RSComm& comm, const SimBoard&) { return comm.PLSScaleFactor() == "360"; }

QString g_read; // what the read gave

// An offset of 767 (2FFh) and a scale of 767 begin their arguments with FFh, which a board that has
// dropped the command takes for a handshake.
void offsetOf767(SimBoard& b)
{
    b.pls.scale = 1000;
    b.pls.offset = 0;
    b.pls.rawPosition = 0;
}
constexpr std::array<int, 24> kConfig = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                         13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
bool configHeld(const SimBoard& b)
{
    return b.pls.scale == 767 && std::equal(kConfig.begin(), kConfig.end(), b.pls.configIn.begin());
}

// Channel 2 is also the mode byte of a write.
const Operation kOperations[] = {
    {"Read", [](RSComm& c) { g_read = c.RSRead("W210"); return !c.LastReadFailed; }, {},
     [](RSComm&, const SimBoard&) { return g_read == "4660"; }, readsBack("W210", 210, 2)},
    {"ByteWrite", [](RSComm& c) { c.RSWrite("B40", "7"); return written(c); }, {"W40=7"},
     [](RSComm&, const SimBoard& b) { return b.memory[40] == 7; }, readsBack("B40", 40, 1)},
    {"WordWrite", [](RSComm& c) { c.RSWrite("W210", "5000"); return written(c); }, {"W210=136", "W211=19"},
     [](RSComm&, const SimBoard& b) { return b.memory[210] == 136 && b.memory[211] == 19; }, readsBack("W210", 210, 2)},
    {"DoubleWordWrite", [](RSComm& c) { c.RSWrite("D300", "888"); return written(c); },
     {"W300=120", "W301=3", "W302=0", "W303=0"},
     [](RSComm&, const SimBoard& b) { return memoryValue(b, 300, 4) == "888"; }, readsBack("D300", 300, 4)},
    {"Setpoint", [](RSComm& c) { return c.SingleSetpoint(2, 100, 200, false); }, {"P1B 02 64 00 C8 00 01"},
     [](RSComm&, const SimBoard& b) { return b.pls.setpoints[2].back() == std::make_pair(100, 200); },
     scaleReadsBack},
    {"ClearChannel", [](RSComm& c) { return c.ClearPLSChan(2); }, {"P1B 02 00 00 00 00 00"},
     [](RSComm&, const SimBoard& b) { return b.pls.setpoints[2].empty(); }, scaleReadsBack},
    // Channel 26 is also the command byte that writes the scale.
    {"Recall", [](RSComm& c) { return static_cast<bool>(c.RecallChannel(26)); }, {},
     [](RSComm& c, const SimBoard&) {
         const auto point = std::make_pair(c.ChannelRecallState(), c.ChannelRecallPos());
         return point == std::make_pair(1, 10) || point == std::make_pair(0, 20);
     },
     scaleReadsBack},
    {"PulseTrain", [](RSComm& c) { return c.PulseTrain(2, 10, 20, 5); }, {"P2B 02 05 00 0A 14 00"},
     [](RSComm&, const SimBoard& b) {
         return b.pls.setpoints[2].size() == 12 && b.pls.setpoints[2][0] == std::make_pair(5, 15);
     },
     scaleReadsBack, "Error Encountered while Programming Pulse Train.\r\n\r\nPLS Channel will not be Programmed."},
    {"SetOffset", [](RSComm& c) { return c.SetPLSOffset(233); }, {"P2A FF 02"},
     [](RSComm&, const SimBoard& b) { return b.pls.offset == 767; },
     [](RSComm& c, const SimBoard& b) { return c.PLSOffset() == QString::number(b.pls.offset); }, {}, offsetOf767},
    // Three blocks go as the fourth does.
    {"ConfigDownload", [](RSComm& c) { return c.PLSConfigDownload(kConfig, 767); },
     {"P3B 01 02 03 04 05 06", "P4B 07 08 09 0A 0B 0C", "P5B 0D 0E 0F 10 11 12", "P6B 13 14 15 16 17 18", "P1A FF 02"},
     [](RSComm&, const SimBoard& b) { return configHeld(b); },
     [](RSComm& c, const SimBoard& b) { return c.PLSScaleFactor() == QString::number(b.pls.scale); }, {}, nullptr, 33},
};

// A fresh board and link for each case: nothing one case leaves behind can mend or spoil the next.
struct Rig {
    explicit Rig(const Operation& op)
    {
        SimBoard& b = port.board();
        b.pls.scale = 360;
        b.memory[210] = 0x34; // W210 = 4660
        b.memory[211] = 0x12;
        b.pls.setpoints[2] = {{30, 40}};
        b.pls.setpoints[26] = {{10, 20}};
        if (op.prepare)
            op.prepare(b);
        comm.OpenRSComm(port);
        b.clearLog();
    }
    SimCommPort port;
    RSComm comm;
};

class LineFaultTest : public ::testing::TestWithParam<Operation> {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        // Every box is looked at below; a communication box answered so ends the link.
        prompts.answerAllWith(Answer::Ok);
    }
    TestInstall install{10};
    ScriptedPrompts prompts;
};

TEST_P(LineFaultTest, AFaultAtAnyByteWritesNothingButWhatWasAskedAndTakesNoAnswerForAnother)
{
    const Operation& op = GetParam();
    long bytes = 0;
    {
        Rig clean(op);
        ASSERT_TRUE(op.run(clean.comm)) << "the operation works on a sound line";
        bytes = clean.port.board().receivedCount() - 1; // less the opening FFh
    }
    const QString noBoard = QStringLiteral("Cannot Communicate with Target Board.\rVerify RS-232 Cable is Connected "
                                           "Between\rCOMM Port and PROG Port.");
    for (const Fault& fault : kFaults) {
        for (long k = op.skip; k < bytes; ++k) {
            SCOPED_TRACE(std::string(fault.name) + " at byte " + std::to_string(k));
            Rig rig(op);
            SimBoard& b = rig.port.board();
            ASSERT_TRUE(rig.comm.OnlineMode);
            fault.at(b, b.receivedCount() + k);
            const bool done = op.run(rig.comm);
            if (fault.endsTheLink) {
                // However far the operation got, the link does not work on: the next call meets the
                // box if the operation did not. Then the user goes on-line again to a sound board.
                for (int n = 0; n < 3 && !rig.comm.CommError; ++n)
                    op.next(rig.comm, b);
                EXPECT_TRUE(rig.comm.CommError) << "the user was not told";
                const auto box = std::find_if(prompts.shown.begin(), prompts.shown.end(),
                                              [&](const auto& p) { return p.text == noBoard; });
                ASSERT_NE(box, prompts.shown.end());
                prompts.shown.erase(box);
                b.replyDelayMs = 0;
                rig.port.idle(timeouts().replyMs);
                rig.comm.OpenRSComm(rig.port);
            }
            for (const std::string& access : b.accesses)
                EXPECT_TRUE(access[0] == 'R' || op.asked.count(access)) << access << " was not asked for";
            if (done) {
                EXPECT_TRUE(op.holds(rig.comm, b)) << "said done, but the board does not hold it";
            } else if (!op.failureBox.isEmpty() && !prompts.shown.empty()) {
                EXPECT_EQ(prompts.shown[0].text, op.failureBox);
                prompts.shown.erase(prompts.shown.begin());
            }
            b.delayRepliesFrom(-1, 0, 0); // the line sound again for the next call
            EXPECT_TRUE(op.next(rig.comm, b)) << "the next call took an answer for another";
            EXPECT_FALSE(rig.comm.CommError);
            EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().text.toStdString();
            prompts.shown.clear();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, LineFaultTest, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& info) { return std::string(info.param.name); });
} // namespace
