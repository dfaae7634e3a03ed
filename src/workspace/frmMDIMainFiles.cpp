// The main window's program browser and program file commands: choosing, deleting and renaming a
// program as a whole file set.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/FileDialogs.h"
#include "platform/FileListBoxes.h"
#include "platform/FileLookup.h"
#include "platform/Prompts.h"
#include "platform/ShortNames.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmEditDoc.h"
#include "workspace/frmMain.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
void reportFileAccessError(const QString& title, const QString& description)
{
    msgBox(errorText(75, QStringLiteral("Path/File access error") + CRLF + description), Buttons::Ok,
           Icon::Information, title);
}

// Keeps a child view's window when its close box is used: the view is hidden and reset instead,
// so that it is never deleted while one of its procedures may still be running.
// With no action the window refuses to close: the browser stays from start-up to shutdown.
class CloseToHide : public QObject {
public:
    CloseToHide(QObject* parent, std::function<void()> onClose) : QObject(parent), m_onClose(std::move(onClose)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            if (m_onClose) {
                static_cast<QWidget*>(watched)->hide();
                m_onClose();
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClose;
};

bool isCorvaneFile(const QString& path)
{
    const QFileInfo info(findCaseInsensitive(path));
    return info.isFile() && info.suffix().compare(QLatin1String("cvp"), Qt::CaseInsensitive) == 0;
}
} // namespace

// ---------------------------------------------------------------- child views

void frmMDIMain::connectProgramFileProcedures()
{
    procs.selectProgramFile = [this](bool BypassOpen) { return SelectProgramFile(BypassOpen); };
    procs.deleteProgramFiles = [this](bool BypassOpen) { DeleteProgramFiles(BypassOpen); };
    procs.renameProgramFiles = [this](bool BypassOpen) { RenameProgramFiles(BypassOpen); };
    procs.runGlobalSearch = [this](bool BypassOpen, bool BypassInputBox) { RunGlobalSearch(BypassOpen, BypassInputBox); };
    procs.startOnlineMonitor = [this](bool BypassOpen) { StartOnlineMonitor(BypassOpen); };
    procs.showCompileErrors = [this] { mnuViewCompileErrors_Click(); };
    procs.showSearchResults = [this] { mnuViewSearchResults_Click(); };
    procs.printResults = [this] { viewResults()->PrintResults(); };
    procs.showEditDoc = [this] {
        const QFileInfo program(gProgramFile);
        gVarDocStem = program.path() + QLatin1Char('/') + program.completeBaseName();
        frmEditDoc::showModal(this, gVarDocStem);
    };
}

void frmMDIMain::showProgramBrowser()
{
    if (m_browser)
        return;
    m_browser = new frmMain;
    m_browser->setObjectName(QStringLiteral("frmMain"));
    m_browserWindow = new QMdiSubWindow(mdiArea, Qt::FramelessWindowHint);
    m_browserWindow->setWidget(m_browser);
    m_browserWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    m_browserWindow->installEventFilter(new CloseToHide(m_browserWindow, nullptr));
    mdiArea->addSubWindow(m_browserWindow);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (m_viewResults && w != m_viewResultsWindow)
            m_viewResults->Form_Deactivate();
        if (w && w == m_browserWindow)
            m_browser->Form_Activate();
        else if (w && w == m_viewResultsWindow)
            m_viewResults->Form_Activate();
    });
    m_browserWindow->show();
    m_browser->Form_Load();
    mdiArea->setActiveSubWindow(m_browserWindow);
    m_browser->Form_Activate();
    m_browser->Form_Resize();
    // The commands that work on the browser's selection can run now.
    refreshCommandStates();
}

void frmMDIMain::unloadProgramBrowser()
{
    if (!m_browser)
        return;
    m_browser->gFormLoaded = false;
    mdiArea->removeSubWindow(m_browserWindow);
    delete m_browserWindow;
    m_browserWindow = nullptr;
    m_browser = nullptr;
}

void frmMDIMain::resizeProgramBrowser()
{
    if (m_browser && m_browser->gFormLoaded)
        m_browser->Form_Resize();
}

void frmMDIMain::showProgramInBrowser(const QString& program)
{
    if (!m_browser)
        return;
    m_browser->dirDirList_Change();
    m_browser->RefreshFileList(program);
}

frmViewResults* frmMDIMain::viewResults()
{
    if (!m_viewResults) {
        m_viewResults = new frmViewResults;
        m_viewResults->setObjectName(QStringLiteral("frmViewResults"));
        setChildView(ChildView::ViewResults, m_viewResults);
        m_viewResultsWindow = new QMdiSubWindow(mdiArea);
        m_viewResultsWindow->setWidget(m_viewResults);
        m_viewResultsWindow->setWindowTitle(m_viewResults->windowTitle());
        m_viewResultsWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        frmViewResults* viewer = m_viewResults;
        m_viewResultsWindow->installEventFilter(new CloseToHide(m_viewResultsWindow, [viewer] { viewer->Form_Unload(); }));
        mdiArea->addSubWindow(m_viewResultsWindow);
        m_viewResultsWindow->hide();
    }
    return m_viewResults;
}

// ---------------------------------------------------------------- choosing a program

bool frmMDIMain::SelectProgramFile(bool BypassOpen)
{
    // The browser's selection stands for the current program only when it names a program.
    if (BypassOpen && isCorvaneFile(gProgramFile)) {
        const QString candidate = findCaseInsensitive(gProgramFile);
        if (gRSComm)
            gRSComm->TargetboardType = GetTargetboardType(candidate);
        gProgramFile = candidate;
        return true;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("Corvane Files(*.cvp)|*.cvp|");
    request.filterIndex = 1;
    request.fileMustExist = true;
    const QString selected = GetSelectedFile();
    if (QFileInfo(selected).isFile()) {
        request.fileName = selected;
        request.initialFolder = QFileInfo(selected).absolutePath();
    } else {
        request.initialFolder = m_browser ? m_browser->folderPath() : QDir::currentPath();
    }
    QDir::setCurrent(request.initialFolder);
    const std::optional<QString> chosen = fileDialogs().openFile(request);
    QApplication::processEvents();
    if (!chosen)
        return false;
    if (gRSComm)
        gRSComm->TargetboardType = GetTargetboardType(*chosen);
    gProgramFile = *chosen;
    return true;
}

// ---------------------------------------------------------------- delete and rename

void frmMDIMain::DeleteProgramFiles(bool BypassOpen)
{
    const QString remembered = gProgramFile;
    if (!SelectProgramFile(BypassOpen))
        return;
    const QFileInfo program(QFileInfo(gProgramFile).absoluteFilePath());
    const QString folder = program.absolutePath();
    const QString base = fileBaseName(program.fileName());
    if (msgBox(QStringLiteral("Are you sure you want to delete Corvane Program '") + base + QStringLiteral("'?"),
               Buttons::YesNo, Icon::Question, QStringLiteral("Confrim File Delete")) != Answer::Yes) {
        gProgramFile = remembered;
        return;
    }
    const int index = m_browser ? m_browser->filFileList->listIndex() : -1;
    QString error;
    const QStringList failed = deleteProgramSet(folder, base, &error);
    if (m_browser) {
        m_browser->dirDirList_Change();
        FileListBox* list = m_browser->filFileList;
        if (list->listCount() > 0 && index >= 0)
            list->setListIndex(qMin(index, list->listCount() - 1));
    }
    gProgramFile = GetSelectedFile();
    if (!failed.isEmpty())
        reportFileAccessError(QStringLiteral("File Delete"), error);
}

void frmMDIMain::RenameProgramFiles(bool BypassOpen)
{
    if (!SelectProgramFile(BypassOpen))
        return;
    const std::optional<QString> answer =
        prompts().input(QStringLiteral("Please enter new program name."), QStringLiteral("Rename"), QString());
    if (!answer || answer->isEmpty())
        return;
    // The new name is a name only: a folder part, a drive or a wildcard is refused, not dropped.
    const qsizetype dot = answer->lastIndexOf(QLatin1Char('.'));
    const QString newBase = dot < 0 ? *answer : answer->left(dot);
    if (!isValidProgramBase(newBase)) {
        msgBox(invalidProgramName(*answer), Buttons::Ok, Icon::Information, QStringLiteral("File Rename"));
        return;
    }
    if (!fitsShortName(newBase))
        msgBox(QStringLiteral("Only 'Short' file names will be used.   "), Buttons::Ok, Icon::Information,
               QStringLiteral("File Rename"));
    const QFileInfo program(QFileInfo(gProgramFile).absoluteFilePath());
    const QString folder = program.absolutePath();
    const QString oldBase = fileBaseName(program.fileName());
    // Any file of that base name in the program's own folder would join the renamed set; only a
    // change of case of the program's own name is not a clash.
    const bool caseOnly = newBase.compare(oldBase, Qt::CaseInsensitive) == 0 && newBase != oldBase;
    if (!caseOnly && !programSetFiles(folder, newBase).isEmpty()) {
        msgBox(QStringLiteral("Can not rename to existing file.   "), Buttons::Ok, Icon::Information,
               QStringLiteral("File Rename"));
        return;
    }
    QStringList extensions;
    for (const QString& name : programSetFiles(folder, oldBase))
        extensions << fileExtension(name);
    const QString finalBase = shortBaseFor(folder, newBase, extensions);
    QString error;
    if (renameProgramSet(folder, oldBase, finalBase, &error)) {
        gProgramFile = findCaseInsensitive(joinPath(folder, finalBase + QStringLiteral(".cvp")));
    } else {
        reportFileAccessError(QStringLiteral("File Rename"), error);
    }
    showProgramInBrowser(gProgramFile);
}

// ---------------------------------------------------------------- menu commands

void frmMDIMain::mnuFileOpen_Click()
{
    bool canceled = false;
    SpawnRequest(0, false, false, canceled);
    if (m_browser)
        m_browser->RefreshFileList(gProgramFile);
}

void frmMDIMain::mnuFileDelete_Click() { DeleteProgramFiles(false); }

void frmMDIMain::mnuFileRename_Click() { RenameProgramFiles(false); }

void frmMDIMain::mnuFileCompile_Click()
{
    bool canceled = false;
    SpawnRequest(3, false, false, canceled);
}
