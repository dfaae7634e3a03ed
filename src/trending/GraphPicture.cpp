#include "trending/GraphPicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// Twips on the screen: 1440 to the inch at the widget's logical resolution.
class WidgetPainter : public GraphPainter {
public:
    WidgetPainter(QPainter& painter, const QWidget& widget, bool visible)
        : m_painter(painter), m_twipsPerPixel(1440.0 / std::max(1, widget.logicalDpiX())),
          m_width(widget.width()), m_height(widget.height()), m_visible(visible)
    {
        setFontStyle(false, false);
    }
    double innerWidth() const override { return m_width * m_twipsPerPixel; }
    double innerHeight() const override { return m_height * m_twipsPerPixel; }
    void setFontStyle(bool bold, bool underline) override
    {
        QFont font(kGraphFont);
        font.setPointSizeF(kGraphFontSize);
        font.setBold(bold);
        font.setUnderline(underline);
        m_painter.setFont(font);
    }
    double textWidth(const QString& text) override
    {
        return m_painter.fontMetrics().horizontalAdvance(text) * m_twipsPerPixel;
    }
    double textHeight(const QString&) override { return m_painter.fontMetrics().height() * m_twipsPerPixel; }
    void drawText(double x, double y, const QString& text) override
    {
        if (!m_visible)
            return;
        m_painter.setPen(Qt::black);
        m_painter.drawText(QPointF(px(x), px(y) + m_painter.fontMetrics().ascent()), text);
    }
    void drawLine(double x1, double y1, double x2, double y2, const QColor& color, bool dotted) override
    {
        if (!m_visible)
            return;
        QPen pen(color);
        pen.setStyle(dotted ? Qt::DotLine : Qt::SolidLine);
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(px(x1), px(y1)), QPointF(px(x2), px(y2)));
    }

private:
    double px(double twips) const { return twips / m_twipsPerPixel; }
    QPainter& m_painter;
    double m_twipsPerPixel;
    int m_width;
    int m_height;
    bool m_visible;
};

} // namespace

GraphPicture::GraphPicture(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

GraphPicture::~GraphPicture() { forgetGraphSurface(this); }

void GraphPicture::drawFrame()
{
    m_frame = true;
    m_plotted = false;
    m_values.clear();
    update();
}

void GraphPicture::plot(const std::vector<qint64>& values, const QColor& color)
{
    m_plotted = true;
    m_values = values;
    m_color = color;
    update();
}

void GraphPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The frame fixes the plot area; it is laid out even when it is not shown.
    WidgetPainter framePainter(painter, *this, m_frame);
    const GraphGeometry geometry = paintGraphFrame(framePainter);
    if (m_plotted) {
        WidgetPainter plotPainter(painter, *this, true);
        paintGraphPlot(plotPainter, geometry, m_values, m_color);
    }
}

void GraphPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit rightClicked(event->globalPosition().toPoint());
    QWidget::mouseReleaseEvent(event);
}
