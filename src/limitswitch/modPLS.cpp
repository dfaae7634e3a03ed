// The limit-switch record: reading the PCF and CHL files, packing the configuration for the board,
// recalling a channel's setpoints, and the file texts an upload writes.
#include "limitswitch/modPLS.h"

#include "comm/RSComm.h"
#include "platform/Convert.h"
#include "platform/FileLookup.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/modUtility.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>
#include <limits>

namespace {
// A fault found while reading the files: reported like a trapped run-time error.
struct ReadFailure {
    int number;
    QString description;
};

// The integer value of a text as the old Val read it, in a 16-bit field.
int fieldValue(const QString& text)
{
    const qint64 v = valInt(text);
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        throw ReadFailure{6, QStringLiteral("Overflow")};
    return static_cast<int>(v);
}

// Characters `from` (1-based) to `from + width - 1` of `text`, as many as there are.
QString columns(const QString& text, int from, int width = -1) { return text.mid(from - 1, width); }

int digitsOf(bool multi) { return multi ? 4 : 3; }

// A value in `width` decimal digits, zero-padded; clamped so that it never widens its column.
QString column(int value, int width)
{
    int largest = 1;
    for (int i = 0; i < width; ++i)
        largest *= 10;
    return PadZeros(std::clamp(value, 0, largest - 1), width);
}

void setDefaults(PLSFileData& d, bool multi)
{
    if (multi) {
        d.Channels = 8;
        d.PLSProgram = 0;
        d.SpeedComp.fill(0);
    } else {
        d.Channels = 16;
        d.Flags = 0;
        d.StrobePreset = 1;
        d.StopLocation = d.StopError = d.SignalWidth = d.WindowFrom = d.WindowTo = d.LowSpeed = d.HighSpeed = 0;
    }
    d.Offset = 0;
    d.Scale = 360;
}

ItemReader openFile(const QString& path)
{
    auto reader = ItemReader::open(path);
    if (!reader)
        throw ReadFailure{75, QStringLiteral("Path/File access error") + CRLF + path};
    return std::move(*reader);
}

void readPCF(PLSFileData& d, const QString& path, bool multi)
{
    auto reader = openFile(path);
    d.PCFLine = reader.atEnd() ? QString() : reader.readItem();
    const QString& line = d.PCFLine;
    auto at = [&line](int from, int width) { return fieldValue(columns(line, from, width)); };
    d.Channels = at(1, 2);
    if (multi) {
        d.Scale = at(3, 4);
        d.PLSProgram = at(7, 1);
        for (int i = 0; i < 8; ++i)
            d.SpeedComp[i] = at(8 + 3 * i, 3);
    } else {
        d.Scale = at(3, 3);
        d.Flags = at(6, 1);
        d.StrobePreset = at(7, 3);
        d.StopLocation = at(10, 3);
        d.StopError = at(13, 3);
        d.SignalWidth = at(16, 3);
        d.WindowFrom = at(19, 3);
        d.WindowTo = at(22, 3);
        d.LowSpeed = at(25, 4);
        d.HighSpeed = at(29, 4);
    }
    d.Offset = 0;
}

void readCHL(PLSFileData& d, const QString& path, bool multi)
{
    auto reader = openFile(path);
    QStringList lines;
    while (!reader.atEnd())
        lines << reader.readItem();
    const RSComm& tables = boardTables();
    int channel = -1; // no channel opened yet: a "|" line before the first ":" line belongs to none
    int pair = 0;
    for (qsizetype n = 2; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.isEmpty())
            throw ReadFailure{5, QStringLiteral("Invalid procedure call or argument")};
        if (line[0] == QLatin1Char(':')) {
            channel = tables.Octal2Dec(fieldValue(columns(line, 2, 2)));
            if (channel < 0 || channel >= kPLSMaxChannels)
                throw ReadFailure{9, QStringLiteral("Subscript out of range")};
            d.ChannelHeaders[channel] = line;
            d.ChannelSetpoints[channel] = SetpointList{SetpointPair{}};
            pair = 0;
        } else if (line[0] == QLatin1Char('|') && channel >= 0 && pair < kPLSMaxPairs) {
            // A channel holds no more pairs than a recall can give it.
            const SetpointPair p = multi ? SetpointPair{fieldValue(columns(line, 2, 4)), fieldValue(columns(line, 6, 4))}
                                         : SetpointPair{fieldValue(columns(line, 2, 3)), fieldValue(columns(line, 5))};
            auto& list = *d.ChannelSetpoints[channel];
            if (pair >= static_cast<int>(list.size()))
                list.resize(pair + 1);
            list[pair++] = p;
        }
    }
}
} // namespace

bool isBrakeWearPLS(int code) { return code == 55 || code == 62 || code == 63 || code == 64 || code == 67; }

int plsChannelLimit(int channels) { return std::clamp(channels, 0, kPLSMaxChannels); }

bool ReadPLSFileData(const QString& FileName) { return ReadPLSFileData(FileName, gPLSData); }

bool ReadPLSFileData(const QString& FileName, PLSFileData& into)
{
    int code = GetTargetboardType(FileName);
    QString pcf, chl;
    if (isLimitSwitchBoard(code)) {
        pcf = ChangeFileExt(FileName, QStringLiteral("PCF"));
        chl = ChangeFileExt(FileName, QStringLiteral("CHL"));
    } else if (code == kDefaultBoardType) {
        code = kMultiChannelPLS;
    }
    into = PLSFileData{};
    into.PCFFile = pcf;
    into.CHLFile = chl;
    if (!isLimitSwitchBoard(code))
        return false;
    const bool multi = code == kMultiChannelPLS;
    // The files are found whatever the case of their names; a missing file gives the defaults.
    auto existing = [](const QString& path) {
        const QString found = path.isEmpty() ? QString() : findCaseInsensitive(path);
        return QFileInfo(found).isFile() ? found : QString();
    };
    try {
        if (const QString found = existing(pcf); found.isEmpty())
            setDefaults(into, multi);
        else
            readPCF(into, found, multi);
        if (const QString found = existing(chl); found.isEmpty()) {
            for (int c = 0; c < plsChannelLimit(into.Channels); ++c)
                into.ChannelSetpoints[c] = SetpointList{SetpointPair{}};
        } else {
            readCHL(into, found, multi);
        }
    } catch (const ReadFailure& failure) {
        msgBox(errorText(failure.number, failure.description), Buttons::Ok, Icon::None,
               QStringLiteral("ReadPLSFileData()"));
        return false;
    }
    return true;
}

std::array<int, 24> GetPLSConfigData(int TargetboardType)
{
    const PLSFileData& d = gPLSData;
    std::array<int, 24> block{};
    auto low = [](int v) { return v & 255; };
    auto high = [](int v) { return v / 256; };
    if (TargetboardType == kMultiChannelPLS) {
        block[0] = d.PLSProgram;
        block[1] = d.SpeedComp[0];
        block[2] = d.SpeedComp[1];
        block[3] = d.SpeedComp[2];
        block[4] = d.SpeedComp[3];
        block[6] = d.SpeedComp[4];
        block[7] = d.SpeedComp[5];
        block[8] = d.SpeedComp[6];
        block[9] = d.SpeedComp[7];
    } else {
        block[0] = d.Flags;
        block[1] = d.StrobePreset;
        block[2] = low(d.StopLocation);
        block[3] = high(d.StopLocation);
        block[4] = d.StopError;
        block[5] = d.SignalWidth;
        // The window travels twice, at 6-9 and again at 10-13.
        for (int at : {6, 10}) {
            block[at] = low(d.WindowFrom);
            block[at + 1] = high(d.WindowFrom);
            block[at + 2] = low(d.WindowTo);
            block[at + 3] = high(d.WindowTo);
        }
        block[14] = low(d.LowSpeed);
        block[15] = high(d.LowSpeed);
        block[16] = low(d.HighSpeed);
        block[17] = high(d.HighSpeed);
    }
    block[18] = d.Channels;
    return block;
}

// The board gives a channel's switching points one at a time, in position order and wrapping after
// the last: state 1 turns the output ON, state 0 OFF, anything else is no point (a channel without
// setpoints). Two points make a pass; every pair begins with an ON point, and the first pair's ON
// position, seen again, ends the recall.
bool RecallChannelSetpoints(int Chan, QLabel* Status)
{
    if (!gRSComm || Chan < 0 || Chan >= kPLSMaxChannels)
        return false;
    RSComm& comm = *gRSComm;
    const QString channelName = QString::number(comm.Dec2Octal(Chan));
    // A recall that stops before the channel came round gives only some of its points, which would
    // read as a channel holding fewer pairs, or none: the channel keeps what it held.
    const auto notWhole = [&channelName] {
        msgBox(QStringLiteral("Unable to Recall Channel CH") + channelName, Buttons::Ok, Icon::Information,
               QStringLiteral("Channel Recall"));
        return false;
    };
    int endMarker = gPLSData.Scale; // no position equals the scale
    SetpointList list{SetpointPair{}};
    SetpointPair pair;
    bool onSeen = false;
    bool empty = false;
    int points = 0;
    for (int k = 0; k < kPLSMaxPairs && !empty;) {
        for (int j = 0; j < 2; ++j) {
            // The outcome is taken before the box: the status poll runs while it is up.
            const RSComm::Outcome outcome = comm.RecallChannel(Chan).outcome;
            if (outcome == RSComm::Outcome::CommFailed)
                return false;
            if (outcome != RSComm::Outcome::Done)
                return notWhole();
            ++points;
            const int state = comm.ChannelRecallState();
            const int position = comm.ChannelRecallPos();
            if (state == 1) {
                pair.on = position;
                if (!onSeen) {
                    onSeen = true;
                    j = 0; // the pass counts again from the first ON: one more point
                }
            } else if (state == 0) {
                if (onSeen)
                    pair.off = position;
            } else if (points == 1) {
                // "No setpoints" is the answer for a whole channel only as its first point.
                empty = true;
                break;
            } else {
                return notWhole();
            }
        }
        if (empty || pair.on == endMarker)
            break;
        if (k >= static_cast<int>(list.size()))
            list.resize(k + 1);
        list[k] = pair;
        if (Status) {
            Status->setText(QStringLiteral("Recalling CH") + channelName + QStringLiteral(" Setpoint: ") +
                            QString::number(k));
            QCoreApplication::processEvents();
        }
        if (k == 0)
            endMarker = pair.on;
        ++k;
    }
    // Equal ON positions keep the order the board gave them in.
    std::stable_sort(list.begin(), list.end(), [](const SetpointPair& a, const SetpointPair& b) { return a.on < b.on; });
    gPLSData.ChannelSetpoints[Chan] = list;
    gPLSData.ChannelUnknown[Chan] = false;
    return true;
}

bool ReadBackChannel(int Chan, QLabel* Status)
{
    if (RecallChannelSetpoints(Chan, Status))
        return true;
    return gRSComm && !gRSComm->CommError && RecallChannelSetpoints(Chan, Status);
}

SetpointList SwitchingPairs(SetpointList pairs)
{
    std::erase_if(pairs, [](const SetpointPair& p) { return p.on == p.off; });
    std::sort(pairs.begin(), pairs.end(),
              [](const SetpointPair& a, const SetpointPair& b) { return std::pair(a.on, a.off) < std::pair(b.on, b.off); });
    return pairs;
}

SetpointList PulseTrainPairs(int START_Division, int ON_Division, int OFF_Division, int Scale)
{
    SetpointList pairs;
    const int period = ON_Division + OFF_Division;
    if (period <= 0 || Scale <= 0)
        return pairs;
    for (int p = 0; p < Scale / period; ++p) {
        const int at = (START_Division + p * period) % Scale;
        pairs.push_back({at, (at + ON_Division) % Scale});
    }
    return pairs;
}

namespace {
bool channelInRange(int Chan) { return Chan >= 0 && Chan < kPLSMaxChannels; }
} // namespace

std::optional<SetpointList> ChannelSwitchingPairs(int Chan)
{
    if (!channelInRange(Chan) || ChannelUnknown(Chan) || !gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)])
        return std::nullopt;
    return SwitchingPairs(*gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)]);
}

bool ChannelClear(int Chan)
{
    const auto held = ChannelSwitchingPairs(Chan);
    return held && held->empty();
}

bool ChannelHolds(int Chan, const SetpointList& pairs)
{
    const auto held = ChannelSwitchingPairs(Chan);
    return held && std::all_of(pairs.begin(), pairs.end(), [&](const SetpointPair& p) {
               return p.on == p.off || std::find(held->begin(), held->end(), p) != held->end();
           });
}

void MarkChannelUnknown(int Chan)
{
    if (!channelInRange(Chan))
        return;
    gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)] = SetpointList{};
    gPLSData.ChannelUnknown[static_cast<std::size_t>(Chan)] = true;
}

bool ChannelUnknown(int Chan) { return channelInRange(Chan) && gPLSData.ChannelUnknown[static_cast<std::size_t>(Chan)]; }

void SetConfirmedChannel(int Chan, SetpointList pairs)
{
    if (!channelInRange(Chan))
        return;
    // Kept as a read-back would give it: sorted by ON, (0, 0) for a channel without setpoints.
    std::erase_if(pairs, [](const SetpointPair& p) { return p.on == p.off; });
    std::stable_sort(pairs.begin(), pairs.end(), [](const SetpointPair& a, const SetpointPair& b) { return a.on < b.on; });
    if (pairs.empty())
        pairs.push_back({});
    gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)] = std::move(pairs);
    gPLSData.ChannelUnknown[static_cast<std::size_t>(Chan)] = false;
}

namespace {
// Writes one pair onto a channel known to be clear; nothing is returned when the link failed.
std::optional<RSComm::Outcome> writePair(RSComm& comm, int Chan, const SetpointPair& p)
{
    comm.SingleSetpoint(Chan, p.on, p.off, false);
    if (comm.CommError)
        return std::nullopt;
    return comm.LastChange;
}
} // namespace

ChannelWrite WriteChannelPairs(int Chan, const SetpointList& wanted, bool clearWithFirstPair, bool alwaysReadBack,
                               QLabel* Status, const std::function<void(std::size_t)>& programming)
{
    if (!gRSComm || !channelInRange(Chan))
        return ChannelWrite::CommFailed;
    RSComm& comm = *gRSComm;
    using Outcome = RSComm::Outcome;
    SetpointList pairs = wanted;
    std::erase_if(pairs, [](const SetpointPair& p) { return p.on == p.off; });
    const SetpointList asked = SwitchingPairs(pairs);
    // The board may hold what gPLSData does not show: set by a clear that may have been carried out,
    // cleared by a whole read.
    bool changed = false;
    bool read = false; // gPLSData holds a read-back of the channel, no longer what was asked
    const auto readBack = [&](QLabel* status) {
        read = true;
        const bool whole = ReadBackChannel(Chan, status);
        changed = changed && !whole;
        return whole;
    };
    // What a clear came to: the channel is known clear (its clear confirmed, or read back clear).
    const auto knownClear = [&](Outcome outcome) -> std::optional<bool> {
        changed = changed || outcome != Outcome::Refused;
        if (outcome == Outcome::Done)
            return true;
        if (outcome != Outcome::Lost)
            return false;
        const bool whole = readBack(nullptr);
        if (comm.CommError)
            return std::nullopt;
        return whole && ChannelClear(Chan);
    };

    const auto sending = [&programming](std::size_t i) {
        if (programming)
            programming(i);
    };
    // What became of each pair; a pair cut off before the clear was known has not been sent.
    std::vector<Outcome> outcomes(pairs.size(), Outcome::Refused);
    std::size_t next = 0; // the first pair still to be written
    Outcome clear = Outcome::Refused;
    if (clearWithFirstPair && !pairs.empty()) {
        sending(0);
        comm.SingleSetpoint(Chan, pairs[0].on, pairs[0].off, true);
        if (comm.CommError)
            return ChannelWrite::CommFailed;
        clear = comm.LastClearFirst;
        if (clear == Outcome::Done) {
            next = 1;
            outcomes[0] = comm.LastChange;
        }
    } else {
        comm.ClearPLSChan(Chan);
        if (comm.CommError)
            return ChannelWrite::CommFailed;
        clear = comm.LastChange;
    }
    std::optional<bool> cleared = knownClear(clear);
    if (cleared && !*cleared) {
        // Whatever kept the clear off, it is sent once more before anything is written.
        comm.ClearPLSChan(Chan);
        if (comm.CommError)
            return ChannelWrite::CommFailed;
        cleared = knownClear(comm.LastChange);
    }
    if (!cleared)
        return ChannelWrite::CommFailed;
    if (!*cleared) {
        if (changed)
            MarkChannelUnknown(Chan);
        return ChannelWrite::NotHeld;
    }
    const auto write = [&](std::size_t i) {
        sending(i);
        const std::optional<Outcome> outcome = writePair(comm, Chan, pairs[i]);
        if (outcome)
            outcomes[i] = *outcome;
        return outcome.has_value();
    };
    for (std::size_t i = next; i < pairs.size(); ++i)
        if (!write(i))
            return ChannelWrite::CommFailed;
    const auto allDone = [&outcomes] {
        return std::all_of(outcomes.begin(), outcomes.end(), [](Outcome o) { return o == Outcome::Done; });
    };
    if (!alwaysReadBack && allDone()) {
        // Every step confirmed: the channel holds what was asked, whatever a read of its clear showed.
        if (read)
            SetConfirmedChannel(Chan, pairs);
        return ChannelWrite::Held;
    }

    bool whole = readBack(Status);
    if (comm.CommError)
        return ChannelWrite::CommFailed;
    // The pairs written once more: those a whole read lacks, else only those refused, which the board
    // cannot have taken (a pair whose confirmation was lost may be there already).
    std::vector<std::size_t> again;
    bool others = false; // the board holds a pair not asked for
    if (whole) {
        // Each pair the read shows is on the board; what is left of the read was not asked for.
        SetpointList held = *ChannelSwitchingPairs(Chan);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const auto found = std::find(held.begin(), held.end(), pairs[i]);
            outcomes[i] = found == held.end() ? Outcome::Refused : Outcome::Done;
            if (found == held.end())
                again.push_back(i);
            else
                held.erase(found);
        }
        others = !held.empty();
    } else {
        for (std::size_t i = 0; i < pairs.size(); ++i)
            if (outcomes[i] == Outcome::Refused)
                again.push_back(i);
    }
    for (const std::size_t i : again)
        if (!write(i))
            return ChannelWrite::CommFailed;
    if (!again.empty()) {
        whole = readBack(Status);
        if (comm.CommError)
            return ChannelWrite::CommFailed;
    }
    if (whole)
        return ChannelSwitchingPairs(Chan) == asked ? ChannelWrite::Held : ChannelWrite::NotHeld;
    if (allDone() && !others) {
        SetConfirmedChannel(Chan, pairs);
        return ChannelWrite::Held;
    }
    MarkChannelUnknown(Chan);
    return ChannelWrite::Unread;
}

QString BuildPCFLine(const PLSFileData& d, bool multi)
{
    QString line = column(d.Channels, 2);
    if (multi) {
        line += column(d.Scale, 4) + column(d.PLSProgram, 1);
        for (int v : d.SpeedComp)
            line += column(v, 3);
        line += QString(16, QLatin1Char('0'));
    } else {
        line += column(d.Scale, 3) + column(d.Flags, 1) + column(d.StrobePreset, 3) + column(d.StopLocation, 3) +
                column(d.StopError, 3) + column(d.SignalWidth, 3) + column(d.WindowFrom, 3) + column(d.WindowTo, 3) +
                column(d.LowSpeed, 4) + column(d.HighSpeed, 4);
    }
    return line + QLatin1Char('%');
}

QString CHLHeadLines(const PLSFileData& d, bool multi)
{
    const int w = digitsOf(multi);
    return QLatin1Char(':') + column(d.Scale, w) + CRLF + QLatin1Char(':') + column(d.Offset, w) + CRLF;
}

QString CHLChannelHeader(const PLSFileData& d, int c, bool multi)
{
    const QString fixed = multi ? QStringLiteral("1:000:000:000") : QStringLiteral("1:00:00:00");
    const QString& previous = c >= 0 && c < kPLSMaxChannels ? d.ChannelHeaders[c] : QString();
    const QString tail = previous.mid(multi ? 16 : 13).leftJustified(21, QLatin1Char(' '), true);
    return QLatin1Char(':') + column(boardTables().Dec2Octal(c), 2) + fixed + tail + CRLF;
}

bool WritePLSFiles(const QString& FileName, QString* error)
{
    auto file = [&FileName](const QString& ext, const QString& text) {
        return std::pair(findCaseInsensitive(ChangeFileExt(FileName, ext)), (text + CRLF).toLatin1());
    };
    return writeWholeFiles({file(QStringLiteral("PCF"), gPLSData.PCFLine), file(QStringLiteral("CHL"), gPLSData.CHLText)},
                           error);
}

QString CHLSetpointLines(const SetpointList& pairs, bool multi)
{
    const int w = digitsOf(multi);
    QString text;
    for (const SetpointPair& p : pairs)
        if (p.on != p.off)
            text += QLatin1Char('|') + column(p.on, w) + column(p.off, w) + CRLF;
    return text;
}
