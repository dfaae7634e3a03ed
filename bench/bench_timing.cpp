// The limit-switch timing window's live loop through the real serial port against the simulated
// board (boardsim on a pseudo-terminal, paced like a line at 19200 baud).
//
// On-line, every pass reads the speed twice, the position and the offset: 16 one-byte exchanges,
// 32 bytes on the wire. The loop's share of the line-rate limit (the wire time of the bytes counted
// on the line over 5 s, 10 bits a byte) is reported. Off-line the loop makes no exchange
// and must not spin: the CPU time of this process over 10 s with the window open is reported as a
// share of one core.
//
//   bench_timing <path to boardsim>
#include "BenchSupport.h"
#include "comm/RSComm.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/frmTiming.h"
#include "limitswitch/modPLS.h"
#include "platform/CommPort.h"
#include "platform/Prompts.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int kBaud = 19200;
constexpr double kCpuTarget = 0.02;

class BenchPrompts : public Prompts {
public:
    Answer message(const QString& text, Buttons, Icon, const QString&) override
    {
        std::printf("  box: %s\n", qPrintable(text));
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_timing <boardsim>\n");
        return 2;
    }
    BenchBoard board(QString::fromLocal8Bit(argv[1]), kBaud);
    BenchPrompts prompts;
    setPrompts(&prompts);
    CountingPort port;
    RSComm comm;
    gRSComm = &comm;
    gCommObj = &port;
    registerPLSTransfers();
    comm.OpenRSComm(port);
    if (!comm.OnlineMode) {
        std::fprintf(stderr, "bench_timing: the board did not answer\n");
        return 1;
    }

    frmTiming form;
    form.Form_Load();
    form.show();
    form.Form_Activate();

    bool ok = true;
    long bytes0 = 0;
    BenchClock onlineClock, offlineClock;
    // The phases run inside the window's loop, from timers that fire in its yields.
    QTimer::singleShot(2000, [&] {
        // The first on-line pass (with its setpoint upload) is over: count from here.
        bytes0 = port.bytes;
        onlineClock = BenchClock();
    });
    QTimer::singleShot(7000, [&] {
        const double seconds = onlineClock.wallSeconds();
        const bool shareOk = reportLineShare("timing window, on-line passes", port.bytes - bytes0, seconds, kBaud);
        std::printf("%-34s (CPU %.1f%% of wall time)\n", "", onlineClock.cpuSeconds() / seconds * 100);
        ok = ok && shareOk && gFirstPassOnline;
        comm.OnlineMode = false;
        UpdateOnlineStatus();
    });
    QTimer::singleShot(7500, [&] { offlineClock = BenchClock(); });
    QTimer::singleShot(17500, [&] {
        const double share = offlineClock.cpuSeconds() / offlineClock.wallSeconds();
        std::printf("timing window, off-line: %.3f s of CPU in %.1f s with the window open: %.2f%% of one core%s\n",
                    offlineClock.cpuSeconds(), offlineClock.wallSeconds(), share * 100,
                    share <= kCpuTarget ? "" : " (above 2%)");
        ok = ok && share <= kCpuTarget;
        form.Form_Unload();
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
    app.exec();
    if (prompts.boxes)
        ok = false;
    gRSComm = nullptr;
    gCommObj = nullptr;
    setPrompts(nullptr);
    return ok ? 0 : 1;
}
