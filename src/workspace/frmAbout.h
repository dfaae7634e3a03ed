#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The about window: title, version, the executable's revision date, support lines, and a button
// that starts the system-information tool. Shown without blocking the main window.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOk_Click();
    void cmdSysInfo_Click();
    // Starts the system-information tool, or says that there is none.
    void StartSysInfo();
    // Reads one value from the system's settings registry. Linux keeps no such registry, so every
    // key is missing: KeyVal becomes empty and the result is false.
    static bool GetKeyValue(long KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    // The executable whose modification date is the revision date.
    static QString executablePath();

    QLabel* imgLogo = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblRevisionDate = nullptr;
    QLabel* lblTechSupport = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};
