#include "SimCommPort.h"
#include "WorkspaceFixture.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/UpDownEdit.h"
#include "workspace/DataTransfer.h"
#include "workspace/frmDataXfr.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

constexpr uint8_t kUntouched = 0xEE;

// Addresses of the byte exchanges on the board's wire log: writes (mode 02h triples) or reads
// (mode 01h pairs), in order. An FFh followed by a mode byte starts a mode; a lone FFh (the
// opening byte, a resend) is passed over.
std::vector<int> exchangedAddresses(const SimBoard& board, int wantedMode)
{
    const QByteArray r = board.received();
    std::vector<int> out;
    int mode = 0;
    for (qsizetype i = 0; i < r.size();) {
        const auto c = static_cast<uint8_t>(r[i]);
        const auto next = i + 1 < r.size() ? static_cast<uint8_t>(r[i + 1]) : 0;
        if (c == 0xFF) {
            if (next >= 1 && next <= 3) {
                mode = next;
                i += 2;
            } else {
                ++i;
            }
            continue;
        }
        const int size = mode == 2 ? 3 : 2;
        if (i + size - 1 < r.size() && mode == wantedMode)
            out.push_back(c << 8 | next);
        i += size;
    }
    return out;
}

// The MarkHEX line of bytes b(first)..b(last) of `memory`, as an LDT file holds it.
QByteArray ldtOf(const std::array<uint8_t, 65536>& memory, int first, int last)
{
    std::vector<int> bytes(memory.begin() + first, memory.begin() + last + 1);
    return ldtLine(bytes).toLatin1() + "\r\n";
}

class DataTransferTest : public WorkspaceTest {
protected:
    DataTransferTest()
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        auto port = std::make_unique<SimCommPort>();
        sim = port.get();
        start({}, std::move(port));
        board().memory.fill(kUntouched);
    }
    ~DataTransferTest() override { gDataXferMode = 0; }
    SimBoard& board() { return sim->board(); }
    // A fresh start for the next case: the board's memory marked, its log empty, and the link
    // opened again so that the next exchange begins with its handshake.
    void resetBoard()
    {
        board().memory.fill(kUntouched);
        board().clearLog();
        main->mnuViewOffline_Click();
        main->mnuViewOnline_Click();
    }

    // Mode 4 straight through the wait display, on-line, as the range dialog's OK starts it.
    void transfer(int mode, int code, int from, int to, const QString& file = QStringLiteral("PUMP.LDT"))
    {
        if (!gRSComm->OnlineMode)
            main->mnuViewOnline_Click();
        ASSERT_TRUE(gRSComm->OnlineMode);
        gDataXferMode = mode;
        gDataXferBoardType = code;
        gDataXferFrom = from;
        gDataXferTo = to;
        gDataXferFile = programPath(file);
        ShowWaitDisplay(4);
    }
    // A board memory of recognisable bytes (never FFh, which the board cannot take as data start).
    void fillPattern(int first, int last, int seed)
    {
        for (int a = first; a <= last; ++a)
            board().memory[a] = static_cast<uint8_t>((a * 7 + seed) % 250);
    }
    // A step of the range dialog: Standard, OK.
    static void standardOk(QDialog& d) { dynamic_cast<frmDataXfr&>(d).cmdOk_Click(); }

    SimCommPort* sim = nullptr;
    ScriptedModals modals;
};

TEST_F(DataTransferTest, ACodeFiftyStandardDownloadWritesTheFileAndSkipsTheReservedBlock)
{
    writeProgram("PUMP", 50);
    std::array<uint8_t, 65536> image{};
    for (int a = 0; a <= 8175; ++a)
        image[a] = static_cast<uint8_t>(a % 251);
    writeProgramFile("PUMP.LDT", ldtOf(image, 0, 8175));
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::Yes);
    modals.then(standardOk);
    main->mnuFileDownloadData_Click();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Data Download [PUMP]");
    EXPECT_EQ(prompts.shown[0].text, "You are about to download data to the " + gRSComm->TargetboardName(50) +
                                         ".      \r\n\r\nFile data will be written to memory.\r\n\r\n"
                                         "Do you wish to continue?");
    EXPECT_EQ(modals.shown, std::vector<QString>{"frmDataXfr"});
    std::vector<int> expected;
    for (int a = 32; a <= 8175; ++a)
        if (a < 156 || a > 511)
            expected.push_back(a);
    EXPECT_EQ(exchangedAddresses(board(), 2), expected);
    for (int a = 0; a <= 8175; ++a) {
        const bool written = a >= 32 && (a < 156 || a > 511);
        ASSERT_EQ(board().memory[a], written ? image[a] : kUntouched) << "B" << a;
    }
    EXPECT_TRUE(main->tmrBackgroungUpdate->isActive());
}

TEST_F(DataTransferTest, AnUploadRewritesTheRangeAndKeepsTheRestOfTheFile)
{
    writeProgram("PUMP", 52);
    fillPattern(70, 219, 3);
    std::array<uint8_t, 65536> old{};
    for (int a = 70; a <= 219; ++a)
        old[a] = static_cast<uint8_t>(255 - a);
    for (const bool withFile : {true, false}) {
        SCOPED_TRACE(withFile ? "existing file" : "no file");
        QFile::remove(programPath("PUMP.LDT"));
        if (withFile)
            writeProgramFile("PUMP.LDT", ldtOf(old, 70, 219));
        transfer(2, 52, 100, 120);
        std::array<uint8_t, 65536> expected{};
        for (int a = 70; a <= 219; ++a)
            expected[a] = a >= 100 && a <= 120 ? board().memory[a] : withFile ? old[a] : 0;
        const QByteArray bytes = install.readFile("progs/PUMP.LDT");
        EXPECT_EQ(bytes, ldtOf(expected, 70, 219));
        // MarkHEX in capitals: no A-F, no small letters.
        EXPECT_FALSE(bytes.contains('A') || bytes.contains('F') || bytes.contains('a'));
    }
}

TEST_F(DataTransferTest, UploadThenDownloadRestoresTheBoard)
{
    writeProgram("PUMP", 52);
    fillPattern(0, 300, 11);
    const auto original = board().memory;
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::Yes);
    modals.then(standardOk);
    main->mnuFileUploadData_Click();
    EXPECT_EQ(prompts.shown.back().title, "Data Upload [PUMP]");
    EXPECT_EQ(prompts.shown.back().text, "You are about to upload data from the " + gRSComm->TargetboardName(52) +
                                             ".      \r\n\r\nFile data will be saved from memory.\r\n\r\n"
                                             "Do you wish to continue?");
    ASSERT_TRUE(QFileInfo::exists(programPath("PUMP.ldt")));

    fillPattern(70, 219, 99);
    dialogs.answers.push_back(programPath("PUMP.CVP"));
    prompts.answer(Answer::Yes);
    modals.then(standardOk);
    main->mnuFileDownloadData_Click();
    EXPECT_EQ(board().memory, original);
}

TEST_F(DataTransferTest, CancelOrALinkFailureStopsAtTheNextAddress)
{
    enum class Fault { Cancel, Silence };
    struct Case {
        const char* name;
        int mode;
        Fault fault;
    };
    const Case cases[] = {{"download cancelled", 1, Fault::Cancel},
                          {"download silenced", 1, Fault::Silence},
                          {"upload cancelled", 2, Fault::Cancel},
                          {"upload silenced", 2, Fault::Silence}};
    writeProgram("PUMP", 52);
    std::array<uint8_t, 65536> image{};
    for (int a = 70; a <= 219; ++a)
        image[a] = static_cast<uint8_t>(a);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board().memory.fill(kUntouched);
        board().clearLog();
        const long logged = board().receivedCount();
        board().setSilentFrom(-1);
        gRSComm->CommError = false;
        main->mnuViewOnline_Click();
        writeProgramFile("PUMP.LDT", ldtOf(image, 70, 219));
        if (c.mode == 2)
            QFile::remove(programPath("PUMP.LDT"));
        // The sixth address starts after the handshake and five exchanges.
        const int exchange = c.mode == 1 ? 3 : 2;
        const long sixth = board().receivedCount() + 2 + 5 * exchange;
        SimBoard* b = &board();
        b->replyHook = [=](long index, uint8_t, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
            if (index == sixth - 1 && c.fault == Fault::Cancel)
                frmWaitDisplay::current()->cmdCancel_Click();
            return reply;
        };
        if (c.fault == Fault::Silence) {
            b->setSilentFrom(sixth);
            prompts.answer(Answer::Cancel);
        }
        transfer(c.mode, 52, 70, 219);
        b->replyHook = nullptr;
        const auto addresses = exchangedAddresses(board(), c.mode == 1 ? 2 : 1);
        // Five whole exchanges, then at most the sixth.
        ASSERT_GE(addresses.size(), 5u);
        EXPECT_EQ(addresses[4], 74);
        EXPECT_LE(addresses.size(), 6u);
        if (c.mode == 1) {
            // No byte of the board but the five written is touched; once the board falls silent,
            // nothing goes out but FFh sent again.
            for (int a = 0; a <= 65535; ++a)
                ASSERT_EQ(board().memory[a], a >= 70 && a <= 74 ? image[a] : kUntouched) << "B" << a;
            if (c.fault == Fault::Silence) {
                EXPECT_EQ(hexBytes(board().received().mid(sixth - logged)), "00 FF FF");
            }
        } else {
            EXPECT_FALSE(QFileInfo::exists(programPath("PUMP.LDT")));
        }
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
}

// The display is brought up to date only now and then while a transfer runs; when it ends it
// shows the line of the last address and the bar as far as it went.
TEST_F(DataTransferTest, ATransferEndsShowingItsLastAddressAndItsProgress)
{
    struct Case {
        int mode;
        const char* line;
        int bar; // of the range 0 to gDataXferTo + 1
    };
    const Case cases[] = {{2, "Uploaded 119 from B219", 220}, {1, "Downloading 219 to B219", 220},
                          {3, "Downloading 3 to W104", 3}};
    writeProgram("PUMP", 52);
    std::array<uint8_t, 65536> image{};
    for (int a = 70; a <= 219; ++a)
        image[a] = static_cast<uint8_t>(a);
    board().memory[219] = 119;
    writeProgramFile("VALUES.TXT", "1\r\n2\r\n3\r\n");
    frmWaitDisplay::SetupFileDownload(QStringLiteral("W100"));
    main->mnuViewOnline_Click();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeProgramFile("PUMP.LDT", ldtOf(image, 70, 219));
        gDataXferMode = c.mode;
        gDataXferBoardType = 52;
        gDataXferFrom = c.mode == 3 ? 0 : 70;
        gDataXferTo = c.mode == 3 ? 3 : 219;
        gDataXferFile = programPath(c.mode == 3 ? "VALUES.TXT" : "PUMP.LDT");
        gWaitDisplayMode = 4;
        frmWaitDisplay w;
        w.Form_Load();
        w.show();
        const QSize labelMax = w.lblWaitDisplay->maximumSize();
        TransferData(w);
        EXPECT_EQ(w.lblWaitDisplay->text(), c.line);
        EXPECT_EQ(w.pbrWaitDisplay->value(), c.bar);
        // The label is held at its size only while the transfer runs.
        EXPECT_EQ(w.lblWaitDisplay->maximumSize(), labelMax);
    }
}

TEST_F(DataTransferTest, AWrongEchoStopsTheTransferThereWithABox)
{
    struct Case {
        int mode;
        const char* start; // datafile starting address
        const char* text;
    };
    const Case cases[] = {
        {1, nullptr, "Data Download Not Complete!\r\n\r\nWriting B75 failed; the download stopped there."},
        {2, nullptr, "Data Upload Not Complete!\r\n\r\nReading B75 failed; PUMP.LDT not changed."},
        {3, "B70", "Datafile Download Not Complete!\r\n\r\nWriting B75 failed; the download stopped there."},
        {3, "W70", "Datafile Download Not Complete!\r\n\r\nWriting W74 failed; the download stopped there."},
    };
    writeProgram("PUMP", 52);
    std::array<uint8_t, 65536> image{};
    for (int a = 70; a <= 219; ++a)
        image[a] = static_cast<uint8_t>(a);
    const QByteArray ldt = ldtOf(image, 70, 219);
    writeProgramFile("VALUES.TXT", "1,2,3,4,5,6,7,8,9,10\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        resetBoard();
        writeProgramFile("PUMP.LDT", ldt);
        fillPattern(70, 219, 5);
        SimBoard* b = &board();
        if (c.mode == 2) {
            // The echo of the sixth read's high byte, after the read handshake, and of its repeat
            // after a handshake of its own.
            const long echo = b->receivedCount() + 2 + 5 * 2;
            b->corruptReplyAt(echo, 0x77);
            b->corruptReplyAt(echo + 3, 0x77);
        } else {
            // Every store to B75 is echoed wrong, the repeat's too.
            b->replyHook = [b, seen = b->accesses.size()](long, uint8_t byte,
                                                          std::optional<uint8_t> reply) mutable -> std::optional<uint8_t> {
                const bool stored = b->accesses.size() != seen && b->accesses.back().rfind("W75=", 0) == 0;
                seen = b->accesses.size();
                return stored ? std::optional<uint8_t>(byte ^ 0x10) : reply;
            };
        }
        prompts.answerOk();
        const std::size_t boxesBefore = prompts.shown.size();
        if (c.mode == 3) {
            dialogs.answers.push_back(programPath("VALUES.TXT"));
            prompts.answerInput(QString::fromLatin1(c.start));
            main->mnuFileDownloadFile_Click();
        } else {
            transfer(c.mode, 52, 70, 219);
        }
        b->replyHook = nullptr;
        EXPECT_EQ(prompts.unanswered(), 0u);
        ASSERT_GT(prompts.shown.size(), boxesBefore) << "no box";
        EXPECT_EQ(prompts.shown.back().text, c.text);
        EXPECT_EQ(prompts.shown.back().title, "TransferData");
        if (c.mode == 2) {
            // Both reads of B75 end at its high byte's echo.
            ASSERT_FALSE(board().accesses.empty());
            EXPECT_EQ(board().accesses.back(), "R74");
            EXPECT_EQ(install.readFile("progs/PUMP.LDT"), ldt);
        } else {
            const std::vector<int> addresses = exchangedAddresses(board(), 2);
            ASSERT_FALSE(addresses.empty());
            EXPECT_EQ(addresses.back(), 75);
            EXPECT_EQ(board().memory[76], (76 * 7 + 5) % 250);
        }
    }
}

// One answer garbled or held up on the line costs one more read of that byte, not the upload: the
// file is written whole, with the board's bytes.
TEST_F(DataTransferTest, AnUploadReadsAByteWhoseReadFailedOnceMore)
{
    writeProgram("PUMP", 52);
    for (const bool held : {true, false}) {
        SCOPED_TRACE(held ? "echo held" : "echo garbled");
        scaleTimeouts(1, 10); // answers are late from 45 ms and lost from 100 ms; the held one comes at 60 ms
        resetBoard();
        QFile::remove(programPath("PUMP.LDT"));
        fillPattern(70, 219, 9);
        // The echo of B200's address high byte, after the read handshake and the reads before it.
        const long echo = board().receivedCount() + 2 + (200 - 70) * 2;
        if (held)
            board().delayRepliesFrom(echo, 60, 1);
        else
            board().corruptReplyAt(echo, 0x77);
        const std::size_t boxes = prompts.shown.size();
        transfer(2, 52, 70, 219);
        EXPECT_EQ(prompts.shown.size(), boxes);
        EXPECT_EQ(install.readFile("progs/PUMP.LDT"), ldtOf(board().memory, 70, 219));
    }
}

// The line drops out past the communication box, answered Retry, at the reply to B85's low address
// byte (55h). An upload reads the byte once more and puts the board's byte into the file. A download
// writes the value again: the 55h that answers FFh sent again would pass for the echo of that byte,
// and the FFh that the board took as the data byte would stay in the board.
TEST_F(DataTransferTest, ALineThatDropsOutPutsNoByteTheBoardNeverHeldIntoTheFileOrTheBoard)
{
    const int modes[] = {2, 1, 3};
    writeProgram("PUMP", 52);
    const QByteArray ldt = ldtOf({}, 70, 219); // B85 is 0
    writeProgramFile("VALUES.TXT", "0\r\n");
    for (const int mode : modes) {
        SCOPED_TRACE(mode);
        resetBoard();
        writeProgramFile("PUMP.LDT", ldt);
        const std::size_t boxes = prompts.shown.size();
        dropOutAt(board(), 85);
        prompts.answer(Answer::Retry);
        if (mode == 3) {
            dialogs.answers.push_back(programPath("VALUES.TXT"));
            prompts.answerInput(QStringLiteral("B85"));
            main->mnuFileDownloadFile_Click();
        } else {
            transfer(mode, 52, 85, 85);
        }
        EXPECT_EQ(prompts.unanswered(), 0u);
        ASSERT_GE(prompts.shown.size(), boxes + 1);
        EXPECT_EQ(prompts.shown.back().title, QStringLiteral("WARNING - Communication Error!"));
        if (mode == 2) {
            std::array<uint8_t, 65536> uploaded{};
            uploaded[85] = kUntouched;
            EXPECT_EQ(install.readFile("progs/PUMP.LDT"), ldtOf(uploaded, 70, 219));
        } else {
            EXPECT_EQ(board().memory[85], 0);
        }
    }
}

TEST_F(DataTransferTest, ADownloadWritesOnlyWhatACheckedFileHolds)
{
    struct Case {
        const char* name;
        QByteArray file; // null: no file
        int written;
        const char* box;
    };
    const QByteArray full = QByteArray("0102") + QByteArray(296, '0');
    const Case cases[] = {
        {"ten pairs", "0:0;0<0=0>0?1:1;1<1=\r\n", 10, nullptr},
        {"plain hexadecimal digits", " 0A0b \r\n", 2, nullptr},
        {"missing", QByteArray(), 0, "Unable to Open Data File,\r\nFile Does Not Exist."},
        {"empty", "\r\n", 0, "Unable to Open Data File."},
        {"odd length", "0:0", 0, "It holds an odd number of digits."},
        {"not a digit", "0:0G", 0, "Byte 2 is not written in hexadecimal digits."},
        {"longer than the image", full + "00", 0, "It holds 151 bytes; the board's image has 150."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetBoard();
        QFile::remove(programPath("PUMP.LDT"));
        if (!c.file.isNull())
            writeProgramFile("PUMP.LDT", c.file);
        const std::size_t boxes = prompts.shown.size();
        if (c.box)
            prompts.answerOk();
        transfer(1, 52, 70, 219);
        EXPECT_EQ(exchangedAddresses(board(), 2).size(), static_cast<std::size_t>(c.written));
        EXPECT_EQ(board().memory[70 + c.written], kUntouched);
        ASSERT_EQ(prompts.shown.size(), boxes + (c.box ? 1 : 0));
        if (c.box) {
            EXPECT_TRUE(prompts.shown.back().text.endsWith(c.box)) << prompts.shown.back().text.toStdString();
            EXPECT_EQ(prompts.shown.back().title, "Data Download");
        }
    }
    EXPECT_EQ(board().memory[70], kUntouched);
}

TEST_F(DataTransferTest, ADatafileIsCheckedWholeThenWrittenToConsecutiveAddresses)
{
    struct Case {
        const char* start;
        QByteArray file;
        std::vector<std::pair<int, int>> written; // byte address, value
        const char* box;
        const char* title;
    };
    const char* dl = "Download Datafile";
    const Case cases[] = {
        {"w100", "1\r\n2\r\n3\r\n\r\n", {{100, 1}, {101, 0}, {102, 2}, {104, 3}, {105, 0}}, nullptr, nullptr},
        {"B40", "7, +008\r\n-0\r\n", {{40, 7}, {41, 8}, {42, 0}}, nullptr, nullptr},
        {"W100", "1\r\n70000\r\n3\r\n", {{100, 1}, {102, kUntouched}, {104, 3}}, "Error:\rEntry out of Range (0-65,535).",
         "ENTRY ALERT"},
        {"B40", "1,300,3\r\n", {{40, 1}, {41, kUntouched}, {42, 3}}, "Error:\rEntry out of Range (0-255).", "ENTRY ALERT"},
        {"W101", "1\r\n", {{101, kUntouched}}, "Address W101 is invalid or out of range.", dl},
        {"D101", "1\r\n", {{101, kUntouched}}, "Address D101 is invalid or out of range.", dl},
        {"B31", "1\r\n", {{31, kUntouched}}, "Address B31 is out of range.", dl},
        {"B12.1", "1\r\n", {{12, kUntouched}}, "Only Byte (Bxxx) or Word (Wyyy) variable types allowed.", dl},
        {"X100", "1\r\n", {{100, kUntouched}}, "Only Byte (Bxxx) or Word (Wyyy) variable types allowed.", dl},
        {"B1O0", "1\r\n", {{100, kUntouched}}, "Only Byte (Bxxx) or Word (Wyyy) variable types allowed.", dl},
        {"B100", "1\r\n2x\r\n3\r\n", {{100, kUntouched}}, "Item 2 of the datafile, \"2x\", is not a whole number.", dl},
        {"B100", "1\r\n\r\n3\r\n", {{100, kUntouched}}, "Item 2 of the datafile, \"\", is not a whole number.", dl},
        {"W65532", "1,2,3\r\n", {{65532, kUntouched}}, "The datafile's 3 values from W65532 run past address 65535.",
         dl},
        {"D6", "1\r\n", {{6, kUntouched}}, nullptr, nullptr},
        {"B5", "1\r\n", {{5, kUntouched}}, nullptr, nullptr},
        {"", "1\r\n", {}, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        SCOPED_TRACE(c.file.toStdString());
        resetBoard();
        writeProgramFile("VALUES.TXT", c.file);
        dialogs.answers.push_back(programPath("VALUES.TXT"));
        prompts.answerInput(QString::fromLatin1(c.start));
        if (c.box)
            prompts.answerOk();
        const std::size_t boxes = prompts.shown.size();
        main->mnuFileDownloadFile_Click();
        EXPECT_EQ(dialogs.requests.back().filter, "Text Files(*.txt)|*.txt|");
        EXPECT_EQ(prompts.shown[boxes].text, "Please Enter Starting Address.");
        EXPECT_EQ(prompts.shown[boxes].title, "Datafile Download");
        ASSERT_EQ(prompts.shown.size(), boxes + 1 + (c.box ? 1 : 0));
        if (c.box) {
            EXPECT_TRUE(prompts.shown.back().text.startsWith(c.box)) << prompts.shown.back().text.toStdString();
            EXPECT_EQ(prompts.shown.back().title, c.title);
        }
        for (const auto& [address, value] : c.written)
            EXPECT_EQ(board().memory[address], value) << "B" << address;
        const bool sends = c.written.size() > 1 || (c.box && QByteArray(c.title) == "ENTRY ALERT");
        EXPECT_EQ(!exchangedAddresses(board(), 2).empty(), sends);
    }
    // The next datafile download starts on the last file chosen.
    EXPECT_EQ(dialogs.requests.back().fileName, programPath("VALUES.TXT"));
}

TEST_F(DataTransferTest, TheRangeDialogRefusesWhatIsNotARangeOfTheBoard)
{
    gDataXferBoardType = 52;
    gDataXferMode = 2;
    writeProgram("PUMP", 52);
    gProgramFile = programPath("PUMP.CVP");
    struct Case {
        const char* from;
        const char* to;
        int box; // the box checked
        const char* message;
        const char* fromAfter;
        const char* toAfter;
    };
    const Case cases[] = {
        {"50", "100", 0, "Entry is out of Range (70-219)", "70", "100"},
        {"80", "300", 1, "Entry is out of Range (70-219)", "80", "219"},
        {"abc", "100", 0, "Only Numerical Data Allowed.", "abc", "100"},
        {"", "100", 0, "Only Numerical Data Allowed.", "", "100"},
        {"12.5", "100", 0, "Please Use Whole Numbers Only.", "12.5", "100"},
        {"150", "100", 1, "'To' must not be below 'From'.", "150", "100"},
        // The order is refused in To: From is checked on its own.
        {"300", "100", 0, "Entry is out of Range (70-219)", "70", "100"},
        {"80", "100", 1, nullptr, "80", "100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to);
        frmDataXfr dialog;
        dialog.Form_Load();
        EXPECT_EQ(dialog.windowTitle(), "Target Board Data Upload - [PUMP.CVP]");
        EXPECT_FALSE(dialog.txtRange[0]->isEnabled());
        dialog.optRange_Click(1);
        EXPECT_EQ(dialog.txtRange[0]->text(), "70");
        EXPECT_EQ(dialog.txtRange[1]->text(), "219");
        dialog.txtRange[0]->setText(c.from);
        dialog.txtRange[1]->setText(c.to);
        if (c.message)
            prompts.answerOk();
        const std::size_t boxes = prompts.shown.size();
        EXPECT_EQ(dialog.txtRange_LostFocus(c.box), c.message == nullptr);
        if (c.message) {
            ASSERT_EQ(prompts.shown.size(), boxes + 1);
            EXPECT_EQ(prompts.shown.back().text, c.message);
            EXPECT_EQ(prompts.shown.back().title, "Entry Error");
        }
        EXPECT_EQ(dialog.txtRange[0]->text(), c.fromAfter);
        EXPECT_EQ(dialog.txtRange[1]->text(), c.toAfter);
    }

    // OK checks both boxes again: a bad last entry that never lost the focus starts nothing.
    frmDataXfr dialog;
    dialog.Form_Load();
    dialog.optRange_Click(1);
    dialog.txtRange[1]->setText("50");
    gDataXferFrom = gDataXferTo = -1;
    prompts.answerOk();
    dialog.cmdOk_Click();
    EXPECT_EQ(prompts.shown.back().text, "'To' must not be below 'From'.");
    EXPECT_EQ(gDataXferFrom, -1);
}

TEST_F(DataTransferTest, ARangeBoxThatGetsTheFocusHasItsWholeTextSelected)
{
    gDataXferBoardType = 52;
    gDataXferMode = 2;
    // Without a window manager, a closed box gives the focus back to nobody, and a click into an
    // inactive window may reach its box after the focus did.
    QWidget elsewhere;
    elsewhere.show();
    frmDataXfr dialog;
    dialog.Form_Load();
    dialog.show();
    dialog.optRange_Click(1);
    auto moveFocusAway = [&] {
        elsewhere.activateWindow();
        QApplication::processEvents();
    };
    prompts.onShow = [&](const ScriptedPrompts::Shown&) { moveFocusAway(); };
    auto focused = [] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); };
    auto step = [&](const std::function<void()>& input, int box, const char* selected) {
        input();
        QApplication::processEvents();
        // Selected as the focus is given, before the window system has reported anything...
        ASSERT_EQ(dialog.focusWidget(), dialog.txtRange[box]->edit());
        EXPECT_EQ(dialog.txtRange[box]->edit()->selectedText(), selected);
        // ...and still once it has, with the dialog's window active again.
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &dialog);
        ASSERT_EQ(focused(), dialog.txtRange[box]->edit());
        EXPECT_EQ(focused()->selectedText(), selected);
    };
    step([] {}, 0, "70");
    QTest::keyClicks(focused(), "10");
    prompts.answerOk();
    step([&] { QTest::keyClick(focused(), Qt::Key_Tab); }, 0, "70");
    EXPECT_EQ(prompts.shown.back().text, "Entry is out of Range (70-219)");
    QTest::keyClicks(focused(), "80");
    EXPECT_EQ(dialog.txtRange[0]->text(), "80");
    step([&] { QTest::keyClick(focused(), Qt::Key_Tab); }, 1, "219");
    step(
        [&] {
            moveFocusAway();
            dialog.activateWindow();
            QApplication::processEvents();
            QApplication::processEvents();
            QTest::mouseClick(dialog.txtRange[1]->edit(), Qt::LeftButton, {}, QPoint(4, 4));
        },
        1, "219");
    EXPECT_EQ(prompts.unanswered(), 0u);
    // Standard clicked as the box is left: the boxes it empties are not checked afterwards.
    const std::size_t shown = prompts.shown.size();
    dialog.optRange[0]->setFocus();
    dialog.optRange[0]->setChecked(true);
    dialog.optRange_Click(0);
    QApplication::processEvents();
    EXPECT_EQ(prompts.shown.size(), shown);
}

// Sequences of keys and clicks through the range boxes, with after each step the box shown (if
// any) and the box that has the focus. To below From is refused in To, where any To from From up
// fits; To may be left for From to lower it instead; no step returns for ever to one refusal.
TEST_F(DataTransferTest, EverySequenceThroughTheRangeBoxesCanReachTheBoxToCorrect)
{
    gDataXferBoardType = 52; // limits 70-219
    const QString order = "'To' must not be below 'From'.";
    const QString range = "Entry is out of Range (70-219)";
    constexpr int kClosed = -1; // OK took the range and the dialog is gone
    struct Step {
        const char* input; // digits typed over the focused box, a key, or a click on a control
        QString message;
        int focus;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int from, to;
    };
    const Case cases[] = {
        {"To below From at OK, corrected in To",
         {{"From", "", 0}, {"100", "", 0}, {"Tab", "", 1}, {"50", "", 1}, {"Ok", order, 1}, {"150", "", 1},
          {"Ok", "", kClosed}},
         100, 150},
        {"From lowered after To was typed below it",
         {{"From", "", 0}, {"100", "", 0}, {"Tab", "", 1}, {"80", "", 1}, {"From", "", 0}, {"75", "", 0},
          {"Tab", "", 1}, {"Ok", "", kClosed}},
         75, 80},
        {"To below From and below the limits, left for From",
         {{"To", "", 1}, {"50", "", 1}, {"Ok", order, 1}, {"Backtab", range, 1}, {"Backtab", "", 0},
          {"Ok", "", kClosed}},
         70, 219},
        {"From raised above To, then lowered again",
         {{"To", "", 1}, {"90", "", 1}, {"From", "", 0}, {"120", "", 0}, {"Ok", order, 1}, {"From", "", 0},
          {"80", "", 0}, {"Ok", "", kClosed}},
         80, 90},
    };
    prompts.answerAllWith(Answer::Ok);
    // A failed step ends its own case only.
    auto run = [&](const Case& c) {
        gDataXferMode = 0; // OK runs no transfer
        gDataXferFrom = gDataXferTo = 0;
        frmDataXfr dialog;
        dialog.Form_Load();
        dialog.show();
        dialog.optRange_Click(1);
        QApplication::processEvents();
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.input);
            const std::size_t before = prompts.shown.size();
            const QString input = s.input;
            auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (input == "Tab" || input == "Backtab") {
                ASSERT_NE(box, nullptr);
                QTest::keyClick(box, input == "Tab" ? Qt::Key_Tab : Qt::Key_Backtab);
            } else if (input == "Ok") {
                QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
            } else if (input == "From" || input == "To") {
                QTest::mouseClick(dialog.txtRange[input == "To"]->edit(), Qt::LeftButton, {}, QPoint(4, 4));
            } else {
                ASSERT_NE(box, nullptr);
                box->selectAll();
                QTest::keyClicks(box, input);
            }
            QApplication::processEvents();
            QApplication::processEvents();
            ASSERT_EQ(prompts.shown.size(), before + (s.message.isEmpty() ? 0 : 1));
            if (!s.message.isEmpty()) {
                EXPECT_EQ(prompts.shown.back().text, s.message);
            }
            if (s.focus == kClosed) {
                EXPECT_FALSE(dialog.isVisible());
            } else {
                ASSERT_TRUE(dialog.isVisible());
                ASSERT_EQ(QApplication::focusWidget(), dialog.txtRange[s.focus]->edit());
            }
        }
        EXPECT_EQ(gDataXferFrom, c.from);
        EXPECT_EQ(gDataXferTo, c.to);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(c);
    }
}

TEST_F(DataTransferTest, ALimitSwitchProgramGoesToTheLimitSwitchTransfers)
{
    writeProgram("PRESS", 69);
    QStringList calls;
    main->procs.plsDownload = [&] { calls << "plsDownload"; };
    main->procs.plsUpload = [&] { calls << "plsUpload"; };
    gProgramFile = programPath("PRESS.CVP");
    main->TransferDataFile(1, true);
    gProgramFile = programPath("PRESS.CVP");
    main->TransferDataFile(2, true);
    EXPECT_EQ(calls, QStringList({"plsDownload", "plsUpload"}));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(modals.shown.empty());
}

} // namespace
