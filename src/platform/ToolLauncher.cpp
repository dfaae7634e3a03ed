#include "platform/ToolLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
ProcessToolLauncher g_process;
ToolLauncher* g_launcher = nullptr;
} // namespace

bool ProcessToolLauncher::start(const ToolStart& request, QString* error)
{
    const QFileInfo tool(request.program);
    // QProcess would report a missing tool only as "failed to start"; say which file is missing.
    if (!tool.isFile()) {
        if (error)
            *error = QStringLiteral("File not found: ") + request.program;
        return false;
    }
    if (!tool.isExecutable()) {
        if (error)
            *error = QStringLiteral("Permission denied (not executable): ") + request.program;
        return false;
    }
    QProcess process;
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    process.setWorkingDirectory(request.workingFolder);
    if (!process.startDetached()) {
        if (error)
            *error = process.errorString() + QStringLiteral(": ") + request.program;
        return false;
    }
    return true;
}

bool ProcessToolLauncher::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

ToolLauncher& toolLauncher() { return g_launcher ? *g_launcher : g_process; }

void setToolLauncher(ToolLauncher* l) { g_launcher = l; }
