// The main window's external tools: which tool starts from which folder with which command line,
// the search that waits for the search tool's result file, and the results viewer's commands.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/ShortNames.h"
#include "platform/ToolLauncher.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace {
const char* const kToolNames[] = {"tolvik", "brisel", "vantor", "mezzal", "quorin", nullptr, "daffel"};

// How often the search flow looks at the result file, and how long it stays unchanged before it
// counts as complete.
constexpr int kSearchPollMs = 200;
constexpr int kFileAccessError = 75;

void spawnError(int number, const QString& description)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::None, QStringLiteral("Spawn Request"));
}

QString padNumber(const QString& number, int width)
{
    if (number.size() < width)
        return QString(width - number.size(), QLatin1Char('0')) + number;
    return number.right(width);
}

// A tool's file in its folder; the tools were shipped for a system that ignores case in names
// (TOLVIK.EXE is tolvik.exe).
QString toolFile(const QString& toolFolder, const QString& name) { return findCaseInsensitive(joinPath(toolFolder, name)); }
} // namespace

void frmMDIMain::SpawnRequest(int Action, bool BypassOpen, bool BypassInputBox, bool& Canceled)
{
    if (!SelectProgramFile(BypassOpen)) {
        Canceled = true;
        return;
    }
    const QString stem = programStem(gProgramFile);
    const QString base = fileBaseName(stem);
    // An unreadable Corvane file names no board: guessing one would start the other family's tool.
    // Canceled tells the search that no tool runs, so it waits for no result.
    QString readError;
    const int code = GetTargetboardType(gProgramFile, &readError);
    if (!readError.isEmpty()) {
        spawnError(kFileAccessError, readError);
        Canceled = true;
        return;
    }
    const BoardFamily family = boardFamilyOf(code);
    if (family == BoardFamily::Unsupported) {
        msgBox(QStringLiteral("The selected target board is either") + CR +
                   QStringLiteral("not recognized or not supported by Corvane."),
               Buttons::Ok, Icon::Information, QStringLiteral("Spawn Request Error"));
        return;
    }
    const QString folderName = family == BoardFamily::ControllerA   ? QStringLiteral("rdx3")
                               : family == BoardFamily::ControllerB ? QStringLiteral("rdx7")
                                                                    : QStringLiteral("qlx3");
    const QString toolFolder = shortPath(installPath(folderName));
    // The tool folder stays current after the call, as the tools expect.
    QDir::setCurrent(toolFolder);

    ToolStart start;
    start.workingFolder = toolFolder;
    start.style = WindowStyle::MaximizedFocus;
    if (family == BoardFamily::LimitSwitch) {
        // Every action on a limit switch opens its own tool, which uses the port itself.
        mnuViewOffline_Click();
        start.program = toolFile(toolFolder, code == 69 ? QStringLiteral("orlund9.exe") : QStringLiteral("orlund.exe"));
        start.arguments << stem;
    } else {
        if (Action < 0 || Action > 6 || !kToolNames[Action])
            return;
        const QString suffix = family == BoardFamily::ControllerA ? QStringLiteral("1") : QString();
        start.program = toolFile(toolFolder, QLatin1String(kToolNames[Action]) + suffix + QStringLiteral(".exe"));
        const QString boardLetter = QString(QChar(code + 16));
        switch (Action) {
        case 0:
        case 3: start.arguments << stem << boardLetter; break;
        case 2: start.arguments << stem + QLatin1Char('=') + (gRSComm ? gRSComm->LCFBoardIndex(code) : QString()); break;
        case 6: {
            std::optional<QString> variable;
            if (BypassInputBox)
                variable = procs.statusTableCurrentAddress ? procs.statusTableCurrentAddress() : QString();
            else
                variable = prompts().input(QStringLiteral("Please enter search variable."),
                                           QStringLiteral("Global Search - [") + base + QLatin1Char(']'),
                                           LastSearchVariable);
            if (variable)
                LastSearchVariable = *variable;
            if (!variable || variable->size() < 2) {
                Canceled = true;
                return;
            }
            LastSearchVariable = FormatSearchVariable(*variable, family == BoardFamily::ControllerB ? 1 : 0);
            // A result left by an earlier search must not be taken for this one's: when it cannot
            // go, no search runs.
            if (!removeFileNoCase(stem + QStringLiteral(".gbl"))) {
                spawnError(kFileAccessError, QStringLiteral("Path/File access error") + CRLF + stem +
                                                 QStringLiteral(".gbl: the old search result cannot be deleted"));
                Canceled = true;
                return;
            }
            start.arguments << stem << LastSearchVariable;
            start.style = WindowStyle::NormalFocus;
            break;
        }
        default: start.arguments << stem; break;
        }
    }
    QString error;
    if (!toolLauncher().start(start, &error)) {
        spawnError(53, error);
        Canceled = true;
        return;
    }
    if (family != BoardFamily::LimitSwitch && Action == 0)
        UpdateRecentFile();
    if (family != BoardFamily::LimitSwitch && Action == 6)
        QApplication::processEvents();
}

QString frmMDIMain::FormatSearchVariable(const QString& Var, int Family)
{
    QString prefix = Var.left(1).toUpper();
    QString number = Var.mid(1);
    QString bit;
    if (number.contains(QLatin1Char('.'))) {
        bit = QString::number(number.right(1).toInt());
        number.chop(2);
    }
    if (prefix == QLatin1String("F") || prefix == QLatin1String("X") || prefix == QLatin1String("Y") ||
        prefix == QLatin1String("I")) {
        number = padNumber(number, 3);
    } else if (prefix == QLatin1String("B") || prefix == QLatin1String("W")) {
        if (Family == 0)
            number = padNumber(number, 3);
        else if (Family == 1)
            number = padNumber(number, 4);
    } else if (prefix == QLatin1String("P")) {
        number = number.size() == 1 ? QStringLiteral("0") + number : number.right(2);
        prefix = QStringLiteral("F2");
        bit.clear();
    }
    return bit.isEmpty() ? prefix + number : prefix + number + QLatin1Char('.') + bit;
}

void frmMDIMain::RunGlobalSearch(bool BypassOpen, bool BypassInputBox)
{
    bool canceled = false;
    SpawnRequest(6, BypassOpen, BypassInputBox, canceled);
    if (canceled)
        return;
    const BoardFamily family = boardFamilyOf(GetTargetboardType(gProgramFile));
    if (family != BoardFamily::ControllerA && family != BoardFamily::ControllerB)
        return;
    // The user may pick another program while the tool runs; the result belongs to this one.
    const QString searched = gProgramFile;
    const QString gbl = ChangeFileExt(searched, QStringLiteral("gbl"));
    const qint64 deadline = monotonicMs() + timeouts().searchMs;
    qint64 lastSize = -1;
    bool complete = false;
    // The window can be closed (and deleted) while the wait lets events through.
    const QPointer<frmMDIMain> self(this);
    // The tool writes the file while the wait looks at it: it is read only once it holds
    // something and has kept its size from one look to the next.
    while (!m_unloaded) {
        const QFileInfo info(findCaseInsensitive(gbl));
        const qint64 size = info.isFile() ? info.size() : -1;
        if (size > 0 && size == lastSize) {
            complete = true;
            break;
        }
        lastSize = size;
        if (monotonicMs() >= deadline)
            break;
        waitLettingEventsThrough(static_cast<int>(qMin<qint64>(kSearchPollMs, qMax<qint64>(1, deadline - monotonicMs()))));
        if (!self)
            return;
    }
    if (m_unloaded)
        return;
    if (!complete) {
        msgBox(QStringLiteral("File Not Found ") + gbl, Buttons::Ok, Icon::Information, QStringLiteral("Pimlow"));
        return;
    }
    showSearchResultsEntry();
    const QString current = gProgramFile;
    gProgramFile = searched;
    frmViewResults* viewer = viewResults();
    viewer->DisplayResults(1);
    gProgramFile = current;
    viewer->ShowMe();
}

void frmMDIMain::StartOnlineMonitor(bool BypassOpen)
{
    if (gRSComm && gRSComm->OnlineMode)
        mnuViewOffline_Click();
    bool canceled = false;
    SpawnRequest(1, BypassOpen, false, canceled);
}

void frmMDIMain::mnuViewCompileErrors_Click()
{
    if (!SelectProgramFile(false))
        return;
    if (gProgramFile.size() < 5)
        return;
    if (QFileInfo(findCaseInsensitive(ChangeFileExt(gProgramFile, QStringLiteral("err")))).isFile()) {
        frmViewResults* viewer = viewResults();
        viewer->DisplayResults(0);
        viewer->ShowMe();
    } else {
        msgBox(QStringLiteral("Error File Does Not Exist"), Buttons::Ok, Icon::Information, QStringLiteral("View Errors"));
    }
}

void frmMDIMain::mnuViewSearchResults_Click()
{
    frmViewResults* viewer = viewResults();
    viewer->DisplayResults(2);
    viewer->ShowMe();
}

void frmMDIMain::SpawnRequest(int Action, bool BypassOpen)
{
    bool canceled = false;
    SpawnRequest(Action, BypassOpen, false, canceled);
}

void frmMDIMain::setMonitorButtonEnabled(bool enabled)
{
    if (Toolbar1Buttons[13])
        Toolbar1Buttons[13]->setEnabled(enabled && procs.startOnlineMonitor);
}

void frmMDIMain::showSearchResultsEntry()
{
    mnuViewSearchResults->setVisible(true);
    Toolbar1Buttons[7]->setEnabled(true);
}

void frmMDIMain::showPrintResultsEntry(bool visible) { mnuFilePrintResults->setVisible(visible); }
