#pragma once
#include <QDateTime>
#include <QDialog>
#include <QString>
#include <array>
#include <initializer_list>
#include <utility>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QWidget;
class PollingLoop;
class UpDownEdit;
class frmMDIMain;

// The target-board interface: a modal dialog on the board on the line and the current program on
// disk. It shows the board's fault and communication-error codes with their descriptions and a
// corrective action, the program identity in the board beside the one on disk, the network
// address(es) and, on the two boards with a real-time clock, the board's time and date beside the
// PC's. It resets the codes and sets the address, time and date.
//
// The class is split by family of operations: frmTargetBoard.cpp (controls, opening, buttons),
// frmTargetBoardSetup.cpp (the eight set-up entries), frmTargetBoardLoop.cpp (the polling loop
// with its first on-line pass and the off-line display).
class frmTargetBoard : public QDialog {
    Q_OBJECT
public:
    explicit frmTargetBoard(QWidget* parent = nullptr);
    ~frmTargetBoard() override;

    // Fills the on-disk identity and the page layout for the program of `CorvaneFile`, then shows
    // the dialog modally; returns when it has been closed.
    void InitializeForm(const QString& CorvaneFile);
    // Centres the dialog, shows the fault page and runs the polling loop until the dialog closes.
    void Form_Activate();

    void tabTargetBoard_Click();
    void cmdOk_Click();
    void cmdGoOnline_Click();
    void cmdResetFaults_Click();
    void cmdSetToCurrTime_Click();
    void cmdSetToCurrDate_Click();

    // --- the set-up entries (index 0 to 7)
    void txtSetup_GotFocus(int Index);
    void txtSetup_Click(int Index);
    // Enter and Esc; true when the key was taken.
    bool txtSetup_KeyPress(int Index, int KeyCode);
    // Leaving the entry: checks and writes a changed value. Cancel is set when it was refused.
    void txtSetup_Validate(int Index, bool& Cancel);
    void txtSetup_LostFocus(int Index);
    void updSetup_Change(int Index);

    // The loop's start (the link goes on-line) and one pass of it; tests drive passes one at a time.
    void startMonitor();
    // True when the pass exchanged with the board.
    bool pollPass();
    bool running() const { return Running; }

    // Controls (indexes as named).
    QTabBar* tabTargetBoard = nullptr;
    std::array<QWidget*, 4> fraTargetBoard{};
    // Holds the four pages; the tab strip chooses the one shown.
    QStackedWidget* pages = nullptr;
    std::array<QGroupBox*, 5> fraDescription{};
    std::array<QLabel*, 6> lblTargetBoard{};
    // Description boxes 0, 1, 4 and 5 and the corrective action 3; 2 has none.
    std::array<QPlainTextEdit*, 6> txtTargetBoard{};
    QPushButton* cmdResetFaults = nullptr;
    std::array<QLabel*, 3> lblRevIdentInPLC{};
    std::array<QLabel*, 5> lblRevIdentOnDisk{};
    std::array<QLabel*, 8> lblSetupDesc{};
    // Each entry with its spinner: the text box is txtSetup[i]->edit().
    std::array<UpDownEdit*, 8> txtSetup{};
    QLabel* lblNetworkAddComment = nullptr;
    QLabel* lblTargetBoardTime = nullptr;
    QLabel* lblTargetBoardDate = nullptr;
    QLabel* lblCurrTimeDesc = nullptr;
    QLabel* lblCurrTime = nullptr;
    QLabel* lblCurrDateDesc = nullptr;
    QLabel* lblCurrDate = nullptr;
    QPushButton* cmdSetToCurrTime = nullptr;
    QPushButton* cmdSetToCurrDate = nullptr;
    std::array<QLabel*, 2> lblTimeDateNote{};
    QPushButton* cmdGoOnline = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdDefault = nullptr;

    // The captions whose Visible property the code sets (the widgets' own visibility also depends
    // on the page shown).
    bool slotLabelShown() const { return m_slotShown; }
    bool setupShown(int i) const { return m_setupShown[static_cast<std::size_t>(i)]; }

    // The corrective action for the last fault code `L`.
    static QString correctiveAction(int L);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFaultPage();
    void buildIdentityPage();
    void buildNetworkPage();
    void buildClockPage();
    void showSlotLabel(bool shown);
    void showSetupEntry(int i, bool shown);
    void enableSetupEntry(int i, bool enabled);
    void enableClockControls(bool enabled);
    void readDiskIdentity(const QString& CorvaneFile);
    void showDiskIdentity();
    void unloadForm();
    // Writes (address, value) pairs in order while the link is on-line and without error.
    void writeClock(std::initializer_list<std::pair<const char*, int>> parts);

    void MonitorTargetBoard();
    void UpdateSetupDisplay();
    void FirstPass();
    void ShowCommFailure();
    void showPcClock(const QDateTime& now);
    void showCodeDescriptions(const QString& fileName, int first, int second,
                              const std::array<QString, 6>& CodeText);
    // Yields to the event loop between two exchanges; false when the loop must end.
    bool yieldOnce();

    std::array<QString, 8> SetupAddress;
    int DiskBoardType = 0;
    QString DiskIdent;
    int DiskRevision = 0;
    int DiskChecksum = 0;
    QString m_hexPath;
    bool Running = false;
    bool FaultsShown = false;
    bool OfflineShown = false;
    std::array<bool, 8> SetupEditing{};
    std::array<long, 8> SetupOldValue{};
    // The entry's text when it was entered (or last restored): only a text changed since then is
    // checked and written when the entry is left.
    std::array<QString, 8> m_setupTextOnEntry;
    bool EscPending = false;
    int m_lastSecond = -1;
    bool m_slotShown = false;
    std::array<bool, 8> m_setupShown{};
    PollingLoop* m_loop = nullptr;
    // A failed first pass is reported once per on-line period; it is tried again silently.
    bool m_firstPassReported = false;
    // Counts the first passes begun. A pass that finds it changed after a yield was overtaken by
    // one run inside that yield (Reset Faults runs one): the later pass's display stands.
    unsigned m_firstPassesBegun = 0;
};

// Hands the main window the target-board interface (View > Target Board Interface, the toolbar's
// PLC button) and tells it whether the dialog is visible.
void connectTargetBoard(frmMDIMain& main);
