#pragma once
#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The one modal window that runs a long operation: a message, a progress bar and, for the
// operations that can stop between items, Cancel. ShowWaitDisplay(Mode) loads it, shows it modally
// and unloads it; the window runs the operation of the mode when it is activated, with the main
// window's status timer stopped, and hides itself when the operation returns.
//
// Modes: 1 read a status table's variables, 2 refresh its names column, 3 print the status table,
// 4 board-data and datafile transfers (this window's own TransferData), 5 print trend data,
// 6 upload a limit switch's set-up, 7 download it, 8 clear its channels. The windows that own the
// other modes hand their operation in through setOperation; a mode without one does nothing.
class frmWaitDisplay : public QDialog {
    Q_OBJECT
public:
    // An operation runs on the window: it may move pbrWaitDisplay, write lblWaitDisplay and
    // lblSetpointRecall, and test (and clear) CancelFlag once per item.
    using Operation = std::function<void(frmWaitDisplay&)>;

    // Sets the operation of `Mode` (1-3, 5-8); an empty one removes it. Mode 4 cannot be replaced.
    static void setOperation(int Mode, Operation operation);
    // True when ShowWaitDisplay(Mode) runs something.
    static bool hasOperation(int Mode);
    // The loaded wait display (its default instance) while ShowWaitDisplay runs, else nullptr.
    static frmWaitDisplay* current();

    explicit frmWaitDisplay(QWidget* parent = nullptr);
    ~frmWaitDisplay() override;

    // Clears the Cancel flag, sets the message and the visible controls by gWaitDisplayMode.
    void Form_Load();
    // Stops the status timer, yields once, runs the mode's operation, starts the timer again and
    // hides the window.
    void Form_Activate();
    void cmdCancel_Click();
    void Form_Unload();
    // Keeps the datafile's starting address text for the next mode 4 with gDataXferMode 3.
    static void SetupFileDownload(const QString& StartingAdd);
    static QString startingAddress();

    // Set by Cancel; cleared on load. The operations of modes 1, 2 and 4 test it once per item.
    bool CancelFlag = false;

    QGroupBox* fraWaitDisplay = nullptr;
    QLabel* lblWaitDisplay = nullptr;
    QProgressBar* pbrWaitDisplay = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblSetpointRecall = nullptr;

    // Shows and runs the wait display for gWaitDisplayMode (the body of ShowWaitDisplay).
    static void run(QWidget* parent);

protected:
    // The close box and Esc do nothing while the operation runs: only Cancel stops it.
    void reject() override;

private:
    bool m_running = false;
};
