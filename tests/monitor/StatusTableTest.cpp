#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "monitor/frmStatusTable.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {
// Rows of the target-board list by board code.
int boardRow(int code)
{
    for (int i = 0; i < 15; ++i)
        if (frmStatusTable::boardCodeOfRow(i) == code)
            return i;
    return 0;
}

// The status table open in a main window on the simulated board. Its loop does not start by
// itself: the tests run its passes.
class StatusTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PollingLoop::setAutoStart(false);
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        main = makeMainWindow(std::move(port));
        main->MDIForm_Load();
        main->tmrBackgroungUpdate->stop();
        main->mnuToolsStatusTable_Click();
        table = frmStatusTable::existing();
        ASSERT_NE(table, nullptr);
        grid = table->fgStatus;
        view = table->fgStatusView;
        // The view lays itself out and says how many rows it shows; the new table's first
        // change notice is taken.
        QCoreApplication::processEvents();
        ASSERT_GT(grid->visibleRows(), 5);
        table->TableChanged = false;
    }
    void TearDown() override
    {
        main.reset();
        PollingLoop::setAutoStart(true);
        gActiveChild = 0;
    }

    SimBoard& board() { return sim->board(); }
    QString wire() { return hexBytes(board().received()); }
    void setBoard(int code)
    {
        table->cboTargetBoard->setCurrentIndex(boardRow(code));
        table->cboTargetBoard_Click();
    }
    void goOnline()
    {
        main->mnuViewOnline_Click();
        ASSERT_TRUE(gRSComm->OnlineMode);
        board().clearLog();
    }
    // Keys typed into a cell, then Enter when asked.
    void type(int row, int col, const QString& keys, bool enter = true)
    {
        grid->setCurrentCell(row, col);
        QTest::keyClicks(view, keys);
        if (enter)
            QTest::keyClick(view, Qt::Key_Return);
    }
    // Addresses straight into the address column from row 2 on (as a loaded table has them).
    void addresses(const QStringList& list)
    {
        for (int i = 0; i < list.size(); ++i)
            grid->setTextMatrix(2 + i, 1, list[i]);
    }
    // The four value columns of a row, joined by "|".
    QString values(int row)
    {
        QStringList v;
        for (int c = 2; c <= 5; ++c)
            v << grid->textMatrix(row, c);
        return v.join('|');
    }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort* sim = nullptr;
    std::unique_ptr<frmMDIMain> main;
    frmStatusTable* table = nullptr;
    GridModel* grid = nullptr;
    GridView* view = nullptr;
};

TEST_F(StatusTableTest, OpensAsAnEmptySixtyRowTableWithItsMenus)
{
    EXPECT_EQ(grid->rows(), 60);
    EXPECT_EQ(grid->textMatrix(59, 0), "*");
    EXPECT_EQ(grid->textMatrix(1, 1), "Address");
    EXPECT_EQ(grid->textMatrix(0, 5), "BIN Low");
    EXPECT_EQ(grid->row(), 2);
    EXPECT_EQ(grid->col(), 1);
    EXPECT_EQ(table->cboTargetBoard->count(), 15);
    EXPECT_EQ(table->cboTargetBoard->itemText(14), "V8390");
    EXPECT_FALSE(table->chkViewOffline->isEnabled());
    EXPECT_TRUE(table->Active);
    EXPECT_EQ(gActiveChild, 1);
    EXPECT_TRUE(main->mnuStatusTable->menuAction()->isVisible());
    EXPECT_TRUE(main->mnuEditCopy->isVisible());
    EXPECT_EQ(main->activeChildName(), "frmStatusTable");
    // Closing hides the table's menu and print entry; the next use loads a fresh table.
    grid->setTextMatrix(3, 1, "B10");
    prompts.answer(Answer::No);
    table->parentWidget()->close();
    EXPECT_FALSE(table->Active);
    EXPECT_FALSE(main->mnuStatusTable->menuAction()->isVisible());
    EXPECT_FALSE(main->mnuFilePrintStatusTable->isVisible());
    main->mnuToolsStatusTable_Click();
    EXPECT_EQ(grid->textMatrix(3, 1), "");
    EXPECT_TRUE(table->Active);
}

TEST(StatusTableNextAddress, FollowsEachTypesNumbering)
{
    const struct {
        const char *from, *next;
    } cases[] = {{"B12.7", "B13.0"}, {"B12.3", "B12.4"}, {"X11", "X20"},  {"X11.7", "X20.0"},
                 {"X10.7", "X11.0"}, {"X10", "X11"},     {"W100", "W102"}, {"D100", "D104"},
                 {"F9", "F10"},      {"B7", "B8"},       {"1FFH", "200H"}, {"Q5", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(frmStatusTable::NextAddress(c.from), c.next) << c.from;
}

TEST_F(StatusTableTest, TypingIntoTheStarRowAddsARowAndMovesTheStar)
{
    type(59, 1, "W", false);
    EXPECT_EQ(grid->rows(), 61);
    EXPECT_EQ(grid->textMatrix(59, 0), "");
    EXPECT_EQ(grid->textMatrix(59, 1), "W");
    EXPECT_EQ(grid->textMatrix(60, 0), "*");
    EXPECT_EQ(grid->row(), 59);
    // Typing begun in the new row's Decimal column goes on in its address cell, every key kept.
    type(60, 2, "42", false);
    EXPECT_EQ(grid->textMatrix(60, 1), "42");
    EXPECT_EQ(grid->textMatrix(61, 0), "*");
}

TEST_F(StatusTableTest, TheEditorTakesOnlyTheKeysOfTheColumnAndBoard)
{
    const struct {
        int board, col;
        const char *keys, *cell;
    } cases[] = {
        {0, 1, "B12.3.4", "B12.3"},     // a second point, and no digit after the bit
        {0, 1, "W10.1", "W101"},        // no point after W
        {0, 1, "D4.", "D4"},            // nor after D
        {0, 1, "F1.2", "F12"},          // nor after F
        {0, 1, "B123456.78", "B1234.7"}, // after five characters only the point and one bit digit
        {0, 1, "X10Y1", "101"},         // no points on a board of none
        {50, 1, "I10.1", "I10.1"},      // K7715 has inputs
        {49, 1, "I10X1", "10X1"},
        {0, 1, "b 1f h", "b1fh"},       // space is ignored
        {0, 2, "12a9.", "129"},
        {0, 3, "1aF9G", "1aF9"},
        {0, 0, "B1", ""},               // the names column takes nothing
    };
    int row = 2;
    for (const auto& c : cases) {
        setBoard(c.board);
        type(row, c.col, c.keys, false);
        EXPECT_EQ(grid->textMatrix(row, c.col), c.cell) << c.keys;
        ++row;
    }
}

TEST_F(StatusTableTest, EscRestoresTheCellAndASecondEscLeavesTheGrid)
{
    grid->setTextMatrix(4, 1, "W100");
    type(4, 1, "B5", false);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(grid->textMatrix(4, 1), "W100");
    EXPECT_EQ(table->focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(table->focusWidget(), table->cmdDefault);
    EXPECT_EQ(table->EditedRow, 0);
}

TEST_F(StatusTableTest, ValuesAreWrittenToTheAddressOfTheirRow)
{
    setBoard(50);
    goOnline();
    addresses({"W100", "D200", "Y10", "X10", "I10", "B37.3", "W101", "Z5"});
    // Row, column, keys, and the bytes the PC sends for them.
    const struct {
        int row, col;
        const char *keys, *wire;
    } cases[] = {
        {2, 2, "1234", "FF 02 00 64 D2 00 65 04"},
        {3, 2, "70123", "00 C8 7B 00 C9 00 00 CA 07 00 CB 00"},
        {4, 3, "a5", "00 A2 A5"}, // Y10 is byte 162 of this board
        {5, 2, "9", ""},          // inputs are never written
        {6, 2, "9", ""},
        {8, 2, "9", ""},          // addresses the board lacks (loaded from a file) take no value
        {9, 2, "9", ""},
    };
    for (const auto& c : cases) {
        board().clearLog();
        type(c.row, c.col, c.keys);
        EXPECT_EQ(wire(), c.wire) << c.keys;
    }
    type(7, 2, "1");
    EXPECT_EQ(board().memory[37], 8);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StatusTableTest, OffLineAValueStaysTypedAndNothingIsSent)
{
    addresses({"W100"});
    board().clearLog();
    type(2, 2, "55");
    EXPECT_EQ(grid->textMatrix(2, 2), "55");
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(board().memory[100], 0);
}

TEST_F(StatusTableTest, AddressCommitsCheckAndShowTheAddress)
{
    goOnline();
    const struct {
        int board;
        const char *keys, *cell;
    } cases[] = {
        {0, "01f4h", "1F4H"},
        {0, "w101", ""},   // odd word
        {0, "h40", ""},    // no such type
        {0, "FZ", ""},     // one character left: nothing to name
        {49, "X10", ""},   // a point this board does not have
        {49, "X30", "X30"},
        {0, "b42.7", "B42.7"},
    };
    int row = 2;
    for (const auto& c : cases) {
        setBoard(c.board);
        type(row, 1, c.keys);
        EXPECT_EQ(grid->textMatrix(row, 1), c.cell) << c.keys;
        ++row;
    }
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(wire(), "");
}

TEST_F(StatusTableTest, EnterCommitsOnceAndMovesDownAndAutoIncrementProposesTheNext)
{
    type(2, 1, "b40");
    EXPECT_EQ(grid->textMatrix(2, 1), "B40");
    EXPECT_EQ(grid->row(), 3); // one row down, not two: leaving after Enter does not commit again
    table->chkAutoIncrement->setChecked(true);
    type(3, 1, "B42.6");
    EXPECT_EQ(grid->textMatrix(4, 1), "B42.7");
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(grid->textMatrix(5, 1), "B43.0");
    EXPECT_EQ(grid->row(), 5);
    EXPECT_EQ(table->EditedRow, 5);
}

TEST_F(StatusTableTest, LeavingAnAddressCellByMouseCommitsIt)
{
    view->resize(600, 400);
    type(2, 1, "01f4h", false);
    const QRect cell = view->visualRect(view->model()->index(8 - grid->fixedRows(), 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid->textMatrix(2, 1), "1F4H");
    EXPECT_EQ(grid->row(), 8);
    EXPECT_EQ(grid->col(), 2);
    // After an Enter that was refused, the address typed next still commits when left.
    type(3, 1, "w101");
    EXPECT_EQ(grid->textMatrix(3, 1), "");
    QTest::keyClicks(view, "b40");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid->textMatrix(3, 1), "B40");
    // Enter on the empty "*" row leaves its mark.
    grid->setCurrentCell(grid->rows() - 1, 1);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(grid->textMatrix(grid->rows() - 1, 0), "*");
}

TEST_F(StatusTableTest, DeleteRemovesWholeRowsAboveTheStarRowOrEmptiesCells)
{
    auto fill = [this] {
        // The rows of the last round are dropped without the save question.
        table->SkipSavePrompt = true;
        table->NewStatusTable();
        for (int r = 2; r < 59; ++r)
            grid->setTextMatrix(r, 1, QString("B%1").arg(r + 30));
    };
    fill();
    grid->setTextMatrix(3, 2, "7");
    grid->select(3, 1, 4, 2);
    table->fgStatus_KeyDown(Qt::Key_Delete, 0);
    EXPECT_EQ(grid->rows(), 60);
    EXPECT_EQ(grid->textMatrix(3, 1), "");
    EXPECT_EQ(grid->textMatrix(3, 2), "");
    EXPECT_EQ(grid->textMatrix(4, 1), "");
    EXPECT_EQ(grid->textMatrix(5, 1), "B35");
    // Whole rows down to the "*" row, selected either way round.
    for (bool upward : {false, true}) {
        fill();
        if (upward)
            grid->select(59, 0, 56, 5);
        else
            grid->select(56, 0, 59, 5);
        table->TableChanged = false;
        table->fgStatus_KeyDown(Qt::Key_Delete, 0);
        EXPECT_EQ(grid->rows(), 57) << upward;
        EXPECT_EQ(grid->textMatrix(55, 1), "B85");
        EXPECT_EQ(grid->textMatrix(56, 0), "*");
        EXPECT_TRUE(table->TableChanged);
    }
    // Backspace outside editing deletes as Delete does, and edits nothing after it.
    fill();
    grid->select(5, 0, 6, 5);
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(grid->textMatrix(4, 1) + grid->textMatrix(5, 1), "B34B37");
    EXPECT_EQ(grid->row(), 5); // the row that moved up into place
}

TEST_F(StatusTableTest, InsertAddsTheSelectedCountAboveAndStopsAtTheRowLimit)
{
    grid->setTextMatrix(4, 1, "B4");
    grid->select(6, 1, 4, 1); // upward: three rows
    table->fgStatus_KeyDown(Qt::Key_Insert, 0);
    EXPECT_EQ(grid->rows(), 63);
    EXPECT_EQ(grid->textMatrix(7, 1), "B4");
    grid->setRows(frmStatusTable::kMaxRows - 1);
    prompts.answerOk();
    grid->select(2, 1, 3, 1); // two more would pass the limit
    table->fgStatus_KeyDown(Qt::Key_Insert, 0);
    EXPECT_EQ(grid->rows(), frmStatusTable::kMaxRows - 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Maximum Row Limit Reached.");
    EXPECT_EQ(prompts.shown[0].title, "Add Cell");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    // At the limit the "*" row adds none: typing there edits the row above, and Esc restores it.
    grid->setRows(frmStatusTable::kMaxRows);
    grid->setTextMatrix(frmStatusTable::kMaxRows - 2, 1, "B50");
    type(frmStatusTable::kMaxRows - 1, 1, "B4", false);
    EXPECT_EQ(grid->textMatrix(frmStatusTable::kMaxRows - 2, 1), "B4");
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(grid->textMatrix(frmStatusTable::kMaxRows - 2, 1), "B50");
    EXPECT_EQ(grid->rows(), frmStatusTable::kMaxRows);
}

TEST_F(StatusTableTest, CopyPutsTheSelectionOnTheClipboard)
{
    addresses({"W100", "B37"});
    grid->setTextMatrix(2, 2, "5");
    grid->select(2, 1, 3, 2);
    main->mnuEditCopy_Click();
    EXPECT_EQ(QApplication::clipboard()->text(), "W100\t5\nB37\t");
}

// ---- live refresh -------------------------------------------------------------------------------

TEST_F(StatusTableTest, APassReadsOnlyTheVisibleRowsFromTheTopRow)
{
    goOnline();
    QStringList list;
    for (int r = 2; r < 59; ++r) {
        list << QString("B%1").arg(100 + r);
        board().memory[100 + r] = static_cast<uint8_t>(r);
    }
    addresses(list);
    // The address bytes of the rows the view shows from `top`, in order.
    auto readsFrom = [this](int top) {
        QStringList bytes;
        for (int r = top; grid->rowIsVisible(r); ++r)
            bytes << QString("00 %1").arg(100 + r, 2, 16, QLatin1Char('0')).toUpper();
        return bytes.join(' ');
    };
    table->liveLoop()->runOnce();
    EXPECT_EQ(wire(), "FF 01 " + readsFrom(2));
    const int shown = grid->visibleRows();
    EXPECT_EQ(grid->textMatrix(4, 2), "4");
    EXPECT_EQ(grid->textMatrix(2 + shown + 1, 2), "");
    board().clearLog();
    grid->setTopRow(30);
    table->liveLoop()->runOnce();
    EXPECT_EQ(wire(), readsFrom(30));
    EXPECT_EQ(grid->textMatrix(31, 2), "31");
    EXPECT_EQ(grid->textMatrix(4, 2), "4"); // scrolled out of view, its last value stays
}

TEST_F(StatusTableTest, OnLineValueColumnsFollowTheAddressType)
{
    setBoard(50);
    goOnline();
    board().memory[100] = 0xA5;
    board().memory[33] = 0x04;
    board().memory[200] = 0x34;
    board().memory[201] = 0x12;
    board().memory[300] = 0x39; // low word 1337 = 0539h
    board().memory[301] = 0x05;
    board().memory[302] = 0x02; // high word 2
    board().memory[162] = 0x81; // Y10
    addresses({"B100", "B100.7", "F10", "W200", "D300", "64H", "Y10", "Y10.7"});
    table->liveLoop()->runOnce();
    const char* const want[] = {
        "165|A5||10100101",        "1|1||1",
        "1|1||1",                  "4660|1234|00010010|00110100",
        "21337|5359|01010011|01011001", "165|A5||10100101",
        "129|81||10000001",        "1|1||1",
    };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(values(2 + i), want[i]) << i;
}

TEST_F(StatusTableTest, APassSkipsTheEditedRowAndPointsTheBoardLacks)
{
    setBoard(49);
    goOnline();
    board().memory[45] = 9;
    addresses({"B45", "B45", "X10", "X30", "1+00H", "B-40", "W101", "Z5"});
    grid->setTextMatrix(3, 2, "typing");
    table->EditedRow = 3;
    table->liveLoop()->runOnce();
    EXPECT_EQ(grid->textMatrix(2, 2), "9");
    EXPECT_EQ(grid->textMatrix(3, 2), "typing");
    for (int r : {4, 8, 9})
        EXPECT_EQ(values(r), "N/A|N/A|N/A|N/A") << r;
    // Only B45 and X30 (byte 49) went out: addresses the board lacks and texts naming none are not read.
    EXPECT_EQ(wire(), "FF 01 00 2D 00 31");
}

TEST_F(StatusTableTest, InsertOrDeleteDuringAPassEndsIt)
{
    goOnline();
    addresses({"B41", "B42", "B43"});
    table->TableChanged = false;
    grid->setCurrentCell(3, 1);
    QTimer::singleShot(0, view, [this] { QTest::keyClick(view, Qt::Key_Insert); });
    table->liveLoop()->runOnce();
    EXPECT_EQ(wire(), "");
    EXPECT_FALSE(table->TableChanged);
    EXPECT_EQ(grid->textMatrix(4, 1), "B42");
    table->liveLoop()->runOnce();
    EXPECT_EQ(grid->textMatrix(4, 2), "0");
}

TEST_F(StatusTableTest, ACommunicationErrorDropsTheLinkOffLine)
{
    goOnline();
    addresses({"B41", "B42"});
    board().setSilentFrom(board().receivedCount() + 3);
    prompts.answer(Answer::Cancel);
    table->liveLoop()->runOnce();
    EXPECT_TRUE(gRSComm->CommError);
    EXPECT_EQ(grid->textMatrix(2, 2), "");
    EXPECT_EQ(grid->textMatrix(3, 2), "");
    table->liveLoop()->runOnce();
    EXPECT_FALSE(gRSComm->OnlineMode);
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
}

TEST_F(StatusTableTest, AFailedReadLeavesTheValuesAsTheyWere)
{
    goOnline();
    addresses({"B41"});
    grid->setTextMatrix(2, 2, "42");
    board().corruptReplyAt(board().receivedCount() + 2, 0x77); // a wrong echo of the address
    table->liveLoop()->runOnce();
    EXPECT_EQ(grid->textMatrix(2, 2), "42");
}

// The line drops out past the communication box, answered Retry, at the last byte of a row's read:
// the 55h that answers FFh sent again is no byte of the board's, so the row keeps what it showed,
// and the next pass shows the board's value again.
TEST_F(StatusTableTest, ALineThatDropsOutLeavesTheValuesAsTheyWere)
{
    struct Case {
        int lost; // the byte whose read loses its reply
        int row, newByte;
        const char* after; // the row once the board's byte is `newByte`
    };
    const Case cases[] = {
        {100, 2, 8, "8|8||00001000"},
        {303, 3, 0x31, "126016789|782DD15|11011101|00010101"}, // D300's high word 3139h
    };
    goOnline();
    board().memory[100] = 7;
    for (int k = 0; k < 4; ++k)
        board().memory[300 + k] = bytesOf({0x85, 0x1A, 0x39, 0x30})[k]; // D300 = 123456789
    addresses({"B100", "D300"});
    table->liveLoop()->runOnce();
    ASSERT_EQ(values(3), "123456789|75BCD15|11001101|00010101");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        const QString shown = values(2) + " / " + values(3);
        dropOutAt(board(), c.lost);
        prompts.answer(Answer::Retry);
        table->liveLoop()->runOnce();
        EXPECT_EQ(values(2) + " / " + values(3), shown);
        EXPECT_FALSE(gRSComm->CommError);
        board().memory[c.lost] = static_cast<uint8_t>(c.newByte);
        table->liveLoop()->runOnce();
        EXPECT_EQ(values(c.row), c.after);
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
}

TEST_F(StatusTableTest, OffLineTheImageGivesTheValues)
{
    table->OfflineImage = QStringList(8193, QString());
    table->OfflineImage[12] = "80";
    table->OfflineImage[33] = "04";
    table->OfflineImage[100] = "34";
    table->OfflineImage[101] = "12";
    table->OfflineImage[8192] = "FF";
    table->OfflineDataShown = true;
    addresses({"X10", "F10", "B12.7", "B12", "W100", "D100", "W8192", "1F4H"});
    table->liveLoop()->runOnce();
    const char* const want[] = {
        "N/A|N/A|N/A|N/A",  "1|1||1",
        "1|1||1",           "128|80||10000000",
        "4660|1234|00010010|00110100", "4660|1234|00010010|00110100",
        "255|FF|00000000|11111111",    "0|0||00000000",
    };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(values(2 + i), want[i]) << i;
    // Without an image a pass reads nothing and changes nothing.
    table->OfflineDataShown = false;
    grid->setTextMatrix(2, 2, "kept");
    EXPECT_FALSE(table->liveLoop()->runOnce());
    EXPECT_EQ(grid->textMatrix(2, 2), "kept");
}

TEST_F(StatusTableTest, ALaterWindowsLoopRunsNestedAndClosingTheTableEndsItsLoop)
{
    PollingLoop::setAutoStart(true);
    goOnline();
    addresses({"B41"});
    QObject other;
    bool otherRunning = true;
    int otherPasses = 0;
    long atOtherStart = -1, atOtherEnd = -1;
    PollingLoop otherLoop(
        &other, [&] { return otherRunning; },
        [&] {
            if (otherPasses++ == 0)
                atOtherStart = board().receivedCount();
            EXPECT_EQ(PollingLoop::current(), &otherLoop);
            EXPECT_TRUE(table->liveLoop()->isRunning());
            if (otherPasses == 3) {
                atOtherEnd = board().receivedCount();
                otherRunning = false;
            }
            return true;
        });
    QTimer::singleShot(0, &other, [&] { otherLoop.start(); });
    QTimer::singleShot(150, &other, [&] {
        prompts.answer(Answer::No);
        table->parentWidget()->close();
    });
    table->liveLoop()->start();
    QCoreApplication::processEvents();
    EXPECT_EQ(otherPasses, 3);
    EXPECT_EQ(atOtherEnd, atOtherStart); // the table read nothing while the later loop ran
    EXPECT_GT(board().receivedCount(), atOtherEnd); // and read again once it returned
    EXPECT_FALSE(table->liveLoop()->isRunning());
    EXPECT_EQ(PollingLoop::depth(), 0);
}
} // namespace
