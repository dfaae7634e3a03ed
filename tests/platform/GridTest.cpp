#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/PollingLoop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace {
// A grid of `rows` rows and the status table's columns, each data cell "r,c".
void fill(GridModel& g, int rows)
{
    g.setFormatString("^|<|^|^|>|>");
    g.setRows(rows);
    g.setFixedRows(2);
    for (int r = 2; r < rows; ++r)
        for (int c = 0; c < 6; ++c)
            g.setTextMatrix(r, c, QString("%1,%2").arg(r).arg(c));
}

TEST(GridModel, FormatStringSetsColumnsAlignmentAndHeadings)
{
    GridModel g;
    g.setFormatString("<CHANNEL NUMBER:|^ON POS|>Off POS|plain");
    ASSERT_EQ(g.cols(), 4);
    const struct {
        GridModel::Align align;
        const char* heading;
    } want[] = {{GridModel::Align::Left, "CHANNEL NUMBER:"},
                {GridModel::Align::Center, "ON POS"},
                {GridModel::Align::Right, "Off POS"},
                {GridModel::Align::General, "plain"}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(g.colAlignment(c), want[c].align) << c;
        EXPECT_EQ(g.textMatrix(0, c), want[c].heading) << c;
    }
}

TEST(GridModel, RowsInsertedAndRemovedKeepTheOtherRowsTexts)
{
    GridModel g;
    fill(g, 6);
    g.insertRows(3, 2);
    EXPECT_EQ(g.rows(), 8);
    EXPECT_EQ(g.textMatrix(2, 1), "2,1");
    EXPECT_EQ(g.textMatrix(3, 1), "");
    EXPECT_EQ(g.textMatrix(5, 1), "3,1");
    g.removeRows(2, 3);
    EXPECT_EQ(g.textMatrix(2, 1), "3,1");
    g.addItem("a\tb\t\tc", 1);
    EXPECT_EQ(g.textMatrix(1, 1), "b");
    EXPECT_EQ(g.textMatrix(1, 3), "c");
    g.setRows(3);
    EXPECT_EQ(g.rows(), 3);
    EXPECT_EQ(g.textMatrix(5, 1), "");
}

TEST(GridModel, ClipTakesTheSelectionWhicheverWayItWasMade)
{
    GridModel g;
    fill(g, 10);
    g.select(4, 3, 3, 2); // anchor below and right of the far corner
    EXPECT_EQ(g.selTop(), 3);
    EXPECT_EQ(g.selBottom(), 4);
    EXPECT_EQ(g.selLeft(), 2);
    EXPECT_EQ(g.selRight(), 3);
    EXPECT_EQ(g.clip(), "3,2\t3,3\n4,2\t4,3");
    g.setClip("x\ty\tdropped\r\nz\nbeyond");
    EXPECT_EQ(g.clip(), "x\ty\nz\t4,3");
    EXPECT_EQ(g.textMatrix(5, 2), "5,2");
    g.setRow(6); // moving the current cell collapses the selection
    EXPECT_EQ(g.rowSel(), 6);
    EXPECT_EQ(g.colSel(), 3);
}

TEST(GridModel, LeaveCellComesBeforeTheMoveAndEnterCellAfterIt)
{
    GridModel g;
    fill(g, 10);
    g.setCurrentCell(2, 1);
    QStringList events;
    QObject::connect(&g, &GridModel::leaveCell, [&] { events << QString("leave %1").arg(g.row()); });
    QObject::connect(&g, &GridModel::enterCell, [&] { events << QString("enter %1").arg(g.row()); });
    g.setRow(5);
    g.setRow(5);
    g.setRowSel(7);
    EXPECT_EQ(events, QStringList({"leave 2", "enter 5"}));
}

TEST(GridModel, TopRowStaysBetweenTheFixedRowsAndTheLastFullPage)
{
    GridModel g;
    fill(g, 60);
    g.setVisibleRows(10, true);
    const struct {
        int asked, top;
    } cases[] = {{0, 2}, {5, 5}, {50, 50}, {51, 50}, {1000, 50}};
    for (const auto& c : cases) {
        g.setTopRow(c.asked);
        EXPECT_EQ(g.topRow(), c.top) << c.asked;
    }
    g.setTopRow(5);
    EXPECT_TRUE(g.rowIsVisible(0));
    EXPECT_FALSE(g.rowIsVisible(4));
    EXPECT_TRUE(g.rowIsVisible(15)); // the part-shown row under the ten whole ones
    EXPECT_FALSE(g.rowIsVisible(16));
    g.removeRows(10, 45); // 15 rows left: the top row comes back to show a full page
    EXPECT_EQ(g.topRow(), 5);
    g.removeRows(10, 4);
    EXPECT_EQ(g.topRow(), 2);
}

TEST(GridModel, ThirtyTwoThousandRowsInsertAndCopyInOneStepEach)
{
    GridModel g;
    fill(g, 60);
    int inserts = 0;
    QObject::connect(&g, &GridModel::rowsInserted, [&] { ++inserts; });
    g.insertRows(10, 32000);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(g.rows(), 32060);
    EXPECT_EQ(g.textMatrix(32010, 1), "10,1");
    g.select(2, 0, 32059, 5);
    const QString clip = g.clip();
    EXPECT_EQ(clip.count('\n'), 32057);
    EXPECT_TRUE(clip.endsWith("59,4\t59,5"));
}

class GridViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fill(grid, 60);
        view = std::make_unique<GridView>(&grid);
        view->resize(400, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    QPoint centre(int row, int col) const
    {
        return view->visualRect(view->model()->index(row - grid.fixedRows(), col)).center();
    }
    GridModel grid;
    std::unique_ptr<GridView> view;
};

TEST_F(GridViewTest, FixedRowsAreTheHeadingsAndTheViewportGivesTheVisibleRows)
{
    grid.setTextMatrix(0, 4, "BIN High");
    grid.setTextMatrix(1, 4, "76543210");
    EXPECT_EQ(view->model()->headerData(4, Qt::Horizontal).toString(), "BIN High\n76543210");
    EXPECT_EQ(view->model()->rowCount(), 58);
    const int rowPx = view->verticalHeader()->defaultSectionSize();
    EXPECT_EQ(grid.visibleRows(), view->viewport()->height() / rowPx);
}

TEST_F(GridViewTest, ClicksDragsAndKeysMoveTheGridsCellAndSelection)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(6, 1));
    EXPECT_EQ(grid.row(), 6);
    EXPECT_EQ(grid.col(), 1);
    // A drag upwards: the cell pressed stays the current cell, the far corner is above it.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre(8, 3));
    QMouseEvent move(QEvent::MouseMove, centre(4, 2), view->viewport()->mapToGlobal(centre(4, 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre(4, 2));
    EXPECT_EQ(grid.row(), 8);
    EXPECT_EQ(grid.col(), 3);
    EXPECT_EQ(grid.rowSel(), 4);
    EXPECT_EQ(grid.colSel(), 2);
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(grid.row(), 5);
    EXPECT_EQ(grid.rowSel(), 5);
    // The right button leaves the cell where it is.
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, centre(9, 1));
    EXPECT_EQ(grid.row(), 5);
}

TEST_F(GridViewTest, GridMovesAndScrollsShowInTheViewAndScrollingMovesTopRow)
{
    grid.select(10, 1, 12, 2);
    EXPECT_EQ(view->currentIndex().row(), 10);
    EXPECT_EQ(view->selectionModel()->selectedIndexes().size(), 6);
    grid.setTopRow(20);
    EXPECT_EQ(view->verticalScrollBar()->value(), 18);
    view->verticalScrollBar()->setValue(30);
    EXPECT_EQ(grid.topRow(), 32);
    grid.insertRows(50, 100); // the new rows can be scrolled to at once
    grid.setTopRow(140);
    EXPECT_EQ(view->verticalScrollBar()->value(), 138);
}

TEST_F(GridViewTest, HeldChangesReachTheViewAllAtOnceWhenShown)
{
    QAbstractItemModel* shown = view->model();
    const auto shownText = [&](int row, int col) { return shown->index(row - 2, col).data().toString(); };
    grid.setCurrentCell(3, 1);
    view->holdChanges();
    // Rows come in at the top, a heading changes, the cell and the top row move: the view keeps
    // the rows it knows meanwhile.
    for (int i = 0; i < 5; ++i) {
        grid.insertRows(2, 1);
        grid.setTextMatrix(2, 1, QString("new %1").arg(i));
    }
    grid.setTextMatrix(0, 1, "Heading");
    grid.setCurrentCell(4, 2);
    grid.setTopRow(30);
    EXPECT_EQ(shown->rowCount(), 58);
    view->showHeldChanges();
    EXPECT_EQ(shown->rowCount(), 63);
    EXPECT_EQ(shownText(2, 1), "new 4");
    EXPECT_EQ(shownText(64, 1), "59,1");
    EXPECT_EQ(shown->headerData(1, Qt::Horizontal).toString().section('\n', 0, 0), "Heading");
    EXPECT_EQ(view->currentIndex(), shown->index(2, 2));
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(view->verticalScrollBar()->value(), 28);
    EXPECT_EQ(grid.topRow(), 30);

    // Rows taken away while held go from the end of the view's rows.
    view->holdChanges();
    grid.setRows(12);
    view->showHeldChanges();
    EXPECT_EQ(shown->rowCount(), 10);
    EXPECT_EQ(shownText(11, 1), "6,1");

    // A row in and a row out leave the count as it was, but every row below has moved.
    view->holdChanges();
    grid.insertRows(2, 1);
    grid.removeRows(grid.rows() - 1, 1);
    QSignalSpy repainted(shown, &QAbstractItemModel::dataChanged);
    view->showHeldChanges();
    EXPECT_EQ(shown->rowCount(), 10);
    EXPECT_FALSE(repainted.isEmpty());
}

TEST_F(GridViewTest, KeysReachTheWindowAsKeyDownAndKeyPress)
{
    QList<int> downs, presses;
    QObject::connect(view.get(), &GridView::keyDown, [&](int k, Qt::KeyboardModifiers) { downs << k; });
    QObject::connect(view.get(), &GridView::keyPress, [&](int a) { presses << a; });
    grid.setCurrentCell(3, 1);
    QTest::keyClick(view.get(), Qt::Key_B);
    QTest::keyClick(view.get(), Qt::Key_Return);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(presses, QList<int>({'b', 13, 27, 3}));
    EXPECT_EQ(downs, QList<int>({Qt::Key_B, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Delete, Qt::Key_Control, Qt::Key_C}));
    EXPECT_EQ(grid.row(), 3); // typing did not search and move the cell
}

// ---- polling loop -------------------------------------------------------------------------------

struct LoopWindow {
    QObject window;
    bool active = true;
    int passes = 0;
    bool exchange = true;
    std::function<void()> onPass;
    PollingLoop* loop = new PollingLoop(
        &window, [this] { return active; },
        [this] {
            ++passes;
            if (onPass)
                onPass();
            return exchange;
        });
};

TEST(PollingLoop, StartsQueuedOnceAndEndsWithTheRunningFlag)
{
    LoopWindow a;
    a.loop->start();
    a.loop->start();
    EXPECT_EQ(a.passes, 0); // nothing runs inside the activation
    a.onPass = [&] {
        a.loop->start(); // an activation while it runs starts no second loop
        EXPECT_EQ(PollingLoop::depth(), 1);
        if (a.passes == 3)
            a.active = false;
    };
    QCoreApplication::processEvents();
    EXPECT_EQ(a.passes, 3);
    EXPECT_FALSE(a.loop->isRunning());
    EXPECT_EQ(PollingLoop::depth(), 0);
}

TEST(PollingLoop, ALaterLoopRunsNestedAndTheFirstResumesWhenItEnds)
{
    LoopWindow a, b;
    QStringList order;
    a.onPass = [&] {
        order << "a";
        if (a.passes == 1)
            b.loop->start();
        if (a.passes == 3)
            a.active = false;
    };
    b.onPass = [&] {
        order << "b";
        EXPECT_EQ(PollingLoop::current(), b.loop);
        EXPECT_TRUE(a.loop->isRunning());
        if (b.passes == 2)
            b.active = false;
    };
    a.loop->start();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, QStringList({"a", "b", "b", "a", "a"}));
}

TEST(PollingLoop, APassWithoutExchangeWaitsInsteadOfSpinning)
{
    LoopWindow a;
    a.exchange = false;
    a.loop->setIdleInterval(50);
    QElapsedTimer t;
    t.start();
    a.onPass = [&] { a.active = t.elapsed() < 300; };
    a.loop->start();
    QCoreApplication::processEvents();
    EXPECT_LT(a.passes, 30);
    EXPECT_GT(a.passes, 2);
}

TEST(PollingLoop, AWindowClosedInsideItsLoopIsDeletedOnlyAfterTheLoopReturns)
{
    auto* window = new QObject;
    QPointer<QObject> alive(window);
    bool active = true, deletedInside = true;
    auto* loop = new PollingLoop(
        window, [&] { return active; },
        [&] {
            active = false;
            PollingLoop::deleteWhenIdle(window);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            deletedInside = alive.isNull();
            return true;
        });
    loop->start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(deletedInside);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}
} // namespace
