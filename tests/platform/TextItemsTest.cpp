#include "TestSupport.h"
#include "platform/Convert.h"
#include "platform/FileLookup.h"
#include "platform/TextItems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
QStringList items(const QByteArray& data)
{
    ItemReader r(data);
    QStringList out;
    while (!r.atEnd())
        out << r.readItem();
    return out;
}

TEST(ItemReader, ItemsEndAtCommasAndLineEnds)
{
    EXPECT_EQ(items("1,9600\r\n"), QStringList({"1", "9600"}));
    EXPECT_EQ(items("3, 19200 \r\n"), QStringList({"3", "19200 "})) << "leading blanks skipped";
    EXPECT_EQ(items("a\nb\rc\r\n"), QStringList({"a", "b", "c"})) << "LF, CR and CRLF all end a line";
    EXPECT_EQ(items("\"x, y\",z\r\n"), QStringList({"x, y", "z"})) << "quotes keep commas";
    EXPECT_EQ(items("\r\n\r\nlast\r\n"), QStringList({"", "", "last"})) << "an empty line is one empty item";
    EXPECT_EQ(items("/home/p,q/P.cvp\r\n"), QStringList({"/home/p", "q/P.cvp"}));
    EXPECT_EQ(items("\xe9t\xe9\r\n"), QStringList({QString::fromLatin1("\xe9t\xe9")})) << "Latin-1";
}

TEST(ItemReader, WholeLinesKeepTheirCommas)
{
    ItemReader r("Title, with comma\r\nsecond\n");
    EXPECT_EQ(r.readLine(), "Title, with comma");
    EXPECT_EQ(r.readLine(), "second");
    EXPECT_TRUE(r.atEnd());
}

TEST(ItemWriter, NumbersPrintedAloneCarryBlanks)
{
    ItemWriter w;
    w.printNumber(qint64(49)).newLine().printNumber(-3.0).print(",").printNumber(0.5).newLine();
    w.printLine("text").writeItems({"a", "b c"});
    EXPECT_EQ(w.bytes(), QByteArray(" 49 \r\n-3 , .5 \r\ntext\r\n\"a\",\"b c\"\r\n"));
}

TEST(ItemWriter, SavesWholeOrNotAtAll)
{
    TestInstall install;
    const QString path = install.path("support/list.dat");
    ItemWriter w;
    w.printLine(QString::fromLatin1("caf\xe9"));
    ASSERT_TRUE(w.save(path));
    EXPECT_EQ(install.readFile("support/list.dat"), QByteArray("caf\xe9\r\n"));
    // A folder that does not exist: nothing is written and the reason is given.
    QString error;
    EXPECT_FALSE(w.save(install.path("missing/list.dat"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(install.path("missing/list.dat")));
}

TEST(FileLookup, FindsFilesWithoutRegardToCase)
{
    TestInstall install;
    install.writeFile("Programs/PUMP.CVP", "2\r\n");
    EXPECT_EQ(findCaseInsensitive(install.path("programs/pump.cvp")), install.path("Programs/PUMP.CVP"));
    EXPECT_TRUE(fileExistsNoCase(install.path("PROGRAMS/Pump.Cvp")));
    EXPECT_FALSE(fileExistsNoCase(install.path("programs/pumps.cvp")));
    EXPECT_FALSE(fileExistsNoCase(install.path("programs"))) << "a folder is not a file";
    EXPECT_EQ(findCaseInsensitive(install.path("programs/new/x.txt")), install.path("Programs/new/x.txt"))
        << "parts that do not exist are kept as written";
}

TEST(FileLookup, RemovesEverySpellingOfANameAndNothingElse)
{
    TestInstall install;
    install.writeFile("Programs/PUMP.GBL", "a");
    install.writeFile("Programs/pump.gbl", "b");
    install.writeFile("Programs/PUMP.CVP", "2\r\n");
    install.writeFile("programs/PUMP.GBL", "other folder");
    EXPECT_TRUE(removeFileNoCase(install.path("Programs/Pump.Gbl")));
    EXPECT_FALSE(QFileInfo::exists(install.path("Programs/PUMP.GBL")));
    EXPECT_FALSE(QFileInfo::exists(install.path("Programs/pump.gbl")));
    EXPECT_TRUE(QFileInfo::exists(install.path("Programs/PUMP.CVP")));
    EXPECT_TRUE(QFileInfo::exists(install.path("programs/PUMP.GBL"))) << "only the named folder";
    EXPECT_TRUE(removeFileNoCase(install.path("Programs/none.gbl"))) << "nothing to remove is no failure";
}

TEST(Convert, ValReadsTheLeadingNumber)
{
    EXPECT_EQ(val("  42abc"), 42);
    EXPECT_EQ(val("-3.5x"), -3.5);
    EXPECT_EQ(val("abc"), 0);
    EXPECT_EQ(val(""), 0);
    EXPECT_EQ(val("1 2"), 12) << "blanks inside a number are skipped";
    EXPECT_EQ(valInt("99999999999999999999999"), std::numeric_limits<qint64>::max());
}
} // namespace

namespace {
TEST(FileLookup, SameEntryThroughALinkButNotTwoFolders)
{
    TestInstall install;
    install.writeFile("progs/PUMP.CVP", "2\r\n");
    QDir().mkpath(install.path("other"));
    ASSERT_TRUE(QFile::link(install.path("progs"), install.path("alias")));
    EXPECT_TRUE(sameFileSystemEntry(install.path("progs"), install.path("alias")));
    EXPECT_TRUE(sameFileSystemEntry(install.path("progs/PUMP.CVP"), install.path("alias/PUMP.CVP")));
    EXPECT_FALSE(sameFileSystemEntry(install.path("progs"), install.path("other")));
    EXPECT_FALSE(sameFileSystemEntry(install.path("progs"), install.path("missing")));
}
} // namespace
