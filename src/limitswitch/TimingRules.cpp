#include "limitswitch/TimingRules.h"

#include "comm/RSComm.h"
#include "platform/Convert.h"
#include "workspace/modUtility.h"

#include <cmath>
#include <limits>

namespace timing {

std::optional<double> numericValue(const QString& text)
{
    QString compact;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            compact += c;
    int i = 0;
    if (i < compact.size() && (compact[i] == QLatin1Char('+') || compact[i] == QLatin1Char('-')))
        ++i;
    bool digit = false, point = false;
    for (; i < compact.size(); ++i) {
        const QChar c = compact[i];
        if (c.unicode() >= '0' && c.unicode() <= '9')
            digit = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    // Converted here rather than through val(), which reads a number too long for a double as 0:
    // such a text is a huge number and must fail the range check.
    bool ok = false;
    const double value = compact.toDouble(&ok);
    return ok || std::isinf(value) ? value : 0.0;
}

int roundHalfEven(double value)
{
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    if (!(value > lo))
        return std::numeric_limits<int>::min();
    if (!(value < hi))
        return std::numeric_limits<int>::max();
    const double down = std::floor(value);
    const double fraction = value - down;
    double result = down;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0))
        result = down + 1;
    return static_cast<int>(result);
}

int integerValue(const QString& text) { return roundHalfEven(val(text)); }

bool entryValid(const QString& text, int min, int max)
{
    const auto v = numericValue(text);
    return v && *v >= min && *v <= max;
}

int channelOption(int channels)
{
    for (int k = 0; k < 4; ++k)
        if (kChannelCounts[k] == channels)
            return k;
    return -1;
}

int scaleMaxForChannels(int channels)
{
    switch (channels) {
    case 16: return 2047;
    case 32: return 1023;
    case 64: return 511;
    default: return 4096;
    }
}

int channelEntryMax(int channels)
{
    switch (channels) {
    case 16: return 17;
    case 32: return 37;
    case 64: return 77;
    default: return 7;
    }
}

int programMax(int channels, int scale)
{
    // Rows: 8, 16, 32, 64 channels; columns: scale below 512, below 1024, below 2048, above.
    static constexpr int table[4][4] = {{7, 3, 1, 0}, {3, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}};
    const int row = std::max(channelOption(channels), 0);
    const int col = scale < 512 ? 0 : scale < 1024 ? 1 : scale < 2048 ? 2 : 3;
    return table[row][col];
}

ChannelOptionLimits channelOptionsForScale(int scale, int selected)
{
    ChannelOptionLimits r;
    r.enabled = {true, true, true, true};
    if (scale >= 2048) {
        r.enabled = {true, false, false, false};
        r.select = 0;
    } else if (scale >= 1024) {
        r.enabled = {true, true, false, false};
        if (selected == 2 || selected == 3)
            r.select = 1;
    } else if (scale >= 512) {
        r.enabled = {true, true, true, false};
        if (selected == 3)
            r.select = 2;
    }
    return r;
}

int octalStep(int value)
{
    const int last = value % 10;
    if (last == 8)
        return value + 2;
    if (last == 9)
        return value - 2;
    return value;
}

bool CheckSetpointOverlap(int ExistingOn, int ExistingOff, int on, int off, int scale)
{
    auto inside = [&](int p) {
        if (ExistingOn < ExistingOff)
            return ExistingOn <= p && p <= ExistingOff;
        return (ExistingOn <= p && p <= scale - 1) || (0 <= p && p <= ExistingOff);
    };
    if (ExistingOn == ExistingOff)
        return false;
    return inside(on) || inside(off);
}

namespace {
// Codes in the order of the board list; the names come from the board table.
constexpr int kBoardRows[kBoardListCount] = {55, 62, 67, 63, 64, 69};
} // namespace

QString boardListItem(int index)
{
    return index >= 0 && index < kBoardListCount ? boardTables().TargetboardName(kBoardRows[index]) : QString();
}

int boardCodeOfRow(int index) { return index >= 0 && index < kBoardListCount ? kBoardRows[index] : -1; }

int boardRowOfCode(int code)
{
    for (int i = 0; i < kBoardListCount; ++i)
        if (kBoardRows[i] == code)
            return i;
    return kMultiChannelRow;
}

} // namespace timing
