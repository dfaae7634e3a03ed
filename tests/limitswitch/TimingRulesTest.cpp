#include "limitswitch/TimingRules.h"

#include <gtest/gtest.h>

using namespace timing;

TEST(TimingRulesTest, AFieldIsNumericOnlyAsSignDigitsAndOnePoint)
{
    struct Case {
        const char* text;
        bool valid; // within 0..255
        int stored;
    };
    const Case cases[] = {
        {"12.6", true, 13}, {"12.5", true, 12}, {"13.5", true, 14}, {" 1 2 ", true, 12}, {"+7", true, 7},
        {".5", true, 0},    {"255", true, 255}, {"254.6", true, 255}, {"255.4", false, 0},
        {"1e3", false, 0},  {"&H10", false, 0}, {"1,5", false, 0},  {"", false, 0},    {"-", false, 0},
        {"1.2.3", false, 0}, {"abc", false, 0}, {"256", false, 0},  {"-1", false, 0},  {"255.6", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(entryValid(text, 0, 255), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(roundHalfEven(*numericValue(text)), c.stored) << c.text;
        }
    }
    // More digits than a double holds: a huge number, never 0.
    const QString huge(400, QLatin1Char('9'));
    for (const QString& text : {huge, QStringLiteral("-") + huge, QStringLiteral(" +") + huge})
        EXPECT_FALSE(entryValid(text, 0, 255)) << text.size();
    EXPECT_EQ(roundHalfEven(1e300), std::numeric_limits<int>::max());
}

TEST(TimingRulesTest, ChannelCountAndScaleLimitEachOther)
{
    // Scale maximum, channel entry maximum and the PLS Program maximum by count and scale.
    struct Count {
        int channels, scaleMax, entryMax;
        std::array<int, 4> program; // scale 300, 700, 1500, 3000
    };
    const Count counts[] = {{8, 4096, 7, {7, 3, 1, 0}},
                            {16, 2047, 17, {3, 1, 0, 0}},
                            {32, 1023, 37, {1, 0, 0, 0}},
                            {64, 511, 77, {0, 0, 0, 0}}};
    const int scales[] = {300, 700, 1500, 3000};
    for (const Count& c : counts) {
        EXPECT_EQ(scaleMaxForChannels(c.channels), c.scaleMax);
        EXPECT_EQ(channelEntryMax(c.channels), c.entryMax);
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(programMax(c.channels, scales[s]), c.program[s]) << c.channels << " " << scales[s];
    }
    EXPECT_EQ(channelOption(4), -1);

    // What a scale enables, and which option it moves the choice to.
    struct Scale {
        int scale, selected;
        std::array<bool, 4> enabled;
        int select;
    };
    const Scale cases[] = {{3000, 0, {true, false, false, false}, 0}, {1500, 0, {true, true, false, false}, -1},
                           {1500, 2, {true, true, false, false}, 1},  {700, 2, {true, true, true, false}, -1},
                           {700, 3, {true, true, true, false}, 2},    {300, 0, {true, true, true, true}, -1}};
    for (const Scale& c : cases) {
        const ChannelOptionLimits r = channelOptionsForScale(c.scale, c.selected);
        EXPECT_EQ(r.enabled, c.enabled) << c.scale;
        EXPECT_EQ(r.select, c.select) << c.scale;
    }
}

TEST(TimingRulesTest, ChannelEntryStepsInOctal)
{
    const std::pair<int, int> cases[] = {{8, 10}, {9, 7}, {18, 20}, {19, 17}, {39, 37}, {7, 7}, {10, 10}, {0, 0}};
    for (auto [typed, shown] : cases)
        EXPECT_EQ(octalStep(typed), shown) << typed;
}

TEST(TimingRulesTest, OverlapTestsOnlyTheNewEndpointsAndWrapsAcrossZero)
{
    struct Case {
        int exOn, exOff, on, off;
        bool overlap;
    };
    const Case cases[] = {
        {300, 100, 350, 355, true},  // ON inside the part before the scale's end
        {300, 100, 50, 60, true},    // ON inside the part after 0
        {300, 100, 150, 250, false}, // between the two parts
        {300, 100, 359, 0, true},
        {100, 200, 50, 250, false},  // encloses the existing pair
        {100, 200, 150, 250, true},  {100, 200, 50, 100, true}, {100, 200, 201, 99, false},
        {0, 0, 0, 10, false},        // no setpoint
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSetpointOverlap(c.exOn, c.exOff, c.on, c.off, 360), c.overlap)
            << c.exOn << "," << c.exOff << " vs " << c.on << "," << c.off;
}

TEST(TimingRulesTest, BoardListMapsRowsAndCodes)
{
    const int codes[] = {55, 62, 67, 63, 64, 69};
    const char* items[] = {"K7747", "V8325(PLS)", "V8326(PLS)", "V8342", "V8343", "V8390(PLS)"};
    for (int row = 0; row < kBoardListCount; ++row) {
        EXPECT_EQ(boardCodeOfRow(row), codes[row]);
        EXPECT_EQ(boardRowOfCode(codes[row]), row);
        EXPECT_EQ(boardListItem(row), QString::fromLatin1(items[row]));
    }
    EXPECT_EQ(boardRowOfCode(68), kMultiChannelRow);
    EXPECT_EQ(boardCodeOfRow(-1), -1);
}
