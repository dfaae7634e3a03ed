#pragma once
// Shared by the benchmarks: a boardsim child process linked as port 1 of a temporary
// installation, the real serial port counting its bytes, wall and CPU clocks, and the share of the
// line rate computed from the bytes counted on the wire.
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
#include <sys/resource.h>
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
        if (pace > 0)
            args << QStringLiteral("--pace") << QString::number(pace);
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
        m_process.terminate();
        m_process.waitForFinished(3000);
        setInstallationFolder(QString());
    }

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
};

// The real serial port, counting every byte written to it and read from it.
class CountingPort : public SerialCommPort {
public:
    int readByte() override
    {
        const int b = SerialCommPort::readByte();
        bytes += b >= 0 ? 1 : 0;
        return b;
    }
    void write(const QByteArray& data) override
    {
        bytes += data.size();
        SerialCommPort::write(data);
    }
    long bytes = 0;
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
// Printed with its figures; false below the target, and above 1.0, which means the measure is
// wrong (the paced line never carries a reply sooner than the wire).
inline bool reportLineShare(const char* what, long bytes, double seconds, int baud, double pauses = 0)
{
    const double limit = bytes * 10.0 / baud + pauses;
    const double share = limit / seconds;
    std::printf("%-34s %6ld bytes on the wire in %7.3f s, line-rate limit %7.3f s: %.3f of the line rate%s\n", what,
                bytes, seconds, limit, share,
                share > 1.0 ? " (ABOVE 1.0: the measure is wrong)" : share < kLineShareTarget ? " (below 0.95)" : "");
    return share >= kLineShareTarget && share <= 1.0;
}
