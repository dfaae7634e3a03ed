#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class ToolsTest : public WorkspaceTest {
protected:
    // Starts `action` on program `base` (written for board `code`) without the open dialog.
    ToolStart spawn(const QString& base, int code, int action)
    {
        writeProgram(base, code);
        gProgramFile = programPath(base + ".CVP");
        const std::size_t before = tools.started.size();
        bool canceled = false;
        main->SpawnRequest(action, true, false, canceled);
        EXPECT_FALSE(canceled);
        EXPECT_EQ(tools.started.size(), before + 1) << "action " << action << " code " << code;
        return tools.started.size() > before ? tools.started.back() : ToolStart{};
    }
    void SetUp() override
    {
        for (const char* tool : {"rdx3", "rdx7", "qlx3"})
            QDir(install.path()).mkpath(QLatin1String(tool));
    }
    RecordingToolLauncher tools;
};

TEST_F(ToolsTest, EachActionOfFamilyBStartsItsToolFromTheToolFolderWithItsCommandLine)
{
    start();
    const QString stem = folder + "/TEST";
    const QString tool = install.path("rdx7");
    struct Case {
        int action;
        const char* exe;
        QStringList args;
    } cases[] = {
        {0, "tolvik.exe", {stem, "T"}}, {1, "brisel.exe", {stem}},    {2, "vantor.exe", {stem + "=G"}},
        {3, "mezzal.exe", {stem, "T"}}, {4, "quorin.exe", {stem}},
    };
    for (const Case& c : cases) {
        const ToolStart s = spawn("TEST", 68, c.action);
        EXPECT_EQ(s.program, tool + "/" + c.exe);
        EXPECT_EQ(s.arguments, c.args) << c.action;
        EXPECT_EQ(s.workingFolder, tool);
        EXPECT_EQ(s.style, WindowStyle::MaximizedFocus);
        EXPECT_EQ(QDir::currentPath(), tool);
    }
    // The editor moves the program to the head of the recent list.
    EXPECT_EQ(main->RecentFiles[0], programPath("TEST.CVP"));
}

TEST_F(ToolsTest, FamilyAToolsCarryTheSuffixAndTheBoardLetterAndConfigurationIndex)
{
    start();
    const QString stem = folder + "/MIX";
    ToolStart s = spawn("MIX", '3', 3);
    EXPECT_EQ(s.program, install.path("rdx3") + "/mezzal1.exe");
    EXPECT_EQ(s.arguments, QStringList({stem, "C"}));
    s = spawn("MIX", '3', 2);
    EXPECT_EQ(s.program, install.path("rdx3") + "/vantor1.exe");
    EXPECT_EQ(s.arguments, QStringList({stem + "=?"}));
    s = spawn("MIX", '=', 0);
    EXPECT_EQ(s.program, install.path("rdx3") + "/tolvik1.exe");
    EXPECT_EQ(s.arguments, QStringList({stem, "M"}));
}

TEST_F(ToolsTest, LimitSwitchProgramGoesOfflineAndGetsItsOwnToolWhateverTheAction)
{
    start();
    for (int action : {0, 3, 4, 6}) {
        gRSComm->OnlineMode = true;
        const ToolStart s = spawn("PLS", 'E', action);
        EXPECT_EQ(s.program, install.path("qlx3") + "/orlund9.exe");
        EXPECT_EQ(s.arguments, QStringList({folder + "/PLS"}));
        EXPECT_EQ(s.workingFolder, install.path("qlx3"));
        EXPECT_FALSE(gRSComm->OnlineMode);
        EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    }
    EXPECT_EQ(spawn("BRAKE", '7', 1).program, install.path("qlx3") + "/orlund.exe");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ToolsTest, AToolFileIsFoundWhateverTheCaseOfItsName)
{
    install.writeFile("rdx7/TOLVIK.EXE", "tool");
    install.writeFile("qlx3/Orlund9.Exe", "tool");
    start();
    EXPECT_EQ(spawn("TEST", 68, 0).program, install.path("rdx7") + "/TOLVIK.EXE");
    EXPECT_EQ(spawn("PLS", 'E', 3).program, install.path("qlx3") + "/Orlund9.Exe");
    // A tool that is not there keeps its own name, for the error box.
    EXPECT_EQ(spawn("TEST", 68, 4).program, install.path("rdx7") + "/quorin.exe");
}

TEST_F(ToolsTest, SystemConfigurationOnAnotherProgramLeavesTheBrowserOnItsSelection)
{
    writeProgram("PUMP", '2');
    start("PUMP.CVP");
    install.writeFile("other/MIX.CVP", "3\r\n");
    dialogs.answers.push_back(install.path("other/MIX.CVP"));
    main->mnuEditSysConfig_Click();
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].program, install.path("rdx3") + "/vantor1.exe");
    EXPECT_EQ(tools.started[0].arguments, QStringList({install.path("other/MIX") + "=?"}));
    // The browser selects what it had selected before, and that is the current program again.
    EXPECT_EQ(browser().folderPath(), folder);
    EXPECT_EQ(browser().selectedFileName(), "PUMP.CVP");
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    EXPECT_TRUE(treeTexts().first().startsWith("PUMP [")) << treeTexts().first().toStdString();
}

TEST_F(ToolsTest, UnsupportedBoardOrActionStartsNothing)
{
    start();
    writeProgram("ODD", 'Z');
    gProgramFile = programPath("ODD.CVP");
    prompts.answer(Answer::Ok);
    bool canceled = false;
    main->SpawnRequest(0, true, false, canceled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "The selected target board is either\rnot recognized or not supported by Corvane.");
    EXPECT_EQ(prompts.shown[0].title, "Spawn Request Error");
    writeProgram("GOOD", '2');
    gProgramFile = programPath("GOOD.CVP");
    main->SpawnRequest(5, true, false, canceled);
    EXPECT_TRUE(tools.started.empty());
    EXPECT_FALSE(canceled);
    // No program chosen: canceled.
    gProgramFile.clear();
    dialogs.answers.push_back(std::nullopt);
    main->SpawnRequest(0, true, false, canceled);
    EXPECT_TRUE(canceled);
}

TEST_F(ToolsTest, RecentEntryStartsTheEditorOnItsProgramOrThroughTheOpenDialogWhenItIsGone)
{
    writeProgram("PUMP", '2');
    writeProgram("VALVE", '2');
    install.writeFile("support/KESTA.dat",
                      (programPath("VALVE.CVP") + "\r\n" + folder + "/GONE.CVP\r\n" + programPath("PUMP.CVP") + "\r\n")
                          .toLatin1());
    start();
    main->mnuFileList[2]->trigger();
    EXPECT_TRUE(dialogs.requests.empty()) << "an entry whose file exists needs no open dialog";
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].arguments, QStringList({folder + "/PUMP", "B"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    EXPECT_EQ(browser().selectedFileName(), "PUMP.CVP");
    EXPECT_EQ(main->RecentFiles[0], programPath("PUMP.CVP")) << "the editor moves it to the head";

    // The missing entry: the open dialog, no message, and the entry stays.
    dialogs.answers.push_back(programPath("VALVE.CVP"));
    main->mnuFileList[2]->trigger();
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(prompts.shown.empty());
    ASSERT_EQ(tools.started.size(), 2u);
    EXPECT_EQ(tools.started[1].arguments, QStringList({folder + "/VALVE", "B"}));
    EXPECT_EQ(gProgramFile, programPath("VALVE.CVP"));
    EXPECT_EQ(browser().selectedFileName(), "VALVE.CVP");
    EXPECT_EQ(main->RecentFiles[1], programPath("PUMP.CVP"));
    EXPECT_EQ(main->RecentFiles[3], folder + "/GONE.CVP");
}

TEST_F(ToolsTest, HelpTopicsOpensTheHelpFileInTheDesktopViewerOrSaysItIsMissing)
{
    start();
    prompts.answer(Answer::Ok);
    main->mnuHelpTopics_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Help Topics");
    EXPECT_EQ(prompts.shown[0].text, "Help file not found:\r" + main->helpFile());
    EXPECT_TRUE(tools.opened.empty());

    install.writeFile("Help/Corvanex.hlp", "help");
    main->mnuHelpTopics_Click();
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(tools.opened, std::vector<QString>({main->helpFile()}));
    EXPECT_TRUE(tools.started.empty());
}

TEST_F(ToolsTest, MissingToolFileIsReportedAsASpawnError)
{
    setToolLauncher(nullptr);
    start();
    writeProgram("PUMP", '2');
    gProgramFile = programPath("PUMP.CVP");
    prompts.answer(Answer::Ok);
    bool canceled = false;
    main->SpawnRequest(4, true, false, canceled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Spawn Request");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 53\r\n\r\n"));
    EXPECT_TRUE(prompts.shown[0].text.contains("quorin.exe"));
}

TEST_F(ToolsTest, AnUnreadableCorvaneFileStartsNoToolAndSaysSo)
{
    if (!makeUnreadable(install, "progs/LOCKED.CVP")) // its line names a family-A board
        GTEST_SKIP() << "no unreadable file available";
    start();
    gProgramFile = programPath("LOCKED.CVP");
    prompts.answer(Answer::Ok);
    bool canceled = false;
    main->SpawnRequest(0, true, false, canceled);
    EXPECT_TRUE(tools.started.empty());
    EXPECT_TRUE(canceled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Spawn Request");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = ")) << prompts.shown[0].text.toStdString();
}

TEST_F(ToolsTest, ShortSearchVariableOrCancelStartsNothingAndLastVariableIsTheDefault)
{
    start();
    writeProgram("PUMP", '2');
    gProgramFile = programPath("PUMP.CVP");
    prompts.answerInput(QStringLiteral("b")).answerInput(std::nullopt);
    main->RunGlobalSearch(true, false);
    main->RunGlobalSearch(true, false);
    EXPECT_TRUE(tools.started.empty());
    ASSERT_EQ(prompts.defaults.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "Global Search - [PUMP]");
    EXPECT_EQ(prompts.shown[0].text, "Please enter search variable.");
    EXPECT_EQ(prompts.defaults[1], "b");
    // From the status table's row, no box.
    main->procs.statusTableCurrentAddress = [] { return QStringLiteral("w12"); };
    bool canceled = false;
    main->SpawnRequest(6, true, true, canceled);
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].arguments, QStringList({folder + "/PUMP", "W0012"}));
    EXPECT_EQ(tools.started[0].style, WindowStyle::NormalFocus);
    EXPECT_EQ(main->LastSearchVariable, "W0012");
}

TEST(ProgramStem, FolderAndBaseNameWithOneSeparatorAlsoInTheRoot)
{
    EXPECT_EQ(programStem("/PUMP.CVP"), "/PUMP");
    EXPECT_EQ(programStem("/media/usb/PUMP.cvp"), "/media/usb/PUMP");
    EXPECT_EQ(programStem("/progs/MY.PUMP.CVP"), "/progs/MY.PUMP");
}

TEST(FormatSearchVariable, NormalisesEachPrefixToTheToolsForm)
{
    struct Case {
        const char* in;
        int family;
        const char* out;
    } cases[] = {
        {"f7", 0, "F007"},    {"b12.3", 0, "B012.3"}, {"w12", 1, "W0012"}, {"p5", 0, "F205"},
        {"X1234", 0, "X234"}, {"D100", 0, "D100"},    {"y10", 1, "Y010"},  {"i1", 0, "I001"},
        {"B7", 2, "B7"},      {"p123.4", 1, "F223"},  {"b8175", 0, "B175"}, {"F12.7", 1, "F012.7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frmMDIMain::FormatSearchVariable(QString::fromLatin1(c.in), c.family), QString::fromLatin1(c.out))
            << c.in;
}

// ---------------------------------------------------------------- search flow with a stand-in tool

class SearchFlowTest : public WorkspaceTest {
protected:
    // Ten-fold shorter waits: the search gives up after ten seconds.
    SearchFlowTest() : WorkspaceTest(10) {}

    // A stand-in search tool: records its folder and arguments, and writes the result file in
    // pieces unless told to write nothing. The pieces come a little faster than the flow looks at
    // the file, and take longer in all than one look, so a file read while growing is caught.
    void installSearchTool(bool writesResult)
    {
        QString script = QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$PWD/record.txt\"\n");
        if (writesResult)
            script += QStringLiteral(
                "printf 'Search of %s\\r\\n' \"$2\" > \"$1.gbl\"\nsleep 0.1\n"
                "printf 'Found:\\r\\n' >> \"$1.gbl\"\nsleep 0.1\n"
                "printf 'MAIN line 12 ' >> \"$1.gbl\"\nsleep 0.1\n"
                "printf '%s\\r\\n' \"$2\" >> \"$1.gbl\"\n");
        const QString path = install.path("rdx7/daffel.exe");
        install.writeFile("rdx7/daffel.exe", script.toLatin1());
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    }
    QStringList record() const { return QString::fromLatin1(install.readFile("rdx7/record.txt")).split('\n', Qt::SkipEmptyParts); }
};

TEST_F(SearchFlowTest, ResultOfTheStandInToolIsShownAndTwoSearchesShowNewestFirst)
{
    installSearchTool(true);
    writeProgram("PUMP", '2');
    start("PUMP.CVP");
    EXPECT_FALSE(main->mnuViewSearchResults->isVisible());
    EXPECT_FALSE(main->Toolbar1Buttons[7]->isEnabled());
    prompts.answerInput(QStringLiteral("b12")).answerInput(QStringLiteral("x3"));
    main->RunGlobalSearch(true, false);
    EXPECT_TRUE(main->mnuViewSearchResults->isVisible());
    EXPECT_TRUE(main->Toolbar1Buttons[7]->isEnabled());
    EXPECT_EQ(record(), QStringList({install.path("rdx7"), folder + "/PUMP", "B0012"}));
    EXPECT_EQ(gResultsText, "-[PUMP]-\r\nSearch of B0012\r\nFound:\r\nMAIN line 12 B0012\r\n\r\n");
    main->RunGlobalSearch(true, false);
    EXPECT_EQ(gResultsText, "-[PUMP]-\r\nSearch of X003\r\nFound:\r\nMAIN line 12 X003\r\n\r\n"
                            "-[PUMP]-\r\nMAIN line 12 B0012\r\n\r\n");
    frmViewResults* viewer = main->viewResults();
    EXPECT_TRUE(viewer->parentWidget()->isVisible());
    EXPECT_TRUE(viewer->cmdClear->isEnabled());
    EXPECT_TRUE(viewer->txtViewErrors->toPlainText().startsWith("-[PUMP]-\nSearch of X003\n"));

    // Clear empties the viewer and the results of the run.
    prompts.answer(Answer::Yes);
    viewer->cmdClear_Click();
    EXPECT_EQ(prompts.shown.back().text, "Do you wish to clear the contents of this page?");
    EXPECT_EQ(prompts.shown.back().title, "Clear Results");
    EXPECT_TRUE(gSearchResults.isEmpty());
    EXPECT_TRUE(gResultsText.isEmpty());
    EXPECT_TRUE(viewer->txtViewErrors->toPlainText().isEmpty());
    EXPECT_TRUE(prompts.shown.size() == 3u);
}

TEST_F(SearchFlowTest, StaleResultIsDeletedFirstAndASilentToolEndsInFileNotFound)
{
    installSearchTool(false);
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.GBL", "Old\r\nOld\r\nstale line\r\n");
    start("PUMP.CVP");
    scaleTimeouts(1, 100);
    prompts.answerInput(QStringLiteral("F10")).answer(Answer::Ok);
    QElapsedTimer timer;
    timer.start();
    main->RunGlobalSearch(true, false);
    EXPECT_GE(timer.elapsed(), 900);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, "File Not Found " + folder + "/PUMP.gbl");
    EXPECT_EQ(prompts.shown[1].title, "Pimlow");
    EXPECT_FALSE(QFile::exists(programPath("PUMP.GBL")));
    EXPECT_TRUE(gResultsText.isEmpty());
    EXPECT_EQ(record().value(2), "F010");
}

TEST_F(SearchFlowTest, AnOldResultThatCannotBeDeletedStartsNoSearch)
{
    installSearchTool(true);
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.GBL", "Old\r\nOld\r\nstale line\r\n");
    UndeletableFile kept(programPath("PUMP.GBL"));
    if (!kept.undeletable())
        GTEST_SKIP() << "no way to keep a file from being deleted";
    start("PUMP.CVP");
    prompts.answerInput(QStringLiteral("F10")).answer(Answer::Ok);
    main->RunGlobalSearch(true, false);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "Spawn Request");
    EXPECT_TRUE(prompts.shown[1].text.contains("PUMP.gbl")) << prompts.shown[1].text.toStdString();
    EXPECT_TRUE(record().isEmpty()) << "the tool was started";
    EXPECT_TRUE(gResultsText.isEmpty()) << "the old result was shown as the new one";
}

TEST_F(SearchFlowTest, ResultFileWithOneLineIsReportedByTheViewer)
{
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.GBL", "only one line\r\n");
    writeProgramFile("PUMP.ERR", "");
    start("PUMP.CVP");
    prompts.answer(Answer::Ok);
    main->viewResults()->DisplayResults(1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "DisplayResults");
    EXPECT_TRUE(gSearchResults.isEmpty());
    // Compile errors of a program without an ERR file.
    writeProgram("VALVE", '2');
    dialogs.answers.push_back(programPath("VALVE.CVP"));
    prompts.answer(Answer::Ok);
    main->mnuViewCompileErrors_Click();
    EXPECT_EQ(prompts.shown.back().text, "Error File Does Not Exist");
    EXPECT_EQ(prompts.shown.back().title, "View Errors");
}

TEST_F(SearchFlowTest, ResultFileStillEmptyIsReadAgainAfterAWait)
{
    writeProgram("PUMP", '2');
    writeProgramFile("PUMP.ERR", "");
    start("PUMP.CVP");
    QTimer::singleShot(30, [this] { writeProgramFile("PUMP.ERR", "Compile\r\nErrors: 0\r\n"); });
    main->viewResults()->DisplayResults(0);
    EXPECT_EQ(main->viewResults()->txtViewErrors->toPlainText(), "Compile\nErrors: 0\n\n");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SearchFlowTest, OnlineMonitorGoesOfflineFirst)
{
    RecordingToolLauncher tools;
    writeProgram("PUMP", '1');
    start("PUMP.CVP");
    gRSComm->OnlineMode = true;
    main->StartOnlineMonitor(true);
    EXPECT_FALSE(gRSComm->OnlineMode);
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].program, install.path("rdx3") + "/brisel1.exe");
}
} // namespace
