#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
class TablesTest : public ::testing::Test {
protected:
    TestInstall install;
    ScriptedPrompts prompts;
    RSComm comm;
};

TEST_F(TablesTest, BoardNamesAndConfigurationIndexes)
{
    EXPECT_EQ(comm.TargetboardName(49), "K7713");
    EXPECT_EQ(comm.TargetboardName(50), "K7715");
    EXPECT_EQ(comm.TargetboardName(57), "Not Defined");
    EXPECT_EQ(comm.TargetboardName(61), "V8325(PLC)");
    EXPECT_EQ(comm.TargetboardName(69), "V8390(PLS)");
    EXPECT_EQ(comm.TargetboardName(70), "F Is Not Defined.");
    EXPECT_EQ(comm.TargetboardName(48), "0 Is Not Defined.");
    EXPECT_EQ(comm.TargetboardName(-1), "Not Defined");
    EXPECT_EQ(comm.LCFBoardIndex(51), "?");
    EXPECT_EQ(comm.LCFBoardIndex(58), "@");
    EXPECT_EQ(comm.LCFBoardIndex(68), "G");
    EXPECT_EQ(comm.LCFBoardIndex(55), "");
    EXPECT_EQ(comm.LCFBoardIndex(66), "");
    EXPECT_EQ(comm.LCFBoardIndex(70), "");
}

TEST_F(TablesTest, AddressLimitsPerBoardGroup)
{
    EXPECT_FALSE(comm.ValidAdd("B31", 49));
    EXPECT_TRUE(comm.ValidAdd("B32", 49));
    EXPECT_TRUE(comm.ValidAdd("b255", 49));
    EXPECT_FALSE(comm.ValidAdd("B256", 49));
    EXPECT_TRUE(comm.ValidAdd("B8275", 50));
    EXPECT_FALSE(comm.ValidAdd("B8276", 50));
    EXPECT_TRUE(comm.ValidAdd("B65535", 69));
    EXPECT_FALSE(comm.ValidAdd("W33", 49)) << "odd word";
    EXPECT_TRUE(comm.ValidAdd("W254", 49));
    EXPECT_TRUE(comm.ValidAdd("D8274", 68));
    EXPECT_FALSE(comm.ValidAdd("D8276", 68));
    EXPECT_FALSE(comm.ValidAdd("F121", 49));
    EXPECT_TRUE(comm.ValidAdd("F121", 50));
    EXPECT_TRUE(comm.ValidAdd("F0", 52));
    EXPECT_TRUE(comm.ValidAdd("Q0", 49)) << "other letters allow only 0";
    EXPECT_FALSE(comm.ValidAdd("Q1", 49));
    EXPECT_FALSE(comm.ValidAdd("Bxyz", 69)) << "a text that is not a number is no address";
}

TEST_F(TablesTest, IoPointRules)
{
    EXPECT_TRUE(comm.ValidAdd("X151", 49));
    EXPECT_FALSE(comm.ValidAdd("X152", 49)) << "last digit 2";
    EXPECT_FALSE(comm.ValidAdd("X161", 49));
    EXPECT_FALSE(comm.ValidAdd("X30", 68)) << "no X points on code 68";
    EXPECT_TRUE(comm.ValidAdd("Y21", 58));
    EXPECT_FALSE(comm.ValidAdd("Y31", 58));
    EXPECT_TRUE(comm.ValidAdd("I21", 56));
    EXPECT_FALSE(comm.ValidAdd("I1", 58)) << "I points only on 49 to 54 and 56";
    EXPECT_TRUE(comm.ValidAdd("I151", 50));
}

TEST_F(TablesTest, BitFormsNameOneOfEightBits)
{
    EXPECT_TRUE(comm.ValidAdd("B100.3", 49));
    EXPECT_TRUE(comm.ValidAdd("B100.7", 49));
    EXPECT_FALSE(comm.ValidAdd("B32.9", 49)) << "mask 512 is no bit of a byte";
    EXPECT_FALSE(comm.ValidAdd("B320.", 49)) << "would be checked as byte 32 and written as byte 320";
    EXPECT_FALSE(comm.ValidAdd("B31.1", 49));
    EXPECT_FALSE(comm.ValidAdd("B1.00", 49));
    EXPECT_TRUE(comm.ValidAdd("X30.5", 49));
}

TEST_F(TablesTest, IoPointsMapToTheirBytes)
{
    EXPECT_EQ(comm.EquateAdd("X30.5", 49), "B49.5");
    EXPECT_EQ(comm.EquateAdd("x80", 49), "B57");
    EXPECT_EQ(comm.EquateAdd("Y141", 49), "B67");
    EXPECT_EQ(comm.EquateAdd("X31", 50), "B167");
    EXPECT_EQ(comm.EquateAdd("Y0", 50), "B160");
    EXPECT_EQ(comm.EquateAdd("X151", 50), "B191");
    EXPECT_EQ(comm.EquateAdd("I151", 50), "B223");
    EXPECT_EQ(comm.EquateAdd("I0", 50), "B192");
    EXPECT_EQ(comm.EquateAdd("X152", 50), "X152");
    EXPECT_EQ(comm.EquateAdd("X30", 68), "X30") << "code 68 does not map";
    EXPECT_EQ(comm.EquateAdd("Y1", 58), "B50");
    EXPECT_EQ(comm.EquateAdd("X21", 66), "B54");
    EXPECT_EQ(comm.EquateAdd("Y21", 65), "B54");
    EXPECT_EQ(comm.EquateAdd("X10", 61), "B51");
    EXPECT_EQ(comm.EquateAdd("Y11", 61), "B52");
    EXPECT_EQ(comm.EquateAdd("X30.9", 49), "B49.7") << "a bit above 7 counts as 7";
    EXPECT_EQ(comm.EquateAdd("B100", 49), "B100");
    EXPECT_EQ(comm.EquateAdd("X99", 49), "X99");
    EXPECT_EQ(comm.EquateAdd(" X30.5\t", 49), "B49.5") << "blanks around the text, as the address rules allow";
}

TEST_F(TablesTest, MarkHexAndChannelNumbers)
{
    QString mark = "1?:;<=>9";
    EXPECT_EQ(comm.MarkHex2HEX(mark), "1FABCDE9");
    EXPECT_EQ(mark, "1FABCDE9") << "converted in place as well";
    QString hex = "0AFc";
    EXPECT_EQ(comm.HEX2MarkHEX(hex), "0:?c") << "lower-case letters are left alone";
    EXPECT_EQ(hex, "0:?c");
    EXPECT_EQ(comm.Dec2Octal(63), 77);
    EXPECT_EQ(comm.Dec2Octal(8), 10);
    EXPECT_EQ(comm.Dec2Octal(9), 11);
    for (int n = 0; n < 64; ++n)
        EXPECT_EQ(comm.Octal2Dec(comm.Dec2Octal(n)), n);
}

TEST_F(TablesTest, FaultTextsComeFromTheFile)
{
    install.writeFile("support/FaultErrCodes.txt", "0A,First ten\r\n0a,Second ten\r\n1F,Thirty-one\r\n");
    EXPECT_EQ(comm.FaultDescription(10), "Fault Code (0AH): First ten");
    EXPECT_EQ(comm.FaultDescription(31), "Fault Code (1FH): Thirty-one");
    EXPECT_EQ(comm.FaultDescription(5), "Fault Code (05H): ") << "no match gives the prefix alone";
    install.writeFile("support/FaultErrCodes.txt", "1f,lower case code\n");
    EXPECT_EQ(comm.FaultDescription(31), "Fault Code (1FH): lower case code");
}

TEST_F(TablesTest, MissingOrUnreadableFaultFile)
{
    EXPECT_EQ(comm.FaultDescription(255), "Fault Code (FFH): --- Fault File Not Found ---");
    QDir().mkpath(install.path("support/FaultErrCodes.txt"));
    prompts.answerOk();
    EXPECT_EQ(comm.FaultDescription(1), "Fault Code (01H): ");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "RSComm FaultDescription");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
}

TEST_F(TablesTest, ShippedCodeFilesHaveOneLinePerCode)
{
    for (const char* name : {"FaultErrCodes.txt", "CommErrCodes.txt"}) {
        QFile f(QStringLiteral(CORVANEX_SOURCE_DIR "/support/") + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        QSet<QString> codes;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            EXPECT_TRUE(line.endsWith('\r')) << name << " lines end in CRLF";
            const QList<QByteArray> items = line.trimmed().split(',');
            ASSERT_EQ(items.size(), 2) << name << ": " << line.constData();
            EXPECT_TRUE(QRegularExpression("^[0-9A-F]{2}$").match(QString(items[0])).hasMatch());
            EXPECT_FALSE(codes.contains(QString(items[0]))) << "duplicate code " << items[0].constData();
            codes.insert(QString(items[0]));
        }
        EXPECT_GT(codes.size(), 5);
        // The target-board interface replaces its off-line text only with a code's line: a board
        // back on-line without a fault or error must find one for 00.
        EXPECT_TRUE(codes.contains(QStringLiteral("00"))) << name;
    }
}

TEST_F(TablesTest, FaultCodeAndFirmwareAreReadFromTheBoard)
{
    install.writeFile("support/RSPort.cfg", "1,9600\r\n");
    SimCommPort port;
    port.board().memory[8176] = 5;
    port.board().memory[8159] = 17;
    EXPECT_EQ(comm.FirmwareRev(), -1) << "off-line";
    comm.OpenRSComm(port);
    port.board().clearLog();
    EXPECT_EQ(comm.FaultCode(), 5);
    EXPECT_EQ(hexBytes(port.board().received()), "FF 01 1F F0");
    EXPECT_EQ(comm.FirmwareRev(), 17);
    port.board().setSilentFrom(0);
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(comm.FaultCode(), 0) << "a failed read gives 0";
    EXPECT_EQ(comm.FirmwareRev(), -1) << "after a communication error";
}
} // namespace
