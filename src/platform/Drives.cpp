#include "platform/Drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
SystemDriveInfo g_system;
DriveInfo* g_drives = nullptr;

// Kernel and runtime file systems hold no programs; listing them would only bury the real volumes.
bool isSystemVolume(const QStorageInfo& v)
{
    const QString root = v.rootPath();
    static const char* const hidden[] = {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"};
    for (const char* h : hidden) {
        const QString prefix = QString::fromLatin1(h);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return !root.startsWith(QStringLiteral("/run/media/"));
    }
    const QByteArray type = v.fileSystemType();
    return type == "squashfs" || (type == "overlay" && root != QStringLiteral("/"));
}
} // namespace

QList<DriveEntry> SystemDriveInfo::drives()
{
    QList<DriveEntry> out;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || isSystemVolume(v))
            continue;
        QString label = v.rootPath();
        if (!v.name().isEmpty() && v.name() != v.rootPath())
            label += QStringLiteral("  [") + v.name() + QLatin1Char(']');
        out.push_back({v.rootPath(), label});
    }
    if (out.isEmpty())
        out.push_back({QStringLiteral("/"), QStringLiteral("/")});
    return out;
}

bool SystemDriveInfo::isReady(const QString& root)
{
    const QStorageInfo v(root);
    return v.isValid() && v.isReady() && QFileInfo(root).isDir() && QFileInfo(root).isReadable();
}

QString SystemDriveInfo::driveOf(const QString& path)
{
    const QStorageInfo v(QFileInfo(path).absoluteFilePath());
    return v.isValid() ? v.rootPath() : QStringLiteral("/");
}

qint64 SystemDriveInfo::freeBytes(const QString& root)
{
    const QStorageInfo v(root);
    return v.isValid() ? v.bytesAvailable() : 0;
}

bool SystemDriveInfo::isRemovable(const QString& root)
{
    // The kernel marks removable block devices; a partition takes the mark of its disk. Optical
    // discs (sr*) count as removable whatever the mark says.
    const QString device = QString::fromLocal8Bit(QStorageInfo(root).device());
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    const QString name = QFileInfo(device).canonicalFilePath().section(QLatin1Char('/'), -1);
    if (name.startsWith(QStringLiteral("sr")))
        return true;
    QString block = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (block.isEmpty())
        return false;
    if (QFileInfo::exists(block + QStringLiteral("/partition")))
        block = QFileInfo(block).absolutePath();
    QFile flag(block + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

DriveInfo& driveInfo() { return g_drives ? *g_drives : g_system; }

void setDriveInfo(DriveInfo* d) { g_drives = d; }

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}
