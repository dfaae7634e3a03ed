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
// Waits until t (monotonic nanoseconds). A sleeping thread can wake tens of microseconds late
// (more in a virtual machine), which would show up as the program's overhead; so the board sleeps
// to just short of t and spins the rest. Only the simulated board does this; the program never spins.
void sleepUntil(long t)
{
    constexpr long kSpinNs = 200000;
    if (t - monotonicNs() > kSpinNs) {
        const long early = t - kSpinNs;
        const timespec ts{early / 1000000000L, early % 1000000000L};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
    while (t - monotonicNs() > 0) {
    }
}
} // namespace

PtyBoard::PtyBoard(std::shared_ptr<SimBoard> board, int paceBaud, const std::string& writeTimesPath)
    : m_board(std::move(board)), m_paceBaud(paceBaud)
{
    if (!writeTimesPath.empty()) {
        m_writeTimes = std::make_unique<WriteTimesReader>(writeTimesPath);
        if (!m_writeTimes->ok()) {
            m_writeTimesError = m_writeTimes->error();
            m_writeTimes.reset();
        }
    }
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
        const long t0 = monotonicNs();
        const unsigned char out = 0x5A;
        if (::write(m_slaveKeep, &out, 1) != 1)
            break;
        pollfd pfd{m_slaveKeep, POLLIN, 0};
        if (poll(&pfd, 1, 1000) <= 0)
            break;
        unsigned char in;
        if (::read(m_slaveKeep, &in, 1) != 1)
            break;
        samples.push_back(monotonicNs() - t0);
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

// The plausibility rule of PtyBoard.h: the program's write time of the byte, or its arrival here.
long PtyBoard::sentAt(long index, long arrivedNs, bool countsInStep, long lastReplyNs)
{
    if (!m_writeTimes || !countsInStep)
        return arrivedNs;
    const long written = m_writeTimes->writeTime(index);
    return written >= lastReplyNs && written <= arrivedNs ? written : arrivedNs;
}

void PtyBoard::run()
{
    // Sleeps of a millisecond must be exact for the paced line.
    prctl(PR_SET_TIMERSLACK, 1UL);
    WireModel line(m_paceBaud);
    long received = 0;    // bytes received so far
    long lastReplyNs = 0; // when the last reply was written
    pollfd pfd{m_master, POLLIN, 0};
    while (!m_stop) {
        pfd.revents = 0;
        const int n = poll(&pfd, 1, 20);
        if (n <= 0 || !(pfd.revents & POLLIN))
            continue;
        const long arrivedNs = monotonicNs();
        unsigned char buf[256];
        const ssize_t got = ::read(m_master, buf, sizeof buf);
        if (got <= 0)
            continue;
        const bool countsInStep = m_writeTimes && m_writeTimes->bytesRecorded() == received + got;
        // Every byte of this read was written before any reply to it went out.
        const long replyBefore = lastReplyNs;
        for (ssize_t i = 0; i < got; ++i) {
            line.byteIn(sentAt(received++, arrivedNs, countsInStep, replyBefore));
            std::optional<uint8_t> reply;
            int delayMs = 0;
            long heldUntilNs = 0;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                reply = m_board->receive(buf[i]);
                delayMs = m_board->replyDelayMs + m_board->lineDelayMs();
                heldUntilNs = static_cast<long>(m_board->heldUntil()) * 1000000L;
            }
            if (!reply)
                continue;
            // The reply leaves once the bytes in and the byte out have crossed the line. The
            // bytes in were sent no later than they arrived here and the reply is read after it
            // is written, so the pseudo-terminal's delays only ever add to the wire time.
            const long due = line.byteNs() > 0 ? std::max(arrivedNs, line.replyOut() - subtractedNs()) : arrivedNs;
            sleepUntil(std::max(due + delayMs * 1000000L, heldUntilNs));
            const unsigned char out = *reply;
            lastReplyNs = monotonicNs();
            while (::write(m_master, &out, 1) < 0 && errno == EINTR) {
            }
        }
    }
}
