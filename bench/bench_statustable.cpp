// The status table against the simulated board, run as the boardsim program on a pseudo-terminal
// and paced like a line at 19200 baud, through the real serial port:
// - on-line, 40 visible rows of mixed B, W and D addresses for 10 s: row reads a second, and the
//   share of the line-rate limit (the wire time of every byte the passes put on the line or took
//   from it, 10 bits a byte) that the passes reach with their yields;
// - off-line with no image for 10 s: the program's CPU share;
// - 32000 rows inserted into the grid on screen, and the whole table copied to the clipboard.
// Each has its target; the run fails when one is missed or a box is shown.
//
//   bench_statustable <path to boardsim>
#include "BenchSupport.h"
#include "app/Features.h"
#include "comm/RSComm.h"
#include "monitor/frmStatusTable.h"
#include "platform/CommPort.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "platform/Prompts.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int kBaud = 19200;
constexpr int kRows = 40;
constexpr double kSeconds = 10.0;
constexpr double kCpuTarget = 0.02;  // off-line, of one core
constexpr double kGridSeconds = 1.0; // the 32000 rows inserted, and copied, each in less

class BenchPrompts : public Prompts {
public:
    Answer message(const QString& text, Buttons, Icon, const QString&) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        ++boxes;
        return Answer::Cancel;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    int boxes = 0;
};
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_statustable <boardsim>\n");
        return 2;
    }
    BenchBoard board(QString::fromLocal8Bit(argv[1]), kBaud);
    BenchPrompts prompts;
    setPrompts(&prompts);
    auto owned = std::make_unique<CountingPort>();
    CountingPort* port = owned.get();
    frmMDIMain main(std::move(owned));
    installFeatures(main);
    main.resize(1200, 1400);
    main.MDIForm_Load();
    // The window's loop is run below by hand, pass by pass, so that the passes can be counted.
    PollingLoop::setAutoStart(false);
    main.mnuToolsStatusTable_Click();
    frmStatusTable* table = frmStatusTable::existing();
    GridModel& grid = *table->fgStatus;
    QCoreApplication::processEvents();
    if (grid.visibleRows() < kRows) {
        std::fprintf(stderr, "bench_statustable: the view shows only %d rows\n", grid.visibleRows());
        return 1;
    }
    grid.setRows(grid.visibleRows() + 4);
    grid.setTextMatrix(grid.rows() - 1, 0, QStringLiteral("*"));
    long bytesPerPass = 0;
    for (int i = 0; i < kRows; ++i) {
        static const char* const kinds[] = {"B%1", "W%1", "D%1"};
        const int address = 100 + 8 * i;
        grid.setTextMatrix(2 + i, 1, QString::fromLatin1(kinds[i % 3]).arg(address));
        bytesPerPass += 4 * (i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 4);
    }
    table->TableChanged = false;

    // On-line: the loop's turns, each a yield and a pass over the visible rows.
    main.mnuViewOnline_Click();
    if (!gRSComm->OnlineMode) {
        std::fprintf(stderr, "bench_statustable: the board did not answer\n");
        return 1;
    }
    port->bytes = 0;
    long passes = 0;
    bool ok = true;
    {
        const BenchClock clock;
        while (clock.wallSeconds() < kSeconds) {
            QCoreApplication::processEvents();
            table->LiveUpdatePass();
            ++passes;
        }
        const double seconds = clock.wallSeconds();
        std::printf("status table, on-line, %d rows (B, W, D): %ld passes, %.1f row reads/s\n", kRows, passes,
                    passes * kRows / seconds);
        ok = reportLineShare("status table, on-line passes", port->bytes, seconds, kBaud);
        std::printf("                               (%ld wire bytes a pass of reads; the rest are the status poll's)\n",
                    bytesPerPass);
        // What the yields themselves cost: as many as the passes made, with nothing to read.
        const BenchClock yields;
        for (long i = 0; i < passes * (kRows + 1); ++i)
            QCoreApplication::processEvents();
        std::printf("                               the passes' %ld yields alone take %.3f s (%.1f%% of the time)\n",
                    passes * (kRows + 1), yields.wallSeconds(), 100 * yields.wallSeconds() / seconds);
    }

    // Off-line with no image: the window's own loop runs as in use, for 10 s.
    main.mnuViewOffline_Click();
    PollingLoop::setAutoStart(true);
    {
        const BenchClock clock;
        QTimer::singleShot(static_cast<int>(kSeconds * 1000), table, [table] { table->Form_Unload(); });
        table->liveLoop()->start();
        // The queued start runs the loop here, until the timer unloads the window.
        QCoreApplication::processEvents();
        const double share = clock.cpuSeconds() / clock.wallSeconds();
        std::printf("off-line, no image, %.0f s:      CPU %.3f s in %.2f s: %.2f%% of one core%s\n", kSeconds,
                    clock.cpuSeconds(), clock.wallSeconds(), share * 100, share <= kCpuTarget ? "" : " (above 2%)");
        ok = ok && share <= kCpuTarget;
    }

    // 32000 rows into the grid on screen, then the whole table to the clipboard.
    PollingLoop::setAutoStart(false);
    main.mnuToolsStatusTable_Click();
    QCoreApplication::processEvents();
    {
        QElapsedTimer t;
        t.start();
        grid.insertRows(2, 32000);
        QCoreApplication::processEvents();
        const double insertSeconds = t.nsecsElapsed() / 1e9;
        for (int r = 2; r < grid.rows() - 1; ++r) {
            grid.setTextMatrix(r, 1, QStringLiteral("W%1").arg(100 + 2 * (r % 4000)));
            grid.setTextMatrix(r, 2, QString::number(r));
            grid.setTextMatrix(r, 3, QString::number(r, 16).toUpper());
            grid.setTextMatrix(r, 4, QStringLiteral("00000000"));
            grid.setTextMatrix(r, 5, QStringLiteral("01010101"));
        }
        grid.select(2, 0, grid.rows() - 1, 5);
        t.restart();
        table->StatusTableCopyClip();
        const double copySeconds = t.nsecsElapsed() / 1e9;
        std::printf("32000 rows inserted:            %.3f s%s\n", insertSeconds,
                    insertSeconds < kGridSeconds ? "" : " (1 s or more)");
        std::printf("%d rows copied (%lld chars):  %.3f s%s\n", grid.rows() - 2,
                    static_cast<long long>(QApplication::clipboard()->text().size()), copySeconds,
                    copySeconds < kGridSeconds ? "" : " (1 s or more)");
        ok = ok && insertSeconds < kGridSeconds && copySeconds < kGridSeconds;
    }
    table->Form_Unload();
    gRSComm->CloseRSComm();
    setPrompts(nullptr);
    if (prompts.boxes)
        ok = false;
    return ok ? 0 : 1;
}
