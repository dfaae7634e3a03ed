// Read exchanges through the real serial port against the simulated board, which runs as the
// boardsim program on a pseudo-terminal (so its work is not counted as ours).
//
//   bench_link <path to boardsim>
//
// (a) unpaced: how many read exchanges a second the link code can make;
// (b) paced: the board holds each reply for the wire time at 19200 baud (10 bits a byte); the
//     share of the line-rate limit of the bytes counted on the wire, and our CPU time as a share of
//     wall time. The other live views and transfers are best read against this figure of the run.
#include "BenchSupport.h"
#include "comm/RSComm.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
struct Result {
    int reads;
    long bytes;
    double wallS;
    double cpuS;
};

Result runReads(const QString& boardsim, int pace, int reads)
{
    BenchBoard board(boardsim, pace, {"--set", "100=42"});
    CountingPort port;
    RSComm comm;
    comm.OpenRSComm(port);
    if (!comm.OnlineMode) {
        std::fprintf(stderr, "bench_link: the board did not answer\n");
        std::exit(1);
    }
    comm.RSRead(QStringLiteral("B100")); // enters read mode: the loop measures the exchanges alone
    port.bytes = 0;
    const BenchClock clock;
    for (int i = 0; i < reads; ++i) {
        if (comm.RSRead(QStringLiteral("B100")) != QLatin1String("42")) {
            std::fprintf(stderr, "bench_link: wrong value read\n");
            std::exit(1);
        }
    }
    Result r{reads, port.bytes, clock.wallSeconds(), clock.cpuSeconds()};
    comm.CloseRSComm();
    return r;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_link <boardsim>\n");
        return 2;
    }
    const QString boardsim = QString::fromLocal8Bit(argv[1]);

    const Result fast = runReads(boardsim, 0, 20000);
    std::printf("link, unpaced: %d byte reads in %.3f s: %.0f reads/s, %.0f one-byte exchanges/s\n", fast.reads,
                fast.wallS, fast.reads / fast.wallS, 2 * fast.reads / fast.wallS);

    const Result paced = runReads(boardsim, 19200, 2000);
    const bool ok = reportLineShare("link, paced, 2000 byte reads", paced.bytes, paced.wallS, 19200);
    std::printf("%-34s (CPU %.1f%% of wall time)\n", "", 100.0 * paced.cpuS / paced.wallS);
    return ok ? 0 : 1;
}
