#pragma once
#include "trending/modGraph.h"

#include <QWidget>

// The trending window's graph picture. It keeps what was drawn as data (whether the frame is up, and
// the last plot's values and colour) and paints both from that data at its current size, so a resize
// or an expose redraws the same graph instead of losing it.
class GraphPicture : public QWidget, public GraphSurface {
    Q_OBJECT
public:
    explicit GraphPicture(QWidget* parent = nullptr);
    ~GraphPicture() override;

    void drawFrame() override;
    void plot(const std::vector<qint64>& values, const QColor& color) override;

    bool frameDrawn() const { return m_frame; }
    const std::vector<qint64>& plottedValues() const { return m_values; }

signals:
    // A right-button release on the picture, at this screen position.
    void rightClicked(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_frame = false;
    bool m_plotted = false;
    std::vector<qint64> m_values;
    QColor m_color = GraphColor::Blue;
};
