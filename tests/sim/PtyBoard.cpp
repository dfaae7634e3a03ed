#include "PtyBoard.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <cerrno>
#include <vector>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {
using Ns = long long;

Ns nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return Ns(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void sleepUntilNs(Ns at)
{
    const timespec t{static_cast<time_t>(at / 1000000000LL), static_cast<long>(at % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

} // namespace

PtyBoard::PtyBoard(std::shared_ptr<SimBoard> board, int paceBaud) : m_board(std::move(board)), m_paceBaud(paceBaud)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Keep one slave descriptor open so the master never sees a hang-up between the program's
    // opens and closes, and make the line raw (no echo, no line editing).
    m_slaveKeep = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slaveKeep >= 0 && tcgetattr(m_slaveKeep, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_slaveKeep, TCSANOW, &tio);
    }
    std::promise<void> calibrated;
    auto ready = calibrated.get_future();
    m_thread = std::thread([this, &calibrated] {
        if (m_slaveKeep >= 0 && m_paceBaud > 0)
            calibrate();
        calibrated.set_value();
        run();
    });
    ready.wait();
}

PtyBoard::~PtyBoard()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    if (m_master >= 0)
        ::close(m_master);
}

// Learns how long a byte written on the PC's side takes to reach this thread while it sleeps in
// its poll, as it does between the PC's bytes: a run of single bytes a millisecond apart, written
// from another thread on the descriptor the PC's side keeps. The lower quartile is kept rather
// than the median, so that a slow moment while learning never makes the board answer sooner than
// a real line would.
void PtyBoard::calibrate()
{
    constexpr int kSamples = 101;
    std::atomic<Ns> writtenAt{0};
    std::thread writer([&] {
        for (int i = 0; i < kSamples; ++i) {
            sleepUntilNs(nowNs() + 1000000);
            const unsigned char b = 0;
            writtenAt = nowNs();
            if (::write(m_slaveKeep, &b, 1) != 1)
                return;
        }
    });
    std::vector<Ns> samples;
    pollfd p{m_master, POLLIN, 0};
    while (static_cast<int>(samples.size()) < kSamples && poll(&p, 1, 200) == 1) {
        unsigned char in;
        if (::read(m_master, &in, 1) == 1)
            samples.push_back(nowNs() - writtenAt);
    }
    writer.join();
    if (static_cast<int>(samples.size()) == kSamples) {
        std::sort(samples.begin(), samples.end());
        m_transitToBoard = samples[kSamples / 4];
    }
}

void PtyBoard::run()
{
    prctl(PR_SET_TIMERSLACK, 1UL);
    const Ns byteNs = m_paceBaud > 0 ? 10LL * 1000000000LL / m_paceBaud : 0;
    // Times are kept as the PC's side of the line would see them. A byte reaches this thread a
    // while after the PC wrote it (the pseudo-terminal and this thread's wake-up); on a real line
    // that time is part of the byte's own wire time, so it is taken off rather than added. The way
    // back is the PC's own to wait for and is left as it is.
    const Ns inTransit = m_paceBaud > 0 ? m_transitToBoard : 0;
    // The two directions of the line, each busy until the byte on it has crossed: a byte the PC
    // writes is in one byte time after the one before it (a record of many bytes takes its whole
    // length), and a reply has crossed one byte time after the byte it answers is in.
    Ns rxDone = 0, txDone = 0;
    // The sleep's own lateness, learnt as the board runs, so that replies leave when they are due
    // rather than a wake-up later.
    Ns wakeLead = 0;
    pollfd pfd{m_master, POLLIN, 0};
    while (!m_stop) {
        pfd.revents = 0;
        const int n = poll(&pfd, 1, 20);
        if (n <= 0 || !(pfd.revents & POLLIN))
            continue;
        const Ns written = nowNs() - inTransit;
        unsigned char buf[256];
        const ssize_t got = ::read(m_master, buf, sizeof buf);
        if (got <= 0)
            continue;
        for (ssize_t i = 0; i < got; ++i) {
            rxDone = std::max(rxDone, written) + byteNs;
            std::optional<uint8_t> reply;
            int delayMs = 0;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                reply = m_board->receive(buf[i]);
                delayMs = m_board->replyDelayMs;
            }
            if (!reply)
                continue;
            txDone = std::max(rxDone, txDone) + byteNs + delayMs * 1000000LL;
            const Ns leave = txDone;
            if (byteNs > 0) {
                sleepUntilNs(leave - wakeLead);
                const Ns late = nowNs() - leave;
                wakeLead = std::clamp<Ns>(wakeLead + late / 8, 0, byteNs / 4);
            } else if (delayMs > 0) {
                sleepUntilNs(leave);
            }
            const unsigned char out = *reply;
            while (::write(m_master, &out, 1) < 0 && errno == EINTR) {
            }
        }
    }
}
