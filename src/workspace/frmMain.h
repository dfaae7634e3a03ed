#pragma once
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class DriveListBox;
class DirListBox;
class FileListBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The program browser: docked at the left edge of the main window from start-up to shutdown. It
// walks drives and folders, lists the Corvane files of a folder, makes the clicked one the current
// program and shows that program's file set as a tree.
class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // True from the first activation on.
    bool gFormLoaded = false;

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void dirDirList_Change();
    void RefreshDirList();
    void RefreshFileList(const QString& FileName);

    void drvDriveList_Change();
    void dirDirList_Click();
    void filFileList_Click();
    void filFileList_DblClick();
    void filFileList_KeyDown(int KeyCode);
    void filFileList_MouseUp(Qt::MouseButton Button);
    void trvCVPList_Collapse(QTreeWidgetItem* Node);
    void trvCVPList_Expand(QTreeWidgetItem* Node);
    void trvCVPList_NodeClick(QTreeWidgetItem* Node);
    void trvCVPList_DblClick();

    // The browser's width in pixels: as it opens, or as the user dragged its right edge, for the run.
    int browserWidth() const;
    void setBrowserWidth(int width);

    // The folder-list path and the selected file name (GetSelectedFile joins them).
    QString folderPath() const;
    QString selectedFileName() const;

    DriveListBox* drvDriveList = nullptr;
    DirListBox* dirDirList = nullptr;
    FileListBox* filFileList = nullptr;
    QTreeWidget* trvCVPList = nullptr;
    std::array<QLabel*, 4> lblLabel{};

    // The read-only view of a limit-switch file; set once that window exists.
    static inline std::function<void(const QString&)> showPLSFileView;

private:
    void clearTree();
    void fillTree();
    void editTitle(const QString& path);
    void showRevision(const QString& path);
    void showImageFacts(const QString& path);
    QString programPath() const;
    // A failure of a node's action: the "File List" box, and the double-click ends there.
    void nodeError(int number, const QString& description);
    std::optional<QByteArray> readNodeFile(const QString& path);

    int listWidth() const;
    int m_width = 0;
    QWidget* m_grip = nullptr;
    QString m_selectedBase;
    QString m_nodeKey;
    bool m_nodeIsRoot = false;
    int m_lastReadyDrive = 0;
    QString m_savedProgramFile;
    // A node's action reported an error: the double-click ends without restoring the program.
    bool m_errorInNode = false;
};

// Twips (1/1440 inch) to the screen's pixels, for the positions the windows are laid out by.
int twipsToPixels(int twips);
