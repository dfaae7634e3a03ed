#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// Starting an external tool: a program with an argument list and a working folder, never through
// a shell. The old window styles are kept with the request; a desktop decides itself how a new
// window appears.
enum class WindowStyle { NormalFocus, MaximizedFocus };

struct ToolStart {
    QString program;
    QStringList arguments;
    QString workingFolder;
    WindowStyle style = WindowStyle::NormalFocus;
};

class ToolLauncher {
public:
    virtual ~ToolLauncher() = default;
    // Starts the tool and returns at once; false with the reason in *error when it could not start.
    virtual bool start(const ToolStart& request, QString* error) = 0;
    // Opens a document (the help file) in the desktop's viewer for its kind; false when none took it.
    virtual bool openDocument(const QString& path) = 0;
};

class ProcessToolLauncher : public ToolLauncher {
public:
    bool start(const ToolStart& request, QString* error) override;
    bool openDocument(const QString& path) override;
};

ToolLauncher& toolLauncher();
// Installs l (not owned); nullptr restores the process launcher.
void setToolLauncher(ToolLauncher* l);
