#pragma once
#include <QPointer>
#include <QWidget>
#include <array>
#include <initializer_list>
#include <vector>

class GridModel;
class GridView;
class PollingLoop;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMdiSubWindow;
class QPushButton;
class QRadioButton;
class QStatusBar;
class UpDownEdit;

// The on-line set-up screen of a limit switch ("PLS Timing"): a child view of the main window
// with the board list, the configuration of either board family, the channel grid with its
// setpoint commands and the resolver offset, and a polling loop that keeps speed, position and
// offset current while it is open.
//
// The window is split over four files: frmTiming.cpp (the window, its controls and the board list),
// frmTimingConfig.cpp (the configuration of both families, apply and read-back),
// frmTimingChannels.cpp (channels, setpoints, offset and the grid) and frmTimingLoop.cpp (the live
// loop, the on-line and off-line states and the control groups).
//
// One instance lives from first use to the main window's end; closing it hides it and ends its
// loop, so it is never deleted while the loop may be on the stack.
struct SetpointPair;
class frmTiming : public QWidget {
    Q_OBJECT
public:
    // The one instance; made (loaded) on first use inside the main window's child area.
    static frmTiming* instance();
    // The instance when it has been made, else nullptr.
    static frmTiming* loaded();
    // Tools > PLS Programming: loads and shows the window, focus on cmdDefault.
    static void ShowMe();

    explicit frmTiming(QWidget* parent = nullptr);
    ~frmTiming() override;

    // --- window
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_Resize();
    // Shown in the main window (not hidden, not minimised).
    bool shown() const;
    // Open in the main window, minimised or not.
    bool isOpen() const;

    // --- board list and configuration
    void cboTargetBoard_Click();
    void optPlsChan_Click(int Index);
    void optV8PlsChan_Click(int Index);
    void txtPLS_CFG_GotFocus(int Index);
    // True when the key was taken (Enter, Esc).
    bool txtPLS_CFG_KeyPress(int Index, int KeyAscii);
    void txtPLS_CFG_LostFocus(int Index);
    void updPLS_CFG_Change(int Index);
    // Returns Cancel: True when the entry was refused.
    bool txtPLS_CFG_Validate(int Index);
    void chkV8BWComp_Click();
    void chkV8SpdWinEn_Click();
    void cmdResetPLSConfig_Click();
    void UploadPLSConfig();
    bool PLSConfigChanged() const;

    // --- channels and setpoints
    void txtTmg_GotFocus(int Index);
    bool txtTmg_KeyPress(int Index, int KeyAscii);
    void txtTmg_LostFocus(int Index);
    void updTmg_Change(int Index);
    bool txtTmg_Validate(int Index);
    void DisplayPLSChannels();
    void fgPLSChannels_Click();
    void fgPLSChannels_EnterCell();
    void fgPLSChannels_KeyPress(int KeyAscii);
    void cmdSetOffset_Click();
    void cmdRecallChan_Click();
    void cmdClearChan_Click();
    void cmdClearAll_Click();
    void cmdAddSetpoint_Click();
    void cmdAdjustSetpoint_Click();
    void cmdPulseTrain_Click();
    void PLSChannelsCopyClip();

    // --- live loop and states
    void RunOnlineLoop();
    // One pass of the loop after its yield; true when it exchanged with the board.
    bool onlinePass();
    void UpdateMachineStatus();
    void CheckOnline();
    void ShowOnlineState();
    void ShowOfflineState();
    void SetTargetboardIndex();
    void DisableConfigControls();
    void EnableConfigControls();
    void DisableChannelControls();
    void EnableChannelControls();
    void DisableOffsetControls();
    void EnableOffsetControls();
    void RefreshPLSChannels();

    // --- controls
    QLabel* lblTargetBoard = nullptr;
    QComboBox* cboTargetBoard = nullptr;
    std::array<QGroupBox*, 9> fraTmg{};
    std::array<QRadioButton*, 4> optPlsChan{};
    std::array<QRadioButton*, 2> optV8PlsChan{};
    // Configuration fields 0 to 18: each entry is one text box with its up-down.
    std::array<QLabel*, 19> lblPLS_CFG{};
    std::array<UpDownEdit*, 19> txtPLS_CFG{};
    QCheckBox* chkV8BWComp = nullptr;
    QCheckBox* chkV8SpdWinEn = nullptr;
    std::array<QLabel*, 2> lblBWComp{};
    QPushButton* cmdResetPLSConfig = nullptr;
    QPushButton* cmdDefault = nullptr;
    QLabel* lblSetpointRecall = nullptr;
    // Entries 0 to 5: offset, channel, ON, OFF, START, setpoint number, each with its up-down.
    std::array<UpDownEdit*, 6> txtTmg{};
    std::array<QLabel*, 4> lblTmg{};
    QPushButton* cmdSetOffset = nullptr;
    QPushButton* cmdRecallChan = nullptr;
    QPushButton* cmdClearChan = nullptr;
    QPushButton* cmdClearAll = nullptr;
    QPushButton* cmdAddSetpoint = nullptr;
    QPushButton* cmdAdjustSetpoint = nullptr;
    QPushButton* cmdPulseTrain = nullptr;
    GridModel* fgModel = nullptr;
    GridView* fgPLSChannels = nullptr;
    QStatusBar* sbrMachineTiming = nullptr;
    // Panels 1 to 4 at indexes 0 to 3.
    std::array<QLabel*, 4> sbrPanel{};

    // --- state
    bool Running = false;
    bool OfflineShown = false;
    bool AtStandstill = false;
    bool JustStopped = false;
    bool JustStarted = false;
    bool WasAtStandstill = false;
    bool EscPending = false;
    std::array<int, 19> CfgOldValue{};
    std::array<int, 6> TmgOldValue{};
    std::vector<int> ChannelOfRow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void layoutConfigFrames();
    void layoutChannelFrames();
    void wireControls();
    // Selecting an option or a check box from code runs its click, as a user's click does.
    void selectPlsChan(int Index);
    void selectV8PlsChan(int Index);
    void setCheck(QCheckBox* box, bool ticked);
    int selectedPlsChan() const;
    // A field's range.
    void setCfgMax(int Index, int Max);
    void setTmgMax(int Index, int Max);
    void setTmgValue(int Index, int Value);
    void setFieldEnabled(int Index, bool on);
    void setGridColours();
    void setChannelControls(bool on);
    // Enter and Esc, alike in every entry: Enter moves on (to `enterTo`, or as Tab does); Esc puts
    // back the value from entry, a second Esc leaves the field for cmdDefault.
    bool entryKeyPress(UpDownEdit* field, int oldValue, int KeyAscii, QWidget* enterTo);
    // Moves the focus to cmdDefault without checking the field left.
    void focusDefault();
    void fitGridColumns();
    void showPanel(int panel, const QString& text);
    // Channel of the channel entry (its octal digits as a channel number) and the entry values.
    int channelOfEntry() const;
    int tmgValue(int Index) const;
    bool entriesValid(std::initializer_list<int> entries);
    void showPair(int Chan, int Pair);
    void showSelection(int Chan, int Pair);
    bool adjustOnBoard(int Chan, int Pair, SetpointPair adjusted);
    void LoadSetpointFromGrid();
    // Sends a Tab keystroke to a field, so the focus moves on as the user's Tab does.
    static void sendTab(QWidget* field);
    // Lets pending events run between two exchanges; false when the loop is to end.
    bool yieldToEvents();
    PollingLoop* loop();
    bool onlineMode() const;
    bool commError() const;

    // The frame in the main window's child area (its parent, so it outlives this view).
    QMdiSubWindow* m_subWindow = nullptr;
    // The main window's child area, whose resizes fit this view again.
    QPointer<QWidget> m_areaViewport;
    PollingLoop* m_loop = nullptr;
    // Set while the window itself moves the focus, so that the field left is not checked twice.
    bool m_focusMoveByCode = false;
    // Unloaded: hidden, to be loaded again when next shown.
    bool m_unloaded = false;
    // The setpoint upload of this on-line period stopped before its last channel: the window does
    // not know what the channels not read hold, so the channel group stays off until the next
    // on-line period reads the board again.
    bool m_setpointsUnread = false;
};
