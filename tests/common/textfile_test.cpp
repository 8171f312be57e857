// SPDX-License-Identifier: GPL-3.0-or-later
// GBK at the file boundary and the list-input reader of the program's files.

#include "common/textfile.h"

#include <gtest/gtest.h>

using namespace numbelle;

TEST(Gbk, ChineseTextRoundTripsThroughGbkBytes)
{
    const QString text = QStringLiteral("计算器sound开.bmp 壹仟贰佰元整");
    const QByteArray bytes = toGbk(text);
    EXPECT_EQ(toGbk(QStringLiteral("中")), QByteArray("\xD6\xD0"));
    EXPECT_EQ(fromGbk(bytes), text);
    // A character GBK cannot hold is written as "?".
    EXPECT_EQ(toGbk(QStringLiteral("a😀b")), QByteArray("a?b"));
}

TEST(Gbk, ListingEscapesControlCharactersBackslashesAndInvalidBytes)
{
    EXPECT_EQ(fromGbkEscaped(QByteArray(" 1 5\r\n")).toStdString(), " 1 5\\r\\n");
    EXPECT_EQ(fromGbkEscaped(QByteArray(".\\countface107.jpg\t")).toStdString(), ".\\\\countface107.jpg\\t");
    EXPECT_EQ(fromGbkEscaped(QByteArray("a\xFF"
                                        "b"))
                  .toStdString(),
              "a\\xFFb");
    EXPECT_EQ(fromGbkEscaped(QByteArray("\xD6\xD0\xD6")), QStringLiteral("中\\xD6"));
    // The second byte of a GBK character may be a backslash; it is no escape.
    EXPECT_EQ(fromGbkEscaped(toGbk(QStringLiteral("诚"))), QStringLiteral("诚"));
    EXPECT_EQ(fromGbk(QByteArray("x\xFF")), QStringLiteral("x\uFFFD"));
}

TEST(ListReader, NumbersEndAtBlanksCommasAndLineEnds)
{
    const QString text = QStringLiteral(" 22  30 ,-1.5\r\n .5 7");
    ListReader r(text);
    double v = 0;
    ASSERT_TRUE(r.readNumber(v));
    EXPECT_EQ(v, 22);
    ASSERT_TRUE(r.readNumber(v));
    EXPECT_EQ(v, 30);
    ASSERT_TRUE(r.readNumber(v));
    EXPECT_EQ(v, -1.5);
    ASSERT_TRUE(r.readNumber(v));
    EXPECT_EQ(v, 0.5);
    ASSERT_TRUE(r.readNumber(v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.readNumber(v));
}

TEST(ListReader, TextItemsRunToTheLineEndOrCommaAndQuotesMayHoldCommas)
{
    const QString text = QStringLiteral(" 1 my skin.jpg,rest\r\n 2 \"a, b\"\r\n 3 12abc");
    ListReader r(text);
    double n = 0;
    QString s;
    ASSERT_TRUE(r.readNumber(n));
    ASSERT_TRUE(r.readText(s));
    EXPECT_EQ(s, QStringLiteral("my skin.jpg"));
    ASSERT_TRUE(r.readText(s));
    EXPECT_EQ(s, QStringLiteral("rest"));
    ASSERT_TRUE(r.readNumber(n));
    EXPECT_EQ(n, 2);
    ASSERT_TRUE(r.readText(s));
    EXPECT_EQ(s, QStringLiteral("a, b"));
    ASSERT_TRUE(r.readNumber(n));
    EXPECT_FALSE(r.readNumber(n)); // "12abc" is no number
}
