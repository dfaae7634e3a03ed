#include "WorkspaceFixture.h"

#include "platform/Drives.h"
#include "workspace/frmCopyFile.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
const QString kShortNotice = QStringLiteral("Only 'Short' file names will be used.   ");

// The destination folder is a drive of its own whose readiness, kind and capacity the test sets;
// its free space is the capacity less what the folder holds.
class FakeDestinationDrive : public DriveInfo {
public:
    explicit FakeDestinationDrive(QString folder) : m_folder(std::move(folder)) { setDriveInfo(this); }
    ~FakeDestinationDrive() override { setDriveInfo(nullptr); }
    QList<DriveEntry> drives() override { return {{"/", "/"}, {m_folder, m_folder}}; }
    bool isReady(const QString& root) override { return root != m_folder || ready; }
    QString driveOf(const QString& path) override
    {
        return QFileInfo(path).absoluteFilePath().startsWith(m_folder) ? m_folder : QStringLiteral("/");
    }
    qint64 freeBytes(const QString& root) override
    {
        if (root != m_folder)
            return std::numeric_limits<qint64>::max();
        qint64 used = 0;
        for (const QFileInfo& f : QDir(m_folder).entryInfoList(QDir::Files))
            used += f.size();
        return capacity - used;
    }
    bool isRemovable(const QString& root) override { return root == m_folder && removable; }

    bool ready = true;
    bool removable = false;
    qint64 capacity = std::numeric_limits<qint64>::max() / 2;

private:
    QString m_folder;
};

class CopyProgramTest : public WorkspaceTest {
protected:
    CopyProgramTest()
    {
        writeProgramFile("PUMP.CVP", "8\r\n");
        writeProgramFile("pump.lmn", QByteArray(100, 'L'));
        writeProgramFile("PUMP.L01", QByteArray(100, '1'));
        writeProgramFile("pump.rev", QByteArray(100, 'R'));
        writeProgramFile("PUMPS.CVP", "8\r\n");
        dest = install.path("progs/new");
        QDir().mkpath(dest);
        start("PUMP.CVP");
    }
    QStringList destFiles() const { return QDir(dest).entryList(QDir::Files, QDir::Name); }
    QByteArray destBytes(const QString& name) const { return install.readFile("progs/new/" + name); }

    // Opens File > Save As and runs `steps` on the dialog, then closes it with its Cancel/Ok button.
    void saveAs(const std::function<void(frmCopyFile&)>& steps)
    {
        modals.then([steps](QDialog& d) {
            auto& f = dynamic_cast<frmCopyFile&>(d);
            steps(f);
            ASSERT_TRUE(f.idle());
            f.cmdCancel_Click();
        });
        main->mnuFileSaveAs_Click();
    }
    // Chooses the destination through the save dialog.
    void chooseDestination(frmCopyFile& f, const QString& path)
    {
        dialogs.answers.push_back(path);
        f.cmdDestination_Click();
    }

    ScriptedModals modals;
    QString dest;
};

TEST_F(CopyProgramTest, AWholeProgramIsCopiedToAnotherFolderAndNameAndBecomesCurrent)
{
    saveAs([&](frmCopyFile& f) {
        EXPECT_EQ(f.windowTitle(), "Save Corvane File As...");
        EXPECT_EQ(f.lblSource[1]->text(), folder + "/");
        EXPECT_EQ(f.txtSource->text(), "PUMP.CVP");
        EXPECT_EQ(f.txtDestination->text(), "");
        chooseDestination(f, dest + "/valve");
        EXPECT_EQ(f.txtDestination->text(), "valve");
        EXPECT_EQ(f.lblDestination[1]->text(), dest + "/");
        f.cmdCopy_Click();
        EXPECT_EQ(f.cmdCancel->text(), "&Ok");
        EXPECT_TRUE(f.cmdCopy->isEnabled());
        EXPECT_FALSE(f.lblCopyStatus->isVisibleTo(&f));
        EXPECT_EQ(f.txtDestination->text(), "valve.CVP");
    });
    EXPECT_EQ(destFiles(), QStringList({"valve.CVP", "valve.L01", "valve.LMN", "valve.REV"}));
    EXPECT_EQ(destBytes("valve.CVP"), "8\r\n");
    EXPECT_EQ(destBytes("valve.LMN"), QByteArray(100, 'L'));
    EXPECT_EQ(destBytes("valve.REV"), QByteArray(100, 'R'));
    EXPECT_EQ(gProgramFile, dest + "/valve.CVP");
    EXPECT_EQ(GetSelectedFile(), dest + "/valve.CVP");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(dialogs.requests.back().filter, "Corvane Files(*.cvp)|*.cvp|");
}

TEST_F(CopyProgramTest, ALongNameIsAnnouncedAndTheSetGetsOneShortBase)
{
    prompts.answerOk();
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVESTATION.CVP");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kShortNotice);
    EXPECT_EQ(prompts.shown[0].title, "Copy File");
    EXPECT_EQ(destFiles(), QStringList({"VALVES~1.CVP", "VALVES~1.L01", "VALVES~1.LMN", "VALVES~1.REV"}));
    EXPECT_EQ(gProgramFile, dest + "/VALVES~1.CVP");
}

TEST_F(CopyProgramTest, AnEightCharacterNameIsKeptWithoutANotice)
{
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/PUMPHOUS");
        f.cmdCopy_Click();
    });
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(destFiles(), QStringList({"PUMPHOUS.CVP", "PUMPHOUS.L01", "PUMPHOUS.LMN", "PUMPHOUS.REV"}));
    EXPECT_EQ(gProgramFile, dest + "/PUMPHOUS.CVP");
}

TEST_F(CopyProgramTest, TheNameWithOrWithoutItsExtensionGivesTheSameProgram)
{
    for (const QString& name : {QStringLiteral("VALVE.CVP"), QStringLiteral("valve.cvp"), QStringLiteral("VALVE")}) {
        SCOPED_TRACE(name.toStdString());
        const QString into = dest + "/" + QString(name).replace('.', '_');
        QDir().mkpath(into);
        saveAs([&](frmCopyFile& f) {
            chooseDestination(f, into + "/" + name);
            f.cmdCopy_Click();
        });
        const QString base = name.left(5);
        EXPECT_EQ(QDir(into).entryList(QDir::Files, QDir::Name),
                  QStringList({base + ".CVP", base + ".L01", base + ".LMN", base + ".REV"}));
        EXPECT_EQ(install.readFile("progs/new/" + QFileInfo(into).fileName() + "/" + base + ".LMN"),
                  QByteArray(100, 'L'));
        EXPECT_EQ(gProgramFile, into + "/" + base + ".CVP");
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CopyProgramTest, ReplacingAsksFirstAndYesRemovesTheOldProgramsFiles)
{
    install.writeFile("progs/new/VALVE.CVP", "D\r\n");
    install.writeFile("progs/new/valve.hex", "old image");
    prompts.answer(Answer::No).answer(Answer::Cancel).answer(Answer::Yes);
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE.CVP");
        f.cmdCopy_Click(); // No
        EXPECT_TRUE(f.idle());
        EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "valve.hex"}));
        f.cmdCopy_Click(); // Cancel
        EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "valve.hex"}));
        EXPECT_EQ(f.cmdCancel->text(), "&Cancel");
        f.cmdCopy_Click(); // Yes
    });
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0].text,
              "The Corvane program VALVE.CVP already exists. Do you want to replace the existing program?");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
    // The old program's image is gone: it would pass for the copy's.
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "VALVE.L01", "VALVE.LMN", "VALVE.REV"}));
    EXPECT_EQ(destBytes("VALVE.CVP"), "8\r\n");
}

TEST_F(CopyProgramTest, AReplacementThatMeetsAReadOnlyFileLeavesTheOldProgramWhole)
{
    install.writeFile("progs/new/VALVE.CVP", "D\r\n");
    install.writeFile("progs/new/valve.hex", "old image");
    QFile(dest + "/valve.hex").setPermissions(QFileDevice::ReadOwner);
    prompts.answer(Answer::Yes).answerOk();
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE.CVP");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "Copy File");
    EXPECT_TRUE(prompts.shown[1].text.contains("valve.hex: the file is read-only"));
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "valve.hex"}));
    EXPECT_EQ(destBytes("VALVE.CVP"), "D\r\n");
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, CopyingAProgramOntoItselfIsRefused)
{
    prompts.answerOk(2);
    saveAs([&](frmCopyFile& f) {
        for (const QString& name : {QStringLiteral("PUMP"), QStringLiteral("pump.cvp")}) {
            f.txtDestination->setText(name);
            f.cmdCopy_Click();
        }
    });
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "The Corvane program PUMP.CVP can not be copied onto itself.");
    EXPECT_EQ(prompts.shown[1].title, "Copy File");
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.CVP", "PUMP.L01", "PUMPS.CVP", "pump.lmn", "pump.rev"}));
    EXPECT_EQ(install.readFile("progs/pump.lmn"), QByteArray(100, 'L'));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, CancelAfterTheFirstFileKeepsItAndLeavesTheSourceCurrent)
{
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        int yields = 0;
        // The first yield follows the start of the copy, each next one comes before a file.
        f.FileYield = [&] {
            if (++yields == 3)
                f.cmdCancel_Click();
            if (yields == 2) {
                EXPECT_EQ(f.cmdCancel->text(), "&Cancel");
            }
        };
        f.cmdCopy_Click();
        EXPECT_EQ(f.cmdCancel->text(), "&Ok");
        EXPECT_EQ(f.rememberedProgram(), programPath("PUMP.CVP"));
    });
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, ANotReadyDriveAsksForADiskBeforeTheFirstFile)
{
    FakeDestinationDrive drive(dest);
    drive.ready = false;
    prompts.answer(Answer::Retry).answer(Answer::Cancel);
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "Please insert disk into drive " + dest + ".");
    EXPECT_EQ(prompts.shown[0].title, "Insert Disk");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
    EXPECT_TRUE(destFiles().isEmpty());
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, AFixedDriveThatFillsHalfWayEndsTheCopyWithoutMakingItCurrent)
{
    FakeDestinationDrive drive(dest);
    drive.capacity = 3 + 100 + 50; // the Corvane file and one more fit
    prompts.answerOk();
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "The disk in the destination drive is full.");
    EXPECT_EQ(prompts.shown[0].title, "Copy");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "VALVE.L01"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, AFullRemovableDriveIsRetriedWithANewDisk)
{
    FakeDestinationDrive drive(dest);
    drive.removable = true;
    drive.capacity = 3 + 100;
    prompts.onShow = [&](const ScriptedPrompts::Shown& box) {
        if (box.title == "Copy")
            drive.capacity = 100000; // the user swapped the disk
    };
    prompts.answer(Answer::Retry);
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "The disk in the destination drive is full.\r\n\r\nInsert a new disk to continue.");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::RetryCancel);
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "VALVE.L01", "VALVE.LMN", "VALVE.REV"}));
    EXPECT_EQ(gProgramFile, dest + "/VALVE.CVP");
}

TEST_F(CopyProgramTest, AReadOnlyFileInTheWayIsKeptAndTheCopyEnds)
{
    // A file of the destination's name without its Corvane file: no replace question covers it.
    install.writeFile("progs/new/valve.l01", "keep");
    QFile(dest + "/valve.l01").setPermissions(QFileDevice::ReadOwner);
    prompts.answerOk();
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        f.cmdCopy_Click();
        EXPECT_EQ(f.cmdCancel->text(), "&Ok");
        EXPECT_TRUE(f.cmdCopy->isEnabled());
    });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Copy File");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_TRUE(prompts.shown[0].text.contains("valve.l01: the file is read-only")) << prompts.shown[0].text.toStdString();
    EXPECT_EQ(destBytes("valve.l01"), "keep");
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP", "valve.l01"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, TheCloseBoxDuringACopyActsAsCancel)
{
    saveAs([&](frmCopyFile& f) {
        chooseDestination(f, dest + "/VALVE");
        f.FileYield = [&] {
            if (!destFiles().isEmpty())
                f.reject();
        };
        f.cmdCopy_Click();
        EXPECT_TRUE(f.idle());
    });
    EXPECT_EQ(destFiles(), QStringList({"VALVE.CVP"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, ANameWithAWildcardColonOrBackslashIsRefused)
{
    const QStringList refused = {"*.cvp", "V?LVE", "C:VALVE", "sub\\VALVE", ".VALVE"};
    prompts.answerOk(static_cast<int>(refused.size()));
    saveAs([&](frmCopyFile& f) {
        for (const QString& name : refused) {
            f.txtDestination->setText(name);
            f.cmdCopy_Click();
            EXPECT_TRUE(f.idle());
        }
    });
    ASSERT_EQ(prompts.shown.size(), static_cast<std::size_t>(refused.size()));
    for (std::size_t i = 0; i < prompts.shown.size(); ++i) {
        EXPECT_EQ(prompts.shown[i].text, "'" + refused[static_cast<int>(i)] + "' is not a valid program name.");
        EXPECT_EQ(prompts.shown[i].title, "Copy File");
    }
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.CVP", "PUMP.L01", "PUMPS.CVP", "pump.lmn", "pump.rev"}));
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

TEST_F(CopyProgramTest, AMissingSourceOrAnEmptyNameWritesNothing)
{
    prompts.answerOk();
    saveAs([&](frmCopyFile& f) {
        f.cmdCopy_Click(); // no destination name
        f.txtSource->setText("GONE.CVP");
        f.txtDestination->setText("VALVE");
        f.cmdCopy_Click();
    });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, folder + "/GONE.CVP does not exist.?");
    EXPECT_EQ(programFolderFiles().size(), 5);
}
} // namespace
