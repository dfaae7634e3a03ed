#include "trending/modGraph.h"

#include "platform/Convert.h"
#include "platform/PrintSurface.h"
#include "platform/TextItems.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double rounded(double v) { return std::round(v); }

// A number printed on the picture or the page carries a blank before it (the sign's place) and after
// it; where it goes is measured on its digits alone.
QString printedNumber(qint64 value)
{
    return (value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value) + QLatin1Char(' ');
}

} // namespace

GraphGeometry paintGraphFrame(GraphPainter& p)
{
    const double width = p.innerWidth();
    const double height = p.innerHeight();
    const QString title = QStringLiteral("Trending Data");
    const QString axis = QStringLiteral("Samples");

    p.setFontStyle(true, true);
    p.drawText(width / 2 - p.textWidth(title) / 2, 100, title);
    p.setFontStyle(true, false);
    const double axisY = height - 300;
    p.drawText(width / 2 - p.textWidth(axis) / 2, axisY, axis);

    GraphGeometry g;
    g.XOrigin = 900;
    // The bottom axis sits 600 above the line after the axis label.
    g.YBottom = axisY + p.textHeight(axis) - 600;
    const double right = width - 300;
    g.PlotWidth = right - g.XOrigin;
    g.PlotHeight = g.YBottom - 600;

    p.drawLine(g.XOrigin, g.YBottom, right, g.YBottom, GraphColor::Black, false);
    p.drawLine(g.XOrigin, 600, g.XOrigin, g.YBottom, GraphColor::Black, false);
    p.drawLine(right, 600, right, g.YBottom, GraphColor::Black, false);

    // The grid: nine verticals between the axes and five horizontals, the fifth closing the top.
    const double xStep = g.PlotWidth / 10;
    for (int i = 1; i <= 9; ++i) {
        const double x = rounded(g.XOrigin + xStep * i);
        p.drawLine(x, g.YBottom, x, 600, GraphColor::Grey, true);
    }
    const double yStep = g.PlotHeight / 5;
    for (int j = 1; j <= 5; ++j) {
        const double y = rounded(g.YBottom - yStep * j);
        p.drawLine(g.XOrigin, y, g.XOrigin + g.PlotWidth, y, GraphColor::Grey, true);
    }
    return g;
}

void paintGraphPlot(GraphPainter& p, const GraphGeometry& g, const std::vector<qint64>& values, const QColor& color)
{
    if (values.empty())
        return;
    // Everything in floating point: samples anywhere in the 64-bit range never overflow a coordinate.
    double minimum = static_cast<double>(values[0]);
    double maximum = minimum;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const double v = static_cast<double>(values[i]);
        if (v > maximum)
            maximum = v;
        else if (v < minimum)
            minimum = v;
    }
    const auto n = static_cast<qint64>(values.size() - 1);
    double range = maximum - minimum;
    if (range < 10) {
        maximum = minimum + 10;
        range = 10;
    }

    p.setFontStyle(false, false);
    const double labelStep = g.PlotHeight / 5;
    for (int j = 0; j <= 5; ++j) {
        const double label = j == 0 ? minimum : j == 5 ? maximum : rounded(minimum + range / 5 * j);
        const auto value = static_cast<qint64>(label);
        const QString digits = QString::number(value);
        p.drawText(g.XOrigin - 100 - p.textWidth(digits), g.YBottom - labelStep * j - p.textHeight(digits) / 2,
                   printedNumber(value));
    }

    const double labelY = g.YBottom + p.textHeight(QStringLiteral("8")) / 2;
    const double tickStep = g.PlotWidth / 10;
    for (int k = 0; k <= 10; ++k) {
        const double x = g.XOrigin + tickStep * k;
        if (k == 0) {
            const QString zero = QStringLiteral("0");
            p.drawText(x - p.textWidth(zero) / 2, labelY, zero);
            continue;
        }
        const auto value = k == 10 ? n : static_cast<qint64>(rounded(static_cast<double>(n) / 10 * k));
        const QString digits = QString::number(value);
        p.drawText(x - p.textWidth(digits) / 2, labelY, printedNumber(value));
    }

    if (n == 0)
        return;
    const double xScale = g.PlotWidth / static_cast<double>(n);
    const double yScale = g.PlotHeight / range;
    auto yOf = [&](qint64 v) { return rounded(g.YBottom - (static_cast<double>(v) - minimum) * yScale); };
    for (qint64 i = 0; i < n; ++i) {
        p.drawLine(rounded(g.XOrigin + i * xScale), yOf(values[i]), rounded(g.XOrigin + (i + 1) * xScale),
                   yOf(values[i + 1]), color, false);
    }
}

void DrawGraphFrame(GraphSurface* surface)
{
    GraphObject = surface;
    if (surface)
        surface->drawFrame();
}

void PlotGraphData(const std::vector<qint64>& SampleValues, const QColor& PlotColor)
{
    if (GraphObject)
        GraphObject->plot(SampleValues, PlotColor);
}

void forgetGraphSurface(GraphSurface* surface)
{
    if (GraphObject == surface)
        GraphObject = nullptr;
}

// ---------------------------------------------------------------- the printed page

namespace {

class PagePainter : public GraphPainter {
public:
    explicit PagePainter(PrintSurface& page) : m_page(page) { m_page.setScaleMode(PrintSurface::Scale::Twips); }
    double innerWidth() const override { return m_page.scaleWidth(); }
    double innerHeight() const override { return m_page.scaleHeight(); }
    void setFontStyle(bool bold, bool underline) override
    {
        m_page.setFont(kGraphFont, kGraphFontSize, bold, false, underline);
    }
    double textWidth(const QString& text) override { return m_page.textWidth(text); }
    double textHeight(const QString& text) override { return m_page.textHeight(text); }
    void drawText(double x, double y, const QString& text) override
    {
        m_page.setCurrentX(x);
        m_page.setCurrentY(y);
        m_page.print(text, false);
    }
    void drawLine(double x1, double y1, double x2, double y2, const QColor& color, bool dotted) override
    {
        m_page.setForeColor(color);
        m_page.setDotted(dotted);
        m_page.line(x1, y1, x2, y2);
    }

private:
    PrintSurface& m_page;
};

} // namespace

void PrintGraphSurface::drawFrame()
{
    PagePainter painter(m_page);
    m_geometry = paintGraphFrame(painter);
}

void PrintGraphSurface::plot(const std::vector<qint64>& values, const QColor& color)
{
    PagePainter painter(m_page);
    paintGraphPlot(painter, m_geometry, values, color);
}

// ---------------------------------------------------------------- values from the grid

std::vector<qint64> graphValues(const std::vector<QString>& sampleTexts, int sampleCount)
{
    const std::size_t wanted = static_cast<std::size_t>(std::clamp(sampleCount, 10, 255)) + 1;
    const std::size_t count = std::min(wanted, sampleTexts.size());
    std::vector<qint64> values(count);
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    for (std::size_t i = 0; i < count; ++i) {
        const double v = std::round(val(sampleTexts[i]));
        values[i] = std::isnan(v) ? 0 : static_cast<qint64>(std::clamp(v, lo, hi));
    }
    return values;
}
