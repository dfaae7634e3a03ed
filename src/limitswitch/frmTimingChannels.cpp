// The channel side of the timing window: the channel, setpoint and offset entries, the channel grid
// and the commands that recall, clear, add, adjust and program channels and set the offset. After
// every change the channel is read back from the board, so the grid shows what the board holds.
#include "limitswitch/frmTiming.h"

#include "comm/RSComm.h"
#include "limitswitch/TimingRules.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/Prompts.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace timing;

namespace {
const QString kEntryTitle = QStringLiteral("Resolver Offset");
const QString kUnknownPosition = QStringLiteral("????");

// A channel's pairs; nullptr when nothing is known of the channel. Such a channel is treated as
// one without pairs.
const SetpointList* pairsOf(int Chan)
{
    if (Chan < 0 || Chan >= kPLSMaxChannels)
        return nullptr;
    const auto& list = gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)];
    return list ? &*list : nullptr;
}

int lastPairIndex(int Chan)
{
    const SetpointList* pairs = pairsOf(Chan);
    return pairs && !pairs->empty() ? static_cast<int>(pairs->size()) - 1 : 0;
}

int dec2Octal(int n) { return boardTables().Dec2Octal(n); }

// A command whose confirmation was lost, late or garbled may have been carried out all the same:
// what the channel holds is not known until it is read back. Taken right after the command, before
// a box lets the status poll make exchanges of its own.
bool outcomeUnknown() { return gRSComm->LastChange == RSComm::Outcome::Lost; }

// After a change that the board confirmed or may have carried out, the channel is read back. When no
// read is whole nothing is decided from it: a confirmed change is shown as it left the channel
// (`confirmed`), one that was not makes the channel unknown. True when a read was whole.
bool readBackAfterChange(int Chan, bool done, const std::optional<SetpointList>& confirmed, QLabel* Status)
{
    const bool whole = ReadBackChannel(Chan, Status);
    if (whole || gRSComm->CommError)
        return whole;
    if (done && confirmed)
        SetConfirmedChannel(Chan, *confirmed);
    else if (!done)
        MarkChannelUnknown(Chan);
    return false;
}

void programSetpointBox(const QString& channelEntry, const QString& title)
{
    msgBox(QStringLiteral("Unable to Successfully Program Setpoint for Channel CH") + channelEntry + QLatin1Char('.'),
           Buttons::Ok, Icon::Exclamation, title);
}

} // namespace

// ------------------------------------------------------------------ entries

int frmTiming::tmgValue(int Index) const { return integerValue(txtTmg[Index]->text()); }

int frmTiming::channelOfEntry() const { return boardTables().Octal2Dec(tmgValue(1)); }

void frmTiming::setTmgMax(int Index, int Max) { txtTmg[Index]->setRange(0, Max); }

void frmTiming::setTmgValue(int Index, int Value)
{
    // Setting an up-down from code runs its change, as the user's step does; the same value
    // changes nothing.
    const auto now = numericValue(txtTmg[Index]->text());
    if (now && roundHalfEven(*now) == Value)
        return;
    txtTmg[Index]->setText(QString::number(Value));
    updTmg_Change(Index);
}

void frmTiming::txtTmg_GotFocus(int Index)
{
    EscPending = false;
    const int value = tmgValue(Index);
    TmgOldValue[Index] = value;
    txtTmg[Index]->setText(value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value));
    SelectAllText(txtTmg[Index]->edit());
}

bool frmTiming::txtTmg_KeyPress(int Index, int KeyAscii)
{
    // Enter in the offset goes to its button.
    return entryKeyPress(txtTmg[Index], TmgOldValue[Index], KeyAscii, Index == 0 ? cmdSetOffset : nullptr);
}

void frmTiming::txtTmg_LostFocus(int Index)
{
    if (m_focusMoveByCode || !isVisible())
        return;
    txtTmg_Validate(Index);
}

void frmTiming::updTmg_Change(int Index)
{
    EscPending = false;
    if (shown())
        focusDefault();
    txtTmg_Validate(Index);
}

bool frmTiming::txtTmg_Validate(int Index)
{
    UpDownEdit* f = txtTmg[Index];
    if (!entryValid(f->text(), f->minimum(), f->maximum())) {
        msgBox(rangeMessage(f->minimum(), f->maximum()), Buttons::Ok, Icon::Information, kEntryTitle);
        f->setText(QString::number(TmgOldValue[Index]));
        if (f->isEnabled()) {
            m_focusMoveByCode = true;
            f->setFocus();
            m_focusMoveByCode = false;
        }
        SelectAllText(f->edit());
        return true;
    }
    if (Index == 1) {
        const int typed = tmgValue(1);
        const int channel = octalStep(typed);
        if (channel != typed)
            f->setText(QString::number(channel));
        const int c = boardTables().Octal2Dec(channel);
        txtTmg[5]->setText(QStringLiteral("0"));
        setTmgMax(5, lastPairIndex(c));
        showPair(c, 0);
    } else if (Index == 5) {
        showPair(channelOfEntry(), tmgValue(5));
    }
    return false;
}

// A command reads its entries as they stand; one that the user changed and did not leave (a button's
// access key moves no focus) is checked first, so nothing out of range reaches the board.
bool frmTiming::entriesValid(std::initializer_list<int> entries)
{
    for (int i : entries)
        if (!entryValid(txtTmg[i]->text(), txtTmg[i]->minimum(), txtTmg[i]->maximum())) {
            txtTmg_Validate(i);
            return false;
        }
    return true;
}

// ON and OFF of pair `Pair` of a channel in the ON and OFF entries; empty when there is none.
void frmTiming::showPair(int Chan, int Pair)
{
    const SetpointList* pairs = pairsOf(Chan);
    if (!pairs || Pair < 0 || Pair >= static_cast<int>(pairs->size())) {
        txtTmg[2]->setText(QString());
        txtTmg[3]->setText(QString());
        return;
    }
    const SetpointPair& p = (*pairs)[static_cast<std::size_t>(Pair)];
    txtTmg[2]->setText(QString::number(p.on));
    txtTmg[3]->setText(QString::number(p.off));
}

// After a command: the channel and pair worked on are shown in the entries again.
void frmTiming::showSelection(int Chan, int Pair)
{
    txtTmg[1]->setText(QString::number(dec2Octal(Chan)));
    setTmgMax(5, lastPairIndex(Chan));
    txtTmg[5]->setText(QString::number(Pair));
    showPair(Chan, Pair);
}

// ------------------------------------------------------------------ grid

void frmTiming::DisplayPLSChannels()
{
    if (onlineMode()) {
        UploadPLSConfig();
        if (commError())
            return;
    }
    const int rowHeight = qMax(fgPLSChannels->toPixels(fgModel->rowHeight()), 1);
    const int visible = qRound(double(fgPLSChannels->height()) / rowHeight - 1);
    fgModel->setRows(1);
    ChannelOfRow.assign(1, 0);
    std::vector<QStringList> rows;
    for (int c = 0; c < plsChannelLimit(gPLSData.Channels); ++c) {
        const SetpointList* pairs = pairsOf(c);
        // The listing ends at the first channel nothing is known of.
        if (!pairs)
            break;
        // A channel that could not be read back after a change shows that nothing of it is known.
        if (ChannelUnknown(c))
            rows.push_back({QStringLiteral("CH") + QString::number(dec2Octal(c)), kUnknownPosition, kUnknownPosition});
        for (std::size_t n = 0; n < pairs->size(); ++n) {
            const SetpointPair& p = (*pairs)[n];
            const QString label = n == 0 ? QStringLiteral("CH") + QString::number(dec2Octal(c))
                                         : QString::number(n) + QLatin1Char(':');
            const bool none = p.on == p.off;
            rows.push_back({label, none ? QStringLiteral("****") : QString::number(p.on),
                            none ? QStringLiteral("****") : QString::number(p.off)});
            ChannelOfRow.push_back(c);
        }
        rows.push_back({});
        ChannelOfRow.push_back(c);
    }
    const int total = qMax(static_cast<int>(rows.size()) + 1, visible);
    fgModel->setRows(total);
    ChannelOfRow.resize(static_cast<std::size_t>(total), 0);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int col = 0; col < rows[r].size(); ++col)
            fgModel->setTextMatrix(static_cast<int>(r) + 1, col, rows[r][col]);

    txtTmg[1]->setText(QStringLiteral("0"));
    txtTmg[5]->setText(QStringLiteral("0"));
    setTmgMax(5, lastPairIndex(0));
    showPair(0, 0);
}

void frmTiming::LoadSetpointFromGrid()
{
    EscPending = false;
    const int row = fgModel->row();
    if (row < 0 || row >= static_cast<int>(ChannelOfRow.size()))
        return;
    const int c = ChannelOfRow[static_cast<std::size_t>(row)];
    txtTmg[1]->setText(QString::number(dec2Octal(c)));
    const int last = lastPairIndex(c);
    int n = last;
    if (const auto on = numericValue(fgModel->textMatrix(row, 1)); on && pairsOf(c)) {
        const SetpointList& pairs = *pairsOf(c);
        for (std::size_t i = 0; i < pairs.size(); ++i)
            if (pairs[i].on == roundHalfEven(*on)) {
                n = static_cast<int>(i);
                break;
            }
    }
    txtTmg[5]->setText(QString::number(n));
    setTmgMax(5, last);
    showPair(c, n);
}

void frmTiming::fgPLSChannels_Click() { LoadSetpointFromGrid(); }

void frmTiming::fgPLSChannels_EnterCell() { LoadSetpointFromGrid(); }

void frmTiming::fgPLSChannels_KeyPress(int KeyAscii)
{
    if (KeyAscii >= '0' && KeyAscii <= '9') {
        EscPending = false;
        txtTmg[2]->setText(QString(QChar(KeyAscii)));
        txtTmg[2]->setFocus();
        txtTmg[2]->edit()->end(false);
    } else if (KeyAscii == 27) {
        if (EscPending) {
            EscPending = false;
            cmdDefault->setFocus();
        } else {
            EscPending = true;
            showPair(channelOfEntry(), tmgValue(5));
        }
    } else if (KeyAscii == 13) {
        EscPending = false;
    }
}

void frmTiming::PLSChannelsCopyClip()
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(fgModel->clip());
}

// ------------------------------------------------------------------ offset

void frmTiming::cmdSetOffset_Click()
{
    if (!entriesValid({0}))
        return;
    const int position = tmgValue(0);
    auto enableAgain = [this] {
        if (!AtStandstill)
            return;
        EnableOffsetControls();
        EnableConfigControls();
        EnableChannelControls();
    };
    if (!onlineMode()) {
        enableAgain();
        return;
    }
    if (msgBox(QStringLiteral("You are about to Change the Resolver Offset.") + CRLF + CRLF +
                   QStringLiteral("Do you wish to continue?"),
               Buttons::YesNoCancel, Icon::Question, QStringLiteral("Set Offset")) != Answer::Yes) {
        txtTmg[0]->setText(QStringLiteral("0"));
        return;
    }
    DisableOffsetControls();
    DisableConfigControls();
    DisableChannelControls();
    const bool ok = gRSComm->SetPLSOffset(position);
    if (commError())
        return;
    if (!ok) {
        msgBox(QStringLiteral("Unable to Successfully Set the Resolver Offset"), Buttons::Ok, Icon::Critical, kEntryTitle);
        // The board kept its offset: what was usable before stays usable.
        enableAgain();
        txtTmg[0]->setText(QStringLiteral("0"));
        return;
    }
    gPLSData.Offset = position;
    enableAgain();
}

// ------------------------------------------------------------------ channel commands

void frmTiming::cmdRecallChan_Click()
{
    if (!entriesValid({1}))
        return;
    const int c = channelOfEntry();
    DisableChannelControls();
    lblSetpointRecall->show();
    RecallChannelSetpoints(c, lblSetpointRecall);
    lblSetpointRecall->hide();
    DisplayPLSChannels();
    EnableChannelControls();
    showSelection(c, 0);
}

void frmTiming::cmdClearChan_Click()
{
    if (!entriesValid({1}))
        return;
    const int entry = tmgValue(1);
    const int c = channelOfEntry();
    const QString chan = (entry <= 7 ? QStringLiteral("CH0") : QStringLiteral("CH")) + QString::number(entry);
    if (msgBox(QStringLiteral("You are about to Clear Channel ") + chan + QLatin1Char('.') + CRLF + CRLF +
                   QStringLiteral("Do you wish to continue?"),
               Buttons::YesNoCancel, Icon::Question, QStringLiteral("Clear Channel")) != Answer::Yes)
        return;
    while (onlineMode()) {
        const bool ok = gRSComm->ClearPLSChan(c);
        const bool unknown = outcomeUnknown();
        if (commError())
            return;
        if (ok || unknown) {
            const bool whole = readBackAfterChange(c, ok, SetpointList{}, nullptr);
            if (commError())
                return;
            if (ok || (whole && ChannelClear(c)))
                break;
        }
        if (msgBox(QStringLiteral("Unable to Clear Channel"), Buttons::RetryCancel, Icon::Question,
                   QStringLiteral("Clear Channel")) != Answer::Retry)
            break;
    }
    DisplayPLSChannels();
    showSelection(c, 0);
}

void frmTiming::cmdClearAll_Click()
{
    if (msgBox(QStringLiteral("You are about to Clear ALL PLS Channels.    ") + CRLF + CRLF +
                   QStringLiteral("Do you wish to continue?"),
               Buttons::YesNoCancel, Icon::Question, QStringLiteral("Clear ALL")) != Answer::Yes)
        return;
    if (onlineMode())
        ShowWaitDisplay(8);
    DisplayPLSChannels();
}

void frmTiming::cmdAddSetpoint_Click()
{
    if (!entriesValid({1, 2, 3}))
        return;
    const QString title = QStringLiteral("Add Setpoint");
    const int c = channelOfEntry();
    const int on = tmgValue(2), off = tmgValue(3);
    if (on == off) {
        msgBox(QStringLiteral("ON Setpoint cannot Equal OFF Setpoint"), Buttons::Ok, Icon::Information, title);
        return;
    }
    const SetpointList* pairs = pairsOf(c);
    if (pairs)
        for (const SetpointPair& p : *pairs)
            if (CheckSetpointOverlap(p.on, p.off, on, off, gPLSData.Scale)) {
                msgBox(QStringLiteral("Setpoint overlaped with existing setpoint."), Buttons::Ok, Icon::Information,
                       title);
                return;
            }
    if (onlineMode()) {
        // A channel without setpoints holds the pair (0, 0): the new pair replaces it. Nothing is
        // cleared on a channel that has not been read.
        const bool clear = pairs && !pairs->empty() && pairs->back().on == pairs->back().off;
        // What the channel holds once the pair is on it, as far as gPLSData knows the channel.
        std::optional<SetpointList> added;
        if (pairs && !ChannelUnknown(c)) {
            added = clear ? SetpointList{} : *pairs;
            added->push_back({on, off});
        }
        const bool ok = gRSComm->SingleSetpoint(c, on, off, clear);
        const bool unknown = outcomeUnknown();
        if (commError())
            return;
        bool whole = false;
        if (ok || unknown) {
            DisableChannelControls();
            whole = readBackAfterChange(c, ok, added, nullptr);
            if (commError())
                return;
        }
        // Only a refusal, or a read-back that shows the pair missing, says the add failed.
        if (!ok && (!unknown || (whole && !ChannelHolds(c, {{on, off}}))))
            programSetpointBox(QString::number(tmgValue(1)), title);
    }
    DisplayPLSChannels();
    EnableChannelControls();
    showSelection(c, 0);
}

// The board's side of an adjust: the channel is cleared and every pair written again with pair n
// replaced. No pair the user did not touch is lost to one that fails: every pair is written whatever
// becomes of another, and once the channel is read back each pair it lacks is written once more. The
// box comes only when the board, read whole, does not hold what was asked. False when the link
// failed, which ends the command where it is.
bool frmTiming::adjustOnBoard(int Chan, int Pair, SetpointPair adjusted)
{
    SetpointList wanted = pairsOf(Chan) ? *pairsOf(Chan) : SetpointList{};
    // The pair number is one of the list's, or the next one after them.
    const auto at = static_cast<std::size_t>(std::clamp(Pair, 0, static_cast<int>(wanted.size())));
    if (at == wanted.size())
        wanted.push_back({});
    wanted[at] = adjusted;
    lblSetpointRecall->show();
    const ChannelWrite written = WriteChannelPairs(Chan, wanted, false, true, lblSetpointRecall);
    lblSetpointRecall->hide();
    if (written == ChannelWrite::CommFailed || commError())
        return false;
    if (written == ChannelWrite::NotHeld)
        programSetpointBox(QString::number(tmgValue(1)), QStringLiteral("Setpoint Adjust"));
    return true;
}

void frmTiming::cmdAdjustSetpoint_Click()
{
    if (!entriesValid({1, 2, 3, 5}))
        return;
    const int c = channelOfEntry();
    const int n = tmgValue(5);
    const int on = tmgValue(2), off = tmgValue(3);
    if (on == off) {
        msgBox(QStringLiteral("ON Setpoint cannot Equal OFF Setpoint"), Buttons::Ok, Icon::Information,
               QStringLiteral("Setpoint Adjust"));
        return;
    }
    if (const SetpointList* pairs = pairsOf(c))
        for (std::size_t i = 0; i < pairs->size(); ++i) {
            const SetpointPair& p = (*pairs)[i];
            // A pair with ON = OFF holds no setpoint and overlaps nothing.
            if (static_cast<int>(i) == n || p.on == p.off)
                continue;
            if (CheckSetpointOverlap(p.on, p.off, on, off, gPLSData.Scale)) {
                msgBox(QStringLiteral("Setpoint overlap with existing setpoint."), Buttons::Ok, Icon::Information,
                       QStringLiteral("Adjust Setpoint"));
                return;
            }
        }
    // The pairs of a channel that could not be read are not known, so an adjust would write the
    // channel without them.
    if (ChannelUnknown(c)) {
        msgBox(QStringLiteral("Channel CH") + QString::number(tmgValue(1)) +
                   QStringLiteral(" could not be read. Recall the channel before adjusting a setpoint."),
               Buttons::Ok, Icon::Information, QStringLiteral("Setpoint Adjust"));
        return;
    }
    DisableChannelControls();
    if (onlineMode() && !adjustOnBoard(c, n, {on, off}))
        return;
    DisplayPLSChannels();
    EnableChannelControls();
    showSelection(c, n);
}

void frmTiming::cmdPulseTrain_Click()
{
    if (!entriesValid({1, 2, 3, 4}))
        return;
    const int c = channelOfEntry();
    DisableChannelControls();
    if (onlineMode()) {
        const int on = tmgValue(2), off = tmgValue(3), start = tmgValue(4);
        const bool ok = gRSComm->PulseTrain(c, on, off, start);
        const bool unknown = outcomeUnknown();
        if (commError())
            return;
        const SetpointList train = PulseTrainPairs(start, on, off, gPLSData.Scale);
        bool whole = false;
        if (ok || unknown) {
            lblSetpointRecall->show();
            whole = readBackAfterChange(c, ok, train, lblSetpointRecall);
            lblSetpointRecall->hide();
            if (commError())
                return;
        }
        if (!ok && (!unknown || (whole && ChannelSwitchingPairs(c) != SwitchingPairs(train))))
            msgBox(QStringLiteral("Unable to Successfully Program Pulse Train for Channel CH") +
                       QString::number(tmgValue(1)) + QLatin1Char('.'),
                   Buttons::Ok, Icon::Exclamation, QStringLiteral("Pulse Train"));
    }
    DisplayPLSChannels();
    EnableChannelControls();
    // The listing shows channel 0 in the entries; the channel chosen stays chosen, refused or not,
    // so the next command cannot go to channel 0 unasked.
    showSelection(c, 0);
}
