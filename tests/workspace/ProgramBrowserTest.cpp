#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/FileListBoxes.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
using BrowserTest = WorkspaceTest;

TEST_F(BrowserTest, TreeShowsTheProgramsCompanionsAndNotANeighbourWhoseNameStartsTheSame)
{
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.LTL", "Main pump\r\n");
    writeProgramFile("pump.lmn", "x");
    writeProgramFile("PUMP.L01", "x");
    writeProgramFile("PUMP.NAM", "x");
    writeProgramFile("PUMP.GBL", "x");
    writeProgramFile("PUMP.X", "x");
    writeProgram("PUMPS", '1');
    writeProgramFile("PUMPS.LTD", "x");
    writeProgramFile("PUMPS.ERR", "x");
    start("PUMP.CVP");

    EXPECT_EQ(treeTexts(), QStringList({"PUMP [K7715]", "MAIN (.LMN)", "TITLE (.LTL)", "Ufunc01 (.L01)"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    EXPECT_EQ(gRSComm->TargetboardType, 50);
    EXPECT_TRUE(browser().trvCVPList->topLevelItem(0)->isExpanded());
    EXPECT_EQ(browser().filFileList->fileName(), "PUMP.CVP");
    EXPECT_EQ(browser().filFileList->listCount(), 2);

    // Clicking the neighbour builds its own tree.
    browser().filFileList->setListIndex(1);
    EXPECT_EQ(treeTexts(), QStringList({"PUMPS [K7713]", "ERROR (.ERR)", "TIMED (.LTD)"}));
    EXPECT_EQ(gProgramFile, programPath("PUMPS.CVP"));
    EXPECT_EQ(gRSComm->TargetboardType, 49);
}

TEST_F(BrowserTest, EveryKindHasItsCaptionAndDigitsMakeAUserFunctionFirst)
{
    writeProgram("ALL", ':');
    for (const char* ext : {"LIN", "LTD", "LCM", "LCF", "ERR", "REV", "HEX", "LDT", "CHL", "PCF", "H12", "DOC", "TBL"})
        writeProgramFile(QStringLiteral("ALL.") + QLatin1String(ext), "x");
    start("ALL.CVP");
    EXPECT_EQ(treeTexts(), QStringList({"ALL [V8317]", "CHANNEL (.CHL)", "CO-CPU (.LCM)", "CONFIG (.LCF)",
                                        "DATA (.LDT)", "ERROR (.ERR)", "HEX (.HEX)", "INIT (.LIN)",
                                        "PLS Config (.PCF)", "REVISION (.REV)", "TIMED (.LTD)", "Ufunc12 (.H12)"}));
}

TEST_F(BrowserTest, MissingCorvaneFileCountsAsBoard68AndDriveOrFolderChangeEmptiesTheTree)
{
    writeProgramFile("EMPTY.CVP", "");
    writeProgramFile("EMPTY.LMN", "x");
    QDir(folder).mkpath("sub");
    start("EMPTY.CVP");
    EXPECT_EQ(treeTexts().first(), "EMPTY [V8390(PLC)]");
    browser().dirDirList->setPath(folder + "/sub");
    EXPECT_TRUE(treeTexts().isEmpty());
    EXPECT_EQ(browser().filFileList->listCount(), 0);
    EXPECT_EQ(QDir::currentPath(), folder + "/sub");
}

TEST_F(BrowserTest, TitleIsEditedAsAWholeLineAndCancelOrEmptyLeavesTheFile)
{
    writeProgram("PUMP", '1');
    writeProgramFile("PUMP.LTL", "Pump, east side\r\n");
    start("PUMP.CVP");

    prompts.answerInput(std::nullopt);
    doubleClickNode("TITLE");
    ASSERT_EQ(prompts.defaults.size(), 1u);
    EXPECT_EQ(prompts.defaults[0], "Pump, east side");
    EXPECT_EQ(prompts.shown.back().title, "PUMP.LTL");
    EXPECT_EQ(prompts.shown.back().text, "Enter Program Title.");
    prompts.answerInput(QString());
    doubleClickNode("TITLE");
    EXPECT_EQ(install.readFile("progs/PUMP.LTL"), "Pump, east side\r\n");

    prompts.answerInput(QStringLiteral("Pump, west, new"));
    doubleClickNode("TITLE");
    EXPECT_EQ(install.readFile("progs/PUMP.LTL"), "Pump, west, new\r\n");
    // The node's double-click moves the program to the head of the recent list.
    EXPECT_EQ(main->RecentFiles[0], programPath("PUMP.CVP"));
}

TEST_F(BrowserTest, TitleIsShownWithoutTheQuotesAroundIt)
{
    writeProgram("PUMP", '1');
    writeProgramFile("PUMP.LTL", "");
    start("PUMP.CVP");
    const std::pair<QByteArray, QString> cases[] = {
        {"\"Pump station main\"\r\n", "Pump station main"},
        {"\"Pump, east side\"\r\n", "Pump, east side"},
        {"  \"Open quote\r\n", "Open quote"},
        {"Pump, \"east\" side\r\n", "Pump, \"east\" side"},
    };
    for (const auto& [line, shown] : cases) {
        writeProgramFile("PUMP.LTL", line);
        prompts.answerInput(std::nullopt);
        doubleClickNode("TITLE");
        EXPECT_EQ(prompts.defaults.back(), shown);
    }
}

TEST_F(BrowserTest, RevisionAndImageBoxesShowIdentChecksumDatesAndSize)
{
    writeProgram("PUMP", '1');
    writeProgramFile("PUMP.REV", "PUMPCTRL1?2:\r\n");
    writeProgramFile("PUMP.HEX", QByteArray(12345, 'x'));
    QFile hex(programPath("PUMP.HEX"));
    ASSERT_TRUE(hex.open(QIODevice::ReadWrite));
    ASSERT_TRUE(hex.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), QFileDevice::FileAccessTime));
    hex.close();
    start("PUMP.CVP");
    prompts.answer(Answer::Ok).answer(Answer::Ok);
    doubleClickNode("REVISION");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "PUMP.REV");
    EXPECT_EQ(prompts.shown[0].text, "Program Ident: \tPUMPCTRL\r\nRevision: \t\t42\r\nChecksum: \t31");
    doubleClickNode("HEX");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "PUMP.HEX");
    EXPECT_TRUE(prompts.shown[1].text.startsWith("Date Created: \t"));
    // The general date format: a four-digit year, and the seconds.
    EXPECT_TRUE(QRegularExpression("\r\nLast Accessed: \t.*2024.*:07:09").match(prompts.shown[1].text).hasMatch())
        << prompts.shown[1].text.toStdString();
    EXPECT_TRUE(prompts.shown[1].text.endsWith("\r\nSize: \t\t12.3 KB")) << prompts.shown[1].text.toStdString();
}

// Uploaded from a blank board, the ident is eight NUL bytes: no glyphs for them.
TEST_F(BrowserTest, AnIdentTheBoardLeftBlankIsShownBlankAndKeptInTheFile)
{
    const QByteArray rev("\0\0\0\0\0\0\0\0" "0102\r\n", 14);
    writeProgram("PUMP", '1');
    writeProgramFile("PUMP.REV", rev);
    start("PUMP.CVP");
    prompts.answerOk();
    doubleClickNode("REVISION");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Program Ident: \t\r\nRevision: \t\t2\r\nChecksum: \t1");
    EXPECT_EQ(install.readFile("progs/PUMP.REV"), rev);
}

TEST_F(BrowserTest, ShortRevisionLineIsReportedAndTheCurrentProgramStaysTheSelection)
{
    writeProgram("PUMP", '1');
    writeProgramFile("PUMP.REV", "1?2\r\n");
    start("PUMP.CVP");
    const QString before = main->RecentFiles[0];
    prompts.answer(Answer::Ok);
    doubleClickNode("REVISION");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "File List");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
    EXPECT_EQ(main->RecentFiles[0], before);
}

TEST_F(BrowserTest, NodesAreToldByKindNotByTextSoAProgramNamedHexDoesNothingOnItsRoot)
{
    writeProgram("HEX", '1');
    writeProgramFile("HEX.LMN", "x");
    writeProgramFile("HEX.L02", "x");
    start("HEX.CVP");
    // Root, section source and user function: no box, no tool; only the recent list moves.
    main->RecentFiles[0].clear();
    doubleClickNode("HEX [");
    doubleClickNode("MAIN");
    doubleClickNode("Ufunc02");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(main->RecentFiles[0], programPath("HEX.CVP"));
}

TEST_F(BrowserTest, ProgramsNamedLikeTheOtherActingNodesDoNothingOnTheirRootEither)
{
    RecordingToolLauncher tools;
    for (const char* name : {"ERR", "LCF", "LTL"})
        writeProgram(QString::fromLatin1(name), '1');
    writeProgramFile("LTL.LTL", "Title\r\n");
    start("ERR.CVP");
    for (int i = 0; i < 3; ++i) {
        browser().filFileList->setListIndex(i);
        doubleClickNode(QStringList({"ERR [", "LCF [", "LTL ["})[i]);
    }
    EXPECT_TRUE(prompts.shown.empty()) << "no error file box, no title box";
    EXPECT_TRUE(tools.started.empty()) << "no configuration tool";
}

TEST_F(BrowserTest, ErrorNodeShowsTheCompileErrorsAndConfigNodeStartsTheConfigurationTool)
{
    RecordingToolLauncher tools;
    writeProgram("PUMP", '6');
    writeProgramFile("PUMP.ERR", "Compile of PUMP\r\nErrors: 1\r\nLine 4: bad\r\n");
    writeProgramFile("PUMP.LCF", "x");
    start("PUMP.CVP");
    doubleClickNode("ERROR");
    frmViewResults* viewer = main->viewResults();
    EXPECT_EQ(viewer->txtViewErrors->toPlainText(), "Compile of PUMP\nErrors: 1\nLine 4: bad\n\n");
    EXPECT_FALSE(viewer->cmdClear->isEnabled());
    EXPECT_EQ(gActiveChild, 2);

    doubleClickNode("CONFIG");
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].program, install.path("rdx3/vantor1.exe"));
    EXPECT_EQ(tools.started[0].arguments, QStringList({folder + "/PUMP=D"}));
}

class FakeDrives : public DriveInfo {
public:
    FakeDrives(QString ready) : m_ready(std::move(ready)) { setDriveInfo(this); }
    ~FakeDrives() override { setDriveInfo(nullptr); }
    QList<DriveEntry> drives() override { return {{m_ready, m_ready}, {"/nomedia", "/nomedia"}}; }
    bool isReady(const QString& root) override { return root == m_ready; }
    QString driveOf(const QString&) override { return m_ready; }

private:
    QString m_ready;
};

TEST_F(BrowserTest, DriveThatIsNotReadyIsRefusedAndTheListGoesBack)
{
    FakeDrives drives(QStringLiteral("/"));
    writeProgram("PUMP", '1');
    start("PUMP.CVP");
    DriveListBox* list = browser().drvDriveList;
    ASSERT_EQ(list->listIndex(), 0);
    list->setListIndex(1);
    prompts.answer(Answer::Ok);
    browser().drvDriveList_Change();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Selected Drive is Not Ready.");
    EXPECT_EQ(prompts.shown[0].title, "Drives");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
    EXPECT_EQ(list->listIndex(), 0);
    EXPECT_EQ(browser().dirDirList->path(), folder);
    EXPECT_FALSE(treeTexts().isEmpty());
}

TEST_F(BrowserTest, FileListDoubleClickStartsTheEditorOnTheSelection)
{
    RecordingToolLauncher tools;
    writeProgram("PUMP", '2');
    start("PUMP.CVP");
    browser().filFileList_DblClick();
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].program, install.path("rdx7/tolvik.exe"));
    EXPECT_EQ(tools.started[0].arguments, QStringList({folder + "/PUMP", "B"}));
    EXPECT_EQ(tools.started[0].workingFolder, install.path("rdx7"));
}
TEST_F(BrowserTest, MonitorButtonIsOffForALimitSwitchSelectionAndOnForAController)
{
    writeProgram("PRESS", 'E');
    writeProgram("PUMP", '2');
    start("PRESS.CVP");
    EXPECT_FALSE(main->Toolbar1Buttons[13]->isEnabled());
    // The buttons that act on the selection work once the browser is there.
    EXPECT_TRUE(main->Toolbar1Buttons[4]->isEnabled());
    EXPECT_TRUE(main->Toolbar1Buttons[6]->isEnabled());
    browser().filFileList->setListIndex(1);
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    EXPECT_TRUE(main->Toolbar1Buttons[13]->isEnabled());
    browser().filFileList->setListIndex(0);
    EXPECT_FALSE(main->Toolbar1Buttons[13]->isEnabled());
}

TEST_F(BrowserTest, ResultsViewerShowsPrintResultsWhileActiveAndOkHidesItWithItsText)
{
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.ERR", "Head\r\nErrors: 0\r\n");
    start("PUMP.CVP");
    EXPECT_FALSE(main->mnuFilePrintResults->isVisible());
    doubleClickNode("ERROR");
    frmViewResults* viewer = main->viewResults();
    EXPECT_TRUE(main->mnuFilePrintResults->isVisible());
    EXPECT_TRUE(main->childVisible(frmMDIMain::ChildView::ViewResults));
    viewer->cmdOk_Click();
    EXPECT_FALSE(main->childVisible(frmMDIMain::ChildView::ViewResults));
    EXPECT_EQ(viewer->txtViewErrors->toPlainText(), "Head\nErrors: 0\n\n");
    // OK hides the viewer as a deactivation does: the entry goes and the browser is active again.
    EXPECT_FALSE(main->mnuFilePrintResults->isVisible());
    EXPECT_EQ(gActiveChild, 0);
    main->mdiArea->setActiveSubWindow(browser().parentWidget() ? qobject_cast<QMdiSubWindow*>(browser().parentWidget()) : nullptr);
    EXPECT_FALSE(main->mnuFilePrintResults->isVisible());
    EXPECT_EQ(gActiveChild, 0);
}
} // namespace
