#pragma once
#include "platform/CommPort.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

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

// The main window: the first and only object started. It owns the serial-port control and the
// communication object from its load to its unload, holds the recent-programs list, and is the
// frame of every child view.
class frmMDIMain : public QMainWindow {
    Q_OBJECT
public:
    // `port` stands in for the serial-port control (tests pass a simulated board); nullptr gives
    // the real serial port.
    explicit frmMDIMain(std::unique_ptr<CommPort> port = nullptr, QWidget* parent = nullptr);
    ~frmMDIMain() override;

    // Start-up, in its ten steps.
    void MDIForm_Load();
    void MDIForm_QueryUnload();
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

    bool gMDIQueryUnload = false;
    std::array<QString, 4> RecentFiles;
    QString RecentListPath;
    QString helpFile() const { return m_helpFile; }

    // Controls other windows and tests reach.
    QMdiArea* mdiArea = nullptr;
    QTimer* tmrBackgroungUpdate = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuFileSep4 = nullptr;
    std::array<QAction*, 4> mnuFileList{};
    QAction* mnuFileExit = nullptr;
    QAction* mnuViewOnline = nullptr;
    QAction* mnuViewOffline = nullptr;
    QLabel* sbrPanel1 = nullptr;
    QLabel* sbrPanel2 = nullptr;

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
    void RunGlobalSearch(bool BypassOpen, bool BypassInputBox);
    void StartOnlineMonitor(bool BypassOpen);
    // The typed search variable in the search tool's form; Family 0 controller A, 1 controller B.
    static QString FormatSearchVariable(const QString& Var, int Family);
    void mnuViewCompileErrors_Click();
    void mnuViewSearchResults_Click();

    // The last search variable of the run, the default answer of the next search.
    QString LastSearchVariable;
    // The Address cell of the status table's current row; set once the status table exists.
    std::function<QString()> statusTableCurrentAddress;

    // Menu and toolbar entries that follow the program and the results viewer.
    void setMonitorButtonEnabled(bool enabled);
    void showSearchResultsEntry();
    void showPrintResultsEntry(bool visible);
    // The browser's right click: the program-list popup over the browser.
    void popupFileListMenu();
    // ---- end of program files and tools ------------------------------------------------------

    // Set by the last unload so a second close does nothing.
    bool unloaded() const { return m_unloaded; }

signals:
    void tick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createMenus();
    void createStatusBar();
    void readRecentList();
    void showRecentEntry(int index);
    void tmrBackgroungUpdate_Timer();

    // Program files and tools.
    void goOffline();
    frmMain* m_browser = nullptr;
    QMdiSubWindow* m_browserWindow = nullptr;
    frmViewResults* m_viewResults = nullptr;
    QMdiSubWindow* m_viewResultsWindow = nullptr;

    std::unique_ptr<CommPort> MSComm1;
    std::unique_ptr<RSComm> m_rsComm;
    QString m_helpFile;
    bool m_unloaded = false;
};
