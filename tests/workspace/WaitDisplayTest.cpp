#include "WorkspaceFixture.h"

#include "workspace/frmMDIMain.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class WaitDisplayTest : public WorkspaceTest {
protected:
    ~WaitDisplayTest() override
    {
        for (int mode = 1; mode <= 8; ++mode)
            if (mode != 4)
                frmWaitDisplay::setOperation(mode, nullptr);
        gViewNicNames = gViewDescriptions = false;
        gDataXferMode = 0;
    }
};

TEST_F(WaitDisplayTest, EachModeShowsItsMessageAndControls)
{
    struct Case {
        int mode, xfer;
        bool nic, desc;
        const char* text;
        bool bar, cancel, recall;
    };
    const Case cases[] = {
        {1, 0, false, false, "Reading Variables, Please Standby ...", true, true, false},
        {2, 0, true, false, "Refreshing NicNames, Please Standby ...", true, true, false},
        {2, 0, false, true, "Refreshing Descriptions, Please Standby ...", true, true, false},
        {2, 0, false, false, "Please Standby ...", true, true, false},
        {3, 0, false, false, "Printing Status Table, Please Standby ...", false, false, false},
        {4, 1, false, false, "Downloading Target Board Data, Please Standby ...", true, true, false},
        {4, 2, false, false, "Uploading Target Board Data, Please Standby ...", true, true, false},
        {4, 3, false, false, "Downloading Datafile, Please Standby ...", true, true, false},
        {4, 0, false, false, "Please Standby ...", true, true, false},
        {5, 0, false, false, "Printing Trend Data, Please Standby ...", false, false, false},
        {6, 0, false, false, "Uploading PLS Configuration, Please Standby ...", true, false, true},
        {7, 0, false, false, "Downloading PLS Configuration, Please Standby ...", true, false, true},
        {8, 0, false, false, "Clearing PLS Channel Setpoints, Please Standby ...", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        gWaitDisplayMode = c.mode;
        gDataXferMode = c.xfer;
        gViewNicNames = c.nic;
        gViewDescriptions = c.desc;
        frmWaitDisplay w;
        w.CancelFlag = true;
        w.show();
        w.Form_Load();
        EXPECT_EQ(w.lblWaitDisplay->text(), c.text);
        EXPECT_EQ(w.pbrWaitDisplay->isVisible(), c.bar);
        EXPECT_EQ(w.cmdCancel->isVisible(), c.cancel);
        EXPECT_EQ(w.lblSetpointRecall->isVisible(), c.recall);
        EXPECT_FALSE(w.CancelFlag);
        w.cmdCancel_Click();
        EXPECT_TRUE(w.CancelFlag);
        w.Form_Unload();
    }
}

TEST_F(WaitDisplayTest, AnOperationRunsModallyWithTheStatusTimerStopped)
{
    start();
    int runs = 0;
    frmWaitDisplay::setOperation(6, [&](frmWaitDisplay& w) {
        ++runs;
        EXPECT_EQ(frmWaitDisplay::current(), &w);
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(main->tmrBackgroungUpdate->isActive());
    });
    ShowWaitDisplay(6);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(gWaitDisplayMode, 6);
    EXPECT_EQ(frmWaitDisplay::current(), nullptr);
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());

    // Without an operation a mode shows nothing and leaves the timer alone.
    frmWaitDisplay::setOperation(6, nullptr);
    main->tmrBackgroungUpdate->stop();
    ShowWaitDisplay(6);
    EXPECT_FALSE(frmWaitDisplay::hasOperation(6));
    EXPECT_FALSE(main->tmrBackgroungUpdate->isActive());
    EXPECT_TRUE(prompts.shown.empty());
}

} // namespace
