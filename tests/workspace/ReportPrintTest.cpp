#include "LineRecordingDevice.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/PrintSurface.h"
#include "workspace/modReport.h"
#include "workspace/modUtility.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A status table grid as a new table lays it out, with `dataRows` rows after the two headings.
void statusGrid(GridModel& g, int dataRows)
{
    g.setCols(6);
    g.setRows(2 + dataRows);
    const char* row0[] = {"", "", "", "", "BIN High", "BIN Low"};
    const char* row1[] = {"NicNames", "Address", "Decimal", "HEX", "76543210", "76543210"};
    for (int c = 0; c < 6; ++c) {
        g.setTextMatrix(0, c, row0[c]);
        g.setTextMatrix(1, c, row1[c]);
    }
    for (int r = 2; r < g.rows(); ++r)
        g.setTextMatrix(r, 1, QStringLiteral("B%1").arg(r));
}

std::vector<RecordingSurface::Text> onPage(const RecordingSurface& s, int page)
{
    std::vector<RecordingSurface::Text> out;
    for (const auto& t : s.texts)
        if (t.page == page)
            out.push_back(t);
    return out;
}

int pagesWithText(const RecordingSurface& s) { return s.texts.empty() ? 0 : s.texts.back().page; }

struct ReportTest : ::testing::Test {
    ReportTest() { gViewDescriptions = false; }
    ~ReportTest() override { gViewDescriptions = false; }
    GridModel grid;
    RecordingSurface paper;
};

TEST_F(ReportTest, ATableOfHeadingsOnlyPrintsTitleHeadingsEmptyLineAndFooterOnOnePage)
{
    statusGrid(grid, 0);
    setWallClock([] { return QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9)); });
    PrintReport(paper, grid, "PUMP", 0);
    setWallClock(nullptr);
    ASSERT_EQ(paper.texts.size(), 1u + 2 + 6 + 2);
    const auto& title = paper.texts[0];
    EXPECT_EQ(title.text, "Status Table: PUMP");
    EXPECT_DOUBLE_EQ(title.y, 0.1);
    EXPECT_DOUBLE_EQ(title.x, (7.5 - 18 * 12 * 0.6 / 72 - 0.5) / 2);
    EXPECT_EQ(title.font, "Times");
    EXPECT_EQ(paper.texts[1].text, "BIN High");
    EXPECT_DOUBLE_EQ(paper.texts[1].x, 4.5);
    EXPECT_DOUBLE_EQ(paper.texts[1].y, 0.75);
    EXPECT_EQ(paper.texts[3].text, "NicNames");
    EXPECT_DOUBLE_EQ(paper.texts[3].y, 0.95);
    // Title rule two lines under the title's top, footer rule 0.1 above the footer.
    ASSERT_EQ(paper.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(paper.lines[0].y1, 0.5);
    EXPECT_DOUBLE_EQ(paper.lines[0].x1, 0.5);
    EXPECT_DOUBLE_EQ(paper.lines[0].x2, 7.0);
    const double footerY = 10 - 10 * 1.2 / 72 - 0.1;
    EXPECT_DOUBLE_EQ(paper.lines[1].y1, footerY - 0.1);
    const auto& date = paper.texts[9];
    const auto& page = paper.texts[10];
    EXPECT_DOUBLE_EQ(date.x, 0.5);
    EXPECT_DOUBLE_EQ(date.y, footerY);
    EXPECT_EQ(date.size, 10);
    EXPECT_TRUE(date.text.contains("05:09")) << date.text.toStdString();
    EXPECT_TRUE(date.text.contains("26")) << date.text.toStdString();
    EXPECT_EQ(page.text, "Page 1");
    EXPECT_DOUBLE_EQ(page.x, 7.5 - 6 * 10 * 0.6 / 72 - 0.5);
    // The end of the last page starts no empty page.
    EXPECT_EQ(paper.pagesStarted, 1);
}

TEST_F(ReportTest, ALongTableBreaksWithFooterThenTitleRuleAndHeadingsAndPrintsEveryRowOnce)
{
    statusGrid(grid, 100);
    PrintReport(paper, grid, "T", 0);
    const int pages = pagesWithText(paper);
    EXPECT_EQ(paper.pagesStarted, pages);
    ASSERT_GE(pages, 3);
    QStringList rows;
    for (int p = 1; p <= pages; ++p) {
        const auto texts = onPage(paper, p);
        ASSERT_GE(texts.size(), 11u) << p;
        EXPECT_EQ(texts[0].text, "Status Table: T") << p;
        EXPECT_EQ(texts[3].text, "NicNames") << p;
        EXPECT_EQ(texts.back().text, QStringLiteral("Page %1").arg(p));
        double lowest = 0;
        for (std::size_t i = 9; i + 2 < texts.size(); ++i) {
            rows << texts[i].text;
            lowest = std::max(lowest, texts[i].y);
        }
        // A row is printed only while a line more still leaves 0.9 inch above the bottom.
        EXPECT_LE(lowest, 10 - 0.2 - 0.9 + 1e-9) << p;
        if (p < pages) {
            EXPECT_GT(lowest, 10 - 0.2 - 0.9 - 0.2) << p;
        }
        const int rules = std::count_if(paper.lines.begin(), paper.lines.end(), [p](auto& l) { return l.page == p; });
        EXPECT_EQ(rules, 2) << p;
    }
    QStringList expected;
    for (int r = 2; r < grid.rows(); ++r)
        expected << QStringLiteral("B%1").arg(r);
    EXPECT_EQ(rows, expected);
}

TEST_F(ReportTest, ATableThatFillsItsLastPageExactlyPrintsNoPageOfHeadingsAfterIt)
{
    statusGrid(grid, 100);
    PrintReport(paper, grid, "T", 0);
    const int perPage = static_cast<int>(onPage(paper, 1).size()) - 9 - 2;
    RecordingSurface full;
    GridModel exact;
    statusGrid(exact, perPage);
    PrintReport(full, exact, "T", 0);
    EXPECT_EQ(full.pagesStarted, 1);
    EXPECT_EQ(pagesWithText(full), 1);
}

TEST_F(ReportTest, TheNewEntryMarkerAndABlankNamesHeadingStayOffThePaper)
{
    // As the window shows a table without names: a blank names heading, "*" on the new-entry row.
    statusGrid(grid, 3);
    grid.setTextMatrix(1, 0, " ");
    grid.setTextMatrix(2, 0, "*"); // a nickname that happens to be a star is the user's
    grid.setTextMatrix(grid.rows() - 1, 0, "*");
    grid.setTextMatrix(grid.rows() - 1, 1, "");
    PrintReport(paper, grid, "T", 0);
    QStringList printed;
    for (const auto& t : paper.texts)
        printed << t.text;
    EXPECT_EQ(printed.count("*"), 1) << printed.join('|').toStdString();
    EXPECT_EQ(printed.filter(QRegularExpression("^\\s+$")), QStringList());
}

TEST_F(ReportTest, DescriptionsMoveTheStatusTableColumnsOneInchRight)
{
    for (bool descriptions : {false, true}) {
        gViewDescriptions = descriptions;
        RecordingSurface s;
        statusGrid(grid, 1);
        PrintReport(s, grid, "T", 0);
        const auto& address = s.texts[4]; // row 1, column 1
        ASSERT_EQ(address.text, "Address");
        EXPECT_DOUBLE_EQ(address.x, descriptions ? 2.5 : 1.5);
        EXPECT_DOUBLE_EQ(s.texts[5].x, descriptions ? 3.5 : 2.5);
    }
}

TEST_F(ReportTest, ATrendGridPrintsOneNumberedLinePerRow)
{
    grid.setCols(3);
    grid.setRows(12);
    grid.setTextMatrix(0, 0, "#");
    grid.setTextMatrix(0, 1, "(sec)");
    grid.setTextMatrix(0, 2, "Data:");
    grid.setTextMatrix(1, 0, "1");
    grid.setTextMatrix(1, 1, "0.5");
    grid.setTextMatrix(1, 2, "42");
    PrintReport(paper, grid, "B100", 1);
    EXPECT_EQ(paper.texts[0].text, "Trend Data: B100");
    EXPECT_EQ(paper.texts[1].text, "#");
    EXPECT_DOUBLE_EQ(paper.texts[3].x, 2.5);
    QStringList numbers;
    for (const auto& t : paper.texts)
        if (t.x == 0.5 && t.y > 0.75 && t.size == 12)
            numbers << t.text;
    EXPECT_EQ(numbers, QStringList({" 1 ", " 2 ", " 3 ", " 4 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", " 10 ", " 11 "}));
    EXPECT_EQ(paper.texts[5].text, "0.5");
    EXPECT_EQ(paper.texts[6].text, "42");
    EXPECT_EQ(paper.pagesStarted, 1);
}

TEST(ReportOnPaper, EveryPageHasItsRulesInSolidBlack)
{
    GridModel grid;
    statusGrid(grid, 100);
    LineRecordingDevice paper;
    PainterSurface printer(&paper);
    PrintReport(printer, grid, "PUMP", 0);
    printer.endDoc();
    ASSERT_GE(paper.lines.size(), 6u); // a title rule and a footer rule on each of three pages or more
    for (const auto& l : paper.lines) {
        EXPECT_EQ(l.pen.color(), QColor(Qt::black));
        EXPECT_EQ(l.pen.style(), Qt::SolidLine);
        EXPECT_NEAR(l.widthInches(), 1.0 / 96, 1e-9);
    }
}

TEST(ReportToPdf, ALongTableMakesAPdfOfItsPagesAndNoMore)
{
    QTemporaryDir dir;
    const QString pdf = dir.path() + "/table.pdf";
    GridModel grid;
    statusGrid(grid, 150);
    PrinterSurface printer(QString(), pdf);
    PrintReport(printer, grid, "PUMP", 0);
    const int pages = printer.page();
    printer.endDoc();
    ASSERT_FALSE(printer.failed());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    const auto count = QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]"));
    EXPECT_GE(pages, 3);
    EXPECT_EQ(count, pages);
}
TEST(ReportToPdf, AReportThatCannotBeWrittenWholeFailsTheJobAndLeavesTheOldFile)
{
    struct Case {
        const char* what;
        const char* file;
        long sizeLimit; // 0: none
    };
    const Case cases[] = {
        {"a full disk", "table.pdf", 12 * 1024},
        {"a folder that does not exist", "none/table.pdf", 0},
    };
    GridModel grid;
    statusGrid(grid, 150);
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(c.file);
        QFile old(pdf);
        if (old.open(QIODevice::WriteOnly))
            old.write("old");
        old.close();
        PdfPrinting printer(pdf);
        std::optional<ReportError> error;
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            error = RunReportJob(grid, "PUMP", 0, 1);
        }
        ASSERT_TRUE(error.has_value()) << c.what;
        EXPECT_EQ(error->number, 482) << c.what;
        EXPECT_EQ(error->description, "Printer error: " + pdf) << c.what;
        ASSERT_TRUE(!old.exists() || old.open(QIODevice::ReadOnly)) << c.what;
        EXPECT_EQ(old.exists() ? old.readAll() : QByteArray("old"), "old") << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), old.exists() ? 1 : 0) << c.what << ": no cut file beside it";
    }
}
} // namespace
