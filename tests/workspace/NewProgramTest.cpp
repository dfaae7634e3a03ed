#include "WorkspaceFixture.h"

#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/FileListBoxes.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/frmNewFile.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
const QString kShortNotice = QStringLiteral("Only 'Short' file names will be used.   ");

class NewProgramTest : public WorkspaceTest {
protected:
    NewProgramTest() { start(); }

    QByteArray fileBytes(const QString& name) const { return install.readFile(QStringLiteral("progs/") + name); }

    RecordingToolLauncher tools;
    ScriptedModals modals;
};

TEST_F(NewProgramTest, TheBoardListHoldsSeventeenBoardsWithCode68Selected)
{
    modals.then([](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        ASSERT_EQ(f.cboNew->count(), 17);
        EXPECT_EQ(f.cboNew->currentIndex(), 15);
        EXPECT_EQ(f.cboNew->itemText(15), gRSComm->TargetboardName(68));
        EXPECT_EQ(f.cboNew->itemText(0), gRSComm->TargetboardName(50));
        EXPECT_EQ(f.cboNew->itemText(16), gRSComm->TargetboardName(69));
        EXPECT_EQ(f.txtNew->text(), "*.cvp");
        EXPECT_EQ(f.windowTitle(), "Create New Corvane File");
        // The default pattern is not a name: OK does nothing.
        f.cmdOk_Click();
        EXPECT_FALSE(gNewFileCreated);
        f.cmdCancel_Click();
    });
    main->mnuFileNew_Click();
    EXPECT_TRUE(programFolderFiles().isEmpty());
    EXPECT_TRUE(tools.started.empty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(NewProgramTest, NamesGiveTheProgramTheirBaseNameAndTheExtensionCVP)
{
    struct Case {
        QString typed, file;
    };
    for (const Case& c : {Case{"PUMP", "PUMP.CVP"}, Case{"pump2.cvp", "pump2.CVP"}, Case{"MIX.C", "MIX.CVP"},
                          Case{"A.B.TXT", "A.B.CVP"}}) {
        SCOPED_TRACE(c.typed.toStdString());
        modals.then(newProgramStep(c.typed));
        main->mnuFileNew_Click();
        EXPECT_TRUE(gNewFileCreated);
        EXPECT_EQ(gProgramFile, programPath(c.file));
        // One line: the character of the board type code, as a printed line.
        EXPECT_EQ(fileBytes(c.file), "D\r\n");
        // The new program heads the recent list and is the browser's selection.
        EXPECT_EQ(main->RecentFiles[0], programPath(c.file));
        EXPECT_EQ(GetSelectedFile(), programPath(c.file));
    }
    EXPECT_EQ(programFolderFiles(), QStringList({"A.B.CVP", "MIX.CVP", "PUMP.CVP", "pump2.CVP"}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(NewProgramTest, ALongNameIsAnnouncedAndGetsOneShortBase)
{
    writeProgramFile("NEWPRO~1.HEX", "stray");
    prompts.answerOk();
    modals.then(newProgramStep("NEWPROGRAM", 56));
    main->mnuFileNew_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kShortNotice);
    EXPECT_EQ(prompts.shown[0].title, "New File");
    // NEWPRO~1 is taken by a file of another extension: the program must not adopt it.
    EXPECT_EQ(gProgramFile, programPath("NEWPRO~2.CVP"));
    EXPECT_EQ(fileBytes("NEWPRO~2.CVP"), "8\r\n");
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].arguments, QStringList({folder + "/NEWPRO~2=" + gRSComm->LCFBoardIndex(56)}));
}

TEST_F(NewProgramTest, RefusedNamesLeaveTheDialogOpenAndWriteNothing)
{
    const QStringList refused = {"", ".cvp", "sub/PUMP", "sub\\PUMP", "C:PUMP", "P?MP", "   .x", ".PUMP.cvp"};
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        for (const QString& name : refused) {
            f.txtNew->setText(name);
            f.cmdOk_Click();
            EXPECT_FALSE(gNewFileCreated) << name.toStdString();
        }
        f.cmdCancel_Click();
    });
    prompts.answerOk(static_cast<int>(refused.size()));
    main->mnuFileNew_Click();
    ASSERT_EQ(prompts.shown.size(), static_cast<std::size_t>(refused.size()));
    for (std::size_t i = 0; i < static_cast<std::size_t>(refused.size()); ++i) {
        EXPECT_EQ(prompts.shown[i].title, "New File");
        EXPECT_EQ(prompts.shown[i].text, "'" + refused[static_cast<int>(i)].trimmed() + "' is not a valid program name.");
    }
    EXPECT_TRUE(programFolderFiles().isEmpty());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(tools.started.empty());
}

TEST_F(NewProgramTest, ReplacingAProgramAsksAndYesRemovesTheWholeOldProgram)
{
    writeProgram("PUMP", '8');
    writeProgramFile("PUMP.HEX", ":00000001FF\r\n");
    writeProgramFile("pump.rev", "OLD");
    writeProgramFile("PUMP.LDT", "x");
    writeProgram("PUMPS", '8');
    prompts.answer(Answer::No).answer(Answer::Yes);
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        f.txtNew->setText("PUMP");
        f.cmdOk_Click(); // No
        EXPECT_FALSE(gNewFileCreated);
        EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.CVP", "PUMP.HEX", "PUMP.LDT", "PUMPS.CVP", "pump.rev"}));
        f.cmdOk_Click(); // Yes
    });
    main->mnuFileNew_Click();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, programPath("PUMP.CVP") + " already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(prompts.shown[0].title, "Create Corvane File");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    // Enter must not replace a program.
    EXPECT_EQ(prompts.defaultButtons[0], Answer::No);
    EXPECT_TRUE(gNewFileCreated);
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.CVP", "PUMPS.CVP"}));
    EXPECT_EQ(fileBytes("PUMP.CVP"), "D\r\n");
}

TEST_F(NewProgramTest, AReplacementThatMeetsAReadOnlyFileLeavesTheOldProgramWhole)
{
    writeProgram("PUMP", '8');
    writeProgramFile("PUMP.HEX", ":00000001FF\r\n");
    writeProgramFile("pump.lmn", "MAIN");
    QFile(programPath("pump.lmn")).setPermissions(QFileDevice::ReadOwner);
    prompts.answer(Answer::Yes).answerOk();
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        f.txtNew->setText("PUMP");
        f.cmdOk_Click();
        EXPECT_FALSE(gNewFileCreated);
        EXPECT_EQ(f.txtNew->text(), "*.cvp");
        f.cmdCancel_Click();
    });
    main->mnuFileNew_Click();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "New File");
    EXPECT_EQ(prompts.shown[1].icon, Icon::Critical);
    EXPECT_TRUE(prompts.shown[1].text.contains("pump.lmn: the file is read-only"));
    EXPECT_EQ(programFolderFiles(), QStringList({"PUMP.CVP", "PUMP.HEX", "pump.lmn"}));
    EXPECT_EQ(fileBytes("PUMP.CVP"), "8\r\n");
    EXPECT_TRUE(tools.started.empty());
}

TEST_F(NewProgramTest, TheNewProgramGoesToTheToolOfItsBoardFamily)
{
    struct Case {
        int code;
        QString program;
        bool configuration;
    };
    for (const Case& c : {Case{56, "rdx3/vantor1.exe", true}, Case{50, "rdx7/vantor.exe", true},
                          Case{62, "qlx3/orlund.exe", false}, Case{69, "qlx3/orlund9.exe", false}}) {
        SCOPED_TRACE(c.code);
        tools.started.clear();
        const QString name = QStringLiteral("P") + QString::number(c.code);
        modals.then(newProgramStep(name, c.code));
        main->mnuFileNew_Click();
        ASSERT_EQ(tools.started.size(), 1u);
        const ToolStart& s = tools.started[0];
        EXPECT_EQ(s.program, install.path(c.program));
        const QString stem = folder + "/" + name;
        EXPECT_EQ(s.arguments,
                  QStringList({c.configuration ? stem + "=" + gRSComm->LCFBoardIndex(c.code) : stem}));
        EXPECT_EQ(s.style, WindowStyle::MaximizedFocus);
        EXPECT_EQ(fileBytes(name + ".CVP"), QByteArray(1, static_cast<char>(c.code)) + "\r\n");
    }
}

TEST_F(NewProgramTest, AToolThatCannotStartKeepsTheDialogOpenWithTheNameResetAndTheProgramShown)
{
    struct Failing : ToolLauncher {
        bool start(const ToolStart&, QString* error) override
        {
            *error = QStringLiteral("no such tool");
            return false;
        }
        bool openDocument(const QString&) override { return false; }
    } failing;
    setToolLauncher(&failing);
    // The browser elsewhere: the program is made in another folder than the one it shows.
    browser().dirDirList->setPath(install.path(QStringLiteral("support")));
    bool stayedOpen = false;
    QStringList listed;
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        f.txtNew->setText(QStringLiteral("PUMP"));
        f.cmdOk_Click();
        stayedOpen = f.result() != QDialog::Accepted && f.txtNew->text() == "*.cvp";
        for (int i = 0; i < f.filNew->listCount(); ++i)
            listed << f.filNew->listItem(i);
        f.cmdCancel_Click();
    });
    prompts.answerOk();
    main->mnuFileNew_Click();
    setToolLauncher(&tools);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(gNewFileCreated);
    // The file was written: the dialog lists it, and after Cancel the browser shows it selected.
    EXPECT_EQ(listed, QStringList{"PUMP.CVP"});
    EXPECT_EQ(browser().folderPath(), folder);
    EXPECT_EQ(GetSelectedFile(), programPath("PUMP.CVP"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "New File");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_EQ(prompts.shown[0].text, errorText(53, "no such tool"));
}

TEST_F(NewProgramTest, ClickingAProgramTakesItsNameAndBoardWhenTheListHasIt)
{
    writeProgram("PRESS", 69);
    writeProgram("OLD", 49);
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        ASSERT_EQ(f.filNew->listCount(), 2);
        f.cboNew->setCurrentIndex(3);
        f.filNew->setListIndex(1); // PRESS.CVP
        EXPECT_EQ(f.txtNew->text(), "PRESS.CVP");
        EXPECT_EQ(f.cboNew->currentIndex(), 16);
        f.filNew->setListIndex(0); // OLD.CVP, code 49 has no row
        EXPECT_EQ(f.txtNew->text(), "OLD.CVP");
        EXPECT_EQ(f.cboNew->currentIndex(), 16);
        f.cmdCancel_Click();
    });
    main->mnuFileNew_Click();
    EXPECT_FALSE(gNewFileCreated);
}

class NotReadyDrive : public DriveInfo {
public:
    explicit NotReadyDrive(QString root) : m_root(std::move(root)) { setDriveInfo(this); }
    ~NotReadyDrive() override { setDriveInfo(nullptr); }
    QList<DriveEntry> drives() override { return {{"/", "/"}, {m_root, m_root}}; }
    bool isReady(const QString& root) override { return root != m_root; }
    QString driveOf(const QString&) override { return "/"; }

private:
    QString m_root;
};

TEST_F(NewProgramTest, ADriveThatIsNotReadyIsRefusedAndTheListGoesBack)
{
    NotReadyDrive drives("/media/card");
    prompts.answerOk();
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.drvNew->refresh();
        const QString before = f.dirNew->path();
        f.drvNew->setListIndex(1);
        f.drvNew_Change();
        EXPECT_EQ(f.drvNew->drive(), "/");
        EXPECT_EQ(f.dirNew->path(), before);
        f.cmdCancel_Click();
    });
    main->mnuFileNew_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Selected Drive is Not Ready.");
    EXPECT_EQ(prompts.shown[0].title, "Drives");
}

// Enter pressed on the widget, as the user presses it.
void pressEnter(QWidget* w, int key = Qt::Key_Return)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

TEST_F(NewProgramTest, EnterInTheNameFieldOrTheFileListActsAsOk)
{
    for (bool inList : {false, true}) {
        SCOPED_TRACE(inList ? "file list" : "name field");
        const QString name = inList ? "GATE" : "VALVE";
        modals.then([&](QDialog& d) {
            auto& f = dynamic_cast<frmNewFile&>(d);
            f.dirNew->setPath(folder);
            QWidget* target = inList ? static_cast<QWidget*>(f.filNew) : f.txtNew;
            pressEnter(target); // still the pattern: nothing
            EXPECT_FALSE(gNewFileCreated);
            EXPECT_EQ(f.txtNew->text(), "*.cvp");
            f.txtNew->setText(name);
            pressEnter(target, Qt::Key_Enter);
        });
        main->mnuFileNew_Click();
        EXPECT_TRUE(gNewFileCreated);
        EXPECT_EQ(gProgramFile, programPath(name + ".CVP"));
    }
    EXPECT_EQ(programFolderFiles(), QStringList({"GATE.CVP", "VALVE.CVP"}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(NewProgramTest, TheNameFieldShowsTheNameTheProgramGets)
{
    frmNewFile d;
    d.Form_Load();
    d.dirNew->setPath(folder);
    d.txtNew->setText("pump.cvp");
    d.cmdOk_Click();
    EXPECT_EQ(d.txtNew->text(), "pump.CVP");
    EXPECT_EQ(fileBytes("pump.CVP"), "D\r\n");
}

TEST_F(NewProgramTest, UploadModeSetsTheFlagOnlyOnOkAndStartsNoTool)
{
    frmNewFile okDialog;
    okDialog.SetNewFileMode(1);
    okDialog.Form_Load();
    okDialog.dirNew->setPath(folder);
    okDialog.txtNew->setText("UP");
    okDialog.cmdOk_Click();
    EXPECT_TRUE(gRSComm->InUploadMode());
    EXPECT_EQ(okDialog.newFileMode(), 0);
    EXPECT_TRUE(tools.started.empty());
    EXPECT_EQ(fileBytes("UP.CVP"), "D\r\n");

    // A failed write sets no flag: the upload must not run into files that do not exist.
    gRSComm->InUploadMode(false);
    gNewFileCreated = false;
    frmNewFile failing;
    failing.SetNewFileMode(1);
    failing.Form_Load();
    failing.dirNew->setPath(folder);
    QDir(folder).mkdir("BLOCK.CVP");
    prompts.answerOk();
    failing.txtNew->setText("BLOCK");
    failing.cmdOk_Click();
    EXPECT_FALSE(gRSComm->InUploadMode());
    EXPECT_FALSE(gNewFileCreated);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "New File");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_EQ(failing.txtNew->text(), "*.cvp");

    // Cancel, and the close box, clear it.
    for (bool closeBox : {false, true}) {
        gRSComm->InUploadMode(true);
        gNewFileCreated = true;
        frmNewFile d;
        d.SetNewFileMode(1);
        d.Form_Load();
        if (closeBox)
            d.reject();
        else
            d.cmdCancel_Click();
        EXPECT_FALSE(gRSComm->InUploadMode());
        EXPECT_FALSE(gNewFileCreated);
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
}
} // namespace
