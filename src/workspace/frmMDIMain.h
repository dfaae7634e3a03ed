#pragma once
#include "platform/CommPort.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class CommPort;
class RSComm;
class frmMain;
class frmViewResults;
class QMdiSubWindow;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;
class frmAbout;

// The main window: the first and only object started. It owns the serial-port control and the
// communication object from its load to its unload, holds the recent-programs list, and is the
// frame of every child view. Its menus, toolbar and popups reach every command; its 500 ms status
// poll keeps the link state and board faults in the status bar.
class frmMDIMain : public QMainWindow {
    Q_OBJECT
public:
    // `port` stands in for the serial-port control (tests pass a simulated board); nullptr gives
    // the real serial port.
    explicit frmMDIMain(std::unique_ptr<CommPort> port = nullptr, QWidget* parent = nullptr);
    ~frmMDIMain() override;

    // Start-up, in its ten steps.
    void MDIForm_Load();
    // Sets gMDIQueryUnload unless a child view keeps the program running (its unsaved work
    // kept by Cancel); true in that case.
    bool MDIForm_QueryUnload();
    // Shutdown; does nothing unless gMDIQueryUnload is set.
    void MDIForm_Unload();
    void MDIForm_Resize();
    void mnuFileList_Click(int Index);
    void mnuFileExit_Click();
    void UpdateRecentFile();

    // The status bar's mode panel and the View menu's checks follow the link state.
    void showLinkState(bool online);
    // Panel 1: "System Message:  " and the message.
    void showSystemMessage(const QString& message);

    // --- going on-line and off-line
    void mnuViewOnline_Click();
    void mnuViewOffline_Click();
    // A click on a status-bar panel (1 to 4); panel 2 toggles the link.
    void sbrMain_PanelClick(int panel);

    // --- the status poll, one tick
    void tmrBackgroungUpdate_Timer();

    // --- commands of this window
    void mnuEditCopy_Click();
    void mnuEditCommPort_Click();
    void mnuEditVarDoc_Click();
    void mnuEditSysConfig_Click();
    void mnuHelpTopics_Click();
    void mnuHelpAbout_Click();
    void mnuViewTargetBoardStatus_Click();
    void mnuToolsStatusTable_Click();
    void mnuToolsOnlineMon_Click();
    void mnuStatusTableItem_Click(int Index);
    void Toolbar1_ButtonClick(int Index);
    // The program-list popup is about to open: it takes the browser's selection as the current
    // program and sets its board-dependent entries.
    void mnuFileListPopup_Click();
    // Pops the program-list popup up at a screen position (the program browser's right click).
    void popupFileList(const QPoint& globalPos);
    void popupTrending(const QPoint& globalPos);

    // Enables every entry whose procedure is there; windows that set a procedure below call it.
    void refreshCommandStates();

    bool gMDIQueryUnload = false;
    std::array<QString, 4> RecentFiles;
    QString RecentListPath;
    QString helpFile() const { return m_helpFile; }

    // Child views the status poll and the shared commands look at. Each view registers itself when
    // it is made; an unregistered or hidden view counts as not open. The view's objectName is its
    // class name ("frmStatusTable"), which the poll tests for the active child.
    enum class ChildView { TargetBoard, StatusTable, Timing, Trending, ViewResults };
    void setChildView(ChildView which, QWidget* view);
    bool childVisible(ChildView which) const;
    // Name of the view in the active child window; empty when there is none.
    QString activeChildName() const;

    // Controls other windows and tests reach.
    QMdiArea* mdiArea = nullptr;
    QTimer* tmrBackgroungUpdate = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuStatusTable = nullptr;
    QMenu* mnuTools = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuTrendingPopup = nullptr;
    QMenu* mnuFileListPopup = nullptr;

    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileDelete = nullptr;
    QAction* mnuFileRename = nullptr;
    QAction* mnuFileCompile = nullptr;
    QAction* mnuFileDownloadProgram = nullptr;
    QAction* mnuFileDownloadData = nullptr;
    QAction* mnuFileDownloadFile = nullptr;
    QAction* mnuFileDownloadToPLS = nullptr;
    QAction* mnuFileUploadData = nullptr;
    QAction* mnuFileUploadProgram = nullptr;
    QAction* mnuFileUploadFromPLS = nullptr;
    QAction* mnuFilePrintStatusTable = nullptr;
    QAction* mnuFilePrintResults = nullptr;
    QAction* mnuFilePrintTrendData = nullptr;
    QAction* mnuFilePrintProgram = nullptr;
    QAction* mnuFileSep4 = nullptr;
    std::array<QAction*, 4> mnuFileList{};
    QAction* mnuFileExit = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditSep1 = nullptr;
    QAction* mnuEditSysConfig = nullptr;
    QAction* mnuEditVarDoc = nullptr;
    QAction* mnuEditCommPort = nullptr;
    QAction* mnuViewOnline = nullptr;
    QAction* mnuViewOffline = nullptr;
    QAction* mnuViewTargetBoardStatus = nullptr;
    QAction* mnuViewCompileErrors = nullptr;
    QAction* mnuViewSearchResults = nullptr;
    std::array<QAction*, 11> mnuStatusTableItem{};
    QAction* mnuToolsSearch = nullptr;
    QAction* mnuToolsStatusTable = nullptr;
    QAction* mnuToolsOnlineMon = nullptr;
    QAction* mnuToolsTrending = nullptr;
    QAction* mnuToolsPLSProgramming = nullptr;
    QAction* mnuHelpTopics = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QAction* mnuTrendingPopupOpen = nullptr;
    QAction* mnuTrendingPopupSave = nullptr;
    QAction* mnuTrendingPopupCopy = nullptr;
    QAction* mnuTrendingPopupPrint = nullptr;
    QAction* mnuFileListPopupOpen = nullptr;
    QAction* mnuFileListPopupSaveAs = nullptr;
    QAction* mnuFileListPopupCompile = nullptr;
    QAction* mnuFileListPopupSearch = nullptr;
    QAction* mnuFileListPopupDownloadProg = nullptr;
    QAction* mnuFileListPopupDownloadToPLS = nullptr;
    QAction* mnuFileListPopupUploadFromPLS = nullptr;
    QAction* mnuFileListPopupDelete = nullptr;
    QAction* mnuFileListPopupRename = nullptr;
    QAction* mnuFileListPopupPrint = nullptr;

    QToolBar* Toolbar1 = nullptr;
    // Buttons by their index 1 to 18; separators (1, 5, 8, 12, 17) stay nullptr.
    std::array<QAction*, 19> Toolbar1Buttons{};

    // sbrMain's panels: 1 STATUS, 2 MODE, 3 DATE, 4 TIME.
    QLabel* sbrPanel1 = nullptr;
    QLabel* sbrPanel2 = nullptr;
    QLabel* sbrPanel3 = nullptr;
    QLabel* sbrPanel4 = nullptr;

    // Steps of start-up that belong to windows of their own (splash); each runs at its place in
    // the order once set.
    std::function<void()> showSplash;

    // ---- Program browser, program file commands, external tools and results -----------------
    // (frmMDIMainFiles.cpp and frmMDIMainTools.cpp)

    // The browser, docked at the left from start-up to shutdown, and the results viewer, made on
    // first use and then hidden and shown again.
    frmMain* programBrowser() const { return m_browser; }
    frmViewResults* viewResults();
    void showProgramBrowser();
    void unloadProgramBrowser();
    void resizeProgramBrowser();
    // The browser reads its folder again and selects `program` there: a program just written,
    // renamed or copied is seen at once.
    void showProgramInBrowser(const QString& program);

    // Chooses a program: the open dialog unless BypassOpen (then gProgramFile, when it names an
    // existing Corvane file). True when gProgramFile now names the chosen program.
    bool SelectProgramFile(bool BypassOpen);
    void DeleteProgramFiles(bool BypassOpen);
    void RenameProgramFiles(bool BypassOpen);
    void mnuFileOpen_Click();
    void mnuFileDelete_Click();
    void mnuFileRename_Click();
    void mnuFileCompile_Click();

    // Starts the tool of `Action` on a program and returns at once; Canceled is set when no
    // program or no search variable was given.
    void SpawnRequest(int Action, bool BypassOpen, bool BypassInputBox, bool& Canceled);
    // The same for the commands that do not ask for a variable and need not know of a cancel.
    void SpawnRequest(int Action, bool BypassOpen);
    void RunGlobalSearch(bool BypassOpen, bool BypassInputBox);
    void StartOnlineMonitor(bool BypassOpen);
    // The typed search variable in the search tool's form; Family 0 controller A, 1 controller B.
    static QString FormatSearchVariable(const QString& Var, int Family);
    void mnuViewCompileErrors_Click();
    void mnuViewSearchResults_Click();

    // The last search variable of the run, the default answer of the next search.
    QString LastSearchVariable;

    // Menu and toolbar entries that follow the program and the results viewer.
    void setMonitorButtonEnabled(bool enabled);
    void showSearchResultsEntry();
    void showPrintResultsEntry(bool visible);
    // ---- end of program files and tools ------------------------------------------------------

    // ---- New program, copy program and program transfers (frmMDIMainTransfers.cpp) ----------
    void mnuFileNew_Click();
    void mnuFileSaveAs_Click();
    // Chooses a program (the open dialog unless BypassOpen) and downloads it into the board
    // through the program transfer window.
    void DownloadProgramToBoard(bool BypassOpen);
    void mnuFileDownloadProgram_Click();
    // Creates a new program and uploads the board's program into it.
    void mnuFileUploadProgram_Click();

    // Shows `program` in the browser after a transfer (by default the one it has selected).
    void refreshBrowserAfterTransfer(const QString& program = QString());

    // ---- Limit-switch transfers ----------------------------------------------------------------
    // The upload and download commands, on gProgramFile: procs.plsUpload and procs.plsDownload.
    void mnuFileListPopupUploadFromPLS_Click();
    void mnuFileListPopupDownloadToPLS_Click();
    // The same after choosing the program in the open dialog: procs.plsUploadOpen and
    // procs.plsDownloadOpen.
    void mnuFileUploadFromPLS_Click();
    void mnuFileDownloadToPLS_Click();

    // ---- Board-data and datafile transfers (DataTransferCommands.cpp) ----------------------------
    // Chooses a program (the open dialog unless BypassOpen) and moves its board data: Mode 1 from
    // its LDT file to the board, 2 from the board to the file.
    void TransferDataFile(int Mode, bool BypassOpen);
    void mnuFileDownloadData_Click();
    void mnuFileUploadData_Click();
    // Writes the values of a text file to consecutive addresses from a typed starting address.
    void mnuFileDownloadFile_Click();
    // The datafile chosen last; the next datafile download starts on it.
    QString LastDatafile;

    // The procedures that the commands call and that other windows and modules provide: the places
    // where the features (board monitor, trending, limit switches) hook into the menus, toolbar and
    // popups when they are installed. A command whose procedure is not set stays disabled
    // (refreshCommandStates): nothing pretends to work.
    struct Procedures {
        // Program choice, file commands, tools and search.
        std::function<bool(bool BypassOpen)> selectProgramFile;
        std::function<void()> newProgram;  // File > New
        std::function<void()> copyProgram; // File > Save As
        std::function<void(bool BypassOpen)> deleteProgramFiles;
        std::function<void(bool BypassOpen)> renameProgramFiles;
        std::function<void(bool BypassOpen, bool BypassInputBox)> runGlobalSearch;
        std::function<void(bool BypassOpen)> startOnlineMonitor;
        std::function<void()> showCompileErrors;   // View > Compile Errors
        std::function<void()> showSearchResults;   // View > Search Results
        std::function<void()> showEditDoc;         // the documentation viewer on gVarDocStem
        // Transfers.
        std::function<void(bool BypassOpen)> downloadProgramToBoard;
        std::function<void()> uploadProgram;
        std::function<void(int Mode, bool BypassOpen)> transferDataFile;
        std::function<void()> downloadDatafile;
        std::function<void()> plsDownload;     // on gProgramFile
        std::function<void()> plsUpload;
        std::function<void()> plsDownloadOpen; // after the open dialog
        std::function<void()> plsUploadOpen;
        // Views.
        std::function<void()> showStatusTable;
        std::function<void()> showTrending;
        std::function<void()> showTiming;
        std::function<void(const QString& FileName)> targetBoardInitializeForm;
        // Status table.
        std::function<void()> statusTableCopyClip;
        std::function<QString()> statusTableCvpFile;        // gCvpFile of the status table
        std::function<QString()> statusTableCurrentAddress; // Address cell of its current row
        std::function<void()> selectStatusTableProgram;
        std::function<void()> openStatusTable;
        std::function<void()> newStatusTable;
        std::function<void()> saveStatusTable;
        std::function<void()> saveStatusTableAs;
        std::function<void()> printStatusTable;
        // The table's question before the program ends: true keeps the table, and the program, open.
        std::function<bool()> statusTableQueryUnload;
        // Results viewer and trending.
        std::function<void()> printResults;
        std::function<void()> openTrendData;
        std::function<void()> saveTendData;
        std::function<QString()> trendClip; // the trend grid's selected cells
        std::function<void()> printTrendData;
    } procs;

    // Set by the last unload so a second close does nothing.
    bool unloaded() const { return m_unloaded; }

signals:
    void tick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateTopChild();
    void createMenus();
    void createFileMenu();
    void createPopups();
    void createToolbar();
    void createStatusBar();
    void updateDateTime();
    void readRecentList();
    void showRecentEntry(int index);
    void ShowTargetBoardStatus(bool BypassOpen);
    void selectionFirst();
    bool selectionIsLimitSwitch() const;
    void statusTableFind();
    // One read of the tick, by the rule of which view asks for what: the fault code read, 0 when no
    // fault code is read, nothing when its read got no answer.
    std::optional<int> tickRead();

    // New program, copy program and program transfers.
    void connectTransferProcedures();
    bool showNewFileDialog(int mode);
    void runTransferWindow(int mode);

    // Program files and tools.
    // Hands the commands of the menus and toolbar the procedures of the program files and tools.
    void connectProgramFileProcedures();
    frmMain* m_browser = nullptr;
    QMdiSubWindow* m_browserWindow = nullptr;
    frmViewResults* m_viewResults = nullptr;
    QMdiSubWindow* m_viewResultsWindow = nullptr;

    std::unique_ptr<CommPort> MSComm1;
    std::unique_ptr<RSComm> m_rsComm;
    QString m_helpFile;
    bool m_unloaded = false;
    std::array<QPointer<QWidget>, 5> m_views;
    QPointer<frmAbout> m_about;
    QTimer* m_clock = nullptr;

    // The status poll's state from tick to tick.
    bool m_linkSeen = false;
    QString m_message;
    bool m_faultAlerted = false;
    bool m_inTick = false;
};
