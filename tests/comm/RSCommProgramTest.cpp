#include "OnlineBoardTest.h"
#include "platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <iterator>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
const QString kInvalid = QStringLiteral("Currently Selected Program is Invalid.\r\n\r\nProgram Download Halted!");

// Bytes of a read exchange for the ten identity bytes, after the read handshake.
QByteArray identReads()
{
    QByteArray out = bytesOf({0xFF, 0x01});
    for (int k = 0; k < 10; ++k)
        out += bytesOf({0xEF, 0xF0 + k});
    return out;
}

QByteArray byteWrite(int address, int value) { return bytesOf({address / 256, address % 256, value}); }

// A program image as the upload writes it: 16-byte records without checksums over a range.
QByteArray imageHex(long first, long count, uint8_t seed)
{
    QByteArray out;
    for (long a = first; a < first + count; a += 16) {
        QByteArray line = ":10" + QByteArray::number(static_cast<int>(a), 16).toUpper().rightJustified(4, '0') + "00";
        for (long k = 0; k < 16; ++k)
            line += QByteArray::number((a + k * 7 + seed) & 0xFF, 16).toUpper().rightJustified(2, '0');
        out += line + "\r\n";
    }
    return out + ":00000001FF\r\n";
}

class ProgramTest : public OnlineBoardTest {
protected:
    // Writes a program's files under prog/; `code` is its board type character.
    QString writeProgram(const QString& name, char code, const QByteArray& rev, const QByteArray& hex,
                         const QByteArray& lcf = {})
    {
        const QString stem = QStringLiteral("prog/") + name;
        install.writeFile(stem + ".cvp", QByteArray(1, code) + "\r\n");
        if (!rev.isNull())
            install.writeFile(stem + ".rev", rev);
        if (!hex.isNull())
            install.writeFile(stem + ".hex", hex);
        if (!lcf.isNull())
            install.writeFile(stem + ".lcf", lcf);
        return install.path(stem + ".cvp");
    }

    // Prepares and runs a download that the user confirms.
    void download(const QString& cvp)
    {
        comm.DownloadFile(cvp);
        ASSERT_TRUE(comm.ValidProgram());
        prompts.answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
    }

    void upload(const QString& name, char code)
    {
        const QString stem = QStringLiteral("prog/") + name;
        install.writeFile(stem + ".cvp", QByteArray(1, code) + "\r\n");
        comm.InUploadMode(true);
        comm.UploadFile(install.path(stem + ".cvp"));
        prompts.answer(Answer::Ok);
        comm.UploadProgram();
    }

};

TEST_F(ProgramTest, DownloadSendsTheWholeSequenceInOrder)
{
    // The record 03h 20h 00h 01h 02h 03h, answered by its sum 29h (D7h is its Intel checksum).
    const QString cvp = writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n");
    download(cvp);

    QByteArray expected = identReads();
    expected += bytesOf({0xFF, 0x02}) + byteWrite(8181, 86) + byteWrite(8176, 0);
    expected += bytesOf({0xFF});             // after the pause, answer not examined
    expected += bytesOf({0xFF, 0x03});       // program-load mode
    expected += bytesOf({0x03, 0x20, 0x00, 0x01, 0x02, 0x03});
    expected += bytesOf({0xFF});             // leave program-load mode
    expected += bytesOf({0xFF, 0x02});
    const QByteArray ident = QByteArray("PROG0001") + char(31) + char(2);
    for (int k = 0; k < 10; ++k)
        expected += byteWrite(61424 + k, static_cast<uint8_t>(ident[k]));
    EXPECT_EQ(hexBytes(board().received()), hexBytes(expected));
    // The record is answered by its sum, 29h.
    EXPECT_TRUE(board().sent().contains(QByteArray("\x55\x55\x55\x29\x55", 5)));
    EXPECT_EQ(board().memory[0x2000], 1);
    EXPECT_EQ(board().memory[0x2002], 3);

    ASSERT_EQ(prompts.shown.size(), 2u);
    const auto& confirm = prompts.shown[0];
    EXPECT_EQ(confirm.title, "Program Download - [PROG0001]");
    EXPECT_EQ(confirm.buttons, Buttons::YesNoCancel);
    EXPECT_EQ(confirm.icon, Icon::Question);
    EXPECT_EQ(confirm.text,
              "Program to be loaded into module (on disk):\r\n"
              "  Program Ident: \t\tPROG0001\r\n"
              "  Program Revision: \t\t2\r\n"
              "  Program Checksum: \t31\r\n"
              "  Target Board: \t\tK7728\r\n\r\n"
              "Program currently loaded in module:\r\n"
              "  Program Ident: \t\t\r\n"
              "  Program Revision: \t\t0\r\n"
              "  Program Checksum: \t0\r\n\r\n"
              "Entire program file will be dumped to the PLC.\r\n"
              "All outputs are off while program dump occurrs.\r\n\r\n"
              "Do You Wish to Continue?\r\n");
    EXPECT_EQ(prompts.shown[1].text, "Program Download Complete!");
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_FALSE(comm.InProgramMode());
    EXPECT_FALSE(comm.ValidProgram());
}

TEST_F(ProgramTest, ConfigurationBytesAreWrittenForCodesWithThem)
{
    // ConfigA 1 -> 3, ConfigB 7, ConfigC 2 -> 10.
    const QByteArray lcf = "F" + QByteArray(34, '0') + "1" + "00" + "7" + "2" + "000%\r\n";
    const QString cvp = writeProgram("MIX", '8', "MIX1<>0A\r\n", ":0120000055\r\n:00000001FF\r\n", lcf);
    download(cvp);
    const QByteArray wire = board().received();
    const QByteArray config = byteWrite(8188, 10) + byteWrite(8189, 7) + byteWrite(8190, 3);
    const QByteArray before = bytesOf({0xFF}) + bytesOf({0xFF, 0x02}) + config + bytesOf({0xFF, 0x03});
    EXPECT_TRUE(wire.contains(before)) << hexBytes(wire).toStdString();
    EXPECT_EQ(board().memory[8190], 3);
    EXPECT_EQ(board().memory[61432], 0xCE); // MarkHEX "<>" is CEh
    EXPECT_EQ(board().memory[61433], 0x0A);
}

TEST_F(ProgramTest, WrongOrMissingChecksumHaltsTheDownload)
{
    const QByteArray hex = ":03200000010203D7\r\n:022003000405D2\r\n:00000001FF\r\n";
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "no answer" : "wrong answer");
        board().memory[61424] = 0;
        board().recordsLoaded = 0;
        (silent ? board().silentRecord : board().wrongSumRecord) = 1;
        const QString cvp = writeProgram("PUMP", '4', "PROG00011?02\r\n", hex);
        comm.DownloadFile(cvp);
        prompts.shown.clear();
        prompts.answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].text, "Checksum Error, Program Download Halted!");
        EXPECT_EQ(prompts.shown[1].title, "Program Download");
        EXPECT_EQ(prompts.shown[1].icon, Icon::Exclamation);
        EXPECT_FALSE(comm.OnlineMode);
        EXPECT_FALSE(comm.InProgramMode());
        // The identity block is written only after a clean exit from program-load mode.
        EXPECT_EQ(board().memory[61424], 0);
        board().wrongSumRecord = board().silentRecord = -1;
        comm.OnlineMode = true;
    }
}

TEST_F(ProgramTest, AnInvalidHexFileIsRefusedBeforeTheBoardIsTouched)
{
    const QByteArray cases[] = {
        ":03200000010203D7\r\n03200300040506\r\n:00000001FF\r\n",  // second line without its mark
        ":03200000010203D7\r\n:0320030004G506\r\n:00000001FF\r\n", // not a hex digit
        ":04200000010203\r\n:00000001FF\r\n",                       // shorter than its count
        ":020000040001F9\r\n:03200000010203D7\r\n:00000001FF\r\n", // extended-address record
        ":03200000010203F7\r\n:00000001FF\r\n",                     // wrong checksum (D7h is right)
        ":0120000055\r\n\r\n:00000001FF\r\n",                        // an empty line
        ":03200000010203D7\r\n:03200300040506\r\n:00000001FF\r\n", // one record with, one without
        // 15 data bytes and a checksum under a count of 16: as long as 16 bytes without a checksum
        ":03200000010203D7\r\n:10201000000102030405060708090A0B0C0D0E57\r\n:00000001FF\r\n",
        ":03200000010203D7\r\n",                                     // cut short: no end record
        ":03200000010203D7\r\n:00000001FF\r\n:022003000405D2\r\n", // a record after the end
        ":03200000010203D7\r\n:00000001FF\r\n:00000001FF\r\n",     // two end records
        ":03200000010203D7\r\n:01000001AA54\r\n",                    // an end record with data
        ":03200000010203D7\t\r\n:00000001FF\r\n",                   // a control character after a record
        ":03200000010203D7\r\n:00000001FF\r\n\x1A",                 // nor after the end record
        ":00000001FF\r\n",                                          // no data record
        ":00200000E0\r\n:00000001FF\r\n",                          // no data byte
    };
    for (const QByteArray& hex : cases) {
        SCOPED_TRACE(hex.toStdString());
        board().clearLog();
        prompts.shown.clear();
        comm.DownloadFile(writeProgram("BAD", '4', "BAD00000\r\n", hex));
        prompts.answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].text, kInvalid);
        EXPECT_EQ(prompts.shown[1].title, "Program Dump");
        // Only the identity was read (with or without a handshake, as the read mode stood).
        EXPECT_LE(board().received().size(), 22);
        EXPECT_EQ(hexBytes(board().received().right(20)), hexBytes(identReads().right(20)));
        EXPECT_NE(board().memory[8181], 86);
        EXPECT_FALSE(comm.ValidProgram());
        EXPECT_FALSE(comm.InProgramMode());
        EXPECT_TRUE(comm.OnlineMode);
    }
}

TEST_F(ProgramTest, RecordsWithChecksumsAndTrailingBlanksAreAccepted)
{
    const QString cvp = writeProgram("OK", '4', "OK0000000\r\n",
                                     ":03200000010203D7  \r\n:022003000405D2\r\n:00000001FF\r\n\r\n  \r\n");
    download(cvp);
    EXPECT_EQ(prompts.shown.back().text, "Program Download Complete!");
    EXPECT_EQ(board().memory[0x2003], 4);
    EXPECT_EQ(board().memory[0x2004], 5);
}

TEST_F(ProgramTest, IdentIsTrimmedPaddedAndCut)
{
    for (const auto& [rev, written] : {std::pair<QByteArray, QByteArray>{" ABCDE 0102\r\n", QByteArray("ABCDE\0\0\0", 8)},
                                       {"ABCDEFGHIJ0102\r\n", "ABCDEFGH"}}) {
        for (int k = 0; k < 8; ++k)
            board().memory[61424 + k] = 0x77;
        download(writeProgram("ID", '4', rev, ":0120000055\r\n:00000001FF\r\n"));
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(board().memory[61424 + k], static_cast<uint8_t>(written[k])) << rev.toStdString() << k;
        comm.OnlineMode = true;
    }
}

TEST_F(ProgramTest, AnIdentOfPaddingBytesIsShownWithoutThemAndWrittenAsItIs)
{
    download(writeProgram("ID", '4', QByteArray("\0\0\0\0\0\0\0\0" "0102\r\n", 14), ":0120000055\r\n:00000001FF\r\n"));
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown[0].title, "Program Download - []");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Program to be loaded into module (on disk):\r\n  Program Ident: \t\t\r\n"));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(board().memory[61424 + k], 0) << k;
}

TEST_F(ProgramTest, DownloadFileRefusesBoardsThatCannotTakeAProgram)
{
    struct Case {
        char code;
        QString text;
        Icon icon;
        QString title;
    };
    const Case cases[] = {
        {'1', "NOPE file is incompatible with target board.\r\n\r\nProgram Downloaded Halted!", Icon::Critical,
         "Program Download"},
        {'9', "NOPE file is incompatible with target board.\r\n\r\nProgram Downloaded Halted!", Icon::Critical,
         "Program Download"},
        {'>', "NOPE file is a PLS target board program.\r\nOpen PLS program to download to target board.\r\n\r\n"
              "Program Downloaded Halted.",
         Icon::Information, "PLS Program Download"},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        prompts.answer(Answer::Ok);
        comm.DownloadFile(writeProgram("NOPE", c.code, "NOPE0000\r\n", ":00000001FF\r\n"));
        EXPECT_FALSE(comm.ValidProgram());
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, c.text);
        EXPECT_EQ(prompts.shown[0].icon, c.icon);
        EXPECT_EQ(prompts.shown[0].title, c.title);
    }
}

TEST_F(ProgramTest, MissingRevisionOrConfigurationMakesTheProgramInvalid)
{
    prompts.answer(Answer::Ok);
    comm.DownloadFile(writeProgram("NOREV", '4', QByteArray(), ":00000001FF\r\n"));
    EXPECT_FALSE(comm.ValidProgram());
    EXPECT_EQ(prompts.shown.back().text,
              install.path("prog/NOREV.rev") + " Revision File is Not Valid\r\n\r\nProgram Downloaded Halted!");

    prompts.answer(Answer::Ok);
    comm.DownloadFile(writeProgram("NOLCF", '8', "NOLCF0000\r\n", ":00000001FF\r\n"));
    EXPECT_FALSE(comm.ValidProgram());
    EXPECT_EQ(prompts.shown.back().text,
              install.path("prog/NOLCF.lcf") + " Configuration File is Not Valid\r\n\r\nProgram Downloaded Halted!");

    // A good configuration file does not make up for a missing revision file.
    prompts.shown.clear();
    prompts.answer(Answer::Ok);
    const QByteArray lcf = "F" + QByteArray(34, '0') + "1" + "00" + "7" + "2" + "000%\r\n";
    comm.DownloadFile(writeProgram("ONLYLCF", '8', QByteArray(), ":00000001FF\r\n", lcf));
    EXPECT_FALSE(comm.ValidProgram());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              install.path("prog/ONLYLCF.rev") + " Revision File is Not Valid\r\n\r\nProgram Downloaded Halted!");

    // Offline or invalid: nothing is sent.
    prompts.answer(Answer::Ok);
    comm.DumpProgram();
    EXPECT_EQ(prompts.shown.back().text, kInvalid);
    EXPECT_TRUE(board().received().isEmpty());
}

TEST_F(ProgramTest, RevisionPairsAreTwoHexOrMarkHexDigitsExactly)
{
    const std::pair<QByteArray, bool> cases[] = {
        {"PROG00011?02\r\n", true}, {"PROG00011f0a\r\n", true}, {"PROG0001-1-1\r\n", false},
        {"PROG0001 1 2\r\n", false}, {"PROG0001+1+2\r\n", false}, {QByteArray("PROG00011?\0" "2\r\n", 14), false},
        {"PROG00011G02\r\n", false},
    };
    for (const auto& [rev, valid] : cases) {
        SCOPED_TRACE(rev.toStdString());
        prompts.shown.clear();
        if (!valid)
            prompts.answer(Answer::Ok);
        comm.DownloadFile(writeProgram("REV", '4', rev, ":00000001FF\r\n"));
        EXPECT_EQ(comm.ValidProgram(), valid);
        EXPECT_EQ(prompts.shown.size(), valid ? 0u : 1u);
    }
}

TEST_F(ProgramTest, AMissingOrEmptyHexFileEndsTheDownloadOnline)
{
    struct Case {
        QByteArray hex;
        QString text;
        Icon icon;
    };
    const QString hexPath = install.path("prog/NOHEX.hex");
    const Case cases[] = {
        {QByteArray(), hexPath + " File Does Not Exist.\r\n\r\nProgram Downloaded Halted", Icon::Information},
        {QByteArray("\r\n"), hexPath + " File is Not Valid\r\n\r\nProgram Downloaded Halted", Icon::Exclamation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QFile::remove(hexPath);
        board().clearLog();
        prompts.shown.clear();
        comm.DownloadFile(writeProgram("NOHEX", '4', "NOHEX0000\r\n", c.hex));
        prompts.answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].text, c.text);
        EXPECT_EQ(prompts.shown[1].icon, c.icon);
        EXPECT_EQ(prompts.shown[1].title, "Program Download");
        EXPECT_TRUE(comm.OnlineMode);
        EXPECT_FALSE(comm.InProgramMode());
        EXPECT_EQ(board().memory[8181], 0);
    }
}

TEST_F(ProgramTest, AnAnswerOtherThanYesSendsNothing)
{
    for (Answer a : {Answer::No, Answer::Cancel}) {
        comm.DownloadFile(writeProgram("NO", '4', "NO0000000\r\n", ":0120000055\r\n:00000001FF\r\n"));
        board().clearLog();
        prompts.answer(a);
        comm.DumpProgram();
        EXPECT_EQ(hexBytes(board().received().right(20)), hexBytes(identReads().right(20)));
        EXPECT_LE(board().received().size(), 22);
        EXPECT_FALSE(comm.InProgramMode());
        EXPECT_TRUE(comm.OnlineMode);
    }
}

TEST_F(ProgramTest, ABoardThatStaysInProgramModeGetsNoIdent)
{
    board().replyHook = [&](long, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        if (byte == 0xFF && board().recordsLoaded > 0)
            return uint8_t(0x00);
        return reply;
    };
    comm.DownloadFile(writeProgram("STAY", '4', "STAY00000102\r\n", ":0120000055\r\n:00000001FF\r\n"));
    prompts.answer(Answer::Yes).answer(Answer::Ok);
    comm.DumpProgram();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, "PLC did not Exit Program Mode!");
    EXPECT_EQ(prompts.shown[1].icon, Icon::Critical);
    EXPECT_EQ(prompts.shown[1].title, "Program Download");
    EXPECT_EQ(board().memory[61424], 0);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_FALSE(comm.InProgramMode());
}

TEST_F(ProgramTest, RefusedConfigurationAndIdentWritesAreReported)
{
    // Every write echo of the low address byte FCh (B8188) comes back wrong.
    board().replyHook = [&](long, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        if (board().mode() == SimBoard::Mode::Write && byte == 0xFC)
            return uint8_t(0x00);
        return reply;
    };
    const QByteArray lcf = "F" + QByteArray(34, '0') + "1" + "00" + "7" + "2" + "000%\r\n";
    comm.DownloadFile(writeProgram("CFG", '8', "CFG00000102\r\n", ":0120000055\r\n:00000001FF\r\n", lcf));
    prompts.answer(Answer::Yes).answer(Answer::Ok).answer(Answer::Ok);
    comm.DumpProgram();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].text, "Could Not Set Program Configuration in PLC!");
    EXPECT_EQ(prompts.shown[1].title, "Program Config Download");
    EXPECT_EQ(prompts.shown[1].icon, Icon::Critical);
    // The refused byte keeps none of the others from being written.
    EXPECT_EQ(board().memory[8189], 7);
    EXPECT_EQ(board().memory[8190], 3);

    // The ident's first address is EFF0h (B8176, 1FF0h, shares its low byte).
    int previous = -1;
    board().replyHook = [&](long, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        const bool identFirst = board().mode() == SimBoard::Mode::Write && previous == 0xEF && byte == 0xF0;
        previous = byte;
        return identFirst ? std::optional<uint8_t>(0x00) : reply;
    };
    comm.OnlineMode = true;
    prompts.shown.clear();
    comm.CloseRSComm();
    comm.OpenRSComm(port);
    comm.DownloadFile(writeProgram("CFG", '4', "CFG00000102\r\n", ":0120000055\r\n:00000001FF\r\n"));
    prompts.answer(Answer::Yes).answer(Answer::Ok).answer(Answer::Ok);
    comm.DumpProgram();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].text, "Could Not Send Program Ident and Revision to PLC!");
    EXPECT_EQ(prompts.shown[1].title, "Program Download");
    EXPECT_EQ(prompts.shown[2].text, "Program Download Not Complete!");
    EXPECT_EQ(prompts.shown[2].icon, Icon::Critical);
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_FALSE(comm.InProgramMode());
    EXPECT_FALSE(comm.ValidProgram());
}

// Outputs still on, or an old fault code still standing, keep the program from the board: an echo
// garbled on the first try and on its repeat ends the download there, before any record.
TEST_F(ProgramTest, AFailedOutputsOffOrFaultClearWriteLoadsNoRecord)
{
    struct Case {
        int lowByte; // of the address whose echoes come back garbled
        std::vector<std::string> written;
    };
    const Case cases[] = {{0xF5, {}}, {0xF0, {"W8181=86"}}}; // B8181 (1FF5h), B8176 (1FF0h)
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lowByte);
        comm.OnlineMode = true;
        prompts.shown.clear();
        comm.DownloadFile(writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n"));
        board().clearLog();
        board().replyHook = [&](long, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
            const bool garbled = board().mode() == SimBoard::Mode::Write && byte == c.lowByte;
            return garbled ? std::optional<uint8_t>(0x00) : reply;
        };
        prompts.answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
        board().replyHook = nullptr;
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].text, "Program Download Not Complete!");
        EXPECT_EQ(prompts.shown[1].icon, Icon::Critical);
        // Nothing goes out after the repeat's garbled echo.
        EXPECT_TRUE(board().received().endsWith(bytesOf({0x1F, c.lowByte}))) << wire().toStdString();
        std::vector<std::string> written;
        std::copy_if(board().accesses.begin(), board().accesses.end(), std::back_inserter(written),
                     [](const std::string& a) { return a[0] == 'W'; });
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(board().recordsLoaded, 0);
        EXPECT_FALSE(comm.InProgramMode());
    }
}

TEST_F(ProgramTest, UploadedConfigurationDigitsFollowTheBoardBytes)
{
    // Code 57 has configuration bytes but no program memory, so the wire ends with them.
    // B8190 12 -> A 3, B8189 12 (two columns), B8188 20 -> C 3; then 5/5 -> 2/1.
    board().memory[8190] = 12;
    board().memory[8189] = 12;
    board().memory[8188] = 20;
    upload("CFGUP", '9');
    const QByteArray lcfIndex = comm.LCFBoardIndex('9').toLatin1();
    EXPECT_EQ(install.readFile("prog/CFGUP.lcf"), lcfIndex + QByteArray(34, '0') + "3" + "00" + "12" + "3" + "000%\r\n");
    EXPECT_EQ(wire(), hexBytes(identReads() + bytesOf({0x1F, 0xFE, 0x1F, 0xFD, 0x1F, 0xFC})));
    board().memory[8190] = 5;
    board().memory[8189] = 0;
    board().memory[8188] = 5;
    upload("CFGUP", '9');
    EXPECT_EQ(install.readFile("prog/CFGUP.lcf"), lcfIndex + QByteArray(34, '0') + "2" + "00" + "0" + "1" + "000%\r\n");
}

TEST_F(ProgramTest, AnUnreadableCorvaneFileIsReportedNotTakenForABoardCode)
{
    if (!makeUnreadable(install, "prog/LOCKED.cvp"))
        GTEST_SKIP() << "no unreadable file available";
    install.writeFile("prog/LOCKED.rev", "LOCKED000102\r\n");
    prompts.answer(Answer::Ok);
    comm.DownloadFile(install.path("prog/LOCKED.cvp"));
    EXPECT_FALSE(comm.ValidProgram());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = ")) << prompts.shown[0].text.toStdString();
    EXPECT_EQ(prompts.shown[0].title, "RSComm-Download File");

    // An upload cannot tell which memory to read: no HEX file, and the transfer ends.
    prompts.shown.clear();
    comm.InUploadMode(true);
    comm.UploadFile(install.path("prog/LOCKED.cvp"));
    prompts.answer(Answer::Ok);
    comm.UploadProgram();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
    EXPECT_EQ(prompts.shown[0].title, "RSComm-Upload Program");
    EXPECT_FALSE(QFileInfo::exists(install.path("prog/LOCKED.hex")));
    EXPECT_FALSE(comm.InUploadMode());
}

TEST_F(ProgramTest, UnreadableRevisionOrConfigurationFilesAreReportedByTheirReaders)
{
    const QByteArray lcf = "F" + QByteArray(34, '0') + "1" + "00" + "7" + "2" + "000%\r\n";
    const QString cvp = writeProgram("LOCKRC", '8', "LOCKRC000102\r\n", ":00000001FF\r\n", lcf);
    for (const char* ext : {"rev", "lcf"}) {
        SCOPED_TRACE(ext);
        const QString file = QStringLiteral("prog/LOCKRC.") + ext;
        QFile::remove(install.path(file));
        if (!makeUnreadable(install, file))
            GTEST_SKIP() << "no unreadable file available";
        prompts.shown.clear();
        prompts.answer(Answer::Ok).answer(Answer::Ok);
        comm.DownloadFile(cvp);
        EXPECT_FALSE(comm.ValidProgram());
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = "));
        EXPECT_EQ(prompts.shown[0].title, QString(ext) == "rev" ? "RSComm-Set Program Ident" : "RSComm-Set Program Config");
        EXPECT_TRUE(prompts.shown[1].text.endsWith(" File is Not Valid\r\n\r\nProgram Downloaded Halted!"));
        QFile::remove(install.path(file));
        install.writeFile(file, QString(ext) == "rev" ? QByteArray("LOCKRC000102\r\n") : lcf);
    }
}

TEST_F(ProgramTest, DownloadThenUploadGivesBackTheSameFiles)
{
    struct Case {
        char code;
        long first, count;
        bool config;
    };
    for (const Case& c : {Case{'4', 0x2000, 8192, false}, Case{'8', 0x2000, 8192, true}}) {
        SCOPED_TRACE(c.code);
        const QByteArray rev = "PROG0001" "1?" "02" "\r\n";
        const QByteArray lcf = "F" + QByteArray(34, '0') + "2" + "00" + "7" + "1" + "000%\r\n";
        const QByteArray hex = imageHex(c.first, c.count, static_cast<uint8_t>(c.code));
        download(writeProgram("SRC", c.code, rev, hex, c.config ? lcf : QByteArray()));
        ASSERT_EQ(prompts.shown.back().text, "Program Download Complete!");

        QFile::remove(install.path("prog/DST.lcf"));
        upload("DST", c.code);
        EXPECT_EQ(prompts.shown.back().text, "Program Upload Complete!");
        EXPECT_EQ(install.readFile("prog/DST.rev"), rev);
        EXPECT_EQ(install.readFile("prog/DST.hex"), hex);
        if (c.config)
            EXPECT_EQ(install.readFile("prog/DST.lcf"), lcf);
        else
            EXPECT_FALSE(QFileInfo::exists(install.path("prog/DST.lcf")));
        EXPECT_TRUE(comm.OnlineMode);
        EXPECT_FALSE(comm.InUploadMode());
    }
}

TEST_F(ProgramTest, UploadYieldsOncePerRecordWithItsAddress)
{
    QStringList seen;
    comm.RecordYield = [&] {
        if (comm.InUploadMode() && !comm.ReadingIdent())
            seen << comm.CurrentProgramAdd();
    };
    upload("UP", '4');
    ASSERT_EQ(seen.size(), 512);
    EXPECT_EQ(seen.front(), "2000H");
    EXPECT_EQ(seen.back(), "3FF0H");
}

TEST_F(ProgramTest, UploadWithoutMemoryRangeWritesOnlyTheEndRecord)
{
    upload("NOMEM", '1');
    EXPECT_EQ(install.readFile("prog/NOMEM.hex"), ":00000001FF\r\n");
}

TEST_F(ProgramTest, AWrongEchoIsReadAgainAndNeverStored)
{
    board().memory[0x2000] = 0xAB;
    // Received bytes: read handshake (2), ident (20), then the first record's high byte.
    const long first = board().receivedCount() + 22;
    board().corruptReplyAt(first, 0x00);
    upload("ONCE", '4');
    EXPECT_EQ(prompts.shown.back().text, "Program Upload Complete!");
    EXPECT_TRUE(install.readFile("prog/ONCE.hex").startsWith(":10200000AB"));
}

// A line that drops out past the communication box, answered Retry, costs a read, never a byte.
TEST_F(ProgramTest, ALineThatDropsOutNeverPutsAByteIntoTheProgram)
{
    // Upload: bytes 0 to 21 read the ident; 23 is the low address byte of the program's first byte.
    board().memory[0x2000] = 0xAB;
    dropOutFrom(23);
    prompts.answer(Answer::Retry);
    upload("DROP", '4');
    EXPECT_EQ(prompts.shown.back().text, "Program Upload Complete!");
    EXPECT_TRUE(install.readFile("prog/DROP.hex").startsWith(":10200000AB"));

    // Download: byte 32 is 03h, program-load mode. The FFh sent again takes the board back out of it,
    // so no record may follow.
    prompts.shown.clear();
    comm.CloseRSComm();
    comm.OpenRSComm(port);
    comm.DownloadFile(writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n"));
    dropOutFrom(32);
    prompts.answer(Answer::Yes).answer(Answer::Retry).answer(Answer::Ok);
    comm.DumpProgram();
    EXPECT_EQ(prompts.shown.back().text, "Program Download Not Complete!");
    EXPECT_EQ(board().recordsLoaded, 0);
    EXPECT_FALSE(comm.InProgramMode());
}

// The download's confirmation reads an ident byte whose reply was lost once more: it shows what the
// board holds, never a byte that was not read.
TEST_F(ProgramTest, ALineThatDropsOutDuringTheIdentReadStillShowsTheBoardsIdent)
{
    const QString held = QStringLiteral("Program currently loaded in module:\r\n"
                                        "  Program Ident: \t\tOLDPROG1\r\n"
                                        "  Program Revision: \t\t7\r\n"
                                        "  Program Checksum: \t200\r\n");
    // The first ident character and the revision.
    for (const int lost : {61424, 61433}) {
        SCOPED_TRACE(lost);
        board().setIdentity("OLDPROG1", 200, 7);
        prompts.shown.clear();
        comm.DownloadFile(writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n"));
        dropOutAt(board(), lost);
        prompts.answer(Answer::Retry).answer(Answer::Yes).answer(Answer::Ok);
        comm.DumpProgram();
        ASSERT_EQ(prompts.shown.size(), 3u);
        EXPECT_TRUE(prompts.shown[1].text.contains(held)) << prompts.shown[1].text.toStdString();
        EXPECT_EQ(prompts.shown[2].text, "Program Download Complete!");
    }
    // Both reads of the first ident character echo its address wrongly: no confirmation with a 0
    // in it, and nothing is sent.
    int echoes = 0;
    board().replyHook = [&](long, uint8_t byte, std::optional<uint8_t> reply) -> std::optional<uint8_t> {
        return byte == 0xEF && ++echoes <= 2 ? std::optional<uint8_t>(0x7E) : reply;
    };
    prompts.shown.clear();
    comm.DownloadFile(writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n"));
    board().clearLog();
    prompts.answerOk();
    comm.DumpProgram();
    board().replyHook = nullptr;
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Program Download Not Complete!");
    EXPECT_TRUE(std::none_of(board().accesses.begin(), board().accesses.end(),
                             [](const std::string& a) { return a[0] == 'W'; }));
    EXPECT_FALSE(comm.InProgramMode());
}

// A board too slow to use, given up on at the communication box while its identity is read: no
// confirmation shows an identity the board never gave, and nothing is written.
TEST_F(ProgramTest, ADownloadWhoseIdentCouldNotBeReadEndsThere)
{
    scaleTimeouts(1, 10); // answers are late from 45 ms and lost from 100 ms; the board's come at 60 ms
    board().setIdentity("OLDPROG1", 200, 7);
    comm.DownloadFile(writeProgram("PUMP", '4', "PROG00011?02\r\n", ":03200000010203D7\r\n:00000001FF\r\n"));
    board().slowFrom(board().receivedCount() + 2, 60); // from the first ident byte, after the handshake
    prompts.answer(Answer::Cancel).answer(Answer::Ok);
    comm.DumpProgram();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "WARNING - Communication Error!");
    EXPECT_EQ(prompts.shown[1].text, "Program Download Not Complete!");
    EXPECT_TRUE(std::none_of(board().accesses.begin(), board().accesses.end(),
                             [](const std::string& a) { return a[0] == 'W'; }));
    EXPECT_FALSE(comm.InProgramMode());
}

TEST_F(ProgramTest, AWrongEchoTwiceEndsTheUploadWithoutAHexFile)
{
    const long again = board().receivedCount() + 22;
    board().corruptReplyAt(again, 0x00);
    board().corruptReplyAt(again + 3, 0x00); // FFh, 01h, then the retry
    upload("TWICE", '4');
    EXPECT_EQ(prompts.shown.back().text, "Program Upload Not Complete!\r\n\r\nHEX file not created.");
    EXPECT_EQ(prompts.shown.back().title, "Program Upload");
    EXPECT_FALSE(QFileInfo::exists(install.path("prog/TWICE.hex")));
    EXPECT_FALSE(comm.OnlineMode);
    EXPECT_FALSE(comm.InUploadMode());
}

TEST_F(ProgramTest, UploadOfASilentBoardWritesNoHexFile)
{
    const long first = board().receivedCount() + 22;
    board().setSilentFrom(first);
    prompts.answer(Answer::Cancel); // the communication box
    upload("SILENT", '4');
    EXPECT_EQ(prompts.shown.front().title, "WARNING - Communication Error!");
    EXPECT_EQ(prompts.shown.back().text, "Program Upload Not Complete!\r\n\r\nHEX file not created.");
    EXPECT_FALSE(QFileInfo::exists(install.path("prog/SILENT.hex")));
    EXPECT_TRUE(QFileInfo::exists(install.path("prog/SILENT.rev")));
}

TEST_F(ProgramTest, TransfersRefuseAnOfflineLink)
{
    comm.OnlineMode = false;
    comm.DownloadFile(writeProgram("OFF", '4', "OFF000000\r\n", ":00000001FF\r\n"));
    prompts.answer(Answer::Ok).answer(Answer::Ok);
    comm.DumpProgram();
    comm.InUploadMode(true);
    comm.UploadProgram();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "Program is Currently OFFLINE.\r\n\r\nSwitch to ONLINE MODE to Continue.");
    EXPECT_EQ(prompts.shown[0].title, "Program Download");
    EXPECT_EQ(prompts.shown[1].title, "Program Upload");
    EXPECT_FALSE(comm.InProgramMode());
    EXPECT_FALSE(comm.InUploadMode());
    EXPECT_TRUE(board().received().isEmpty());
}
} // namespace

#include "PtyBoard.h"
#include "platform/CommPort.h"

namespace {
// The record goes out as one write through the real serial port and the board answers its sum.
TEST(ProgramOverSerialPort, DownloadThroughARealSerialPort)
{
    TestInstall install;
    ScriptedPrompts prompts;
    PtyBoard pty;
    ASSERT_TRUE(pty.ok());
    QDir().mkpath(install.path("support/ports"));
    ASSERT_TRUE(QFile::link(pty.devicePath(), install.path("support/ports/COM1")));
    install.writeFile("support/RSPort.cfg", "1,19200\r\n");
    install.writeFile("prog/P.cvp", "4\r\n");
    install.writeFile("prog/P.rev", "SERIAL010101\r\n");
    install.writeFile("prog/P.hex", ":1020000000112233445566778899AABBCCDDEEFFD8\r\n:00000001FF\r\n");
    scaleTimeouts(1, 5); // the real port needs real waits

    SerialCommPort port;
    RSComm comm;
    comm.OpenRSComm(port);
    ASSERT_TRUE(comm.OnlineMode);
    comm.DownloadFile(install.path("prog/P.cvp"));
    prompts.answer(Answer::Yes).answer(Answer::Ok);
    comm.DumpProgram();
    EXPECT_EQ(prompts.shown.back().text, "Program Download Complete!");
    EXPECT_EQ(comm.RSRead("B8207"), "255"); // 200Fh
    EXPECT_EQ(comm.RSRead("B61424"), QString::number('S'));
    comm.CloseRSComm();
    pty.withBoard([](SimBoard& b) { EXPECT_EQ(b.recordsLoaded, 1); });
}
} // namespace
