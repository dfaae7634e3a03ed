#pragma once
#include <QString>
#include <QWidget>
#include <functional>

class GraphPicture;
class GridModel;
class PollingLoop;
class GridView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;
class UpDownEdit;

// The trending view: samples one controller variable, on a timer or by polling for changes, into a
// grid newest-first with the elapsed time and a running counter, and draws the samples as a graph.
// One instance lives for the whole run; closing it hides it and stops its loop, and the next show
// loads it afresh, so it is never deleted while its loop may still be on the stack.
//
// The window is split by family of operations: frmTrending.cpp (window, controls, entries, grid
// and graph), frmTrendingSampling.cpp (the loop, the timer and adding a sample),
// frmTrendingFiles.cpp (trend files and the print hand-over).
class frmTrending : public QWidget {
    Q_OBJECT
public:
    explicit frmTrending(QWidget* parent = nullptr);
    ~frmTrending() override;

    // --- called by the main window
    void Form_Load();
    void Form_Activate();
    void Form_Deactivate();
    void Form_Unload();
    void Form_Resize();
    void OpenTrendData();
    void SaveTendData();
    void PrintTrendData();
    // The grid's selected cells as text: cells separated by tabs, rows by line ends.
    QString trendClip();
    bool loaded() const { return m_loaded; }

    // --- handlers, run by the controls and by tests
    void Form_Click();
    void optOptions_Click(int Index);
    void cboOptions_Click();
    void cboTargetBoard_Click();
    void cboAddress_KeyPress(int KeyAscii);
    void cboAddress_Click();
    void cboAddress_LostFocus();
    void chkAcquire_Click();
    void cmdClear_Click();
    void cmdGraphData_Click();
    void chkLiveData_Click();
    void cmdReset_Click();
    void updSamples_Change();
    void txtSamples_GotFocus();
    void txtSamples_KeyPress(int KeyAscii);
    void txtSamples_LostFocus();
    void txtSamples_Validate();
    void fgTrend_Scroll();
    void fgTrend_KeyPress(int KeyAscii);
    void fgTrend_GotFocus();
    void tmrTrending_Timer();

    // The polling loop: runs until the window is unloaded or the application shuts down; returns
    // at once when this window's loop already runs.
    void RunTrending();
    PollingLoop* loop() const { return m_loop; }
    // One pass of the loop after its yield; true when it exchanged with the board.
    bool trendingPass();

    QString ReadTrendSample(const QString& Address);
    void AddTrendSample(const QString& Value);
    void GraphTrendData();

    // --- state
    int boardTypeCode() const { return m_boardTypeCode; }
    int sampleCount() const { return m_sampleCount; }
    long sampleCounter() const { return m_sampleCounter; }
    // Sets the counter as Reset Counter and a trend file do (tests reach its far end this way).
    void setSampleCounter(long counter);
    bool running() const { return m_running; }
    QString sampledAddress() const { return m_sampledAddress; }
    QString trendFileName() const { return m_trendFileName; }
    // The clock of the elapsed times, in milliseconds; monotonic unless a test sets its own.
    std::function<qint64()> clockMs;
    // Board type code of a row of the board list.
    static int boardCodeOfRow(int row);

    // --- controls
    QLabel* lblTargetBoard = nullptr;
    QComboBox* cboTargetBoard = nullptr;
    QLabel* lblAddress = nullptr;
    QComboBox* cboAddress = nullptr;
    QRadioButton* optOptions[2] = {nullptr, nullptr};
    QComboBox* cboOptions = nullptr;
    QTimer* tmrTrending = nullptr;
    QCheckBox* chkAcquire = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdReset = nullptr;
    QLabel* lblCounter = nullptr;
    QLabel* lblSamples = nullptr;
    QGroupBox* fraTrendData = nullptr;
    GridModel* grid = nullptr;
    GridView* fgTrend = nullptr;
    QGroupBox* fraGraphing = nullptr;
    QLabel* lblGraphSamples = nullptr;
    UpDownEdit* txtSamples = nullptr;
    QCheckBox* chkLiveData = nullptr;
    QPushButton* cmdGraphData = nullptr;
    GraphPicture* picGraph = nullptr;
    QPushButton* cmdDefault = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void SetSampleInterval();
    // The frame and the samples again, the focus left where it is.
    void redrawGraph();
    void numberVisibleRows();
    void showCounter();
    // The sample count and row numbers that the repaint gate held back.
    void showHeldCounts();
    void focusDefault();
    void popupMenu(const QPoint& globalPos);
    // Validates `text` as the address to sample; false leaves the sampled address as it was.
    bool takeAddress(const QString& text, bool addToHistory);
    void selectLastValidAddress();
    void restoreSavedSampleCount();
    // The grid's layout after Clear Samples: 3 columns, 12 rows, headings and widths.
    void layoutGrid();
    void fitGridColumns();
    std::vector<QString> sampleTexts() const;
    friend class frmTrendingPrint;

    // Holds the repaints of the grid, the counter and the graph to a screen's pace while samples
    // come faster than that: the first sample paints at once, the rest wait for the gate's end,
    // and while they keep coming the screen shows them once in each period.
    void gateRepaints();
    void openRepaintGate();
    // Graph Live: the graph is worked out again for a sample only when it can be painted; while
    // the gate holds, the gate's end plots it once with every sample that came meanwhile.
    void plotLiveSample();
    QTimer* m_repaintGate = nullptr;
    bool m_changesHeld = false;
    bool m_livePlotHeld = false;
    bool m_countsHeld = false;
    QWidget* m_controls = nullptr;
    bool m_loaded = false;
    bool m_running = false;
    PollingLoop* m_loop = nullptr;
    bool m_firstPass = false;
    bool m_timeBaseSet = false;
    bool m_redrawRequested = false;
    bool m_liveFrameDrawn = false;
    int m_boardTypeCode = 0;
    int m_sampleCount = 255;
    int m_savedSampleCount = 255;
    int m_escCount = 0;
    long m_sampleCounter = 0;
    qint64 m_timeBaseMs = 0;
    QString m_lastValue;
    QString m_sampledAddress;
    QString m_trendFileName;
    bool m_validating = false;
};
