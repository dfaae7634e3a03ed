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

#include <functional>
#include <set>
#include <gtest/gtest.h>

namespace {
struct Fault {
    const char* name;
    std::function<void(SimBoard&, long)> at; // the fault from byte number `index` on
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
};

// A fresh board and link for each case: nothing one case leaves behind can mend or spoil the next.
struct Rig {
    Rig()
    {
        SimBoard& b = port.board();
        b.pls.scale = 360;
        b.memory[210] = 0x34; // W210 = 4660
        b.memory[211] = 0x12;
        b.pls.setpoints[2] = {{30, 40}};
        b.pls.setpoints[26] = {{10, 20}};
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
        Rig clean;
        ASSERT_TRUE(op.run(clean.comm)) << "the operation works on a sound line";
        bytes = clean.port.board().receivedCount() - 1; // less the opening FFh
    }
    for (const Fault& fault : kFaults) {
        for (long k = 0; k < bytes; ++k) {
            SCOPED_TRACE(std::string(fault.name) + " at byte " + std::to_string(k));
            Rig rig;
            SimBoard& b = rig.port.board();
            ASSERT_TRUE(rig.comm.OnlineMode);
            fault.at(b, b.receivedCount() + k);
            const bool done = op.run(rig.comm);
            for (const std::string& access : b.accesses)
                EXPECT_TRUE(access[0] == 'R' || op.asked.count(access)) << access << " was not asked for";
            if (done) {
                EXPECT_TRUE(op.holds(rig.comm, b)) << "said done, but the board does not hold it";
            } else if (!op.failureBox.isEmpty() && !prompts.shown.empty()) {
                EXPECT_EQ(prompts.shown[0].text, op.failureBox);
                prompts.shown.erase(prompts.shown.begin());
            }
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
