#pragma once
#include <QDialog>

class QGroupBox;
class QLabel;
class QTimer;

// The program transfer window: runs a program download (mode 0) or upload (mode 1) when it is
// activated and shows, four times a second, which program address is in transfer. It closes
// itself when the transfer returns, whatever its outcome.
class frmDownloadProg : public QDialog {
    Q_OBJECT
public:
    explicit frmDownloadProg(QWidget* parent = nullptr);

    // The mode for the next showing; back to 0 after every use.
    void SetTransferMode(int Mode) { m_mode = Mode; }
    int transferMode() const { return m_mode; }

    void Form_Load();
    void Form_Activate();
    void Form_Terminate();
    void Timer1_Timer();
    // A transfer cannot be stopped half-way: the close box and Esc do nothing while it runs.
    void reject() override;

    QGroupBox* fraWaitDisplay = nullptr;
    QLabel* lblWaitDisplay = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_mode = 0;
    bool m_activated = false;
    bool m_transferring = false;
};
