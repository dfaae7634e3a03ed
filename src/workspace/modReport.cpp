#include "workspace/modReport.h"

#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/PrintSurface.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace {
constexpr double kLeftMargin = 0.5;
// Room kept free above the bottom of a page for the footer.
constexpr double kFooterRoom = 0.9;
const QString kFont = QStringLiteral("Times");

// Thrown when the printer cannot be written: the report ends where it is.
struct PrinterFailed {};

// The date and time of a footer: the system's short date and long time, without a time zone.
QString footerDateTime()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = wallClock();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), timeFormat.trimmed());
}

class Report {
public:
    Report(PrintSurface& printer, const GridModel& grid, const QString& title, int type)
        : p(printer), g(grid), m_title(title), m_trend(type == 1)
    {
    }

    void run()
    {
        p.setScaleMode(PrintSurface::Scale::Inches);
        pageHeader();
        const int first = m_trend ? 1 : 2;
        for (int r = first; r < g.rows(); ++r) {
            setFont(1);
            for (int c = 0; c < g.cols(); ++c) {
                p.setCurrentX(columnX(c));
                // A trend line starts with its row's number, printed as a number alone.
                const QString text = m_trend && c == 0 ? QStringLiteral(" %1 ").arg(r) : paperText(r, c);
                p.print(text, c == g.cols() - 1);
            }
            checkPrinter();
            // A last row that fills its page ends with the footer below; breaking here would print a
            // page of title and headings with no row under them.
            if (r + 1 < g.rows())
                checkPageBreak(false, 1);
        }
        p.print(QString());
        pageFooter();
    }

private:
    void setFont(int style) { p.setFont(kFont, 12, style >= 2, false, style == 3); }

    double columnX(int col) const
    {
        // With descriptions shown, the status table's names column is two inches wide.
        const double wide = !m_trend && gViewDescriptions && col >= 1 ? 1.0 : 0.0;
        return kLeftMargin + col + wide;
    }

    // A cell's text as the report prints it. The status table's new-entry row marks itself with
    // "*", and its names heading is a blank when no names are shown; both belong to the screen, and
    // the blank, underlined, would print as a stray rule.
    QString paperText(int row, int col) const
    {
        const QString text = g.textMatrix(row, col);
        const bool newEntryMarker = !m_trend && row == g.rows() - 1 && col == 0 && text == QLatin1String("*");
        return newEntryMarker || text.trimmed().isEmpty() ? QString() : text;
    }

    void checkPrinter()
    {
        if (p.failed())
            throw PrinterFailed{};
    }

    // A page that has ended is started only when something is printed on it, so the last page's
    // end leaves no empty page behind.
    void beginPage()
    {
        if (m_pageEnded) {
            p.newPage();
            m_pageEnded = false;
        }
    }

    void pageHeader()
    {
        beginPage();
        p.setFont(kFont, 12, true, false, false);
        const QString text = (m_trend ? QStringLiteral("Trend Data: ") : QStringLiteral("Status Table: ")) + m_title;
        double x = (p.scaleWidth() - p.textWidth(text) - kLeftMargin) / 2;
        double y = 0.1;
        p.setCurrentX(x);
        p.setCurrentY(y);
        p.print(text);
        x = p.scaleWidth() - kLeftMargin;
        y = p.currentY() + p.textHeight(text);
        p.line(kLeftMargin, y, x, y);
        p.setCurrentX(kLeftMargin);
        p.setCurrentY(y + 0.25);
        checkPrinter();
        if (m_trend) {
            setFont(3);
            headingRow(0);
        } else {
            setFont(2);
            headingRow(0);
            setFont(3);
            headingRow(1);
        }
    }

    void headingRow(int row)
    {
        for (int c = 0; c < g.cols(); ++c) {
            p.setCurrentX(columnX(c));
            p.print(paperText(row, c), c == g.cols() - 1);
        }
    }

    void checkPageBreak(bool forceNewPage, int lines)
    {
        if (forceNewPage)
            pageFooter();
        if (p.scaleHeight() - p.textHeight(QStringLiteral("I")) * lines < p.currentY() + kFooterRoom)
            pageFooter();
        if (p.currentY() == 0)
            pageHeader();
    }

    void pageFooter()
    {
        const QString page = QStringLiteral("Page ") + QString::number(p.page());
        const QString date = footerDateTime();
        p.setFont(kFont, 10, false, false, false);
        double y = p.scaleHeight() - p.textHeight(QStringLiteral("I")) - 0.1;
        p.setCurrentX(kLeftMargin);
        p.setCurrentY(y);
        p.print(date, false);
        p.setCurrentX(p.scaleWidth() - p.textWidth(page) - kLeftMargin);
        p.print(page);
        y -= 0.1;
        p.line(kLeftMargin, y, p.scaleWidth() - kLeftMargin, y);
        checkPrinter();
        m_pageEnded = true;
        p.setCurrentX(0);
        p.setCurrentY(0);
    }

    PrintSurface& p;
    const GridModel& g;
    QString m_title;
    bool m_trend;
    bool m_pageEnded = false;
};
} // namespace

void PrintReport(PrintSurface& Printer, const GridModel& Grid, const QString& Title, int ReportType)
{
    try {
        Report(Printer, Grid, Title, ReportType).run();
    } catch (const PrinterFailed&) {
    }
}

std::optional<ReportError> RunReportJob(const GridModel& Grid, const QString& Title, int ReportType, int Copies)
{
    std::unique_ptr<PrintSurface> printer = printing().openDocument();
    printer->setCopies(Copies);
    PrintReport(*printer, Grid, Title, ReportType);
    printer->endDoc();
    if (printer->failed())
        return ReportError{482, QStringLiteral("Printer error: ") + printer->deviceName()};
    return std::nullopt;
}

void InstallReportModes()
{
    auto job = [](const std::function<const GridModel*()>& grid, const QString& title, int type) {
        const GridModel* g = grid ? grid() : nullptr;
        gReportJob.error = g ? RunReportJob(*g, title, type, gReportJob.copies) : std::nullopt;
    };
    frmWaitDisplay::setOperation(3, [job](frmWaitDisplay&) { job(gStatusTableReportGrid, gStatusTableName, 0); });
    frmWaitDisplay::setOperation(5, [job](frmWaitDisplay&) {
        job(gTrendReportGrid, gTrendReportTitle ? gTrendReportTitle() : QString(), 1);
    });
}
