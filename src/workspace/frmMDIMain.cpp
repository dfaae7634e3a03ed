#include "workspace/frmMDIMain.h"

#include "workspace/frmMain.h"

#include "comm/RSComm.h"
#include "platform/Resources.h"
#include "platform/CommPort.h"
#include "platform/FileDialogs.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/PollingLoop.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/modReport.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QStorageInfo>
#include <QTimer>

frmMDIMain::frmMDIMain(std::unique_ptr<CommPort> port, QWidget* parent)
    : QMainWindow(parent), MSComm1(port ? std::move(port) : std::make_unique<SerialCommPort>())
{
    setWindowTitle(QStringLiteral("Corvanex"));
    ensureResources();
    resize(1024, 720);
    mdiArea = new QMdiArea(this);
    setCentralWidget(mdiArea);
    mdiArea->viewport()->installEventFilter(this);
    createMenus();
    createToolbar();
    createStatusBar();
    connectProgramFileProcedures();
    connectTransferProcedures();
    InstallReportModes();
    refreshCommandStates();
    tmrBackgroungUpdate = new QTimer(this);
    tmrBackgroungUpdate->setInterval(500);
    connect(tmrBackgroungUpdate, &QTimer::timeout, this, &frmMDIMain::tmrBackgroungUpdate_Timer);
    gMDIMain = this;
}

frmMDIMain::~frmMDIMain()
{
    // The child views' signals must not reach this window once only its base part is left.
    disconnect(mdiArea, nullptr, this, nullptr);
    if (gMDIMain == this)
        gMDIMain = nullptr;
    if (gRSComm == m_rsComm.get())
        gRSComm = nullptr;
    if (gCommObj == MSComm1.get())
        gCommObj = nullptr;
}

void frmMDIMain::MDIForm_Load()
{
    // 1. The help file.
    m_helpFile = installPath(QStringLiteral("Help/Corvanex.hlp"));
    // 2. Show the main window.
    show();
    // 3. The installation folder is current and the file dialogs start there.
    QDir::setCurrent(installationFolder());
    fileDialogs().setInitialFolder(QDir::currentPath());
    // 4. The shared objects, before anything that can fail.
    PollingLoop::setShuttingDown(false);
    gCommObj = MSComm1.get();
    m_rsComm = std::make_unique<RSComm>();
    gRSComm = m_rsComm.get();
    // 5. Scratch folder and drive.
    gFolder = QDir::currentPath();
    gDrive = QStorageInfo(gFolder).rootPath();
    // 6. The recent-programs list. A failure here is reported and start-up goes on, so the user
    // still gets a browser and a status poll.
    readRecentList();
    // 7. The program browser.
    showProgramBrowser();
    // 8. The status poll.
    tmrBackgroungUpdate->start();
    // 9. The splash window, modal.
    if (showSplash)
        showSplash();
    // 10. Pending events once.
    QApplication::processEvents();
}

void frmMDIMain::readRecentList()
{
    RecentListPath = installPath(QStringLiteral("support/KESTA.dat"));
    if (!QFileInfo::exists(RecentListPath))
        return;
    QString error;
    const auto data = readWholeFile(RecentListPath, &error);
    if (!data) {
        msgBox(errorText(75, error), Buttons::Ok, Icon::Critical, QStringLiteral("Corvanex"));
        return;
    }
    ItemReader reader(*data);
    for (int i = 0; i < 4 && !reader.atEnd(); ++i) {
        RecentFiles[i] = reader.readItem();
        if (RecentFiles[i].size() > 4) {
            showRecentEntry(i);
            if (i == 0) {
                const QString found = findCaseInsensitive(RecentFiles[0]);
                if (QFileInfo(found).isFile())
                    gProgramFile = found;
            }
        }
    }
}

void frmMDIMain::showRecentEntry(int index)
{
    mnuFileSep4->setVisible(true);
    mnuFileList[index]->setText(QStringLiteral("&") + QString::number(index + 1) + QLatin1Char(' ') +
                                RecentFiles[index]);
    mnuFileList[index]->setVisible(true);
}

bool frmMDIMain::MDIForm_QueryUnload()
{
    if (procs.statusTableQueryUnload && procs.statusTableQueryUnload())
        return true;
    gMDIQueryUnload = true;
    return false;
}

void frmMDIMain::MDIForm_Unload()
{
    if (!gMDIQueryUnload || m_unloaded)
        return;
    m_unloaded = true;
    // Every polling loop ends at its next yield, before the shared objects below go.
    PollingLoop::setShuttingDown(true);
    tmrBackgroungUpdate->stop();
    // Errors on the way out do not stop the next step.
    if (gRSComm)
        gRSComm->CloseRSComm();
    ItemWriter list;
    for (const QString& entry : RecentFiles)
        list.printLine(entry);
    if (!RecentListPath.isEmpty()) {
        QDir().mkpath(QFileInfo(RecentListPath).absolutePath());
        list.save(RecentListPath);
    }
    unloadProgramBrowser();
    gCommObj = nullptr;
    gRSComm = nullptr;
    gFolder.clear();
    gDrive.clear();
    m_rsComm.reset();
    QCoreApplication::quit();
}

void frmMDIMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded && MDIForm_QueryUnload()) {
        event->ignore();
        return;
    }
    MDIForm_Unload();
    event->accept();
}

void frmMDIMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

void frmMDIMain::MDIForm_Resize()
{
    resizeProgramBrowser();
}

void frmMDIMain::mnuFileExit_Click()
{
    if (m_unloaded || MDIForm_QueryUnload())
        return;
    MDIForm_Unload();
}

void frmMDIMain::mnuFileList_Click(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    const QString found = findCaseInsensitive(RecentFiles[Index]);
    bool canceled = false;
    if (QFileInfo(found).isFile()) {
        gProgramFile = found;
        SpawnRequest(0, true, false, canceled);
    } else {
        SpawnRequest(0, false, false, canceled);
    }
    if (m_browser)
        m_browser->RefreshFileList(gProgramFile);
}

void frmMDIMain::UpdateRecentFile()
{
    if (gProgramFile.compare(RecentFiles[0], Qt::CaseInsensitive) == 0)
        return;
    mnuFileSep4->setVisible(true);
    for (int i = 3; i >= 1; --i) {
        RecentFiles[i] = RecentFiles[i - 1];
        if (RecentFiles[i].size() > 4)
            showRecentEntry(i);
    }
    RecentFiles[0] = gProgramFile;
    showRecentEntry(0);
}

void frmMDIMain::showLinkState(bool online)
{
    sbrPanel2->setText(online ? QStringLiteral("ONLINE") : QStringLiteral("OFFLINE"));
    mnuViewOnline->setChecked(online);
    mnuViewOffline->setChecked(!online);
}

void frmMDIMain::showSystemMessage(const QString& message)
{
    sbrPanel1->setText(QStringLiteral("System Message:  ") + message);
}

