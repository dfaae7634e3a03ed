#pragma once
// Shared by the benchmarks: a boardsim child process linked as port 1 of a temporary
// installation, the real serial port counting its bytes and checking every reply against the
// paced line, wall and CPU clocks, and the share of the line rate computed from the bytes counted
// on the wire.
#include "WireModel.h"
#include "platform/CommPort.h"
#include "platform/Install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <sys/resource.h>
#include <unistd.h>
#include <time.h>

class BenchBoard {
public:
    BenchBoard(const QString& boardsim, int pace, const QStringList& extra = {})
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("support/ports"));
        setInstallationFolder(m_dir.path());
        QFile cfg(m_dir.path() + QStringLiteral("/support/RSPort.cfg"));
        if (cfg.open(QIODevice::WriteOnly))
            cfg.write("1,19200\r\n");
        cfg.close();
        const QString link = m_dir.path() + QStringLiteral("/support/ports/COM1");
        QStringList args{QStringLiteral("--link"), link};
        if (pace > 0) {
            // The board starts each byte's wire time when this program wrote it (WireModel.h).
            static int made = 0;
            const QString path = QFileInfo(QStringLiteral("/dev/shm")).isDir()
                                     ? QStringLiteral("/dev/shm/corvanex-bench-%1-%2").arg(::getpid()).arg(++made)
                                     : m_dir.path() + QStringLiteral("/write-times");
            m_writeTimes = std::make_unique<WriteTimesWriter>(path.toStdString());
            if (!m_writeTimes->ok()) {
                std::fprintf(stderr, "bench: cannot make %s\n", qPrintable(path));
                std::exit(1);
            }
            args << QStringLiteral("--pace") << QString::number(pace) << QStringLiteral("--write-times") << path;
            s_paced = this;
            m_pace = pace;
        }
        args << extra;
        m_process.start(boardsim, args);
        if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(5000) || !QFileInfo::exists(link)) {
            std::fprintf(stderr, "bench: cannot start %s\n", qPrintable(boardsim));
            std::exit(1);
        }
        if (pace > 0)
            printPacing();
    }
    ~BenchBoard()
    {
        if (s_paced == this)
            s_paced = nullptr;
        m_process.terminate();
        m_process.waitForFinished(3000);
        setInstallationFolder(QString());
    }

    // The paced board running now, if any: the serial port records its writes for it.
    static BenchBoard* paced() { return s_paced; }
    WriteTimesWriter& writeTimes() { return *m_writeTimes; }
    int pace() const { return m_pace; }

private:
    // What the paced simulator takes off each reply's wire time, as it says on start (once a run).
    void printPacing()
    {
        static bool printed = false;
        m_process.setReadChannel(QProcess::StandardError);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(2000)) {
        }
        const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        m_process.setReadChannel(QProcess::StandardOutput);
        if (!printed && !line.isEmpty())
            std::printf("(%s)\n", qPrintable(line));
        printed = true;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    std::unique_ptr<WriteTimesWriter> m_writeTimes;
    int m_pace = 0;
    static inline BenchBoard* s_paced = nullptr;
};

// Every reply of the run checked against the line model (WireModel.h) from the program's own
// write times: a byte the program gets sooner than the line could carry it is early, and a run
// with an early reply has no valid share. Each reply is taken to answer the last byte written
// before it came, as every exchange of the protocol is a question and its answer.
struct ReplyTally {
    long checked = 0;
    long early = 0;
    long leastMarginNs = 0; // the smallest (arrival - due) of the run
    double sumMarginNs = 0;
};
inline ReplyTally& replyTally()
{
    static ReplyTally tally;
    return tally;
}

class ReplyCheck {
public:
    explicit ReplyCheck(int baud) : m_line(baud) {}
    void wrote(long count, long ns)
    {
        for (long i = 0; i < count; ++i)
            m_line.byteIn(ns);
    }
    void got(long count, long ns)
    {
        ReplyTally& t = replyTally();
        for (long i = 0; i < count; ++i) {
            const long margin = ns - m_line.replyOut();
            t.leastMarginNs = t.checked == 0 ? margin : std::min(t.leastMarginNs, margin);
            ++t.checked;
            t.sumMarginNs += margin;
            t.early += margin < 0 ? 1 : 0;
        }
    }

private:
    WireModel m_line;
};

// The real serial port, counting every byte written to it and read from it. Against a paced board
// it records each write's time for the board and checks each byte it gets: a byte is got when it
// leaves the pseudo-terminal, which is when the port's call that took it in returned; the port's
// buffer is read once more after each such call (a read that finds nothing), so that every byte
// taken in is known and timed then.
class CountingPort : public SerialCommPort {
public:
    CountingPort()
    {
        if (BenchBoard* board = BenchBoard::paced()) {
            m_writeTimes = &board->writeTimes();
            m_check = std::make_unique<ReplyCheck>(board->pace());
        }
    }
    std::optional<PortError> open() override
    {
        m_buffered = 0;
        return SerialCommPort::open();
    }
    void close() override
    {
        m_buffered = 0;
        SerialCommPort::close();
    }
    void clearInput() override
    {
        SerialCommPort::clearInput();
        m_buffered = 0;
    }
    int inBufferCount() override
    {
        const int n = SerialCommPort::inBufferCount();
        taken(n, monotonicNs());
        return n;
    }
    bool waitForByte(qint64 deadlineMs) override
    {
        const bool any = SerialCommPort::waitForByte(deadlineMs);
        if (any && m_buffered == 0 && m_check)
            takenSince(monotonicNs(), 0);
        return any;
    }
    int readByte() override
    {
        const int b = SerialCommPort::readByte();
        if (b < 0)
            return b;
        ++bytes;
        if (m_buffered == 0 && m_check)
            takenSince(monotonicNs(), 1);
        m_buffered = std::max(0, m_buffered - 1);
        return b;
    }
    void write(const QByteArray& data) override
    {
        if (m_check) {
            const long now = monotonicNs();
            m_writeTimes->record(data.size(), now);
            m_check->wrote(data.size(), now);
        }
        bytes += data.size();
        SerialCommPort::write(data);
    }
    long bytes = 0;

private:
    // The port's buffer now holds n bytes; those beyond the ones already checked came at `ns`.
    void taken(int n, long ns)
    {
        if (m_check && n > m_buffered)
            m_check->got(n - m_buffered, ns);
        m_buffered = std::max(m_buffered, n);
    }
    // A call that may have filled the empty buffer returned at `ns`, `consumed` bytes of it read.
    void takenSince(long ns, int consumed)
    {
        const int left = SerialCommPort::inBufferCount();
        m_check->got(left + consumed, ns);
        m_buffered = left + consumed;
    }

    WriteTimesWriter* m_writeTimes = nullptr;
    std::unique_ptr<ReplyCheck> m_check;
    int m_buffered = 0; // bytes in the port's buffer already checked
};

class BenchClock {
public:
    BenchClock() : m_wall(now(CLOCK_MONOTONIC)), m_cpu(cpu()) {}
    double wallSeconds() const { return now(CLOCK_MONOTONIC) - m_wall; }
    double cpuSeconds() const { return cpu() - m_cpu; }

private:
    static double now(clockid_t id)
    {
        timespec t{};
        clock_gettime(id, &t);
        return t.tv_sec + t.tv_nsec / 1e9;
    }
    // Our own process: user and system time.
    static double cpu()
    {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
    }
    double m_wall;
    double m_cpu;
};

// Every live view and transfer is to reach this share of its line-rate limit.
constexpr double kLineShareTarget = 0.95;

// The share of the line-rate limit reached: the wire time of the bytes counted on the line in the
// run (10 bits a byte at `baud`) plus any pauses the protocol prescribes, over the wall time taken.
// Printed with its figures and the replies checked since the share before it; false below the target,
// above 1.0 (the paced line never carries a reply sooner than the wire, so the measure would be
// wrong), and when any reply came early (the share is then invalid).
inline bool reportLineShare(const char* what, long bytes, double seconds, int baud, double pauses = 0)
{
    const double limit = bytes * 10.0 / baud + pauses;
    const double share = limit / seconds;
    // Each share answers for its own replies: the tally starts afresh for the next one.
    const ReplyTally t = std::exchange(replyTally(), ReplyTally{});
    std::printf("%-34s %6ld bytes on the wire in %7.3f s, line-rate limit %7.3f s: %.3f of the line rate%s\n", what,
                bytes, seconds, limit, share,
                t.early > 0       ? " (INVALID: replies came early)"
                : share > 1.0     ? " (ABOVE 1.0: the measure is wrong)"
                : share < kLineShareTarget ? " (below 0.95)"
                                           : "");
    std::printf("%-34s (%ld replies checked against the line, %ld early; came %.1f us after due at "
                "least, %.1f us on average)\n",
                "", t.checked, t.early, t.leastMarginNs / 1000.0, t.checked ? t.sumMarginNs / t.checked / 1000.0 : 0.0);
    return share >= kLineShareTarget && share <= 1.0 && t.early == 0;
}
