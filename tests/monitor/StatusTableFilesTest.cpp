#include "WorkspaceFixture.h"
#include "monitor/StatusTableFile.h"
#include "monitor/StatusTableNames.h"
#include "monitor/frmStatusTable.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "platform/PrintSurface.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
TEST(StatusTableFile, ReadsTheBoardCodeThenOneAddressPerItem)
{
    struct Case {
        QByteArray bytes;
        int code;
        QStringList addresses;
    } cases[] = {
        {" 49 \r\nB12\r\n\r\nW100\r\n\r\n", 49, {"B12", "", "W100", ""}},
        {" 0 \r\n", 0, {}},
        {"50", 50, {}},
        {"68\nB1\nX2", 68, {"B1", "X2"}},
        {"49\r\nB1,B2\r\n", 49, {"B1", "B2"}},
        {"abc\r\nB1\r\n", 0, {"B1"}},
        {"99999999999\r\nB1\r\n", 0, {"B1"}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        const StatusTableFileData d = readStatusTableFile(c.bytes);
        EXPECT_EQ(d.boardCode, c.code) << c.bytes.constData();
        EXPECT_EQ(d.addresses, c.addresses) << c.bytes.constData();
        EXPECT_FALSE(d.cut);
    }
}

// ---------------------------------------------------------------- the window's file commands

// The status table of a started main window; its polling loop does not run by itself.
class StatusTableFilesTest : public WorkspaceTest {
protected:
    StatusTableFilesTest() { PollingLoop::setAutoStart(false); }
    ~StatusTableFilesTest() override { PollingLoop::setAutoStart(true); }

    void open(const QString& program = {})
    {
        start(program);
        main->mnuToolsStatusTable_Click();
        table = frmStatusTable::existing();
        ASSERT_NE(table, nullptr);
        grid = table->fgStatus;
    }
    QString tablePath(const QString& name) const { return folder + "/" + name; }
    void writeTable(const QString& name, const QByteArray& bytes) const { writeProgramFile(name, bytes); }
    QByteArray tableBytes(const QString& name) const { return install.readFile("progs/" + name); }
    // Opens a table file through the open dialog (no save prompt expected).
    void openTable(const QString& name)
    {
        dialogs.answers.push_back(tablePath(name));
        table->OpenStatusTable();
    }
    QStringList addresses() const
    {
        QStringList out;
        for (int r = 2; r < grid->rows(); ++r)
            out << grid->textMatrix(r, 1);
        return out;
    }

    frmStatusTable* table = nullptr;
    GridModel* grid = nullptr;
};

TEST_F(StatusTableFilesTest, ANewTableSavesItsBoardAndEveryRowAndOpensAgainAsItWas)
{
    open();
    EXPECT_EQ(grid->rows(), 60);
    grid->setTextMatrix(2, 1, "B12");
    grid->setTextMatrix(5, 1, "1F4H");
    table->cboTargetBoard->setCurrentIndex(2);
    table->cboTargetBoard_Click();
    // Through the main window's status-table menu and the table's buttons.
    dialogs.answers.push_back(tablePath("LINE.tbl"));
    main->mnuStatusTableItem[9]->trigger(); // untitled: Save As
    QByteArray expected = " 50 \r\nB12\r\n\r\n\r\n1F4H\r\n";
    for (int r = 6; r < 60; ++r)
        expected += "\r\n";
    EXPECT_EQ(tableBytes("LINE.tbl"), expected);
    EXPECT_EQ(table->fraStatus->title(), "&Status Table: LINE");

    main->mnuStatusTableItem[7]->trigger(); // saved: no question
    table->cboTargetBoard->setCurrentIndex(0);
    table->cboTargetBoard_Click();
    dialogs.answers.push_back(tablePath("LINE.tbl"));
    table->cmdOpenTable->click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(grid->rows(), 60);
    EXPECT_EQ(grid->textMatrix(59, 0), "*");
    EXPECT_EQ(grid->textMatrix(2, 1), "B12");
    EXPECT_EQ(grid->textMatrix(5, 1), "1F4H");
    EXPECT_EQ(table->TableBoardCode, 50);
    EXPECT_FALSE(table->Untitled);
    // Save writes the same bytes again, without a dialog.
    writeTable("LINE.tbl", "");
    table->cmdSaveTable->click();
    EXPECT_EQ(tableBytes("LINE.tbl"), expected);
}

TEST_F(StatusTableFilesTest, SaveAsWritesATableFileNamedByItsBase)
{
    struct Case {
        QString typed, written, name;
    } cases[] = {
        {"MYTAB", "MYTAB.tbl", "MYTAB"},
        {"MYTAB.tbl", "MYTAB.tbl", "MYTAB"},
        {"MY.TABLE", "MY.TABLE", "MY"},
    };
    open();
    for (const Case& c : cases) {
        QFile::remove(tablePath(c.written));
        table->NewStatusTable();
        dialogs.answers.push_back(tablePath(c.typed));
        ASSERT_TRUE(table->SaveStatusTableAs()) << c.typed.toStdString();
        EXPECT_EQ(tableBytes(c.written).left(5), " 0 \r\n") << c.typed.toStdString();
        EXPECT_EQ(table->TablePath, tablePath(c.written));
        EXPECT_EQ(gStatusTableName, c.name);
        EXPECT_EQ(table->fraStatus->title(), "&Status Table: " + c.name);
    }
    // The next untitled table offers the last one's folder with the pattern.
    table->NewStatusTable();
    dialogs.answers.push_back(std::nullopt);
    table->SaveStatusTableAs();
    EXPECT_EQ(dialogs.requests.back().fileName, tablePath("*.tbl"));
    EXPECT_FALSE(QFileInfo::exists(tablePath("MYTAB")));
}

TEST_F(StatusTableFilesTest, OpenTakesTheBoardByItsListAndKeepsEmptyLinesInPlace)
{
    struct Case {
        QByteArray bytes;
        int boardRow;
        QStringList rows; // data rows, the new-entry row last
    } cases[] = {
        {" 0 \r\nB1\r\n\r\n", 0, {"B1", ""}},
        {" 57 \r\nB1\r\n\r\n", 0, {"B1", ""}}, // a code without a row is "(none)"
        {" 68 \r\nB1\r\n\r\nX3\r\n\r\n\r\n", 14, {"B1", "", "X3", "", ""}},
        {" 49 \r\n", 1, {""}}, // no address line: the new-entry row alone
    };
    open();
    for (const Case& c : cases) {
        writeTable("T.tbl", c.bytes);
        openTable("T.tbl");
        EXPECT_EQ(table->cboTargetBoard->currentIndex(), c.boardRow) << c.bytes.constData();
        EXPECT_EQ(table->TableBoardCode, frmStatusTable::boardCodeOfRow(c.boardRow));
        EXPECT_EQ(addresses(), c.rows) << c.bytes.constData();
        EXPECT_EQ(grid->textMatrix(grid->rows() - 1, 0), "*");
        EXPECT_EQ(table->SaveChangesResult(), 0) << "an opened table is unchanged";
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StatusTableFilesTest, WhatCountsAsAChange)
{
    open();
    writeTable("T.tbl", " 50 \r\nB12\r\nw4\r\n\r\n");
    openTable("T.tbl");
    grid->setTextMatrix(2, 1, "b12");
    grid->setTextMatrix(3, 1, "W4");
    EXPECT_EQ(table->SaveChangesResult(), 0) << "a change of case only";
    grid->setRows(grid->rows() + 3);
    EXPECT_EQ(table->SaveChangesResult(), 0) << "rows added and still empty";
    grid->setTextMatrix(grid->rows() - 1, 1, "B40");
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(table->SaveChangesResult(), 2) << "an address in an added row";
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Save Changes to File?");
    EXPECT_EQ(prompts.shown[0].title, "Status Table");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
}

TEST_F(StatusTableFilesTest, TheSavePromptOfNewAndOpen)
{
    struct Case {
        bool openCommand;
        Answer answer;
        bool saved;   // the changed table was written to its file
        bool goesOn;  // the command went on
    } cases[] = {
        {false, Answer::Yes, true, true},  {false, Answer::No, false, true}, {false, Answer::Cancel, false, false},
        {true, Answer::Yes, true, true},   {true, Answer::No, false, true},  {true, Answer::Cancel, false, false},
    };
    open();
    writeTable("OTHER.tbl", " 0 \r\nX7\r\n\r\n");
    bool leftChanged = false;
    for (const Case& c : cases) {
        writeTable("T.tbl", " 0 \r\nB1\r\n\r\n");
        if (leftChanged)
            prompts.answer(Answer::No);
        openTable("T.tbl");
        leftChanged = !c.goesOn;
        grid->setTextMatrix(2, 1, "B2");
        prompts.answer(c.answer);
        if (c.openCommand && c.goesOn)
            dialogs.answers.push_back(tablePath("OTHER.tbl"));
        c.openCommand ? table->OpenStatusTable() : table->NewStatusTable();
        EXPECT_EQ(tableBytes("T.tbl"), c.saved ? QByteArray(" 0 \r\nB2\r\n\r\n") : QByteArray(" 0 \r\nB1\r\n\r\n"));
        const QString first = c.goesOn ? (c.openCommand ? "X7" : "") : "B2";
        EXPECT_EQ(grid->textMatrix(2, 1), first) << c.openCommand << int(c.answer);
        EXPECT_TRUE(dialogs.answers.empty());
    }
}

TEST_F(StatusTableFilesTest, ClosingWithUnsavedRowsAsksAndCancelKeepsTheTableAndTheProgram)
{
    enum How { CloseBox, CloseProgram, FileExit };
    struct Case {
        How how;
        Answer answer;
        bool closes;
    } cases[] = {
        {CloseBox, Answer::Cancel, false},     {CloseBox, Answer::No, true},       {CloseBox, Answer::Yes, true},
        {CloseProgram, Answer::Cancel, false}, {FileExit, Answer::Cancel, false}, {FileExit, Answer::Yes, true},
    };
    open();
    // An unchanged table closes without a question.
    table->parentWidget()->close();
    EXPECT_FALSE(table->loaded());
    EXPECT_TRUE(prompts.shown.empty());
    int n = 0;
    for (const Case& c : cases) {
        const QString address = "B" + QString::number(++n);
        const QString saved = tablePath("T" + QString::number(n) + ".tbl");
        if (!table->loaded())
            main->mnuToolsStatusTable_Click();
        grid->setTextMatrix(2, 1, address);
        prompts.answer(c.answer);
        if (c.answer == Answer::Yes)
            dialogs.answers.push_back(saved);
        c.how == CloseBox       ? (void)table->parentWidget()->close()
        : c.how == CloseProgram ? (void)main->close()
                                : main->mnuFileExit_Click();
        ASSERT_EQ(prompts.shown.size(), static_cast<size_t>(n)) << n;
        EXPECT_EQ(prompts.shown.back().text, "Save Changes to File?");
        // The table closes, or the program ends; Cancel keeps both.
        EXPECT_EQ(c.how == CloseBox ? !table->loaded() : main->unloaded(), c.closes) << n;
        EXPECT_EQ(QFileInfo::exists(saved), c.answer == Answer::Yes) << n;
        if (!c.closes) {
            EXPECT_EQ(grid->textMatrix(2, 1), address);
        }
    }
}

TEST_F(StatusTableFilesTest, ASaveThatDidNotHappenKeepsTheTable)
{
    open();
    grid->setTextMatrix(2, 1, "B2");
    // Cancel in Save As: still untitled, and New does not go on.
    dialogs.answers.push_back(std::nullopt);
    EXPECT_FALSE(table->SaveStatusTableAs());
    EXPECT_TRUE(table->Untitled);
    prompts.answer(Answer::Yes);
    dialogs.answers.push_back(std::nullopt);
    table->NewStatusTable();
    EXPECT_EQ(grid->textMatrix(2, 1), "B2");
    EXPECT_TRUE(table->Untitled);

    // A file that cannot be written: the box says so, and Open does not go on.
    QDir().mkpath(folder + "/tables");
    writeTable("tables/T.tbl", " 0 \r\nB1\r\n\r\n");
    prompts.answer(Answer::No);
    openTable("tables/T.tbl");
    grid->setTextMatrix(2, 1, "B9");
    // Its folder is moved away and a file stands in its place.
    ASSERT_TRUE(QDir().rename(folder + "/tables", folder + "/moved"));
    writeTable("tables", "not a folder");
    prompts.answer(Answer::Yes).answerOk();
    table->OpenStatusTable();
    ASSERT_EQ(prompts.shown.size(), 4u);
    EXPECT_EQ(prompts.shown[3].title, "SaveStatusTable");
    EXPECT_TRUE(prompts.shown[3].text.startsWith("Error Number = "));
    EXPECT_EQ(grid->textMatrix(2, 1), "B9");
    EXPECT_EQ(tableBytes("moved/T.tbl"), QByteArray(" 0 \r\nB1\r\n\r\n"));
    // Still changed: the next New asks again.
    prompts.answer(Answer::Cancel);
    table->NewStatusTable();
    EXPECT_EQ(prompts.shown.size(), 5u);
}

TEST_F(StatusTableFilesTest, AFileCutAtTheRowLimitOpensUntitled)
{
    QByteArray bytes = " 50 \r\n";
    for (int i = 0; i < kStatusTableAddressLimit + 2; ++i)
        bytes += "B" + QByteArray::number(i % 8000 + 32) + "\r\n";
    writeTable("BIG.tbl", bytes);
    open();
    prompts.answerOk();
    openTable("BIG.tbl");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Maximum Row Limit Reached.");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    EXPECT_TRUE(table->Untitled);
    EXPECT_EQ(grid->rows(), kStatusTableAddressLimit + 2);
    EXPECT_EQ(grid->textMatrix(grid->rows() - 2, 1), QStringLiteral("B%1").arg((kStatusTableAddressLimit - 2) % 8000 + 32));
    // Save asks for a name instead of cutting the file short.
    dialogs.answers.push_back(std::nullopt);
    EXPECT_FALSE(table->SaveStatusTable());
    EXPECT_EQ(tableBytes("BIG.tbl"), bytes);
}

TEST_F(StatusTableFilesTest, AControllerProgramSelectsItsBoardAndOffersItsOfflineData)
{
    writeProgram("PUMP", 50);
    writeProgramFile("PUMP.nam", "&\r\n0012Motor\r\n");
    writeProgramFile("PUMP.doc", "");
    open("PUMP.cvp");
    dialogs.answers.push_back(programPath("PUMP.cvp"));
    table->SelectStatusTableProgram();
    EXPECT_EQ(dialogs.requests.back().filter, "Corvane Files(*.cvp)|*.cvp|");
    EXPECT_EQ(table->cboTargetBoard->currentIndex(), 2);
    EXPECT_EQ(table->TableBoardCode, 50);
    EXPECT_EQ(table->ProgramBoardCode, 50);
    EXPECT_EQ(table->fraProgram->title(), "Program: PUMP");
    // The Corvane file as it is named on disk, so that the main window's search finds it.
    EXPECT_EQ(table->gCvpFile, programPath("PUMP.CVP"));
    EXPECT_EQ(QFileInfo(table->NamPath).fileName(), "PUMP.nam");
    EXPECT_TRUE(table->chkViewOffline->isEnabled());
    EXPECT_EQ(main->procs.statusTableCvpFile(), table->gCvpFile);
    // Its names are loaded: an opened table shows them while View NicNames is on.
    ASSERT_TRUE(table->chkViewNicNames->isEnabled());
    table->chkViewNicNames->click();
    writeTable("T.tbl", " 50 \r\nB11\r\nB12\r\n\r\n");
    openTable("T.tbl");
    EXPECT_EQ(grid->textMatrix(3, 0), "Motor");
    EXPECT_EQ(grid->textMatrix(2, 0), "");
}

TEST_F(StatusTableFilesTest, AProgramThatCannotBeAttachedLeavesTheTableDetached)
{
    struct Case {
        QByteArray cvp; // empty: no Corvane file
        QString text;
        QString title;
    } cases[] = {
        {"7", "Unable to View NicNames or Data for Target Board K7747.", "Target Board Error"},
        {">", "Unable to View NicNames or Data for Target Board V8325(PLS).", "Target Board Error"},
        {"?", "Unable to View NicNames or Data for Target Board V8342.", "Target Board Error"},
        {"@", "Unable to View NicNames or Data for Target Board V8343.", "Target Board Error"},
        {"C", "Unable to View NicNames or Data for Target Board V8326(PLS).", "Target Board Error"},
        {"E", "Unable to View NicNames or Data for Target Board V8390(PLS).", "Target Board Error"},
        {"9", "Inappropriate or Unrecognized Target Board Type.", "Target Board Error"},
        {"", "Unable to Determine Target Board,\r\nFile Does Not Exist.", "File Error"},
        {"\r\n", "Unable to Determine Target Board.", "File Error"},
    };
    writeProgram("GOOD", 49);
    writeProgramFile("GOOD.nam", "&\r\n001x\r\n");
    writeProgramFile("GOOD.doc", "");
    open();
    for (const Case& c : cases) {
        // Attached to a good program first, with its board chosen.
        dialogs.answers.push_back(programPath("GOOD.cvp"));
        table->SelectStatusTableProgram();
        ASSERT_EQ(table->cboTargetBoard->currentIndex(), 1);
        ASSERT_FALSE(gMemNames.isEmpty());
        QFile::remove(programPath("BAD.cvp"));
        if (!c.cvp.isEmpty())
            writeProgramFile("BAD.cvp", c.cvp == "\r\n" ? QByteArray() : c.cvp);
        dialogs.answers.push_back(programPath("BAD.cvp"));
        prompts.answerOk();
        table->SelectStatusTableProgram();
        ASSERT_FALSE(prompts.shown.empty());
        EXPECT_EQ(prompts.shown.back().text, c.text);
        EXPECT_EQ(prompts.shown.back().title, c.title);
        EXPECT_TRUE(table->gCvpFile.isEmpty()) << c.text.toStdString();
        EXPECT_TRUE(gMemNames.isEmpty());
        EXPECT_EQ(table->fraProgram->title(), "Program:");
        for (QCheckBox* box : {table->chkViewNicNames, table->chkViewDescriptions, table->chkViewOffline}) {
            EXPECT_FALSE(box->isChecked());
            EXPECT_FALSE(box->isEnabled());
        }
        if (c.title == "Target Board Error") {
            EXPECT_EQ(table->cboTargetBoard->currentIndex(), 0);
        }
    }
}

TEST_F(StatusTableFilesTest, AttachingAnotherProgramTakesTheOldProgramsOfflineValuesOffTheGrid)
{
    for (const char* name : {"PUMP", "OTHER"}) {
        writeProgram(name, 50);
        writeProgramFile(QString(name) + ".nam", "");
        writeProgramFile(QString(name) + ".doc", "");
    }
    writeProgramFile("PUMP.ldt", "0:?1\r\n");
    open();
    grid->setTextMatrix(2, 1, "B1");
    dialogs.answers.push_back(programPath("PUMP.cvp"));
    table->SelectStatusTableProgram();
    table->chkViewOffline->click();
    table->TableChanged = false; // the new table's change notice, taken
    table->liveLoop()->runOnce();
    ASSERT_EQ(grid->textMatrix(2, 2), "241");
    dialogs.answers.push_back(programPath("OTHER.cvp"));
    table->SelectStatusTableProgram();
    EXPECT_EQ(table->fraProgram->title(), "Program: OTHER");
    for (int col = 2; col <= 5; ++col)
        EXPECT_EQ(grid->textMatrix(2, col), "") << "column " << col;
}

TEST_F(StatusTableFilesTest, PrintSendsTheTableWithItsCopiesAndCancelPrintsNothing)
{
    RecordingPrinting printer;
    printer.copiesChosen = 2;
    open();
    writeTable("LINE.tbl", " 0 \r\nB1\r\n\r\n");
    openTable("LINE.tbl");
    main->mnuFilePrintStatusTable->trigger();
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].copies, 2);
    EXPECT_TRUE(printer.jobs[0].ended);
    EXPECT_EQ(printer.jobs[0].texts[0].text, "Status Table: LINE");
    printer.copiesChosen = std::nullopt;
    table->PrintStatusTable();
    EXPECT_EQ(printer.jobs.size(), 1u);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StatusTableFilesTest, APrinterErrorEndsTheJobAndIsShownTitledPrint)
{
    // A PDF file in a folder that does not exist.
    PdfPrinting printer("/nonexistent-folder/x/table.pdf");
    open();
    main->tmrBackgroungUpdate->start();
    prompts.answerOk();
    table->PrintStatusTable();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Print");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 482\r\n\r\n"));
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());
}
} // namespace
