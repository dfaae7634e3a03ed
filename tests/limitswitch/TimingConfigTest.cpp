#include "TimingFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest/QTest>

namespace {
const QString kSetup = QStringLiteral("Set-up");

std::array<bool, 4> optionsEnabled(const frmTiming& f)
{
    return {f.optPlsChan[0]->isEnabled(), f.optPlsChan[1]->isEnabled(), f.optPlsChan[2]->isEnabled(),
            f.optPlsChan[3]->isEnabled()};
}

// Types `text` into configuration field `i` and leaves it; true when it was refused.
bool enter(frmTiming& f, int i, const QString& text)
{
    f.txtPLS_CFG_GotFocus(i);
    f.txtPLS_CFG[i]->setText(text);
    return f.txtPLS_CFG_Validate(i);
}

TEST_F(TimingTest, TheScaleAndTheChannelCountLimitEachOther)
{
    frmTiming& f = openOnline(69);
    using Opts = std::array<bool, 4>;
    struct Case {
        int option; // chosen before the scale is typed
        const char* scale;
        Opts enabled;
        int chosen; // option chosen after
    } cases[] = {{0, "3000", {true, false, false, false}, 0}, {0, "1500", {true, true, false, false}, 0},
                 {0, "300", {true, true, true, true}, 0},     {2, "1023", {true, true, true, false}, 2},
                 {2, "700", {true, true, true, false}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        ASSERT_FALSE(enter(f, 0, QStringLiteral("300")));
        f.optPlsChan[c.option]->click();
        EXPECT_FALSE(enter(f, 0, QString::fromLatin1(c.scale)));
        EXPECT_EQ(gPLSData.Scale, QString::fromLatin1(c.scale).toInt());
        EXPECT_EQ(optionsEnabled(f), c.enabled);
        EXPECT_TRUE(f.optPlsChan[c.chosen]->isChecked());
    }
    // A scale that keeps the chosen option clicks nothing: the channel entry keeps its channel.
    f.optPlsChan[0]->click();
    f.txtTmg[1]->setText(QStringLiteral("5"));
    ASSERT_FALSE(enter(f, 0, QStringLiteral("3000")));
    EXPECT_EQ(f.txtTmg[1]->text(), "5");
    ASSERT_FALSE(enter(f, 0, QStringLiteral("700")));
    EXPECT_TRUE(prompts.shown.empty());

    // A scale the count does not allow is refused before any option changes.
    f.optPlsChan[1]->click();
    prompts.answerOk();
    EXPECT_TRUE(enter(f, 0, QStringLiteral("2048")));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Only a Number Between 2 and 2047 can be Entered");
    EXPECT_EQ(prompts.shown[0].title, kSetup);
    EXPECT_EQ(f.txtPLS_CFG[0]->text(), "700");
    EXPECT_EQ(gPLSData.Scale, 700);
    EXPECT_TRUE(f.optPlsChan[1]->isChecked());

    // 64 channels chosen while the scale field shows 600 lower the scale to 511 and the program to 0.
    ASSERT_FALSE(enter(f, 0, QStringLiteral("300")));
    f.optPlsChan[0]->click();
    ASSERT_FALSE(enter(f, 1, QStringLiteral("5")));
    f.txtPLS_CFG[0]->setText(QStringLiteral("600"));
    f.optPlsChan[3]->click();
    EXPECT_EQ(f.txtPLS_CFG[0]->text(), "511");
    EXPECT_EQ(gPLSData.Scale, 511);
    EXPECT_EQ(gPLSData.Channels, 64);
    EXPECT_EQ(f.txtPLS_CFG[1]->maximum(), 0);
    EXPECT_EQ(f.txtPLS_CFG[1]->text(), "0");
    EXPECT_EQ(gPLSData.PLSProgram, 0);
    EXPECT_EQ(f.txtTmg[1]->maximum(), 77);
}

TEST_F(TimingTest, AFieldStoresItsValueRoundedHalfToEvenAndRefusesWhatIsNoNumber)
{
    frmTiming& f = openOnline(69);
    struct Case {
        const char* text;
        int stored; // -1: refused, the old value kept
    } cases[] = {{"12.6", 13}, {"12.5", 12}, {"1e3", -1}, {"&H10", -1}, {"1,5", -1}, {"", -1}, {"256", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_FALSE(enter(f, 2, QStringLiteral("7")));
        if (c.stored < 0)
            prompts.answerOk();
        EXPECT_EQ(enter(f, 2, QString::fromLatin1(c.text)), c.stored < 0);
        EXPECT_EQ(gPLSData.SpeedComp[0], c.stored < 0 ? 7 : c.stored);
        if (c.stored < 0) {
            EXPECT_EQ(prompts.shown.back().text, "Only a Number Between 0 and 255 can be Entered");
            EXPECT_EQ(f.txtPLS_CFG[2]->text(), "7");
        }
    }
}

TEST_F(TimingTest, ABrakeWearScaleBringsTheStopLocationWithinIt)
{
    frmTiming& f = openOnline(62);
    // Without brake-wear compensation its fields stay locked.
    EXPECT_TRUE(f.txtPLS_CFG[10]->isEnabled());
    EXPECT_FALSE(f.txtPLS_CFG[12]->isEnabled());
    f.chkV8BWComp->click();
    EXPECT_TRUE(f.txtPLS_CFG[12]->isEnabled());
    EXPECT_EQ(gPLSData.Flags & 1, 1);
    ASSERT_FALSE(enter(f, 12, QStringLiteral("300")));
    ASSERT_EQ(gPLSData.StopLocation, 300);
    ASSERT_FALSE(enter(f, 10, QStringLiteral("100")));
    EXPECT_EQ(f.txtPLS_CFG[12]->text(), "99");
    EXPECT_EQ(gPLSData.StopLocation, 99);
    EXPECT_EQ(f.txtPLS_CFG[12]->maximum(), 99);
    EXPECT_EQ(f.txtTmg[0]->maximum(), 99);
    // Only code 64 has 32 channels.
    EXPECT_FALSE(f.optV8PlsChan[1]->isEnabled());

    // Switched off again, the compensation's fields fall back to their bounds.
    f.chkV8BWComp->click();
    EXPECT_EQ(gPLSData.Flags & 1, 0);
    EXPECT_EQ(gPLSData.StopLocation, 0);
    EXPECT_EQ(gPLSData.WindowTo, 99);
    EXPECT_FALSE(f.txtPLS_CFG[12]->isEnabled());
}

TEST_F(TimingTest, TheBoardListFollowsTheProgramAndTheUploadedCount)
{
    frmTiming& f = open(68);
    EXPECT_EQ(f.cboTargetBoard->currentText(), "V8390(PLS)");
    EXPECT_EQ(gTargetboardIndex, 69);
    f.Form_Unload();

    board().pls.configOut[0] = 4;
    frmTiming& g = openOnline(69);
    EXPECT_TRUE(g.optPlsChan[0]->isChecked());
    EXPECT_EQ(gPLSData.Channels, 8);
    EXPECT_EQ(g.txtTmg[1]->maximum(), 7);
}

TEST_F(TimingTest, OnlyTheConfigurationFieldsMakeItChanged)
{
    frmTiming& f = openOnline(69);
    EXPECT_FALSE(f.PLSConfigChanged());
    gPLSData.Offset += 5;
    gPLSData.ChannelSetpoints[0] = SetpointList{{1, 2}};
    EXPECT_FALSE(f.PLSConfigChanged());
    gPLSData.SpeedComp[7] += 1;
    EXPECT_TRUE(f.PLSConfigChanged());
}

TEST_F(TimingTest, ACancelledApplyShowsDashesAndKeepsABrakeWearCount)
{
    for (int code : {69, 64}) {
        SCOPED_TRACE(code);
        board().pls.configOut[5] = 32;
        frmTiming& f = openOnline(code);
        const bool multi = code == 69;
        ASSERT_FALSE(enter(f, multi ? 2 : 11, QStringLiteral("9")));
        if (multi)
            f.optPlsChan[1]->click();
        const int channels = gPLSData.Channels;
        ASSERT_EQ(channels, multi ? 16 : 32);
        board().pls.wrongAckStep = 0;
        prompts.answer(Answer::Cancel);
        f.cmdResetPLSConfig_Click();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "Unable to Reset PLS Configuration Parameters");
        EXPECT_EQ(prompts.shown[0].title, "PLS Config Download");
        EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
        EXPECT_EQ(gPLSData.Channels, multi ? 8 : channels);
        // The scale comes back into field 0 before it is checked again: no refusal box.
        EXPECT_EQ(f.txtPLS_CFG[0]->text(), multi ? "360" : "---");
        for (int i = 1; i <= 9; ++i)
            EXPECT_EQ(f.txtPLS_CFG[i]->text(), "---") << i;
        board().pls.wrongAckStep = -1;
        prompts.shown.clear();
        f.Form_Unload();
    }
}

TEST_F(TimingTest, AnAppliedConfigurationIsReadBack)
{
    frmTiming& f = openOnline(69);
    ASSERT_FALSE(enter(f, 0, QStringLiteral("720")));
    ASSERT_FALSE(enter(f, 3, QStringLiteral("25")));
    f.onlinePass();
    ASSERT_TRUE(f.cmdResetPLSConfig->isEnabled());
    f.cmdResetPLSConfig_Click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(board().pls.scale, 720);
    EXPECT_EQ(board().pls.configIn[2], 25);
    EXPECT_EQ(gPLSData.Scale, 720);
    EXPECT_EQ(gPLSData.SpeedComp[1], 25);
    EXPECT_FALSE(f.PLSConfigChanged());
    f.onlinePass();
    EXPECT_FALSE(f.cmdResetPLSConfig->isEnabled());
    EXPECT_TRUE(f.cmdAddSetpoint->isEnabled());
}
} // namespace

namespace {
TEST_F(TimingTest, EscPutsBackTheValueFromEntryAndEnterMovesOn)
{
    frmTiming& f = openOnline(69);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QLineEdit* comp = f.txtPLS_CFG[2]->edit();
    comp->setFocus();
    comp->selectAll();
    QTest::keyClicks(comp, "42");
    QTest::keyClick(comp, Qt::Key_Escape);
    EXPECT_EQ(comp->text(), "0");
    EXPECT_EQ(comp->selectedText(), "0");
    EXPECT_TRUE(comp->hasFocus());
    QTest::keyClick(comp, Qt::Key_Escape);
    EXPECT_TRUE(f.cmdDefault->hasFocus());

    // Enter leaves a field for the next control, the offset for its button; leaving checks it.
    comp->setFocus();
    comp->selectAll();
    QTest::keyClicks(comp, "9");
    QTest::keyClick(comp, Qt::Key_Return);
    EXPECT_FALSE(comp->hasFocus());
    EXPECT_EQ(gPLSData.SpeedComp[0], 9);
    f.txtTmg[0]->edit()->setFocus();
    QTest::keyClick(f.txtTmg[0]->edit(), Qt::Key_Return);
    EXPECT_TRUE(f.cmdSetOffset->hasFocus());
    EXPECT_TRUE(prompts.shown.empty());
}
} // namespace
