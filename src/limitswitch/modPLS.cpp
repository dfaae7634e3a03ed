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
    int endMarker = gPLSData.Scale; // no position equals the scale
    SetpointList list{SetpointPair{}};
    SetpointPair pair;
    bool onSeen = false;
    bool last = false;
    for (int k = 0; k < kPLSMaxPairs && !last;) {
        for (int j = 0; j < 2 && !last; ++j) {
            // The outcome is taken before the box: the status poll runs while it is up.
            const RSComm::Outcome outcome = comm.RecallChannel(Chan).outcome;
            if (outcome != RSComm::Outcome::Done) {
                if (outcome == RSComm::Outcome::CommFailed)
                    return false;
                msgBox(QStringLiteral("Unable to Recall Channel CH") + channelName, Buttons::Ok, Icon::Information,
                       QStringLiteral("Channel Recall"));
                // A reply lost on the line may have moved the board on to its next point: the points
                // read so far may not be the channel's first, so the channel keeps what it held.
                if (outcome == RSComm::Outcome::Lost)
                    return false;
                pair = SetpointPair{};
                last = true;
                break;
            }
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
            } else {
                pair = SetpointPair{};
                last = true;
            }
        }
        if (pair.on == endMarker)
            break;
        // A recall that fails after pairs were read keeps them; only a channel that gave none ends
        // as the single pair (0, 0).
        if (last && k > 0)
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
    return true;
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

std::optional<SetpointList> ChannelSwitchingPairs(int Chan)
{
    if (Chan < 0 || Chan >= kPLSMaxChannels || !gPLSData.ChannelSetpoints[static_cast<std::size_t>(Chan)])
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

bool ConfirmChannelPairs(int Chan, const SetpointList& unconfirmed, QLabel* Status)
{
    if (!gRSComm)
        return false;
    bool readBack = RecallChannelSetpoints(Chan, Status);
    if (!readBack)
        return false;
    bool writtenAgain = false;
    for (const SetpointPair& p : unconfirmed) {
        if (ChannelHolds(Chan, {p}))
            continue;
        gRSComm->SingleSetpoint(Chan, p.on, p.off, false);
        if (gRSComm->CommError)
            return false;
        writtenAgain = true;
    }
    return !writtenAgain || RecallChannelSetpoints(Chan, Status);
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
