#pragma once
// A running main window on a temporary installation, with every outside-world call scripted: boxes,
// the open dialog, tool starts, drives and the printer.
#include "ScriptedPrompts.h"
#include "TestSupport.h"
#include "platform/FileDialogs.h"
#include "platform/PrintSurface.h"
#include "platform/ToolLauncher.h"

#include <QString>
#include <gtest/gtest.h>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CommPort;
class QDialog;
class frmMDIMain;
class frmMain;

// Answers every modal window in turn: each step drives one window's handlers (OK, Cancel, ...)
// instead of a blocking loop. A window with no step left fails the test.
class ScriptedModals {
public:
    ScriptedModals();
    ~ScriptedModals();
    ScriptedModals& then(std::function<void(QDialog&)> step)
    {
        steps.push_back(std::move(step));
        return *this;
    }
    std::deque<std::function<void(QDialog&)>> steps;
    // Object names of the windows shown, in order.
    std::vector<QString> shown;
};

// Records the default answer of every input box too.
class RecordingPrompts : public ScriptedPrompts {
public:
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        defaults.push_back(defaultText);
        return ScriptedPrompts::input(prompt, title, defaultText);
    }
    std::vector<QString> defaults;
};

class ScriptedFileDialogs : public FileDialogs {
public:
    ScriptedFileDialogs() { setFileDialogs(this); }
    ~ScriptedFileDialogs() override { setFileDialogs(nullptr); }
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    // nullopt answers Cancel.
    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> requests;

private:
    std::optional<QString> next(const FileDialogRequest& request, const char* kind);
};

class RecordingToolLauncher : public ToolLauncher {
public:
    RecordingToolLauncher() { setToolLauncher(this); }
    ~RecordingToolLauncher() override { setToolLauncher(nullptr); }
    bool start(const ToolStart& request, QString* error) override;
    bool openDocument(const QString& path) override
    {
        opened.push_back(path);
        return true;
    }
    std::vector<ToolStart> started;
    std::vector<QString> opened;
    // Called with each start request as it is recorded.
    std::function<void(const ToolStart&)> onStart;
};

// What a print job left on its recording surface.
struct PrintRecord {
    std::vector<RecordingSurface::Text> texts;
    int pages = 0;
    bool ended = false;
    int copies = 0;
    std::vector<RecordingSurface::Line> lines;
    PrintSurface::Orientation orientation = PrintSurface::Orientation::Portrait;
};

class RecordingPrinting : public Printing {
public:
    RecordingPrinting() { setPrinting(this); }
    ~RecordingPrinting() override { setPrinting(nullptr); }
    std::optional<int> setupDialog() override { return copiesChosen; }
    std::unique_ptr<PrintSurface> openDocument() override;
    QString deviceName() override { return QStringLiteral("Recorder"); }
    std::optional<int> copiesChosen = 1;
    // Every document reports a device failure.
    bool failJobs = false;
    std::vector<PrintRecord> jobs;
};

// A main window with every feature installed, as the program makes it; its start-up is the caller's.
// `port` stands in for the serial port (nullptr: the real one).
std::unique_ptr<frmMDIMain> makeMainWindow(std::unique_ptr<CommPort> port = nullptr);

// The printer of a machine without one: every document is a PDF file at `path`.
class PdfPrinting : public Printing {
public:
    explicit PdfPrinting(QString path) : m_path(std::move(path)) { setPrinting(this); }
    ~PdfPrinting() override { setPrinting(nullptr); }
    std::optional<int> setupDialog() override { return 1; }
    std::unique_ptr<PrintSurface> openDocument() override;

private:
    QString m_path;
};

// A main window after its start-up, on a programs folder inside the temporary installation.
class WorkspaceTest : public ::testing::Test {
protected:
    explicit WorkspaceTest(int timeoutScaleDen = 100);
    ~WorkspaceTest() override;

    // Writes a file of the programs folder.
    void writeProgramFile(const QString& name, const QByteArray& bytes) const;
    // A Corvane file for board code `code` (its one line).
    void writeProgram(const QString& base, int code) const;
    QString programPath(const QString& name) const;
    QStringList programFolderFiles() const;
    // Starts the main window and opens the browser on `program` (a name in the programs folder);
    // `port` stands in for the serial port (nullptr: the real one).
    void start(const QString& program = {}, std::unique_ptr<CommPort> port = nullptr);
    frmMain& browser() const;
    // The texts of the tree: the root first, then its children in order.
    QStringList treeTexts() const;
    // Clicks the tree node whose text starts with `text` and double-clicks it.
    void doubleClickNode(const QString& text);
    // A step for the new-program dialog: types `name` in the programs folder with the board of
    // `code` selected and presses OK.
    std::function<void(QDialog&)> newProgramStep(const QString& name, int code = 68) const;

    TestInstall install;
    RecordingPrompts prompts;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<frmMDIMain> main;
    QString folder;
};
