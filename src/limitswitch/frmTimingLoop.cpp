// The live side of the timing window: the polling loop that keeps speed, position and offset
// current, the off-line and on-line states with the first on-line pass that reads the setpoints,
// the lock on configuration and offset while the machine moves, and the routines that switch the
// window's control groups.
#include "limitswitch/frmTiming.h"

#include "comm/RSComm.h"
#include "limitswitch/TimingRules.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

using namespace timing;

namespace {
// Above this speed the position changes too fast to be read; the panel shows 888 instead.
constexpr int kPositionSpeedLimit = 50;
} // namespace

// ------------------------------------------------------------------ the loop

PollingLoop* frmTiming::loop()
{
    if (!m_loop) {
        m_loop = new PollingLoop(
            this, [this] { return Running; }, [this] { return onlinePass(); });
        connect(m_loop, &PollingLoop::finished, this, [this] {
            gFirstPassOnline = false;
            OfflineShown = false;
            m_setpointsUnread = false;
        });
    }
    return m_loop;
}

void frmTiming::RunOnlineLoop() { loop()->start(); }

bool frmTiming::yieldToEvents() { return loop()->yield() && Running; }

bool frmTiming::onlinePass()
{
    // A box inside another operation's exchange runs events, and this loop with them: the link,
    // and its error flag, are not ours until that operation is over.
    if (gRSComm && gRSComm->Busy())
        return false;
    if (commError()) {
        gRSComm->OnlineMode = false;
        gFirstPassOnline = false;
        UpdateOnlineStatus();
    }
    if (!onlineMode()) {
        if (!OfflineShown) {
            ShowOfflineState();
            if (shown() && Running)
                cmdDefault->setFocus();
        }
        gFirstPassOnline = false;
        CheckOnline();
        return false;
    }
    if (!gFirstPassOnline && !m_setpointsUnread) {
        ShowOnlineState();
        if (shown() && Running)
            cmdDefault->setFocus();
    }
    OfflineShown = false;
    UpdateMachineStatus();
    if (AtStandstill) {
        const bool changed = PLSConfigChanged();
        if (changed && !cmdResetPLSConfig->isEnabled()) {
            cmdResetPLSConfig->setEnabled(true);
            DisableChannelControls();
            DisableOffsetControls();
        } else if (!changed && cmdResetPLSConfig->isEnabled()) {
            cmdResetPLSConfig->setEnabled(false);
            EnableChannelControls();
            EnableOffsetControls();
        }
    } else {
        cmdResetPLSConfig->setEnabled(false);
    }
    return true;
}

// The loop waits for the next event itself when a pass made no exchange.
void frmTiming::CheckOnline() {}

void frmTiming::UpdateMachineStatus()
{
    auto mayGoOn = [this] {
        if (!yieldToEvents() || !onlineMode() || commError())
            return false;
        SetTargetboardIndex();
        return true;
    };
    if (!mayGoOn())
        return;
    const int speed = integerValue(gRSComm->PLSRpm());
    showPanel(1, QStringLiteral("RPM: ") + QString::number(speed));
    AtStandstill = speed == 0;
    JustStopped = AtStandstill && !WasAtStandstill;
    JustStarted = WasAtStandstill && !AtStandstill;
    WasAtStandstill = AtStandstill;
    if (JustStopped) {
        EnableConfigControls();
        EnableOffsetControls();
    } else if (JustStarted) {
        DisableConfigControls();
        DisableOffsetControls();
    }
    if (!mayGoOn())
        return;
    if (integerValue(gRSComm->PLSRpm()) > kPositionSpeedLimit)
        showPanel(2, QStringLiteral("Position: 888"));
    else
        showPanel(2, QStringLiteral("Position: ") + gRSComm->PLSPos());
    if (!mayGoOn())
        return;
    showPanel(3, QStringLiteral("Offset: ") + gRSComm->PLSOffset());
}

// ------------------------------------------------------------------ states

void frmTiming::ShowOnlineState()
{
    lblTargetBoard->setEnabled(false);
    cboTargetBoard->setEnabled(false);
    SetTargetboardIndex();
    RefreshPLSChannels();
    if (commError() || m_setpointsUnread)
        return;
    AtStandstill = JustStopped = JustStarted = WasAtStandstill = false;
    sbrMachineTiming->setEnabled(true);
    fgPLSChannels->setEnabled(true);
    for (int i = 1; i <= 4; ++i)
        txtTmg[i]->setEnabled(true);
    for (int i = 0; i <= 2; ++i)
        lblTmg[i]->setEnabled(true);
    for (int i = 2; i <= 4; ++i)
        setTmgMax(i, gPLSData.Scale - 1);
    for (QWidget* w : {static_cast<QWidget*>(cmdRecallChan), static_cast<QWidget*>(cmdClearChan),
                       static_cast<QWidget*>(cmdClearAll), static_cast<QWidget*>(lblTmg[3]),
                       static_cast<QWidget*>(txtTmg[5]), static_cast<QWidget*>(cmdAdjustSetpoint),
                       static_cast<QWidget*>(cmdAddSetpoint), static_cast<QWidget*>(cmdPulseTrain)})
        w->setEnabled(true);
    txtTmg[5]->setText(QStringLiteral("0"));
    fgModel->setCurrentCell(1, 1);
    if (shown())
        fgPLSChannels->setFocus();
    gFirstPassOnline = true;
}

void frmTiming::ShowOfflineState()
{
    AtStandstill = JustStopped = JustStarted = WasAtStandstill = false;
    sbrMachineTiming->setEnabled(false);
    const char* captions[4] = {"RPM: ", "Position: ", "Offset: ", "Scale: "};
    for (int p = 0; p < 4; ++p)
        showPanel(p + 1, QString::fromLatin1(captions[p]) + QLatin1Char('-'));
    lblTargetBoard->setEnabled(true);
    cboTargetBoard->setEnabled(true);
    for (QGroupBox* f : fraTmg)
        f->setEnabled(false);
    for (int i = 0; i < 19; ++i) {
        setFieldEnabled(i, false);
        txtPLS_CFG[i]->setText(QStringLiteral("-"));
    }
    for (QRadioButton* o : optPlsChan) {
        o->setChecked(false);
        o->setEnabled(false);
    }
    for (QRadioButton* o : optV8PlsChan) {
        o->setChecked(false);
        o->setEnabled(false);
    }
    for (QLabel* l : lblBWComp)
        l->setEnabled(false);
    fgPLSChannels->setEnabled(false);
    for (UpDownEdit* t : txtTmg) {
        t->setEnabled(false);
        t->setText(QStringLiteral("-"));
    }
    for (QLabel* l : lblTmg)
        l->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(cmdResetPLSConfig), static_cast<QWidget*>(cmdSetOffset),
                       static_cast<QWidget*>(cmdRecallChan), static_cast<QWidget*>(cmdClearChan),
                       static_cast<QWidget*>(cmdClearAll), static_cast<QWidget*>(cmdAddSetpoint),
                       static_cast<QWidget*>(cmdAdjustSetpoint), static_cast<QWidget*>(cmdPulseTrain),
                       static_cast<QWidget*>(chkV8BWComp), static_cast<QWidget*>(chkV8SpdWinEn)})
        w->setEnabled(false);
    gPLSUploadComplete = false;
    m_setpointsUnread = false;
    OfflineShown = true;
}

void frmTiming::RefreshPLSChannels()
{
    // A minimised window is still open: going on-line reads the setpoints all the same, or the
    // window would work on an empty record once it is restored.
    if (!isOpen())
        return;
    cmdDefault->setFocus();
    DisableChannelControls();
    if (!gPLSUploadComplete)
        ShowWaitDisplay(6);
    gPLSUploadComplete = false;
    if (commError())
        return;
    // An upload that a lost reply cut short leaves channels the window has not read.
    m_setpointsUnread = !PLSUploadFinished();
    if (m_setpointsUnread)
        return;
    DisplayPLSChannels();
    EnableChannelControls();
}

void frmTiming::SetTargetboardIndex()
{
    const int code = boardCodeOfRow(cboTargetBoard->currentIndex());
    if (code > 0)
        gTargetboardIndex = code;
}

// ------------------------------------------------------------------ control groups

void frmTiming::DisableConfigControls()
{
    cmdResetPLSConfig->setEnabled(false);
    for (int f : {0, 1, 5, 6, 7})
        fraTmg[f]->setEnabled(false);
    for (QRadioButton* o : optPlsChan)
        o->setEnabled(false);
    for (QRadioButton* o : optV8PlsChan)
        o->setEnabled(false);
    for (int i = 0; i < 19; ++i)
        setFieldEnabled(i, false);
    for (QLabel* l : lblBWComp)
        l->setEnabled(false);
    chkV8BWComp->setEnabled(false);
    chkV8SpdWinEn->setEnabled(false);
}

void frmTiming::EnableConfigControls()
{
    // Fields that an upload cut short left showing "-" are not the board's: editing them would
    // offer to reset the board to them.
    if (m_setpointsUnread) {
        yieldToEvents();
        return;
    }
    if (cboTargetBoard->currentIndex() == kMultiChannelRow) {
        fraTmg[0]->setEnabled(true);
        fraTmg[1]->setEnabled(true);
        for (QRadioButton* o : optPlsChan)
            o->setEnabled(true);
        for (int i = 0; i <= 9; ++i)
            setFieldEnabled(i, true);
        // A field left showing "---" by a cancelled apply gets the scale back before it is
        // checked, so that text is never taken for a value.
        if (!numericValue(txtPLS_CFG[0]->text()))
            txtPLS_CFG[0]->setText(QString::number(gPLSData.Scale));
        txtPLS_CFG_Validate(0);
    } else {
        fraTmg[5]->setEnabled(true);
        optV8PlsChan[0]->setEnabled(true);
        optV8PlsChan[1]->setEnabled(cboTargetBoard->currentIndex() == boardRowOfCode(kThirtyTwoChannelBrakeWearCode));
        setFieldEnabled(10, true);
        setFieldEnabled(11, true);
        fraTmg[6]->setEnabled(true);
        chkV8BWComp->setEnabled(true);
        if (chkV8BWComp->isChecked()) {
            for (int i = 12; i <= 16; ++i)
                setFieldEnabled(i, true);
            for (QLabel* l : lblBWComp)
                l->setEnabled(true);
        }
        fraTmg[7]->setEnabled(true);
        chkV8SpdWinEn->setEnabled(true);
        if (chkV8SpdWinEn->isChecked())
            for (int i : {17, 18})
                setFieldEnabled(i, true);
    }
    yieldToEvents();
}

void frmTiming::DisableChannelControls() { setChannelControls(false); }

void frmTiming::EnableChannelControls() { setChannelControls(true); }

void frmTiming::setChannelControls(bool on)
{
    // Nothing that switches the groups back on (a configuration change undone, the offset set)
    // makes commands usable on channels that were not read.
    if (on && m_setpointsUnread)
        return;
    for (int f : {2, 4, 8})
        fraTmg[f]->setEnabled(on);
    fgPLSChannels->setEnabled(on);
    for (QWidget* w : {static_cast<QWidget*>(cmdRecallChan), static_cast<QWidget*>(cmdClearChan),
                       static_cast<QWidget*>(cmdClearAll), static_cast<QWidget*>(lblTmg[3]),
                       static_cast<QWidget*>(cmdAdjustSetpoint), static_cast<QWidget*>(cmdAddSetpoint),
                       static_cast<QWidget*>(cmdPulseTrain)})
        w->setEnabled(on);
    for (int i = 1; i <= 5; ++i)
        txtTmg[i]->setEnabled(on);
    for (int i = 0; i <= 2; ++i)
        lblTmg[i]->setEnabled(on);
}

void frmTiming::DisableOffsetControls()
{
    fraTmg[3]->setEnabled(false);
    txtTmg[0]->setEnabled(false);
    txtTmg[0]->setText(QStringLiteral("-"));
    cmdSetOffset->setEnabled(false);
}

void frmTiming::EnableOffsetControls()
{
    fraTmg[3]->setEnabled(true);
    txtTmg[0]->setEnabled(true);
    txtTmg[0]->setText(QStringLiteral("0"));
    cmdSetOffset->setEnabled(true);
}
