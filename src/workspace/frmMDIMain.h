#pragma once
#include "platform/CommPort.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class CommPort;
class RSComm;
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

    // Steps of start-up and shutdown that belong to windows of their own (program browser,
    // splash, status tick, editor start); each runs at its place in the order once set.
    std::function<void()> showProgramBrowser;
    std::function<void()> unloadProgramBrowser;
    std::function<void()> resizeProgramBrowser;
    std::function<void()> showSplash;
    std::function<void(int action, bool bypassOpen)> spawnRequest;
    std::function<void()> refreshBrowserSelection;

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

    std::unique_ptr<CommPort> MSComm1;
    std::unique_ptr<RSComm> m_rsComm;
    QString m_helpFile;
    bool m_unloaded = false;
};
