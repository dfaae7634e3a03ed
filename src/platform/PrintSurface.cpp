#include "platform/PrintSurface.h"

#include "platform/TextItems.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <utility>

// ---------------------------------------------------------------- position rules

void PrintSurface::setFont(const QString& name, double pointSize, bool bold, bool italic, bool underline)
{
    m_fontName = name;
    m_fontSize = pointSize > 0 ? pointSize : 10;
    m_bold = bold;
    m_italic = italic;
    m_underline = underline;
    fontChanged();
}

void PrintSurface::print(const QString& text, bool lineEnd)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList parts = t.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < parts.size(); ++i)
        printOneLine(parts[i], i + 1 < parts.size() || lineEnd);
}

void PrintSurface::printOneLine(const QString& text, bool lineEnd)
{
    if (!text.isEmpty())
        drawText(m_x, m_y, text);
    if (lineEnd) {
        m_x = 0;
        m_y += lineHeightInches(text.isEmpty() ? QStringLiteral("X") : text);
    } else {
        m_x += measureWidthInches(text);
    }
}

void PrintSurface::line(double x1, double y1, double x2, double y2)
{
    drawLine(toInches(x1), toInches(y1), toInches(x2), toInches(y2));
    m_x = toInches(x2);
    m_y = toInches(y2);
}

void PrintSurface::newPage()
{
    startPage();
    ++m_page;
    m_x = 0;
    m_y = 0;
}

void PrintSurface::endDoc()
{
    if (m_ended)
        return;
    m_ended = true;
    finishDocument();
}

// ---------------------------------------------------------------- recording backend

double RecordingSurface::measureWidthInches(const QString& text) { return text.size() * m_fontSize * 0.6 / 72.0; }

double RecordingSurface::lineHeightInches(const QString&) { return m_fontSize * 1.2 / 72.0; }

void RecordingSurface::drawText(double x, double y, const QString& text)
{
    texts.push_back({page(), x, y, text, m_fontName, m_fontSize});
}

void RecordingSurface::drawLine(double x1, double y1, double x2, double y2)
{
    lines.push_back({page(), x1, y1, x2, y2, m_foreColor, m_dotted});
}

void RecordingSurface::finishDocument()
{
    ended = true;
    copiesAtEnd = copies();
}

namespace {
// Where PDF files go without a printer: the user's documents folder.
QString pdfFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString defaultPdfPath()
{
    QString folder = pdfFolder();
    if (!QDir().mkpath(folder))
        folder = QDir::homePath();
    return folder + QStringLiteral("/Corvanex-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".pdf");
}

// A PDF file as the print dialogs show it in place of a printer.
QString pdfDestination(const QString& path) { return QStringLiteral("PDF file ") + QDir::toNativeSeparators(path); }
} // namespace

// ---------------------------------------------------------------- painter backend

namespace {
// A printed line is as wide as a pixel of the screen, so that a dotted line shows the screen's dots:
// a pen one device dot wide makes dots of 1/1200 inch on a high-resolution page, too fine to see.
constexpr double kLineWidthInches = 1.0 / 96;
} // namespace

PainterSurface::PainterSurface(QPaintDevice* device) : m_device(device) {}

PainterSurface::~PainterSurface() { endDoc(); }

double PainterSurface::resolution() const { return m_device ? m_device->logicalDpiX() : 1.0; }

double PainterSurface::pageWidthInches() const { return m_device ? m_device->width() / resolution() : 0; }

double PainterSurface::pageHeightInches() const { return m_device ? m_device->height() / resolution() : 0; }

QPainter& PainterSurface::painter()
{
    if (!m_painter) {
        beforePainting();
        m_painter = std::make_unique<QPainter>();
        if (!m_device || !m_painter->begin(m_device)) {
            m_failed = true;
            return *m_painter;
        }
        // A pen equal to the painter's default never reaches the device, and a PDF starts without
        // one of its own: the first page's lines came out as grey slivers.
        m_painter->setPen(Qt::NoPen);
        fontChanged();
        penChanged();
    }
    return *m_painter;
}

double PainterSurface::measureWidthInches(const QString& text)
{
    QPainter& p = painter();
    return QFontMetricsF(p.font(), p.device()).horizontalAdvance(text) / resolution();
}

double PainterSurface::lineHeightInches(const QString&)
{
    QPainter& p = painter();
    return QFontMetricsF(p.font(), p.device()).height() / resolution();
}

void PainterSurface::drawText(double x, double y, const QString& text)
{
    QPainter& p = painter();
    const double dpi = resolution();
    const QFontMetricsF fm(p.font(), p.device());
    // Text is black whatever colour the lines are drawn in.
    const QPen linePen = p.pen();
    p.setPen(Qt::black);
    p.drawText(QPointF(x * dpi, y * dpi + fm.ascent()), text);
    p.setPen(linePen);
}

void PainterSurface::drawLine(double x1, double y1, double x2, double y2)
{
    QPainter& p = painter();
    const double dpi = resolution();
    p.drawLine(QPointF(x1 * dpi, y1 * dpi), QPointF(x2 * dpi, y2 * dpi));
}

void PainterSurface::startPage()
{
    painter();
    auto* paged = dynamic_cast<QPagedPaintDevice*>(m_device);
    if (paged && !paged->newPage())
        m_failed = true;
}

void PainterSurface::finishDocument()
{
    // A document with nothing printed still makes one (empty) page, as the old printer did.
    QPainter& p = painter();
    if (p.isActive() && !p.end())
        m_failed = true;
}

void PainterSurface::penChanged()
{
    if (!m_painter)
        return;
    QPen pen(m_foreColor, kLineWidthInches * resolution());
    pen.setStyle(m_dotted ? Qt::DotLine : Qt::SolidLine);
    // Square ends would stretch each dot into a dash; solid lines keep them, so that the segments
    // of a polyline meet without a notch.
    if (m_dotted)
        pen.setCapStyle(Qt::FlatCap);
    m_painter->setPen(pen);
}

void PainterSurface::fontChanged()
{
    if (!m_painter)
        return;
    QFont f(m_fontName);
    f.setPointSizeF(m_fontSize);
    f.setBold(m_bold);
    f.setItalic(m_italic);
    f.setUnderline(m_underline);
    m_painter->setFont(f);
}

// ---------------------------------------------------------------- printer backend

PrinterSurface::PrinterSurface(const QString& printerName, const QString& pdfPath, Orientation orientation)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setPageOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
    const QPrinterInfo info = printerName.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(printerName);
    if (pdfPath.isEmpty() && !info.isNull()) {
        m_printer->setPrinterName(info.printerName());
        setDevice(m_printer.get());
        return;
    }
    // No printer installed: the report goes to a PDF file instead of being lost, laid out on the
    // printer's page.
    m_pdfPath = pdfPath.isEmpty() ? defaultPdfPath() : pdfPath;
    m_pdfBytes = std::make_unique<QBuffer>();
    m_pdfBytes->open(QIODevice::WriteOnly);
    m_pdf = std::make_unique<QPdfWriter>(m_pdfBytes.get());
    m_pdf->setResolution(m_printer->resolution());
    m_pdf->setPageLayout(m_printer->pageLayout());
    setDevice(m_pdf.get());
}

PrinterSurface::~PrinterSurface() { endDoc(); }

void PrinterSurface::beforePainting() { m_printer->setCopyCount(copies()); }

void PrinterSurface::finishDocument()
{
    PainterSurface::finishDocument();
    if (m_pdf && !failed() && !writeWholeFile(m_pdfPath, m_pdfBytes->data()))
        setFailed();
}

QString PrinterSurface::deviceName() const { return m_pdfPath.isEmpty() ? m_printer->printerName() : m_pdfPath; }

PrintSurface::Orientation PrinterSurface::orientation() const
{
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                          : Orientation::Portrait;
}

double PrinterSurface::pageWidthInches() const { return m_printer->pageLayout().paintRect(QPageLayout::Inch).width(); }

double PrinterSurface::pageHeightInches() const { return m_printer->pageLayout().paintRect(QPageLayout::Inch).height(); }

// ---------------------------------------------------------------- set-up dialog seam

namespace {
QtPrinting g_qtPrinting;
Printing* g_printing = nullptr;
} // namespace

std::optional<int> QtPrinting::setupDialog()
{
    QPrinter printer;
    if (!m_printerName.isEmpty())
        printer.setPrinterName(m_printerName);
    printer.setPageOrientation(m_orientation == PrintSurface::Orientation::Landscape ? QPageLayout::Landscape
                                                                                    : QPageLayout::Portrait);
    // Without a printer the dialog offers the PDF file a report is written to then, not a file
    // name of its own choosing.
    const QString offeredPdf = m_pdfPath.isEmpty() ? defaultPdfPath() : m_pdfPath;
    if (QPrinterInfo::availablePrinters().isEmpty() || !m_pdfPath.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(offeredPdf);
    }
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // Later documents follow the printer (or the PDF file) chosen here. The file offered, left as it
    // was, is the one the next report is written to, as the dialog said; every report after that
    // gets a file of its own.
    m_offeredPdfPath.clear();
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        m_printerName = printer.printerName();
        m_pdfPath.clear();
    } else if (m_pdfPath.isEmpty() && printer.outputFileName() == offeredPdf) {
        m_offeredPdfPath = offeredPdf;
    } else {
        m_pdfPath = printer.outputFileName();
    }
    m_orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? PrintSurface::Orientation::Landscape
                                                                                : PrintSurface::Orientation::Portrait;
    return printer.copyCount();
}

std::unique_ptr<PrintSurface> QtPrinting::openDocument()
{
    const QString pdfPath = m_pdfPath.isEmpty() ? std::exchange(m_offeredPdfPath, QString()) : m_pdfPath;
    return std::make_unique<PrinterSurface>(m_printerName, pdfPath, m_orientation);
}

QString QtPrinting::deviceName()
{
    if (!m_pdfPath.isEmpty())
        return pdfDestination(m_pdfPath);
    if (!m_printerName.isEmpty())
        return m_printerName;
    if (!m_offeredPdfPath.isEmpty())
        return pdfDestination(m_offeredPdfPath);
    const QString printer = QPrinterInfo::defaultPrinter().printerName();
    if (!printer.isEmpty())
        return printer;
    // Each report gets a file of its own, named when it is printed.
    return pdfDestination(pdfFolder() + QStringLiteral("/Corvanex-<date>-<time>.pdf")) +
           QStringLiteral(" (no printer is installed)");
}

Printing& printing() { return g_printing ? *g_printing : g_qtPrinting; }

void setPrinting(Printing* p) { g_printing = p; }
