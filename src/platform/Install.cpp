#include "platform/Install.h"

#include "platform/FileLookup.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString g_folder;
}

QString installationFolder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    const QString env = qEnvironmentVariable("CORVANEX_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setInstallationFolder(const QString& folder) { g_folder = QDir::cleanPath(folder); }

QString installPath(const QString& relative)
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    return findCaseInsensitive(installationFolder() + QLatin1Char('/') + rel);
}
