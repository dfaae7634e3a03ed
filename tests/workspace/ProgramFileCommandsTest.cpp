#include "WorkspaceFixture.h"
#include "platform/FileListBoxes.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
class FileCommandsTest : public WorkspaceTest {
protected:
    void SetUp() override
    {
        writeProgram("PUMP", '1');
        writeProgramFile("PUMP.LMN", "main");
        writeProgramFile("pump.hex", "hex");
        writeProgramFile("PUMP.X", "x");
        writeProgram("PUMPS", '1');
        writeProgramFile("PUMPS.LMN", "other");
        writeProgram("VALVE", '2');
    }
};

TEST_F(FileCommandsTest, DeleteRemovesEveryFileOfTheSetAfterAskingAndKeepsTheNeighbour)
{
    start("PUMP.CVP");
    prompts.answer(Answer::Yes);
    main->DeleteProgramFiles(true);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Are you sure you want to delete Corvane Program 'PUMP'?");
    EXPECT_EQ(prompts.shown[0].title, "Confrim File Delete");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMPS.CVP", "PUMPS.LMN", "VALVE.CVP"}));
    // The entry at the same place is now selected and current.
    EXPECT_EQ(gProgramFile, programPath("PUMPS.CVP"));
    EXPECT_EQ(treeTexts().first(), "PUMPS [K7713]");
}

TEST_F(FileCommandsTest, DeleteLeavesAReadOnlyFileOfTheSetAndSaysSo)
{
    start("PUMP.CVP");
    QFile locked(programPath("PUMP.LMN"));
    ASSERT_TRUE(locked.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    prompts.answer(Answer::Yes).answer(Answer::Ok);
    main->DeleteProgramFiles(true);
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.LMN", "PUMPS.CVP", "PUMPS.LMN", "VALVE.CVP"}));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "File Delete");
    EXPECT_TRUE(prompts.shown[1].text.contains("PUMP.LMN"));
    locked.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(FileCommandsTest, DeleteAnsweredNoKeepsFilesAndTheFormerCurrentProgram)
{
    start("PUMP.CVP");
    gProgramFile = programPath("VALVE.CVP");
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::No);
    main->mnuFileDelete_Click();
    EXPECT_EQ(programFolderFiles().size(), 7);
    EXPECT_EQ(gProgramFile, programPath("VALVE.CVP"));
}

TEST_F(FileCommandsTest, DeletingTheLastEntrySelectsTheOneBeforeAndTheOnlyOneLeavesTheFolder)
{
    start("VALVE.CVP");
    prompts.answer(Answer::Yes).answer(Answer::Yes).answer(Answer::Yes);
    main->DeleteProgramFiles(true);
    EXPECT_EQ(gProgramFile, programPath("PUMPS.CVP"));
    main->DeleteProgramFiles(true);
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    main->DeleteProgramFiles(true);
    EXPECT_TRUE(programFolderFiles().isEmpty());
    EXPECT_EQ(browser().filFileList->listCount(), 0);
    EXPECT_EQ(gProgramFile, folder + "/");
}

TEST_F(FileCommandsTest, OpenDialogCancelEndsSilentlyAndBypassNeedsAnExistingProgram)
{
    start("PUMP.CVP");
    dialogs.answers.push_back(std::nullopt);
    main->mnuFileDelete_Click();
    dialogs.answers.push_back(std::nullopt);
    main->mnuFileRename_Click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(programFolderFiles().size(), 7);
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[0].filter, "Corvane Files(*.cvp)|*.cvp|");
    EXPECT_EQ(dialogs.requests[0].filterIndex, 1);
    EXPECT_TRUE(dialogs.requests[0].fileMustExist);
    EXPECT_EQ(dialogs.requests[0].fileName, programPath("PUMP.CVP"));
    EXPECT_EQ(dialogs.requests[0].initialFolder, folder);

    // A current program that names no Corvane file is no program: the dialog is shown instead.
    gProgramFile = folder + "/";
    dialogs.answers.push_back(std::nullopt);
    EXPECT_FALSE(main->SelectProgramFile(true));
    EXPECT_EQ(dialogs.requests.size(), 3u);
    gProgramFile = programPath("PUMP.LMN");
    dialogs.answers.push_back(programPath("VALVE.CVP"));
    EXPECT_TRUE(main->SelectProgramFile(true));
    EXPECT_EQ(gProgramFile, programPath("VALVE.CVP"));
}

TEST_F(FileCommandsTest, RenameMovesEveryFileOfTheSetKeepingExtensionsAndContents)
{
    start("PUMP.CVP");
    prompts.answerInput(QStringLiteral("TANK"));
    main->RenameProgramFiles(true);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Please enter new program name.");
    EXPECT_EQ(prompts.shown[0].title, "Rename");
    EXPECT_EQ(programFolderFiles(),
              QStringList({"PUMPS.CVP", "PUMPS.LMN", "TANK.CVP", "TANK.LMN", "TANK.X", "TANK.hex", "VALVE.CVP"}));
    EXPECT_EQ(install.readFile("progs/TANK.hex"), "hex");
    EXPECT_EQ(gProgramFile, programPath("TANK.CVP"));
    EXPECT_EQ(browser().filFileList->fileName(), "TANK.CVP");
    EXPECT_EQ(treeTexts().first(), "TANK [K7713]");
}

TEST_F(FileCommandsTest, RenameRefusesAnyFileOfTheTargetNameWithoutRegardToCase)
{
    writeProgramFile("tank.lmn", "orphan");
    start("PUMP.CVP");
    for (const char* target : {"VALVE", "valve", "Tank", "PUMPS"}) {
        prompts.answerInput(QString::fromLatin1(target)).answer(Answer::Ok);
        main->RenameProgramFiles(true);
        EXPECT_EQ(prompts.shown.back().text, "Can not rename to existing file.   ") << target;
        EXPECT_EQ(prompts.shown.back().title, "File Rename");
    }
    // The program's folder is looked at, not the process's current one.
    QDir().mkpath(install.path("elsewhere"));
    QDir::setCurrent(install.path("elsewhere"));
    prompts.answerInput(QStringLiteral("Tank")).answer(Answer::Ok);
    main->RenameProgramFiles(true);
    EXPECT_EQ(prompts.shown.back().text, "Can not rename to existing file.   ");
    EXPECT_EQ(programFolderFiles().size(), 8);
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(FileCommandsTest, RenameRefusesANameThatIsNoProgramName)
{
    start("PUMP.CVP");
    const QStringList before = programFolderFiles();
    for (const char* typed : {"sub/TANK", "sub\\TANK", "C:TANK", "T*NK", "T?NK", ".TANK", ".TANK.cvp", "."}) {
        prompts.answerInput(QString::fromLatin1(typed)).answer(Answer::Ok);
        main->RenameProgramFiles(true);
        EXPECT_EQ(prompts.shown.back().text, QStringLiteral("'%1' is not a valid program name.").arg(typed));
        EXPECT_EQ(prompts.shown.back().title, "File Rename");
    }
    EXPECT_EQ(programFolderFiles(), before);
    EXPECT_FALSE(QDir(folder + "/sub").exists());
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(FileCommandsTest, RenameThatOnlyChangesCaseWorks)
{
    start("PUMP.CVP");
    prompts.answerInput(QStringLiteral("Pump"));
    main->RenameProgramFiles(true);
    EXPECT_EQ(programFolderFiles(),
              QStringList({"PUMPS.CVP", "PUMPS.LMN", "Pump.CVP", "Pump.LMN", "Pump.X", "Pump.hex", "VALVE.CVP"}));
    EXPECT_EQ(gProgramFile, programPath("Pump.CVP"));
}

TEST_F(FileCommandsTest, LongNameIsAnnouncedAndTheWholeSetGetsOneFreeShortBase)
{
    writeProgramFile("CONVEY~1.LMN", "taken");
    start("PUMP.CVP");
    prompts.answerInput(QStringLiteral("Conveyor Line 2")).answer(Answer::Ok);
    main->RenameProgramFiles(true);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, "Only 'Short' file names will be used.   ");
    EXPECT_EQ(prompts.shown[1].title, "File Rename");
    const QStringList files = programFolderFiles();
    for (const char* name : {"CONVEY~2.CVP", "CONVEY~2.LMN", "CONVEY~2.X", "CONVEY~2.hex", "CONVEY~1.LMN"})
        EXPECT_TRUE(files.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(gProgramFile, programPath("CONVEY~2.CVP"));
}

TEST_F(FileCommandsTest, RenameThatFailsHalfWayPutsBackTheFilesAlreadyRenamed)
{
    // A folder in the way of the third file makes its rename fail.
    QDir(folder).mkpath("TANK.X/inside");
    start("PUMP.CVP");
    prompts.answerInput(QStringLiteral("TANK")).answer(Answer::Ok);
    main->RenameProgramFiles(true);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "File Rename");
    EXPECT_TRUE(prompts.shown[1].text.startsWith("Error Number = "));
    EXPECT_EQ(programFolderFiles(),
              QStringList({"PUMP.CVP", "PUMP.LMN", "PUMP.X", "PUMPS.CVP", "PUMPS.LMN", "VALVE.CVP", "pump.hex"}));
    EXPECT_EQ(install.readFile("progs/PUMP.LMN"), "main");
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}
} // namespace
