// The limit-switch transfers that run inside the wait display: upload of the configuration and
// every channel's setpoints into gPLSData with the file texts (mode 6), download of the program's
// files into the board (mode 7), and the clear of every channel (mode 8). None of them polls Cancel:
// each runs to its end, to a communication error or to a refusal.
#include "comm/RSComm.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/Convert.h"
#include "platform/Prompts.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace {
QString channelName(int c) { return QString::number(boardTables().Dec2Octal(c)); }

void show(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

void progress(QProgressBar* bar, int value, int maximum = -1)
{
    if (!bar)
        return;
    if (maximum >= 0)
        bar->setRange(0, std::max(maximum, 0));
    bar->setValue(value);
}

void yieldOnce() { QCoreApplication::processEvents(); }

// The board code the upload decodes for: the timing window's board while that window is shown and
// on-line and the upload is the window's own, else the program's.
int uploadBoardCode()
{
    const RSComm& comm = *gRSComm;
    if (!comm.InUploadMode() && gTimingWindowShown && comm.OnlineMode)
        return gTargetboardIndex;
    return GetTargetboardType(gProgramFile);
}

void decodeBlock(PLSFileData& d, const std::array<int, 19>& v, int code)
{
    auto word = [&v](int low) { return v[low + 1] * 256 + v[low]; };
    if (isBrakeWearPLS(code)) {
        d.LowSpeed = word(0);
        d.HighSpeed = word(2);
        d.Flags = v[4];
        d.Channels = code == 64 ? std::max(v[5], 16) : 16;
        d.StopLocation = word(6);
        d.StopError = v[8];
        d.SignalWidth = v[9];
        d.WindowFrom = word(10);
        d.WindowTo = word(12);
        d.StrobePreset = v[18];
    } else {
        d.Channels = std::max(v[0], 8);
        d.PLSProgram = std::min(v[1], 7);
        for (int i = 0; i < 8; ++i)
            d.SpeedComp[i] = std::min(v[2 + i], 255);
    }
    d.Channels = plsChannelLimit(d.Channels);
}
void refusedSetpointBox(int c)
{
    msgBox(QStringLiteral("Unable to Successfully Program Setpoint for Channel CH") + channelName(c) +
               QStringLiteral("."),
           Buttons::Ok, Icon::Exclamation, QStringLiteral("PLS Channel Download"));
}

// The pairs of a list that go to the board: those before the pair with ON equal to OFF that ends it.
std::size_t pairsSent(const SetpointList& pairs)
{
    return static_cast<std::size_t>(
        std::find_if(pairs.begin(), pairs.end(), [](const SetpointPair& p) { return p.on == p.off; }) - pairs.begin());
}

// Checks every pair of channel c that would be sent against the scale, showing for each refused one
// the boxes its sending would show; true when all of them fit.
bool channelFitsScale(int c, const SetpointList& pairs, int scale)
{
    bool fits = true;
    for (std::size_t i = 0; i < pairsSent(pairs); ++i)
        if (!RSComm::SetpointsInScale(pairs[i].on, pairs[i].off, scale)) {
            refusedSetpointBox(c);
            fits = false;
        }
    return fits;
}
} // namespace

// The files' reading leaves CHLText empty; only an upload that read every channel closes it with "%".
bool PLSUploadFinished() { return gPLSData.CHLText.endsWith(QLatin1Char('%')); }

void UploadPLSConfiguration(const PLSTransferDisplay& display)
{
    gPLSDataSnapshot = gPLSData;
    if (!gRSComm || !gRSComm->OnlineMode)
        return;
    RSComm& comm = *gRSComm;
    PLSFileData& d = gPLSData;
    // The texts of an earlier upload are not this one's: until it has read every channel, the
    // record holds no finished upload.
    d.CHLText.clear();
    const int code = uploadBoardCode();
    const bool multi = !isBrakeWearPLS(code);
    // A reply lost on the line ends the upload unfinished, so the program's files stay as they were.
    const auto lost = [&comm] { return comm.CommError || comm.ReplyLost; };
    const std::array<int, 19> block = comm.PLSConfigUpload();
    if (lost())
        return;
    const int scale = static_cast<int>(valInt(comm.PLSScaleFactor()));
    if (lost())
        return;
    const int offset = static_cast<int>(valInt(comm.PLSOffset()));
    if (lost())
        return;
    d.Scale = scale;
    d.Offset = offset;
    decodeBlock(d, block, code);
    // The configuration is the board's from here on, even should a channel not be read.
    gPLSDataSnapshot = gPLSData;
    d.PCFLine = BuildPCFLine(d, multi);
    d.CHLText = CHLHeadLines(d, multi);
    progress(display.pbrWaitDisplay, 0, d.Channels);
    const int fileChannels = multi ? 64 : 32;
    for (int c = 0; c < fileChannels; ++c) {
        const bool inUse = c < d.Channels;
        if (inUse) {
            show(display.lblWaitDisplay,
                 QStringLiteral("Uploading Channel CH") + channelName(c) + QStringLiteral(" Data, Please Standby ..."));
            yieldOnce();
        }
        d.CHLText += CHLChannelHeader(d, c, multi);
        if (!inUse)
            continue;
        progress(display.pbrWaitDisplay, c + 1);
        if (!RecallChannelSetpoints(c, display.lblSetpointRecall))
            return;
        if (d.ChannelSetpoints[c])
            d.CHLText += CHLSetpointLines(*d.ChannelSetpoints[c], multi);
    }
    d.CHLText += QLatin1Char('%');
    gPLSDataSnapshot = gPLSData;
}

void DownloadPLSConfiguration(const PLSTransferDisplay& display)
{
    if (!gRSComm)
        return;
    RSComm& comm = *gRSComm;
    // Only a limit switch's files go to the board, and only when they could be read.
    const int code = GetTargetboardType(gProgramFile);
    if (!isLimitSwitchBoard(code)) {
        msgBox(QStringLiteral("The selected program is not for a PLS target board."), Buttons::Ok, Icon::Exclamation,
               QStringLiteral("PLS Config Download"));
        return;
    }
    if (!ReadPLSFileData(gProgramFile))
        return;
    const PLSFileData& d = gPLSData;
    const bool ok = comm.PLSConfigDownload(GetPLSConfigData(code), d.Scale);
    if (comm.CommError)
        return;
    if (!ok) {
        msgBox(QStringLiteral("Unable to Successfully Download the PLS Configuration"), Buttons::Ok, Icon::Exclamation,
               QStringLiteral("PLS Config Download"));
        return;
    }
    const int channels = plsChannelLimit(d.Channels);
    progress(display.pbrWaitDisplay, 0, channels);
    for (int c = 0; c < channels; ++c) {
        show(display.lblWaitDisplay,
             QStringLiteral("Downloading Channel CH") + channelName(c) + QStringLiteral(" Data, Please Standby ..."));
        progress(display.pbrWaitDisplay, c + 1);
        // A channel the CHL file does not name is left as the board has it.
        if (!d.ChannelSetpoints[c] || d.ChannelSetpoints[c]->empty())
            continue;
        const SetpointList pairs = *d.ChannelSetpoints[c];
        // A channel goes to the board whole or not at all: its first pair clears it, so a refused
        // first pair would leave its old pairs under the later ones, and a refused later pair a list
        // nobody asked for. The board has just taken d.Scale.
        if (!channelFitsScale(c, pairs, d.Scale))
            continue;
        const auto programming = [&display, c](std::size_t i) {
            show(display.lblSetpointRecall, QStringLiteral("Programming CH") + channelName(c) +
                                                QStringLiteral(" Setpoint: ") + QString::number(i));
            yieldOnce();
        };
        if (pairsSent(pairs) < pairs.size()) {
            // A pair with ON equal to OFF ends the channel's list: the channel is cleared there, over
            // whatever was sent before it, and nothing after it is sent.
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                programming(i);
                if (pairs[i].on == pairs[i].off) {
                    comm.ClearPLSChan(c);
                    if (comm.CommError)
                        return;
                    break;
                }
                const bool set = comm.SingleSetpoint(c, pairs[i].on, pairs[i].off, i == 0);
                if (comm.CommError)
                    return;
                if (!set && comm.LastChange == RSComm::Outcome::Refused)
                    refusedSetpointBox(c);
            }
            continue;
        }
        // Every pair goes onto a channel known to be clear; one that did not take, whatever kept it
        // off, is written once more once the channel is read back, and the box comes only when the
        // board still lacks what the file holds.
        const ChannelWrite written = WriteChannelPairs(c, pairs, true, false, display.lblSetpointRecall, programming);
        if (written == ChannelWrite::CommFailed || comm.CommError)
            return;
        if (written == ChannelWrite::NotHeld)
            refusedSetpointBox(c);
    }
    gPLSDataSnapshot = gPLSData;
}

void ClearPLSChannels(const PLSTransferDisplay& display)
{
    if (!gRSComm)
        return;
    RSComm& comm = *gRSComm;
    // The board's own channel count: the one last exchanged with it.
    const int channels = plsChannelLimit(gPLSDataSnapshot.Channels);
    progress(display.pbrWaitDisplay, 0, channels);
    for (int c = 0; c < channels; ++c) {
        show(display.lblWaitDisplay,
             QStringLiteral("Clearing Channel CH") + channelName(c) + QStringLiteral(" Data, Please Standby ..."));
        progress(display.pbrWaitDisplay, c + 1);
        yieldOnce();
        const bool ok = comm.ClearPLSChan(c);
        // A clear whose confirmation was lost may have been carried out: the channel read back tells.
        const bool unknown = comm.LastChange == RSComm::Outcome::Lost;
        if (comm.CommError)
            return;
        const bool whole = (ok || unknown) && ReadBackChannel(c, nullptr);
        if (comm.CommError)
            return;
        if (ok && !whole) {
            // Confirmed, but not read back: the channel is as the clear left it.
            SetConfirmedChannel(c, {});
        } else if (!ok && !(whole && ChannelClear(c))) {
            if (unknown && !whole)
                MarkChannelUnknown(c);
            msgBox(QStringLiteral("Unable to Clear Channel"), Buttons::Ok, Icon::Information,
                   QStringLiteral("Clear Channel"));
            return;
        }
    }
}

void registerPLSTransfers()
{
    auto operation = [](void (*transfer)(const PLSTransferDisplay&)) {
        return [transfer](frmWaitDisplay& w) {
            transfer(PLSTransferDisplay{w.lblWaitDisplay, w.lblSetpointRecall, w.pbrWaitDisplay});
        };
    };
    frmWaitDisplay::setOperation(6, operation(&UploadPLSConfiguration));
    frmWaitDisplay::setOperation(7, operation(&DownloadPLSConfiguration));
    frmWaitDisplay::setOperation(8, operation(&ClearPLSChannels));
}
