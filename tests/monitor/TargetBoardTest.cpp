#include "SimCommPort.h"
#include "WorkspaceFixture.h"

#include "comm/RSComm.h"
#include "monitor/frmStatusTable.h"
#include "monitor/frmTargetBoard.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/ModalDialogs.h"
#include "platform/UpDownEdit.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <set>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '"' << l.join("\" \"").toStdString() << '"'; }

namespace {
using Accesses = std::vector<std::string>;

const QString kNoLink = QStringLiteral("Cannot Communicate with Target Board.");
const QString kCoCpuAdvice = QStringLiteral(
    "Replace CO-CPU board at \"CO-CPU Slot\" and try again.  If fault persists, peplace K7715 processor board and "
    "try again.  If fault persists, verify proper use of \"sfunc05/06/12\" in user program.");
const QString kCableAdvice = QStringLiteral(
    "Verify connection of cable between computer \"COM\" port and target board \"PROG PORT\".  Verify cable wiring "
    "and connectors.  If fault persists, replace target board and/or try a different computer.");
const QString kUserAdvice = QStringLiteral("User program executed an sfunc09() system fault function call.  See User "
                                           "program for details on source of fault and corrective action.");
const QString kInvalidAdvice = QStringLiteral(
    "Program is invalid.  Re-dump program to target board.  If fault persists, verify cable connections between "
    "computer and target board.  If fault persists, replace target board.");
const QString kResetAdvice = QStringLiteral("Reset fault and try again.  If fault persists, replace target board and "
                                            "try again.  See Corvane Manual for more details.");

// A main window on the simulated board, with a program of each board code the tests need.
class TargetBoardTest : public WorkspaceTest {
protected:
    TargetBoardTest()
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        install.writeFile(QStringLiteral("support/FaultErrCodes.txt"), "0a,Bad opcode\r\n0A,Second line\r\n");
        install.writeFile(QStringLiteral("support/CommErrCodes.txt"), "03,Framing error\r\n");
        for (int code : {49, 50, 54, 65})
            writeProgram(QStringLiteral("P%1").arg(code), code);
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        start(QStringLiteral("P49.CVP"), std::move(port));
        main->tmrBackgroungUpdate->stop();
        board().memory[8180] = 7;
        board().memory[8191] = 12;
        board().setClock({13, 5, 9, 7, 4, 26});
        setWallClock([this] { return now; });
    }
    ~TargetBoardTest() override { setWallClock(nullptr); }

    SimBoard& board() { return sim->board(); }
    // Opens the interface on program `base` and runs `step` inside the modal dialog; the loop is
    // started (the link goes on-line) and `passes` passes are made first.
    void open(const QString& base, int passes, const std::function<void(frmTargetBoard&)>& step)
    {
        modals.then([&](QDialog& d) {
            auto& f = dynamic_cast<frmTargetBoard&>(d);
            f.startMonitor();
            for (int i = 0; i < passes; ++i)
                f.pollPass();
            board().clearLog();
            step(f);
            f.cmdOk_Click();
        });
        main->procs.targetBoardInitializeForm(programPath(base + QStringLiteral(".CVP")));
        ASSERT_TRUE(modals.steps.empty());
    }
    static QString text(const frmTargetBoard& f, int box) { return f.txtTargetBoard[box]->toPlainText(); }

    SimCommPort* sim = nullptr;
    ScriptedModals modals;
    QDateTime now{QDate(2026, 7, 4), QTime(9, 8, 7)};
};

TEST_F(TargetBoardTest, OnDiskIdentityComesFromTheRevisionFile)
{
    struct Row {
        const char* rev; // nullptr: no REV file
        QString name, revision, checksum;
        bool dated;
    };
    const Row rows[] = {
        {nullptr, "-", "0", "0", false},
        {"", "-", "0", "0", false},
        {"0;1\r\n", "-", "0", "0", false}, // too short to hold the two pairs
        {"PROG0;15\r\n", "PROG", "21", "11", true},
    };
    writeProgramFile(QStringLiteral("P50.HEX"), ":00000001FF\r\n");
    for (const Row& row : rows) {
        QFile::remove(programPath(QStringLiteral("P50.REV")));
        if (row.rev)
            writeProgramFile(QStringLiteral("P50.REV"), row.rev);
        open(QStringLiteral("P50"), 0, [&](frmTargetBoard& f) {
            const QStringList shown{f.lblRevIdentOnDisk[0]->text(), f.lblRevIdentOnDisk[1]->text(),
                                    f.lblRevIdentOnDisk[2]->text()};
            EXPECT_EQ(shown, QStringList({row.name, row.revision, row.checksum})) << row.rev;
            EXPECT_EQ(f.lblRevIdentOnDisk[3]->text(), boardTables().TargetboardName(50));
            EXPECT_EQ(f.lblRevIdentOnDisk[4]->text() != QLatin1String("-"), row.dated) << row.rev;
        });
    }
    // An ident uploaded from a blank board (NUL bytes) is blank here too.
    writeProgramFile(QStringLiteral("P50.REV"), QByteArray("\0\0\0\0\0\0\0\0" "0102\r\n", 14));
    open(QStringLiteral("P50"), 0, [](frmTargetBoard& f) { EXPECT_EQ(f.lblRevIdentOnDisk[0]->text(), ""); });
    // A program that is gone shows no identity, not the last program's.
    open(QStringLiteral("GONE"), 0, [](frmTargetBoard& f) {
        for (QLabel* l : f.lblRevIdentOnDisk)
            EXPECT_TRUE(l->text() == QLatin1String("-") || l->text() == QLatin1String("0")) << l->text().toStdString();
    });
}

TEST_F(TargetBoardTest, EachOpeningStartsFromTheDesignValuesNotTheLastBoards)
{
    board().injectFault(10);
    board().setIdentity("PROGNAME", 11, 21);
    open(QStringLiteral("P50"), 1, [](frmTargetBoard& f) { EXPECT_EQ(f.lblRevIdentInPLC[0]->text(), "PROGNAME"); });
    open(QStringLiteral("P50"), 0, [](frmTargetBoard& f) {
        const QStringList shown{f.lblTargetBoard[0]->text(), f.lblTargetBoard[2]->text(), text(f, 0), text(f, 3),
                                f.lblRevIdentInPLC[0]->text(), f.lblRevIdentInPLC[2]->text(), f.lblCurrTime->text()};
        EXPECT_EQ(shown, QStringList({"Current Fault:", "CO-CPU Slot:", "", "", "-", "-", "XX : XX : XX"}));
    });
}

TEST_F(TargetBoardTest, PageLayoutFollowsTheBoardCode)
{
    struct Row {
        int code;
        bool slot, clock, address2;
        QString hour;
    };
    board().memory[8175] = 3;
    const Row rows[] = {
        {50, true, false, false, "-"},
        {54, false, true, false, "13"},
        {65, false, true, true, "13"},
        {49, false, false, false, "-"},
    };
    for (const Row& row : rows) {
        open(QStringLiteral("P%1").arg(row.code), 1, [&](frmTargetBoard& f) {
            EXPECT_EQ(f.slotLabelShown(), row.slot) << row.code;
            if (row.slot) {
                EXPECT_EQ(f.lblTargetBoard[2]->text(), "CO-CPU Slot: 3");
            }
            EXPECT_EQ(f.setupShown(1), row.address2) << row.code;
            EXPECT_TRUE(f.setupShown(0));
            EXPECT_EQ(f.txtSetup[0]->text(), "07");
            if (row.address2) {
                EXPECT_EQ(f.txtSetup[1]->text(), "12");
            }
            for (int i = 2; i < 8; ++i)
                EXPECT_EQ(f.txtSetup[i]->isEnabled(), row.clock) << row.code << " entry " << i;
            EXPECT_EQ(f.cmdSetToCurrTime->isEnabled(), row.clock);
            EXPECT_EQ(f.lblTargetBoardDate->isEnabled(), row.clock);
            EXPECT_EQ(f.txtSetup[2]->text(), row.hour);
            EXPECT_EQ(f.lblCurrDate->text(), "07 - 04 - 2026");
            EXPECT_EQ(f.lblCurrTime->text(), "09 : 08 : 07");
        });
    }
}

TEST_F(TargetBoardTest, WithoutABoardTheDialogShowsTheOffLineStateAndGoOnlineFillsIt)
{
    board().setSilentFrom(0);
    prompts.answer(Answer::Cancel);
    board().injectFault(10);
    open(QStringLiteral("P54"), 1, [&](frmTargetBoard& f) {
        EXPECT_FALSE(gRSComm->OnlineMode);
        for (int box : {0, 1, 3, 4, 5})
            EXPECT_EQ(text(f, box), kNoLink) << box;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(f.txtSetup[i]->isEnabled(), !f.setupShown(i)) << i; // a hidden entry stays as it was
        EXPECT_FALSE(f.cmdSetToCurrDate->isEnabled());
        EXPECT_FALSE(f.cmdResetFaults->isEnabled());
        EXPECT_FALSE(f.cmdGoOnline->isHidden());
        EXPECT_EQ(f.cmdGoOnline->text(), "&Go Online");

        board().setSilentFrom(-1);
        f.cmdGoOnline_Click();
        f.pollPass();
        EXPECT_EQ(text(f, 0), "Bad opcode");
        EXPECT_EQ(text(f, 3), kCoCpuAdvice);
        EXPECT_TRUE(f.txtSetup[2]->isEnabled());
        EXPECT_TRUE(f.cmdGoOnline->isHidden());
    });
}

TEST_F(TargetBoardTest, FaultPageShowsCodesDescriptionsAndAdvice)
{
    struct Row {
        int current, last, commCurrent, commLast;
        bool reset;
        QString advice;
    };
    const Row rows[] = {
        {10, 0x42, 3, 0, true, kCableAdvice}, {0, 0, 0, 0, false, "None"},     {0, 0x45, 0, 0, true, kUserAdvice},
        {0, 0x5C, 0, 0, true, kInvalidAdvice}, {0, 0x5D, 0, 0, true, kInvalidAdvice}, {0, 0x01, 0, 0, true, kCoCpuAdvice},
        {0, 0x3F, 0, 0, true, kCoCpuAdvice},  {0, 0x40, 0, 0, true, kResetAdvice}, {0, 0x7B, 0, 0, true, "None"},
        {0, 0, 0, 200, true, "None"},
    };
    for (const Row& row : rows) {
        board().memory[8176] = row.current;
        board().memory[8177] = row.last;
        board().memory[8179] = row.commCurrent;
        board().memory[8178] = row.commLast;
        open(QStringLiteral("P49"), 1, [&](frmTargetBoard& f) {
            EXPECT_EQ(text(f, 3), row.advice) << row.last;
            EXPECT_EQ(f.cmdResetFaults->isEnabled(), row.reset) << row.last;
            if (row.current == 10) {
                EXPECT_EQ(f.lblTargetBoard[0]->text(), "Current Fault: Code = 0AH");
                EXPECT_EQ(f.lblTargetBoard[1]->text(), "Last Fault: Code = 42H");
                EXPECT_EQ(f.lblTargetBoard[4]->text(), "Current Comm Error: Code = 03H");
                EXPECT_EQ(f.lblTargetBoard[5]->text(), "Last Comm Error: Code = 00H");
                // The first line of a code wins, without regard to case.
                EXPECT_EQ(text(f, 0), "Bad opcode");
                EXPECT_EQ(text(f, 4), "Framing error");
            }
        });
    }
}

TEST_F(TargetBoardTest, ResetFaultsWritesTheFourCodesOnlyOnYes)
{
    for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
        board().injectFault(10);
        board().injectCommError(3);
        prompts.answer(answer);
        open(QStringLiteral("P49"), 1, [&](frmTargetBoard& f) {
            f.cmdResetFaults_Click();
            const Accesses writes(board().accesses.begin(),
                                  board().accesses.begin() + std::min<std::size_t>(4, board().accesses.size()));
            if (answer == Answer::Yes) {
                EXPECT_EQ(writes, Accesses({"W8178=0", "W8179=0", "W8177=0", "W8176=0"}));
                // Read again: the codes are gone and the button stays off.
                EXPECT_EQ(board().accesses.at(4), "R8176");
                EXPECT_EQ(f.lblTargetBoard[0]->text(), "Current Fault: Code = 00H");
                EXPECT_FALSE(f.cmdResetFaults->isEnabled());
            } else {
                EXPECT_TRUE(board().accesses.empty());
                EXPECT_TRUE(f.cmdResetFaults->isEnabled());
            }
        });
        ASSERT_EQ(prompts.shown.back().title, "WARNING - Fault Code Reset!");
        EXPECT_EQ(prompts.shown.back().text, "Target Board will be reinitialized.\r\n\r\nDo you wish to continue?");
        EXPECT_EQ(prompts.shown.back().buttons, Buttons::YesNoCancel);
        EXPECT_EQ(prompts.shown.back().icon, Icon::Critical);
    }
}

TEST_F(TargetBoardTest, AfterAResetEveryCodeAndDescriptionIsTheBoardsNew)
{
    struct Row {
        bool duringFirstPass; // the click is queued while the first pass reads the codes
        const char* faultFile;
        QString description;
    };
    const Row rows[] = {
        {true, "00,No fault\r\n0A,Bad opcode\r\n", "No fault"},
        {true, "0A,Bad opcode\r\n", ""},
        {false, "0A,Bad opcode\r\n", ""}, // a code without a line shows no other code's description
    };
    board().setIdentity("PROGNAME", 11, 21);
    for (const Row& row : rows) {
        install.writeFile(QStringLiteral("support/FaultErrCodes.txt"), row.faultFile);
        board().injectFault(10);
        prompts.answer(Answer::Yes);
        open(QStringLiteral("P49"), row.duringFirstPass ? 0 : 1, [&](frmTargetBoard& f) {
            if (row.duringFirstPass) {
                bool queued = false;
                board().replyHook = [&](long, uint8_t, std::optional<uint8_t> reply) {
                    if (!queued && board().accesses.size() == 1) {
                        queued = true;
                        QMetaObject::invokeMethod(
                            &f, [&f] { f.cmdResetFaults->click(); }, Qt::QueuedConnection);
                    }
                    return reply;
                };
                f.pollPass();
                board().replyHook = nullptr;
                ASSERT_TRUE(queued);
            } else {
                f.cmdResetFaults_Click();
            }
            ASSERT_EQ(board().memory[8176], 0);
            const QStringList shown{f.lblTargetBoard[0]->text(), f.lblTargetBoard[1]->text(), text(f, 0), text(f, 1),
                                    text(f, 3), f.lblRevIdentInPLC[0]->text()};
            EXPECT_EQ(shown, QStringList({"Current Fault: Code = 00H", "Last Fault: Code = 00H", row.description,
                                          row.description, "None", "PROGNAME"}))
                << row.faultFile;
        });
    }
}

// The line drops out past the communication box, answered Retry, at one read of the first pass or of
// the set-up: the 55h that answers FFh sent again is no byte of the board's. Each part of the page
// keeps what it showed or shows the board's (no "Code = 55H" with its description, no "U" in the
// ident), and the next pass shows the board's everywhere.
TEST_F(TargetBoardTest, ALineThatDropsOutShowsOnlyWhatTheBoardHolds)
{
    struct Case {
        const char* what;
        int address, nth; // the nth read of the byte at address loses its reply
    };
    const Case cases[] = {
        {"current fault", 8176, 1},
        {"slot read after the codes", 8175, 2},
        {"ident character", 61426, 1},
        {"network address", 8180, 1},
    };
    install.writeFile(QStringLiteral("support/FaultErrCodes.txt"), "55,Not a fault of this board\r\n");
    board().setIdentity("PROGNAME", 11, 21);
    board().memory[8175] = 3;
    const QStringList boards{"Current Fault: Code = 00H", "", "CO-CPU Slot: 3", "PROGNAME", "07"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(QStringLiteral("P50"), 0, [&](frmTargetBoard& f) {
            auto page = [&f] {
                return QStringList{f.lblTargetBoard[0]->text(), text(f, 0), f.lblTargetBoard[2]->text(),
                                   f.lblRevIdentInPLC[0]->text(), f.txtSetup[0]->text()};
            };
            const QStringList before = page();
            dropOutAt(board(), c.address, c.nth);
            prompts.answer(Answer::Retry);
            f.pollPass();
            const QStringList shown = page();
            for (int i = 0; i < shown.size(); ++i)
                EXPECT_TRUE(shown[i] == before[i] || shown[i] == boards[i]) << shown[i].toStdString();
            EXPECT_FALSE(gRSComm->CommError);
            f.pollPass();
            EXPECT_EQ(page().join(" | "), boards.join(" | "));
        });
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
}

TEST_F(TargetBoardTest, ASetupEntryIsCheckedAndWrittenOnceWhenChanged)
{
    struct Row {
        const char* typed;
        Accesses written;
    };
    const Row rows[] = {
        {"33", {}}, {"0", {}}, {"12.7", {}}, {"x", {}}, {"07", {}}, {"5", {"W8180=5"}}, {" 32", {"W8180=32"}},
    };
    for (const Row& row : rows) {
        const std::size_t boxes = prompts.shown.size();
        const bool refused = row.written.empty() && QLatin1String(row.typed) != QLatin1String("07");
        if (refused)
            prompts.answerOk();
        open(QStringLiteral("P49"), 1, [&](frmTargetBoard& f) {
            f.txtSetup_GotFocus(0);
            f.txtSetup[0]->setText(QString::fromLatin1(row.typed));
            f.txtSetup_LostFocus(0);
            f.txtSetup_LostFocus(0); // the validation and the loss of focus both leave the entry
            Accesses writes;
            for (const auto& a : board().accesses)
                if (a[0] == 'W')
                    writes.push_back(a);
            EXPECT_EQ(writes, row.written) << row.typed;
            if (refused) {
                EXPECT_EQ(f.txtSetup[0]->text(), "7") << row.typed;
            }
        });
        ASSERT_EQ(prompts.shown.size(), boxes + (refused ? 1 : 0)) << row.typed;
        if (refused) {
            EXPECT_EQ(prompts.shown.back().text, "Only a Number Between 1 and 32 can be Entered");
            EXPECT_EQ(prompts.shown.back().title, "Set-upCurrent Network Address 1:");
            EXPECT_EQ(prompts.shown.back().icon, Icon::Information);
        }
    }
}

TEST_F(TargetBoardTest, EscapeRestoresThenLeavesAndTheSpinnerWrites)
{
    open(QStringLiteral("P54"), 1, [&](frmTargetBoard& f) {
        f.txtSetup_GotFocus(2);
        f.txtSetup[2]->setText(QStringLiteral("9"));
        QTest::keyClick(f.txtSetup[2]->edit(), Qt::Key_Escape);
        EXPECT_EQ(f.txtSetup[2]->text(), "13");
        board().memory[43012] = 5;
        f.pollPass();
        EXPECT_EQ(f.txtSetup[2]->text(), "13"); // still being edited
        QTest::keyClick(f.txtSetup[2]->edit(), Qt::Key_Escape);
        f.txtSetup_LostFocus(2);
        f.pollPass();
        EXPECT_EQ(f.txtSetup[2]->text(), "05");

        board().clearLog();
        f.txtSetup[4]->stepBy(1);
        f.txtSetup[4]->stepBy(0); // no change, no write
        EXPECT_EQ(board().accesses, Accesses({"W43008=10"}));
    });
}

TEST_F(TargetBoardTest, SetToCurrentTimeAndDateWriteOneReadingOfThePcClock)
{
    open(QStringLiteral("P65"), 0, [&](frmTargetBoard& f) {
        // The clock turns over between two readings: each button may use one reading only.
        QDateTime next(QDate(2026, 12, 31), QTime(23, 59, 59));
        setWallClock([&next] {
            const QDateTime t = next;
            next = next.addSecs(1);
            return t;
        });
        f.cmdSetToCurrTime_Click();
        f.cmdSetToCurrDate_Click();
        EXPECT_EQ(board().accesses,
                  Accesses({"W43012=23", "W43010=59", "W43008=59", "W43016=1", "W43015=1", "W43017=27"}));
    });
}

TEST_F(TargetBoardTest, BoardValuesArePaddedNotCut)
{
    board().memory[8180] = 120;
    open(QStringLiteral("P49"), 1, [&](frmTargetBoard& f) { EXPECT_EQ(f.txtSetup[0]->text(), "120"); });
}

TEST_F(TargetBoardTest, OkDuringTheFirstPassEndsTheLoopAtItsNextRead)
{
    modals.then([&](QDialog& d) {
        auto& f = dynamic_cast<frmTargetBoard&>(d);
        board().clearLog();
        board().replyHook = [&](long, uint8_t, std::optional<uint8_t> reply) {
            if (board().accesses.size() == 1)
                f.cmdOk_Click();
            return reply;
        };
        f.Form_Activate(); // returns when the loop has ended
        EXPECT_FALSE(f.running());
    });
    main->procs.targetBoardInitializeForm(programPath(QStringLiteral("P49.CVP")));
    board().replyHook = nullptr;
    EXPECT_EQ(board().accesses, Accesses({"R8176"}));
}

TEST_F(TargetBoardTest, ACommunicationErrorDuringAPassShowsTheOffLineDisplay)
{
    open(QStringLiteral("P49"), 1, [&](frmTargetBoard& f) {
        board().setSilentFrom(board().receivedCount());
        prompts.answer(Answer::Cancel);
        f.pollPass();
        f.pollPass();
        EXPECT_FALSE(gRSComm->OnlineMode);
        EXPECT_EQ(text(f, 0), kNoLink);
        EXPECT_FALSE(f.cmdGoOnline->isHidden());
        EXPECT_EQ(main->sbrPanel2->text(), "OFFLINE");
    });
}

TEST_F(TargetBoardTest, AnUnreadableCodeFileIsReportedOncePerOnLinePeriod)
{
    QFile::remove(install.path(QStringLiteral("support/FaultErrCodes.txt")));
    QDir().mkpath(install.path(QStringLiteral("support/FaultErrCodes.txt")));
    prompts.answerOk();
    open(QStringLiteral("P49"), 3, [](frmTargetBoard&) {});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "TargetBoard FirstPass");
}

TEST_F(TargetBoardTest, ToolbarAndViewMenuOpenTheInterface)
{
    // The toolbar works on the browser's selection; the menu's open dialog cancelled keeps the
    // current program.
    std::vector<QString> opened;
    for (int i = 0; i < 2; ++i)
        modals.then([&](QDialog& d) {
            opened.push_back(dynamic_cast<frmTargetBoard&>(d).lblRevIdentOnDisk[3]->text());
        });
    EXPECT_TRUE(main->Toolbar1Buttons[18]->isEnabled());
    main->Toolbar1_ButtonClick(18);
    dialogs.answers.push_back(std::nullopt);
    main->mnuViewTargetBoardStatus->trigger();
    EXPECT_EQ(opened, std::vector<QString>(2, boardTables().TargetboardName(49)));
    EXPECT_EQ(modals.shown, std::vector<QString>(2, QStringLiteral("frmTargetBoard")));
}
TEST_F(TargetBoardTest, AStatusTableUnderneathWaitsWhileTheDialogIsOpen)
{
    // Both windows run for real here: the table's loop from its activation, the dialog's modal
    // loop with its polling loop inside the table's yield.
    setModalRunner(nullptr);
    main->mnuViewOnline_Click();
    main->tmrBackgroungUpdate->start();
    main->mnuToolsStatusTable_Click();
    frmStatusTable* table = frmStatusTable::existing();
    ASSERT_NE(table, nullptr);
    table->fgStatus->setTextMatrix(2, 1, QStringLiteral("B100"));
    Accesses whileOpen, after;
    QEventLoop test;
    QTimer::singleShot(100, table, [&] {
        board().clearLog();
        QTimer::singleShot(300, table, [&] {
            whileOpen = board().accesses;
            auto* dialog = main->findChild<frmTargetBoard*>();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(QApplication::activeModalWidget(), dialog);
            dialog->cmdOk->click();
        });
        main->Toolbar1_ButtonClick(18);
        board().clearLog();
        QTimer::singleShot(100, table, [&] {
            after = board().accesses;
            // Closing the table ends its loop, which runs inside this test's event loop; its row
            // is not kept.
            prompts.answer(Answer::No);
            table->parentWidget()->close();
            test.quit();
        });
    });
    test.exec();
    // Meanwhile only the dialog's reads and the status poll's (B8176) were on the line.
    std::set<std::string> dialogReads{"R8175", "R8176", "R8177", "R8178", "R8179", "R8180", "R8191"};
    for (int a : {43008, 43010, 43012, 43015, 43016, 43017})
        dialogReads.insert("R" + std::to_string(a));
    for (int k = 0; k < 10; ++k)
        dialogReads.insert("R" + std::to_string(61424 + k));
    ASSERT_FALSE(whileOpen.empty());
    for (const auto& access : whileOpen)
        EXPECT_TRUE(dialogReads.count(access)) << access;
    EXPECT_GT(std::count(whileOpen.begin(), whileOpen.end(), "R8180"), 1); // the dialog polls
    EXPECT_GT(std::count(after.begin(), after.end(), "R100"), 1);         // and the table again after
}
} // namespace
