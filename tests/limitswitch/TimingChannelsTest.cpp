#include "TimingFixture.h"

#include "limitswitch/frmPLSView.h"
#include "platform/GridModel.h"

#include <QAction>

namespace {
using Pairs = std::vector<std::pair<int, int>>;

QStringList gridRow(const frmTiming& f, int r)
{
    return {f.fgModel->textMatrix(r, 0), f.fgModel->textMatrix(r, 1), f.fgModel->textMatrix(r, 2)};
}

// Channel c's pairs as the grid lists them; "****" lists none.
Pairs gridPairs(const frmTiming& f, int c)
{
    const GridModel& g = *f.fgModel;
    int r = 1;
    while (r < g.rows() && g.textMatrix(r, 0) != QStringLiteral("CH") + QString::number(c))
        ++r;
    Pairs out;
    for (; r < g.rows() && !g.textMatrix(r, 1).isEmpty(); ++r)
        if (g.textMatrix(r, 1) != "****")
            out.push_back({g.textMatrix(r, 1).toInt(), g.textMatrix(r, 2).toInt()});
    return out;
}

// What a pulse train of 10 ON and 20 OFF divisions from 5 puts on a scale of 360.
Pairs trainOf10And20From5()
{
    Pairs train;
    for (int at = 5; at < 360; at += 30)
        train.push_back({at, at + 10});
    return train;
}

// The grid shows channel c as one that could not be read.
bool gridShowsUnknown(const frmTiming& f, int c)
{
    const GridModel& g = *f.fgModel;
    for (int r = 1; r < g.rows(); ++r)
        if (g.textMatrix(r, 0) == QStringLiteral("CH") + QString::number(c))
            return g.textMatrix(r, 1) == "????";
    return false;
}

TEST_F(TimingTest, TheChannelEntryStepsInOctalAndShowsTheChannelsFirstPair)
{
    board().pls.configOut[0] = 16;
    setBoardPairs(7, {{70, 80}});
    setBoardPairs(8, {{100, 110}});
    frmTiming& f = openOnline(69);
    f.txtTmg[1]->setText(QStringLiteral("7"));
    f.txtTmg[1]->stepBy(1);
    EXPECT_EQ(f.txtTmg[1]->text(), "10");
    EXPECT_EQ(f.txtTmg[2]->text(), "100");
    EXPECT_EQ(f.txtTmg[3]->text(), "110");
    f.txtTmg[1]->stepBy(-1);
    EXPECT_EQ(f.txtTmg[1]->text(), "7");
    EXPECT_EQ(f.txtTmg[2]->text(), "70");
    f.Form_Unload();

    board().pls.configOut[0] = 64;
    setBoardPairs(15, {{150, 160}});
    frmTiming& g = openOnline(69);
    g.txtTmg[1]->setText(QStringLiteral("19"));
    EXPECT_FALSE(g.txtTmg_Validate(1));
    EXPECT_EQ(g.txtTmg[1]->text(), "17");
    EXPECT_EQ(g.txtTmg[2]->text(), "150");
    EXPECT_EQ(g.txtTmg[3]->text(), "160");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TimingTest, APulseTrainKeepsTheChosenChannelForTheNextCommand)
{
    board().pls.configOut[0] = 16;
    frmTiming& f = openOnline(69);
    prompts.answerAllWith(Answer::Ok);
    struct Row {
        const char* outcome;
        int on, refusedStep; // the board answers this argument with 00h
    } rows[] = {{"refused by the board", 10, 0}, {"divisions refused", 7, -1}, {"accepted", 10, -1}};
    auto pulseTrain = [&f](int on) {
        f.txtTmg[2]->setText(QString::number(on));
        f.txtTmg[3]->setText(QStringLiteral("20"));
        f.txtTmg[4]->setText(QStringLiteral("5"));
        f.cmdPulseTrain_Click();
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.outcome);
        setBoardPairs(0, {{1, 2}});
        setBoardPairs(10, {});
        f.txtTmg[1]->setText(QStringLiteral("12"));
        board().pls.wrongAckStep = row.refusedStep;
        pulseTrain(row.on);
        board().pls.wrongAckStep = -1;
        EXPECT_EQ(f.txtTmg[1]->text(), "12");
        // The next train, the channel untouched, goes to channel 12 (10 in decimal).
        pulseTrain(10);
        EXPECT_EQ(boardPairs(0), Pairs({{1, 2}}));
        const Pairs train = boardPairs(10);
        EXPECT_TRUE(!train.empty() && train.front() == std::make_pair(5, 15));
    }
}

TEST_F(TimingTest, AChannelWithoutSetpointsListsAsOneRowAndItsPlaceholderIsReplaced)
{
    setBoardPairs(0, {{10, 20}, {300, 30}});
    frmTiming& f = openOnline(69);
    EXPECT_EQ(gridRow(f, 1), QStringList({"CH0", "10", "20"}));
    EXPECT_EQ(gridRow(f, 2), QStringList({"1:", "300", "30"}));
    EXPECT_EQ(gridRow(f, 3), QStringList({"", "", ""}));
    EXPECT_EQ(gridRow(f, 4), QStringList({"CH1", "****", "****"}));
    EXPECT_EQ(gridRow(f, 5), QStringList({"", "", ""}));
    EXPECT_EQ(gridRow(f, 6)[0], "CH2");

    pick(f, 1, 40, 50);
    f.cmdAddSetpoint_Click();
    // Clear first (flag 0), then the pair (flag 1).
    const QByteArray wire = board().received();
    EXPECT_TRUE(wire.contains(bytesOf({0xFF, 0x1B, 1, 0, 0, 0, 0, 0})));
    EXPECT_TRUE(wire.contains(bytesOf({0xFF, 0x1B, 1, 40, 0, 50, 0, 1})));
    EXPECT_EQ(boardPairs(1), Pairs({{40, 50}}));
    EXPECT_EQ(gridRow(f, 4), QStringList({"CH1", "40", "50"}));
    EXPECT_EQ(f.txtTmg[1]->text(), "1");
    EXPECT_TRUE(prompts.shown.empty());

    // The listing ends at the first channel nothing is known of.
    gPLSData.ChannelSetpoints[3].reset();
    f.DisplayPLSChannels();
    EXPECT_EQ(gridRow(f, 6)[0], "CH2");
    EXPECT_EQ(gridRow(f, 8)[0], "");
}

TEST_F(TimingTest, APairIsRefusedWhenAnEndpointFallsInAWindowAcrossZero)
{
    board().pls.scale = 360;
    struct Case {
        Pairs existing;
        int on, off;
        bool accepted;
    } cases[] = {{{{300, 100}}, 350, 355, false}, {{{300, 100}}, 50, 60, false}, {{{300, 100}}, 150, 250, true},
                 {{{100, 200}}, 50, 250, true},   {{{100, 200}}, 150, 250, false}};
    frmTiming& f = openOnline(69);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.on);
        setBoardPairs(2, c.existing);
        f.txtTmg[1]->setText(QStringLiteral("2"));
        f.cmdRecallChan_Click();
        prompts.shown.clear();
        if (!c.accepted)
            prompts.answerOk();
        pick(f, 2, c.on, c.off);
        f.cmdAddSetpoint_Click();
        EXPECT_EQ(boardPairs(2).size(), c.accepted ? 2u : 1u);
        if (!c.accepted) {
            ASSERT_EQ(prompts.shown.size(), 1u);
            EXPECT_EQ(prompts.shown[0].text, "Setpoint overlaped with existing setpoint.");
            EXPECT_EQ(prompts.shown[0].title, "Add Setpoint");
        }
    }
}

TEST_F(TimingTest, AdjustReplacesOnePairAndSkipsPairsWithoutSetpoints)
{
    setBoardPairs(3, {{10, 20}, {100, 200}});
    frmTiming& f = openOnline(69);
    // Pair 1 moves inside its own old window: only the other pairs count.
    pick(f, 3, 120, 220);
    f.txtTmg[5]->setText(QStringLiteral("1"));
    f.cmdAdjustSetpoint_Click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(boardPairs(3), Pairs({{10, 20}, {120, 220}}));
    EXPECT_EQ(f.txtTmg[5]->text(), "1");
    EXPECT_EQ(f.txtTmg[2]->text(), "120");

    // The placeholder of an empty channel overlaps nothing.
    pick(f, 4, 0, 50);
    f.txtTmg[5]->setText(QStringLiteral("0"));
    f.cmdAdjustSetpoint_Click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(boardPairs(4), Pairs({{0, 50}}));

    // A channel nothing is known of has no pairs: adding or adjusting sends the pair alone.
    for (int c : {5, 6}) {
        gPLSData.ChannelSetpoints[static_cast<std::size_t>(c)].reset();
        pick(f, c, 30, 40);
        EXPECT_EQ(f.txtTmg[5]->maximum(), 0);
        c == 5 ? f.cmdAddSetpoint_Click() : f.cmdAdjustSetpoint_Click();
        EXPECT_EQ(boardPairs(c), Pairs({{30, 40}})) << c;
        EXPECT_EQ(f.txtTmg[2]->text(), "30");
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TimingTest, ClearChannelAsksWithTheChannelInTwoDigits)
{
    board().pls.configOut[0] = 16;
    setBoardPairs(5, {{1, 2}});
    frmTiming& f = openOnline(69);
    for (const char* entry : {"5", "12"}) {
        f.txtTmg[1]->setText(QString::fromLatin1(entry));
        prompts.answer(Answer::No);
        f.cmdClearChan_Click();
    }
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "You are about to Clear Channel CH05.\r\n\r\nDo you wish to continue?");
    EXPECT_EQ(prompts.shown[1].text, "You are about to Clear Channel CH12.\r\n\r\nDo you wish to continue?");
    EXPECT_EQ(prompts.shown[0].title, "Clear Channel");
    EXPECT_EQ(boardPairs(5), Pairs({{1, 2}}));

    f.txtTmg[1]->setText(QStringLiteral("5"));
    prompts.answer(Answer::Yes);
    f.cmdClearChan_Click();
    EXPECT_TRUE(boardPairs(5).empty());
    EXPECT_EQ(gPLSData.ChannelSetpoints[5], SetpointList{SetpointPair{}});
}

// The recall's outcome is its own: the status poll that runs while its box is up makes exchanges of
// its own, and a recall that lost its reply stays lost, so the channel keeps its pairs.
TEST_F(TimingTest, ARecallThatLostItsReplyKeepsTheChannelWhateverRunsWhileItsBoxIsUp)
{
    board().pls.configOut[0] = 16;
    setBoardPairs(5, {{10, 20}, {30, 40}});
    frmTiming& f = openOnline(69);
    main->tmrBackgroungUpdate_Timer(); // takes up the link state first
    const SetpointList held{{10, 20}, {30, 40}};
    gPLSData.ChannelSetpoints[5] = held;
    f.txtTmg[1]->setText(QStringLiteral("5"));
    int ticks = 0;
    prompts.onShow = [&](const ScriptedPrompts::Shown& box) {
        if (box.title == QLatin1String("Channel Recall")) {
            main->tmrBackgroungUpdate_Timer();
            ++ticks;
        }
    };
    dropOutInCommand(0x09, 1, 2); // the state byte of the first recall
    prompts.answer(Answer::Retry).answer(Answer::Ok);
    f.cmdRecallChan_Click();
    prompts.onShow = nullptr;
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(gPLSData.ChannelSetpoints[5], held);
    EXPECT_EQ(boardPairs(5), Pairs({{10, 20}, {30, 40}}));
}

// Every change of a channel crossed with what happens to it on the line and to its read-back. A
// change the board may have carried out is decided only from a read of the whole channel (made once
// more when the first is not whole); a pair that did not take is written once more. In every case the
// board keeps what nobody changed and holds no duplicate or replaced pair, the grid shows the board's
// channel or that it is unknown, and a change's box comes only where the board lacks the change or,
// for a clear, the channel could not be read.
TEST_F(TimingTest, AChangeIsDecidedOnlyFromAWholeReadOfTheChannel)
{
    board().pls.configOut[0] = 8;
    frmTiming& f = openOnline(69);
    scaleTimeouts(1, kDropOutScaleDen);
    useProgram("PRESS", 69);
    writeProgramFile("PRESS.PCF", "080360" + QByteArray(41, '0') + "%\r\n");
    writeProgramFile("PRESS.CHL", ":0360\r\n:0000\r\n:001:000:000:000\r\n:011:000:000:000\r\n|01000110\r\n"
                                  ":021:000:000:000\r\n|00100020\r\n|00320042\r\n|00500060\r\n%\r\n");
    answerEveryBox();
    // How the confirmation is lost: the 55h to the last argument held past the wait, late enough that
    // the board may have dropped the command, or garbled; or the ready poll's answers lost past the
    // communication box (answered Retry). The last three are crossed with a whole read-back only.
    enum ChangeFault { Confirmed, ConfirmationLost, UntouchedReplyLost, ByteLost, Late, Garbled, ReadyPollLost };
    const char* changeFaults[] = {"confirmed", "confirmation lost", "a reply lost at an untouched pair",
                                  "a byte lost on its way", "confirmation late", "confirmation garbled",
                                  "ready poll lost"};
    const Pairs three{{10, 20}, {30, 40}, {50, 60}}, adjusted{{10, 20}, {32, 42}, {50, 60}};
    const Pairs train = trainOf10And20From5();
    // When the board ends without the change: a change written once more never does; one that is not,
    // when it was cut short; an add whose clear was not confirmed, whenever it is faulted.
    enum LacksChange { Never, CutShort, Faulted };
    struct Row {
        const char* change;
        Pairs before, after; // channel 2 on the board
        // The command that the fault hits: its byte, which one of them from the start of the change,
        // and which one holds an untouched pair (0: the change has none; the fault hits the change).
        int command, which, untouched;
        std::function<void()> act;
        LacksChange lacksChange;
    } rows[] = {
        {"add", {{10, 20}}, {{10, 20}, {50, 60}}, 0x1B, 1, 0, [&] { pick(f, 2, 50, 60), f.cmdAddSetpoint_Click(); }, CutShort},
        {"add to an empty channel, at its clear", {}, {{50, 60}}, 0x1B, 1, 0,
         [&] { pick(f, 2, 50, 60), f.cmdAddSetpoint_Click(); }, Faulted},

        {"adjust", three, adjusted, 0x1B, 3, 2,
         [&] { pick(f, 2, 32, 42), f.txtTmg[5]->setText("1"), f.cmdAdjustSetpoint_Click(); }, Never},
        {"adjust, at its clear", three, adjusted, 0x1B, 1, 2,
         [&] { pick(f, 2, 32, 42), f.txtTmg[5]->setText("1"), f.cmdAdjustSetpoint_Click(); }, Never},
        {"pulse train", {{50, 60}}, train, 0x2B, 1, 0,
         [&] { pick(f, 2, 10, 20), f.txtTmg[4]->setText("5"), f.cmdPulseTrain_Click(); }, CutShort},
        {"clear channel", three, {}, 0x1B, 1, 0, [&] { f.txtTmg[1]->setText("2"), f.cmdClearChan_Click(); }, CutShort},
        {"clear all", three, {}, 0x1B, 3, 0, [&] { f.cmdClearAll_Click(); }, CutShort},
        {"channel download", {{15, 25}, {200, 236}}, adjusted, 0x1B, 6, 5,
         [&] { ShowWaitDisplay(7), f.DisplayPLSChannels(); }, Never},
        {"channel download, at its clear", {{15, 25}, {200, 236}}, adjusted, 0x1B, 4, 5,
         [&] { ShowWaitDisplay(7), f.DisplayPLSChannels(); }, Never},
    };
    const int held = timeouts().replyMs * 3 / 2; // past the wait: the answer comes after FFh was sent again
    const int late = timeouts().replyMs * 7 / 10; // in the wait, but the board may have dropped the command
    for (const Row& row : rows)
        for (const ChangeFault fault :
             {Confirmed, ConfirmationLost, UntouchedReplyLost, ByteLost, Late, Garbled, ReadyPollLost})
            for (const int readFaults : {0, 1, 2})
                for (const bool garbled : {false, true}) {
                    if ((readFaults == 0 && garbled) || (readFaults > 0 && fault >= Late))
                        continue;
                    SCOPED_TRACE(std::string(row.change) + ", " + changeFaults[fault] + ", read-back " +
                                 (garbled ? "garbled " : "held ") + std::to_string(readFaults));
                    setBoardPairs(0, {});
                    setBoardPairs(1, {{100, 110}});
                    setBoardPairs(2, row.before);
                    f.txtTmg[1]->setText(QStringLiteral("2"));
                    f.cmdRecallChan_Click();
                    prompts.shown.clear();
                    const int which = fault == UntouchedReplyLost && row.untouched ? row.untouched : row.which;
                    board().replyHook = [&, which, fault, readFaults, garbled, prev = -1, seen = 0, at = -1L,
                                         recalls = 0, recall = -1L](long index, uint8_t byte,
                                                                    std::optional<uint8_t> reply) mutable {
                        if (prev == 0xFF && byte == row.command && ++seen == which)
                            at = index;
                        // The recalls of channel 2 from the change on: the state held, or the position's
                        // high byte off every scale.
                        if (prev == 0x09 && byte == 2 && seen > 0 && recalls < readFaults) {
                            ++recalls;
                            recall = index;
                            if (!garbled)
                                board().delayRepliesFrom(index + 1, held, 1);
                        }
                        prev = byte;
                        if (garbled && recall >= 0 && index == recall + 3)
                            return std::optional<uint8_t>(0x11);
                        if ((fault == ConfirmationLost || fault == Late) && index == at + 5)
                            board().delayRepliesFrom(index + 1, fault == Late ? late : held, 1);
                        if (fault == Garbled && index == at + 6)
                            return std::optional<uint8_t>(0x7E);
                        if (fault == ReadyPollLost && index == at + 7) // the first 38h
                            board().loseRepliesFrom(index, kDropOutMs);
                        if (fault == UntouchedReplyLost && index == at + 1)
                            board().delayRepliesFrom(index + 1, held, 1); // the 55h to the first setpoint byte
                        if (fault == ByteLost && index == at + 5)
                            board().loseByteAt(index + 1); // the last argument
                        return reply;
                    };
                    board().clearLog();
                    row.act();
                    board().replyHook = nullptr;
                    // A clear that was confirmed is not sent again: the pairs after it go onto it.
                    const auto commands = channelCommands();
                    if (std::string(row.change).find("clear") == std::string::npos ||
                        (fault == UntouchedReplyLost && row.untouched))
                        EXPECT_LE(std::count(commands.begin(), commands.end(), std::array<int, 4>{2, 0, 0, 0}), 1);

                    Pairs onBoard = boardPairs(2);
                    std::sort(onBoard.begin(), onBoard.end());
                    EXPECT_EQ(boardPairs(1), row.change == std::string("clear all") ? Pairs{} : Pairs({{100, 110}}));
                    const bool unknown = ChannelUnknown(2);
                    EXPECT_TRUE(unknown ? gridShowsUnknown(f, 2) : gridPairs(f, 2) == onBoard);
                    const auto has = [](const Pairs& in, std::pair<int, int> p) {
                        return std::find(in.begin(), in.end(), p) != in.end();
                    };
                    if (unknown) {
                        // Neither confirmed nor read: the change may be missing, but nothing is lost
                        // that nobody changed, and nothing is held twice or beside its replacement.
                        EXPECT_TRUE(readFaults == 2 && fault != Confirmed);
                        EXPECT_EQ(std::adjacent_find(onBoard.begin(), onBoard.end()), onBoard.end());
                        bool changed = false, replaced = false;
                        for (const auto& p : onBoard) {
                            EXPECT_TRUE(has(row.after, p) || has(row.before, p));
                            changed = changed || !has(row.before, p);
                            replaced = replaced || !has(row.after, p);
                        }
                        for (const auto& p : row.before)
                            EXPECT_TRUE(!has(row.after, p) || has(onBoard, p));
                        EXPECT_FALSE(changed && replaced);
                    } else {
                        const bool cutShort = fault == UntouchedReplyLost || fault == ByteLost;
                        const bool lacks = row.lacksChange == Faulted ? fault != Confirmed
                                                                      : cutShort && row.lacksChange == CutShort;
                        EXPECT_EQ(onBoard, lacks ? row.before : row.after);
                    }
                    std::vector<QString> boxes;
                    int recallBoxes = 0;
                    for (const auto& box : prompts.shown) {
                        if (box.text == QLatin1String("Unable to Recall Channel CH2"))
                            ++recallBoxes;
                        else if (box.buttons != Buttons::YesNoCancel &&
                                 box.title != QLatin1String("WARNING - Communication Error!"))
                            boxes.push_back(box.text);
                    }
                    const bool isClear = row.after.empty();
                    EXPECT_EQ(!boxes.empty(), unknown ? isClear : onBoard != row.after);
                    EXPECT_LE(recallBoxes, readFaults);
                    EXPECT_FALSE(gRSComm->CommError);
                    if (unknown) {
                        // An adjust there would write the channel without the pairs nobody could read.
                        prompts.shown.clear();
                        board().clearLog();
                        pick(f, 2, 22, 28);
                        f.cmdAdjustSetpoint_Click();
                        EXPECT_TRUE(channelCommands().empty());
                        ASSERT_EQ(prompts.shown.size(), 1u);
                        EXPECT_EQ(prompts.shown[0].text,
                                  "Channel CH2 could not be read. Recall the channel before adjusting a setpoint.");
                    }

                    // The next add goes on top of what the board holds.
                    pick(f, 2, 22, 28);
                    f.cmdAddSetpoint_Click();
                    onBoard.push_back({22, 28});
                    std::sort(onBoard.begin(), onBoard.end());
                    Pairs now = boardPairs(2);
                    std::sort(now.begin(), now.end());
                    EXPECT_EQ(now, onBoard);
                    EXPECT_EQ(gridPairs(f, 2), now);
                }
    prompts.onShow = nullptr;
}

TEST_F(TimingTest, ClearAllOffLineOnlyRedrawsTheGrid)
{
    setBoardPairs(0, {{1, 2}});
    frmTiming& f = open(69);
    f.onlinePass();
    gPLSData.Channels = 8;
    gPLSData.ChannelSetpoints[0] = SetpointList{{5, 6}};
    board().clearLog();
    prompts.answer(Answer::Yes);
    f.cmdClearAll_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "You are about to Clear ALL PLS Channels.    \r\n\r\nDo you wish to continue?");
    EXPECT_EQ(prompts.shown[0].title, "Clear ALL");
    EXPECT_TRUE(board().received().isEmpty());
    EXPECT_EQ(gridRow(f, 1), QStringList({"CH0", "5", "6"}));
    EXPECT_EQ(boardPairs(0), Pairs({{1, 2}}));
}

TEST_F(TimingTest, EveryRefusalHasItsBoxAndTitle)
{
    setBoardPairs(0, {{100, 200}, {300, 20}});
    frmTiming& f = openOnline(69);
    // Each case ends with the window's box; `boxes` counts every box it brings.
    struct Case {
        std::function<void()> act;
        int refusedStep; // the board answers this argument of its command with 00h
        int boxes;
        const char* text;
        const char* title;
        Icon icon;
        Buttons buttons = Buttons::Ok;
    } cases[] = {
        {[&] { pick(f, 0, 7, 7), f.cmdAddSetpoint_Click(); }, -1, 1, "ON Setpoint cannot Equal OFF Setpoint",
         "Add Setpoint", Icon::Information},
        {[&] { pick(f, 0, 7, 7), f.cmdAdjustSetpoint_Click(); }, -1, 1, "ON Setpoint cannot Equal OFF Setpoint",
         "Setpoint Adjust", Icon::Information},
        {[&] { pick(f, 0, 150, 20), f.txtTmg[5]->setText("1"), f.cmdAdjustSetpoint_Click(); }, -1, 1,
         "Setpoint overlap with existing setpoint.", "Adjust Setpoint", Icon::Information},
        {[&] { pick(f, 1, 10, 20), f.cmdAddSetpoint_Click(); }, 0, 1,
         "Unable to Successfully Program Setpoint for Channel CH1.", "Add Setpoint", Icon::Exclamation},
        {[&] { pick(f, 1, 10, 20), f.txtTmg[4]->setText("0"), f.cmdPulseTrain_Click(); }, 0, 2,
         "Unable to Successfully Program Pulse Train for Channel CH1.", "Pulse Train", Icon::Exclamation},
        {[&] { f.txtTmg[1]->setText("0"), f.cmdClearChan_Click(); }, 0, 2, "Unable to Clear Channel", "Clear Channel",
         Icon::Question, Buttons::RetryCancel},
        {[&] { f.txtTmg[0]->setText("400"), f.txtTmg_Validate(0); }, -1, 1,
         "Only a Number Between 0 and 359 can be Entered", "Resolver Offset", Icon::Information},
        // A channel typed but not left (an access key moves no focus) is checked before the command.
        {[&] { f.txtTmg[1]->setText("99"), f.cmdRecallChan_Click(); }, -1, 1,
         "Only a Number Between 0 and 7 can be Entered", "Resolver Offset", Icon::Information},
        {[&] { f.txtTmg[0]->setText("10"), f.cmdSetOffset_Click(); }, 0, 2,
         "Unable to Successfully Set the Resolver Offset", "Resolver Offset", Icon::Critical},
    };
    f.onlinePass();
    ASSERT_TRUE(f.AtStandstill);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        prompts.shown.clear();
        // Yes to what comes first (a question, or the command's own box); the refusal is answered OK or
        // Cancel.
        if (c.boxes == 2)
            prompts.answer(Answer::Yes);
        prompts.answer(c.buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok);
        board().pls.wrongAckStep = c.refusedStep;
        c.act();
        board().pls.wrongAckStep = -1;
        ASSERT_FALSE(prompts.shown.empty());
        EXPECT_EQ(prompts.shown.back().text, c.text);
        EXPECT_EQ(prompts.shown.back().title, c.title);
        EXPECT_EQ(prompts.shown.back().icon, c.icon);
        EXPECT_EQ(prompts.shown.back().buttons, c.buttons);
    }
    // An offset the board refused at standstill leaves the groups usable.
    EXPECT_TRUE(f.cmdAddSetpoint->isEnabled());
    EXPECT_TRUE(f.txtPLS_CFG[0]->isEnabled());
    EXPECT_TRUE(f.cmdSetOffset->isEnabled());
}
// The whole road through the main window: a new limit-switch program, its setpoints set on-line in
// the timing window, uploaded into the program's files and shown by the file view.
TEST_F(TimingTest, SetpointsSetOnLineReachTheProgramsFilesAndItsFileView)
{
    RecordingToolLauncher tools;
    ScriptedModals modals;
    modals.then(newProgramStep(QStringLiteral("PRESS"), 69));
    main->mnuFileNew_Click();
    ASSERT_EQ(gProgramFile, programPath("PRESS.CVP"));

    main->mnuToolsPLSProgramming->trigger();
    frmTiming& f = takeOverLoop();
    EXPECT_EQ(f.cboTargetBoard->currentText(), "V8390(PLS)");
    f.onlinePass();
    online();
    f.onlinePass();
    pick(f, 2, 100, 200);
    f.cmdAddSetpoint_Click();
    pick(f, 2, 300, 20);
    f.cmdAddSetpoint_Click();
    EXPECT_EQ(gridRow(f, 5), QStringList({"CH2", "100", "200"}));
    EXPECT_EQ(gridRow(f, 6), QStringList({"1:", "300", "20"}));

    prompts.answer(Answer::Yes);
    dialogs.answers.push_back(gProgramFile);
    main->mnuFileUploadFromPLS->trigger();
    EXPECT_TRUE(programFile("PRESS.CHL").contains(":021:000:000:000                     \r\n|01000200\r\n|03000020\r\n"));

    modals.then([&](QDialog& d) {
        auto& v = static_cast<frmPLSView&>(d);
        v.show();
        v.Form_Activate();
        QStringList rows;
        for (int r = 0; r < v.fgPLSChannels->rows(); ++r)
            if (v.fgPLSChannels->textMatrix(r, 1) == "100" || v.fgPLSChannels->textMatrix(r, 1) == "300")
                rows << v.fgPLSChannels->textMatrix(r, 1) + "-" + v.fgPLSChannels->textMatrix(r, 2);
        EXPECT_EQ(rows, QStringList({"100-200", "300-20"}));
        v.cmdOk_Click();
    });
    browser().RefreshFileList(gProgramFile);
    doubleClickNode(QStringLiteral("CHANNEL"));
    EXPECT_TRUE(modals.steps.empty());
    EXPECT_EQ(prompts.unanswered(), 0u);
}
} // namespace
