// A simulated target board on a pseudo-terminal, for trying the program without hardware.
//
//   boardsim [--pace BAUD] [--write-times PATH] [--link PATH] [--fault CODE] [--set ADDR=VALUE ...]
//            [--scale N] [--offset N] [--position N] [--rpm N] [--busy N] [--pls-board CODE]
//
// With --write-times, PATH is the file in which the program on the other end records when it
// writes each byte (tests/sim/WireModel.h): the paced line then starts each byte's wire time when
// it was written rather than when the board's thread woke to it.
// The limit-switch options set the board's scale, offset, resolver position and speed, how many
// times its ready poll answers busy before ready, and its board code (69, or a brake-wear code such
// as 62), which decides the layout its configuration is given back in.
// Prints the device path. With --link, PATH (for example <installation>/support/ports/COM1) is made a
// symbolic link to the device, so the program's port 1 reaches this board. Runs until interrupted.
#include "PtyBoard.h"

#include <QFile>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

int usage()
{
    std::fprintf(stderr, "usage: boardsim [--pace BAUD] [--write-times PATH] [--link PATH] [--fault CODE]\n"
                         "                [--set ADDR=VALUE ...]\n"
                         "                [--scale N] [--offset N] [--position N] [--rpm N] [--busy N]\n"
                         "                [--pls-board CODE]\n");
    return 2;
}
} // namespace

int main(int argc, char* argv[])
{
    int pace = 0;
    std::string link;
    std::string writeTimes;
    auto board = std::make_shared<SimBoard>();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string value = argv[++i];
        if (arg == "--pace") {
            pace = std::stoi(value);
        } else if (arg == "--write-times") {
            writeTimes = value;
        } else if (arg == "--link") {
            link = value;
        } else if (arg == "--fault") {
            board->memory[8176] = static_cast<uint8_t>(std::stoi(value));
        } else if (arg == "--set") {
            const auto eq = value.find('=');
            if (eq == std::string::npos)
                return usage();
            board->memory[std::stoi(value.substr(0, eq)) & 0xFFFF] = static_cast<uint8_t>(std::stoi(value.substr(eq + 1)));
        } else if (arg == "--scale") {
            board->pls.scale = std::stoi(value);
        } else if (arg == "--offset") {
            board->pls.offset = std::stoi(value);
        } else if (arg == "--position") {
            board->pls.rawPosition = std::stoi(value);
        } else if (arg == "--rpm") {
            board->pls.speed = std::stoi(value);
        } else if (arg == "--busy") {
            board->pls.busyCount = std::stoi(value);
        } else if (arg == "--pls-board") {
            board->pls.boardCode = std::stoi(value);
        } else {
            return usage();
        }
    }
    PtyBoard pty(board, pace, writeTimes);
    if (!pty.ok()) {
        std::perror("boardsim: cannot open a pseudo-terminal");
        return 1;
    }
    if (!writeTimes.empty() && !pty.usesWriteTimes()) {
        std::fprintf(stderr, "boardsim: cannot read the write times in %s: %s\n", writeTimes.c_str(),
                     pty.writeTimesError().c_str());
        return 1;
    }
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(pty.devicePath().toLocal8Bit().constData(), link.c_str()) != 0) {
            std::perror("boardsim: cannot make the link");
            return 1;
        }
    }
    std::printf("%s\n", pty.devicePath().toLocal8Bit().constData());
    if (pace > 0)
        std::fprintf(stderr,
                     "boardsim: paced at %d baud from %s; %.1f us subtracted from each reply's wire time "
                     "(pseudo-terminal round trip %.1f us, median, left in)\n",
                     pace, pty.usesWriteTimes() ? "the program's write times" : "the bytes' arrival",
                     PtyBoard::subtractedNs() / 1000.0, pty.roundTripNs() / 1000.0);
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!g_stop)
        ::pause();
    if (!link.empty())
        ::unlink(link.c_str());
    return 0;
}
