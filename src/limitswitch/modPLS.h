#pragma once
// The limit-switch record and its two files beside a program's Corvane file: the PCF file (one line
// of configuration values in fixed columns) and the CHL file (the timing channels with their ON/OFF
// setpoint pairs). Two board families share the record and differ in the configuration fields used
// and in the widths of the numbers in both files.
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;

// Channels the record holds, whatever count a file or a board gives.
inline constexpr int kPLSMaxChannels = 64;
// Pairs one channel's recall stores at most (its counter runs 0 to 2048).
inline constexpr int kPLSMaxPairs = 2049;

// One setpoint pair: the output turns ON at `on` and OFF at `off`; ON above OFF is a window across
// position 0. The single pair (0, 0) marks a channel without setpoints.
struct SetpointPair {
    int on = 0;
    int off = 0;
    bool operator==(const SetpointPair&) const = default;
};
using SetpointList = std::vector<SetpointPair>;

struct PLSFileData {
    QString PCFLine; // the PCF line without its line end
    QString CHLText; // the whole CHL text built by an upload; empty after reading the files
    int Channels = 0;
    int Scale = 0; // positions per revolution
    int Offset = 0;
    int PLSProgram = 0;            // MultiChannelPLS
    std::array<int, 8> SpeedComp{}; // MultiChannelPLS, CH00 to CH07 in ms
    // Per channel: nothing known (no list) or its pairs in order.
    std::array<std::optional<SetpointList>, kPLSMaxChannels> ChannelSetpoints;
    std::array<QString, kPLSMaxChannels> ChannelHeaders; // the ":" line as read from the CHL file
    // Per channel: a change may have altered it and no read-back read it whole since, so its list is
    // not the board's (it is kept empty). A whole read clears the mark.
    std::array<bool, kPLSMaxChannels> ChannelUnknown{};
    int Flags = 0; // BrakeWearPLS: bit 0 brake-wear compensation, bit 1 speed window
    int StrobePreset = 0;
    int StopLocation = 0;
    int StopError = 0;
    int SignalWidth = 0;
    int WindowFrom = 0;
    int WindowTo = 0;
    int LowSpeed = 0;
    int HighSpeed = 0;
    QString CHLFile;
    QString PCFFile;

    bool operator==(const PLSFileData&) const = default;
};

// The current set-up, and a copy of it as last exchanged with the board.
inline PLSFileData gPLSData;
inline PLSFileData gPLSDataSnapshot;

// Board type code 69; `MultiChannelPLS` in the board list.
inline constexpr int kMultiChannelPLS = 69;
// Codes 55, 62, 63, 64 and 67.
bool isBrakeWearPLS(int code);
// Channel loops run over this many channels: the count clamped to 0..64.
int plsChannelLimit(int channels);

// Fills gPLSData from the PCF and CHL files of the program whose Corvane file is FileName. True for
// limit-switch codes and for 68 (read as 69, with no files); False for other codes and after a
// failure, which is reported in a box titled "ReadPLSFileData()".
bool ReadPLSFileData(const QString& FileName);
// The same into a record of the caller's, leaving gPLSData as it is.
bool ReadPLSFileData(const QString& FileName, PLSFileData& into);
// The 24-value configuration block the board receives, packed from gPLSData for the family of
// TargetboardType (69 MultiChannelPLS, any other code BrakeWearPLS).
std::array<int, 24> GetPLSConfigData(int TargetboardType);
// Reads channel Chan's pairs back from the board into gPLSData, sorted by ON. Status, when given,
// shows the progress. True when it read the whole channel: every point until the first came round
// again, or the board's "no setpoints" answer to the first recall (stored as the pair (0, 0)). A recall
// refused, lost, late or garbled before that (after its "Unable to Recall Channel" box), or a link that
// failed, is not a whole read: the channel then keeps the pairs it held.
bool RecallChannelSetpoints(int Chan, QLabel* Status);
// A channel read back after a change: read once more when the first read was not whole (a recall
// changes nothing on the board). True when a read was whole.
bool ReadBackChannel(int Chan, QLabel* Status);
// The pairs of `pairs` that switch the output (ON differs from OFF), sorted: what a read-back of a
// channel that holds them gives, whatever order they were set in.
SetpointList SwitchingPairs(SetpointList pairs);
// The pairs a pulse train of ON and OFF divisions from START puts on a channel of a scale.
SetpointList PulseTrainPairs(int START_Division, int ON_Division, int OFF_Division, int Scale);
// What gPLSData knows the channel holds: its switching pairs; nothing when the channel is unknown.
std::optional<SetpointList> ChannelSwitchingPairs(int Chan);
// gPLSData knows the channel, and it holds no switching pair.
bool ChannelClear(int Chan);
// gPLSData knows the channel, and it holds every switching pair of `pairs`.
bool ChannelHolds(int Chan, const SetpointList& pairs);
// A change may have altered the channel and it could not be read whole: nothing of it is shown as
// the board's until a whole read.
void MarkChannelUnknown(int Chan);
bool ChannelUnknown(int Chan);
// A change the board confirmed left the channel holding `pairs` (none: a clear), but it could not be
// read back: the channel is kept as the change left it.
void SetConfirmedChannel(int Chan, SetpointList pairs);

// What writing a channel's whole list came to.
enum class ChannelWrite {
    Held,       // the board holds the pairs asked for and no other (read back, or every step confirmed)
    NotHeld,    // a whole read shows the board lacks a pair asked for or holds another
    Unread,     // the channel could not be read whole and not every step was confirmed: it is unknown
    CommFailed, // the link failed (CommError is set)
};
// Replaces whatever channel Chan holds by the switching pairs of `wanted`, as an adjust and the
// channel download do. The channel is cleared first (with the first pair, when `clearWithFirstPair`);
// pairs are written only onto a channel known to be clear: a clear not confirmed is read back, and
// sent once more when the channel does not read clear. Every pair is written whatever becomes of
// another. The channel is then read back (always with `alwaysReadBack`, else only when a step was
// not confirmed), each pair it lacks is written once more, whatever kept it off, and it is read again.
// `programming`, when given, runs before pair i of `wanted` is first sent.
ChannelWrite WriteChannelPairs(int Chan, const SetpointList& wanted, bool clearWithFirstPair, bool alwaysReadBack,
                               QLabel* Status, const std::function<void(std::size_t)>& programming = {});

// --- file texts, as an upload builds them (multi: the MultiChannelPLS layout)
QString BuildPCFLine(const PLSFileData& data, bool multi);
// Lines 1 and 2 of the CHL text: scale and offset, each followed by CR LF.
QString CHLHeadLines(const PLSFileData& data, bool multi);
// Channel c's ":" header line with CR LF, its tail carried over from ChannelHeaders.
QString CHLChannelHeader(const PLSFileData& data, int c, bool multi);
// One "|" line with CR LF for each pair of the list whose ON and OFF differ.
QString CHLSetpointLines(const SetpointList& pairs, bool multi);

// Writes PCFLine and CHLText of gPLSData, each with a line end, as the PCF and CHL files of the
// program whose Corvane file is FileName. Both are written in full beside the old ones first, so a
// failed write leaves both old files; they then replace the old ones one by one, PCF first, and a
// failed rename of the CHL is not undone (the new PCF stays beside the old CHL).
bool WritePLSFiles(const QString& FileName, QString* error);

// --- the transfers, each run inside the wait display (modes 6, 7 and 8). The controls are the wait
// display's; any of them may be missing.
struct PLSTransferDisplay {
    QLabel* lblWaitDisplay = nullptr;
    QLabel* lblSetpointRecall = nullptr;
    QProgressBar* pbrWaitDisplay = nullptr;
};
void UploadPLSConfiguration(const PLSTransferDisplay& display);
void DownloadPLSConfiguration(const PLSTransferDisplay& display);
void ClearPLSChannels(const PLSTransferDisplay& display);
// True when gPLSData holds the texts of an upload that read the board to its end (after
// ReadPLSFileData, and from the start of an upload until it has read every channel, it does not).
bool PLSUploadFinished();
// Hands modes 6, 7 and 8 to the wait display.
void registerPLSTransfers();
