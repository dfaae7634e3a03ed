#pragma once
#include <QLineF>
#include <QPaintDevice>
#include <QPen>
#include <memory>
#include <vector>

// A page of 8 x 10.5 inches at 1200 dots an inch that records every line drawn on it with the pen
// the device was handed for it, as a printer or a PDF sees them. Like a PDF it starts without a
// pen: a line drawn before any pen reached it is recorded with Qt::NoPen. Text and its underlines
// are not recorded.
class LineRecordingDevice : public QPaintDevice {
public:
    static constexpr int kDpi = 1200;
    struct Line {
        QLineF line;
        QPen pen;
        // The pen's width and its dotted pattern's first dot and gap, in inches.
        double widthInches() const { return pen.widthF() / kDpi; }
        double dashInches(int i) const { return pen.dashPattern().value(i) * pen.widthF() / kDpi; }
    };

    LineRecordingDevice();
    ~LineRecordingDevice() override;
    QPaintEngine* paintEngine() const override;

    std::vector<Line> lines;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<QPaintEngine> m_engine;
};
