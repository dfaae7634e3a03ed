#pragma once
#include <QDialog>
#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UpDownEdit;

// "Comm Port Settings": the serial port number and speed. Saving writes RSPort.cfg, tells the
// external tools the port through CORVANE.SFG in each tool folder, and reopens the port when the
// link was on-line.
class frmSetupComm : public QDialog {
    Q_OBJECT
public:
    explicit frmSetupComm(QWidget* parent = nullptr);

    void Form_Load();
    void CurrentSettings();
    // False (after the range message) when the text is not a port number within the spinner's bounds.
    bool txtCommPort_Validate();
    void cmdSave_Click();
    void cmdCancel_Click();

    UpDownEdit* updCommPort = nullptr;
    QLineEdit* txtCommPort = nullptr;
    QGroupBox* fraPortSpeed = nullptr;
    std::array<QRadioButton*, 2> optPortSpeed{}; // 0: 9600, 1: 19200
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Shown modally from the main window: load, then the modal loop.
    static void showModal(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void txtCommPort_LostFocus();
    bool saveSettings(int port, int speed);

    int m_port = 1;
    int m_speed = 9600;
    bool m_wasOnline = false;
    std::array<QString, 3> m_toolFolders;
    bool m_validating = false;
};
