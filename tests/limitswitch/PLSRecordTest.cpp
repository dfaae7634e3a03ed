#include "PLSFixture.h"

#include "platform/Prompts.h"

namespace {
const SetpointList kNone{SetpointPair{}};

TEST_F(PLSTest, AProgramWithoutFilesGetsItsFamilysDefaults)
{
    struct Case {
        int code; // 0: no Corvane file
        bool result;
        int channels, strobe;
        bool paths;
        QByteArray pcf; // a PCF file, without a CHL file
    } cases[] = {{69, true, 8, 0, true, {}},
                 {62, true, 16, 1, true, {}},
                 {0, true, 8, 0, false, {}},
                 {52, false, 0, 0, false, {}},
                 // More channels than the record holds: every one of its 64 channels gets a list.
                 {63, true, 99, 0, true, "99360"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const QString base = QStringLiteral("P") + QString::number(c.code);
        if (c.code)
            writeProgram(base, c.code);
        if (!c.pcf.isEmpty())
            writeProgramFile(base + ".PCF", c.pcf);
        gPLSData.Scale = 77;
        gPLSData.ChannelSetpoints[40] = kNone;
        EXPECT_EQ(ReadPLSFileData(programPath(base + ".CVP")), c.result);
        const PLSFileData& d = gPLSData;
        EXPECT_EQ(d.Channels, c.channels);
        EXPECT_EQ(d.StrobePreset, c.strobe);
        EXPECT_EQ(d.Scale, c.result ? 360 : 0);
        EXPECT_EQ(d.PCFFile.endsWith(base + ".PCF"), c.paths);
        EXPECT_EQ(d.CHLFile.endsWith(base + ".CHL"), c.paths);
        for (int ch = 0; ch < kPLSMaxChannels; ++ch)
            EXPECT_EQ(d.ChannelSetpoints[ch].has_value(), ch < c.channels) << ch;
        EXPECT_EQ(d.ChannelSetpoints[0].value_or(SetpointList{}), c.result ? kNone : SetpointList{});
        EXPECT_EQ(d.PCFLine, QString::fromLatin1(c.pcf));
        EXPECT_TRUE(d.CHLText.isEmpty() && d.Offset == 0 && d.PLSProgram == 0 && d.Flags == 0);
    }
    EXPECT_TRUE(prompts.shown.empty());
}

// The PCF columns read into their fields, and written back by the upload's builder.
TEST_F(PLSTest, PCFColumnsReadAndWriteBackTheSameLine)
{
    struct Case {
        int code;
        QByteArray line;
    } cases[] = {{69, "0803605001002003004005006007008" "0000000000000000%"},
                 {62, "165113009200045006012340" "12001500%"}};
    for (const Case& c : cases) {
        useProgram("PRESS", c.code);
        writeProgramFile("PRESS.PCF", c.line + "\r\n");
        ASSERT_TRUE(ReadPLSFileData(gProgramFile));
        EXPECT_EQ(gPLSData.PCFLine, QString::fromLatin1(c.line));
        EXPECT_EQ(BuildPCFLine(gPLSData, c.code == 69), QString::fromLatin1(c.line));
    }
    const PLSFileData& d = gPLSData;
    EXPECT_EQ(std::vector<int>({d.Channels, d.Scale, d.Flags, d.StrobePreset, d.StopLocation, d.StopError,
                                d.SignalWidth, d.WindowFrom, d.WindowTo, d.LowSpeed, d.HighSpeed}),
              std::vector<int>({16, 511, 3, 9, 200, 45, 6, 12, 340, 1200, 1500}));
    ASSERT_TRUE(ReadPLSFileData(gProgramFile));

    // A value wider than its column is clamped rather than shifting the columns after it.
    gPLSData.Scale = 4096;
    gPLSData.LowSpeed = 123456;
    gPLSData.StopError = -3;
    EXPECT_EQ(BuildPCFLine(gPLSData, false), "169993009200000006012340" "99991500%");
}

TEST_F(PLSTest, AnUploadedCHLFileReadsBackIntoTheSameLists)
{
    for (const int code : {69, 64}) {
        SCOPED_TRACE(code);
        const bool multi = code == 69;
        useProgram("PRESS", code);
        PLSFileData written;
        written.Channels = multi ? 8 : 32;
        written.Scale = 360;
        written.Offset = 45;
        written.ChannelSetpoints[0] = pairs({{10, 20}, {30, 30}, {300, 5}});
        written.ChannelSetpoints[3] = kNone;
        written.ChannelSetpoints[7] = pairs({{100, 200}});
        written.ChannelHeaders[7] = multi ? ":071:000:000:000Motor feed" : ":071:00:00:00Motor feed";
        QString text = CHLHeadLines(written, multi);
        for (int c = 0; c < (multi ? 64 : 32); ++c) {
            text += CHLChannelHeader(written, c, multi);
            if (c < written.Channels && written.ChannelSetpoints[c])
                text += CHLSetpointLines(*written.ChannelSetpoints[c], multi);
        }
        writeProgramFile("PRESS.CHL", (text + "%\r\n").toLatin1());
        ASSERT_TRUE(ReadPLSFileData(gProgramFile));
        const PLSFileData& d = gPLSData;
        EXPECT_EQ(d.ChannelSetpoints[0], pairs({{10, 20}, {300, 5}}));
        EXPECT_EQ(d.ChannelSetpoints[3], kNone); // a header line only
        EXPECT_EQ(d.ChannelSetpoints[7], pairs({{100, 200}}));
        EXPECT_EQ(d.ChannelSetpoints[1], kNone);
        EXPECT_EQ(d.ChannelSetpoints[(multi ? 64 : 32) - 1], kNone);
        EXPECT_EQ(d.ChannelSetpoints[32].has_value(), multi); // not in a BrakeWearPLS file
        EXPECT_EQ(d.ChannelHeaders[7], (multi ? ":071:000:000:000Motor feed" : ":071:00:00:00Motor feed") +
                                           QString(11, QLatin1Char(' ')));
        EXPECT_EQ(d.Offset, 0);
        EXPECT_TRUE(d.CHLText.isEmpty());
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PLSTest, CHLLinesAreTakenByTheirFirstCharacter)
{
    struct Case {
        QByteArray lines;
        bool read;
        SetpointList channel0;
        QString failure; // the error box's text, when the read fails
    } cases[] = {
        {"|0100200\r\n:001:00:00:00\r\n|1002000\r\n", true, pairs({{100, 2000}}), {}}, // OFF from the fifth character on
        {":001:00:00:00\r\n|100200\r\n|0100200\r\n|300020\r\n", true, pairs({{100, 200}, {10, 200}, {300, 20}}), {}},
        {":001:00:00:00\r\n|100999999\r\n", true, kNone, errorText(6, "Overflow")},
        {":001:00:00:00\r\n:801:00:00:00\r\n", false, kNone, errorText(9, "Subscript out of range")},
        {":001:00:00:00\r\n\r\n%\r\n", false, kNone, errorText(5, "Invalid procedure call or argument")},
    };
    useProgram("PRESS", 62);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.constData());
        writeProgramFile("PRESS.CHL", ":360\r\n:000\r\n" + c.lines);
        prompts.shown.clear();
        if (!c.failure.isEmpty())
            prompts.answerOk();
        EXPECT_EQ(ReadPLSFileData(gProgramFile), c.failure.isEmpty());
        EXPECT_EQ(gPLSData.ChannelSetpoints[0].value_or(SetpointList{}), c.channel0);
        ASSERT_EQ(prompts.shown.size(), c.failure.isEmpty() ? 0u : 1u);
        if (!c.failure.isEmpty()) {
            EXPECT_EQ(prompts.shown[0].text, c.failure);
            EXPECT_EQ(prompts.shown[0].title, "ReadPLSFileData()");
        }
    }
}

TEST_F(PLSTest, TheConfigurationBlockIsPackedByFamily)
{
    PLSFileData& d = gPLSData;
    d.Channels = 32;
    d.PLSProgram = 5;
    d.SpeedComp = {1, 2, 3, 4, 5, 6, 7, 8};
    d.Flags = 3;
    d.StrobePreset = 9;
    d.StopLocation = 300;
    d.StopError = 11;
    d.SignalWidth = 12;
    d.WindowFrom = 260;
    d.WindowTo = 511;
    d.LowSpeed = 1000;
    d.HighSpeed = 5999;
    const std::array<int, 24> multi{5, 1, 2, 3, 4, 0, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 0, 0};
    const std::array<int, 24> brake{3, 9, 44, 1, 11, 12, 4, 1, 255, 1, 4, 1, 255, 1, 232, 3, 111, 23, 32, 0, 0, 0, 0, 0};
    EXPECT_EQ(GetPLSConfigData(69), multi);
    EXPECT_EQ(GetPLSConfigData(64), brake);
}

TEST_F(PLSTest, ARecallStoresPairsSortedByOnWhereverTheBoardStarts)
{
    online();
    gPLSData.Scale = 360;
    setBoardPairs(5, {{300, 20}, {100, 200}});
    for (std::size_t start = 0; start < 4; ++start) {
        board().pls.recallCursor[5] = start;
        gPLSData.ChannelSetpoints[5].reset();
        RecallChannelSetpoints(5, nullptr);
        EXPECT_EQ(gPLSData.ChannelSetpoints[5], pairs({{100, 200}, {300, 20}})) << start;
    }
    EXPECT_TRUE(prompts.shown.empty());
}

// A pass of two OFF points keeps the pair's ON, so two pairs may share it: they stay in the order
// the board gave them. Recall 4's ON at 370 is turned into an OFF point.
TEST_F(PLSTest, PairsWithEqualOnKeepTheirRecallOrder)
{
    online();
    gPLSData.Scale = 400;
    setBoardPairs(6, {{100, 200}, {250, 260}, {300, 350}, {370, 380}});
    board().pls.recallCursor[6] = 2; // ON 250 first
    board().corruptReplyAt(board().receivedCount() + 6 * 4 + 3, 0);
    RecallChannelSetpoints(6, nullptr);
    EXPECT_EQ(gPLSData.ChannelSetpoints[6], pairs({{100, 200}, {250, 260}, {300, 350}, {300, 380}}));
}

TEST_F(PLSTest, ARecallThatNeverComesBackStopsAt2049Pairs)
{
    online();
    gPLSData.Scale = 4352;
    std::vector<std::pair<int, int>> many;
    for (int p = 0; p < 2100; ++p)
        many.push_back({2 * p, 2 * p + 1});
    setBoardPairs(9, many);
    RecallChannelSetpoints(9, nullptr);
    ASSERT_EQ(gPLSData.ChannelSetpoints[9]->size(), 2049u);
    EXPECT_EQ(gPLSData.ChannelSetpoints[9]->back(), (SetpointPair{4096, 4097}));
}

// Every recall is six bytes received; its reply bytes are the state (+3) and the position (+4, +5).
// Only a recall that came round the whole channel, or the board's "no setpoints" answer to the first
// point, is a read of the channel; one cut short keeps the pairs the channel held, and says so.
TEST_F(PLSTest, OnlyAWholeReadOfAChannelIsStored)
{
    const SetpointList held = pairs({{1, 2}});
    struct Case {
        long recall; // the recall whose reply is spoiled
        int at;      // 3 the state, 5 the position's high byte
        uint8_t reply;
        bool whole, box;
    } cases[] = {{0, 3, 2, true, false}, {0, 5, 17, false, true}, {2, 3, 7, false, true}, {3, 5, 17, false, true}};
    online();
    gPLSData.Scale = 360;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recall);
        setBoardPairs(2, {{100, 200}, {300, 20}});
        board().pls.recallCursor[2] = 1; // ON 100 first
        gPLSData.ChannelSetpoints[2] = held;
        board().corruptReplyAt(board().receivedCount() + 6 * c.recall + c.at, c.reply);
        prompts.shown.clear();
        if (c.box)
            prompts.answerOk();
        EXPECT_EQ(RecallChannelSetpoints(2, nullptr), c.whole);
        EXPECT_EQ(gPLSData.ChannelSetpoints[2], c.whole ? kNone : held);
        ASSERT_EQ(prompts.shown.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(prompts.shown[0].text, "Unable to Recall Channel CH2");
        }
    }
}
} // namespace
