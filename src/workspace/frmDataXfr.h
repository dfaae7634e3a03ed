#pragma once
#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class UpDownEdit;

// The range dialog of a board-data transfer: the standard range of the board, or a range typed
// within the board's limits. OK runs the transfer in the wait display (mode 4) while the dialog is
// hidden, then unloads it. It works on gDataXferMode and gDataXferBoardType and sets gDataXferFrom
// and gDataXferTo.
class frmDataXfr : public QDialog {
    Q_OBJECT
public:
    explicit frmDataXfr(QWidget* parent = nullptr);

    void Form_Load();
    void optRange_Click(int Index);
    void txtRange_GotFocus(int Index);
    // Checks box Index; false (after the box that says why, and with the focus back in it) when
    // its entry is refused. To (box 1) is also checked against From unless `withOrder` is false;
    // the order refused puts the focus in To.
    bool txtRange_LostFocus(int Index, bool withOrder = true);
    void cmdOk_Click();
    void cmdCancel_Click();
    void Form_Unload();

    QGroupBox* fraOptions = nullptr;
    std::array<QRadioButton*, 2> optRange{};
    std::array<QLabel*, 2> lblRange{};
    // Each box with its up-down (updRange).
    std::array<UpDownEdit*, 2> txtRange{};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Gives box Index the keyboard focus with its whole text selected, the dialog's window
    // activated with it. Done here rather than left to the focus events: without a window manager
    // nobody gives the window back its focus after a box, and the events that do come may come in
    // any order.
    void focusBox(int Index);
    // The "Entry Error" box with `text`, then the focus back in box Index; false.
    bool refuse(int Index, const QString& text);
    // To not below From (when both are whole numbers); refused in To.
    bool orderAccepted();

    // A refusal moves the focus back into its box; the other box's focus-out that this causes is
    // not the user leaving it.
    bool m_refocusing = false;
    // The box just got the focus: the click that gave it (which places its cursor, before or
    // after the focus arrives) still selects the whole text when it ends.
    std::array<bool, 2> m_focusArrived{};
};
