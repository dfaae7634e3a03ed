#pragma once
#include <QString>
#include <functional>
#include <optional>

class GridModel;
class PrintSurface;

// Paged text reports of a grid: the status table (report type 0: two heading rows, then one line
// per data row) and the trend data (report type 1: one heading row, then one numbered line per
// sample row). Each page carries a centred title with a rule under it, the headings, the rows and a
// footer with the date and time, the page number and a rule.

// Prints `Grid` on `Printer` (the old PrintReport, given the grid it reads). The status table's
// column 1 moves one inch further right while descriptions fill its names column
// (gViewDescriptions). A printer that cannot be written ends the report where it is.
void PrintReport(PrintSurface& Printer, const GridModel& Grid, const QString& Title, int ReportType);

// Why a print job failed, in the "Error Number = " form's two parts.
struct ReportError {
    int number = 0;
    QString description;
};

// One whole print job as the wait display runs it: a document on the printer chosen last with
// `Copies` copies, the report, the end of the job. The failure, when the printer could not be
// written; the job is ended either way.
std::optional<ReportError> RunReportJob(const GridModel& Grid, const QString& Title, int ReportType, int Copies);

// The print job the wait display's modes 3 and 5 run: the caller sets the copies chosen in its
// set-up dialog before ShowWaitDisplay and reads the outcome after it.
struct ReportJob {
    int copies = 1;
    std::optional<ReportError> error;
};
inline ReportJob gReportJob;

// Where the reports find their grids (each window sets its own while it exists): the status
// table's grid, and the trend grid with the text of the trending window's address box.
inline std::function<const GridModel*()> gStatusTableReportGrid;
inline std::function<const GridModel*()> gTrendReportGrid;
inline std::function<QString()> gTrendReportTitle;

// Hands the wait display its modes 3 (the status table report, titled gStatusTableName) and 5 (the
// trend data report).
void InstallReportModes();
