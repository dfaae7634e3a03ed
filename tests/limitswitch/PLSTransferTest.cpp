#include "PLSFixture.h"

#include "platform/Prompts.h"

#include <QFile>


namespace {
using Command = std::array<int, 4>;
const Command kClear1{1, 0, 0, 0};

class PLSTransferTest : public PLSTest {
protected:
    // Answers the confirmation of an upload or download with Yes.
    void confirm() { prompts.answer(Answer::Yes); }
    QString uploadTitle() const { return prompts.shown.empty() ? QString() : prompts.shown.back().title; }
};

TEST_F(PLSTransferTest, AnUploadWithNoBoardAnsweringWritesNoFile)
{
    useProgram("PRESS", 69);
    board().setSilentFrom(0);
    confirm();
    prompts.answerAllWith(Answer::Cancel);
    dialogs.answers.push_back(gProgramFile);
    main->mnuFileUploadData->trigger();
    EXPECT_TRUE(gRSComm->CommError);
    EXPECT_EQ(programFolderFiles(), QStringList({"PRESS.CVP"}));
    EXPECT_EQ(prompts.shown[0].title, "PLS Upload [PRESS]");
    EXPECT_EQ(prompts.shown[0].text, "You are about to upload the PLS configuration           \r\nand timing channel "
                                     "setpoints from the V8390(PLS).\r\n\r\nAll data will be saved to file.\r\n\r\nDo "
                                     "you wish to continue?");
    for (const auto& box : prompts.shown)
        EXPECT_NE(box.title, "PLS Upload") << box.text.toStdString();
}

// The board's channel count is decoded by family, and only the channels in use are recalled; the CHL
// file still has a header line for every channel of the family.
TEST_F(PLSTransferTest, TheUploadReadsTheChannelsInUseByFamily)
{
    struct Case {
        int code, countAt, count;
        const char* pcfStart;
        int headers, inUse;
    } cases[] = {{62, 5, 32, "16", 32, 16},
                 {69, 0, 4, "08", 64, 8},
                 {64, 5, 32, "32", 32, 32},
                 {69, 0, 100, "64", 64, 64}}; // more than the record holds
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const QString base = QStringLiteral("P") + QString::number(c.code);
        useProgram(base, c.code);
        board().pls.configOut.fill(0);
        board().pls.configOut[c.countAt] = c.count;
        for (int ch = 0; ch < kPLSMaxChannels; ++ch)
            setBoardPairs(ch, {{ch + 1, ch + 2}});
        board().clearLog();
        confirm();
        main->mnuFileListPopupUploadFromPLS_Click();
        const QByteArray chl = programFile(base + ".CHL");
        EXPECT_TRUE(programFile(base + ".PCF").startsWith(c.pcfStart));
        EXPECT_EQ(chl.count(":") - 2, c.headers * 4); // four ":" a header line
        EXPECT_EQ(chl.count("|"), c.inUse);
        EXPECT_TRUE(recalled(c.inUse - 1));
        EXPECT_FALSE(recalled(c.inUse));
        EXPECT_TRUE(chl.endsWith("%\r\n"));
    }
}

TEST_F(PLSTransferTest, TheDownloadSendsEachChannelsPairsUntilOneWithOnEqualOff)
{
    useProgram("PRESS", 69);
    writeProgramFile("PRESS.PCF", "020360000000000000000000000000000000000000000000%\r\n");
    writeProgramFile("PRESS.CHL", ":0360\r\n:0000\r\n"
                                  ":001:000:000:000\r\n|00000000\r\n"
                                  ":011:000:000:000\r\n|00100020\r\n|00300040\r\n|00500050\r\n|00600070\r\n%\r\n");
    setBoardPairs(0, {{5, 6}});
    online();
    confirm();
    main->mnuFileListPopupDownloadToPLS_Click();
    EXPECT_EQ(channelCommands(), std::vector<Command>({{0, 0, 0, 0}, kClear1, {1, 10, 20, 1}, {1, 30, 40, 1}, kClear1}));
    EXPECT_TRUE(board().pls.setpoints[0].empty());
    EXPECT_TRUE(board().pls.setpoints[1].empty());
    EXPECT_EQ(board().pls.configIn[18], 2);
    EXPECT_EQ(board().pls.scale, 360);
    EXPECT_EQ(gPLSDataSnapshot, gPLSData);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "PLS Download [PRESS]");
}

// A channel with a pair the board would refuse is not touched at all: sent in part, its old pairs
// would stay under the new ones or be lost for a list that never arrives.
TEST_F(PLSTransferTest, AChannelWithARefusedPairIsLeftAsTheBoardHoldsIt)
{
    struct Case {
        const char* ch0;
        const char* refused;
    } cases[] = {{"|04000010\r\n|00300040\r\n", "400"}, {"|00100020\r\n|00300360\r\n", "360"}};
    useProgram("PRESS", 69);
    writeProgramFile("PRESS.PCF", "020360000000000000000000000000000000000000000000%\r\n");
    online();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch0);
        writeProgramFile("PRESS.CHL", QByteArray(":0360\r\n:0000\r\n:001:000:000:000\r\n") + c.ch0 +
                                          ":011:000:000:000\r\n|00100020\r\n|00300040\r\n%\r\n");
        setBoardPairs(0, {{5, 6}});
        setBoardPairs(1, {{7, 8}});
        board().clearLog();
        prompts.shown.clear();
        prompts.answerOk(2);
        ShowWaitDisplay(7);
        EXPECT_EQ(board().pls.setpoints[0], (std::vector<std::pair<int, int>>{{5, 6}}));
        EXPECT_EQ(board().pls.setpoints[1], (std::vector<std::pair<int, int>>{{10, 20}, {30, 40}}));
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[0].text, QStringLiteral("Setpoint setting ") + c.refused +
                                             " is greater than scale factor.\r\n\r\nChannel can not be programmed.");
        EXPECT_EQ(prompts.shown[1].text, "Unable to Successfully Program Setpoint for Channel CH0.");
        EXPECT_EQ(prompts.shown[1].title, "PLS Channel Download");
    }
}

// A pair whose 55h after its last argument comes garbled, or 0.7 s late, was carried out all the
// same: the channel is read back, and no box says it was refused. Without the read-back the box came.
TEST_F(PLSTransferTest, ADownloadedPairWhoseConfirmationIsNotCertainIsLookedForOnTheBoard)
{
    useProgram("PRESS", 69);
    writeProgramFile("PRESS.PCF", "020360000000000000000000000000000000000000000000%\r\n");
    writeProgramFile("PRESS.CHL", ":0360\r\n:0000\r\n:001:000:000:000\r\n|00100020\r\n|00300040\r\n"
                                  ":011:000:000:000\r\n|00500060\r\n%\r\n");
    online();
    for (const bool late : {false, true}) {
        SCOPED_TRACE(late ? "late" : "garbled");
        setBoardPairs(0, {{5, 6}});
        setBoardPairs(1, {{7, 8}});
        prompts.shown.clear();
        // The second channel command of the download: channel 0's pair (30,40).
        board().replyHook = [this, late, prev = -1, seen = 0, at = -1L](long index, uint8_t byte,
                                                                          std::optional<uint8_t> reply) mutable {
            if (prev == 0xFF && byte == 0x1B && ++seen == 2)
                at = index;
            prev = byte;
            if (late && at >= 0 && index == at + 5)
                board().delayRepliesFrom(index + 1, timeouts().replyMs * 7 / 10, 1);
            return !late && at >= 0 && index == at + 6 ? std::optional<uint8_t>(0x7E) : reply;
        };
        ShowWaitDisplay(7);
        board().replyHook = nullptr;
        EXPECT_EQ(board().pls.setpoints[0], (std::vector<std::pair<int, int>>{{10, 20}, {30, 40}}));
        EXPECT_EQ(board().pls.setpoints[1], (std::vector<std::pair<int, int>>{{50, 60}}));
        EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().text.toStdString();
        EXPECT_TRUE(recalled(0));
    }
}

// Values of a PCF file that do not fit the board's bytes would reach it as other values.
TEST_F(PLSTransferTest, ADownloadOfValuesTheBoardCannotTakeSendsNothing)
{
    struct Case {
        int code;
        QByteArray pcf;
    } cases[] = {{62, "16360" "0300" "000000000000000" "00000000%"}, // strobe preset 300
                 {69, "080360" "0999" "000000000000000000000" "0000000000000000%"}, // speed compensation 999
                 {69, "08-360" "0000" "000000000000000000000" "0000000000000000%"}}; // scale -360
    online();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcf.constData());
        useProgram("PRESS", c.code);
        writeProgramFile("PRESS.PCF", c.pcf + "\r\n");
        prompts.shown.clear();
        prompts.answerOk();
        ShowWaitDisplay(7);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "Unable to Successfully Download the PLS Configuration");
        EXPECT_TRUE(board().received().isEmpty());
    }
}

TEST_F(PLSTransferTest, ClearAllClearsTheChannelCountLastExchangedWithTheBoard)
{
    useProgram("PRESS", 69);
    online();
    for (int ch = 0; ch < 16; ++ch)
        setBoardPairs(ch, {{10, 20}});
    gPLSDataSnapshot.Channels = 8;
    gPLSData.Channels = 16;
    gPLSData.Scale = 360;
    ShowWaitDisplay(8);
    for (int ch = 0; ch < 16; ++ch) {
        EXPECT_EQ(board().pls.setpoints[ch].empty(), ch < 8) << ch;
        EXPECT_EQ(gPLSData.ChannelSetpoints[ch].has_value(), ch < 8) << ch;
    }
    EXPECT_EQ(gPLSData.ChannelSetpoints[7], SetpointList{SetpointPair{}});
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PLSTransferTest, UploadDownloadUploadGivesTheSameFiles)
{
    if (!main->procs.transferDataFile) {
        main->procs.transferDataFile = [](int, bool) {};
        main->refreshCommandStates();
    }
    for (const int code : {69, 64}) {
        SCOPED_TRACE(code);
        useProgram("PRESS", code);
        SimBoard& b = board();
        b.pls.boardCode = code;
        b.pls.scale = code == 69 ? 1000 : 500;
        b.pls.offset = 12;
        b.pls.configOut = code == 69 ? std::array<uint8_t, 19>{16, 5, 1, 2, 3, 4, 5, 6, 7, 255}
                                     : std::array<uint8_t, 19>{0xE8, 3, 0x6F, 0x17, 3, 20, 44, 1, 11, 12, 4, 1, 255, 1,
                                                               0, 0, 0, 0, 9};
        setBoardPairs(0, {{100, 200}, {300, 20}});
        setBoardPairs(3, {{499, 0}});
        setBoardPairs(15, {{7, 8}, {7, 9}});
        writeProgramFile("PRESS.CHL", code == 69 ? ":1000\r\n:0000\r\n:031:000:000:000Feed roll\r\n%\r\n"
                                                 : ":500\r\n:000\r\n:031:00:00:00Feed roll\r\n%\r\n");
        confirm();
        dialogs.answers.push_back(gProgramFile);
        main->mnuFileUploadFromPLS->trigger();
        const QByteArray pcf = programFile("PRESS.PCF"), chl = programFile("PRESS.CHL");
        ASSERT_TRUE(chl.contains("Feed roll"));

        b.pls = SimBoard::PLS{};
        b.pls.boardCode = code;
        b.pls.offset = 12;
        confirm();
        dialogs.answers.push_back(gProgramFile);
        main->mnuFileDownloadData->trigger();
        confirm();
        main->Toolbar1_ButtonClick(10);
        EXPECT_EQ(programFile("PRESS.PCF"), pcf);
        EXPECT_EQ(programFile("PRESS.CHL"), chl);
        EXPECT_FALSE(gRSComm->InUploadMode());
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
    EXPECT_EQ(prompts.shown.size(), 6u);
}

// From the browser, the timing window's board decides what the block means, and the window shows
// the set-up before the files are written.
TEST_F(PLSTransferTest, AnUploadFromTheBrowserReadsForTheTimingWindowsBoard)
{
    useProgram("PRESS", 62);
    board().pls.configOut[5] = 32;
    gTimingWindowShown = true;
    gTargetboardIndex = 64;
    int shownChannels = 0;
    bool filesThen = true;
    gTimingDisplayPLSChannels = [&] {
        shownChannels = gPLSData.Channels;
        filesThen = QFile::exists(programPath("PRESS.PCF"));
    };
    confirm();
    main->mnuFileListPopupUploadFromPLS_Click();
    EXPECT_EQ(shownChannels, 32);
    EXPECT_FALSE(filesThen);
    EXPECT_TRUE(gPLSUploadComplete);
    EXPECT_TRUE(programFile("PRESS.PCF").startsWith("32"));
}

// The upload replaces the files only with what it read from the board.
TEST_F(PLSTransferTest, AnUploadThatDidNotReadTheBoardLeavesTheFilesAlone)
{
    useProgram("PRESS", 69);
    const QByteArray chl = ":0360\r\n:0000\r\n:801:000:000:000\r\n%\r\n";
    writeProgramFile("PRESS.PCF", "08");
    writeProgramFile("PRESS.CHL", chl);
    confirm();
    prompts.answerOk(2);
    main->mnuFileListPopupUploadFromPLS_Click();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].title, "ReadPLSFileData()");
    EXPECT_EQ(prompts.shown[2].title, "PLS Upload");
    EXPECT_EQ(prompts.shown[2].text, "Limit-switch data was not uploaded; the program's files are unchanged.");
    EXPECT_EQ(programFile("PRESS.PCF"), "08");
    EXPECT_EQ(programFile("PRESS.CHL"), chl);
}

// A reply lost on the line past the communication box, answered Retry: the byte that comes back
// answers an FFh sent again, so the upload stops there and the files keep the last upload. So does a
// recall whose position is garbled: a channel read only in part is not the board's.
TEST_F(PLSTransferTest, AnUploadThatLosesAReplyLeavesTheFilesAlone)
{
    struct Case {
        const char* what;
        int command, which, after; // where the line drops out; 0: the recall's position is garbled
        const char* box;
    } cases[] = {{"configuration block", 0x0C, 1, 3, "Not able to Upload Configuration from PLS."},
                 {"channel recall", 0x09, 2, 2, "Unable to Recall Channel CH0"},
                 {"channel recall garbled", 0, 0, 0, "Unable to Recall Channel CH0"}};
    useProgram("PRESS", 69);
    const QByteArray pcf = "020360000000000000000000000000000000000000000000%\r\n";
    const QByteArray chl = ":0360\r\n:0000\r\n:001:000:000:000\r\n|00100020\r\n%\r\n";
    setBoardPairs(0, {{10, 20}, {30, 40}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeProgramFile("PRESS.PCF", pcf);
        writeProgramFile("PRESS.CHL", chl);
        if (c.command)
            dropOutInCommand(c.command, c.which, c.after);
        board().pls.recallHighByte = c.command ? -1 : 17;
        prompts.shown.clear();
        confirm();
        if (c.command)
            prompts.answer(Answer::Retry);
        prompts.answerOk(2);
        main->mnuFileListPopupUploadFromPLS_Click();
        board().replyHook = nullptr;
        board().pls.recallHighByte = -1;
        std::vector<QString> boxes;
        for (const auto& box : prompts.shown)
            if (box.title != QLatin1String("WARNING - Communication Error!"))
                boxes.push_back(box.text);
        ASSERT_EQ(prompts.shown.size(), c.command ? 4u : 3u);
        EXPECT_EQ(boxes[1], c.box);
        EXPECT_EQ(boxes[2], "Limit-switch data was not uploaded; the program's files are unchanged.");
        EXPECT_EQ(programFile("PRESS.PCF"), pcf);
        EXPECT_EQ(programFile("PRESS.CHL"), chl);
        EXPECT_FALSE(gRSComm->CommError);
    }
}

// The two files are one set-up: a new PCF file beside the old CHL file would describe no board.
TEST_F(PLSTransferTest, AnUploadWhoseSecondFileFailsKeepsBothOldFiles)
{
    useProgram("PRESS", 69);
    const QByteArray pcf = "020360000000000000000000000000000000000000000000%\r\n";
    const QByteArray chl = ":0360\r\n:0000\r\n:001:000:000:000\r\n|00100020\r\n%\r\n";
    writeProgramFile("PRESS.PCF", pcf);
    writeProgramFile("PRESS.CHL", chl);
    confirm();
    prompts.answerOk();
    {
        FileSizeLimit limit(200); // the new PCF line fits, the CHL text of 64 channels does not
        main->mnuFileListPopupUploadFromPLS_Click();
    }
    EXPECT_EQ(programFile("PRESS.PCF"), pcf);
    EXPECT_EQ(programFile("PRESS.CHL"), chl);
    EXPECT_EQ(programFolderFiles(), QStringList({"PRESS.CHL", "PRESS.CVP", "PRESS.PCF"}));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_TRUE(prompts.shown[1].text.startsWith("Error Number = 75\r\n")) << prompts.shown[1].text.toStdString();
    EXPECT_EQ(prompts.shown[1].title, "PLS Upload [PRESS]");
}

TEST_F(PLSTransferTest, ATransferThatWouldMixFamiliesSendsNothing)
{
    // The timing window reads a BrakeWearPLS; the program is a MultiChannelPLS.
    useProgram("PRESS", 69);
    online();
    gTimingWindowShown = true;
    gTargetboardIndex = 62;
    prompts.answerOk();
    main->mnuFileListPopupUploadFromPLS_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "PLS Upload [PRESS]");
    EXPECT_EQ(programFolderFiles(), QStringList({"PRESS.CVP"}));

    // A program that is no limit switch is not downloaded into one.
    useProgram("PUMP", 52);
    prompts.answerOk();
    ShowWaitDisplay(7);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "PLS Config Download");
    EXPECT_TRUE(board().received().isEmpty());
}
} // namespace
