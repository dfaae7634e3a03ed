#include "LineRecordingDevice.h"

#include <QPaintEngine>

namespace {
class LineRecordingEngine : public QPaintEngine {
public:
    explicit LineRecordingEngine(std::vector<LineRecordingDevice::Line>& lines)
        : QPaintEngine(QPaintEngine::AllFeatures), m_lines(lines)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
    }
    void drawLines(const QLineF* lines, int count) override
    {
        // The painter follows underlined text with its underline: the font's, not a line drawn.
        if (m_underlinesDue > 0) {
            --m_underlinesDue;
            return;
        }
        for (int i = 0; i < count; ++i)
            m_lines.push_back({lines[i], m_pen});
    }
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF&, const QTextItem& text) override { m_underlinesDue += text.font().underline(); }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

private:
    std::vector<LineRecordingDevice::Line>& m_lines;
    QPen m_pen = Qt::NoPen;
    int m_underlinesDue = 0;
};
} // namespace

LineRecordingDevice::LineRecordingDevice() : m_engine(std::make_unique<LineRecordingEngine>(lines)) {}

LineRecordingDevice::~LineRecordingDevice() = default;

QPaintEngine* LineRecordingDevice::paintEngine() const { return m_engine.get(); }

int LineRecordingDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return 8 * kDpi;
    case PdmHeight:
        return 21 * kDpi / 2;
    case PdmWidthMM:
        return 8 * 254 / 10;
    case PdmHeightMM:
        return 105 * 254 / 100;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kDpi;
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return 0;
    }
}
