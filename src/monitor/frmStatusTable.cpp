// The status table window: controls, life cycle, docking and the main window's hooks.
#include "monitor/frmStatusTable.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/Install.h"
#include "platform/PollingLoop.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPointer<frmStatusTable> g_instance;

// The close box of the window's frame unloads the window and hides it: the window object stays,
// because its polling loop may be on the stack, and the next use loads it afresh.
class UnloadOnClose : public QObject {
public:
    UnloadOnClose(QObject* parent, frmStatusTable* form) : QObject(parent), m_form(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        if (m_form && m_form->Form_QueryUnload())
            return true;
        static_cast<QWidget*>(watched)->hide();
        if (m_form)
            m_form->Form_Unload();
        return true;
    }

private:
    QPointer<frmStatusTable> m_form;
};

// Resizing the main window's client area docks the window again.
class DockOnResize : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            if (frmStatusTable* t = frmStatusTable::existing(); t && t->loaded())
                t->Form_Resize();
        return false;
    }
};
} // namespace

int frmStatusTable::boardCodeOfRow(int index)
{
    return controllerBoardCode(index);
}

frmStatusTable* frmStatusTable::existing()
{
    return g_instance;
}

frmStatusTable* frmStatusTable::instance()
{
    if (g_instance)
        return g_instance;
    auto* form = new frmStatusTable;
    g_instance = form;
    if (gMDIMain) {
        gMDIMain->setChildView(frmMDIMain::ChildView::StatusTable, form);
        form->m_frame = new QMdiSubWindow(gMDIMain->mdiArea);
        form->m_frame->setWidget(form);
        form->m_frame->setWindowTitle(form->windowTitle());
        form->m_frame->setAttribute(Qt::WA_DeleteOnClose, false);
        form->m_frame->installEventFilter(new UnloadOnClose(form->m_frame, form));
        gMDIMain->mdiArea->addSubWindow(form->m_frame);
        form->m_frame->hide();
    }
    return form;
}

void frmStatusTable::install(frmMDIMain& main)
{
    auto& p = main.procs;
    p.showStatusTable = [] { instance()->ShowMe(); };
    p.statusTableCopyClip = [] {
        if (frmStatusTable* t = existing())
            t->StatusTableCopyClip();
    };
    p.statusTableCvpFile = [] {
        frmStatusTable* t = existing();
        return t ? t->gCvpFile : QString();
    };
    p.statusTableCurrentAddress = [] {
        frmStatusTable* t = existing();
        return t ? t->fgStatus->textMatrix(t->fgStatus->row(), 1) : QString();
    };
    p.newStatusTable = [] { instance()->NewStatusTable(); };
    p.statusTableQueryUnload = [] {
        frmStatusTable* t = existing();
        return t && t->Form_QueryUnload();
    };
    installFiles(main);
    QObject::connect(main.mdiArea, &QMdiArea::subWindowActivated, &main, [](QMdiSubWindow* w) {
        frmStatusTable* t = existing();
        // Closing the table is no deactivation: it hides only its own menu and print entry.
        if (!t || !t->m_frame || !w || !t->m_loaded)
            return;
        if (w == t->m_frame)
            t->Form_Activate();
        else
            t->Form_Deactivate();
    });
    main.mdiArea->installEventFilter(new DockOnResize(main.mdiArea));
}

frmStatusTable::frmStatusTable(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStatusTable"));
    setWindowTitle(QStringLiteral("Status Table:"));
    createControls();
    m_loop = new PollingLoop(
        this, [this] { return Active; }, [this] { return LiveUpdatePass(); });
}

frmStatusTable::~frmStatusTable()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmStatusTable::createControls()
{
    fraStatusTable = new QGroupBox(QStringLiteral("Status Table"), this);
    cmdOpenTable = new QPushButton(QStringLiteral("Open Status Table"), fraStatusTable);
    cmdNewTable = new QPushButton(QStringLiteral("New Status Table"), fraStatusTable);
    cmdSaveTable = new QPushButton(QStringLiteral("Save Status Table"), fraStatusTable);
    cmdSaveTableAs = new QPushButton(QStringLiteral("Save Status Table As..."), fraStatusTable);
    chkAutoIncrement = new QCheckBox(QStringLiteral("&Auto Increment Address"), fraStatusTable);
    auto* tableBox = new QGridLayout(fraStatusTable);
    tableBox->addWidget(cmdOpenTable, 0, 0);
    tableBox->addWidget(cmdNewTable, 0, 1);
    tableBox->addWidget(cmdSaveTable, 1, 0);
    tableBox->addWidget(cmdSaveTableAs, 1, 1);
    tableBox->addWidget(chkAutoIncrement, 2, 0, 1, 2);

    fraProgram = new QGroupBox(QStringLiteral("Program:"), this);
    cmdSelectProgram = new QPushButton(QStringLiteral("Select Program"), fraProgram);
    chkViewNicNames = new QCheckBox(QStringLiteral("View NicNames"), fraProgram);
    chkViewDescriptions = new QCheckBox(QStringLiteral("View Desciptions"), fraProgram);
    chkViewOffline = new QCheckBox(QStringLiteral("View Offline Data"), fraProgram);
    auto* programBox = new QGridLayout(fraProgram);
    programBox->addWidget(cmdSelectProgram, 0, 0);
    programBox->addWidget(chkViewOffline, 1, 0);
    programBox->addWidget(chkViewNicNames, 0, 1);
    programBox->addWidget(chkViewDescriptions, 1, 1);
    programBox->setRowStretch(2, 1);

    lblTargetBoard = new QLabel(QStringLiteral("&Target Board:"), this);
    cboTargetBoard = new QComboBox(this);
    lblTargetBoard->setBuddy(cboTargetBoard);
    cmdDefault = new QPushButton(QStringLiteral("-"), this);
    cmdDefault->setFixedWidth(cmdDefault->sizeHint().height());
    auto* boardBox = new QGridLayout;
    boardBox->addWidget(lblTargetBoard, 0, 0, 1, 2);
    boardBox->addWidget(cboTargetBoard, 1, 0);
    boardBox->addWidget(cmdDefault, 1, 1);
    boardBox->setRowStretch(2, 1);

    fraStatus = new QGroupBox(QStringLiteral("&Status Table:"), this);
    fgStatus = new GridModel(this);
    fgStatusView = new GridView(fgStatus, fraStatus);
    auto* gridBox = new QVBoxLayout(fraStatus);
    gridBox->addWidget(fgStatusView);

    auto* top = new QHBoxLayout;
    top->addWidget(fraStatusTable);
    top->addWidget(fraProgram);
    top->addLayout(boardBox);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(fraStatus, 1);

    connect(cmdOpenTable, &QPushButton::clicked, this, &frmStatusTable::cmdOpenTable_Click);
    connect(cmdNewTable, &QPushButton::clicked, this, &frmStatusTable::cmdNewTable_Click);
    connect(cmdSaveTable, &QPushButton::clicked, this, &frmStatusTable::cmdSaveTable_Click);
    connect(cmdSaveTableAs, &QPushButton::clicked, this, &frmStatusTable::cmdSaveTableAs_Click);
    connect(cmdSelectProgram, &QPushButton::clicked, this, &frmStatusTable::cmdSelectProgram_Click);
    connect(chkAutoIncrement, &QCheckBox::clicked, this, &frmStatusTable::chkAutoIncrement_Click);
    connect(chkViewNicNames, &QCheckBox::clicked, this, &frmStatusTable::chkViewNicNames_Click);
    connect(chkViewDescriptions, &QCheckBox::clicked, this, &frmStatusTable::chkViewDescriptions_Click);
    connect(chkViewOffline, &QCheckBox::clicked, this, &frmStatusTable::chkViewOffline_Click);
    // A row chosen by code (a program attached to the table) sets the board as a click does.
    connect(cboTargetBoard, &QComboBox::currentIndexChanged, this, &frmStatusTable::cboTargetBoard_Click);

    connect(fgStatus, &GridModel::enterCell, this, &frmStatusTable::fgStatus_EnterCell);
    connect(fgStatus, &GridModel::leaveCell, this, &frmStatusTable::fgStatus_LeaveCell);
    connect(fgStatusView, &GridView::gridClicked, this, &frmStatusTable::fgStatus_Click);
    connect(fgStatusView, &GridView::keyDown, this,
            [this](int key, Qt::KeyboardModifiers mods) { fgStatus_KeyDown(key, int(mods)); });
    connect(fgStatusView, &GridView::keyPress, this, &frmStatusTable::fgStatus_KeyPress);
    connect(fgStatusView, &GridView::mouseUp, this,
            [this](Qt::MouseButton b, const QPoint& at) { fgStatus_MouseUp(int(b), at); });
}

void frmStatusTable::ShowMe()
{
    if (!m_loaded)
        Form_Load();
    if (m_frame) {
        m_frame->show();
        if (QMdiArea* area = m_frame->mdiArea()) {
            if (area->activeSubWindow() == m_frame)
                Form_Activate();
            else
                area->setActiveSubWindow(m_frame);
        }
    } else {
        show();
        Form_Activate();
    }
    Form_Resize();
    giveGridFocus();
}

void frmStatusTable::Form_Load()
{
    // A loaded window starts as a new one: every field cleared.
    Active = false;
    SavedCellText.clear();
    Editing = EscPending = EnterMoved = TableChanged = false;
    EditedRow = 0;
    clearProgramFields();
    TablePath.clear();
    Untitled = SkipSavePrompt = false;
    OfflineImage.clear();
    OfflineDataShown = false;
    m_nameWidth = 0;
    for (QCheckBox* box : {chkViewNicNames, chkViewDescriptions, chkViewOffline}) {
        box->setChecked(false);
        box->setEnabled(false);
    }
    chkAutoIncrement->setChecked(false);

    const QString selected = GetSelectedFile();
    if (!selected.isEmpty() && QFileInfo(selected).isFile()) {
        DialogFileName = selected;
        DialogInitDir = QFileInfo(selected).absolutePath();
    } else {
        DialogFileName.clear();
        DialogInitDir = installationFolder();
    }
    StatusFrameCaption = QStringLiteral("&Status Table:");
    ProgramFrameCaption = QStringLiteral("Program:");
    fraStatus->setTitle(StatusFrameCaption);
    fraProgram->setTitle(ProgramFrameCaption);
    cboTargetBoard->clear();
    for (const ControllerBoardRow& b : controllerBoardRows())
        cboTargetBoard->addItem(QLatin1String(b.name));
    cboTargetBoard->setCurrentIndex(0);
    TableBoardCode = 0;
    TableInitialised = false;
    m_loaded = true;
    NewStatusTable();
}

void frmStatusTable::showMenus(bool visible)
{
    if (!gMDIMain)
        return;
    gMDIMain->mnuFilePrintStatusTable->setVisible(visible);
    gMDIMain->mnuStatusTable->menuAction()->setVisible(visible);
    gMDIMain->mnuEditCopy->setVisible(visible);
    gMDIMain->mnuEditSep1->setVisible(visible);
}

void frmStatusTable::Form_Activate()
{
    if (!chkViewDescriptions->isChecked())
        gViewDescriptions = false;
    if (!chkViewNicNames->isChecked())
        gViewNicNames = false;
    showMenus(true);
    gActiveChild = 1;
    Active = true;
    m_loop->start();
}

void frmStatusTable::Form_Deactivate()
{
    showMenus(false);
}

bool frmStatusTable::Form_QueryUnload()
{
    return m_loaded && !offerToSave();
}

void frmStatusTable::Form_Unload()
{
    Active = false;
    m_loaded = false;
    if (gMDIMain) {
        gMDIMain->mnuFilePrintStatusTable->setVisible(false);
        gMDIMain->mnuStatusTable->menuAction()->setVisible(false);
    }
}

void frmStatusTable::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_loaded)
        ArrangeGrid();
}

void frmStatusTable::Form_Resize()
{
    if (!m_frame || !m_frame->isVisible() || !gMDIMain)
        return;
    // Docked to the right of the program browser, as high as the main window's client area.
    int left = 0;
    if (QWidget* browser = gMDIMain->programBrowser())
        if (QWidget* frame = browser->parentWidget(); frame && frame->isVisible())
            left = frame->x() + frame->width();
    const QSize inner = gMDIMain->mdiArea->viewport()->size();
    const int width = inner.width() - left;
    m_frame->setGeometry(left, 0, width > 0 ? width : m_frame->width(), inner.height());
    ArrangeGrid();
}

void frmStatusTable::ArrangeGrid()
{
    if (QLayout* l = layout())
        l->activate();
    // Too low to show any rows under the controls: nothing is sized.
    if (height() <= fraStatus->y() || fgStatusView->width() <= 0)
        return;
    const int cols = fgStatus->cols();
    if (cols < 2)
        return;
    const int gridWidth = fgStatusView->toTwips(fgStatusView->width());
    if (m_nameWidth == 0 && isVisible())
        m_nameWidth = static_cast<int>(gridWidth / cols - 10);
    const int w = m_nameWidth > 0 ? m_nameWidth : static_cast<int>(gridWidth / cols - 10);
    int first = w;
    if (gViewNicNames && chkViewNicNames->isEnabled()) {
        first = w;
    } else if (gViewDescriptions && chkViewDescriptions->isEnabled()) {
        first = 2 * w;
    } else {
        fgStatus->setTextMatrix(1, 0, QStringLiteral(" "));
    }
    fgStatus->setColWidth(0, first);
    const int rest = static_cast<int>((gridWidth - first) / (cols - 1) - 50);
    for (int c = 1; c < cols; ++c)
        fgStatus->setColWidth(c, rest);
}

void frmStatusTable::giveGridFocus()
{
    if (Active)
        fgStatusView->setFocus();
}

void frmStatusTable::StatusTableCopyClip()
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(fgStatus->clip());
}

void frmStatusTable::cboTargetBoard_Click()
{
    TableBoardCode = boardCodeOfRow(cboTargetBoard->currentIndex());
    giveGridFocus();
}

void frmStatusTable::chkAutoIncrement_Click()
{
    giveGridFocus();
}

void frmStatusTable::cmdSelectProgram_Click()
{
    SelectStatusTableProgram();
}

void frmStatusTable::cmdNewTable_Click()
{
    NewStatusTable();
}

void frmStatusTable::cmdOpenTable_Click()
{
    OpenStatusTable();
}

void frmStatusTable::cmdSaveTable_Click()
{
    SaveStatusTable();
}

void frmStatusTable::cmdSaveTableAs_Click()
{
    SaveStatusTableAs();
}
