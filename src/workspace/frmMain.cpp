#include "workspace/frmMain.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/FileListBoxes.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>

namespace {
// The browser's layout, in twips as the old form measured it.
constexpr int kFormWidth = 2970;
constexpr int kListWidth = 2655;
constexpr int kLabelHeight = 255;
constexpr int kDriveHeight = 360;
constexpr int kDirHeight = 2160;
constexpr int kFileHeight = 2160;
constexpr int kGap = 60;
constexpr int kMinTreeHeight = 1035;

// Marks on the tree's nodes: the root stands for the program, a child for one companion file. The
// kind is kept apart from the text so that a program called HEX is not taken for its HEX file.
constexpr int kKeyRole = Qt::UserRole;
constexpr int kRootRole = Qt::UserRole + 1;

enum TreeImage { ClosedFolder = 1, OpenFolder = 2, FileImage = 3 };

QIcon treeImage(TreeImage image)
{
    switch (image) {
    case ClosedFolder: return QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    case OpenFolder: return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    case FileImage: return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    }
    return {};
}

void fileListError(int number, const QString& description)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::Information, QStringLiteral("File List"));
}

// Shows the whole text of an item that the view cuts (elided, or running past the visible part of
// the list) as its tool tip; an item shown whole needs none.
class CutTextToolTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect shown = view->visualRect(index);
        const bool cut = !view->viewport()->rect().contains(shown) ||
                         sizeHint(option, index).width() > shown.width();
        if (cut && !text.isEmpty())
            QToolTip::showText(event->globalPos(), text, view);
        else
            QToolTip::hideText();
        return true;
    }
};

// The right edge of the browser: dragging it makes the browser wider or narrower.
class WidthGrip : public QWidget {
public:
    WidthGrip(QWidget* parent, std::function<void(int)> dragTo) : QWidget(parent), m_dragTo(std::move(dragTo))
    {
        setCursor(Qt::SizeHorCursor);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton)
            m_dragTo(parentWidget()->mapFromGlobal(event->globalPosition().toPoint()).x() + width() / 2);
    }

private:
    std::function<void(int)> m_dragTo;
};

int hexValue(QString markHex)
{
    bool ok = false;
    const int v = boardTables().MarkHex2HEX(markHex).toInt(&ok, 16);
    return ok ? v : 0;
}
} // namespace

int twipsToPixels(int twips)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    static const char* const captions[] = {"Drive:", "Directory:", "Files:", "Corvane Programs:"};
    for (int i = 0; i < 4; ++i)
        lblLabel[i] = new QLabel(QLatin1String(captions[i]), this);
    drvDriveList = new DriveListBox(this);
    dirDirList = new DirListBox(this);
    filFileList = new FileListBox(this);
    trvCVPList = new QTreeWidget(this);
    trvCVPList->setHeaderHidden(true);
    trvCVPList->setColumnCount(1);
    // The tree never cuts a node's text: its column is as wide as the widest text and scrolls.
    trvCVPList->header()->setStretchLastSection(false);
    trvCVPList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    trvCVPList->setTextElideMode(Qt::ElideNone);
    trvCVPList->setItemDelegate(new CutTextToolTips(trvCVPList));
    filFileList->setItemDelegate(new CutTextToolTips(filFileList));
    m_grip = new WidthGrip(this, [this](int x) { setBrowserWidth(x); });

    connect(drvDriveList, &DriveListBox::Change, this, &frmMain::drvDriveList_Change);
    connect(dirDirList, &DirListBox::Change, this, &frmMain::dirDirList_Change);
    connect(dirDirList, &DirListBox::Click, this, &frmMain::dirDirList_Click);
    connect(filFileList, &FileListBox::Click, this, &frmMain::filFileList_Click);
    connect(filFileList, &FileListBox::DblClick, this, &frmMain::filFileList_DblClick);
    connect(filFileList, &FileListBox::KeyDown, this, &frmMain::filFileList_KeyDown);
    connect(filFileList, &FileListBox::MouseUp, this, &frmMain::filFileList_MouseUp);
    connect(trvCVPList, &QTreeWidget::itemCollapsed, this, &frmMain::trvCVPList_Collapse);
    connect(trvCVPList, &QTreeWidget::itemExpanded, this, &frmMain::trvCVPList_Expand);
    connect(trvCVPList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* n) { trvCVPList_NodeClick(n); });
    // Keyboard moves select a node as a click does.
    connect(trvCVPList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) { trvCVPList_NodeClick(n); });
    connect(trvCVPList, &QTreeWidget::itemDoubleClicked, this, [this] { trvCVPList_DblClick(); });

    gBrowserFolder = [this] { return folderPath(); };
    gBrowserSelectedFile = [this] { return selectedFileName(); };
}

frmMain::~frmMain()
{
    gBrowserFolder = nullptr;
    gBrowserSelectedFile = nullptr;
}

QString frmMain::folderPath() const { return dirDirList->path(); }

QString frmMain::selectedFileName() const { return filFileList->fileName(); }

QString frmMain::programPath() const { return joinPath(folderPath(), selectedFileName()); }

// ---------------------------------------------------------------- load, activation, layout

void frmMain::Form_Load()
{
    const int left = twipsToPixels(static_cast<int>((kFormWidth - kListWidth) / 2.5));
    const int labelH = twipsToPixels(kLabelHeight);
    const int gap = twipsToPixels(kGap);
    resize(browserWidth(), height());
    int y = gap;
    auto place = [&](QLabel* label, QWidget* list, int h) {
        label->setGeometry(left, y, listWidth(), labelH);
        y += labelH;
        list->setGeometry(left, y, listWidth(), h);
        y += h + gap;
    };
    place(lblLabel[0], drvDriveList, twipsToPixels(kDriveHeight));
    place(lblLabel[1], dirDirList, twipsToPixels(kDirHeight));
    place(lblLabel[2], filFileList, twipsToPixels(kFileHeight));
    lblLabel[3]->setGeometry(left, y, listWidth(), labelH);
    trvCVPList->setGeometry(left, y + labelH, listWidth(), 0);

    filFileList->setPattern(QStringLiteral("*.cvp"));
    Form_Resize();

    QString start = QDir::currentPath();
    if (QFileInfo(gProgramFile).isFile()) {
        // Opened one level above the program's folder, so that its neighbours show too.
        const QDir folder = QFileInfo(gProgramFile).absoluteDir();
        QDir parent = folder;
        start = parent.cdUp() ? parent.absolutePath() : folder.absolutePath();
    }
    drvDriveList->setDrive(driveInfo().driveOf(start));
    dirDirList->setPath(start);
    RefreshFileList(gProgramFile);
}

void frmMain::Form_Activate()
{
    gActiveChild = 0;
    gFormLoaded = true;
}

int frmMain::browserWidth() const { return m_width > 0 ? m_width : twipsToPixels(kFormWidth); }

int frmMain::listWidth() const { return browserWidth() - twipsToPixels(kFormWidth - kListWidth); }

void frmMain::setBrowserWidth(int width)
{
    // Never narrower than it opens, and never so wide that nothing is left beside it.
    int widest = width;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->mdiArea())
        widest = frame->mdiArea()->viewport()->width() - twipsToPixels(kFormWidth);
    m_width = qMax(twipsToPixels(kFormWidth), qMin(width, widest));
    Form_Resize();
    if (!gMDIMain)
        return;
    gMDIMain->MDIForm_Resize();
    // The views docked beside the browser lay themselves out again when the client area changes
    // size; tell them, as its size is all they watch.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->mdiArea()) {
        QMdiArea* area = frame->mdiArea();
        for (QWidget* w : {static_cast<QWidget*>(area), area->viewport()}) {
            QResizeEvent same(w->size(), w->size());
            QCoreApplication::sendEvent(w, &same);
        }
    }
    if (gMDIMain->childVisible(frmMDIMain::ChildView::ViewResults))
        gMDIMain->viewResults()->Form_Resize();
}

void frmMain::Form_Resize()
{
    // Docked at the left edge, as high as the main window's client area, as wide as the user left it.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->mdiArea())
        frame->setGeometry(0, 0, browserWidth(), frame->mdiArea()->viewport()->height());
    else
        resize(browserWidth(), height());
    const int left = drvDriveList->x();
    for (QWidget* w : {static_cast<QWidget*>(drvDriveList), static_cast<QWidget*>(dirDirList),
                       static_cast<QWidget*>(filFileList), static_cast<QWidget*>(lblLabel[0]),
                       static_cast<QWidget*>(lblLabel[1]), static_cast<QWidget*>(lblLabel[2])})
        w->resize(listWidth(), w->height());
    trvCVPList->move(left, trvCVPList->y());
    lblLabel[3]->setGeometry(left, lblLabel[3]->y(), listWidth(), lblLabel[3]->height());
    int treeHeight = height() - trvCVPList->y() - left;
    treeHeight = qMax(treeHeight, twipsToPixels(kMinTreeHeight));
    trvCVPList->resize(listWidth(), treeHeight);
    trvCVPList->update();
    m_grip->setGeometry(width() - left, 0, left, height());
    m_grip->raise();
}

// ---------------------------------------------------------------- drives and folders

void frmMain::drvDriveList_Change()
{
    const QString drive = drvDriveList->drive();
    if (driveInfo().isReady(drive)) {
        dirDirList->setPath(drive);
        m_lastReadyDrive = drvDriveList->listIndex();
        clearTree();
    } else {
        msgBox(QStringLiteral("Selected Drive is Not Ready."), Buttons::Ok, Icon::Information, QStringLiteral("Drives"));
        drvDriveList->setListIndex(m_lastReadyDrive);
    }
}

void frmMain::dirDirList_Change()
{
    RefreshDirList();
    clearTree();
}

void frmMain::dirDirList_Click() { RefreshDirList(); }

void frmMain::RefreshDirList()
{
    filFileList->setPath(dirDirList->path());
    QDir::setCurrent(dirDirList->path());
    filFileList->refresh();
    trvCVPList->update();
}

void frmMain::RefreshFileList(const QString& FileName)
{
    const QString found = findCaseInsensitive(FileName);
    if (FileName.isEmpty() || !QFileInfo(found).isFile()) {
        QDir::setCurrent(installationFolder());
        m_lastReadyDrive = drvDriveList->listIndex();
        return;
    }
    const QFileInfo file(found);
    const QString folder = file.absolutePath();
    drvDriveList->setDrive(driveInfo().driveOf(folder));
    // A new path raises the folder list's change, which empties the tree until the selection below.
    dirDirList->setPath(folder);
    QDir::setCurrent(folder);
    m_lastReadyDrive = drvDriveList->listIndex();
    drvDriveList->refresh();
    dirDirList->refresh();
    filFileList->setPath(folder);
    const QString wanted = file.fileName().toUpper();
    for (int i = 0; i < filFileList->listCount(); ++i) {
        if (filFileList->listItem(i).toUpper() == wanted) {
            filFileList->setListIndex(i);
            return;
        }
    }
}

// ---------------------------------------------------------------- the file list

void frmMain::filFileList_Click()
{
    if (filFileList->listIndex() < 0)
        return;
    gProgramFile = programPath();
    m_selectedBase = fileBaseName(selectedFileName());
    const int code = GetTargetboardType(gProgramFile);
    if (gRSComm)
        gRSComm->TargetboardType = code;
    if (gMDIMain)
        gMDIMain->setMonitorButtonEnabled(!isLimitSwitchBoard(code));
    fillTree();
}

void frmMain::filFileList_DblClick()
{
    if (!gFormLoaded || !gMDIMain)
        return;
    gProgramFile = GetSelectedFile();
    bool canceled = false;
    gMDIMain->SpawnRequest(0, true, false, canceled);
}

void frmMain::filFileList_KeyDown(int KeyCode)
{
    if (!gMDIMain || filFileList->listIndex() < 0)
        return;
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter) {
        gProgramFile = GetSelectedFile();
        bool canceled = false;
        gMDIMain->SpawnRequest(0, true, false, canceled);
    } else if (KeyCode == Qt::Key_Delete) {
        gProgramFile = GetSelectedFile();
        gMDIMain->DeleteProgramFiles(true);
    }
}

void frmMain::filFileList_MouseUp(Qt::MouseButton Button)
{
    if (Button == Qt::RightButton && gMDIMain)
        gMDIMain->popupFileList(QCursor::pos());
}

// ---------------------------------------------------------------- the program tree

void frmMain::clearTree()
{
    trvCVPList->clear();
    m_nodeKey.clear();
    m_nodeIsRoot = false;
}

void frmMain::fillTree()
{
    clearTree();
    const int code = GetTargetboardType(gProgramFile);
    auto* root = new QTreeWidgetItem(trvCVPList);
    root->setText(0, m_selectedBase + QStringLiteral(" [") + boardTables().TargetboardName(code) + QLatin1Char(']'));
    root->setData(0, kKeyRole, m_selectedBase.toUpper());
    root->setData(0, kRootRole, true);
    root->setIcon(0, treeImage(OpenFolder));
    for (const ProgramTreeNode& n : programTreeNodes(folderPath(), m_selectedBase)) {
        auto* child = new QTreeWidgetItem(root);
        child->setText(0, n.text);
        child->setData(0, kKeyRole, n.key);
        child->setData(0, kRootRole, false);
        child->setIcon(0, treeImage(FileImage));
    }
    root->setExpanded(true);
}

void frmMain::trvCVPList_Collapse(QTreeWidgetItem* Node)
{
    if (Node)
        Node->setIcon(0, treeImage(ClosedFolder));
}

void frmMain::trvCVPList_Expand(QTreeWidgetItem* Node)
{
    if (Node)
        Node->setIcon(0, treeImage(OpenFolder));
}

void frmMain::trvCVPList_NodeClick(QTreeWidgetItem* Node)
{
    if (!Node)
        return;
    m_nodeKey = Node->data(0, kKeyRole).toString().toUpper();
    m_nodeIsRoot = Node->data(0, kRootRole).toBool();
}

void frmMain::trvCVPList_DblClick()
{
    if (filFileList->listIndex() < 0)
        return;
    m_savedProgramFile = gProgramFile;
    gProgramFile = programPath();
    const QFileInfo cvp(gProgramFile);
    const QString path = findCaseInsensitive(joinPath(cvp.absolutePath(), fileBaseName(cvp.fileName())) +
                                             QLatin1Char('.') + m_nodeKey);
    const QString key = m_nodeIsRoot ? QString() : m_nodeKey;
    if (key == QLatin1String("LCF")) {
        bool canceled = false;
        if (gMDIMain)
            gMDIMain->SpawnRequest(2, true, false, canceled);
    } else if (key == QLatin1String("ERR")) {
        if (gMDIMain) {
            frmViewResults* viewer = gMDIMain->viewResults();
            viewer->DisplayResults(0);
            viewer->ShowMe();
        }
    } else if (key == QLatin1String("LTL")) {
        editTitle(path);
    } else if (key == QLatin1String("REV")) {
        showRevision(path);
    } else if (key == QLatin1String("HEX")) {
        showImageFacts(path);
    } else if (key == QLatin1String("CHL") || key == QLatin1String("PCF")) {
        if (showPLSFileView)
            showPLSFileView(path);
    }
    // The section sources, user functions, data image and the root have no action of their own.
    if (m_errorInNode) {
        m_errorInNode = false;
        return;
    }
    gProgramFile = m_savedProgramFile;
    if (gMDIMain)
        gMDIMain->UpdateRecentFile();
}

void frmMain::nodeError(int number, const QString& description)
{
    fileListError(number, description);
    m_errorInNode = true;
}

std::optional<QByteArray> frmMain::readNodeFile(const QString& path)
{
    QString error;
    auto data = readWholeFile(path, &error);
    if (!data)
        nodeError(path.isEmpty() || !QFileInfo(path).isFile() ? 53 : 75, error);
    return data;
}

void frmMain::editTitle(const QString& path)
{
    QString title;
    if (QFileInfo(path).isFile()) {
        const auto data = readNodeFile(path);
        if (!data)
            return;
        // The title is the whole first line, as a title may hold commas; quotes around it, as an
        // item is written, are not part of it.
        ItemReader reader(*data);
        if (!reader.atEnd())
            title = reader.readLine();
        const QString quoted = title.trimmed();
        if (quoted.startsWith(QLatin1Char('"'))) {
            const qsizetype close = quoted.indexOf(QLatin1Char('"'), 1);
            title = quoted.mid(1, close < 0 ? -1 : close - 1);
        }
    }
    const auto answer = prompts().input(QStringLiteral("Enter Program Title."), QFileInfo(path).fileName(), title);
    if (!answer || answer->isEmpty())
        return;
    ItemWriter writer;
    writer.printLine(*answer);
    QString error;
    if (!writer.save(path, &error))
        nodeError(75, error);
}

void frmMain::showRevision(const QString& path)
{
    const auto data = readNodeFile(path);
    if (!data)
        return;
    ItemReader reader(*data);
    QString ident;
    int revision = 0;
    int checksum = 0;
    if (!reader.atEnd()) {
        const QString item = reader.readItem();
        if (item.size() < 4) {
            nodeError(5, QStringLiteral("Invalid procedure call or argument"));
            return;
        }
        ident = item.left(item.size() - 4);
        revision = hexValue(item.right(2));
        checksum = hexValue(item.mid(item.size() - 4, 2));
    }
    const QString tab = QStringLiteral("\t");
    msgBox(QStringLiteral("Program Ident: ") + tab + shownIdent(ident) + CRLF + QStringLiteral("Revision: ") + tab + tab +
               QString::number(revision) + CRLF + QStringLiteral("Checksum: ") + tab + QString::number(checksum),
           Buttons::Ok, Icon::None, QFileInfo(path).fileName());
}

void frmMain::showImageFacts(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        nodeError(53, QStringLiteral("File not found: ") + path);
        return;
    }
    const QLocale locale = QLocale::system();
    // Not every file system keeps a creation time; the last change stands in for it then.
    const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
    const QString tab = QStringLiteral("\t");
    const QString size = locale.toString(static_cast<double>(info.size()) / 1000.0, 'f', 1);
    msgBox(QStringLiteral("Date Created: ") + tab + generalDate(created) + CRLF +
               QStringLiteral("Last Accessed: ") + tab + generalDate(info.lastRead()) +
               CRLF + QStringLiteral("Size: ") + tab + tab + size + QStringLiteral(" KB"),
           Buttons::Ok, Icon::None, info.fileName());
}
