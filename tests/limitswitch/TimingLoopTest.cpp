#include "TimingFixture.h"

#include "platform/GridModel.h"
#include "platform/GridView.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <set>

namespace {
int count(const QByteArray& wire, std::initializer_list<int> bytes) { return wire.count(bytesOf(bytes)); }

TEST_F(TimingTest, OpenedOffLineEverythingShowsADash)
{
    frmTiming& f = open(69);
    EXPECT_FALSE(f.onlinePass());
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(f.txtPLS_CFG[i]->text(), "-") << i;
        EXPECT_FALSE(f.txtPLS_CFG[i]->isEnabled()) << i;
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f.txtTmg[i]->text(), "-") << i;
    QStringList panels;
    for (QLabel* p : f.sbrPanel)
        panels << p->text();
    EXPECT_EQ(panels, QStringList({"RPM: -", "Position: -", "Offset: -", "Scale: -"}));
    EXPECT_TRUE(f.cboTargetBoard->isEnabled());
    for (QPushButton* b : {f.cmdResetPLSConfig, f.cmdSetOffset, f.cmdRecallChan, f.cmdClearChan, f.cmdClearAll,
                           f.cmdAddSetpoint, f.cmdAdjustSetpoint, f.cmdPulseTrain})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    for (QRadioButton* o : f.optPlsChan)
        EXPECT_FALSE(o->isChecked() || o->isEnabled());
    EXPECT_TRUE(board().received().isEmpty());
}

// The window's own read of the scale loses its reply past the communication box: what comes back
// answers an FFh sent again, and no scale is shown from it.
TEST_F(TimingTest, AScaleWhoseReplyWasLostOnTheLineIsNotShown)
{
    frmTiming& f = open(69);
    f.onlinePass();
    dropOutInCommand(0x18, 2, 2); // the low byte of the second scale read: the wait display's is the first
    prompts.answer(Answer::Retry);
    online();
    f.onlinePass();
    board().replyHook = nullptr;
    EXPECT_EQ(f.sbrPanel[3]->text(), "Scale: -");
    EXPECT_EQ(gPLSData.Scale, 360);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

TEST_F(TimingTest, GoingOnLineAtStandstillUploadsOnceAndOpensTheGroups)
{
    setBoardPairs(0, {{10, 20}});
    board().pls.offset = 7;
    frmTiming& f = open(69);
    f.onlinePass();
    online();
    EXPECT_TRUE(f.onlinePass());
    const QByteArray first = board().received();
    // The wait display's upload and the window's read-back each read the configuration once.
    EXPECT_EQ(count(first, {0xFF, 0x0C}), 2);
    EXPECT_TRUE(gFirstPassOnline);
    EXPECT_FALSE(f.cboTargetBoard->isEnabled());
    EXPECT_EQ(f.fgModel->textMatrix(1, 0), "CH0");
    EXPECT_EQ(f.fgModel->textMatrix(1, 1), "10");
    EXPECT_TRUE(f.txtPLS_CFG[0]->isEnabled());
    EXPECT_EQ(f.txtTmg[0]->text(), "0");
    EXPECT_TRUE(f.cmdSetOffset->isEnabled());
    EXPECT_TRUE(f.cmdAddSetpoint->isEnabled());
    EXPECT_EQ(f.sbrPanel[0]->text(), "RPM: 0");
    EXPECT_EQ(f.sbrPanel[2]->text(), "Offset: 7");
    EXPECT_EQ(f.sbrPanel[3]->text(), "Scale: 360");

    // The next passes read speed twice, the position and the offset, and nothing more.
    board().clearLog();
    f.onlinePass();
    EXPECT_EQ(hexBytes(board().received()), "FF 58 55 55 FF 58 55 55 FF 48 55 55 FF 28 55 55");

    // Just after a transfer the window does not upload again.
    gRSComm->OnlineMode = false;
    f.onlinePass();
    online();
    gPLSUploadComplete = true;
    f.onlinePass();
    EXPECT_EQ(count(board().received(), {0xFF, 0x0C}), 1);
    EXPECT_FALSE(gPLSUploadComplete);
    EXPECT_TRUE(gFirstPassOnline);

    // A minimised window reads the setpoints too, so it is not left on an empty record.
    gRSComm->OnlineMode = false;
    f.onlinePass();
    gPLSData = PLSFileData{};
    f.parentWidget()->showMinimized();
    online();
    f.onlinePass();
    EXPECT_EQ(count(board().received(), {0xFF, 0x0C}), 2);
    EXPECT_EQ(f.fgModel->textMatrix(1, 1), "10");
    EXPECT_TRUE(prompts.shown.empty());
}

// A transfer's "just read" mark belongs to the window that was open then: one opened afterwards
// starts on an empty record and reads the board itself.
TEST_F(TimingTest, AWindowOpenedAgainAfterAnUploadReadsTheBoardsChannels)
{
    setBoardPairs(0, {{10, 20}});
    setBoardPairs(1, {{30, 40}});
    frmTiming& f = openOnline(69);
    gProgramFile = programPath(QStringLiteral("PRESS.CVP"));
    prompts.answer(Answer::Yes);
    main->mnuFileListPopupUploadFromPLS_Click();
    f.Form_Unload();
    frmTiming::ShowMe();
    takeOverLoop();
    board().clearLog();
    f.onlinePass();
    EXPECT_TRUE(recalled(1));
    QStringList grid;
    for (int r = 1; r <= 4; ++r)
        grid << f.fgModel->textMatrix(r, 0) + "," + f.fgModel->textMatrix(r, 1) + "," + f.fgModel->textMatrix(r, 2);
    EXPECT_EQ(grid, QStringList({"CH0,10,20", ",,", "CH1,30,40", ",,"}));
}

// A reply lost on going on-line cuts the upload short: the channels not read may hold other pairs
// than the window knows, so the channel commands stay off for that on-line period, whatever else
// switches groups, and the next period reads the board again.
TEST_F(TimingTest, AnUploadCutShortOnGoingOnLineKeepsTheChannelsOffUntilTheNextOnLinePeriod)
{
    setBoardPairs(0, {{10, 20}, {30, 40}});
    setBoardPairs(1, {{100, 200}, {250, 260}});
    frmTiming& f = open(69);
    f.onlinePass();
    // The channel commands, and the configuration fields that show "-" until they are the board's.
    auto expectChannelCommands = [&f](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{f.fgPLSChannels, f.cmdRecallChan, f.cmdClearChan,
                                                          f.cmdClearAll, f.cmdAddSetpoint, f.cmdAdjustSetpoint,
                                                          f.cmdPulseTrain, f.txtTmg[1], f.txtPLS_CFG[0],
                                                          f.optPlsChan[0]})
            EXPECT_EQ(w->isEnabled(), on) << w->metaObject()->className() << " "
                                          << w->property("text").toString().toStdString();
    };
    // A reply to the upload's first `command` is lost; the command then shows `box`.
    auto nextPeriod = [&](int command = 0, const char* box = nullptr) {
        SCOPED_TRACE(box ? box : "read to the end");
        gRSComm->OnlineMode = false;
        f.onlinePass();
        prompts.shown.clear();
        if (command) {
            dropOutInCommand(command, 1, 2);
            prompts.answer(Answer::Retry).answer(Answer::Ok);
        }
        online();
        f.onlinePass();
        board().replyHook = nullptr;
        if (box) {
            ASSERT_EQ(prompts.shown.size(), 2u);
            EXPECT_EQ(prompts.shown[1].text, box);
        }
        EXPECT_EQ(gFirstPassOnline, !command);
        expectChannelCommands(!command);
        EXPECT_FALSE(f.cmdResetPLSConfig->isEnabled()) << "the configuration read is the board's";
    };

    nextPeriod(0x09, "Unable to Recall Channel CH0");
    // The period goes on without a second upload.
    board().clearLog();
    f.onlinePass();
    EXPECT_FALSE(recalled(0));

    nextPeriod();
    EXPECT_EQ(f.fgModel->textMatrix(4, 0), "CH1");
    EXPECT_EQ(f.fgModel->textMatrix(5, 1), "250");

    // A later period that reads no channel at all, its configuration as before: the offset set at
    // standstill leaves the channel commands off.
    nextPeriod(0x0C, "Not able to Upload Configuration from PLS.");
    f.onlinePass();
    ASSERT_TRUE(f.cmdSetOffset->isEnabled());
    prompts.answer(Answer::Yes);
    f.cmdSetOffset_Click();
    expectChannelCommands(false);

    nextPeriod();
    EXPECT_EQ(prompts.unanswered(), 0u);
}

TEST_F(TimingTest, MovingLocksConfigurationAndOffsetAndFastHidesThePosition)
{
    board().pls.rawPosition = 123;
    frmTiming& f = openOnline(69);
    board().pls.speed = 30;
    f.onlinePass();
    EXPECT_FALSE(f.txtPLS_CFG[0]->isEnabled());
    EXPECT_FALSE(f.cmdSetOffset->isEnabled());
    EXPECT_FALSE(f.cmdResetPLSConfig->isEnabled());
    EXPECT_TRUE(f.cmdAddSetpoint->isEnabled());
    EXPECT_EQ(f.sbrPanel[1]->text(), "Position: 123");
    board().pls.speed = 51;
    board().clearLog();
    f.onlinePass();
    EXPECT_EQ(f.sbrPanel[0]->text(), "RPM: 51");
    EXPECT_EQ(f.sbrPanel[1]->text(), "Position: 888");
    EXPECT_EQ(count(board().received(), {0xFF, 0x48}), 0);
    board().pls.speed = 0;
    f.onlinePass();
    EXPECT_TRUE(f.txtPLS_CFG[0]->isEnabled());
    EXPECT_TRUE(f.cmdSetOffset->isEnabled());
}

TEST_F(TimingTest, AChangedConfigurationOffersResetAndLocksChannelsUntilUndone)
{
    frmTiming& f = openOnline(69);
    f.onlinePass();
    f.txtPLS_CFG[4]->setText(QStringLiteral("9"));
    ASSERT_FALSE(f.txtPLS_CFG_Validate(4));
    f.onlinePass();
    EXPECT_TRUE(f.cmdResetPLSConfig->isEnabled());
    EXPECT_FALSE(f.cmdAddSetpoint->isEnabled());
    EXPECT_FALSE(f.cmdSetOffset->isEnabled());
    f.txtPLS_CFG[4]->setText(QStringLiteral("0"));
    ASSERT_FALSE(f.txtPLS_CFG_Validate(4));
    f.onlinePass();
    EXPECT_FALSE(f.cmdResetPLSConfig->isEnabled());
    EXPECT_TRUE(f.cmdAddSetpoint->isEnabled());
    EXPECT_TRUE(f.cmdSetOffset->isEnabled());
}

TEST_F(TimingTest, ACommunicationErrorTakesTheWindowOffLineAtTheNextPass)
{
    frmTiming& f = openOnline(69);
    board().setSilentFrom(board().receivedCount());
    prompts.answerAllWith(Answer::Cancel);
    f.onlinePass();
    EXPECT_TRUE(gRSComm->CommError);
    f.onlinePass();
    EXPECT_FALSE(gRSComm->OnlineMode);
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_EQ(f.sbrPanel[0]->text(), "RPM: -");
    EXPECT_TRUE(f.cboTargetBoard->isEnabled());
    EXPECT_FALSE(gFirstPassOnline);
}

// Every channel command turns the channel group off and on again. The grid shows blue setpoints
// under headings in the button-text colour when on, both grey when off, and no switch brings a
// new palette (two at most for each widget): the style caches what it paints under each palette,
// so new ones made memory grow with every command.
TEST_F(TimingTest, TheGridGreysWithItsGroupAndKeepsItsPalettes)
{
    frmTiming& f = openOnline(69);
    QWidget* header = f.fgPLSChannels->horizontalHeader();
    const QPalette natural = f.palette();
    const QColor grey = natural.color(QPalette::Disabled, QPalette::WindowText);
    std::set<qint64> keys;
    for (int round = 0; round < 3; ++round) {
        for (bool on : {false, true}) {
            SCOPED_TRACE(on ? "on" : "off");
            on ? f.EnableChannelControls() : f.DisableChannelControls();
            EXPECT_EQ(f.fgPLSChannels->palette().color(QPalette::Text), on ? QColor(Qt::blue) : grey);
            EXPECT_EQ(header->palette().color(QPalette::ButtonText),
                      on ? natural.color(QPalette::Active, QPalette::ButtonText) : grey);
            keys.insert(f.fgPLSChannels->palette().cacheKey());
            keys.insert(header->palette().cacheKey());
        }
    }
    EXPECT_LE(keys.size(), 4u);
}

TEST_F(TimingTest, APassInsideAnotherExchangesBoxLeavesTheLineAlone)
{
    frmTiming& f = openOnline(69);
    struct Row {
        const char* box;
        std::function<void()> operation;
    } rows[] = {
        {"a command's own refusal", [] { gRSComm->PulseTrain(0, 0, 0, 0); }},
        {"the communication box of a read",
         [this] {
             board().setSilentFrom(board().receivedCount());
             gRSComm->PLSRpm();
         }},
    };
    prompts.answerAllWith(Answer::Cancel);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        bool ran = false;
        prompts.onShow = [&](const ScriptedPrompts::Shown&) {
            ran = true;
            const qsizetype before = board().receivedCount();
            EXPECT_FALSE(f.onlinePass());
            EXPECT_EQ(board().receivedCount(), before);
            EXPECT_TRUE(gRSComm->OnlineMode);
        };
        row.operation();
        prompts.onShow = nullptr;
        EXPECT_TRUE(ran);
    }
}

TEST_F(TimingTest, TheStatusPollReadsTheOffsetWhileTheWindowIsActive)
{
    openOnline(69);
    main->tmrBackgroungUpdate_Timer(); // takes up the link state first
    board().clearLog();
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(hexBytes(board().received()), "FF 28 55 55");
}

TEST_F(TimingTest, ClosingTheWindowEndsItsLoop)
{
    frmTiming& f = open(69);
    f.Form_Unload();
    EXPECT_FALSE(f.Running);
    EXPECT_FALSE(gTimingWindowShown);
    // Opened again, it starts over and a new loop ends with the window.
    frmTiming::ShowMe();
    EXPECT_TRUE(f.Running);
    EXPECT_TRUE(gTimingWindowShown);
    QTimer::singleShot(0, &f, [&f] { f.Form_Unload(); });
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.Running);
}
} // namespace
