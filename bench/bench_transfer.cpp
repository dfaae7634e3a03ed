// Program upload and download through the real serial port against the simulated board on a
// pseudo-terminal, paced like a line at 19200 baud. Each is reported as a fraction of its
// line-rate limit: the wire time of every byte the exchange put on the line (10 bits a byte), plus
// the pauses the download protocol itself prescribes.
//
//   bench_transfer [boardsim]    (the argument is accepted for `make bench` and not used)
#include "PtyBoard.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kBaud = 19200;
constexpr double kTarget = 0.95;

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

double wireSeconds(long bytes) { return bytes * 10.0 / kBaud; }

// Prints one measurement; false when the transfer itself failed.
bool report(const char* what, const Measure& m, double pauses, const QString& outcome, const QString& expected)
{
    const double limit = wireSeconds(m.bytes) + pauses;
    const double ratio = limit / m.seconds;
    std::printf("%-34s %7ld bytes  %7.3f s  limit %7.3f s  rate/limit %.3f  %s\n", what, m.bytes, m.seconds, limit,
                ratio, ratio >= kTarget ? "ok" : "BELOW TARGET");
    if (outcome != expected) {
        std::printf("  failed: %s\n", qPrintable(outcome));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    setInstallationFolder(dir.path());
    QDir(dir.path()).mkpath(QStringLiteral("support/ports"));
    QDir(dir.path()).mkpath(QStringLiteral("prog"));
    writeWholeFile(dir.filePath(QStringLiteral("support/RSPort.cfg")), "1,19200\r\n");

    auto board = std::make_shared<SimBoard>();
    for (int a = 0x2000; a < 0x4000; ++a)
        board->memory[a] = static_cast<uint8_t>(a * 13 + 7);
    PtyBoard pty(board, kBaud);
    if (!pty.ok() || ::symlink(pty.devicePath().toLocal8Bit().constData(),
                               dir.filePath(QStringLiteral("support/ports/COM1")).toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "bench_transfer: no pseudo-terminal\n");
        return 1;
    }

    BenchPrompts prompts;
    setPrompts(&prompts);
    SerialCommPort port;
    RSComm comm;
    comm.OpenRSComm(port);
    if (!comm.OnlineMode) {
        std::fprintf(stderr, "bench_transfer: the board did not answer\n");
        return 1;
    }
    auto timed = [&](auto&& run) {
        pty.withBoard([](SimBoard& b) { b.clearLog(); });
        const qint64 start = monotonicMs();
        run();
        Measure m;
        m.seconds = (monotonicMs() - start) / 1000.0;
        m.bytes = pty.withBoard([](SimBoard& b) { return static_cast<long>(b.log().size()); });
        return m;
    };

    // A code-52 upload: 8192 bytes of program memory, two exchanges a byte.
    writeWholeFile(dir.filePath(QStringLiteral("prog/UP.cvp")), "4\r\n");
    const Measure up = timed([&] {
        comm.InUploadMode(true);
        comm.UploadFile(dir.filePath(QStringLiteral("prog/UP.cvp")));
        comm.UploadProgram();
    });
    const bool upOk = report("upload, code 52, 8192 bytes", up, 0, prompts.last, QStringLiteral("Program Upload Complete!"));

    // The same image downloaded: one reply per 16-byte record.
    const auto image = readWholeFile(dir.filePath(QStringLiteral("prog/UP.hex")));
    writeWholeFile(dir.filePath(QStringLiteral("prog/DN.cvp")), "4\r\n");
    writeWholeFile(dir.filePath(QStringLiteral("prog/DN.rev")), "BENCH0010000\r\n");
    writeWholeFile(dir.filePath(QStringLiteral("prog/DN.hex")), image.value_or(QByteArray()));
    pty.withBoard([](SimBoard& b) { std::fill(b.memory.begin() + 0x2000, b.memory.begin() + 0x4000, 0); });
    comm.DownloadFile(dir.filePath(QStringLiteral("prog/DN.cvp")));
    const Measure down = timed([&] { comm.DumpProgram(); });
    const double pauses = (timeouts().settleMs + timeouts().identDelayMs) / 1000.0;
    bool downOk = report("download, code 52, 8192 bytes", down, pauses, prompts.last,
                         QStringLiteral("Program Download Complete!"));
    const bool same = pty.withBoard([](SimBoard& b) {
        for (int a = 0x2000; a < 0x4000; ++a)
            if (b.memory[a] != static_cast<uint8_t>(a * 13 + 7))
                return false;
        return true;
    });
    if (!same) {
        std::printf("  failed: the board's memory differs from the image\n");
        downOk = false;
    }
    std::printf("%-34s %7s        %7.3f s  (records alone, without the prescribed %.1f s of pauses: %.3f)\n", "", "",
                down.seconds - pauses, pauses, wireSeconds(down.bytes) / (down.seconds - pauses));
    comm.CloseRSComm();
    setPrompts(nullptr);
    return upOk && downOk ? 0 : 1;
}
