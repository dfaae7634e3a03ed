// The configuration side of the timing window: the nineteen fields of both board families with
// their limits and cross-limits, the channel-count options, the two check boxes, applying the edited
// configuration to the board and reading the board's configuration back.
#include "limitswitch/frmTiming.h"

#include "comm/RSComm.h"
#include "limitswitch/TimingRules.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/Prompts.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace timing;

namespace {
// The field of the record that configuration field i edits.
int& cfgField(PLSFileData& d, int i)
{
    switch (i) {
    case 0:
    case 10: return d.Scale;
    case 1: return d.PLSProgram;
    case 11: return d.StrobePreset;
    case 12: return d.StopLocation;
    case 13: return d.StopError;
    case 14: return d.SignalWidth;
    case 15: return d.WindowFrom;
    case 16: return d.WindowTo;
    case 17: return d.LowSpeed;
    case 18: return d.HighSpeed;
    default: return d.SpeedComp[static_cast<std::size_t>(i - 2)];
    }
}

// Configuration fields of the family's frames.
constexpr int kMultiFields[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
} // namespace

// ------------------------------------------------------------------ configuration fields

void frmTiming::txtPLS_CFG_GotFocus(int Index)
{
    EscPending = false;
    CfgOldValue[Index] = integerValue(txtPLS_CFG[Index]->text());
    SelectAllText(txtPLS_CFG[Index]->edit());
}

bool frmTiming::txtPLS_CFG_KeyPress(int Index, int KeyAscii)
{
    return entryKeyPress(txtPLS_CFG[Index], CfgOldValue[Index], KeyAscii, nullptr);
}

bool frmTiming::entryKeyPress(UpDownEdit* field, int oldValue, int KeyAscii, QWidget* enterTo)
{
    if (KeyAscii == 13) {
        EscPending = false;
        if (enterTo)
            enterTo->setFocus();
        else
            sendTab(field->edit());
        return true;
    }
    if (KeyAscii == 27) {
        field->setText(QString::number(oldValue));
        if (EscPending) {
            EscPending = false;
            cmdDefault->setFocus();
        } else {
            EscPending = true;
            SelectAllText(field->edit());
        }
        return true;
    }
    EscPending = false;
    return false;
}

void frmTiming::txtPLS_CFG_LostFocus(int Index)
{
    if (m_focusMoveByCode || !isVisible())
        return;
    txtPLS_CFG_Validate(Index);
}

void frmTiming::updPLS_CFG_Change(int Index)
{
    EscPending = false;
    focusDefault();
    txtPLS_CFG_Validate(Index);
}

void frmTiming::focusDefault()
{
    m_focusMoveByCode = true;
    cmdDefault->setFocus();
    m_focusMoveByCode = false;
}

bool frmTiming::txtPLS_CFG_Validate(int Index)
{
    UpDownEdit* f = txtPLS_CFG[Index];
    const auto value = numericValue(f->text());
    if (!value || *value < f->minimum() || *value > f->maximum()) {
        msgBox(rangeMessage(f->minimum(), f->maximum()), Buttons::Ok, Icon::Information, QStringLiteral("Set-up"));
        f->setText(QString::number(CfgOldValue[Index]));
        if (f->isEnabled() && f->isVisible()) {
            m_focusMoveByCode = true;
            f->setFocus();
            m_focusMoveByCode = false;
        }
        SelectAllText(f->edit());
        return true;
    }
    optPlsChan[0]->setEnabled(true);
    cfgField(gPLSData, Index) = roundHalfEven(*value);
    const int lastPosition = gPLSData.Scale - 1;
    if (Index == 0) {
        for (int i : {0, 2, 3, 4})
            setTmgMax(i, lastPosition);
        const ChannelOptionLimits limits = channelOptionsForScale(gPLSData.Scale, selectedPlsChan());
        for (int k = 0; k < 4; ++k)
            if (!limits.enabled[k])
                optPlsChan[k]->setEnabled(false);
        // Choosing the option that is already chosen is no click: a scale checked again at every
        // stop would otherwise put the channel entry back to 0 each time.
        if (limits.select >= 0 && limits.select != selectedPlsChan())
            selectPlsChan(limits.select);
        for (int k = 0; k < 4; ++k)
            if (limits.enabled[k])
                optPlsChan[k]->setEnabled(true);
    } else if (Index == 10) {
        setTmgMax(0, lastPosition);
        for (int i : {12, 15, 16}) {
            setCfgMax(i, lastPosition);
            if (numericValue(txtPLS_CFG[i]->text()).value_or(0) > lastPosition)
                txtPLS_CFG[i]->setText(QString::number(lastPosition));
            cfgField(gPLSData, i) = integerValue(txtPLS_CFG[i]->text());
        }
        for (int i : {2, 3, 4})
            setTmgMax(i, lastPosition);
    }
    return false;
}

void frmTiming::sendTab(QWidget* field)
{
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(field, &tab);
}

void frmTiming::setCfgMax(int Index, int Max) { txtPLS_CFG[Index]->setRange(txtPLS_CFG[Index]->minimum(), Max); }

void frmTiming::setFieldEnabled(int Index, bool on)
{
    lblPLS_CFG[Index]->setEnabled(on);
    txtPLS_CFG[Index]->setEnabled(on);
}

// ------------------------------------------------------------------ channel count

int frmTiming::selectedPlsChan() const
{
    for (int k = 0; k < 4; ++k)
        if (optPlsChan[k]->isChecked())
            return k;
    return -1;
}

void frmTiming::selectPlsChan(int Index)
{
    for (int k = 0; k < 4; ++k)
        optPlsChan[k]->setChecked(k == Index);
    optPlsChan_Click(Index);
}

void frmTiming::selectV8PlsChan(int Index)
{
    for (int k = 0; k < 2; ++k)
        optV8PlsChan[k]->setChecked(k == Index);
    optV8PlsChan_Click(Index);
}

void frmTiming::optPlsChan_Click(int Index)
{
    const int channels = kChannelCounts[static_cast<std::size_t>(Index)];
    gPLSData.Channels = channels;
    setTmgMax(1, channelEntryMax(channels));
    setCfgMax(0, scaleMaxForChannels(channels));
    setCfgMax(1, programMax(channels, gPLSData.Scale));
    for (int i : {0, 1}) {
        const int max = txtPLS_CFG[i]->maximum();
        if (numericValue(txtPLS_CFG[i]->text()).value_or(0) > max) {
            txtPLS_CFG[i]->setText(QString::number(max));
            txtPLS_CFG_Validate(i);
        }
    }
    setTmgValue(1, 0);
}

void frmTiming::optV8PlsChan_Click(int Index)
{
    gPLSData.Channels = Index == 0 ? 16 : 32;
    setTmgMax(1, Index == 0 ? 17 : 37);
    setTmgValue(1, 0);
}

// ------------------------------------------------------------------ check boxes

void frmTiming::setCheck(QCheckBox* box, bool ticked)
{
    // As the old check box: a change made by code runs the click; setting the same state does not.
    if (box->isChecked() == ticked)
        return;
    box->setChecked(ticked);
    if (box == chkV8BWComp)
        chkV8BWComp_Click();
    else
        chkV8SpdWinEn_Click();
}

void frmTiming::chkV8BWComp_Click()
{
    if (!gFirstPassOnline)
        return;
    if (chkV8BWComp->isChecked()) {
        gPLSData.Flags |= 1;
        for (int i = 12; i <= 16; ++i)
            setFieldEnabled(i, true);
        for (QLabel* l : lblBWComp)
            l->setEnabled(true);
        return;
    }
    gPLSData.Flags &= ~1;
    for (int i = 12; i <= 16; ++i) {
        setFieldEnabled(i, false);
        UpDownEdit* f = txtPLS_CFG[i];
        f->setText(QString::number(i == 16 ? f->maximum() : f->minimum()));
        txtPLS_CFG_Validate(i);
    }
    for (QLabel* l : lblBWComp)
        l->setEnabled(false);
}

void frmTiming::chkV8SpdWinEn_Click()
{
    if (!gFirstPassOnline)
        return;
    if (chkV8SpdWinEn->isChecked()) {
        gPLSData.Flags |= 2;
        for (int i : {17, 18})
            setFieldEnabled(i, true);
        return;
    }
    gPLSData.Flags &= ~2;
    for (int i : {17, 18}) {
        setFieldEnabled(i, false);
        txtPLS_CFG[i]->setText(QString::number(txtPLS_CFG[i]->minimum()));
        txtPLS_CFG_Validate(i);
    }
}

// ------------------------------------------------------------------ apply and read-back

void frmTiming::cmdResetPLSConfig_Click()
{
    for (;;) {
        const std::array<int, 24> block = GetPLSConfigData(gTargetboardIndex);
        DisableConfigControls();
        if (!onlineMode())
            break;
        const bool ok = gRSComm->PLSConfigDownload(block, gPLSData.Scale);
        if (commError())
            return;
        if (ok) {
            gPLSUploadComplete = false;
            UploadPLSConfig();
            RefreshPLSChannels();
            break;
        }
        if (msgBox(QStringLiteral("Unable to Reset PLS Configuration Parameters"), Buttons::RetryCancel,
                   Icon::Exclamation, QStringLiteral("PLS Config Download")) == Answer::Retry)
            continue;
        // The multi-channel board falls back to 8 channels; a brake-wear board has no such choice
        // and keeps its count.
        if (cboTargetBoard->currentIndex() == kMultiChannelRow)
            selectPlsChan(0);
        for (int i : kMultiFields)
            txtPLS_CFG[i]->setText(QStringLiteral("---"));
        break;
    }
    if (AtStandstill) {
        EnableConfigControls();
        EnableOffsetControls();
    }
}

void frmTiming::UploadPLSConfig()
{
    if (!onlineMode())
        return;
    // What a reply lost on the line cut short is not shown: the window keeps what it showed.
    const auto lost = [this] { return commError() || gRSComm->ReplyLost; };
    const std::array<int, 19> v = gRSComm->PLSConfigUpload();
    if (lost())
        return;
    const int scale = integerValue(gRSComm->PLSScaleFactor());
    if (lost())
        return;
    gPLSData.Scale = scale;
    showPanel(4, QStringLiteral("Scale: ") + QString::number(gPLSData.Scale));
    const int offset = integerValue(gRSComm->PLSOffset());
    if (lost())
        return;
    gPLSData.Offset = offset;
    auto show = [this](int i, int value) { txtPLS_CFG[i]->setText(QString::number(value)); };
    const int lastPosition = gPLSData.Scale - 1;
    if (cboTargetBoard->currentIndex() == kMultiChannelRow) {
        gPLSData.Channels = v[0];
        selectPlsChan(qMax(channelOption(v[0]), 0));
        show(0, gPLSData.Scale);
        gPLSData.PLSProgram = v[1];
        show(1, v[1]);
        for (int i = 2; i <= 9; ++i) {
            gPLSData.SpeedComp[static_cast<std::size_t>(i - 2)] = v[static_cast<std::size_t>(i)];
            show(i, v[static_cast<std::size_t>(i)]);
        }
    } else {
        PLSFileData& d = gPLSData;
        d.LowSpeed = v[0] + 256 * v[1];
        d.HighSpeed = v[2] + 256 * v[3];
        d.Flags = v[4];
        d.Channels = cboTargetBoard->currentIndex() == boardRowOfCode(kThirtyTwoChannelBrakeWearCode) ? v[5] : 16;
        d.StopLocation = v[6] + 256 * v[7];
        d.StopError = v[8];
        d.SignalWidth = v[9];
        d.WindowFrom = v[10] + 256 * v[11];
        d.WindowTo = v[12] + 256 * v[13];
        d.StrobePreset = v[18];
        selectV8PlsChan(d.Channels >= 32 ? 1 : 0);
        show(10, d.Scale);
        show(11, d.StrobePreset);
        setCheck(chkV8BWComp, (d.Flags & 1) != 0);
        show(12, d.StopLocation);
        show(13, d.StopError);
        show(14, d.SignalWidth);
        show(15, d.WindowFrom);
        show(16, d.WindowTo);
        for (int i : {12, 15, 16})
            setCfgMax(i, lastPosition);
        setCheck(chkV8SpdWinEn, (d.Flags & 2) != 0);
        show(17, d.LowSpeed);
        show(18, d.HighSpeed);
    }
    for (int i : {0, 2, 3, 4}) {
        txtTmg[i]->setText(QStringLiteral("0"));
        setTmgMax(i, lastPosition);
    }
}

bool frmTiming::PLSConfigChanged() const
{
    const PLSFileData& a = gPLSData;
    const PLSFileData& b = gPLSDataSnapshot;
    return a.Scale != b.Scale || a.Channels != b.Channels || a.PLSProgram != b.PLSProgram ||
           a.SpeedComp != b.SpeedComp || a.StrobePreset != b.StrobePreset || a.Flags != b.Flags ||
           a.StopLocation != b.StopLocation || a.StopError != b.StopError || a.SignalWidth != b.SignalWidth ||
           a.WindowFrom != b.WindowFrom || a.WindowTo != b.WindowTo || a.LowSpeed != b.LowSpeed ||
           a.HighSpeed != b.HighSpeed;
}
