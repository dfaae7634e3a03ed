// Program download and upload through the real serial port against the simulated board, run as the
// boardsim program on a pseudo-terminal and paced like a line at 19200 baud. Each is reported as a
// fraction of its line-rate limit: the wire time of every byte the transfer put on the line or
// took from it (10 bits a byte), plus, for the download, the pauses its protocol prescribes.
//
//   bench_transfer <path to boardsim>
#include "BenchSupport.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
constexpr int kBaud = 19200;

// Confirms the download and acknowledges every other box, remembering the last text.
class BenchPrompts : public Prompts {
public:
    Answer message(const QString& text, Buttons buttons, Icon, const QString&) override
    {
        last = text;
        return buttons == Buttons::YesNoCancel ? Answer::Yes : buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString last;
};

struct Measure {
    double seconds = 0;
    long bytes = 0;
};

// Prints one measurement; false when the transfer failed or missed its share.
bool report(const char* what, const Measure& m, double pauses, const QString& outcome, const QString& expected)
{
    const bool ok = reportLineShare(what, m.bytes, m.seconds, kBaud, pauses);
    if (outcome != expected) {
        std::printf("  failed: %s\n", qPrintable(outcome));
        return false;
    }
    return ok;
}

// A code-52 image in the upload's own layout: 512 records of 16 bytes from 2000h.
QByteArray image()
{
    ItemWriter hex;
    for (int a = 0x2000; a < 0x4000; a += 16) {
        QString line = QStringLiteral(":10%1").arg(a, 4, 16, QLatin1Char('0')).toUpper() + QStringLiteral("00");
        for (int k = 0; k < 16; ++k)
            line += QStringLiteral("%1").arg((a + k) * 13 % 251, 2, 16, QLatin1Char('0')).toUpper();
        hex.printLine(line);
    }
    hex.printLine(QStringLiteral(":00000001FF"));
    return hex.bytes();
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_transfer <boardsim>\n");
        return 2;
    }
    BenchBoard board(QString::fromLocal8Bit(argv[1]), kBaud);
    const QString prog = installPath(QStringLiteral("prog"));
    QDir().mkpath(prog);
    writeWholeFile(prog + QStringLiteral("/DN.cvp"), "4\r\n");
    writeWholeFile(prog + QStringLiteral("/DN.rev"), "BENCH0010000\r\n");
    writeWholeFile(prog + QStringLiteral("/DN.hex"), image());
    writeWholeFile(prog + QStringLiteral("/UP.cvp"), "4\r\n");

    BenchPrompts prompts;
    setPrompts(&prompts);
    CountingPort port;
    RSComm comm;
    comm.OpenRSComm(port);
    if (!comm.OnlineMode) {
        std::fprintf(stderr, "bench_transfer: the board did not answer\n");
        return 1;
    }
    auto timed = [&](auto&& run) {
        port.bytes = 0;
        const BenchClock clock;
        run();
        return Measure{clock.wallSeconds(), port.bytes};
    };

    // Download: one reply per record of 16 data bytes.
    comm.DownloadFile(prog + QStringLiteral("/DN.cvp"));
    const Measure down = timed([&] { comm.DumpProgram(); });
    const double pauses = (timeouts().settleMs + timeouts().identDelayMs) / 1000.0;
    bool ok = report("download, code 52, 8192 bytes", down, pauses, prompts.last,
                     QStringLiteral("Program Download Complete!"));
    std::printf("%-34s (the records alone, without the prescribed %.1f s of pauses: %.3f)\n", "", pauses,
                (down.bytes * 10.0 / kBaud) / (down.seconds - pauses));

    // Upload of the same memory: two one-byte exchanges a program byte.
    comm.OnlineMode = true;
    const Measure up = timed([&] {
        comm.InUploadMode(true);
        comm.UploadFile(prog + QStringLiteral("/UP.cvp"));
        comm.UploadProgram();
    });
    ok = report("upload, code 52, 8192 bytes", up, 0, prompts.last, QStringLiteral("Program Upload Complete!")) && ok;
    if (readWholeFile(prog + QStringLiteral("/UP.hex")) != image()) {
        std::printf("  failed: the uploaded image differs from the one downloaded\n");
        ok = false;
    }
    comm.CloseRSComm();
    setPrompts(nullptr);
    return ok ? 0 : 1;
}
