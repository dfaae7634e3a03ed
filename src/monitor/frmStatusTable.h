#pragma once
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class GridModel;
class GridView;
class PollingLoop;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMdiSubWindow;
class QPushButton;
class frmMDIMain;
class frmWaitDisplay;

// The status table: a child view of the main window listing controller variables one per grid
// row, with their values kept live by the window's polling loop and changed by typing.
//
// The window is split by family of work: frmStatusTable.cpp (controls, life cycle, docking, the
// main window's hooks), frmStatusTableEditing.cpp (the grid's cell events, row keys, the in-cell
// editor, commits and the next address), frmStatusTableLive.cpp (the polling loop's passes).
// The table's files and attached program, and its names column and off-line image, are the
// work of the files beside them; they share the fields below.
class frmStatusTable : public QWidget {
    Q_OBJECT
public:
    // The one instance, made on first use inside the main window.
    static frmStatusTable* instance();
    // The instance when it has been made, else nullptr.
    static frmStatusTable* existing();
    // Hooks the window into the main window's menus, toolbar and procedures.
    static void install(frmMDIMain& main);

    explicit frmStatusTable(QWidget* parent = nullptr);
    ~frmStatusTable() override;

    // Loads the window when it is not loaded, shows and activates it, and puts the focus on the
    // grid (Tools > Status Table and the toolbar).
    void ShowMe();

    // --- life cycle and docking
    void Form_Load();
    void Form_Activate();
    void Form_Deactivate();
    // Closing the window (its close box or the program's end) with unsaved rows asks as New and
    // Open do. True (Cancel, or a save that did not happen) keeps the window open.
    bool Form_QueryUnload();
    void Form_Unload();
    void Form_Resize();
    void ArrangeGrid();
    bool loaded() const { return m_loaded; }

    // --- public procedures of the main window
    void StatusTableCopyClip();

    // --- controls
    void cboTargetBoard_Click();
    void chkAutoIncrement_Click();
    void cmdSelectProgram_Click();
    void cmdNewTable_Click();
    void cmdOpenTable_Click();
    void cmdSaveTable_Click();
    void cmdSaveTableAs_Click();

    // --- the grid (frmStatusTableEditing.cpp)
    void fgStatus_Click();
    void fgStatus_EnterCell();
    void fgStatus_LeaveCell();
    void fgStatus_KeyDown(int KeyCode, int Shift);
    void fgStatus_KeyPress(int KeyAscii);
    void fgStatus_MouseUp(int Button, const QPoint& globalPos);
    void CommitCellEntry(bool AutoIncrement);
    static QString NextAddress(const QString& Address);

    // --- the polling loop (frmStatusTableLive.cpp)
    void RunLiveUpdate();
    // One turn of the loop after its yield: drops a failed link, then one pass. True when the
    // pass exchanged with the board.
    bool LiveUpdatePass();
    bool RefreshOnlineValues();
    bool RefreshOfflineValues();
    PollingLoop* liveLoop() const { return m_loop; }

    // The parts of an address text as the table reads them, by the grammar the link checks and
    // sends addresses by: a hexadecimal "…H" text is the byte B of its value; any other text is a
    // type letter and a number, with a bit after a point for B, I, X and Y.
    struct RowAddress {
        bool valid = false; // false: the text names no address ("not numeric")
        bool hex = false;
        QChar type;         // upper case
        long number = 0;
        int bit = -1;       // -1: no bit
        QString normalised() const
        {
            return type + QString::number(number) + (bit >= 0 ? QLatin1Char('.') + QString::number(bit) : QString());
        }
        bool hasBit() const { return bit >= 0; }
    };
    static RowAddress splitRowAddress(const QString& text);
    // Board type code of row `index` of the target-board list (0 for "(none)" and anything else).
    static int boardCodeOfRow(int index);

    // --- controls (names as the window's design has them)
    QGroupBox* fraStatusTable = nullptr;
    QPushButton* cmdOpenTable = nullptr;
    QPushButton* cmdNewTable = nullptr;
    QPushButton* cmdSaveTable = nullptr;
    QPushButton* cmdSaveTableAs = nullptr;
    QCheckBox* chkAutoIncrement = nullptr;
    QGroupBox* fraProgram = nullptr;
    QPushButton* cmdSelectProgram = nullptr;
    QCheckBox* chkViewNicNames = nullptr;
    QCheckBox* chkViewDescriptions = nullptr;
    QCheckBox* chkViewOffline = nullptr;
    QLabel* lblTargetBoard = nullptr;
    QComboBox* cboTargetBoard = nullptr;
    QGroupBox* fraStatus = nullptr;
    GridModel* fgStatus = nullptr;
    GridView* fgStatusView = nullptr;
    QPushButton* cmdDefault = nullptr;
    // The file dialog's preset (file name and folder) for the table's dialogs.
    QString DialogFileName;
    QString DialogInitDir;

    // --- window state
    bool Active = false;
    int TableBoardCode = 0;
    QString SavedCellText;
    bool Editing = false;
    bool EscPending = false;
    bool EnterMoved = false;
    bool TableChanged = false;
    int EditedRow = 0;
    QString StatusFrameCaption;
    QString ProgramFrameCaption;

    // ---- table files and the attached program ------------------------------------------------
    QString gCvpFile;
    QString ProgramBaseName;
    int ProgramBoardCode = 0;
    QString NamPath, DocPath, LdtPath;
    QString TablePath;
    bool Untitled = false;
    bool TableInitialised = false;
    bool SkipSavePrompt = false;
    // The file dialog of the table: Mode 1 a program, Mode 2 a table file. True when one was chosen.
    bool BrowseForFile(int Mode);
    void SelectStatusTableProgram();
    // 0 when the table is unchanged, else the answer to "Save Changes to File?": 6 Yes, 7 No, 2 Cancel.
    int SaveChangesResult();
    void NewStatusTable();
    void OpenStatusTable();
    // True when the table was written (a Save As may be cancelled, a file may not be writable).
    bool SaveStatusTable();
    bool SaveStatusTableAs();
    void PrintStatusTable();
    // Wait-display modes 1 (the address column from gStatusTableList) and 2 (the names column).
    void ReadStatusVariables(frmWaitDisplay& wait);
    void RefreshNicNames(frmWaitDisplay& wait);
    // Hands the main window the table's file commands and the wait display its modes 1 and 2.
    static void installFiles(frmMDIMain& main);
    // ---- end of table files ------------------------------------------------------------------

    // ---- names column and off-line image -----------------------------------------------------
    // Two hexadecimal digits per byte of board memory, by byte address 0 to 8192 ("" counts as 0).
    QStringList OfflineImage;
    bool OfflineDataShown = false;
    QString Nicname(const QString& Address);
    void chkViewNicNames_Click();
    void chkViewDescriptions_Click();
    void chkViewOffline_Click();
    // Fills the name tables from NamPath and DocPath and enables the view box of each file read.
    void LoadNicNames();
    // Turns the names column on for the box that is on and fills it (wait display mode 2).
    void ShowNameColumn();
    // Forgets the attached program's names and off-line image.
    void ClearNames();
    // An LDT file that could not be used: no image in memory or in the grid's value columns, and
    // "View Offline Data" off.
    void dropOfflineImage();
    // ---- end of names column and off-line image ----------------------------------------------

    // The largest number of rows the grid takes, the new-entry row included.
    static constexpr int kMaxRows = 32767;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void showMenus(bool visible);
    void giveGridFocus();
    // Table files: the view boxes set off (each running its off behaviour); the program let go.
    void uncheckViewBoxes();
    void DetachProgram();
    // No program attached: its paths, name and board code empty.
    void clearProgramFields();
    // The save-changes question before New and Open; false when the command must end.
    bool offerToSave();
    // The checks before row r of a pass, after its yield: false ends the pass.
    bool passGoesOn(int r, bool online);
    // Value columns of row r (2 to 5).
    void setValues(int r, const QString& dec, const QString& hex, const QString& high, const QString& low);
    // The address to send to the board for a row: an I, X or Y point mapped to its byte, any other
    // address in its normalised form. Empty when the table's board has no such address (the
    // address rules refuse it, or the point has no byte), so nothing is read from or written to it.
    QString boardAddress(const RowAddress& a) const;

    bool m_loaded = false;
    // Backspace outside editing acted as Delete: the character it also brings is not an edit.
    bool m_backspaceWasDelete = false;
    int m_nameWidth = 0; // the names column's base width W, in twips, fixed at its first use
    PollingLoop* m_loop = nullptr;
    QMdiSubWindow* m_frame = nullptr;
};
