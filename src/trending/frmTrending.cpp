#include "trending/frmTrending.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/Convert.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "platform/Prompts.h"
#include "platform/UpDownEdit.h"
#include "trending/GraphPicture.h"
#include "trending/modGraph.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

const char* const kIntervalNames[] = {"Continuous", "100 msec", "500 msec", "1 sec", "10 sec", "60 sec"};
constexpr int kIntervalMs[] = {0, 100, 500, 1000, 10000, 60000};

constexpr int kMinSamples = 10;
constexpr int kMaxSamples = 255;
// The graph sits under the controls; its left edge is also the margin kept on its right.
constexpr int kGraphLeft = 120;
constexpr int kControlsHeight = 3300;
constexpr int kTrendDataWidth = 3600;
constexpr int kGraphBottomMargin = 600;
// Samples can come every few milliseconds; the screen need not show each one. Each repaint of the
// grid keeps the line waiting, and four a second are enough to follow a trend.
constexpr int kRepaintMs = 250;

} // namespace

// The board list holds "(none)" and the controller models: no limit switch samples a variable.
int frmTrending::boardCodeOfRow(int row) { return controllerBoardCode(row); }

frmTrending::frmTrending(QWidget* parent) : QWidget(parent), clockMs(monotonicMs)
{
    setObjectName(QStringLiteral("frmTrending"));
    setWindowTitle(QStringLiteral("Trending"));
    buildControls();
    m_loop = new PollingLoop(this, [this] { return m_running; }, [this] { return trendingPass(); });
}

frmTrending::~frmTrending() { m_running = false; }

void frmTrending::buildControls()
{
    lblTargetBoard = new QLabel(QStringLiteral("&Target Board:"), this);
    cboTargetBoard = new QComboBox(this);
    lblTargetBoard->setBuddy(cboTargetBoard);
    lblAddress = new QLabel(QStringLiteral("Address:"), this);
    cboAddress = new QComboBox(this);
    cboAddress->setEditable(true);
    // The history is kept by the Enter handling itself, newest on top, repeats included.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setMinimumContentsLength(10);
    optOptions[0] = new QRadioButton(QStringLiteral("Change of State"), this);
    optOptions[1] = new QRadioButton(QStringLiteral("Time Interval"), this);
    optOptions[0]->setChecked(true);
    cboOptions = new QComboBox(this);
    chkAcquire = new QCheckBox(QStringLiteral("&Acquire Samples"), this);
    tmrTrending = new QTimer(this);
    tmrTrending->setInterval(100);
    m_repaintGate = new QTimer(this);
    m_repaintGate->setSingleShot(true);
    m_repaintGate->setInterval(kRepaintMs);

    cmdClear = new QPushButton(QStringLiteral("&Clear Samples"), this);
    cmdReset = new QPushButton(QStringLiteral("&Reset Counter"), this);
    lblCounter = new QLabel(QStringLiteral("Counter:"), this);
    lblSamples = new QLabel(QStringLiteral("0"), this);
    lblSamples->setFrameShape(QFrame::StyledPanel);
    lblSamples->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A fixed size: a new count repaints the label alone, without laying the window out again.
    lblSamples->setFixedSize(fontMetrics().horizontalAdvance(QStringLiteral("999,999,999")) + 12,
                             lblSamples->sizeHint().height());
    // Filled with the window's own colour, the label is opaque: a new count repaints the label,
    // not the window and its frame behind it.
    lblSamples->setAutoFillBackground(true);

    fraTrendData = new QGroupBox(QStringLiteral("Trend Data"), this);
    grid = new GridModel(this);
    fgTrend = new GridView(grid, fraTrendData);
    auto* trendLayout = new QVBoxLayout(fraTrendData);
    trendLayout->addWidget(fgTrend);

    fraGraphing = new QGroupBox(QStringLiteral("Graphing"), this);
    lblGraphSamples = new QLabel(QStringLiteral("Samples:"), fraGraphing);
    txtSamples = new UpDownEdit(fraGraphing);
    txtSamples->setRange(kMinSamples, kMaxSamples);
    txtSamples->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 30);
    chkLiveData = new QCheckBox(QStringLiteral("Graph &Live:"), fraGraphing);
    chkLiveData->setLayoutDirection(Qt::RightToLeft);
    cmdGraphData = new QPushButton(QStringLiteral("&Graph Data"), fraGraphing);
    auto* graphing = new QGridLayout(fraGraphing);
    graphing->addWidget(lblGraphSamples, 0, 0);
    graphing->addWidget(txtSamples, 0, 1);
    graphing->addWidget(chkLiveData, 1, 0, 1, 2, Qt::AlignLeft);
    graphing->addWidget(cmdGraphData, 2, 0, 1, 2);

    picGraph = new GraphPicture(this);
    // Takes the focus after most commands, so that no control keeps it by accident.
    cmdDefault = new QPushButton(this);
    cmdDefault->setFlat(true);
    cmdDefault->setFixedSize(1, 1);

    // Controls in three columns above the graph: what is sampled, the samples, the graph's settings.
    auto* sampling = new QGridLayout;
    sampling->addWidget(lblTargetBoard, 0, 0);
    sampling->addWidget(cboTargetBoard, 0, 1);
    sampling->addWidget(lblAddress, 1, 0);
    sampling->addWidget(cboAddress, 1, 1);
    sampling->addWidget(optOptions[0], 2, 0, 1, 2);
    sampling->addWidget(optOptions[1], 3, 0);
    sampling->addWidget(cboOptions, 3, 1);
    sampling->addWidget(chkAcquire, 4, 0, 1, 2);
    sampling->setRowStretch(5, 1);

    auto* counter = new QHBoxLayout;
    counter->addWidget(lblCounter);
    counter->addWidget(lblSamples, 1);
    auto* commands = new QVBoxLayout;
    commands->addLayout(counter);
    commands->addWidget(cmdClear);
    commands->addWidget(cmdReset);
    commands->addWidget(fraGraphing);
    commands->addStretch(1);

    // The controls keep their height; the graph takes the rest of the window under them.
    m_controls = new QWidget(this);
    auto* top = new QHBoxLayout(m_controls);
    top->setContentsMargins(0, 0, 0, 0);
    top->addLayout(sampling);
    top->addWidget(fraTrendData, 1);
    top->addLayout(commands);
    m_controls->setFixedHeight(twipsToPixels(kControlsHeight));
    fraTrendData->setMinimumWidth(twipsToPixels(kTrendDataWidth));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addWidget(m_controls);
    page->addStretch(1);
    page->addWidget(cmdDefault);

    connect(optOptions[0], &QRadioButton::toggled, this, [this](bool on) { if (on) optOptions_Click(0); });
    connect(optOptions[1], &QRadioButton::toggled, this, [this](bool on) { if (on) optOptions_Click(1); });
    connect(cboOptions, &QComboBox::activated, this, [this] { cboOptions_Click(); });
    connect(cboTargetBoard, &QComboBox::activated, this, [this] { cboTargetBoard_Click(); });
    connect(cboAddress, &QComboBox::activated, this, [this] { cboAddress_Click(); });
    // The line edit's focus proxy is the combo: keys and focus changes typed by the user reach the
    // combo, which hands them to the line edit past its filters. Both are watched.
    cboAddress->installEventFilter(this);
    cboAddress->lineEdit()->installEventFilter(this);
    connect(chkAcquire, &QCheckBox::clicked, this, &frmTrending::chkAcquire_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmTrending::cmdClear_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmTrending::cmdReset_Click);
    connect(cmdGraphData, &QPushButton::clicked, this, &frmTrending::cmdGraphData_Click);
    connect(chkLiveData, &QCheckBox::clicked, this, &frmTrending::chkLiveData_Click);
    connect(txtSamples, &UpDownEdit::stepped, this, &frmTrending::updSamples_Change);
    connect(txtSamples, &UpDownEdit::focusLeft, this, &frmTrending::txtSamples_LostFocus);
    txtSamples->edit()->installEventFilter(this);
    fgTrend->viewport()->installEventFilter(this);
    connect(tmrTrending, &QTimer::timeout, this, &frmTrending::tmrTrending_Timer);
    connect(m_repaintGate, &QTimer::timeout, this, &frmTrending::openRepaintGate);
    connect(grid, &GridModel::topRowChanged, this, &frmTrending::fgTrend_Scroll);
    connect(fgTrend, &GridView::keyPress, this, &frmTrending::fgTrend_KeyPress);
    connect(fgTrend, &GridView::gotFocus, this, &frmTrending::fgTrend_GotFocus);
    connect(fgTrend, &GridView::mouseUp, this, [this](Qt::MouseButton b, const QPoint& pos) {
        if (b == Qt::RightButton)
            popupMenu(pos);
    });
    connect(picGraph, &GraphPicture::rightClicked, this, &frmTrending::popupMenu);
}

// ---------------------------------------------------------------- life of the window

void frmTrending::Form_Load()
{
    // Each load starts as a fresh window would.
    m_running = false;
    m_timeBaseSet = false;
    m_liveFrameDrawn = false;
    m_lastValue.clear();
    m_escCount = 0;
    m_sampleCounter = 0;
    m_sampledAddress.clear();
    m_trendFileName.clear();
    tmrTrending->stop();
    chkAcquire->setChecked(false);
    chkLiveData->setChecked(false);
    optOptions[0]->setChecked(true);
    cboOptions->setEnabled(false);
    cboAddress->clear();
    showCounter();

    cmdClear_Click();
    m_sampleCount = kMaxSamples;
    m_savedSampleCount = kMaxSamples;
    txtSamples->setText(QString::number(m_sampleCount));

    cboTargetBoard->clear();
    for (const ControllerBoardRow& b : controllerBoardRows())
        cboTargetBoard->addItem(QLatin1String(b.name));
    cboTargetBoard->setCurrentIndex(0);
    m_boardTypeCode = 0;
    cboOptions->clear();
    for (const char* name : kIntervalNames)
        cboOptions->addItem(QString::fromLatin1(name));
    cboOptions->setCurrentIndex(0);
    m_loaded = true;

    Form_Resize();
    cmdGraphData_Click();
}

void frmTrending::Form_Activate()
{
    if (gMDIMain)
        gMDIMain->mnuFilePrintTrendData->setVisible(true);
    gActiveChild = 3;
    Form_Resize();
    m_running = true;
    focusDefault();
    // The loop starts once the activation is over; a loop that already runs goes on alone.
    if (!m_loop->isRunning() && !m_loop->isStartQueued()) {
        m_firstPass = true;
        m_loop->start();
    }
}

void frmTrending::Form_Deactivate()
{
    // Sampling goes on behind other views; only the menu entry follows the active view.
    if (gMDIMain)
        gMDIMain->mnuFilePrintTrendData->setVisible(false);
}

void frmTrending::Form_Unload()
{
    if (gMDIMain)
        gMDIMain->mnuFilePrintTrendData->setVisible(false);
    m_running = false;
    tmrTrending->stop();
    m_loaded = false;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->hide();
    else
        hide();
}

void frmTrending::Form_Resize()
{
    // Beside the program browser, as wide and high as the main window's client area allows.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->mdiArea()) {
        int left = 0;
        if (gMDIMain && gMDIMain->programBrowser() && gMDIMain->programBrowser()->parentWidget())
            left = gMDIMain->programBrowser()->parentWidget()->geometry().right() + 1;
        const QWidget* area = frame->mdiArea()->viewport();
        const int width = area->width() - left;
        frame->setGeometry(left, 0, width > 0 ? width : frame->width(), area->height());
    }
    if (layout())
        layout()->activate();
    fitGridColumns();
    const int graphLeft = twipsToPixels(kGraphLeft);
    const int graphTop = m_controls->geometry().bottom() + graphLeft;
    const int h = height() - graphTop - twipsToPixels(kGraphBottomMargin);
    const int w = width() - 3 * graphLeft;
    picGraph->setGeometry(graphLeft, graphTop, w > 0 ? w : picGraph->width(), h > 0 ? h : picGraph->height());
    picGraph->update();
    m_redrawRequested = true;
}

void frmTrending::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_loaded)
        Form_Resize();
}

void frmTrending::Form_Click() { focusDefault(); }

void frmTrending::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    Form_Click();
}

void frmTrending::focusDefault() { cmdDefault->setFocus(); }

void frmTrending::popupMenu(const QPoint& globalPos)
{
    if (gMDIMain)
        gMDIMain->popupTrending(globalPos);
}

// ---------------------------------------------------------------- interval and mode

void frmTrending::SetSampleInterval()
{
    const int row = cboOptions->currentIndex();
    if (row >= 1 && row < static_cast<int>(std::size(kIntervalMs))) {
        tmrTrending->setInterval(kIntervalMs[row]);
        tmrTrending->start();
    } else {
        tmrTrending->stop();
    }
}

void frmTrending::optOptions_Click(int Index)
{
    if (Index == 0) {
        cboOptions->setEnabled(false);
        tmrTrending->stop();
    } else {
        cboOptions->setEnabled(true);
        SetSampleInterval();
    }
}

void frmTrending::cboOptions_Click()
{
    SetSampleInterval();
    if (m_running)
        focusDefault();
}

void frmTrending::cboTargetBoard_Click() { m_boardTypeCode = boardCodeOfRow(cboTargetBoard->currentIndex()); }

void frmTrending::chkAcquire_Click()
{
    // The loop and the timer read the box; checking it does nothing else.
    if (m_running)
        focusDefault();
}

// ---------------------------------------------------------------- address entry

bool frmTrending::takeAddress(const QString& text, bool addToHistory)
{
    const RSComm& comm = boardTables();
    if (!comm.ValidAdd(text, m_boardTypeCode))
        return false;
    // An input or output point the board does not have comes back from the mapping unmapped, and
    // reading it would sample some other byte: it is refused like any invalid address.
    const QString mapped = comm.EquateAdd(text, m_boardTypeCode);
    const QString typed = text.trimmed().toUpper();
    if (!typed.isEmpty() && QStringLiteral("IXY").contains(typed.front()) &&
        !mapped.startsWith(QLatin1Char('B'), Qt::CaseInsensitive))
        return false;
    if (addToHistory) {
        cboAddress->insertItem(0, text);
        cboAddress->setCurrentIndex(0);
    }
    m_sampledAddress = mapped;
    return true;
}

void frmTrending::selectLastValidAddress()
{
    if (cboAddress->count() > 0)
        cboAddress->setCurrentIndex(0);
    cboAddress->setEditText(cboAddress->count() > 0 ? cboAddress->itemText(0) : cboAddress->currentText());
}

void frmTrending::cboAddress_KeyPress(int KeyAscii)
{
    if (KeyAscii == 27) {
        selectLastValidAddress();
        focusDefault();
        return;
    }
    if (KeyAscii != 13 || m_validating)
        return;
    m_validating = true;
    QString text = cboAddress->currentText().toUpper();
    // A bit beyond 7 is taken as bit 7.
    if (text.contains(QLatin1Char('.')) && val(text.right(1)) > 7)
        text = text.left(text.size() - 2) + QStringLiteral(".7");
    cboAddress->setEditText(text);
    if (takeAddress(text, true)) {
        focusDefault();
    } else {
        selectLastValidAddress();
        cboAddress->setFocus();
    }
    m_validating = false;
}

void frmTrending::cboAddress_LostFocus() { cboAddress_KeyPress(13); }

void frmTrending::cboAddress_Click()
{
    if (m_validating)
        return;
    m_validating = true;
    if (takeAddress(cboAddress->currentText(), false)) {
        focusDefault();
    } else {
        selectLastValidAddress();
        cboAddress->setFocus();
    }
    m_validating = false;
}

// ---------------------------------------------------------------- sample count entry

void frmTrending::txtSamples_GotFocus()
{
    m_savedSampleCount = m_sampleCount;
    SelectAllText(txtSamples->edit());
}

void frmTrending::restoreSavedSampleCount()
{
    txtSamples->setText(QString::number(m_savedSampleCount));
    m_sampleCount = m_savedSampleCount;
}

void frmTrending::txtSamples_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13) {
        m_escCount = 0;
        focusDefault();
    } else if (KeyAscii == 27) {
        ++m_escCount;
        restoreSavedSampleCount();
        if (m_escCount >= 2) {
            m_escCount = 0;
            focusDefault();
        } else {
            SelectAllText(txtSamples->edit());
        }
    } else {
        m_escCount = 0;
    }
}

void frmTrending::txtSamples_Validate()
{
    if (m_validating)
        return;
    m_validating = true;
    bool ok = false;
    const double value = txtSamples->text().trimmed().toDouble(&ok);
    if (!ok || !(value >= kMinSamples && value <= kMaxSamples)) {
        msgBox(txtSamples->rangeMessage(), Buttons::Ok, Icon::Information, QStringLiteral("Graphing Samples"));
        restoreSavedSampleCount();
        if (txtSamples->isEnabled())
            txtSamples->setFocus();
        SelectAllText(txtSamples->edit());
    } else {
        m_sampleCount = static_cast<int>(std::lround(value));
    }
    m_validating = false;
    // Redrawn without moving the focus, so a refused count keeps it in the box.
    redrawGraph();
}

void frmTrending::txtSamples_LostFocus() { txtSamples_Validate(); }

void frmTrending::updSamples_Change() { txtSamples_Validate(); }

bool frmTrending::eventFilter(QObject* watched, QEvent* event)
{
    // The grid learns how many rows it shows only once it is laid out on the screen, after the load
    // has numbered none of them; its height is fixed, so this numbers them when it is first shown.
    if (watched == fgTrend->viewport() && event->type() == QEvent::Resize)
        numberVisibleRows();
    const bool address = watched == cboAddress || watched == cboAddress->lineEdit();
    const bool samples = watched == txtSamples->edit();
    if (address || samples) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            int ascii = 0;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                ascii = 13;
            else if (key->key() == Qt::Key_Escape)
                ascii = 27;
            else if (!key->text().isEmpty())
                ascii = key->text().at(0).unicode();
            if (address && ascii != 0) {
                cboAddress_KeyPress(ascii);
                return ascii == 13 || ascii == 27;
            }
            if (samples) {
                txtSamples_KeyPress(ascii);
                return ascii == 13 || ascii == 27;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A popup (the history list, a box of our own) or another window taking the focus is not
            // the user leaving the field.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (address && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                cboAddress_LostFocus();
        } else if (event->type() == QEvent::FocusIn && samples) {
            txtSamples_GotFocus();
        } else if (event->type() == QEvent::MouseButtonRelease && samples) {
            txtSamples_GotFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- grid

void frmTrending::layoutGrid()
{
    grid->setRows(1);
    grid->clear();
    grid->setFixedRows(1);
    grid->setFixedCols(0);
    grid->setFormatString(QStringLiteral("<|<|^"));
    grid->setRows(12);
    grid->setTextMatrix(0, 0, QStringLiteral("#"));
    grid->setTextMatrix(0, 1, QStringLiteral("(sec)"));
    grid->setTextMatrix(0, 2, QStringLiteral("Data:"));
    fitGridColumns();
}

void frmTrending::fitGridColumns()
{
    const int gridWidth = fgTrend->toTwips(fgTrend->width());
    const int side = static_cast<int>(std::lround((gridWidth - 500) / 2.183));
    grid->setColWidth(0, 500);
    grid->setColWidth(1, side > 0 ? side : GridModel::kDefaultColWidth);
    grid->setColWidth(2, side > 0 ? side : GridModel::kDefaultColWidth);
}

void frmTrending::numberVisibleRows()
{
    for (int r = grid->topRow(); r < grid->rows(); ++r) {
        if (!grid->rowIsVisible(r))
            break;
        grid->setTextMatrix(r, 0, QString::number(r));
    }
}

void frmTrending::showCounter()
{
    // Whole number with digit grouping, also where the locale would leave it out.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    lblSamples->setText(locale.toString(static_cast<qlonglong>(m_sampleCounter)));
}

void frmTrending::cmdClear_Click()
{
    layoutGrid();
    grid->setCurrentCell(1, 0);
    grid->setTopRow(1);
    numberVisibleRows();
    fgTrend->viewport()->update();
    if (m_running)
        cmdReset_Click();
    m_timeBaseSet = false;
}

void frmTrending::setSampleCounter(long counter)
{
    m_sampleCounter = counter;
    showCounter();
}

void frmTrending::cmdReset_Click()
{
    m_sampleCounter = 0;
    lblSamples->setText(QStringLiteral("0"));
    focusDefault();
}

void frmTrending::fgTrend_Scroll() { numberVisibleRows(); }

void frmTrending::fgTrend_GotFocus()
{
    grid->setCurrentCell(1, 0);
    grid->setTopRow(1);
}

void frmTrending::fgTrend_KeyPress(int KeyAscii)
{
    if (KeyAscii == 3 && gMDIMain)
        gMDIMain->mnuTrendingPopupCopy->trigger();
}

QString frmTrending::trendClip()
{
    showHeldCounts();
    return grid->clip();
}

void frmTrending::showHeldCounts()
{
    if (!m_countsHeld)
        return;
    m_countsHeld = false;
    showCounter();
    numberVisibleRows();
}

void frmTrending::gateRepaints()
{
    if (!m_repaintGate->isActive()) {
        m_repaintGate->start();
    } else if (!m_changesHeld) {
        // Only what a sample changes is held: the grid's rows and cells, the counter, and a live
        // graph's plot. Holding more would repaint the untouched controls each time the gate
        // opens. The grid's view keeps its scroll bars and its rows as they were and learns of the
        // new rows all at once when the gate opens: its scroll bars then change only while the
        // grid still grows. The graph is not held from painting: its plot waits for the gate.
        m_changesHeld = true;
        fgTrend->holdChanges();
        lblSamples->setUpdatesEnabled(false);
    }
}

void frmTrending::plotLiveSample()
{
    // The graph's values come from every row of the grid: working them out for each sample takes
    // a few hundredths of the line's time, and of the plots made while the gate holds only the
    // last would ever be painted.
    if (m_changesHeld)
        m_livePlotHeld = true;
    else
        GraphTrendData();
}

void frmTrending::openRepaintGate()
{
    // A gate that held nothing stays open: the next sample paints at once.
    if (!m_changesHeld)
        return;
    m_changesHeld = false;
    showHeldCounts();
    if (m_livePlotHeld) {
        m_livePlotHeld = false;
        GraphTrendData();
    }
    fgTrend->showHeldChanges();
    lblSamples->setUpdatesEnabled(true);
    // Samples still come: the next ones wait for the next repaint, so the screen is painted once
    // in each period rather than at its end and again for the first sample after it.
    m_repaintGate->start();
}

// ---------------------------------------------------------------- graph

std::vector<QString> frmTrending::sampleTexts() const
{
    // The graph never shows more than the largest sample count plus one.
    const int last = std::min(grid->rows() - 1, kMaxSamples + 1);
    std::vector<QString> texts;
    texts.reserve(static_cast<std::size_t>(std::max(last, 0)));
    for (int r = 1; r <= last; ++r)
        texts.push_back(grid->textMatrix(r, 2));
    return texts;
}

void frmTrending::GraphTrendData() { PlotGraphData(graphValues(sampleTexts(), m_sampleCount), GraphColor::Blue); }

void frmTrending::redrawGraph()
{
    DrawGraphFrame(picGraph);
    GraphTrendData();
}

void frmTrending::cmdGraphData_Click()
{
    redrawGraph();
    if (m_running)
        focusDefault();
}

void frmTrending::chkLiveData_Click()
{
    if (chkLiveData->isChecked() && !m_liveFrameDrawn) {
        DrawGraphFrame(picGraph);
        m_liveFrameDrawn = true;
    }
}
