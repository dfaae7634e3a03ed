#pragma once
#include <QColor>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QBuffer;
class QPaintDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

// The old printer object: a page with a current position, measured in inches or twips, on which
// text is printed line by line and lines are drawn. Positions are relative to the printable area.
// Backends supply the drawing; the position rules (a printed line moves to the left edge of the
// next line) live here so that every backend behaves alike.
class PrintSurface {
public:
    enum class Scale { Twips, Inches };
    enum class Orientation { Portrait, Landscape };

    virtual ~PrintSurface() = default;

    void setScaleMode(Scale s) { m_scale = s; }
    Scale scaleMode() const { return m_scale; }

    void setFont(const QString& name, double pointSize, bool bold = false, bool italic = false,
                 bool underline = false);
    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    bool fontBold() const { return m_bold; }

    // Colour and style of the lines drawn from now on (text stays black).
    void setForeColor(const QColor& color)
    {
        m_foreColor = color;
        penChanged();
    }
    QColor foreColor() const { return m_foreColor; }
    void setDotted(bool dotted)
    {
        m_dotted = dotted;
        penChanged();
    }
    bool dotted() const { return m_dotted; }

    double currentX() const { return fromInches(m_x); }
    double currentY() const { return fromInches(m_y); }
    void setCurrentX(double v) { m_x = toInches(v); }
    void setCurrentY(double v) { m_y = toInches(v); }

    // Size of the printable area in the current scale.
    double scaleWidth() const { return fromInches(pageWidthInches()); }
    double scaleHeight() const { return fromInches(pageHeightInches()); }

    double textWidth(const QString& text) { return fromInches(measureWidthInches(text)); }
    double textHeight(const QString& text = QStringLiteral("X")) { return fromInches(lineHeightInches(text)); }

    // Prints at the current position. With a line end the position moves to the left edge of the
    // next line; without, it moves right by the text's width. Text that holds line breaks prints
    // one line per part.
    void print(const QString& text, bool lineEnd = true);
    void line(double x1, double y1, double x2, double y2);
    void newPage();
    void endDoc();
    int page() const { return m_page; }

    void setCopies(int n) { m_copies = n < 1 ? 1 : n; }
    int copies() const { return m_copies; }
    virtual QString deviceName() const = 0;
    virtual Orientation orientation() const { return Orientation::Portrait; }
    // True when the device could not be written whole (no access to the printer, a PDF file that
    // could not be written in full).
    virtual bool failed() const { return false; }

protected:
    virtual double pageWidthInches() const = 0;
    virtual double pageHeightInches() const = 0;
    virtual double measureWidthInches(const QString& text) = 0;
    virtual double lineHeightInches(const QString& text) = 0;
    virtual void drawText(double xInches, double yInches, const QString& text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    virtual void startPage() = 0;
    virtual void finishDocument() = 0;
    virtual void fontChanged() {}
    virtual void penChanged() {}

    double toInches(double v) const { return m_scale == Scale::Inches ? v : v / 1440.0; }
    double fromInches(double v) const { return m_scale == Scale::Inches ? v : v * 1440.0; }

    QString m_fontName = QStringLiteral("Courier");
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    QColor m_foreColor = Qt::black;
    bool m_dotted = false;

private:
    void printOneLine(const QString& text, bool lineEnd);

    Scale m_scale = Scale::Twips;
    double m_x = 0;
    double m_y = 0;
    int m_page = 1;
    int m_copies = 1;
    bool m_ended = false;
};

// Paints on a Qt paint device through a QPainter, at the device's resolution: a printer, a PDF
// document, or in tests any paint device. The printable area is the device's whole area.
class PainterSurface : public PrintSurface {
public:
    // `device` is not owned; a backend that makes its own device passes it with setDevice.
    explicit PainterSurface(QPaintDevice* device = nullptr);
    ~PainterSurface() override;

    QString deviceName() const override { return {}; }
    bool failed() const override { return m_failed; }

protected:
    void setDevice(QPaintDevice* device) { m_device = device; }
    void setFailed() { m_failed = true; }
    double resolution() const;

    double pageWidthInches() const override;
    double pageHeightInches() const override;
    double measureWidthInches(const QString& text) override;
    double lineHeightInches(const QString& text) override;
    void drawText(double x, double y, const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void startPage() override;
    // Ends the painting; failed when the device does not take the document.
    void finishDocument() override;
    void fontChanged() override;
    void penChanged() override;
    // Called once before the first painting.
    virtual void beforePainting() {}

private:
    QPainter& painter();
    QPaintDevice* m_device;
    std::unique_ptr<QPainter> m_painter;
    bool m_failed = false;
};

// Paints on a QPrinter: the default printer, or a PDF file when no printer is installed. The PDF is
// made in memory and written whole at the end of the document, so a file that cannot be written in
// full (a full disk, a folder that cannot be written) fails the job and leaves no cut file behind.
class PrinterSurface : public PainterSurface {
public:
    // An empty pdfPath prints to the chosen printer when one exists, else to a PDF file in the
    // user's documents folder.
    explicit PrinterSurface(const QString& printerName = {}, const QString& pdfPath = {},
                            Orientation orientation = Orientation::Portrait);
    ~PrinterSurface() override;

    QString deviceName() const override;
    Orientation orientation() const override;
    // The PDF file written, empty when printing to a printer.
    QString pdfFile() const { return m_pdfPath; }

protected:
    double pageWidthInches() const override;
    double pageHeightInches() const override;
    void finishDocument() override;
    void beforePainting() override;

private:
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QBuffer> m_pdfBytes;
    std::unique_ptr<QPdfWriter> m_pdf;
    QString m_pdfPath;
};

// Records every call for tests: a fixed letter-size page with a half-inch unprintable border and a
// fixed-pitch font model (width 0.6 of the point size per character, height 1.2 of it).
class RecordingSurface : public PrintSurface {
public:
    struct Text {
        int page;
        double x; // inches
        double y; // inches
        QString text;
        QString font;
        double size;
    };
    struct Line {
        int page;
        double x1, y1, x2, y2; // inches
        QColor color = Qt::black;
        bool dotted = false;
    };

    QString deviceName() const override { return QStringLiteral("Recorder"); }

    std::vector<Text> texts;
    std::vector<Line> lines;
    int pagesStarted = 1;
    bool ended = false;
    int copiesAtEnd = 0;
    Orientation pageOrientation = Orientation::Portrait;
    Orientation orientation() const override { return pageOrientation; }

protected:
    double pageWidthInches() const override { return pageOrientation == Orientation::Landscape ? 10.0 : 7.5; }
    double pageHeightInches() const override { return pageOrientation == Orientation::Landscape ? 7.5 : 10.0; }
    double measureWidthInches(const QString& text) override;
    double lineHeightInches(const QString& text) override;
    void drawText(double x, double y, const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void startPage() override { ++pagesStarted; }
    void finishDocument() override;
};

// The printer set-up dialog and the surface a print job paints on. Production shows the Qt print
// dialog and prints on the chosen printer; tests install a recording version.
class Printing {
public:
    virtual ~Printing() = default;
    // The set-up dialog; the number of copies chosen, nullopt on Cancel.
    virtual std::optional<int> setupDialog() = 0;
    // A new document on the printer last chosen (the default printer until then), in the printer's
    // orientation.
    virtual std::unique_ptr<PrintSurface> openDocument() = 0;
    // What print dialogs show as the printer: its device name, or the PDF file the next document
    // goes to when there is no printer.
    virtual QString deviceName() { return {}; }
    // The printer's orientation: kept for every later document until changed again.
    PrintSurface::Orientation orientation() const { return m_orientation; }
    void setOrientation(PrintSurface::Orientation o) { m_orientation = o; }

protected:
    PrintSurface::Orientation m_orientation = PrintSurface::Orientation::Portrait;
};

class QtPrinting : public Printing {
public:
    std::optional<int> setupDialog() override;
    std::unique_ptr<PrintSurface> openDocument() override;
    QString deviceName() override;

private:
    QString m_printerName;
    QString m_pdfPath;
    QString m_offeredPdfPath; // the file the dialog offered, for the next document only
};

Printing& printing();
// Installs p (not owned); nullptr restores the Qt printer.
void setPrinting(Printing* p);
