#pragma once
#include <QDialog>
#include <array>

class DriveListBox;
class DirListBox;
class FileListBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Create New Corvane File": names a new program and its board type and writes its Corvane file.
// Mode 0 (File > New) hands the new program at once to its family's configuration tool or, for a
// limit switch, to the limit-switch tool; mode 1 (program upload) sets the upload flag instead.
class frmNewFile : public QDialog {
    Q_OBJECT
public:
    explicit frmNewFile(QWidget* parent = nullptr);

    // Board type code of each row of the board list, in order.
    static const std::array<int, 17>& boardCodes();
    // The row of a board type code; -1 for a code that has none.
    static int rowOfCode(int code);

    void SetNewFileMode(int Mode) { m_mode = Mode; }
    int newFileMode() const { return m_mode; }

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void drvNew_Change();
    void dirNew_Change();
    void filNew_Click();
    void filNew_KeyDown(int KeyCode);
    void txtNew_KeyDown(int KeyCode);
    void txtNew_GotFocus();
    void cmdOk_Click();
    void cmdCancel_Click();
    // The close box and Esc act as Cancel, so the upload flag never outlives the dialog.
    void reject() override;

    DriveListBox* drvNew = nullptr;
    DirListBox* dirNew = nullptr;
    FileListBox* filNew = nullptr;
    QLineEdit* txtNew = nullptr;
    QComboBox* cboNew = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The base name typed, or an empty string after telling the user why it cannot be one.
    QString programBaseName();
    bool createProgram(const QString& folder, const QString& base);
    bool startTool(int code, const QString& stem);
    void failed(const QString& description, int number = 75);

    int m_mode = 0;
    int m_lastReadyDrive = 0;
    bool m_activated = false;
};
