#include "SimCommPort.h"
#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "platform/UpDownEdit.h"
#include "trending/GraphPicture.h"
#include "trending/TrendingHost.h"
#include "trending/frmTrending.h"
#include "trending/frmTrendingPrint.h"
#include "trending/modGraph.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Past the period in which the screen holds samples back.
constexpr int kRepaintWaitMs = 300;

// The trending view of a main window on a simulated board. The tests make the loop's passes and
// the timer's ticks themselves, so the loop that the activation queued is dropped.
class TrendingTest : public WorkspaceTest {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        start({}, std::move(port));
        main->tmrBackgroungUpdate->stop();
        main->procs.showTrending();
        view = trendingView();
        ASSERT_TRUE(view);
        QCoreApplication::removePostedEvents(view->loop(), QEvent::MetaCall);
        view->clockMs = [this] { return nowMs; };
    }
    void goOnline()
    {
        main->mnuViewOnline_Click();
        ASSERT_TRUE(gRSComm->OnlineMode);
        board().clearLog();
    }
    void enterAddress(const QString& text)
    {
        view->cboAddress->setEditText(text);
        view->cboAddress_KeyPress(13);
    }
    // Continuous sampling ("Time Interval" with its first row) of `address`, Acquire checked.
    void sampleContinuously(const QString& address)
    {
        view->optOptions[1]->setChecked(true);
        view->cboOptions->setCurrentIndex(0);
        view->cboOptions_Click();
        enterAddress(address);
        view->chkAcquire->setChecked(true);
    }
    void passes(int n)
    {
        for (int i = 0; i < n; ++i)
            view->trendingPass();
    }
    QString cell(int row, int col) const { return view->grid->textMatrix(row, col); }
    int rows() const { return view->grid->rows(); }
    SimBoard& board() { return sim->board(); }

    SimCommPort* sim = nullptr;
    frmTrending* view = nullptr;
    qint64 nowMs = 1000;
};

TEST_F(TrendingTest, LoadsWithEveryControlInItsFirstState)
{
    EXPECT_EQ(view->windowTitle(), "Trending");
    EXPECT_EQ(view->cboTargetBoard->count(), 15);
    EXPECT_EQ(view->cboTargetBoard->itemText(14), "V8390");
    EXPECT_EQ(view->cboOptions->itemText(5), "60 sec");
    EXPECT_TRUE(view->optOptions[0]->isChecked());
    EXPECT_FALSE(view->chkAcquire->isChecked());
    EXPECT_EQ(view->txtSamples->text(), "255");
    EXPECT_EQ(rows(), 12);
    EXPECT_EQ(cell(0, 1), "(sec)");
    EXPECT_EQ(cell(0, 2), "Data:");
    EXPECT_TRUE(main->mnuFilePrintTrendData->isVisible());
    EXPECT_EQ(gActiveChild, 3);
    EXPECT_TRUE(view->picGraph->frameDrawn());
    // The rows the grid shows are numbered once it is on the screen.
    main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(cell(1, 0), "1");
    EXPECT_EQ(cell(2, 0), "2");
    const int codes[] = {0, 49, 50, 51, 52, 53, 54, 56, 58, 59, 60, 61, 65, 66, 68, 0};
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(frmTrending::boardCodeOfRow(row), codes[row]) << row;
}

TEST_F(TrendingTest, EachModeSamplesWhenItShould)
{
    goOnline();
    board().memory[100] = 7;
    // Continuous: a sample every pass, equal or not.
    sampleContinuously(QStringLiteral("B100"));
    passes(3);
    EXPECT_EQ(view->sampleCounter(), 3);
    EXPECT_EQ(cell(1, 2), "7");

    // Change of State: only when the value changes.
    view->cmdClear_Click();
    view->optOptions[0]->setChecked(true);
    passes(3);
    EXPECT_EQ(view->sampleCounter(), 1);
    board().memory[100] = 9;
    passes(2);
    EXPECT_EQ(view->sampleCounter(), 2);
    EXPECT_EQ(cell(1, 2), "9");
    EXPECT_EQ(cell(2, 2), "7");

    // Time Interval: the timer samples, the loop reads nothing.
    view->optOptions[1]->setChecked(true);
    view->cboOptions->setCurrentIndex(1);
    view->cboOptions_Click();
    EXPECT_TRUE(view->tmrTrending->isActive());
    EXPECT_EQ(view->tmrTrending->interval(), 100);
    board().clearLog();
    passes(2);
    EXPECT_TRUE(board().received().isEmpty());
    view->tmrTrending_Timer();
    EXPECT_EQ(view->sampleCounter(), 3);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TrendingTest, NothingIsRecordedOffLineOrFromAFailedRead)
{
    sampleContinuously(QStringLiteral("B100"));
    view->optOptions[1]->setChecked(true);
    view->cboOptions->setCurrentIndex(5);
    view->cboOptions_Click();
    view->tmrTrending_Timer();
    view->cboOptions->setCurrentIndex(0);
    view->cboOptions_Click();
    passes(2);
    EXPECT_EQ(view->sampleCounter(), 0);
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_TRUE(prompts.shown.empty());

    // A reply that is not the echo of the address: the read failed with the link still up.
    goOnline();
    passes(1);
    ASSERT_EQ(view->sampleCounter(), 1);
    bool corrupted = false;
    board().replyHook = [&](long, uint8_t, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        return std::exchange(corrupted, true) ? reply : std::optional<uint8_t>(0x77);
    };
    passes(1);
    EXPECT_TRUE(corrupted);
    EXPECT_FALSE(gRSComm->CommError);
    EXPECT_EQ(view->sampleCounter(), 1);

    view->cmdClear_Click();
    view->cmdReset_Click();
    board().replyHook = nullptr;
    board().setSilentFrom(0);
    prompts.answerOk();
    passes(3);
    view->tmrTrending_Timer();
    EXPECT_TRUE(gRSComm->CommError || !gRSComm->OnlineMode);
    EXPECT_EQ(view->sampleCounter(), 0);
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_EQ(view->lblSamples->text(), "0");
    // The link's own alert, once; sampling adds no box of its own.
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "WARNING - Communication Error!");
}

// The line drops out past the communication box, answered Retry, at the sampled byte: the 55h that
// answers FFh sent again is no value of the board's, so neither the loop nor the interval timer
// adds a sample from that read; the next read samples the board's value.
TEST_F(TrendingTest, ALineThatDropsOutAddsNoSample)
{
    goOnline();
    board().memory[100] = 7;
    sampleContinuously(QStringLiteral("B100"));
    const std::pair<const char*, std::function<void()>> samplers[] = {
        {"loop", [this] { passes(1); }},
        {"timer", [this] { view->tmrTrending_Timer(); }},
    };
    for (const auto& [name, sample] : samplers) {
        SCOPED_TRACE(name);
        const long counted = view->sampleCounter();
        dropOutAt(board(), 100);
        prompts.answer(Answer::Retry);
        sample();
        EXPECT_EQ(view->sampleCounter(), counted);
        EXPECT_FALSE(gRSComm->CommError);
        sample();
        EXPECT_EQ(view->sampleCounter(), counted + 1);
        EXPECT_EQ(cell(1, 2), "7");
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
}

TEST_F(TrendingTest, SamplesKeepTheNewestOnTopWithinTheGridsBounds)
{
    view->AddTrendSample(QStringLiteral("5"));
    nowMs += 1500;
    view->AddTrendSample(QStringLiteral("6"));
    nowMs += 10845;
    view->AddTrendSample(QStringLiteral("7"));
    EXPECT_EQ(cell(3, 1), "0");
    EXPECT_EQ(cell(2, 1), "1.5");
    EXPECT_EQ(cell(1, 1), "12.35");
    // Samples faster than the screen is repainted are numbered when it is.
    QTest::qWait(kRepaintWaitMs);
    EXPECT_EQ(cell(1, 0), "1");
    EXPECT_EQ(cell(3, 0), "3");
    // Ctrl+C in the grid copies the selected cells.
    view->grid->select(1, 1, 2, 2);
    view->fgTrend_KeyPress(3);
    EXPECT_EQ(QApplication::clipboard()->text(), "12.35\t7\n1.5\t6");

    // The 246th sample after a clear reaches 258 rows: the oldest goes, 257 stay.
    view->cmdClear_Click();
    for (int i = 1; i <= 246; ++i)
        view->AddTrendSample(QString::number(i));
    EXPECT_EQ(rows(), 257);
    EXPECT_EQ(cell(1, 2), "246");
    EXPECT_EQ(cell(246, 2), "1");
    for (int i = 247; i <= 257; ++i)
        view->AddTrendSample(QString::number(i));
    EXPECT_EQ(rows(), 257);
    EXPECT_EQ(cell(256, 2), "2");

    // The counter groups its digits and wraps after 999999999.
    view->setSampleCounter(1233);
    view->AddTrendSample(QStringLiteral("1"));
    QTest::qWait(kRepaintWaitMs);
    EXPECT_EQ(view->lblSamples->text(), "1,234");
    view->setSampleCounter(999999999);
    view->AddTrendSample(QStringLiteral("1"));
    EXPECT_EQ(view->sampleCounter(), 0);
    QTest::qWait(kRepaintWaitMs);
    EXPECT_EQ(view->lblSamples->text(), "0");
}

TEST_F(TrendingTest, TheGridKeepsPaintingItsScrollBarWhileSamplesAreHeldBack)
{
    main->show();
    QCoreApplication::processEvents();
    QScrollBar* bar = view->fgTrend->verticalScrollBar();
    // Samples faster than the screen shows them: the cells wait for the next repaint, the scroll
    // bar is never held (a held one missed the window's paint and was left blank).
    for (int i = 0; i < 20; ++i)
        view->AddTrendSample(QString::number(i));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->updatesEnabled());
    EXPECT_TRUE(bar->parentWidget()->updatesEnabled());
    QTest::qWait(kRepaintWaitMs);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum() + view->grid->visibleRows(), rows() - 1);
}

TEST_F(TrendingTest, HeldSamplesReachTheGridsViewOncePerRepaintAndTheNextWaitForTheNext)
{
    main->show();
    QCoreApplication::processEvents();
    view->chkLiveData->setChecked(true);
    view->chkLiveData_Click();
    const QAbstractItemModel* shown = view->fgTrend->model();
    const auto shownData = [&](int row) { return shown->index(row, 2).data().toString(); };
    // The first sample shows at once; those within the repaint period wait for its end, where the
    // view takes them all. A live graph waits with its plot, never with its paints.
    view->AddTrendSample(QStringLiteral("1"));
    EXPECT_EQ(shown->rowCount(), 12);
    view->AddTrendSample(QStringLiteral("2"));
    view->AddTrendSample(QStringLiteral("3"));
    EXPECT_EQ(shown->rowCount(), 12);
    EXPECT_TRUE(view->picGraph->updatesEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown->rowCount() == 14; }, 5000));
    EXPECT_EQ(shownData(0), "3");
    EXPECT_EQ(shownData(2), "1");
    // Samples still coming wait for the next period's end rather than repainting at once.
    view->AddTrendSample(QStringLiteral("4"));
    EXPECT_EQ(shown->rowCount(), 14);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown->rowCount() == 15; }, 5000));
    EXPECT_EQ(shownData(0), "4");
    EXPECT_EQ(shownData(3), "1");
}

TEST_F(TrendingTest, HeldSamplesOnAFullGridRepaintTheCounterButNotTheWindowBehindIt)
{
    main->show();
    for (int i = 0; i < 300; ++i)
        view->AddTrendSample(QString::number(i));
    QTest::qWait(2 * kRepaintWaitMs); // nothing is held any more
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
        int paints = 0;
    } window, counter;
    view->AddTrendSample(QStringLiteral("a"));
    QTest::qWait(20);
    view->installEventFilter(&window);
    view->lblSamples->installEventFilter(&counter);
    // Held while the grid keeps its size: its scroll bar stays as it was, and the counter paints
    // alone.
    view->AddTrendSample(QStringLiteral("b"));
    view->AddTrendSample(QStringLiteral("c"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.paints, 0);
    EXPECT_EQ(cell(1, 2), "c");
}

TEST_F(TrendingTest, AddressEntryValidatesMapsAndKeepsTheLastGoodOne)
{
    goOnline();
    struct Case {
        const char* typed;
        int boardRow;
        const char* shown;   // history top / text after the entry
        const char* sampled; // what is read
    };
    const Case cases[] = {
        {"b40.8", 2, "B40.7", "B40.7"},
        {"B40.5", 2, "B40.5", "B40.5"},
        {"X30", 1, "X30", "B49"},
        {"Q5", 1, "X30", "B49"}, // not valid: the last valid one stays and is sampled
        {"X10", 1, "X30", "B49"}, // a point this board does not have
    };
    for (const Case& c : cases) {
        view->cboTargetBoard->setCurrentIndex(c.boardRow);
        view->cboTargetBoard_Click();
        enterAddress(QString::fromLatin1(c.typed));
        EXPECT_EQ(view->cboAddress->currentText(), c.shown) << c.typed;
        EXPECT_EQ(view->cboAddress->itemText(0), c.shown) << c.typed;
        EXPECT_EQ(view->sampledAddress(), c.sampled) << c.typed;
    }
    EXPECT_EQ(view->cboAddress->count(), 3);
    // The mapped byte goes on the wire: address 0031h.
    board().memory[49] = 0x2A;
    view->optOptions[1]->setChecked(true);
    view->chkAcquire->setChecked(true);
    view->trendingPass();
    EXPECT_TRUE(hexBytes(board().received()).endsWith("00 31")) << hexBytes(board().received()).toStdString();
    EXPECT_EQ(cell(1, 2), "42");
}

// What the user types reaches the combo, not its line edit (the combo is the line edit's focus proxy).
TEST_F(TrendingTest, KeysAndFocusLossAtTheAddressComboValidateIt)
{
    view->cboTargetBoard->setCurrentIndex(14);
    view->cboTargetBoard_Click();
    struct Case {
        const char* typed;
        QEvent::Type type;
        int key;
        const char* top; // history's first entry afterwards
    };
    const Case cases[] = {
        {"w200", QEvent::KeyPress, Qt::Key_Return, "W200"},
        {"B40", QEvent::FocusOut, 0, "B40"},
        {"Q5", QEvent::KeyPress, Qt::Key_Escape, "B40"},
    };
    for (const Case& c : cases) {
        view->cboAddress->setEditText(QString::fromLatin1(c.typed));
        if (c.type == QEvent::KeyPress) {
            QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
            QApplication::sendEvent(view->cboAddress, &key);
        } else {
            QFocusEvent focus(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(view->cboAddress, &focus);
        }
        EXPECT_EQ(view->cboAddress->itemText(0), c.top) << c.typed;
        EXPECT_EQ(view->cboAddress->currentText(), c.top) << c.typed;
    }
    EXPECT_EQ(view->sampledAddress(), "B40");
}

TEST_F(TrendingTest, ClosingTheViewActivatesTheOneBeneathWithItsMenus)
{
    QApplication::setActiveWindow(main.get());
    main->procs.showStatusTable();
    main->procs.showTrending();
    QMdiSubWindow* trendFrame = main->mdiArea->activeSubWindow();
    ASSERT_TRUE(trendFrame && trendFrame->widget() == view);
    EXPECT_FALSE(main->mnuStatusTable->menuAction()->isVisible());
    view->Form_Unload();
    // Only the main window's queued work: the table's own loop is not started here.
    QCoreApplication::sendPostedEvents(main.get(), QEvent::MetaCall);
    QMdiSubWindow* active = main->mdiArea->activeSubWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->widget()->objectName(), "frmStatusTable");
    EXPECT_TRUE(main->mnuStatusTable->menuAction()->isVisible());
    EXPECT_EQ(gActiveChild, 1);
}

TEST_F(TrendingTest, SampleCountOutOfRangeIsRefusedAndEscLeavesTheBox)
{
    QApplication::setActiveWindow(main.get());
    prompts.answerOk();
    view->txtSamples->setFocus();
    view->txtSamples_GotFocus();
    view->txtSamples->setText(QStringLiteral("5"));
    view->txtSamples_Validate();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Only a Number Between 10 and 255 can be Entered");
    EXPECT_EQ(prompts.shown[0].title, "Graphing Samples");
    EXPECT_EQ(view->txtSamples->text(), "255");
    EXPECT_EQ(view->sampleCount(), 255);

    view->txtSamples->setText(QStringLiteral("20"));
    view->txtSamples_Validate();
    EXPECT_EQ(view->sampleCount(), 20);

    view->txtSamples->setFocus();
    view->txtSamples_GotFocus();
    view->txtSamples->setText(QStringLiteral("30"));
    view->txtSamples_KeyPress(27);
    EXPECT_EQ(view->txtSamples->text(), "20");
    EXPECT_FALSE(view->cmdDefault->hasFocus());
    view->txtSamples_KeyPress(27);
    EXPECT_TRUE(view->cmdDefault->hasFocus());
    EXPECT_EQ(prompts.shown.size(), 1u);
}

TEST_F(TrendingTest, SavedFilesOpenBackExactly)
{
    view->cboTargetBoard->setCurrentIndex(3);
    view->cboTargetBoard_Click();
    enterAddress(QStringLiteral("W100"));
    const QString path = install.path(QStringLiteral("t.tdt"));
    // A name typed without an extension is saved as a trend file.
    dialogs.answers.push_back(install.path(QStringLiteral("t")));
    view->SaveTendData();
    EXPECT_EQ(view->trendFileName(), path);
    EXPECT_EQ(install.readFile(QStringLiteral("t.tdt")),
              QByteArray("W100\r\n 3 \r\n(sec), Data:\r\n") + QByteArray(", \r\n").repeated(11));
    EXPECT_EQ(dialogs.requests.back().filter, "Trend Data(*.tdt)|*.tdt|");

    // Opened on a fresh window: 12 empty rows, a counter of 11, board and address back.
    view->cboTargetBoard->setCurrentIndex(0);
    view->cboTargetBoard_Click();
    view->chkAcquire->setChecked(true);
    dialogs.answers.push_back(path);
    view->OpenTrendData();
    EXPECT_FALSE(view->chkAcquire->isChecked());
    EXPECT_EQ(rows(), 12);
    EXPECT_EQ(cell(5, 2), "");
    EXPECT_EQ(view->lblSamples->text(), "11");
    EXPECT_EQ(view->cboTargetBoard->currentIndex(), 3);
    EXPECT_EQ(view->cboAddress->itemText(0), "W100");
    EXPECT_EQ(view->sampledAddress(), "W100");

    // 300 data lines give 301 rows; the next sample takes only the last one away.
    QByteArray big = "B7\r\n 0 \r\n(sec), Data:\r\n";
    for (int i = 0; i < 300; ++i)
        big += QByteArray::number(i) + ", " + QByteArray::number(i * 2) + "\r\n";
    install.writeFile(QStringLiteral("big.tdt"), big);
    dialogs.answers.push_back(install.path(QStringLiteral("big.tdt")));
    view->OpenTrendData();
    EXPECT_EQ(rows(), 301);
    EXPECT_EQ(cell(300, 2), "598");
    view->AddTrendSample(QStringLiteral("1"));
    EXPECT_EQ(rows(), 301);
    EXPECT_EQ(cell(300, 2), "596");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TrendingTest, CancelledEmptyOrBadFilesChangeNothing)
{
    view->cboTargetBoard->setCurrentIndex(2);
    view->cboTargetBoard_Click();
    enterAddress(QStringLiteral("B5"));
    view->AddTrendSample(QStringLiteral("77"));
    install.writeFile(QStringLiteral("empty.tdt"), "");
    install.writeFile(QStringLiteral("cut.tdt"), "W100\r\n 3 \r\n(sec), Data:\r\n1, 2\r\n3");
    dialogs.answers = {std::nullopt, std::nullopt, install.path(QStringLiteral("empty.tdt")),
                       install.path(QStringLiteral("cut.tdt"))};
    prompts.answerOk();
    view->SaveTendData();
    view->OpenTrendData();
    EXPECT_EQ(view->trendFileName(), "");
    view->OpenTrendData();
    view->OpenTrendData();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Trend Sample Open");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 62")) << prompts.shown[0].text.toStdString();
    EXPECT_EQ(cell(1, 2), "77");
    EXPECT_EQ(view->sampleCounter(), 1);
    EXPECT_EQ(view->cboTargetBoard->currentIndex(), 2);
    EXPECT_EQ(view->cboAddress->currentText(), "B5");

    // A save that cannot be written says so.
    dialogs.answers.push_back(install.path(QStringLiteral("empty.tdt/t.tdt")));
    prompts.answerOk();
    view->SaveTendData();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "Trend Sample Save");
    EXPECT_TRUE(prompts.shown[1].text.startsWith("Error Number = 75")) << prompts.shown[1].text.toStdString();
}

TEST_F(TrendingTest, PrintGivesTheReportThenTheLandscapeGraph)
{
    RecordingPrinting printer;
    enterAddress(QStringLiteral("W100"));
    view->AddTrendSample(QStringLiteral("500"));
    auto printWith = [&](bool graph, bool data) {
        ScriptedModals modals;
        modals.then([graph, data](QDialog& d) {
            auto& dialog = static_cast<frmTrendingPrint&>(d);
            EXPECT_EQ(dialog.windowTitle(), "Print -Trending");
            EXPECT_EQ(dialog.lblPrinter->text(), "Recorder");
            dialog.chkGraph->setChecked(graph);
            dialog.chkTrendData->setChecked(data);
            dialog.cmdOk_Click();
        });
        main->mnuFilePrintTrendData->trigger();
        EXPECT_TRUE(modals.steps.empty());
    };
    printWith(false, false);
    EXPECT_TRUE(printer.jobs.empty());
    printWith(true, true);
    ASSERT_EQ(printer.jobs.size(), 2u);
    EXPECT_EQ(printer.jobs[0].orientation, PrintSurface::Orientation::Portrait);
    EXPECT_EQ(printer.jobs[0].texts.front().text, "Trend Data: W100");
    EXPECT_EQ(printer.jobs[1].orientation, PrintSurface::Orientation::Landscape);
    EXPECT_EQ(printer.jobs[1].texts.front().text, "Trending Data");
    EXPECT_TRUE(printer.jobs[1].ended);
    // The picture is the graph's surface again, with its frame.
    EXPECT_EQ(GraphObject, static_cast<GraphSurface*>(view->picGraph));
    EXPECT_TRUE(prompts.shown.empty());

    // A printer that fails ends the job with a box, once.
    printer.failJobs = true;
    prompts.answerOk();
    printWith(true, true);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Print");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 482"));
}

TEST_F(TrendingTest, OneLoopPerWindowAndTheLoopBeneathResumes)
{
    // A loop already polling underneath (another live window's), as the trending view opens.
    QObject other;
    bool otherRunning = true;
    int otherPasses = 0;
    int depthInside = 0;
    bool secondStarted = false;
    PollingLoop beneath(&other, [&] { return otherRunning; }, [&] {
        ++otherPasses;
        if (otherPasses == 1) {
            QTimer::singleShot(0, view, [&] {
                depthInside = PollingLoop::depth();
                // A second activation while the loop runs starts no second one.
                view->Form_Activate();
                secondStarted = view->loop()->isStartQueued();
                QTimer::singleShot(0, view, [&] { view->Form_Unload(); });
            });
            view->RunTrending(); // returns when the view is closed
            otherPasses = 1000;
        } else if (otherPasses > 1002) {
            otherRunning = false;
        }
        return true;
    });
    beneath.run();
    EXPECT_EQ(depthInside, 2);
    EXPECT_FALSE(secondStarted);
    EXPECT_FALSE(view->loop()->isRunning());
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(main->mnuFilePrintTrendData->isVisible());
    EXPECT_GT(otherPasses, 1002);
}

} // namespace

namespace {
// Counts the plots the graph is given, keeping the last. The graph lets go of it when it goes, also
// when a failed assertion ends the test early.
class PlotSpy : public GraphSurface {
public:
    ~PlotSpy() override { forgetGraphSurface(this); }
    void drawFrame() override {}
    void plot(const std::vector<qint64>& values, const QColor&) override
    {
        ++plots;
        last = values;
    }
    int plots = 0;
    std::vector<qint64> last;
};

TEST_F(TrendingTest, LiveGraphIsPlottedWhenItCanBePaintedWithEverySample)
{
    view->chkLiveData->setChecked(true);
    view->chkLiveData_Click();
    PlotSpy spy;
    GraphObject = &spy;
    // The first sample paints at once; those within the repaint gate wait for its end, where one
    // plot shows them all.
    for (const char* value : {"5", "6", "7"})
        view->AddTrendSample(QString::fromLatin1(value));
    EXPECT_EQ(spy.plots, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return spy.plots == 2; }, 5000));
    ASSERT_GE(spy.last.size(), 3u);
    EXPECT_EQ(std::vector<qint64>(spy.last.begin(), spy.last.begin() + 3), (std::vector<qint64>{7, 6, 5}));
}
} // namespace
