#include "monitor/StatusTableFile.h"

#include <gtest/gtest.h>

namespace {
TEST(StatusTableFile, ReadsTheBoardCodeThenOneAddressPerItem)
{
    struct Case {
        QByteArray bytes;
        int code;
        QStringList addresses;
    } cases[] = {
        {" 49 \r\nB12\r\n\r\nW100\r\n\r\n", 49, {"B12", "", "W100", ""}},
        {" 0 \r\n", 0, {}},
        {"50", 50, {}},
        {"68\nB1\nX2", 68, {"B1", "X2"}},
        {"49\r\nB1,B2\r\n", 49, {"B1", "B2"}},
        {"abc\r\nB1\r\n", 0, {"B1"}},
        {"99999999999\r\nB1\r\n", 0, {"B1"}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        const StatusTableFileData d = readStatusTableFile(c.bytes);
        EXPECT_EQ(d.boardCode, c.code) << c.bytes.constData();
        EXPECT_EQ(d.addresses, c.addresses) << c.bytes.constData();
        EXPECT_FALSE(d.cut);
    }
}

TEST(StatusTableFile, ReadingStopsAtTheAddressLimit)
{
    QByteArray bytes = " 50 \r\n";
    for (int i = 0; i < kStatusTableAddressLimit + 5; ++i)
        bytes += "B" + QByteArray::number(i) + "\r\n";
    const StatusTableFileData d = readStatusTableFile(bytes);
    EXPECT_TRUE(d.cut);
    ASSERT_EQ(d.addresses.size(), kStatusTableAddressLimit);
    EXPECT_EQ(d.addresses.back(), QStringLiteral("B%1").arg(kStatusTableAddressLimit - 1));
}

TEST(StatusTableFile, WritesTheCodeAsANumberAloneAndOneLinePerRow)
{
    EXPECT_EQ(statusTableFileBytes(0, {"B1", "", "1F4H", ""}), QByteArray(" 0 \r\nB1\r\n\r\n1F4H\r\n\r\n"));
    EXPECT_EQ(statusTableFileBytes(50, {}), QByteArray(" 50 \r\n"));
}
} // namespace
