#include "TestSupport.h"

#include "SimBoard.h"
#include "platform/Clock.h"
#include "platform/Install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

TestInstall::TestInstall(int timeoutScaleDen) : m_previousCwd(QDir::currentPath())
{
    QDir(m_dir.path()).mkpath(QStringLiteral("support"));
    setInstallationFolder(m_dir.path());
    scaleTimeouts(1, timeoutScaleDen);
}

TestInstall::~TestInstall()
{
    resetTimeouts();
    setInstallationFolder(QString());
    QDir::setCurrent(m_previousCwd);
}

QString TestInstall::path(const QString& relative) const
{
    return relative.isEmpty() ? m_dir.path() : m_dir.path() + QLatin1Char('/') + relative;
}

void TestInstall::writeFile(const QString& relative, const QByteArray& bytes) const
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TestInstall::readFile(const QString& relative) const
{
    QFile f(path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void dropOutFrom(SimBoard& board, long n, int scaleDen)
{
    scaleTimeouts(1, scaleDen);
    board.loseRepliesFrom(board.receivedCount() + n, kDropOutMs * kDropOutScaleDen / scaleDen);
}

void dropOutAt(SimBoard& board, int address, int nth)
{
    scaleTimeouts(1, kDropOutScaleDen);
    board.loseRepliesFromAddress(address, kDropOutMs, nth);
}

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

bool makeUnreadable(TestInstall& install, const QString& relative)
{
    const QString path = install.path(relative);
    install.writeFile(relative, "4\r\n");
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (!QFile(path).open(QIODevice::ReadOnly))
        return true;
    // A write-only bus attribute: the kernel refuses to open it for reading, and a stray write of
    // anything but an event name is refused as well.
    const QString writeOnly = QStringLiteral("/sys/bus/platform/uevent");
    QFile::remove(path);
    return QFileInfo(writeOnly).isFile() && !QFile(writeOnly).open(QIODevice::ReadOnly) &&
           QFile::link(writeOnly, path);
}

FileSizeLimit::FileSizeLimit(long bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_saved);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = m_saved;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_oldHandler);
}

namespace {
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}
} // namespace

UndeletableFile::UndeletableFile(const QString& path) : m_path(path)
{
    // Root deletes what permissions forbid; the immutable flag stops root too, where the file
    // system has one. Without, a folder the user may not write keeps its files.
    if (setImmutable(m_path, true)) {
        m_immutable = true;
    } else {
        const QString folder = QFileInfo(m_path).absolutePath();
        m_folderPermissions = QFile::permissions(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    m_undeletable = !QFile(m_path).remove() && QFileInfo::exists(m_path);
}

UndeletableFile::~UndeletableFile()
{
    if (m_immutable)
        setImmutable(m_path, false);
    else
        QFile::setPermissions(QFileInfo(m_path).absolutePath(), m_folderPermissions);
}
