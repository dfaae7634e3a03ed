#pragma once
// The timing window open inside a main window whose port is the simulated limit switch. The
// window's loop is not left to run: each test drives its passes one at a time.
#include "PLSFixture.h"

#include "limitswitch/frmTiming.h"
#include "platform/UpDownEdit.h"
#include "workspace/frmMain.h"
#include "workspace/frmWaitDisplay.h"

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
        if (!frmWaitDisplay::hasOperation(6)) {
            frmWaitDisplay::setOperation(6, [](frmWaitDisplay& w) {
                UploadPLSConfiguration({w.lblWaitDisplay, w.lblSetpointRecall, w.pbrWaitDisplay});
            });
            frmWaitDisplay::setOperation(8, [](frmWaitDisplay& w) {
                ClearPLSChannels({w.lblWaitDisplay, w.lblSetpointRecall, w.pbrWaitDisplay});
            });
        }
    }

    // Opens the window on a program of board `code` selected in the browser.
    frmTiming& open(int code)
    {
        board().pls.boardCode = code;
        writeProgram(QStringLiteral("PRESS"), code);
        browser().RefreshFileList(programPath(QStringLiteral("PRESS.CVP")));
        frmTiming::ShowMe();
        frmTiming& form = *frmTiming::loaded();
        // The queued loop finds its flag down and returns at once; the test makes the passes.
        form.Running = false;
        QCoreApplication::processEvents();
        form.Running = true;
        return form;
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

    QString text(const UpDownEdit* field) const { return field->text(); }
    // Types `value` into a field and leaves it, as the user does.
    void type(UpDownEdit* field, const QString& value)
    {
        field->setText(value);
    }
    std::vector<std::pair<int, int>> boardPairs(int c) { return board().pls.setpoints[static_cast<std::size_t>(c)]; }
};
