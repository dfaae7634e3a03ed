#include "SimCommPort.h"
#include "WorkspaceFixture.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/FileListBoxes.h"
#include "workspace/frmDownloadProg.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/frmNewFile.h"
#include "workspace/modUtility.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
constexpr int kIdent = 61424;

// A program image as the upload writes it: 16-byte records without checksums over a range.
QByteArray imageHex(long first, long count)
{
    QByteArray out;
    for (long a = first; a < first + count; a += 16) {
        QByteArray line = ":10" + QByteArray::number(static_cast<int>(a), 16).toUpper().rightJustified(4, '0') + "00";
        for (long k = 0; k < 16; ++k)
            line += QByteArray::number(((a + k) * 13 + 7) & 0xFF, 16).toUpper().rightJustified(2, '0');
        out += line + "\r\n";
    }
    return out + ":00000001FF\r\n";
}

// A main window whose serial port is the simulated board.
class TransferTest : public WorkspaceTest {
protected:
    TransferTest()
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        start({}, std::move(port));
    }
    SimBoard& board() { return sim->board(); }

    // The files a compiled program of board code 56 has.
    void writeCompiledProgram(const QString& base, const QByteArray& hex)
    {
        writeProgram(base, 56);
        writeProgramFile(base + ".REV", "PROG0001"
                                        "1?"
                                        "02\r\n");
        writeProgramFile(base + ".LCF", (gRSComm->LCFBoardIndex(56) + QString(34, '0') + "2007" + "1000%\r\n").toLatin1());
        writeProgramFile(base + ".HEX", hex);
    }
    // The board falls silent at the first address high byte of the identity block that comes in
    // `mode` (the download reads the block before it writes it).
    void silenceIdentBlock(SimBoard::Mode mode)
    {
        SimBoard* b = &board();
        b->replyHook = [b, mode](long index, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
            if (byte == 0xEF && b->mode() == mode)
                b->setSilentFrom(index);
            return reply;
        };
    }

    SimCommPort* sim = nullptr;
    ScriptedModals modals;
};

TEST_F(TransferTest, TheDownloadWindowShowsTheAddressAndTheIdentPhase)
{
    writeCompiledProgram("PUMP", imageHex(0x2000, 32));
    main->mnuViewOnline_Click();
    ASSERT_TRUE(gRSComm->OnlineMode);
    gRSComm->DownloadFile(programPath("PUMP.CVP"));
    ASSERT_TRUE(gRSComm->ValidProgram());

    frmDownloadProg w;
    w.SetTransferMode(0);
    w.Form_Load();
    EXPECT_EQ(w.lblWaitDisplay->text(), "Sending Program at Address: ");
    EXPECT_EQ(w.Timer1->interval(), 250);
    EXPECT_FALSE(w.Timer1->isActive());
    QStringList labels;
    gRSComm->RecordYield = [&] {
        EXPECT_TRUE(w.Timer1->isActive());
        w.Timer1_Timer();
        labels << w.lblWaitDisplay->text();
    };
    silenceIdentBlock(SimBoard::Mode::Write);
    QString identLabel;
    prompts.onShow = [&](const ScriptedPrompts::Shown& box) {
        if (box.buttons == Buttons::RetryCancel) {
            w.Timer1_Timer();
            identLabel = w.lblWaitDisplay->text();
        }
    };
    prompts.answer(Answer::Yes).answer(Answer::Cancel).answerOk(2);
    w.Form_Activate();
    // Each yield comes before its record is sent: the label names the record sent last.
    EXPECT_EQ(labels, QStringList({"Writing to Program Address:  ", "Writing to Program Address: 2000H"}));
    EXPECT_EQ(identLabel, "Writing Program Ident ... ");
    EXPECT_EQ(prompts.shown.back().text, "Program Download Not Complete!");
    // The transfer is over: the label stays as it was, the mode is back to 0.
    w.lblWaitDisplay->setText("kept");
    w.Timer1_Timer();
    EXPECT_EQ(w.lblWaitDisplay->text(), "kept");
    EXPECT_EQ(w.transferMode(), 0);
    EXPECT_FALSE(w.Timer1->isActive());
    gRSComm->RecordYield = nullptr;
}

TEST_F(TransferTest, StatusTicksDuringADownloadReadNothingFromTheBoard)
{
    writeCompiledProgram("PUMP", imageHex(0x2000, 32));
    main->mnuViewOnline_Click();
    ASSERT_TRUE(gRSComm->OnlineMode);
    main->tmrBackgroungUpdate_Timer(); // the tick that follows the change of link state
    gRSComm->DownloadFile(programPath("PUMP.CVP"));
    ASSERT_TRUE(gRSComm->ValidProgram());
    int ticks = 0;
    gRSComm->RecordYield = [&] {
        ASSERT_TRUE(gRSComm->InProgramMode());
        const long before = board().receivedCount();
        main->tmrBackgroungUpdate_Timer();
        EXPECT_EQ(board().receivedCount(), before) << "a tick between two records";
        ++ticks;
    };
    prompts.answer(Answer::Yes).answerOk();
    gRSComm->DumpProgram();
    gRSComm->RecordYield = nullptr;
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(prompts.shown.back().text, "Program Download Complete!");
    EXPECT_EQ(board().memory[kIdent], 'P');
}

TEST_F(TransferTest, TheWindowKeepsShowingTheIdentPhaseWhileTheBoardIsGivenItsPause)
{
    writeCompiledProgram("PUMP", imageHex(0x2000, 16));
    main->mnuViewOnline_Click();
    ASSERT_TRUE(gRSComm->OnlineMode);
    gRSComm->DownloadFile(programPath("PUMP.CVP"));
    ASSERT_TRUE(gRSComm->ValidProgram());
    // Long enough for the window's own 250 ms timer to fire during the pause.
    timeouts().identDelayMs = 700;

    frmDownloadProg w;
    w.SetTransferMode(0);
    w.Form_Load();
    long bytesDuringPause = -1;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (gRSComm->WritingIdent() && bytesDuringPause < 0)
            bytesDuringPause = board().receivedCount();
    });
    probe.start();
    prompts.answer(Answer::Yes).answerOk();
    w.Form_Activate();
    EXPECT_EQ(w.lblWaitDisplay->text(), "Writing Program Ident ... ");
    ASSERT_GE(bytesDuringPause, 0) << "events went on during the pause";
    EXPECT_LT(bytesDuringPause, board().receivedCount()) << "the ident block came after the pause";
    EXPECT_EQ(prompts.shown.back().text, "Program Download Complete!");
    EXPECT_EQ(board().memory[kIdent], 'P');
}

TEST_F(TransferTest, TheIdentPhaseStaysShownUnderTheCompletionBox)
{
    writeCompiledProgram("PUMP", imageHex(0x2000, 16));
    main->mnuViewOnline_Click();
    gRSComm->DownloadFile(programPath("PUMP.CVP"));
    ASSERT_TRUE(gRSComm->ValidProgram());
    frmDownloadProg w;
    w.SetTransferMode(0);
    w.Form_Load();
    gRSComm->RecordYield = [&] { w.Timer1_Timer(); };
    QString underBox;
    prompts.onShow = [&](const ScriptedPrompts::Shown& box) {
        if (box.text == "Program Download Complete!") {
            w.Timer1_Timer();
            underBox = w.lblWaitDisplay->text();
        }
    };
    prompts.answer(Answer::Yes).answerOk();
    w.Form_Activate();
    gRSComm->RecordYield = nullptr;
    prompts.onShow = nullptr;
    EXPECT_EQ(underBox, "Writing Program Ident ... ");
}

TEST_F(TransferTest, TheUploadWindowShowsTheIdentPhaseAndEachRecordAddress)
{
    main->mnuViewOnline_Click();
    ASSERT_TRUE(gRSComm->OnlineMode);
    writeProgram("UP", 56);
    auto runUpload = [&](QStringList& labels) {
        frmDownloadProg w;
        w.SetTransferMode(1);
        w.Form_Load();
        EXPECT_EQ(w.lblWaitDisplay->text(), "Reading Program at Address: ");
        gRSComm->InUploadMode(true);
        gRSComm->UploadFile(programPath("UP.CVP"));
        gRSComm->RecordYield = [&] {
            w.Timer1_Timer();
            labels << w.lblWaitDisplay->text();
        };
        prompts.onShow = [&](const ScriptedPrompts::Shown& box) {
            if (box.buttons == Buttons::RetryCancel) {
                w.Timer1_Timer();
                labels << w.lblWaitDisplay->text();
            }
        };
        w.Form_Activate();
        gRSComm->RecordYield = nullptr;
        prompts.onShow = nullptr;
    };

    QStringList failed;
    silenceIdentBlock(SimBoard::Mode::Read);
    prompts.answer(Answer::Cancel);
    runUpload(failed);
    EXPECT_EQ(failed, QStringList({"Reading Program Ident ... "}));
    EXPECT_FALSE(gRSComm->InUploadMode());

    board().replyHook = nullptr;
    board().setSilentFrom(-1);
    gRSComm->CommError = false;
    gRSComm->OnlineMode = true;
    QStringList labels;
    prompts.answerOk();
    runUpload(labels);
    ASSERT_EQ(labels.size(), 512);
    EXPECT_EQ(labels.front(), "Reading From Program Address: 2000H");
    EXPECT_EQ(labels.back(), "Reading From Program Address: 3FF0H");
    EXPECT_EQ(prompts.shown.back().text, "Program Upload Complete!");
}

TEST_F(TransferTest, AMissingRevisionFileStopsBeforeTheWindowAndTheTimerRunsAgain)
{
    writeProgram("PUMP", 56);
    writeProgramFile("PUMP.HEX", imageHex(0x2000, 16));
    main->tmrBackgroungUpdate->stop();
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answerOk();
    main->mnuFileDownloadProgram_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              programPath("PUMP.rev") + " Revision File is Not Valid\r\n\r\nProgram Downloaded Halted!");
    EXPECT_EQ(prompts.shown[0].title, "Program Download");
    EXPECT_TRUE(modals.shown.empty());
    EXPECT_TRUE(board().received().isEmpty());
    EXPECT_FALSE(gRSComm->OnlineMode);
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());
}

TEST_F(TransferTest, AnUploadCancelledInTheDialogOpensNothing)
{
    writeCompiledProgram("OLD", "");
    gProgramFile = programPath("OLD.CVP");
    for (bool closeBox : {false, true}) {
        gRSComm->InUploadMode(true);
        modals.then([closeBox](QDialog& d) {
            auto& f = dynamic_cast<frmNewFile&>(d);
            EXPECT_EQ(f.newFileMode(), 1);
            if (closeBox)
                f.reject();
            else
                f.cmdCancel_Click();
        });
        main->mnuFileUploadProgram_Click();
        EXPECT_FALSE(gRSComm->InUploadMode());
    }
    // A dialog that went away without OK or Cancel leaves the flag as it was: the upload still
    // needs a program created by this dialog, never the current one.
    gRSComm->InUploadMode(true);
    modals.then([](QDialog& d) { d.hide(); });
    main->mnuFileUploadProgram_Click();
    EXPECT_FALSE(gRSComm->InUploadMode());

    EXPECT_EQ(modals.shown, std::vector<QString>(3, "frmNewFile"));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(board().received().isEmpty());
    EXPECT_EQ(install.readFile("progs/OLD.REV"), "PROG0001"
                                                 "1?"
                                                 "02\r\n");
    EXPECT_EQ(programFolderFiles(), QStringList({"OLD.CVP", "OLD.HEX", "OLD.LCF", "OLD.REV"}));
}

TEST_F(TransferTest, AnUploadDeclinedOrOfALimitSwitchOpensNoTransferWindow)
{
    for (const QString& name : {QStringLiteral("VALVE"), QStringLiteral("GATE")}) {
        modals.then(newProgramStep(name, 56));
        prompts.answer(name == "VALVE" ? Answer::No : Answer::Cancel);
        main->mnuFileUploadProgram_Click();
        EXPECT_TRUE(gNewFileCreated);
        EXPECT_FALSE(gRSComm->InUploadMode());
    }
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "Program Upload [VALVE]");
    EXPECT_EQ(prompts.shown[1].title, "Program Upload [GATE]");

    // A limit switch is read by its own upload, without this confirmation or window.
    int plsUploads = 0;
    bool flagDuringUpload = false;
    main->procs.plsUpload = [&] {
        ++plsUploads;
        flagDuringUpload = gRSComm->InUploadMode();
    };
    modals.then(newProgramStep("PRESS", 69));
    main->mnuFileUploadProgram_Click();
    EXPECT_EQ(plsUploads, 1);
    EXPECT_TRUE(flagDuringUpload);
    EXPECT_FALSE(gRSComm->InUploadMode());
    EXPECT_EQ(prompts.shown.size(), 2u);

    EXPECT_EQ(modals.shown, std::vector<QString>(3, "frmNewFile"));
    EXPECT_TRUE(board().received().isEmpty());
    EXPECT_EQ(programFolderFiles(), QStringList({"GATE.CVP", "PRESS.CVP", "VALVE.CVP"}));
}

// After a transfer the browser shows the program just worked on, in its own folder, as the
// current program: a new program an upload went into, a program chosen for a download.
TEST_F(TransferTest, TheBrowserShowsTheProgramJustTransferred)
{
    auto transferWindow = [](QDialog& d) { dynamic_cast<frmDownloadProg&>(d).exec(); };
    writeCompiledProgram("PUMP", imageHex(0x2000, 16));
    writeProgram("OLD", 56);
    const QString other = install.path("other");
    QDir().mkpath(other);
    browser().RefreshFileList(programPath("OLD.CVP"));

    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(other);
        f.cboNew->setCurrentIndex(frmNewFile::rowOfCode(56));
        f.txtNew->setText("VALVE");
        f.cmdOk_Click();
    }).then(transferWindow);
    prompts.answer(Answer::Yes).answerOk();
    main->mnuFileUploadProgram_Click();
    ASSERT_EQ(prompts.shown.back().text, "Program Upload Complete!");
    EXPECT_EQ(browser().folderPath(), other);
    EXPECT_EQ(browser().selectedFileName(), "VALVE.CVP");
    EXPECT_EQ(gProgramFile, other + "/VALVE.CVP");

    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::Yes).answerOk();
    modals.then(transferWindow);
    main->mnuFileDownloadProgram_Click();
    ASSERT_EQ(prompts.shown.back().text, "Program Download Complete!");
    EXPECT_EQ(browser().folderPath(), folder);
    EXPECT_EQ(browser().selectedFileName(), "PUMP.CVP");
    EXPECT_EQ(gProgramFile, programPath("PUMP.CVP"));
}

// Both roads through the main window: a new program of a controller board with configuration
// bytes is downloaded into the board, then uploaded into a second new program.
TEST_F(TransferTest, ANewProgramIsDownloadedThenUploadedIntoASecondNewProgram)
{
    RecordingToolLauncher tools;
    bool windowShown = false;
    std::vector<bool> timerRunning;
    auto transferWindow = [&windowShown, &timerRunning, this](QDialog& d) {
        auto& w = dynamic_cast<frmDownloadProg&>(d);
        timerRunning.push_back(main->tmrBackgroungUpdate->isActive());
        // The window's own modal loop: it runs the transfer when activated and closes itself.
        QTimer::singleShot(0, &w, [&w, &windowShown] { windowShown = w.isVisible(); });
        w.exec();
    };

    // File > New: the program, handed to the configuration tool.
    modals.then(newProgramStep("PUMP", 56));
    main->mnuFileNew_Click();
    ASSERT_EQ(install.readFile("progs/PUMP.CVP"), "8\r\n");
    ASSERT_EQ(tools.started.size(), 1u);
    EXPECT_EQ(tools.started[0].program, install.path("rdx3/vantor1.exe"));
    // What the configuration tool and the compiler leave behind.
    const QByteArray hex = imageHex(0x2000, 8192);
    writeCompiledProgram("PUMP", hex);
    const QByteArray rev = install.readFile("progs/PUMP.REV");
    const QByteArray lcf = install.readFile("progs/PUMP.LCF");

    // File > Download PLC Program.
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::Yes).answerOk();
    modals.then(transferWindow);
    main->mnuFileDownloadProgram_Click();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "Program Download - [PROG0001]");
    EXPECT_EQ(prompts.shown[1].text, "Program Download Complete!");
    EXPECT_TRUE(windowShown);
    EXPECT_TRUE(gRSComm->OnlineMode);
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());
    EXPECT_EQ(main->sbrPanel2->text(), "ONLINE");
    const SimBoard& b = board();
    for (long k = 0; k < 8192; ++k)
        ASSERT_EQ(b.memory[0x2000 + k], ((0x2000 + k) * 13 + 7) & 0xFF) << k;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&b.memory[kIdent]), 8), "PROG0001");
    EXPECT_EQ(b.memory[kIdent + 8], 0x1F);
    EXPECT_EQ(b.memory[kIdent + 9], 2);
    // LCF digits: C 1 -> 5 in B8188, B 7 in B8189, A 2 -> 5 in B8190.
    EXPECT_EQ(b.memory[8188], 5);
    EXPECT_EQ(b.memory[8189], 7);
    EXPECT_EQ(b.memory[8190], 5);

    // File > Upload PLC/PLS Program into a second new program.
    modals.then(newProgramStep("VALVE", 56)).then(transferWindow);
    prompts.answer(Answer::Yes).answerOk();
    windowShown = false;
    main->mnuFileUploadProgram_Click();
    ASSERT_EQ(prompts.shown.size(), 4u);
    EXPECT_EQ(prompts.shown[2].title, "Program Upload [VALVE]");
    EXPECT_EQ(prompts.shown[2].text, "You are about to upload the PLC Program           \r\nfrom the " +
                                         gRSComm->TargetboardName(56) + ".\r\n\r\nDo you wish to continue?");
    EXPECT_EQ(prompts.shown[2].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(prompts.shown[2].icon, Icon::Information);
    EXPECT_EQ(prompts.shown[3].text, "Program Upload Complete!");
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(tools.started.size(), 1u); // no tool for an upload
    EXPECT_EQ(install.readFile("progs/VALVE.CVP"), "8\r\n");
    EXPECT_EQ(install.readFile("progs/VALVE.rev"), rev);
    EXPECT_EQ(install.readFile("progs/VALVE.lcf"), lcf);
    EXPECT_EQ(install.readFile("progs/VALVE.hex"), hex);
    EXPECT_FALSE(gRSComm->InUploadMode());
    EXPECT_TRUE(gRSComm->OnlineMode);
    EXPECT_EQ(modals.shown, std::vector<QString>({"frmNewFile", "frmDownloadProg", "frmNewFile", "frmDownloadProg"}));
    // The status poll stays away from a download; an upload leaves it running (its ticks skip).
    EXPECT_EQ(timerRunning, std::vector<bool>({false, true}));
}
} // namespace
