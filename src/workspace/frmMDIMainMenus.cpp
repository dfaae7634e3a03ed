// The main window's menus, toolbar, popups and the commands behind them.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "workspace/frmSetupComm.h"
#include "platform/FileDialogs.h"
#include "platform/Prompts.h"
#include "platform/ToolLauncher.h"
#include "workspace/frmAbout.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {
QAction* addEntry(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

// As the old copy did: the clipboard is cleared, then given the text.
void copyToClipboard(const QString& text)
{
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setText(text);
}

QIcon toolIcon(const char* name) { return QIcon(QStringLiteral(":/toolbar/") + QString::fromLatin1(name) + ".svg"); }
} // namespace


void frmMDIMain::createMenus()
{
    createFileMenu();

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEditCopy = addEntry(mnuEdit, "mnuEditCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditSep1 = mnuEdit->addSeparator();
    mnuEditCopy->setVisible(false);
    mnuEditSep1->setVisible(false);
    mnuEditSysConfig = addEntry(mnuEdit, "mnuEditSysConfig", QStringLiteral("&System Configuration"));
    mnuEditVarDoc = addEntry(mnuEdit, "mnuEditVarDoc", QStringLiteral("&Variable Documentation"));
    mnuEditVarDoc->setVisible(false); // and nothing shows it
    mnuEdit->addSeparator();
    mnuEditCommPort = addEntry(mnuEdit, "mnuEditCommPort", QStringLiteral("Co&mm Port"));
    connect(mnuEditCopy, &QAction::triggered, this, &frmMDIMain::mnuEditCopy_Click);
    connect(mnuEditSysConfig, &QAction::triggered, this, &frmMDIMain::mnuEditSysConfig_Click);
    connect(mnuEditVarDoc, &QAction::triggered, this, &frmMDIMain::mnuEditVarDoc_Click);
    connect(mnuEditCommPort, &QAction::triggered, this, &frmMDIMain::mnuEditCommPort_Click);

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewOnline = addEntry(mnuView, "mnuViewOnline", QStringLiteral("O&nline Data"), QKeySequence(Qt::Key_F3));
    mnuViewOffline = addEntry(mnuView, "mnuViewOffline", QStringLiteral("O&ffline Data"), QKeySequence(Qt::Key_F4));
    mnuViewOnline->setCheckable(true);
    mnuViewOffline->setCheckable(true);
    mnuViewOffline->setChecked(true);
    mnuView->addSeparator();
    mnuViewTargetBoardStatus = addEntry(mnuView, "mnuViewTargetBoardStatus", QStringLiteral("Target &Board Interface"),
                                        QKeySequence(Qt::Key_F5));
    mnuView->addSeparator();
    mnuViewCompileErrors = addEntry(mnuView, "mnuViewCompileErrors", QStringLiteral("&Compile Errors"));
    mnuViewSearchResults = addEntry(mnuView, "mnuViewSearchResults", QStringLiteral("Search &Results"));
    mnuViewSearchResults->setVisible(false);
    // A checkable action toggles itself when chosen; the checks follow the link state only.
    connect(mnuViewOnline, &QAction::triggered, this, &frmMDIMain::mnuViewOnline_Click);
    connect(mnuViewOffline, &QAction::triggered, this, &frmMDIMain::mnuViewOffline_Click);
    connect(mnuViewTargetBoardStatus, &QAction::triggered, this, &frmMDIMain::mnuViewTargetBoardStatus_Click);
    connect(mnuViewCompileErrors, &QAction::triggered, this, [this] { procs.showCompileErrors(); });
    connect(mnuViewSearchResults, &QAction::triggered, this, [this] { procs.showSearchResults(); });

    mnuStatusTable = new QMenu(QStringLiteral("&Status Table"), this);
    mnuStatusTable->setObjectName(QStringLiteral("mnuStatusTable"));
    const char* items[] = {"&Copy", nullptr, "&Find", nullptr, "Se&lect Program", nullptr,
                           "&Open Status Table", "&New Status Table", nullptr, "&Save Status Table",
                           "Save Status Table &As..."};
    for (int i = 0; i < 11; ++i) {
        mnuStatusTableItem[i] = items[i] ? mnuStatusTable->addAction(QString::fromLatin1(items[i]))
                                         : mnuStatusTable->addSeparator();
        if (items[i])
            connect(mnuStatusTableItem[i], &QAction::triggered, this, [this, i] { mnuStatusTableItem_Click(i); });
    }
    mnuStatusTableItem[0]->setVisible(false);
    mnuStatusTableItem[1]->setVisible(false);
    menuBar()->addMenu(mnuStatusTable)->setVisible(false);

    mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuToolsSearch = addEntry(mnuTools, "mnuToolsSearch", QStringLiteral("&Search"), QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuTools->addSeparator();
    mnuToolsStatusTable =
        addEntry(mnuTools, "mnuToolsStatusTable", QStringLiteral("Status &Table"), QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuToolsOnlineMon = addEntry(mnuTools, "mnuToolsOnlineMon", QStringLiteral("&Monitor Program Online"),
                                 QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuToolsTrending =
        addEntry(mnuTools, "mnuToolsTrending", QStringLiteral("T&rend Data"), QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuToolsPLSProgramming = addEntry(mnuTools, "mnuToolsPLSProgramming", QStringLiteral("&PLS Programming"),
                                      QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(mnuToolsSearch, &QAction::triggered, this, [this] { procs.runGlobalSearch(false, false); });
    connect(mnuToolsStatusTable, &QAction::triggered, this, &frmMDIMain::mnuToolsStatusTable_Click);
    connect(mnuToolsOnlineMon, &QAction::triggered, this, &frmMDIMain::mnuToolsOnlineMon_Click);
    connect(mnuToolsTrending, &QAction::triggered, this, [this] { procs.showTrending(); });
    connect(mnuToolsPLSProgramming, &QAction::triggered, this, [this] { procs.showTiming(); });

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpTopics =
        addEntry(mnuHelp, "mnuHelpTopics", QStringLiteral("Help &Topics"), QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuHelp->addSeparator();
    mnuHelpAbout = addEntry(mnuHelp, "mnuHelpAbout", QStringLiteral("&About Corvanex..."));
    connect(mnuHelpTopics, &QAction::triggered, this, &frmMDIMain::mnuHelpTopics_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMDIMain::mnuHelpAbout_Click);

    createPopups();
}

void frmMDIMain::createFileMenu()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileNew = addEntry(mnuFile, "mnuFileNew", QStringLiteral("&New Corvane Program"), QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen =
        addEntry(mnuFile, "mnuFileOpen", QStringLiteral("&Open Corvane Program..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileSaveAs = addEntry(mnuFile, "mnuFileSaveAs", QStringLiteral("Save Corvane Program &As..."));
    mnuFile->addSeparator();
    mnuFileDelete = addEntry(mnuFile, "mnuFileDelete", QStringLiteral("&Delete Corvane Program"));
    mnuFileRename = addEntry(mnuFile, "mnuFileRename", QStringLiteral("R&ename Corvane Program"));
    mnuFile->addSeparator();
    mnuFileCompile = addEntry(mnuFile, "mnuFileCompile", QStringLiteral("&Compile Program"));
    mnuFile->addSeparator();
    mnuFileDownloadProgram = addEntry(mnuFile, "mnuFileDownloadProgram", QStringLiteral("Download PLC P&rogram"));
    mnuFileDownloadData = addEntry(mnuFile, "mnuFileDownloadData", QStringLiteral("Download Targetboard Da&ta"));
    mnuFileDownloadFile = addEntry(mnuFile, "mnuFileDownloadFile", QStringLiteral("Download Data&file"));
    mnuFileDownloadToPLS = addEntry(mnuFile, "mnuFileDownloadToPLS", QStringLiteral("Download to P&LS"));
    mnuFile->addSeparator();
    mnuFileUploadData = addEntry(mnuFile, "mnuFileUploadData", QStringLiteral("&Upload Targetboard Data"));
    mnuFileUploadProgram = addEntry(mnuFile, "mnuFileUploadProgram", QStringLiteral("Upload PLC/PLS Pro&gram"));
    mnuFileUploadFromPLS = addEntry(mnuFile, "mnuFileUploadFromPLS", QStringLiteral("Upload from PL&S"));
    mnuFile->addSeparator();
    mnuFilePrintStatusTable = addEntry(mnuFile, "mnuFilePrintStatusTable", QStringLiteral("Print Status Table"));
    mnuFilePrintResults = addEntry(mnuFile, "mnuFilePrintResults", QStringLiteral("Print Results"));
    mnuFilePrintTrendData = addEntry(mnuFile, "mnuFilePrintTrendData", QStringLiteral("Print Trending Data"));
    mnuFilePrintStatusTable->setVisible(false);
    mnuFilePrintResults->setVisible(false);
    mnuFilePrintTrendData->setVisible(false);
    mnuFilePrintProgram =
        addEntry(mnuFile, "mnuFilePrintProgram", QStringLiteral("&Print Program"), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuFileSep4 = mnuFile->addSeparator();
    mnuFileSep4->setVisible(false);
    for (int i = 0; i < 4; ++i) {
        mnuFileList[i] = mnuFile->addAction(QString());
        mnuFileList[i]->setVisible(false);
        connect(mnuFileList[i], &QAction::triggered, this, [this, i] { mnuFileList_Click(i); });
    }
    mnuFile->addSeparator();
    mnuFileExit = addEntry(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));
    connect(mnuFileExit, &QAction::triggered, this, &frmMDIMain::mnuFileExit_Click);

    connect(mnuFileNew, &QAction::triggered, this, &frmMDIMain::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmMDIMain::mnuFileOpen_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmMDIMain::mnuFileSaveAs_Click);
    connect(mnuFileDelete, &QAction::triggered, this, &frmMDIMain::mnuFileDelete_Click);
    connect(mnuFileRename, &QAction::triggered, this, &frmMDIMain::mnuFileRename_Click);
    connect(mnuFileCompile, &QAction::triggered, this, &frmMDIMain::mnuFileCompile_Click);
    connect(mnuFileDownloadProgram, &QAction::triggered, this, &frmMDIMain::mnuFileDownloadProgram_Click);
    connect(mnuFileDownloadData, &QAction::triggered, this, [this] { procs.transferDataFile(1, false); });
    connect(mnuFileDownloadFile, &QAction::triggered, this, [this] { procs.downloadDatafile(); });
    connect(mnuFileDownloadToPLS, &QAction::triggered, this, &frmMDIMain::mnuFileDownloadToPLS_Click);
    connect(mnuFileUploadData, &QAction::triggered, this, [this] { procs.transferDataFile(2, false); });
    connect(mnuFileUploadProgram, &QAction::triggered, this, &frmMDIMain::mnuFileUploadProgram_Click);
    connect(mnuFileUploadFromPLS, &QAction::triggered, this, &frmMDIMain::mnuFileUploadFromPLS_Click);
    connect(mnuFilePrintStatusTable, &QAction::triggered, this, [this] { procs.printStatusTable(); });
    connect(mnuFilePrintResults, &QAction::triggered, this, [this] { procs.printResults(); });
    connect(mnuFilePrintTrendData, &QAction::triggered, this, [this] { procs.printTrendData(); });
    connect(mnuFilePrintProgram, &QAction::triggered, this, [this] { SpawnRequest(4, false); });
}

void frmMDIMain::createPopups()
{
    mnuTrendingPopup = new QMenu(QStringLiteral("Trending Popup"), this);
    mnuTrendingPopupOpen = addEntry(mnuTrendingPopup, "mnuTrendingPopupOpen", QStringLiteral("&Open Trend Sample"));
    mnuTrendingPopupSave = addEntry(mnuTrendingPopup, "mnuTrendingPopupSave", QStringLiteral("S&ave Trend Sample"));
    mnuTrendingPopup->addSeparator();
    mnuTrendingPopupCopy = addEntry(mnuTrendingPopup, "mnuTrendingPopupCopy", QStringLiteral("&Copy      Ctrl+C"));
    mnuTrendingPopup->addSeparator();
    mnuTrendingPopupPrint = addEntry(mnuTrendingPopup, "mnuTrendingPopupPrint", QStringLiteral("&Print Trend Data"));
    connect(mnuTrendingPopupOpen, &QAction::triggered, this, [this] { procs.openTrendData(); });
    connect(mnuTrendingPopupSave, &QAction::triggered, this, [this] { procs.saveTendData(); });
    connect(mnuTrendingPopupCopy, &QAction::triggered, this, [this] { copyToClipboard(procs.trendClip()); });
    connect(mnuTrendingPopupPrint, &QAction::triggered, this, [this] { procs.printTrendData(); });

    mnuFileListPopup = new QMenu(QStringLiteral("File List Popup"), this);
    QMenu* p = mnuFileListPopup;
    mnuFileListPopupOpen = addEntry(p, "mnuFileListPopupOpen", QStringLiteral("Open"));
    mnuFileListPopupSaveAs = addEntry(p, "mnuFileListPopupSaveAs", QStringLiteral("Save As..."));
    mnuFileListPopupCompile = addEntry(p, "mnuFileListPopupCompile", QStringLiteral("Compile"));
    p->addSeparator();
    mnuFileListPopupSearch = addEntry(p, "mnuFileListPopupSearch", QStringLiteral("Search"));
    p->addSeparator();
    mnuFileListPopupDownloadProg = addEntry(p, "mnuFileListPopupDownloadProg", QStringLiteral("Download Program"));
    mnuFileListPopupDownloadToPLS = addEntry(p, "mnuFileListPopupDownloadToPLS", QStringLiteral("Download to PLS"));
    mnuFileListPopupUploadFromPLS = addEntry(p, "mnuFileListPopupUploadFromPLS", QStringLiteral("Upload From PLS"));
    p->addSeparator();
    mnuFileListPopupDelete = addEntry(p, "mnuFileListPopupDelete", QStringLiteral("Delete"));
    mnuFileListPopupRename = addEntry(p, "mnuFileListPopupRename", QStringLiteral("Rename"));
    p->addSeparator();
    mnuFileListPopupPrint = addEntry(p, "mnuFileListPopupPrint", QStringLiteral("Print"));
    connect(mnuFileListPopupOpen, &QAction::triggered, this, [this] { SpawnRequest(0, true); });
    connect(mnuFileListPopupSaveAs, &QAction::triggered, this, [this] { procs.copyProgram(); });
    connect(mnuFileListPopupCompile, &QAction::triggered, this, [this] { SpawnRequest(3, true); });
    connect(mnuFileListPopupSearch, &QAction::triggered, this, [this] { procs.runGlobalSearch(true, false); });
    connect(mnuFileListPopupDownloadProg, &QAction::triggered, this, [this] { procs.downloadProgramToBoard(true); });
    connect(mnuFileListPopupDownloadToPLS, &QAction::triggered, this, &frmMDIMain::mnuFileListPopupDownloadToPLS_Click);
    connect(mnuFileListPopupUploadFromPLS, &QAction::triggered, this, &frmMDIMain::mnuFileListPopupUploadFromPLS_Click);
    connect(mnuFileListPopupDelete, &QAction::triggered, this, [this] { procs.deleteProgramFiles(true); });
    connect(mnuFileListPopupRename, &QAction::triggered, this, [this] { procs.renameProgramFiles(true); });
    connect(mnuFileListPopupPrint, &QAction::triggered, this, [this] { SpawnRequest(4, true); });
}

void frmMDIMain::createToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(24, 24));
    struct Button {
        int index;
        const char* label;
        const char* tip;
        const char* icon;
    };
    const Button buttons[] = {
        {2, "New", "Create New PLC/PLS Program", "new"},
        {3, "Open", "Open Existing PLC/PLS Program", "open"},
        {4, "Print", "Print", "print"},
        {6, "Search", "Search PLC Program", "search"},
        {7, "View", "View Results", "view"},
        {9, "Program", "Download Program to PLC/PLS", "program"},
        {10, "Upload", "Upload Data from PLC/PLS", "upload"},
        {11, "Download", "Download Data to PLC/PLS", "download"},
        {13, "Monitor", "Monitor Program Online", "monitor"},
        {14, "Status", "Status Table", "status"},
        {15, "Trend", "Trend Data", "trend"},
        {16, "PLS", "PLS Programming", "pls"},
        {18, "PLC", "Target Board Interface", "plc"},
    };
    int next = 1;
    for (const Button& b : buttons) {
        for (; next < b.index; ++next)
            Toolbar1->addSeparator();
        QAction* a = Toolbar1->addAction(toolIcon(b.icon), QString::fromLatin1(b.label));
        a->setToolTip(QString::fromLatin1(b.tip));
        const int index = b.index;
        connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        Toolbar1Buttons[index] = a;
        next = index + 1;
    }
    // View Results is enabled by the search when its result arrives.
    Toolbar1Buttons[7]->setEnabled(false);
}

// Sets `gProgramFile` to the browser's selection, as the toolbar buttons that work on it do.
void frmMDIMain::selectionFirst() { gProgramFile = GetSelectedFile(); }

bool frmMDIMain::selectionIsLimitSwitch() const { return isLimitSwitchBoard(GetTargetboardType(gProgramFile)); }

void frmMDIMain::refreshCommandStates()
{
    const Procedures& p = procs;
    // The tools are started by this window itself: their commands are always there.
    const bool spawn = true;
    const bool browser = static_cast<bool>(gBrowserSelectedFile);
    auto set = [](QAction* a, bool on) { a->setEnabled(on); };
    set(mnuFileNew, bool(p.newProgram));
    set(mnuFileOpen, spawn);
    set(mnuFileSaveAs, bool(p.copyProgram));
    set(mnuFileDelete, bool(p.deleteProgramFiles));
    set(mnuFileRename, bool(p.renameProgramFiles));
    set(mnuFileCompile, spawn);
    set(mnuFileDownloadProgram, bool(p.downloadProgramToBoard));
    set(mnuFileDownloadData, bool(p.transferDataFile));
    set(mnuFileDownloadFile, bool(p.downloadDatafile));
    set(mnuFileDownloadToPLS, bool(p.plsDownloadOpen));
    set(mnuFileUploadData, bool(p.transferDataFile));
    set(mnuFileUploadProgram, bool(p.uploadProgram));
    set(mnuFileUploadFromPLS, bool(p.plsUploadOpen));
    set(mnuFilePrintStatusTable, bool(p.printStatusTable));
    set(mnuFilePrintResults, bool(p.printResults));
    set(mnuFilePrintTrendData, bool(p.printTrendData));
    set(mnuFilePrintProgram, spawn);
    for (QAction* a : mnuFileList)
        set(a, spawn);
    set(mnuEditSysConfig, spawn);
    set(mnuEditVarDoc, bool(p.selectProgramFile) && bool(p.showEditDoc));
    set(mnuViewTargetBoardStatus, bool(p.targetBoardInitializeForm));
    set(mnuViewCompileErrors, bool(p.showCompileErrors));
    set(mnuViewSearchResults, bool(p.showSearchResults));
    set(mnuStatusTableItem[0], bool(p.statusTableCopyClip));
    set(mnuStatusTableItem[2], bool(p.runGlobalSearch));
    set(mnuStatusTableItem[4], bool(p.selectStatusTableProgram));
    set(mnuStatusTableItem[6], bool(p.openStatusTable));
    set(mnuStatusTableItem[7], bool(p.newStatusTable));
    set(mnuStatusTableItem[9], bool(p.saveStatusTable));
    set(mnuStatusTableItem[10], bool(p.saveStatusTableAs));
    set(mnuToolsSearch, bool(p.runGlobalSearch));
    set(mnuToolsStatusTable, bool(p.showStatusTable));
    set(mnuToolsOnlineMon, bool(p.startOnlineMonitor));
    set(mnuToolsTrending, bool(p.showTrending));
    set(mnuToolsPLSProgramming, bool(p.showTiming));
    set(mnuTrendingPopupOpen, bool(p.openTrendData));
    set(mnuTrendingPopupSave, bool(p.saveTendData));
    set(mnuTrendingPopupCopy, bool(p.trendClip));
    set(mnuTrendingPopupPrint, bool(p.printTrendData));

    QAction** t = Toolbar1Buttons.data();
    set(t[2], bool(p.newProgram));
    set(t[3], spawn);
    set(t[4], spawn && browser);
    set(t[6], bool(p.runGlobalSearch) && browser);
    if (!p.showSearchResults)
        set(t[7], false);
    // A limit-switch selection without its own download gets the program download's own refusal.
    set(t[9], bool(p.downloadProgramToBoard) && browser);
    set(t[10], bool(p.plsUpload) && bool(p.transferDataFile) && browser);
    set(t[11], bool(p.plsDownload) && bool(p.transferDataFile) && browser);
    // The monitor tool is not for limit switches: the button follows the browser's selection.
    set(t[13], bool(p.startOnlineMonitor) && browser && !isLimitSwitchBoard(GetTargetboardType(GetSelectedFile())));
    set(t[14], bool(p.showStatusTable));
    set(t[15], bool(p.showTrending));
    set(t[16], bool(p.showTiming));
    set(t[18], bool(p.targetBoardInitializeForm) && browser);
}

void frmMDIMain::mnuFileListPopup_Click()
{
    gProgramFile = GetSelectedFile();
    const bool pls = selectionIsLimitSwitch();
    const bool spawn = true;
    mnuFileListPopupOpen->setEnabled(spawn);
    mnuFileListPopupSaveAs->setEnabled(bool(procs.copyProgram));
    mnuFileListPopupCompile->setEnabled(!pls && spawn);
    mnuFileListPopupSearch->setEnabled(!pls && bool(procs.runGlobalSearch));
    mnuFileListPopupDownloadProg->setEnabled(!pls && bool(procs.downloadProgramToBoard));
    mnuFileListPopupDownloadToPLS->setEnabled(pls && bool(procs.plsDownload));
    mnuFileListPopupUploadFromPLS->setEnabled(pls && bool(procs.plsUpload));
    mnuFileListPopupDelete->setEnabled(bool(procs.deleteProgramFiles));
    mnuFileListPopupRename->setEnabled(bool(procs.renameProgramFiles));
    mnuFileListPopupPrint->setEnabled(spawn);
}

void frmMDIMain::popupFileList(const QPoint& globalPos)
{
    mnuFileListPopup_Click();
    mnuFileListPopup->exec(globalPos);
}

void frmMDIMain::popupTrending(const QPoint& globalPos) { mnuTrendingPopup->exec(globalPos); }

void frmMDIMain::Toolbar1_ButtonClick(int Index)
{
    if (Index < 1 || Index >= static_cast<int>(Toolbar1Buttons.size()) || !Toolbar1Buttons[Index] ||
        !Toolbar1Buttons[Index]->isEnabled())
        return;
    switch (Index) {
    case 2:
        procs.newProgram();
        break;
    case 3:
        SpawnRequest(0, true);
        break;
    case 4:
        selectionFirst();
        // The view gActiveChild names prints only while it is open; a closed view leaves the
        // browser's print tool, as with the browser active.
        if (gActiveChild == 1 && childVisible(ChildView::StatusTable) && procs.printStatusTable)
            procs.printStatusTable();
        else if (gActiveChild == 2 && childVisible(ChildView::ViewResults) && procs.printResults)
            procs.printResults();
        else if (gActiveChild == 3 && childVisible(ChildView::Trending) && procs.printTrendData)
            procs.printTrendData();
        else
            SpawnRequest(4, true);
        break;
    case 6:
        selectionFirst();
        procs.runGlobalSearch(true, false);
        break;
    case 7:
        if (procs.showSearchResults)
            procs.showSearchResults();
        break;
    case 9:
        selectionFirst();
        if (selectionIsLimitSwitch() && procs.plsDownload)
            procs.plsDownload();
        else
            procs.downloadProgramToBoard(true);
        break;
    case 10:
        selectionFirst();
        if (selectionIsLimitSwitch()) {
            if (gRSComm)
                gRSComm->InUploadMode(true);
            procs.plsUpload();
        } else {
            procs.transferDataFile(2, true);
        }
        break;
    case 11:
        selectionFirst();
        if (selectionIsLimitSwitch())
            procs.plsDownload();
        else
            procs.transferDataFile(1, true);
        break;
    case 13:
        selectionFirst();
        procs.startOnlineMonitor(true);
        break;
    case 14:
        mnuToolsStatusTable_Click();
        break;
    case 15:
        procs.showTrending();
        break;
    case 16:
        procs.showTiming();
        break;
    case 18:
        selectionFirst();
        ShowTargetBoardStatus(true);
        break;
    default:
        break;
    }
}

void frmMDIMain::mnuToolsStatusTable_Click()
{
    if (procs.showStatusTable)
        procs.showStatusTable();
}

void frmMDIMain::mnuToolsOnlineMon_Click()
{
    if (procs.startOnlineMonitor)
        procs.startOnlineMonitor(false);
}

void frmMDIMain::mnuViewTargetBoardStatus_Click() { ShowTargetBoardStatus(false); }

void frmMDIMain::ShowTargetBoardStatus(bool BypassOpen)
{
    if (!procs.targetBoardInitializeForm)
        return;
    // The interface opens on the current program also when the open dialog was cancelled.
    if (procs.selectProgramFile)
        procs.selectProgramFile(BypassOpen);
    procs.targetBoardInitializeForm(gProgramFile);
}

void frmMDIMain::mnuEditCopy_Click()
{
    if (childVisible(ChildView::StatusTable)) {
        if (procs.statusTableCopyClip)
            procs.statusTableCopyClip();
    } else if (childVisible(ChildView::Trending) && procs.trendClip) {
        copyToClipboard(procs.trendClip());
    }
}

void frmMDIMain::mnuEditSysConfig_Click()
{
    SpawnRequest(2, false);
    // The tool may have written the configuration file of the browser's program: its tree is
    // built again on the browser's own selection, whichever program the dialog chose.
    if (m_browser)
        m_browser->RefreshFileList(GetSelectedFile());
}

void frmMDIMain::mnuEditVarDoc_Click()
{
    if (!procs.selectProgramFile || !procs.showEditDoc)
        return;
    if (!procs.selectProgramFile(false))
        return;
    if (selectionIsLimitSwitch()) {
        msgBox(QStringLiteral("Select FILE - OPEN to Edit PLS Documentation."), Buttons::Ok, Icon::Information,
               QStringLiteral("PLS Target Board"));
        return;
    }
    procs.showEditDoc();
}

void frmMDIMain::mnuEditCommPort_Click() { frmSetupComm::showModal(this); }

void frmMDIMain::mnuHelpTopics_Click()
{
    // No help viewer of its own: the help file opens in the desktop's viewer for it.
    if (!QFileInfo::exists(m_helpFile)) {
        msgBox(QStringLiteral("Help file not found:") + CR + m_helpFile, Buttons::Ok, Icon::Information,
               QStringLiteral("Help Topics"));
        return;
    }
    toolLauncher().openDocument(m_helpFile);
}

void frmMDIMain::mnuHelpAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout(this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        m_about->Form_Load();
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMDIMain::mnuStatusTableItem_Click(int Index)
{
    // Copy and its separator belong to the status table's right-click popup only.
    mnuStatusTableItem[0]->setVisible(false);
    mnuStatusTableItem[1]->setVisible(false);
    const Procedures& p = procs;
    auto run = [](const std::function<void()>& f) {
        if (f)
            f();
    };
    switch (Index) {
    case 0:
        run(p.statusTableCopyClip);
        break;
    case 2:
        statusTableFind();
        break;
    case 4:
        run(p.selectStatusTableProgram);
        break;
    case 6:
        run(p.openStatusTable);
        break;
    case 7:
        run(p.newStatusTable);
        break;
    case 9:
        run(p.saveStatusTable);
        break;
    case 10:
        run(p.saveStatusTableAs);
        break;
    default:
        break;
    }
}

// Searches the program attached to the status table for the variable of its current row.
void frmMDIMain::statusTableFind()
{
    if (!procs.runGlobalSearch)
        return;
    const QString remembered = gProgramFile;
    bool bypassOpen = false;
    bool bypassInputBox = false;
    if (childVisible(ChildView::StatusTable)) {
        const QString cvp = procs.statusTableCvpFile ? procs.statusTableCvpFile() : QString();
        if (!cvp.isEmpty() && QFileInfo(cvp).isFile()) {
            gProgramFile = cvp;
            bypassOpen = true;
        }
        const QString address = procs.statusTableCurrentAddress ? procs.statusTableCurrentAddress() : QString();
        bypassInputBox = address.size() >= 2;
    }
    procs.runGlobalSearch(bypassOpen, bypassInputBox);
    gProgramFile = remembered;
}
