#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "comm/RSComm.h"
#include "platform/FileDialogs.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gProgramFile.clear();
        install.writeFile("support/RSPort.cfg", "1,9600\r\n");
        install.writeFile("progs/PUMP.cvp", "2\r\n");
        pump = install.path("progs/PUMP.cvp");
    }
    void TearDown() override { gProgramFile.clear(); }

    void start()
    {
        auto port = std::make_unique<SimCommPort>(board);
        sim = port.get();
        main = makeMainWindow(std::move(port));
        main->MDIForm_Load();
    }
    QStringList visibleEntries() const
    {
        QStringList out;
        for (QAction* a : main->mnuFileList)
            if (a->isVisible())
                out << a->text();
        return out;
    }

    TestInstall install;
    ScriptedPrompts prompts;
    std::shared_ptr<SimBoard> board = std::make_shared<SimBoard>();
    SimCommPort* sim = nullptr;
    std::unique_ptr<frmMDIMain> main;
    QString pump;
};

TEST_F(StartupTest, StartsOfflineWithTheRecentListAndTheStatusPoll)
{
    install.writeFile("support/KESTA.dat", (pump + "\r\n/old/GONE.cvp\r\n").toLatin1());
    start();
    // The dialogs start in the installation folder; the browser, shown next, makes the current
    // program's folder the current one.
    EXPECT_EQ(fileDialogs().initialFolder(), install.path());
    EXPECT_EQ(QDir::currentPath(), install.path("progs"));
    EXPECT_EQ(gProgramFile, pump);
    EXPECT_EQ(visibleEntries(), QStringList({"&1 " + pump, "&2 /old/GONE.cvp"}));
    EXPECT_TRUE(main->mnuFileSep4->isVisible());
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());
    EXPECT_EQ(main->tmrBackgroungUpdate->interval(), 500);
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_EQ(sim->openCount, 0) << "no port is opened at start-up";
    EXPECT_EQ(gRSComm->OnlineMode, false);
    EXPECT_TRUE(main->helpFile().endsWith("/Help/Corvanex.hlp"));
}

TEST_F(StartupTest, EmptyOrMissingEntriesShowNothing)
{
    install.writeFile("support/KESTA.dat", "\r\n\r\n\r\n\r\n");
    start();
    EXPECT_TRUE(visibleEntries().isEmpty());
    EXPECT_FALSE(main->mnuFileSep4->isVisible());
    EXPECT_TRUE(gProgramFile.isEmpty());
}

TEST_F(StartupTest, FirstEntryWhoseFileIsGoneIsShownButNotCurrent)
{
    install.writeFile("support/KESTA.dat", "/nowhere/LOST.cvp\r\n");
    start();
    EXPECT_EQ(visibleEntries(), QStringList({"&1 /nowhere/LOST.cvp"}));
    EXPECT_TRUE(gProgramFile.isEmpty());
}

TEST_F(StartupTest, UnreadableListIsReportedAndStartUpGoesOn)
{
    QDir().mkpath(install.path("support/KESTA.dat"));
    prompts.answerOk();
    start();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive()) << "the remaining steps still ran";
    ASSERT_NE(gRSComm, nullptr);
    ASSERT_NE(main->programBrowser(), nullptr);
    EXPECT_TRUE(main->programBrowser()->isVisible());
}

TEST_F(StartupTest, ShutdownClosesTheLinkAndWritesTheListWhole)
{
    install.writeFile("support/KESTA.dat", (pump + "\r\n").toLatin1());
    start();
    main->MDIForm_Unload();
    EXPECT_FALSE(main->unloaded()) << "an unload without the query flag does nothing";

    gRSComm->OnlineMode = true;
    UpdateOnlineStatus();
    ASSERT_TRUE(sim->isOpen());
    board->clearLog();
    main->mnuFileExit_Click();
    EXPECT_EQ(hexBytes(board->received()), "FF") << "a last FFh before the port closes";
    EXPECT_FALSE(sim->isOpen());
    EXPECT_EQ(gRSComm, nullptr);
    EXPECT_EQ(install.readFile("support/KESTA.dat"), (pump + "\r\n\r\n\r\n\r\n").toLatin1());
}

TEST_F(StartupTest, AListThatCannotBeWrittenWholeKeepsTheOldOne)
{
    const QByteArray old = (pump + "\r\n/b/B.cvp\r\n").toLatin1();
    install.writeFile("support/KESTA.dat", old);
    start();
    main->MDIForm_QueryUnload();
    {
        // Files may grow to a few bytes only, so the new list fails half-way through its write.
        FileSizeLimit tiny(8);
        main->MDIForm_Unload();
    }
    EXPECT_EQ(install.readFile("support/KESTA.dat"), old);
    EXPECT_EQ(QDir(install.path("support")).entryList({"*KESTA*"}, QDir::Files), QStringList({"KESTA.dat"}))
        << "no half-written copy is left beside it";
}

TEST_F(StartupTest, MissingListIsCreatedAtShutdown)
{
    start();
    main->MDIForm_QueryUnload();
    main->MDIForm_Unload();
    EXPECT_EQ(install.readFile("support/KESTA.dat"), QByteArray("\r\n\r\n\r\n\r\n"));
}

TEST_F(StartupTest, RecentFileMovesTheProgramToTheHead)
{
    install.writeFile("support/KESTA.dat", "/a/A.cvp\r\n/b/B.cvp\r\n/c/C.cvp\r\n/d/D.cvp\r\n");
    start();
    gProgramFile = "/A/a.CVP";
    main->UpdateRecentFile();
    EXPECT_EQ(main->RecentFiles[0], "/a/A.cvp") << "same as entry 0 but for case: nothing changes";

    gProgramFile = "/c/C.cvp";
    main->UpdateRecentFile();
    EXPECT_EQ(main->RecentFiles, (std::array<QString, 4>{"/c/C.cvp", "/a/A.cvp", "/b/B.cvp", "/c/C.cvp"}));
    EXPECT_EQ(visibleEntries(),
              QStringList({"&1 /c/C.cvp", "&2 /a/A.cvp", "&3 /b/B.cvp", "&4 /c/C.cvp"}));
}

TEST_F(StartupTest, OnlineStatusFollowsTheLink)
{
    start();
    gRSComm->OnlineMode = true;
    UpdateOnlineStatus();
    EXPECT_EQ(main->sbrPanel2->text(), "ONLINE");
    EXPECT_TRUE(main->mnuViewOnline->isChecked());
    EXPECT_FALSE(main->mnuViewOffline->isChecked());

    gRSComm->OnlineMode = false;
    UpdateOnlineStatus();
    EXPECT_FALSE(sim->isOpen());
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_TRUE(main->mnuViewOffline->isChecked());

    // No board: the link's own boxes, then off-line.
    board->setSilentFrom(0);
    prompts.answer(Answer::Cancel);
    gRSComm->OnlineMode = true;
    UpdateOnlineStatus();
    EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    EXPECT_FALSE(gRSComm->OnlineMode);

    // While the error is pending the port is not touched.
    const int opens = sim->openCount;
    gRSComm->OnlineMode = true;
    UpdateOnlineStatus();
    EXPECT_EQ(sim->openCount, opens);
    EXPECT_FALSE(gRSComm->OnlineMode);
}

TEST(Utility, BoardTypeOfAProgramComesFromItsCorvaneFile)
{
    TestInstall install;
    EXPECT_EQ(GetTargetboardType(install.path("P/NONE.HEX")), 68);
    install.writeFile("P/EMPTY.cvp", "");
    EXPECT_EQ(GetTargetboardType(install.path("P/EMPTY.cvp")), 68);
    install.writeFile("P/pump.cvp", "2\r\n");
    EXPECT_EQ(GetTargetboardType(install.path("P/PUMP.HEX")), 50) << "any file of the program, any case";
    install.writeFile("P/LS.CVP", "E\r\n");
    EXPECT_EQ(GetTargetboardType(install.path("P/LS.LTL")), 69);
    install.writeFile("P/BLANK.CVP", "\r\n");
    EXPECT_EQ(GetTargetboardType(install.path("P/BLANK.CVP")), 0) << "an empty first line names no board";
}

TEST(Utility, SmallHelpers)
{
    EXPECT_EQ(PadZeros(7, 3), "007");
    EXPECT_EQ(PadZeros(1234, 3), "1234");
    EXPECT_EQ(PadZeros(0, 2), "00");
    EXPECT_EQ(Dec2Binary(5, 0), "00000101");
    EXPECT_EQ(Dec2Binary(258, 1), "0000000100000010");
    EXPECT_EQ(Dec2Binary(65535, 1), "1111111111111111");
    EXPECT_EQ(Dec2Binary(-1, 0), "00000000");
    EXPECT_EQ(ChangeFileExt("/p/q/PUMP.cvp", "HEX"), "/p/q/PUMP.HEX");
    EXPECT_EQ(ChangeFileExt("/p/q/my.prog.cvp", "REV"), "/p/q/my.prog.REV");
}
TEST(Utility, SelectedFileJoinsTheBrowsersFolderAndFileWithOneSeparator)
{
    QString folder = "/";
    gBrowserFolder = [&] { return folder; };
    gBrowserSelectedFile = [] { return QStringLiteral("PUMP.CVP"); };
    EXPECT_EQ(GetSelectedFile(), "/PUMP.CVP") << "a root folder already ends in its separator";
    folder = "/work/progs";
    EXPECT_EQ(GetSelectedFile(), "/work/progs/PUMP.CVP");
    gBrowserFolder = nullptr;
    gBrowserSelectedFile = nullptr;
}
} // namespace
