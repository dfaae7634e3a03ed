#include "trending/TrendFile.h"

#include <gtest/gtest.h>

namespace {

TEST(TrendFile, ClearedGridIsFourteenLinesAndReadsBack)
{
    std::vector<TrendRow> rows{{"(sec)", "Data:"}};
    rows.resize(12);
    const QByteArray bytes = trendFileBytes("W100", 3, rows);
    EXPECT_EQ(bytes, QByteArray("W100\r\n 3 \r\n(sec), Data:\r\n") + QByteArray(", \r\n").repeated(11));

    const TrendFileContent c = parseTrendFile(bytes, 15);
    ASSERT_EQ(c.status, TrendFileContent::Status::Ok);
    EXPECT_EQ(c.address, "W100");
    EXPECT_EQ(c.boardRow, 3);
    ASSERT_EQ(c.rows.size(), 11u);
    for (const TrendRow& r : c.rows)
        EXPECT_EQ(r, TrendRow());
}

TEST(TrendFile, ReadsWhatOtherWritersLeave)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString address;
        int board;
        std::vector<TrendRow> rows;
    };
    const Case cases[] = {
        {"LF line ends, no blank after the comma", "B3.7\n 14 \n(sec),Data:\n12.5,1023\n0,7", "B3.7", 14,
         {{"12.5", "1023"}, {"0", "7"}}},
        {"address read whole, commas and all", "W1, W2\r\n0\r\n(sec), Data:\r\n", "W1, W2", 0, {}},
        {"board index a half below the first row", "W1\r\n-0.5\r\n(sec), Data:\r\n", "W1", 0, {}},
        {"board index a half beyond the last row", "W1\r\n14.5\r\n(sec), Data:\r\n", "W1", 14, {}},
        {"quoted items", "X1\r\n2\r\n\"(sec)\",\"Data:\"\r\n\"1.5\",\"a,b\"\r\n", "X1", 2, {{"1.5", "a,b"}}},
    };
    for (const Case& c : cases) {
        const TrendFileContent got = parseTrendFile(c.bytes, 15);
        ASSERT_EQ(got.status, TrendFileContent::Status::Ok) << c.name;
        EXPECT_EQ(got.address, c.address) << c.name;
        EXPECT_EQ(got.boardRow, c.board) << c.name;
        EXPECT_EQ(got.rows, c.rows) << c.name;
    }
}

TEST(TrendFile, CutOrBadFilesAreRefusedWhole)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        TrendFileContent::Status status;
        int error;
    };
    const Case cases[] = {
        {"empty", "", TrendFileContent::Status::Empty, 0},
        {"address only", "W100\r\n", TrendFileContent::Status::Bad, 62},
        {"no header", "W100\r\n 3 \r\n", TrendFileContent::Status::Bad, 62},
        {"board not a number", "W100\r\nK7715\r\n(sec), Data:\r\n", TrendFileContent::Status::Bad, 13},
        {"board beyond the list", "W100\r\n 15 \r\n(sec), Data:\r\n", TrendFileContent::Status::Bad, 380},
        {"negative board", "W100\r\n-1\r\n(sec), Data:\r\n", TrendFileContent::Status::Bad, 380},
        {"row cut after its time", "W100\r\n 3 \r\n(sec), Data:\r\n1, 2\r\n3", TrendFileContent::Status::Bad, 62},
    };
    for (const Case& c : cases) {
        const TrendFileContent got = parseTrendFile(c.bytes, 15);
        EXPECT_EQ(got.status, c.status) << c.name;
        EXPECT_EQ(got.errorNumber, c.error) << c.name;
        EXPECT_TRUE(got.rows.empty()) << c.name;
    }
}

} // namespace
