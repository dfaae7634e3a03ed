#pragma once
// The timing window open inside a main window whose port is the simulated limit switch. The
// window's loop is not left to run: each test drives its passes one at a time.
#include "PLSFixture.h"

#include "limitswitch/frmTiming.h"
#include "platform/UpDownEdit.h"
#include "workspace/frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

class TimingTest : public PLSTest {
protected:
    TimingTest()
    {
        // The status poll reads the board too; these tests look at the window's own exchanges.
        main->tmrBackgroungUpdate->stop();
    }

    // The window just opened: its queued loop finds the flag down and returns at once, and the
    // test makes the passes.
    frmTiming& takeOverLoop()
    {
        frmTiming& form = *frmTiming::loaded();
        form.Running = false;
        QCoreApplication::processEvents();
        form.Running = true;
        return form;
    }

    // Opens the window on a program of board `code` selected in the browser.
    frmTiming& open(int code)
    {
        board().pls.boardCode = code;
        writeProgram(QStringLiteral("PRESS"), code);
        browser().RefreshFileList(programPath(QStringLiteral("PRESS.CVP")));
        frmTiming::ShowMe();
        return takeOverLoop();
    }
    // Opens the window, goes on-line and makes the first on-line pass at standstill.
    frmTiming& openOnline(int code)
    {
        frmTiming& form = open(code);
        form.onlinePass();
        online();
        form.onlinePass();
        board().clearLog();
        return form;
    }

    // Channel entry (left, so the channel's first pair shows), ON and OFF as the user types them.
    static void pick(frmTiming& f, int channel, int on, int off)
    {
        f.txtTmg[1]->setText(QString::number(channel));
        f.txtTmg_Validate(1);
        f.txtTmg[2]->setText(QString::number(on));
        f.txtTmg[3]->setText(QString::number(off));
    }
    // Every box answered as a user going on would: Yes to a question, Retry to the communication box,
    // Cancel to a clear's Retry/Cancel, OK to the rest.
    void answerEveryBox()
    {
        prompts.onShow = [this](const ScriptedPrompts::Shown& box) {
            prompts.answer(box.title == QLatin1String("WARNING - Communication Error!") ? Answer::Retry
                           : box.buttons == Buttons::YesNoCancel                       ? Answer::Yes
                           : box.buttons == Buttons::RetryCancel                       ? Answer::Cancel
                                                                                       : Answer::Ok);
        };
    }
    std::vector<std::pair<int, int>> boardPairs(int c) { return board().pls.setpoints[static_cast<std::size_t>(c)]; }
};
