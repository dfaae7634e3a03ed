#include "PtyBoard.h"

#include <algorithm>
#include <cerrno>
#include <vector>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {
long diffNs(const timespec& a, const timespec& b)
{
    return (a.tv_sec - b.tv_sec) * 1000000000L + (a.tv_nsec - b.tv_nsec);
}

// Waits until t. A sleeping thread can wake tens of microseconds late (more in a virtual machine),
// which would show up as the program's overhead; so the board sleeps to just short of t and spins
// the rest. Only the simulated board does this; the program never spins.
void sleepUntil(const timespec& t)
{
    constexpr long kSpinNs = 200000;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (diffNs(t, now) > kSpinNs) {
        timespec early = t;
        early.tv_nsec -= kSpinNs;
        if (early.tv_nsec < 0) {
            early.tv_nsec += 1000000000L;
            --early.tv_sec;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &early, nullptr) == EINTR) {
        }
    }
    do {
        clock_gettime(CLOCK_MONOTONIC, &now);
    } while (diffNs(t, now) > 0);
}

timespec addNs(timespec t, long ns)
{
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
    return t;
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
    if (m_paceBaud > 0)
        m_roundTripNs = measureRoundTrip();
    m_thread = std::thread([this] { run(); });
}

// Median time for a byte to go from the slave to the master and back, with an echo thread on the
// master side as the board's thread will be.
long PtyBoard::measureRoundTrip()
{
    std::atomic<bool> done{false};
    std::thread echo([&] {
        prctl(PR_SET_TIMERSLACK, 1UL);
        pollfd pfd{m_master, POLLIN, 0};
        while (!done) {
            if (poll(&pfd, 1, 20) <= 0)
                continue;
            unsigned char b;
            if (::read(m_master, &b, 1) == 1)
                while (::write(m_master, &b, 1) < 0 && errno == EINTR) {
                }
        }
    });
    std::vector<long> samples;
    for (int i = 0; i < 201; ++i) {
        timespec t0{}, t1{};
        clock_gettime(CLOCK_MONOTONIC, &t0);
        const unsigned char out = 0x5A;
        if (::write(m_slaveKeep, &out, 1) != 1)
            break;
        pollfd pfd{m_slaveKeep, POLLIN, 0};
        if (poll(&pfd, 1, 1000) <= 0)
            break;
        unsigned char in;
        if (::read(m_slaveKeep, &in, 1) != 1)
            break;
        clock_gettime(CLOCK_MONOTONIC, &t1);
        samples.push_back(diffNs(t1, t0));
    }
    done = true;
    echo.join();
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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

void PtyBoard::run()
{
    // Sleeps of a millisecond must be exact for the paced line.
    prctl(PR_SET_TIMERSLACK, 1UL);
    const long byteNs = m_paceBaud > 0 ? 10L * 1000000000L / m_paceBaud : 0;
    // The two directions of the line, each busy until the byte on it has crossed (nanoseconds on
    // the monotonic clock): a byte the PC writes is in one byte time after the one before it, so a
    // program record of many bytes written at once takes its whole length, and a reply has crossed
    // one byte time after the byte it answers is in.
    long rxDone = 0, txDone = 0;
    pollfd pfd{m_master, POLLIN, 0};
    while (!m_stop) {
        pfd.revents = 0;
        const int n = poll(&pfd, 1, 20);
        if (n <= 0 || !(pfd.revents & POLLIN))
            continue;
        timespec arrived{};
        clock_gettime(CLOCK_MONOTONIC, &arrived);
        const long arrivedNs = diffNs(arrived, timespec{});
        unsigned char buf[256];
        const ssize_t got = ::read(m_master, buf, sizeof buf);
        if (got <= 0)
            continue;
        for (ssize_t i = 0; i < got; ++i) {
            rxDone = std::max(rxDone, arrivedNs) + byteNs;
            std::optional<uint8_t> reply;
            int delayMs = 0;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                reply = m_board->receive(buf[i]);
                delayMs = m_board->replyDelayMs;
            }
            if (!reply)
                continue;
            // The reply leaves once the bytes in and the byte out have crossed the line. The
            // bytes in were sent before they arrived here and the reply is read after it is
            // written, so the pseudo-terminal's delays only ever add to the wire time.
            txDone = std::max(rxDone, txDone) + byteNs;
            const long hold = byteNs > 0 ? std::max(0L, txDone - arrivedNs - subtractedNs()) : 0;
            sleepUntil(addNs(arrived, hold + delayMs * 1000000L));
            const unsigned char out = *reply;
            while (::write(m_master, &out, 1) < 0 && errno == EINTR) {
            }
        }
    }
}
