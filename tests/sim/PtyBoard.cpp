#include "PtyBoard.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {
void sleepUntil(const timespec& t)
{
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
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
timespec later(const timespec& a, const timespec& b)
{
    return (a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec)) ? a : b;
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
    m_thread = std::thread([this] { run(); });
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
    // The two directions of the line, each busy until the byte on it has crossed: a byte the PC
    // writes reaches the board one byte time after the one before it (a record of many bytes takes
    // its whole length), and a reply leaves once the byte it answers is in.
    timespec rxDone{}, txDone{};
    pollfd pfd{m_master, POLLIN, 0};
    while (!m_stop) {
        pfd.revents = 0;
        const int n = poll(&pfd, 1, 20);
        if (n <= 0 || !(pfd.revents & POLLIN))
            continue;
        timespec arrived{};
        clock_gettime(CLOCK_MONOTONIC, &arrived);
        unsigned char buf[256];
        const ssize_t got = ::read(m_master, buf, sizeof buf);
        if (got <= 0)
            continue;
        for (ssize_t i = 0; i < got; ++i) {
            rxDone = addNs(later(rxDone, arrived), byteNs);
            std::optional<uint8_t> reply;
            int delayMs = 0;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                reply = m_board->receive(buf[i]);
                delayMs = m_board->replyDelayMs;
            }
            if (!reply)
                continue;
            const timespec due = addNs(later(rxDone, txDone), byteNs + delayMs * 1000000L);
            sleepUntil(due);
            txDone = due;
            const unsigned char out = *reply;
            while (::write(m_master, &out, 1) < 0 && errno == EINTR) {
            }
        }
    }
}
