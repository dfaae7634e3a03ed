#pragma once
// The rules of the timing window that need no widget: what an entry field accepts, the limits that
// the channel count and the scale set on each other, the octal channel entry, the overlap of
// setpoint pairs across position 0, and the board list. The window applies them; tests call them.
#include <QString>
#include <array>
#include <optional>

namespace timing {

// The value of an entry field's text when it is a number: apart from blanks, an optional sign,
// digits and at most one decimal point, with at least one digit. Exponents, "&H" forms and
// commas are not numbers here (the old check let them through and stored a value the user never
// saw).
std::optional<double> numericValue(const QString& text);
// A number rounded to a whole one, halves to the even neighbour (12.5 → 12, 13.5 → 14),
// bounded to the Integer range of the fields.
int roundHalfEven(double value);
// The whole-number value of a text as the entries read it: the leading number, rounded; 0 when
// there is none.
int integerValue(const QString& text);
// The entry check: a number within min..max (the up-down's bounds).
bool entryValid(const QString& text, int min, int max);

// --- channel count and scale (the multi-channel board)
inline constexpr std::array<int, 4> kChannelCounts{8, 16, 32, 64};
// Index 0..3 of a channel count; -1 when the count is none of them.
int channelOption(int channels);
// Highest scale factor a channel count allows.
int scaleMaxForChannels(int channels);
// Highest channel entry (octal digits) for a channel count: 7, 17, 37, 77.
int channelEntryMax(int channels);
// Highest "PLS Program" for a channel count at a scale.
int programMax(int channels, int scale);

// What a new scale does to the four channel-count options.
struct ChannelOptionLimits {
    std::array<bool, 4> enabled{};
    // The option to select, or -1 to keep the selection.
    int select = -1;
};
// `selected` is the option chosen now (-1 for none).
ChannelOptionLimits channelOptionsForScale(int scale, int selected);

// --- channels
// The channel entry steps in octal: a value ending in 8 is raised by 2 (7 + 1 → 10), one ending
// in 9 lowered by 2 (10 - 1 → 7).
int octalStep(int value);
// True when the new pair (on, off) has an endpoint inside the existing pair's window; a window
// with ON above OFF runs across position 0 to the scale's end. A pair with ON = OFF is no window.
bool CheckSetpointOverlap(int ExistingOn, int ExistingOff, int on, int off, int scale);

// --- board list
inline constexpr int kBoardListCount = 6;
// "K7747", "V8325(PLS)", ... in list order.
QString boardListItem(int index);
// Board type code of a list row; -1 for no row.
int boardCodeOfRow(int index);
// List row of a board type code; codes not in the list open as the multi-channel board's row.
int boardRowOfCode(int code);
inline constexpr int kMultiChannelRow = 5;
inline constexpr int kMultiChannelCode = 69;
inline constexpr int kThirtyTwoChannelBrakeWearCode = 64;

} // namespace timing
