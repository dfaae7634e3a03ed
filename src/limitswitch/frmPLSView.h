#pragma once
#include "limitswitch/modPLS.h"

#include <QDialog>
#include <array>

class GridModel;
class GridView;
class QGroupBox;
class QLabel;
class QPushButton;

// The read-only view of a limit-switch program's set-up as its files hold it: the configuration of
// the PCF file in the frame of the board's family, or the channels and setpoints of the CHL file in
// a grid. It reads into a record of its own, so the set-up in memory and the timing window stay as
// they were.
class frmPLSView : public QDialog {
    Q_OBJECT
public:
    explicit frmPLSView(QWidget* parent = nullptr);

    // Shows the view of OpenFile (a program's PCF or CHL file) modally; returns when it is closed.
    static void ShowMe(const QString& OpenFile);

    // Reads the files of gProgramFile, shows the frame that suits the file, and places the window.
    void Form_Load();
    // Sizes the window and its frames and, in the channel view, fills the grid.
    void Form_Activate();
    void cmdOk_Click();

    // The configuration frames (0 MultiChannelPLS, 1 BrakeWearPLS) and the channel frame (2).
    std::array<QGroupBox*, 3> fraPLS{};
    std::array<QLabel*, 22> lblPCFValue{};
    GridModel* fgPLSChannels = nullptr;
    GridView* fgPLSChannelsView = nullptr;
    QPushButton* cmdOk = nullptr;

    const PLSFileData& record() const { return m_data; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMultiChannelFrame();
    void buildBrakeWearFrame();
    void buildChannelFrame();
    void showConfiguration();
    void ArrangeView();
    void DisplayChannelSetpoints();

    PLSFileData m_data;
    QString m_openFile;
    QString m_extension;
    int m_boardCode = 0;
    bool m_activated = false;
};
