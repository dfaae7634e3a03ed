// The timing window itself: the one instance in the main window, its controls and their layout,
// loading, activation, unloading and size, and the board list.
#include "limitswitch/frmTiming.h"

#include "comm/RSComm.h"
#include "limitswitch/TimingRules.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "platform/UpDownEdit.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

using namespace timing;

namespace {
QPointer<frmTiming> g_instance;

const char* const kCfgCaptions[19] = {"Scale Factor (2-4096):",
                                      "PLS Program (0-7):",
                                      "CH00 (0-255 msec):",
                                      "CH01 (0-255 msec):",
                                      "CH02 (0-255 msec):",
                                      "CH03 (0-255 msec):",
                                      "CH04 (0-255 msec):",
                                      "CH05 (0-255 msec):",
                                      "CH06 (0-255 msec):",
                                      "CH07 (0-255 msec):",
                                      "Scale Factor (2-512):",
                                      "Remote Display Strobe Preset (2.5msec TB):",
                                      "Desired Stop Location:",
                                      "Allowed Stopping Error +-:",
                                      "Timing Signal Width:",
                                      "Compensation Enable Window:",
                                      "",
                                      "Low Speed Threshold:",
                                      "High Speed Threshold:"};
// Design bounds of the configuration fields.
constexpr int kCfgMin[19] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr int kCfgMax[19] = {4096, 7, 255, 255, 255, 255, 255, 255, 255, 255, 512, 255, 511, 255, 254, 511, 511, 5999, 5999};
// Design bounds of the channel entries: offset, channel (octal digits), ON, OFF, START, pair number.
constexpr int kTmgMax[6] = {359, 77, 4095, 4095, 4095, 2048};

// The old KeyAscii of a key: 13 Enter, 27 Esc, else the character's code (0 for none).
int keyAscii(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        return 13;
    if (e->key() == Qt::Key_Escape)
        return 27;
    return e->text().isEmpty() ? 0 : e->text().at(0).unicode();
}
} // namespace

// ------------------------------------------------------------------ the one instance

frmTiming* frmTiming::loaded() { return g_instance; }

frmTiming* frmTiming::instance()
{
    if (g_instance) {
        // Shown again after its unload, the window starts over as a newly loaded one.
        if (g_instance->m_unloaded) {
            g_instance->m_unloaded = false;
            g_instance->Form_Load();
        }
        return g_instance;
    }
    auto* form = new frmTiming;
    g_instance = form;
    if (gMDIMain && gMDIMain->mdiArea) {
        QMdiArea* area = gMDIMain->mdiArea;
        form->m_subWindow = new QMdiSubWindow(area);
        form->m_subWindow->setWidget(form);
        form->m_subWindow->setWindowTitle(form->windowTitle());
        form->m_subWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        form->m_subWindow->installEventFilter(form);
        connect(form->m_subWindow, &QMdiSubWindow::windowStateChanged, form,
                [form] { gTimingWindowShown = form->shown(); });
        area->addSubWindow(form->m_subWindow);
        form->m_areaViewport = area->viewport();
        area->viewport()->installEventFilter(form);
        gMDIMain->setChildView(frmMDIMain::ChildView::Timing, form);
        connect(area, &QMdiArea::subWindowActivated, form, [form](QMdiSubWindow* w) {
            if (w && w == form->m_subWindow)
                form->Form_Activate();
        });
    }
    form->Form_Load();
    return form;
}

void frmTiming::ShowMe()
{
    frmTiming* form = instance();
    if (form->m_subWindow) {
        if (form->m_subWindow->isMinimized())
            form->m_subWindow->showNormal();
        else
            form->m_subWindow->show();
        form->Form_Resize();
        if (form->m_subWindow->mdiArea()->activeSubWindow() == form->m_subWindow)
            form->Form_Activate();
        else
            form->m_subWindow->mdiArea()->setActiveSubWindow(form->m_subWindow);
    } else {
        form->show();
        form->Form_Activate();
    }
    form->cmdDefault->setFocus();
}

frmTiming::frmTiming(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTiming"));
    setWindowTitle(QStringLiteral("PLS Timing"));
    buildControls();
    wireControls();
    gTimingDisplayPLSChannels = [this] { DisplayPLSChannels(); };
}

frmTiming::~frmTiming()
{
    if (m_areaViewport)
        m_areaViewport->removeEventFilter(this);
    Running = false;
    gTimingWindowShown = false;
    gTimingDisplayPLSChannels = nullptr;
}

bool frmTiming::shown() const
{
    if (m_subWindow)
        return m_subWindow->isVisible() && !m_subWindow->isMinimized() && isVisible();
    return isVisible();
}

bool frmTiming::isOpen() const { return m_subWindow ? m_subWindow->isVisible() : isVisible(); }

// ------------------------------------------------------------------ controls

void frmTiming::buildControls()
{
    auto tw = [](int twips) { return twipsToPixels(twips); };
    setMinimumSize(tw(12360), tw(8700));

    lblTargetBoard = new QLabel(QStringLiteral("&Target Board:"), this);
    cboTargetBoard = new QComboBox(this);
    lblTargetBoard->setBuddy(cboTargetBoard);
    lblTargetBoard->setGeometry(tw(120), tw(180), tw(1200), tw(300));
    cboTargetBoard->setGeometry(tw(1380), tw(120), tw(2100), tw(360));

    const char* frameCaptions[9] = {"PLS Configuration", "Speed Compensation", "Timing Setpoints", "Resolver Offset",
                                    "PLS Channel",       "PLS Configuration",  "CH00 Brake Wear Comp.",
                                    "CH17 Speed Window", "Channel Setpoint"};
    for (int i = 0; i < 9; ++i)
        fraTmg[i] = new QGroupBox(QString::fromLatin1(frameCaptions[i]), this);

    for (int i = 0; i < 19; ++i) {
        lblPLS_CFG[i] = new QLabel(QString::fromLatin1(kCfgCaptions[i]));
        txtPLS_CFG[i] = new UpDownEdit;
        txtPLS_CFG[i]->setRange(kCfgMin[i], kCfgMax[i]);
        txtPLS_CFG[i]->setObjectName(QStringLiteral("txtPLS_CFG%1").arg(i));
        txtPLS_CFG[i]->setFixedWidth(tw(1000));
    }
    const char* counts[4] = {"8 Channels", "16 Channels", "32 Channels", "64 Channels"};
    for (int k = 0; k < 4; ++k) {
        optPlsChan[k] = new QRadioButton(QString::fromLatin1(counts[k]));
        optPlsChan[k]->setAutoExclusive(false);
    }
    for (int k = 0; k < 2; ++k) {
        optV8PlsChan[k] = new QRadioButton(QString::fromLatin1(counts[k + 1]));
        optV8PlsChan[k]->setAutoExclusive(false);
    }
    chkV8BWComp = new QCheckBox(QStringLiteral("Brake Wear Comp. Enable"));
    chkV8SpdWinEn = new QCheckBox(QStringLiteral("Speed Window Enable"));
    lblBWComp[0] = new QLabel(QStringLiteral("ON"));
    lblBWComp[1] = new QLabel(QStringLiteral("OFF"));
    for (QLabel* l : lblBWComp)
        l->setAlignment(Qt::AlignCenter);

    cmdResetPLSConfig = new QPushButton(QStringLiteral("&Reset PLS Config"), this);
    cmdDefault = new QPushButton(this);
    // A focus holder without an action: it sits behind the frames.
    cmdDefault->setGeometry(0, 0, 1, 1);
    cmdDefault->lower();
    cmdDefault->setFlat(true);
    lblSetpointRecall = new QLabel(this);
    lblSetpointRecall->hide();

    for (int i = 0; i < 6; ++i) {
        txtTmg[i] = new UpDownEdit;
        txtTmg[i]->setRange(0, kTmgMax[i]);
        txtTmg[i]->setObjectName(QStringLiteral("txtTmg%1").arg(i));
        txtTmg[i]->setFixedWidth(tw(960));
    }
    const char* tmgCaptions[4] = {"ON", "OFF", "START", "SETPOINT"};
    for (int i = 0; i < 4; ++i)
        lblTmg[i] = new QLabel(QString::fromLatin1(tmgCaptions[i]));
    cmdSetOffset = new QPushButton(QStringLiteral("Set &Offset"));
    cmdRecallChan = new QPushButton(QStringLiteral("&Recall Channel"));
    cmdClearChan = new QPushButton(QStringLiteral("&Clear Channel"));
    cmdClearAll = new QPushButton(QStringLiteral("Clear &All"));
    cmdAddSetpoint = new QPushButton(QStringLiteral("A&dd Setpoint"));
    cmdAdjustSetpoint = new QPushButton(QStringLiteral("Ad&just Setpoint"));
    cmdPulseTrain = new QPushButton(QStringLiteral("&Pulse Train"));

    fgModel = new GridModel(this);
    fgPLSChannels = new GridView(fgModel);
    fgPLSChannels->setObjectName(QStringLiteral("fgPLSChannels"));
    fgPLSChannels->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setGridColours();

    sbrMachineTiming = new QStatusBar(this);
    sbrMachineTiming->setSizeGripEnabled(false);
    for (int p = 0; p < 4; ++p) {
        sbrPanel[p] = new QLabel;
        sbrPanel[p]->setFrameShape(QFrame::Panel);
        sbrPanel[p]->setFrameShadow(QFrame::Sunken);
        sbrMachineTiming->addWidget(sbrPanel[p], 1);
    }

    layoutConfigFrames();
    layoutChannelFrames();
}

void frmTiming::setGridColours()
{
    // Enabled: the setpoints in blue under headings in the button-text colour; disabled: both grey.
    // Set once: the grid's enabled state picks the colour group. A palette set again at every
    // switch is a new palette to the style, which caches what it paints under each one, so memory
    // grew with every channel command (even two palettes set in turn come back as new copies).
    QPalette p = fgPLSChannels->palette();
    const QColor grey = p.color(QPalette::Disabled, QPalette::WindowText);
    p.setColor(QPalette::Active, QPalette::Text, Qt::blue);
    p.setColor(QPalette::Inactive, QPalette::Text, Qt::blue);
    p.setColor(QPalette::Disabled, QPalette::Text, grey);
    fgPLSChannels->setPalette(p);
    QHeaderView* header = fgPLSChannels->horizontalHeader();
    QPalette h = header->palette();
    h.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    header->setPalette(h);
}

void frmTiming::layoutConfigFrames()
{
    auto tw = [](int twips) { return twipsToPixels(twips); };
    auto fieldRow = [this](QGridLayout* g, int row, int i) {
        g->addWidget(lblPLS_CFG[i], row, 0);
        g->addWidget(txtPLS_CFG[i], row, 1, Qt::AlignLeft);
    };
    const int width = tw(6000);

    // Multi-channel board: channel counts with scale and program, then the speed compensations.
    auto* g0 = new QGridLayout(fraTmg[0]);
    for (int k = 0; k < 4; ++k)
        g0->addWidget(optPlsChan[k], k / 2, k % 2);
    auto* g0f = new QGridLayout;
    fieldRow(g0f, 0, 0);
    fieldRow(g0f, 1, 1);
    g0->addLayout(g0f, 2, 0, 1, 2);
    fraTmg[0]->setGeometry(tw(120), tw(660), width, tw(2460));
    auto* g1 = new QGridLayout(fraTmg[1]);
    for (int i = 2; i <= 9; ++i)
        fieldRow(g1, i - 2, i);
    g1->setVerticalSpacing(tw(30));
    fraTmg[1]->setGeometry(tw(120), tw(3240), width, tw(3480));

    // Brake-wear boards.
    auto* g5 = new QGridLayout(fraTmg[5]);
    g5->addWidget(optV8PlsChan[0], 0, 0);
    g5->addWidget(optV8PlsChan[1], 0, 1);
    auto* g5f = new QGridLayout;
    fieldRow(g5f, 0, 10);
    fieldRow(g5f, 1, 11);
    g5->addLayout(g5f, 1, 0, 1, 2);
    fraTmg[5]->setGeometry(tw(120), tw(660), width, tw(2040));

    auto* g6 = new QGridLayout(fraTmg[6]);
    g6->addWidget(chkV8BWComp, 0, 0, 1, 3);
    for (int i = 12; i <= 14; ++i) {
        g6->addWidget(lblPLS_CFG[i], i - 11, 0);
        g6->addWidget(txtPLS_CFG[i], i - 11, 1);
    }
    g6->addWidget(lblBWComp[0], 4, 1);
    g6->addWidget(lblBWComp[1], 4, 2);
    g6->addWidget(lblPLS_CFG[15], 5, 0);
    g6->addWidget(txtPLS_CFG[15], 5, 1);
    g6->addWidget(txtPLS_CFG[16], 5, 2);
    g6->addWidget(lblPLS_CFG[16], 6, 0);
    lblPLS_CFG[16]->hide();
    g6->setColumnStretch(3, 1);
    fraTmg[6]->setGeometry(tw(120), tw(2820), width, tw(3120));

    auto* g7 = new QGridLayout(fraTmg[7]);
    g7->addWidget(chkV8SpdWinEn, 0, 0, 1, 2);
    fieldRow(g7, 1, 17);
    fieldRow(g7, 2, 18);
    fraTmg[7]->setGeometry(tw(120), tw(6060), width, tw(1680));

    cmdResetPLSConfig->setGeometry(tw(1080), tw(7860), tw(2400), tw(420));
}

void frmTiming::layoutChannelFrames()
{
    auto tw = [](int twips) { return twipsToPixels(twips); };
    // The grid's frame, as high as the window allows (Form_Resize), then the offset, channel and
    // setpoint frames in a column at the right.
    auto* g2 = new QVBoxLayout(fraTmg[2]);
    g2->addWidget(fgPLSChannels);
    fraTmg[2]->setGeometry(tw(6240), tw(120), tw(3000), tw(7700));

    const int right = tw(9360), width = tw(2880);
    auto* g3 = new QGridLayout(fraTmg[3]);
    g3->addWidget(txtTmg[0], 0, 0);
    g3->addWidget(cmdSetOffset, 0, 1);
    fraTmg[3]->setGeometry(right, tw(120), width, tw(840));

    auto* g4 = new QGridLayout(fraTmg[4]);
    g4->addWidget(txtTmg[1], 0, 0);
    g4->addWidget(cmdRecallChan, 0, 1);
    g4->addWidget(cmdClearChan, 1, 1);
    g4->addWidget(cmdClearAll, 2, 1);
    fraTmg[4]->setGeometry(right, tw(1080), width, tw(1800));

    auto* g8 = new QGridLayout(fraTmg[8]);
    for (int i = 0; i < 4; ++i) {
        g8->addWidget(lblTmg[i], i, 0);
        g8->addWidget(txtTmg[i + 2], i, 1);
    }
    g8->addWidget(cmdAddSetpoint, 4, 0, 1, 2);
    g8->addWidget(cmdAdjustSetpoint, 5, 0, 1, 2);
    g8->addWidget(cmdPulseTrain, 6, 0, 1, 2);
    fraTmg[8]->setGeometry(right, tw(3000), width, tw(3600));

    lblSetpointRecall->setGeometry(right, tw(6700), width, tw(300));
}

void frmTiming::wireControls()
{
    connect(cboTargetBoard, &QComboBox::activated, this, [this] { cboTargetBoard_Click(); });
    for (int k = 0; k < 4; ++k)
        connect(optPlsChan[k], &QRadioButton::clicked, this, [this, k] {
            // A click on the chosen option changes nothing (the click has just cleared it); another
            // option is chosen alone.
            const bool already = !optPlsChan[k]->isChecked();
            optPlsChan[k]->setChecked(true);
            if (!already)
                selectPlsChan(k);
        });
    for (int k = 0; k < 2; ++k)
        connect(optV8PlsChan[k], &QRadioButton::clicked, this, [this, k] {
            const bool already = !optV8PlsChan[k]->isChecked();
            optV8PlsChan[k]->setChecked(true);
            if (!already)
                selectV8PlsChan(k);
        });
    connect(chkV8BWComp, &QCheckBox::clicked, this, [this] { chkV8BWComp_Click(); });
    connect(chkV8SpdWinEn, &QCheckBox::clicked, this, [this] { chkV8SpdWinEn_Click(); });
    connect(cmdResetPLSConfig, &QPushButton::clicked, this, [this] { cmdResetPLSConfig_Click(); });
    for (int i = 0; i < 19; ++i) {
        UpDownEdit* f = txtPLS_CFG[i];
        f->edit()->installEventFilter(this);
        connect(f, &UpDownEdit::focusLeft, this, [this, i] { txtPLS_CFG_LostFocus(i); });
        connect(f, &UpDownEdit::stepped, this, [this, i] { updPLS_CFG_Change(i); });
    }
    for (int i = 0; i < 6; ++i) {
        UpDownEdit* f = txtTmg[i];
        f->edit()->installEventFilter(this);
        connect(f, &UpDownEdit::focusLeft, this, [this, i] { txtTmg_LostFocus(i); });
        connect(f, &UpDownEdit::stepped, this, [this, i] { updTmg_Change(i); });
    }
    connect(cmdSetOffset, &QPushButton::clicked, this, [this] { cmdSetOffset_Click(); });
    connect(cmdRecallChan, &QPushButton::clicked, this, [this] { cmdRecallChan_Click(); });
    connect(cmdClearChan, &QPushButton::clicked, this, [this] { cmdClearChan_Click(); });
    connect(cmdClearAll, &QPushButton::clicked, this, [this] { cmdClearAll_Click(); });
    connect(cmdAddSetpoint, &QPushButton::clicked, this, [this] { cmdAddSetpoint_Click(); });
    connect(cmdAdjustSetpoint, &QPushButton::clicked, this, [this] { cmdAdjustSetpoint_Click(); });
    connect(cmdPulseTrain, &QPushButton::clicked, this, [this] { cmdPulseTrain_Click(); });
    connect(fgPLSChannels, &GridView::gridClicked, this, [this] { fgPLSChannels_Click(); });
    connect(fgPLSChannels, &GridView::keyPress, this, [this](int ascii) { fgPLSChannels_KeyPress(ascii); });
    connect(fgModel, &GridModel::enterCell, this, [this] { fgPLSChannels_EnterCell(); });
}

bool frmTiming::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_subWindow && event->type() == QEvent::Close) {
        event->ignore();
        Form_Unload();
        return true;
    }
    if (watched == m_areaViewport && event->type() == QEvent::Resize) {
        // The main window's resize fits the view again while it is shown.
        if (shown())
            Form_Resize();
        return false;
    }
    for (int i = 0; i < 19; ++i)
        if (watched == txtPLS_CFG[i]->edit()) {
            if (event->type() == QEvent::FocusIn)
                txtPLS_CFG_GotFocus(i);
            else if (event->type() == QEvent::MouseButtonRelease)
                txtPLS_CFG_GotFocus(i);
            else if (event->type() == QEvent::KeyPress)
                return txtPLS_CFG_KeyPress(i, keyAscii(static_cast<QKeyEvent*>(event)));
            return false;
        }
    for (int i = 0; i < 6; ++i)
        if (watched == txtTmg[i]->edit()) {
            if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)
                txtTmg_GotFocus(i);
            else if (event->type() == QEvent::KeyPress)
                return txtTmg_KeyPress(i, keyAscii(static_cast<QKeyEvent*>(event)));
            return false;
        }
    return QWidget::eventFilter(watched, event);
}

void frmTiming::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Form_Unload();
}

// ------------------------------------------------------------------ window

void frmTiming::Form_Load()
{
    gPLSData = PLSFileData{};
    // The channel grid: a heading row and three centred columns that share the grid's width.
    fgModel->setFormatString(QStringLiteral("^Chan #|^ON POS|^Off POS"));
    fgModel->setCols(3);
    fgModel->setRows(24);
    fitGridColumns();
    cmdResetPLSConfig->move(twipsToPixels(1080), twipsToPixels(7860));
    for (int f : {0, 1, 5, 6, 7}) {
        fraTmg[f]->setEnabled(false);
        fraTmg[f]->hide();
    }
    cboTargetBoard->clear();
    for (int row = 0; row < kBoardListCount; ++row)
        cboTargetBoard->addItem(boardListItem(row));
    cboTargetBoard->setCurrentIndex(-1);
    DisableConfigControls();
}

void frmTiming::Form_Activate()
{
    const bool wasRunning = Running;
    if (!wasRunning) {
        gTargetboardIndex = GetTargetboardType(GetSelectedFile());
        gFirstPassOnline = false;
        OfflineShown = false;
        m_setpointsUnread = false;
        // The window starts on an empty record, so a transfer's mark that the record was just read
        // no longer holds: the first on-line pass reads the board.
        gPLSData = PLSFileData{};
        gPLSUploadComplete = false;
    }
    const int row = boardRowOfCode(gTargetboardIndex);
    if (row == kMultiChannelRow)
        gTargetboardIndex = kMultiChannelCode;
    if (cboTargetBoard->currentIndex() != row) {
        cboTargetBoard->setCurrentIndex(row);
        cboTargetBoard_Click();
    }
    const bool multi = row == kMultiChannelRow;
    for (int f : {0, 1})
        fraTmg[f]->setVisible(multi);
    for (int f : {5, 6, 7})
        fraTmg[f]->setVisible(!multi);
    EscPending = false;
    DisplayPLSChannels();
    if (!wasRunning) {
        Running = true;
        RunOnlineLoop();
    }
}

void frmTiming::Form_Unload()
{
    Running = false;
    m_unloaded = true;
    PollingLoop::wake();
    if (m_subWindow)
        m_subWindow->hide();
    else
        hide();
}

void frmTiming::Form_Resize()
{
    if (m_subWindow && gMDIMain) {
        QWidget* inside = m_subWindow->mdiArea()->viewport();
        int left = 0;
        if (frmMain* browser = gMDIMain->programBrowser(); browser && browser->parentWidget())
            left = browser->parentWidget()->geometry().right() + 1;
        QRect g = m_subWindow->geometry();
        g.moveTo(left, 0);
        if (inside->width() - left > 0)
            g.setWidth(inside->width() - left);
        if (inside->height() > 0)
            g.setHeight(inside->height());
        m_subWindow->setGeometry(g);
    }
    const int statusHeight = sbrMachineTiming->sizeHint().height();
    sbrMachineTiming->setGeometry(0, height() - statusHeight, width(), statusHeight);
    const int frameHeight = qMax(height() - twipsToPixels(1000) + statusHeight, twipsToPixels(2000));
    fraTmg[2]->resize(fraTmg[2]->width(), frameHeight);
    fgPLSChannels->setFixedHeight(qMax(frameHeight - twipsToPixels(435), twipsToPixels(1000)));
    fitGridColumns();
}

// The three columns share the grid's width, less room for its scroll bar.
void frmTiming::fitGridColumns()
{
    const int colTwips = (fgPLSChannels->toTwips(fgPLSChannels->width()) - 200) / 3;
    for (int c = 0; c < 3; ++c)
        fgModel->setColWidth(c, qMax(colTwips, 600));
}

// The transfers refresh the window only while it is shown: open, not hidden and not minimised.
void frmTiming::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    gTimingWindowShown = shown();
    Form_Resize();
}

void frmTiming::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    gTimingWindowShown = false;
}

// ------------------------------------------------------------------ board list

void frmTiming::cboTargetBoard_Click()
{
    const bool multi = cboTargetBoard->currentIndex() == kMultiChannelRow;
    cmdResetPLSConfig->move(twipsToPixels(1080), twipsToPixels(multi ? 6840 : 7860));
    for (int f : {0, 1})
        fraTmg[f]->setVisible(multi);
    for (int f : {5, 6, 7})
        fraTmg[f]->setVisible(!multi);
    SetTargetboardIndex();
    if (gTargetboardIndex != kThirtyTwoChannelBrakeWearCode)
        optV8PlsChan[1]->setEnabled(false);
    else if (gFirstPassOnline)
        optV8PlsChan[1]->setEnabled(true);
}

// ------------------------------------------------------------------ small helpers

bool frmTiming::onlineMode() const { return gRSComm && gRSComm->OnlineMode; }

bool frmTiming::commError() const { return gRSComm && gRSComm->CommError; }

void frmTiming::showPanel(int panel, const QString& text) { sbrPanel[static_cast<std::size_t>(panel - 1)]->setText(text); }
