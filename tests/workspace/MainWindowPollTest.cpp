// The test's mouse events go the way of the window system's, so the program knows the buttons held.
#define QTEST_QPA_MOUSE_HANDLING
#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "platform/ToolLauncher.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
const QString kFaultBoxText = QStringLiteral("Faults Active in Target Board");
// The bytes the PC sends for one read of the limit switch's offset.
const char* const kOffsetRead = "FF 28 55 55";

// A main window on a simulated board, with a program browser whose selection the test chooses.
// The status timer is stopped: the tests run the ticks themselves.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        install.writeFile(QStringLiteral("support/FaultErrCodes.txt"), "05,Watchdog Timeout\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        main = makeMainWindow(std::move(port));
        main->MDIForm_Load();
        main->tmrBackgroungUpdate->stop();
        gBrowserFolder = [this] { return install.path(); };
        gBrowserSelectedFile = [this] { return selectedFile; };
        selectProgram(QStringLiteral("PUMP"), '2');
    }
    void TearDown() override
    {
        main.reset();
        gBrowserFolder = nullptr;
        gBrowserSelectedFile = nullptr;
        gProgramFile.clear();
        gActiveChild = 0;
    }

    // A program of board code `code` becomes the browser's selection.
    void selectProgram(const QString& base, char code)
    {
        install.writeFile(base + QStringLiteral(".cvp"), QByteArray(1, code) + "\r\n");
        selectedFile = base + QStringLiteral(".cvp");
    }
    // A child view with the given class name in the MDI area; made the active child when asked.
    QWidget* addChild(const QString& name, bool activate)
    {
        auto* view = new QWidget;
        view->setObjectName(name);
        QMdiSubWindow* sub = main->mdiArea->addSubWindow(view);
        sub->show();
        if (activate)
            main->mdiArea->setActiveSubWindow(sub);
        return view;
    }
    // On-line, with the re-open of the first tick after it done, and the log cleared.
    void goOnline()
    {
        main->mnuViewOnline_Click();
        ASSERT_TRUE(gRSComm->OnlineMode);
        main->tmrBackgroungUpdate_Timer();
        board().clearLog();
    }
    QString tickAndLog()
    {
        board().clearLog();
        main->tmrBackgroungUpdate_Timer();
        return hexBytes(board().received());
    }
    int faultBoxes() const
    {
        int n = 0;
        for (const auto& s : prompts.shown)
            n += s.text == kFaultBoxText && s.title == QLatin1String("Corvanex") && s.icon == Icon::Critical;
        return n;
    }
    SimBoard& board() { return sim->board(); }
    QString panel1() const { return main->sbrPanel1->text(); }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort* sim = nullptr;
    std::unique_ptr<frmMDIMain> main;
    QString selectedFile;
};

TEST_F(MainWindowTest, OffLineTickSaysSoAndSendsNothing)
{
    EXPECT_EQ(tickAndLog(), "");
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently OFF-LINE");
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
}

TEST_F(MainWindowTest, OnLineSwitchingFromTheViewMenuAndTheModePanel)
{
    main->mnuViewOnline_Click();
    EXPECT_EQ(hexBytes(board().received()), "FF");
    EXPECT_EQ(main->sbrPanel2->text(), "ONLINE");
    EXPECT_TRUE(main->mnuViewOnline->isChecked());
    EXPECT_FALSE(main->mnuViewOffline->isChecked());

    board().clearLog();
    main->sbrMain_PanelClick(1); // only the mode panel switches
    EXPECT_TRUE(gRSComm->OnlineMode);
    main->sbrMain_PanelClick(2);
    EXPECT_FALSE(gRSComm->OnlineMode);
    EXPECT_EQ(hexBytes(board().received()), "FF"); // the last FFh before the port closes
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_TRUE(main->mnuViewOffline->isChecked());

    gRSComm->CommError = true; // a pending error does not stop the user going on-line again
    main->sbrMain_PanelClick(2);
    EXPECT_TRUE(gRSComm->OnlineMode);
    EXPECT_EQ(main->sbrPanel2->text(), "ONLINE");
}

TEST_F(MainWindowTest, TickReadsTheFaultCodeWithTheBrowserOnAControllerProgram)
{
    main->mnuViewOnline_Click();
    board().clearLog();
    // The first tick follows the change of link state (the port is opened again), then reads.
    EXPECT_EQ(tickAndLog(), "FF FF 01 1F F0");
    EXPECT_EQ(tickAndLog(), "1F F0"); // read mode kept between ticks: byte 8176 only
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently ON-LINE");
}

TEST_F(MainWindowTest, TickMakesNoReadWhileAProgramTransferIsPendingOrRunning)
{
    goOnline();
    gRSComm->InUploadMode(true);
    EXPECT_EQ(tickAndLog(), "");
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently ON-LINE");
    gRSComm->InUploadMode(false);
    EXPECT_EQ(tickAndLog(), "1F F0");
}

TEST_F(MainWindowTest, TickChoosesItsReadByTheViewsOpenAndActive)
{
    goOnline();
    QWidget* browser = addChild(QStringLiteral("frmMain"), true);
    QWidget* table = addChild(QStringLiteral("frmStatusTable"), true);
    main->setChildView(frmMDIMain::ChildView::StatusTable, table);
    EXPECT_EQ(main->activeChildName(), "frmStatusTable");
    EXPECT_EQ(tickAndLog(), "1F F0");

    // Another child active while a polling view is open: nothing is read.
    main->mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(browser->parentWidget()));
    EXPECT_EQ(tickAndLog(), "");

    // ... unless the target-board interface is visible.
    QWidget targetBoard;
    main->setChildView(frmMDIMain::ChildView::TargetBoard, &targetBoard);
    targetBoard.show();
    EXPECT_EQ(tickAndLog(), "1F F0");
    targetBoard.hide();

    QWidget* timing = addChild(QStringLiteral("frmTiming"), true);
    main->setChildView(frmMDIMain::ChildView::Timing, timing);
    EXPECT_EQ(tickAndLog(), kOffsetRead);

    QWidget* trending = addChild(QStringLiteral("frmTrending"), true);
    main->setChildView(frmMDIMain::ChildView::Trending, trending);
    // The offset command left no mode: the fault read enters read mode again.
    EXPECT_EQ(tickAndLog(), "FF 01 1F F0");
}

TEST_F(MainWindowTest, TickChecksALimitSwitchSelectionWithTheOffsetWhenNoPollingViewIsOpen)
{
    goOnline();
    addChild(QStringLiteral("frmMain"), true);
    selectProgram(QStringLiteral("PRESS"), 'E'); // code 69
    EXPECT_EQ(tickAndLog(), kOffsetRead);
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently ON-LINE");
    selectProgram(QStringLiteral("PUMP"), '7'); // code 55 is a limit switch too
    EXPECT_EQ(tickAndLog(), kOffsetRead);
    selectProgram(QStringLiteral("MIXER"), '1');
    EXPECT_EQ(tickAndLog(), "FF 01 1F F0");
}

TEST_F(MainWindowTest, ABoardFaultIsAnnouncedOncePerOnLinePeriod)
{
    board().memory[8176] = 5;
    prompts.answer(Answer::Ok);
    goOnline();
    EXPECT_EQ(faultBoxes(), 1);
    EXPECT_EQ(panel1(), "System Message:  Fault Code (05H): Watchdog Timeout");
    for (int i = 0; i < 3; ++i)
        main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(faultBoxes(), 1);
    EXPECT_EQ(panel1(), "System Message:  Fault Code (05H): Watchdog Timeout");
    // A tick whose read had no answer (here a wrong echo) says nothing new: not ON-LINE.
    board().corruptReplyAt(board().receivedCount(), 0x7E);
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(panel1(), "System Message:  Fault Code (05H): Watchdog Timeout");

    main->mnuViewOffline_Click();
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently OFF-LINE");
    prompts.answer(Answer::Ok);
    main->mnuViewOnline_Click();
    main->tmrBackgroungUpdate_Timer();
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(faultBoxes(), 2);

    board().memory[8176] = 0;
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently ON-LINE");
}

// Runs a callback inside the boxes it is shown, as the event loop of a real box would run the timer.
class ReentrantPrompts : public ScriptedPrompts {
public:
    std::function<void(const QString& title)> whileShown;
    Answer message(const QString& text, Buttons buttons, Icon icon, const QString& title) override
    {
        if (whileShown)
            whileShown(title);
        return ScriptedPrompts::message(text, buttons, icon, title);
    }
};

TEST_F(MainWindowTest, TicksWhileTheFaultBoxIsOpenNeitherStackBoxesNorReadTheBoard)
{
    goOnline();
    board().memory[8176] = 5;
    ReentrantPrompts inner;
    int innerBytes = -1;
    inner.whileShown = [&](const QString&) {
        board().clearLog();
        main->tmrBackgroungUpdate_Timer();
        main->tmrBackgroungUpdate_Timer();
        innerBytes = static_cast<int>(board().log().size());
    };
    inner.answerAllWith(Answer::Ok);
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(inner.shown.size(), 1u);
    EXPECT_EQ(innerBytes, 0);
}

TEST_F(MainWindowTest, ACancelledTimeOutDropsTheLinkAndIsReportedInTheStatusBar)
{
    goOnline();
    board().setSilentFrom(board().receivedCount());
    ReentrantPrompts inner;
    QString innerLog = QStringLiteral("not shown");
    inner.whileShown = [&](const QString& title) {
        if (title != QLatin1String("WARNING - Communication Error!"))
            return;
        // A tick inside the exchange's box must not exchange bytes of its own.
        board().clearLog();
        main->tmrBackgroungUpdate_Timer();
        innerLog = hexBytes(board().received());
    };
    inner.answer(Answer::Cancel);
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(innerLog, "");
    ASSERT_EQ(inner.shown.size(), 1u);
    EXPECT_EQ(inner.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_TRUE(gRSComm->CommError);
    EXPECT_TRUE(gRSComm->CommErrorAlert);

    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(panel1(), "System Message:  Comm Error with Target Board");
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_FALSE(gRSComm->OnlineMode);
    main->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(panel1(), "System Message:  Comm Fault with Target Board");
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
}

TEST_F(MainWindowTest, ATickInsideAnotherWindowsExchangeDoesNotUndoASuccessfulRetry)
{
    goOnline();
    board().memory[100] = 42;
    board().setSilentFrom(board().receivedCount());
    ReentrantPrompts inner;
    QString innerLog = QStringLiteral("not shown");
    inner.whileShown = [&](const QString&) {
        // The exchange's box runs the event loop: the status timer fires inside it.
        board().clearLog();
        main->tmrBackgroungUpdate_Timer();
        innerLog = hexBytes(board().received());
        board().setSilentFrom(-1);
    };
    inner.answer(Answer::Retry);
    // A status table's read, say: not the tick's own.
    board().clearLog();
    gRSComm->RSRead(QStringLiteral("B200"));
    EXPECT_EQ(innerLog, "");
    EXPECT_FALSE(gRSComm->CommError);
    EXPECT_TRUE(gRSComm->OnlineMode);
    EXPECT_EQ(gRSComm->RSRead(QStringLiteral("B100")), "42");
    main->tmrBackgroungUpdate_Timer();
    EXPECT_TRUE(gRSComm->OnlineMode);
    EXPECT_EQ(main->sbrPanel2->text(), "ONLINE");
    EXPECT_EQ(panel1(), "System Message:  Corvanex is Currently ON-LINE");
}
} // namespace

namespace {
// Every procedure the commands call is there, recording what was called.
class MainWindowCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        auto& p = main->procs;
        auto record = [this](const QString& what) { return [this, what] { calls << what + ' ' + gProgramFile.section('/', -1); }; };
        // Tools started on the browser's selection, by the action their file name stands for.
        tools.onStart = [this](const ToolStart& t) {
            static const QStringList names = {"tolvik", "brisel", "vantor", "mezzal", "quorin", "", "daffel"};
            const int action = static_cast<int>(names.indexOf(QFileInfo(t.program).baseName()));
            calls << QStringLiteral("SpawnRequest %1 1 ").arg(action) + gProgramFile.section('/', -1);
        };
        p.copyProgram = record(QStringLiteral("copy"));
        p.runGlobalSearch = [this](bool bypassOpen, bool bypassInput) {
            calls << QStringLiteral("RunGlobalSearch %1 %2 ").arg(bypassOpen).arg(bypassInput) + gProgramFile.section('/', -1);
        };
        p.downloadProgramToBoard = [this](bool bypass) { calls << QStringLiteral("DownloadProgramToBoard %1").arg(bypass); };
        p.plsDownload = record(QStringLiteral("plsDownload"));
        p.plsUpload = record(QStringLiteral("plsUpload"));
        p.deleteProgramFiles = [this](bool bypass) { calls << QStringLiteral("DeleteProgramFiles %1").arg(bypass); };
        p.renameProgramFiles = [this](bool bypass) { calls << QStringLiteral("RenameProgramFiles %1").arg(bypass); };
        p.printStatusTable = record(QStringLiteral("PrintStatusTable"));
        p.printResults = record(QStringLiteral("PrintResults"));
        p.printTrendData = record(QStringLiteral("PrintTrendData"));
        p.transferDataFile = [this](int mode, bool bypass) {
            calls << QStringLiteral("TransferDataFile %1 %2").arg(mode).arg(bypass);
        };
        main->refreshCommandStates();
    }
    // Captions of the program-list popup's enabled entries.
    QStringList enabledPopupEntries() const
    {
        QStringList on;
        for (QAction* a : main->mnuFileListPopup->actions())
            if (!a->isSeparator() && a->isEnabled())
                on << a->text();
        return on;
    }
    RecordingToolLauncher tools;
    QStringList calls;
};

TEST_F(MainWindowCommandsTest, ProgramListPopupEnablesTheEntriesForTheSelectedBoard)
{
    selectProgram(QStringLiteral("PRESS"), 'E'); // 69, a limit switch
    main->mnuFileListPopup_Click();
    EXPECT_EQ(gProgramFile, install.path(QStringLiteral("PRESS.cvp")));
    EXPECT_EQ(enabledPopupEntries(), QStringList({"Open", "Save As...", "Download to PLS", "Upload From PLS", "Delete",
                                                  "Rename", "Print"}));

    selectProgram(QStringLiteral("PUMP"), '2'); // 50, a controller
    main->mnuFileListPopup_Click();
    EXPECT_EQ(enabledPopupEntries(), QStringList({"Open", "Save As...", "Compile", "Search", "Download Program",
                                                  "Delete", "Rename", "Print"}));
    main->mnuFileListPopupCompile->trigger();
    main->mnuFileListPopupSearch->trigger();
    main->mnuFileListPopupDelete->trigger();
    EXPECT_EQ(calls, QStringList({"SpawnRequest 3 1 PUMP.cvp", "RunGlobalSearch 1 0 PUMP.cvp", "DeleteProgramFiles 1"}));
}

TEST_F(MainWindowCommandsTest, EntriesWhoseProcedureIsMissingStayDisabled)
{
    EXPECT_TRUE(main->mnuToolsTrending->isEnabled()); // and trending
    EXPECT_TRUE(main->mnuToolsStatusTable->isEnabled()); // the status table is there
    EXPECT_TRUE(main->Toolbar1Buttons[14]->isEnabled());
    EXPECT_TRUE(main->mnuFileDelete->isEnabled());
    EXPECT_TRUE(main->mnuEditCommPort->isEnabled());
    main->procs.plsUpload = nullptr;     // the browser's Upload From PLS
    main->procs.plsUploadOpen = nullptr; // File > Upload from PLS
    main->mnuFileListPopup_Click();
    main->refreshCommandStates();
    EXPECT_FALSE(main->mnuFileUploadFromPLS->isEnabled());
    EXPECT_FALSE(main->mnuFileListPopupUploadFromPLS->isEnabled());
    EXPECT_FALSE(main->Toolbar1Buttons[10]->isEnabled());
}

TEST_F(MainWindowCommandsTest, ToolbarPrintActsOnTheActiveViewOnlyWhileItIsOpen)
{
    gActiveChild = 2;
    main->Toolbar1_ButtonClick(4); // the results viewer was never opened: the print tool on the selection
    QWidget* results = addChild(QStringLiteral("frmViewResults"), true);
    main->setChildView(frmMDIMain::ChildView::ViewResults, results);
    main->Toolbar1_ButtonClick(4);
    results->parentWidget()->hide();
    main->Toolbar1_ButtonClick(4);
    gActiveChild = 0;
    main->Toolbar1_ButtonClick(4);
    EXPECT_EQ(calls, QStringList({"SpawnRequest 4 1 PUMP.cvp", "PrintResults PUMP.cvp", "SpawnRequest 4 1 PUMP.cvp",
                                  "SpawnRequest 4 1 PUMP.cvp"}));
}

TEST_F(MainWindowCommandsTest, TransferButtonsFollowTheBoardOfTheSelection)
{
    main->Toolbar1_ButtonClick(9);
    main->Toolbar1_ButtonClick(10);
    main->Toolbar1_ButtonClick(11);
    selectProgram(QStringLiteral("PRESS"), 'E');
    main->Toolbar1_ButtonClick(9);
    main->Toolbar1_ButtonClick(10);
    main->Toolbar1_ButtonClick(11);
    EXPECT_EQ(calls, QStringList({"DownloadProgramToBoard 1", "TransferDataFile 2 1", "TransferDataFile 1 1",
                                  "plsDownload PRESS.cvp", "plsUpload PRESS.cvp", "plsDownload PRESS.cvp"}));
    EXPECT_TRUE(gRSComm->InUploadMode()); // set for the limit-switch upload
}

TEST_F(MainWindowCommandsTest, TargetBoardInterfaceOpensOnTheCurrentProgramAlsoWhenTheDialogIsCancelled)
{
    main->procs.selectProgramFile = [this](bool bypassOpen) {
        calls << QStringLiteral("SelectProgramFile %1").arg(bypassOpen);
        return false; // the open dialog cancelled
    };
    main->procs.targetBoardInitializeForm = [this](const QString& file) {
        calls << QStringLiteral("InitializeForm ") + file.section('/', -1);
    };
    main->refreshCommandStates();
    gProgramFile = install.path(QStringLiteral("VALVE.cvp"));
    main->mnuViewTargetBoardStatus->trigger();
    // The toolbar's button works on the browser's selection, without the dialog.
    main->Toolbar1_ButtonClick(18);
    EXPECT_EQ(calls, QStringList({"SelectProgramFile 0", "InitializeForm VALVE.cvp", "SelectProgramFile 1",
                                  "InitializeForm PUMP.cvp"}));
}

TEST_F(MainWindowCommandsTest, StatusTableFindSearchesTheTablesProgramAndRestoresTheCurrentOne)
{
    QString address = QStringLiteral("B100");
    QWidget* table = addChild(QStringLiteral("frmStatusTable"), true);
    main->setChildView(frmMDIMain::ChildView::StatusTable, table);
    install.writeFile(QStringLiteral("TABLE.cvp"), "2\r\n");
    main->procs.statusTableCvpFile = [this] { return install.path(QStringLiteral("TABLE.cvp")); };
    main->procs.statusTableCurrentAddress = [&] { return address; };
    gProgramFile = install.path(QStringLiteral("PUMP.cvp"));
    main->mnuStatusTableItem_Click(2);
    address = QStringLiteral("B"); // one character: the search asks for the variable
    main->mnuStatusTableItem_Click(2);
    main->procs.statusTableCvpFile = [this] { return install.path(QStringLiteral("GONE.cvp")); };
    main->mnuStatusTableItem_Click(2);
    EXPECT_EQ(calls, QStringList({"RunGlobalSearch 1 1 TABLE.cvp", "RunGlobalSearch 1 0 TABLE.cvp",
                                  "RunGlobalSearch 0 0 PUMP.cvp"}));
    EXPECT_EQ(gProgramFile, install.path(QStringLiteral("PUMP.cvp")));
}
} // namespace

namespace {
// A right click on the grid's cell (row, col) opens its popup; `key` is pressed in it.
void popupAndPress(GridView* view, int row, int col, Qt::Key key)
{
    QTimer::singleShot(0, [key] {
        QWidget* menu = QApplication::activePopupWidget();
        if (!menu)
            return;
        QTest::keyClick(menu, key);
        if (QApplication::activePopupWidget() == menu)
            menu->close();
    });
    const QModelIndex cell = view->model()->index(row - view->grid()->fixedRows(), col);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->visualRect(cell).center());
}

bool activate(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The windows whose grid has a popup with Copy. The focus that a right click brings, the focus that
// the popup gives back when it closes, and the focus that comes back with the view or the main
// window activated again, are not the grid's got-focus: the selected block stays, and Copy copies it.
TEST_F(MainWindowTest, AGridKeepsItsSelectedBlockThroughItsPopupAndWhenItsWindowIsActivatedAgain)
{
    struct NoLoops {
        NoLoops() { PollingLoop::setAutoStart(false); }
        ~NoLoops() { PollingLoop::setAutoStart(true); }
    } noLoops;
    struct Window {
        QAction* open;
        int rowAfterGotFocus; // the current row after the grid's got-focus
    };
    const Window windows[] = {{main->mnuToolsStatusTable, 4}, {main->mnuToolsTrending, 1}};
    main->show();
    ASSERT_TRUE(activate(main.get()));
    QMdiSubWindow* browser = main->mdiArea->activeSubWindow();
    QWidget elsewhere;
    for (const Window& w : windows) {
        SCOPED_TRACE(w.open->text().toStdString());
        w.open->trigger();
        QMdiSubWindow* sub = main->mdiArea->activeSubWindow();
        ASSERT_NE(sub, browser);
        auto* view = sub->findChild<GridView*>();
        GridModel* grid = view->grid();
        grid->setCurrentCell(4, 2);
        for (int r = 1; r <= 6; ++r)
            for (int c = 1; c <= 2; ++c)
                grid->setTextMatrix(r, c, QStringLiteral("B%1%2").arg(r).arg(c));
        // The focus comes to the grid from the control of its view that had it, while another
        // view was active.
        sub->widget()->setFocus();
        main->mdiArea->setActiveSubWindow(browser);
        view->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(grid->row(), w.rowAfterGotFocus);

        // A block selected, the focus on another control: the right click brings it back.
        grid->select(2, 1, 5, 2);
        sub->widget()->setFocus();
        auto block = [grid] {
            return QStringLiteral("%1,%2 to %3,%4, top %5")
                .arg(grid->row())
                .arg(grid->col())
                .arg(grid->rowSel())
                .arg(grid->colSel())
                .arg(grid->topRow());
        };
        const QString selected = block();
        popupAndPress(view, 3, 1, Qt::Key_Escape);
        EXPECT_EQ(block(), selected) << "popup closed without a choice";
        QApplication::clipboard()->clear();
        popupAndPress(view, 3, 1, Qt::Key_C);
        EXPECT_EQ(QApplication::clipboard()->text(), "B21\tB22\nB31\tB32\nB41\tB42\nB51\tB52");
        EXPECT_EQ(block(), selected) << "Copy";

        elsewhere.show();
        ASSERT_TRUE(activate(&elsewhere));
        ASSERT_TRUE(activate(main.get()));
        EXPECT_EQ(block(), selected) << "main window activated again";
        // A click on the view's title bar.
        main->mdiArea->setActiveSubWindow(browser);
        QTest::mouseClick(sub, Qt::LeftButton, {}, QPoint(sub->width() / 2, sub->widget()->y() / 2));
        ASSERT_EQ(main->mdiArea->activeSubWindow(), sub);
        EXPECT_EQ(block(), selected) << "view activated again";
    }
}
} // namespace
