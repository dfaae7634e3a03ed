#pragma once
#include <QColor>
#include <QString>
#include <QtGlobal>
#include <vector>

class PrintSurface;

// The trend graph: a frame (title, axis label, axes, dotted grid) and on top of it the samples as a
// polyline with value and sample-number labels. All lengths are twips, as the old picture and
// printer used; the frame leaves fixed margins (900 left, 600 top, 300 right) so that the labels fit.
//
// The drawing is done by two routines on a GraphPainter (the screen widget and the printer each
// supply one). The screen widget keeps only the values and repaints from them, so a resize or an
// expose never loses what was drawn.

// Colours of the old 16-colour palette used by the graph.
namespace GraphColor {
inline const QColor Black(0, 0, 0);        // 0: frame and labels; the printed line
inline const QColor Grey(128, 128, 128);   // 8: the dotted grid
inline const QColor Blue(0, 0, 255);       // 9: the on-screen line
} // namespace GraphColor

// What the two drawing routines need of a surface. Coordinates are twips from the top left of the
// drawable area; text is placed by its top left corner. The font is always "MS Sans Serif" 7.8.
class GraphPainter {
public:
    virtual ~GraphPainter() = default;
    virtual double innerWidth() const = 0;
    virtual double innerHeight() const = 0;
    virtual void setFontStyle(bool bold, bool underline) = 0;
    virtual double textWidth(const QString& text) = 0;
    virtual double textHeight(const QString& text) = 0;
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, const QColor& color, bool dotted) = 0;
};

inline const QString kGraphFont = QStringLiteral("MS Sans Serif");
inline constexpr double kGraphFontSize = 7.8;

// Where the plot area lies, fixed by the frame.
struct GraphGeometry {
    double XOrigin = 900;
    double YBottom = 0;
    double PlotWidth = 0;
    double PlotHeight = 0;
};

// The frame; returns the plot area it drew.
GraphGeometry paintGraphFrame(GraphPainter& p);
// The labels and the polyline inside `g`. Index 0 of `values` is the newest sample, drawn at the
// left axis; the minimum lies on the bottom axis and the maximum on the top edge.
void paintGraphPlot(GraphPainter& p, const GraphGeometry& g, const std::vector<qint64>& values, const QColor& color);

// A surface the graph module draws on: the trending window's picture or a printed page.
class GraphSurface {
public:
    virtual ~GraphSurface() = default;
    // Clears everything and draws the frame, which then stays while plots come and go.
    virtual void drawFrame() = 0;
    // Replaces the previous plot (labels and line) by this one.
    virtual void plot(const std::vector<qint64>& values, const QColor& color) = 0;
};

// The module's surface: the one last given to DrawGraphFrame (nullptr before). A surface that goes
// away resets it through forgetGraphSurface.
inline GraphSurface* GraphObject = nullptr;
void DrawGraphFrame(GraphSurface* surface);
void PlotGraphData(const std::vector<qint64>& SampleValues, const QColor& PlotColor);
void forgetGraphSurface(GraphSurface* surface);

// The graph on a printed page: draws at once through the page's own calls.
class PrintGraphSurface : public GraphSurface {
public:
    explicit PrintGraphSurface(PrintSurface& page) : m_page(page) {}
    void drawFrame() override;
    void plot(const std::vector<qint64>& values, const QColor& color) override;

private:
    PrintSurface& m_page;
    GraphGeometry m_geometry;
};

// The values the graph takes from the sample column (newest first): `sampleCount` bounded to 10..255,
// plus one, and no more than the rows there are. Each text gives its leading number rounded to a
// whole number (empty or not a number: 0); a number beyond the 32-bit range is held at its bound,
// so it is drawn at the edge of the plot rather than breaking the scale.
std::vector<qint64> graphValues(const std::vector<QString>& sampleTexts, int sampleCount);
