#include "platform/FileLookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

namespace {
QString matchEntry(const QString& folder, const QString& name)
{
    QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    }
    return {};
}
} // namespace

QString findCaseInsensitive(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const QString clean = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    bool resolving = true;
    for (const QString& part : parts) {
        QString next = part;
        if (resolving) {
            const QString base = current.isEmpty() ? QStringLiteral("/") : current;
            if (!QFileInfo::exists(current + QLatin1Char('/') + part)) {
                const QString found = matchEntry(base, part);
                resolving = !found.isEmpty();
                if (resolving)
                    next = found;
            }
        }
        current += QLatin1Char('/') + next;
    }
    return current.isEmpty() ? QStringLiteral("/") : current;
}

bool fileExistsNoCase(const QString& path)
{
    const QFileInfo info(findCaseInsensitive(path));
    return info.exists() && info.isFile();
}

bool removeFileNoCase(const QString& path)
{
    const QFileInfo info(path);
    const QDir dir(info.absolutePath());
    bool ok = true;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            ok = QFile::remove(dir.filePath(name)) && ok;
    }
    return ok;
}

bool sameFileSystemEntry(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(QFile::encodeName(a).toStdString(),
                                                  QFile::encodeName(b).toStdString(), error);
    return !error && same;
}
