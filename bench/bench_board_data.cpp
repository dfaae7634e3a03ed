// Board-data upload and download of a code-50 board (the standard range B32 to B8175 of its
// 8176-byte image) through the wait display and the real serial port, against the simulated board
// (boardsim on a pseudo-terminal, paced like a line at 19200 baud). Each is reported as a share of
// its line-rate limit: the wire time of every byte the transfer put on the line or took from it
// (10 bits a byte). The transfers turn the event loop once per address, as they do for the user.
//
//   bench_board_data <path to boardsim>
#include "BenchSupport.h"
#include "comm/RSComm.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/DataTransfer.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <cstdio>

namespace {
constexpr int kBaud = 19200;

// Any box is a failure of the run: it is printed and cancelled.
class BenchPrompts : public Prompts {
public:
    Answer message(const QString& text, Buttons, Icon, const QString& title) override
    {
        std::printf("  box \"%s\": %s\n", qPrintable(title), qPrintable(text));
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
        std::fprintf(stderr, "usage: bench_board_data <boardsim>\n");
        return 2;
    }
    // A few recognisable bytes in the board, to be found in the uploaded file.
    BenchBoard board(QString::fromLocal8Bit(argv[1]), kBaud,
                     {QStringLiteral("--set"), QStringLiteral("32=17"), QStringLiteral("--set"),
                      QStringLiteral("4000=200"), QStringLiteral("--set"), QStringLiteral("8175=171")});
    BenchPrompts prompts;
    setPrompts(&prompts);
    CountingPort port;
    RSComm comm;
    gRSComm = &comm;
    comm.OpenRSComm(port);
    if (!comm.OnlineMode) {
        std::fprintf(stderr, "bench_board_data: the board did not answer\n");
        return 1;
    }
    const QString ldt = installPath(QStringLiteral("BENCH.LDT"));
    gDataXferBoardType = 50;
    gDataXferFile = ldt;
    const AddressSpan range = standardRange(50);
    gDataXferFrom = range.first;
    gDataXferTo = range.last;
    auto timed = [&](int mode) {
        gDataXferMode = mode;
        port.bytes = 0;
        const BenchClock clock;
        ShowWaitDisplay(4);
        return std::pair{port.bytes, clock.wallSeconds()};
    };

    const auto [upBytes, upSeconds] = timed(2);
    bool ok = reportLineShare("upload, code 50, B32-B8175", upBytes, upSeconds, kBaud);
    const LdtContents up = parseLdt(readWholeFile(ldt).value_or(QByteArray()), 50);
    if (up.bytes.size() != 8176 || up.bytes[32] != 17 || up.bytes[4000] != 200 || up.bytes[8175] != 171) {
        std::printf("  failed: the uploaded file does not hold the board's bytes\n");
        ok = false;
    }

    // Download a pattern, then read three of its bytes back.
    std::vector<int> pattern(8176);
    for (std::size_t a = 0; a < pattern.size(); ++a)
        pattern[a] = static_cast<int>((a * 7 + 3) % 254);
    ItemWriter().printLine(ldtLine(pattern)).save(ldt);
    const auto [downBytes, downSeconds] = timed(1);
    ok = reportLineShare("download, code 50, B32-B8175", downBytes, downSeconds, kBaud) && ok;
    for (const int a : {32, 4000, 8175})
        if (comm.RSRead(QStringLiteral("B") + QString::number(a)).toInt() != pattern[a]) {
            std::printf("  failed: B%d does not hold the downloaded byte\n", a);
            ok = false;
        }
    comm.CloseRSComm();
    gRSComm = nullptr;
    setPrompts(nullptr);
    return ok && prompts.boxes == 0 ? 0 : 1;
}
