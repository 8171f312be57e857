// SPDX-License-Identifier: GPL-3.0-or-later
// The check character of 18-character identity numbers (ISO 7064 MOD 11-2),
// checked against numbers whose check character is known.

#include "common/identitynumber.h"
#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

using namespace numbelle;

namespace {

TEST(IdentityCheckCharacter, EveryRemainderGivesItsCharacter)
{
    // Bodies chosen for each remainder of the weighted sum: 0 gives "1",
    // 1 gives "0", 2 gives "X", 3 to 10 give 12 - r.
    struct Row {
        const char16_t *body;
        char16_t check;
    };
    const Row rows[] = {
        {u"11010519491231001", u'1'}, {u"11010519491231007", u'0'}, {u"11010519491231002", u'X'},
        {u"44052419800101001", u'3'}, {u"00000000000000000", u'1'}, {u"00000000000000001", u'X'},
        {u"00000000000000002", u'8'}, {u"00000000000000003", u'6'}, {u"00000000000000004", u'4'},
        {u"00000000000000005", u'2'}, {u"10000000000000000", u'5'}, {u"99999999999999999", u'3'},
    };
    for (const Row &row : rows)
        EXPECT_EQ(identityCheckCharacter(QString::fromUtf16(row.body)), QChar(row.check))
            << QString::fromUtf16(row.body).toStdString();
}

TEST(IdentityCheckCharacter, OnlySeventeenDigitsHaveOne)
{
    EXPECT_FALSE(identityCheckCharacter(u"1101051949123100"));
    EXPECT_FALSE(identityCheckCharacter(u"1101051949123100X"));
    EXPECT_FALSE(identityCheckCharacter(u"11010519 91231002"));
    EXPECT_FALSE(identityCheckCharacter(u"１1010519491231002"));
    // Anything after the 17th character is not looked at.
    EXPECT_EQ(identityCheckCharacter(u"11010519491231002?"), QChar(u'X'));
}

TEST(IdentityNumber, ShapeAndCheck)
{
    EXPECT_TRUE(looksLikeIdentityNumber(u"11010519491231002X"));
    EXPECT_TRUE(looksLikeIdentityNumber(u"11010519491231002x"));
    EXPECT_TRUE(looksLikeIdentityNumber(u"110105194912310021"));
    EXPECT_FALSE(looksLikeIdentityNumber(u"110105491231002"));
    EXPECT_FALSE(looksLikeIdentityNumber(u"11010519491231002X1"));
    EXPECT_FALSE(looksLikeIdentityNumber(u"1101051949123100X2"));
    EXPECT_FALSE(looksLikeIdentityNumber(u"11010519491231002Y"));

    EXPECT_FALSE(hasWrongCheckCharacter(u"11010519491231002X"));
    EXPECT_FALSE(hasWrongCheckCharacter(u"11010519491231002x"));
    EXPECT_TRUE(hasWrongCheckCharacter(u"110105194912310021"));
    EXPECT_TRUE(hasWrongCheckCharacter(u"44052419800101001X"));
    EXPECT_FALSE(hasWrongCheckCharacter(u"440524198001010013"));
    // Only 18-character numbers are checked.
    EXPECT_FALSE(hasWrongCheckCharacter(u"110105491231002"));
    EXPECT_FALSE(hasWrongCheckCharacter(u"壹佰元整"));
}

} // namespace
