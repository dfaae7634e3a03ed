#pragma once
#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Save Corvane File As...": copies a whole program, every file of its set, to a new base name in
// any folder, with the extensions in upper case. The destination drive is checked before every
// file; Cancel stops the copy between files. A complete copy becomes the current program.
class frmCopyFile : public QDialog {
    Q_OBJECT
public:
    explicit frmCopyFile(QWidget* parent = nullptr);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void cmdBrowseSource_Click();
    void cmdDestination_Click();
    void cmdCopy_Click();
    void cmdCancel_Click();
    void txtSource_Click();
    void txtDestination_Click();
    // The close box and Esc act as Cancel: they stop a running copy, or close an idle dialog.
    void reject() override;

    // True while no copy runs.
    bool idle() const { return m_idle; }
    // The program that becomes current when the dialog closes.
    QString rememberedProgram() const { return m_remembered; }

    // Run before each file so that Cancel and repainting are served; the event loop once unless
    // set (tests press Cancel from here).
    std::function<void()> FileYield;

    std::array<QLabel*, 2> lblSource{};
    std::array<QLabel*, 2> lblDestination{};
    QLineEdit* txtSource = nullptr;
    QLineEdit* txtDestination = nullptr;
    QPushButton* cmdBrowseSource = nullptr;
    QPushButton* cmdDestination = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblCopyStatus = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class DriveCheck { Fits, Cancelled, FixedFull };
    DriveCheck checkDrive(const QString& folder, qint64 size);
    // The copy proper, between the busy and idle states; true when every file was copied.
    bool copyFiles(const QString& sourceFolder, const QString& sourceBase, const QString& destFolder,
                   const QString& destBase, QString& lastFile);
    void setIdle();
    void yieldOnce();

    QString m_source;
    QString m_remembered;
    bool m_idle = true;
    bool m_activated = false;
};
