#include "LineRecordingDevice.h"
#include "platform/PrintSurface.h"
#include "trending/modGraph.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

constexpr double kTwips = 1440.0;

struct Drawn {
    QStringList valueLabels;  // left of the axis, bottom to top
    QStringList sampleLabels; // under the axis, left to right
    std::vector<RecordingSurface::Line> plot;
    GraphGeometry geometry;
};

// The frame and one plot on a recorded page, split into what the tests look at.
Drawn drawOnPage(const std::vector<qint64>& values)
{
    RecordingSurface page;
    PrintGraphSurface surface(page);
    DrawGraphFrame(&surface);
    const std::size_t frameTexts = page.texts.size();
    const std::size_t frameLines = page.lines.size();
    PlotGraphData(values, GraphColor::Blue);
    forgetGraphSurface(&surface);

    Drawn d;
    // The frame's geometry, recomputed from its lines: the bottom axis is the first line.
    const auto& axis = page.lines.at(0);
    d.geometry.XOrigin = axis.x1 * kTwips;
    d.geometry.YBottom = axis.y1 * kTwips;
    d.geometry.PlotWidth = (axis.x2 - axis.x1) * kTwips;
    d.geometry.PlotHeight = d.geometry.YBottom - 600;
    for (std::size_t i = frameTexts; i < page.texts.size(); ++i) {
        const auto& t = page.texts[i];
        (t.y * kTwips < d.geometry.YBottom ? d.valueLabels : d.sampleLabels) << t.text;
    }
    d.plot.assign(page.lines.begin() + static_cast<std::ptrdiff_t>(frameLines), page.lines.end());
    return d;
}

std::vector<qint64> valuesOf(const QStringList& texts, int count)
{
    std::vector<QString> v(texts.begin(), texts.end());
    return graphValues(v, count);
}

TEST(TrendGraph, FrameIsLaidOutFromThePageAndClosedByADottedGrid)
{
    RecordingSurface page;
    PrintGraphSurface surface(page);
    DrawGraphFrame(&surface);
    forgetGraphSurface(&surface);
    ASSERT_EQ(page.texts.size(), 2u);
    EXPECT_EQ(page.texts[0].text, "Trending Data");
    EXPECT_EQ(page.texts[1].text, "Samples");
    EXPECT_EQ(page.texts[0].font, "MS Sans Serif");
    // 3 solid black axes, 9 grey dotted verticals, 5 grey dotted horizontals (the last the top edge).
    ASSERT_EQ(page.lines.size(), 17u);
    int dotted = 0;
    for (const auto& l : page.lines)
        dotted += l.dotted && l.color == GraphColor::Grey;
    EXPECT_EQ(dotted, 14);
    const double lineHeight = 7.8 * 1.2 / 72 * kTwips;
    EXPECT_NEAR(page.lines[0].y1 * kTwips, 10 * kTwips - 300 + lineHeight - 600, 1e-6);
    EXPECT_NEAR(page.lines[0].x2 * kTwips, 7.5 * kTwips - 300, 1e-6);
    EXPECT_NEAR(page.lines.back().y1 * kTwips, 600, 1.0);
}

TEST(TrendGraph, OnPaperTheAxesAreSolidBlackAndTheGridDottedAsOnTheScreen)
{
    LineRecordingDevice paper;
    PainterSurface printer(&paper);
    PrintGraphSurface surface(printer);
    DrawGraphFrame(&surface);
    forgetGraphSurface(&surface);
    printer.endDoc();
    ASSERT_EQ(paper.lines.size(), 17u);
    // A screen pixel is 1/96 inch: the screen's lines are one pixel wide, its dots one pixel long
    // with two pixels between them.
    const double pixel = 1.0 / 96;
    for (std::size_t i = 0; i < paper.lines.size(); ++i) {
        const auto& l = paper.lines[i];
        const bool grid = i >= 3;
        EXPECT_EQ(l.pen.color(), grid ? GraphColor::Grey : GraphColor::Black) << i;
        EXPECT_EQ(l.pen.style(), grid ? Qt::DotLine : Qt::SolidLine) << i;
        EXPECT_NEAR(l.widthInches(), pixel, 1e-9) << i;
        if (grid) {
            EXPECT_EQ(l.pen.capStyle(), Qt::FlatCap) << i << ": square ends make dashes of the dots";
            EXPECT_NEAR(l.dashInches(0), pixel, 1e-9) << i;
            EXPECT_NEAR(l.dashInches(1), 2 * pixel, 1e-9) << i;
        }
    }
}

TEST(TrendGraph, LabelsAndScaleFollowTheSamples)
{
    struct Case {
        const char* name;
        QStringList texts;
        int count;
        QStringList valueLabels;
        QStringList sampleLabels;
    };
    const QStringList elevenZeroes{"", "", "", "", "", "", "", "", "", "", ""};
    const QStringList tenths{"0", " 1 ", " 2 ", " 3 ", " 4 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", " 10 "};
    const Case cases[] = {
        {"all equal: range 10", {"7", "7", "7", "7", "7", "7", "7", "7", "7", "7", "7"}, 255,
         {" 7 ", " 9 ", " 11 ", " 13 ", " 15 ", " 17 "}, tenths},
        {"12-row grid, 3 samples", QStringList{"3", "2", "1"} + elevenZeroes.mid(0, 8), 255,
         {" 0 ", " 2 ", " 4 ", " 6 ", " 8 ", " 10 "}, tenths},
        {"one 500 among zeroes", QStringList{"0", "0", "500"} + elevenZeroes.mid(0, 8), 255,
         {" 0 ", " 100 ", " 200 ", " 300 ", " 400 ", " 500 "}, tenths},
        {"negative and fractional", QStringList{"-20.6", "-1", "abc"} + elevenZeroes.mid(0, 8), 255,
         {"-21 ", "-17 ", "-13 ", "-8 ", "-4 ", " 0 "}, tenths},
        {"count bounded to 10", QStringList(30, "1"), 5, {" 1 ", " 3 ", " 5 ", " 7 ", " 9 ", " 11 "}, tenths},
        {"20 samples", QStringList(21, "1"), 20, {" 1 ", " 3 ", " 5 ", " 7 ", " 9 ", " 11 "},
         {"0", " 2 ", " 4 ", " 6 ", " 8 ", " 10 ", " 12 ", " 14 ", " 16 ", " 18 ", " 20 "}},
    };
    for (const Case& c : cases) {
        const Drawn d = drawOnPage(valuesOf(c.texts, c.count));
        EXPECT_EQ(d.valueLabels, c.valueLabels) << c.name;
        EXPECT_EQ(d.sampleLabels, c.sampleLabels) << c.name;
    }
}

TEST(TrendGraph, LineRunsFromNewestAtTheAxisWithTheMinimumAtTheBottom)
{
    // Equal samples lie on the bottom axis.
    Drawn flat = drawOnPage(std::vector<qint64>(11, 0));
    ASSERT_EQ(flat.plot.size(), 10u);
    for (const auto& l : flat.plot) {
        EXPECT_NEAR(l.y1 * kTwips, std::round(flat.geometry.YBottom), 1e-6);
        EXPECT_NEAR(l.y2 * kTwips, std::round(flat.geometry.YBottom), 1e-6);
        EXPECT_EQ(l.color, GraphColor::Blue);
    }
    // A single 500 rises to the top edge at its sample.
    Drawn peak = drawOnPage({0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_NEAR(peak.plot[0].x1 * kTwips, 900, 1e-6);
    EXPECT_NEAR(peak.plot[1].y2 * kTwips, std::round(peak.geometry.YBottom - peak.geometry.PlotHeight), 1e-6);
    EXPECT_NEAR(peak.plot[9].x2 * kTwips, std::round(900 + peak.geometry.PlotWidth), 1e-6);
}

TEST(TrendGraph, ExtremeValuesStayInsideThePlot)
{
    // Beyond the 32-bit range (only a file can hold that) and across it: no overflow, no line
    // outside the plot area, the out-of-range value held at the edge.
    const auto values = valuesOf({"99999999999", "-2147483648", "2147483647", "5", ""}, 10);
    EXPECT_EQ(values[0], 2147483647);
    const Drawn d = drawOnPage(values);
    ASSERT_EQ(d.plot.size(), 4u);
    for (const auto& l : d.plot)
        for (double y : {l.y1 * kTwips, l.y2 * kTwips}) {
            EXPECT_GE(y, 600 - 1);
            EXPECT_LE(y, d.geometry.YBottom + 1);
        }
    EXPECT_NEAR(d.plot[0].y1 * kTwips, 600, 1.0);
    // One sample alone: labels, no line, no division by zero.
    EXPECT_TRUE(drawOnPage({42}).plot.empty());
}

} // namespace
