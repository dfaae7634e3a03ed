#include "TestSupport.h"

#include "platform/Clock.h"
#include "platform/Install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
