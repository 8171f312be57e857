// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>

namespace numbelle {
namespace {

std::string printable(std::u16string_view text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\u" + std::to_string(static_cast<unsigned>(c));
        }
    }
    return out;
}

std::u16string repeated(std::u16string_view piece, int count)
{
    std::u16string out;
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

// Test names come from the table rows.
template <typename Case>
std::string rowName(const testing::TestParamInfo<Case> &row)
{
    return row.param.name;
}

struct ValueCase {
    const char *name;
    std::u16string_view text;
    double expected;
};

void PrintTo(const ValueCase &c, std::ostream *os) { *os << printable(c.text); }

class ExpressionValue : public testing::TestWithParam<ValueCase> {};

TEST_P(ExpressionValue, Evaluates)
{
    const ValueCase &c = GetParam();
    const auto result = evaluateExpression(c.text);
    ASSERT_TRUE(result.has_value()) << printable(c.text);
    EXPECT_DOUBLE_EQ(*result, c.expected) << printable(c.text);
}

const ValueCase kPrecedence[] = {
    {"MultiplyBeforeAdd", u"1+2*3", 7},
    {"PowerIsLeftAssociative", u"2^3^2", 64},
    {"NegationBeforePower", u"-2^2", 4},
    {"NegationInsideParentheses", u"1+(-2^2)", 5},
    {"NegatedPowerNeedsParentheses", u"-(2^2)", -4},
    {"NegationBeforePowerAfterProduct", u"2*-3^2", 18},
    {"NegationBeforePowerAfterDifference", u"1 - -3^2", -8},
    {"NegativeExponent", u"2^-1", 0.5},
    {"NegativeExponentThenPower", u"2^-1^2", 0.25},
    {"NegationOfBothSides", u"-2^-2", 0.25},
    {"NegativeFactor", u"2*-3", -6},
    {"DoubleNegation", u"- -3", 3},
    {"SubtractLeftToRight", u"10-4-3", 3},
    {"DivideLeftToRight", u"100/10/5", 2},
    {"IntegerDivision", u"10\\3", 3},
    {"MultiplyBeforeIntegerDivision", u"7\\2*2", 1},
    {"IntegerDivisionBeforeMod", u"9 Mod 6\\2", 0},
    {"ModBeforeAdd", u"2+7 Mod 4", 5},
    {"AddBeforeJoin", u"2+3 & 4", 54},
    {"JoinBeforeCompare", u"1 & 2 = 12", -1},
    {"CompareEqual", u"1 = 1", -1},
    {"CompareNotEqual", u"1 <> 1", 0},
    {"CompareLess", u"2 < 3", -1},
    {"CompareGreater", u"2 > 3", 0},
    {"CompareLessOrEqual", u"3 <= 3", -1},
    {"CompareGreaterOrEqual", u"2 >= 3", 0},
    {"CompareGreaterOrEqualReversed", u"3 => 3", -1},
    {"CompareLessOrEqualReversed", u"4 =< 3", 0},
    {"CompareNotEqualReversed", u"2 >< 3", -1},
    {"ReversedSpellingTakesSign", u"1 =<-2", 0},
    {"NotZero", u"Not 0", -1},
    {"NotTakesComparison", u"Not 1 = 2", -1},
    {"NotBeforeAnd", u"Not 0 And 5", 5},
    {"AndBitwise", u"5 And 3", 1},
    {"OrBitwise", u"5 Or 3", 7},
    {"XorBitwise", u"5 Xor 3", 6},
    {"EqvBitwise", u"5 Eqv 3", -7},
    {"ImpBitwise", u"-1 Imp 0", 0},
    {"AndBeforeOr", u"4 Or 2 And 1", 4},
    {"OrBeforeXor", u"1 Xor 1 Or 1", 0},
    {"EqvBeforeImp", u"0 Imp 0 Eqv 5", -1},
    {"Parentheses", u"(1+2)*3", 9},
    {"ParenthesisedPower", u"2^(3^2)", 512},
    {"BlanksAndTabs", u"\t1 +\t2 ", 3},
    {"KeywordsIgnoreCase", u"7 mOD 3 + NOT 0", 0},
    {"BooleansAreBitwise", u"(1 = 1) And (2 = 2)", -1},
};
INSTANTIATE_TEST_SUITE_P(Precedence, ExpressionValue, testing::ValuesIn(kPrecedence), rowName<ValueCase>);

const ValueCase kLiterals[] = {
    {"Integer", u"12", 12},
    {"Fraction", u"1.5", 1.5},
    {"LeadingPoint", u".5", 0.5},
    {"TrailingPoint", u"5.", 5},
    {"Exponent", u"1E3", 1000},
    {"NegativeExponent", u"1.5e-3", 0.0015},
    {"SignedExponent", u"1E+16", 1e16},
    {"Underflow", u"1E-400", 0},
    {"Hex", u"&H1F", 31},
    {"HexLowerCase", u"&h1f", 31},
    {"HexIntegerMinusOne", u"&HFFFF", -1},
    {"HexIntegerMinimum", u"&H8000", -32768},
    {"HexLong", u"&H10000", 65536},
    {"HexLongMinusOne", u"&HFFFFFFFF", -1},
    {"HexLongMaximum", u"&H7FFFFFFF", 2147483647},
    {"Octal", u"&O17", 15},
    {"OctalShort", u"&17", 15},
    {"OctalIntegerMinusOne", u"&O177777", -1},
    {"HexAfterOperator", u"1 + &H10", 17},
    {"HexLongSuffix", u"&H10&", 16},
    {"HexLongSuffixSixteenBitsPositive", u"&HFFFF&", 65535},
    {"HexLongSuffixThirtyTwoBits", u"&HFFFFFFFF&", -1},
    {"OctalLongSuffix", u"&O177777&", 65535},
    {"OctalShortLongSuffix", u"&17&", 15},
    {"HexLongSuffixThenOperator", u"&H10& + 1", 17},
    {"HexLongSuffixThenJoin", u"&H10& & 1", 161},
    {"HexLongSuffixThenJoinWithoutBlanks", u"&H10&&1", 161},
    {"HexBlankThenJoin", u"&H10 & 1", 161},
    {"True", u"True", -1},
    {"False", u"false", 0},
    {"NumericText", u"\" 12 \"", 12},
    {"QuoteEscape", u"\"a\"\"b\" = \"a\" & \"\"\"\" & \"b\"", -1},
};
INSTANTIATE_TEST_SUITE_P(Literals, ExpressionValue, testing::ValuesIn(kLiterals), rowName<ValueCase>);

const ValueCase kCoercion[] = {
    {"JoinNumbers", u"1 & 2", 12},
    {"JoinWithoutBlanks", u"1&2", 12},
    {"JoinHexLiteral", u"1 & &H10", 116},
    {"JoinKeepsFifteenDigits", u"1/3 & 0", 0.333333333333333},
    {"JoinUsesExponentText", u"1E+16 & 0", 1e160},
    {"JoinFraction", u"0.1 & 5", 0.15},
    {"JoinSingleUsesSevenDigits", u"CSng(0.1) & 1", 0.11},
    {"PlusJoinsTwoTexts", u"\"1\" + \"2\"", 12},
    {"PlusConvertsOneText", u"\"1\" + 2", 3},
    {"TextHexConverts", u"\"&HFF\" * 1", 255},
    {"TextsCompareAsText", u"\"10\" < \"9\"", -1},
    {"TextAndNumberCompareAsNumbers", u"\"10\" < 9", 0},
    {"ParenthesesKeepALiteral", u"\"10\" < (9)", 0},
    {"PlusSignKeepsALiteral", u"\"10\" < +9", 0},
    {"MinusSignMakesTextCompare", u"\"-1\" > -2", 0},
    {"TextCompareIsBinary", u"\"B\" < \"a\"", -1},
    {"TextAgainstTrueComparesAsText", u"\"True\" = True", -1},
    {"TextAgainstBooleanIsCaseSensitive", u"\"true\" = True", 0},
    {"EmptyTextAgainstFalse", u"\"\" = False", 0},
    {"ComparisonResultAgainstText", u"(1 = 2) = \"False\"", -1},
    {"NumericTextAgainstBoolean", u"\"-1\" = True", 0},
    {"TextOrderAgainstBoolean", u"\"A\" < True", -1},
    {"BooleanArithmetic", u"True + True", -2},
    {"IntegerDivisionTruncates", u"-7\\2", -3},
    {"IntegerDivisionRoundsHalfEven", u"7.5\\2", 4},
    {"IntegerDivisionRoundsHalfDown", u"6.5\\1", 6},
    {"ModSignOfDividend", u"-7 Mod 3", -1},
    {"ModPositiveDividend", u"7 Mod -3", 1},
    {"ModRoundsOperands", u"3.5 Mod 3", 1},
    {"LongMinimum", u"-2147483648 \\ 1", -2147483648.0},
};
INSTANTIATE_TEST_SUITE_P(Coercion, ExpressionValue, testing::ValuesIn(kCoercion), rowName<ValueCase>);

const ValueCase kFunctions[] = {
    {"Abs", u"Abs(-2.5)", 2.5},
    {"Atn", u"Atn(1)*4", 3.141592653589793},
    {"Cos", u"Cos(0)", 1},
    {"Sin", u"Sin(0)", 0},
    {"Tan", u"Tan(1)", std::tan(1.0)},
    {"Exp", u"Exp(1)", 2.718281828459045},
    {"ExpUnderflow", u"Exp(-1000)", 0},
    {"FixTruncates", u"Fix(-2.7)", -2},
    {"IntFloors", u"Int(-2.7)", -3},
    {"Log", u"Log(Exp(2))", 2},
    {"SgnNegative", u"Sgn(-3)", -1},
    {"SgnZero", u"Sgn(0)", 0},
    {"SgnPositive", u"Sgn(0.1)", 1},
    {"Sqr", u"Sqr(2)", 1.4142135623730951},
    {"NameIgnoresCase", u"SQR(16)", 4},
    {"BlankBeforeArguments", u"sqr (16)", 4},
    {"CDblText", u"CDbl(\"1.5\")", 1.5},
    {"CIntHalfToEven", u"CInt(2.5)", 2},
    {"CIntHalfUp", u"CInt(3.5)", 4},
    {"CIntNegativeHalf", u"CInt(-2.5)", -2},
    {"CIntMinimum", u"CInt(-32768.5)", -32768},
    {"CLngMaximum", u"CLng(2147483647.4)", 2147483647},
    {"CLngHalfToEven", u"CLng(-1.5)", -2},
    {"CSng", u"CSng(0.1)", static_cast<double>(0.1f)},
    {"SingleEqualsDoubleInSinglePrecision", u"CSng(0.1) = 0.1", -1},
    {"SingleAgainstDoubleOrder", u"CSng(0.1) > 0.1", 0},
    {"SingleAgainstNumericText", u"CSng(0.1) = \"0.1\"", -1},
    {"SingleAgainstLongExact", u"CSng(16777217) = 16777217", 0},
    {"SingleArithmeticRoundsToSingle", u"CSng(0.1) + 1", static_cast<double>(1.1f)},
    {"SingleProductStaysSingle", u"CSng(0.1) * 3 = CSng(0.3)", -1},
    {"SingleQuotientStaysSingle", u"CSng(1) / 3", static_cast<double>(1.0f / 3.0f)},
    {"SingleWithLongIsDouble", u"CSng(0.1) * 65536", static_cast<double>(0.1f) * 65536},
    {"NotOfByteKeepsEightBits", u"Not CByte(0)", 255},
    {"CBoolTrue", u"CBool(5)", -1},
    {"CBoolText", u"CBool(\"False\")", 0},
    {"CBoolHashedTrue", u"CBool(\"#TRUE#\")", -1},
    {"CBoolHashedFalseAnyCaseAndBlanks", u"CBool(\" #fAlSe# \")", 0},
    {"HexDigitsOnly", u"Hex(16)", 10},
    {"OctDigits", u"Oct(8)", 10},
    {"HexText", u"Hex(255) = \"FF\"", -1},
    {"HexRoundsArgument", u"Hex(254.5) = \"FE\"", -1},
    {"HexIntegerComplement", u"Hex(-1) = \"FFFF\"", -1},
    {"HexIntegerMinimum", u"Hex(&H8000) = \"8000\"", -1},
    {"HexCIntMinimum", u"Hex(CInt(-32768)) = \"8000\"", -1},
    {"HexNegatedLongLiteral", u"Hex(-32768) = \"FFFF8000\"", -1},
    {"HexIntegerProduct", u"Hex(-2 * 3) = \"FFFA\"", -1},
    {"HexIntegerOverflowsToLong", u"Hex(-200 * 200) = \"FFFF63C0\"", -1},
    {"HexDoubleIsLong", u"Hex(-1.5) = \"FFFFFFFE\"", -1},
    {"HexQuotientIsDouble", u"Hex(-4 / 2) = \"FFFFFFFE\"", -1},
    {"HexTextIsLong", u"Hex(\"-1\") = \"FFFFFFFF\"", -1},
    {"HexBooleanSixteenBits", u"Hex(True) = \"FFFF\"", -1},
    {"HexLongSuffixLiteral", u"Hex(&HFFFF&) = \"FFFF\"", -1},
    {"HexLongSuffixNegative", u"Hex(&HDEADBEEF&) = \"DEADBEEF\"", -1},
    {"OctNegatedLongLiteral", u"Oct(-32768) = \"37777700000\"", -1},
    {"HexTwiceNegatedIntegerMinimum", u"Hex(--&H8000) = \"FFFF8000\"", -1},
    {"HexPowerIsDouble", u"Hex(-2^1) = \"FFFFFFFE\"", -1},
    {"HexIntegerQuotient", u"Hex(-7 \\ 2) = \"FFFD\"", -1},
    {"HexNotOfInteger", u"Hex(Not 0) = \"FFFF\"", -1},
    {"HexNotOfLong", u"Hex(Not 65535) = \"FFFF0000\"", -1},
    {"HexAbsKeepsInteger", u"Hex(-Abs(-2)) = \"FFFE\"", -1},
    {"HexLongComplement", u"Hex(-32769) = \"FFFF7FFF\"", -1},
    {"HexLongMinimum", u"Hex(-2147483648) = \"80000000\"", -1},
    {"OctIntegerComplement", u"Oct(-1) = \"177777\"", -1},
    {"RoundHalfToEven", u"Round(2.5)", 2},
    {"RoundHalfUp", u"Round(3.5)", 4},
    {"RoundNegativeHalf", u"Round(-2.5)", -2},
    {"RoundExactTie", u"Round(0.125, 2)", 0.12},
    {"RoundExactTieUp", u"Round(0.375, 2)", 0.38},
    {"RoundHeldBelowTie", u"Round(2.675, 2)", 2.67},
    {"RoundOneDecimal", u"Round(123.456, 1)", 123.5},
    {"RoundManyDecimals", u"Round(1.5, 20)", 1.5},
    {"Nested", u"Abs(Int(-2.5))", 3},
};
INSTANTIATE_TEST_SUITE_P(Functions, ExpressionValue, testing::ValuesIn(kFunctions), rowName<ValueCase>);

struct ErrorCase {
    const char *name;
    std::u16string_view text;
};

void PrintTo(const ErrorCase &c, std::ostream *os) { *os << printable(c.text); }

class ExpressionError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ExpressionError, GivesNoValue)
{
    EXPECT_EQ(evaluateExpression(GetParam().text), std::nullopt) << printable(GetParam().text);
}

const ErrorCase kSyntaxErrors[] = {
    {"Empty", u""},
    {"OnlyBlanks", u" \t"},
    {"MissingOperand", u"2+"},
    {"LoneOperator", u"*"},
    {"UnclosedParenthesis", u"(1+2"},
    {"ExtraParenthesis", u"1+2)"},
    {"EmptyParentheses", u"()"},
    {"TwoNumbers", u"1 2"},
    {"TwoPoints", u"1.2.3"},
    {"BareExponent", u"1E"},
    {"EmptyHex", u"&H"},
    {"BadOctalDigit", u"&8"},
    {"BadHexDigit", u"&HG"},
    {"UnterminatedText", u"\"abc"},
    {"ChineseCharacters", u"\u4E00\u52A0\u4E00"},
    {"Dollar", u"1$"},
    {"Hash", u"#1"},
    {"Newline", u"1\n+2"},
    {"SplitComparison", u"1 < = 2"},
    {"SplitReversedComparison", u"1 = > 2"},
    {"TripleComparison", u"1 <=> 2"},
    {"DoubleStar", u"2 ** 3"},
    {"UnknownName", u"Foo(1)"},
    {"FunctionWithoutArguments", u"Abs"},
    {"OperatorKeywordFirst", u"Mod 3"},
    {"NotBetweenOperands", u"1 Not 2"},
    {"TrailingComma", u"Round(1,)"},
    {"TooManyArguments", u"Round(1, 2, 3)"},
    {"TooFewArguments", u"Abs()"},
    {"SecondArgument", u"Abs(1, 2)"},
    {"RndTwoArguments", u"Rnd(1, 2)"},
    {"CallOnLiteral", u"True(1)"},
};
INSTANTIATE_TEST_SUITE_P(Syntax, ExpressionError, testing::ValuesIn(kSyntaxErrors), rowName<ErrorCase>);

const ErrorCase kEvaluationErrors[] = {
    {"DivideByZero", u"1/0"},
    {"ZeroByZero", u"0/0"},
    {"IntegerDivideByZero", u"1\\0"},
    {"ModByZero", u"1 Mod 0"},
    {"ModByRoundedZero", u"1 Mod 0.4"},
    {"ProductOverflow", u"1E+308*10"},
    {"LiteralOverflow", u"1E309"},
    {"HexTooWide", u"&H100000000"},
    {"HexLongSuffixTooWide", u"&H100000000&"},
    {"HexLongSuffixThenNumber", u"&H10&1"},
    {"HexLongSuffixThenName", u"&H10&H10"},
    {"RootOfNegative", u"(-8)^(1/3)"},
    {"RootOfNegatedLiteral", u"-8^(1/3)"},
    {"ZeroToNegativePower", u"0^-1"},
    {"IntegerDivisionOperandTooBig", u"2147483648 \\ 1"},
    {"IntegerDivisionResultTooBig", u"-2147483648 \\ -1"},
    {"ModOperandRoundsOutOfRange", u"2147483647.5 Mod 2"},
    {"NotOutOfRange", u"Not 2147483648"},
    {"NonNumericText", u"\"FF\" + 1"},
    {"EmptyText", u"\"\" + 1"},
    {"TextResult", u"\"abc\""},
    {"BooleanText", u"True & 1"},
    {"HexLettersResult", u"Hex(255)"},
    {"TextAgainstNumber", u"\"a\" = 1"},
    {"SqrNegative", u"Sqr(-1)"},
    {"LogZero", u"Log(0)"},
    {"LogNegative", u"Log(-1)"},
    {"ExpOverflow", u"Exp(710)"},
    {"CIntHalfBeyondRange", u"CInt(32767.5)"},
    {"CIntBelowRange", u"CInt(-32768.6)"},
    {"CLngHalfBeyondRange", u"CLng(2147483647.5)"},
    {"CSngOutOfRange", u"CSng(1E39)"},
    {"HexOutOfRange", u"Hex(2147483648)"},
    {"RoundNegativeDecimals", u"Round(1.5, -1)"},
    {"CBoolWord", u"CBool(\"yes\")"},
    {"CBoolHashOpen", u"CBool(\"#TRUE\")"},
    {"CBoolHashedTooLong", u"CBool(\"#TRUEX#\")"},
    {"CDblHashedTrue", u"CDbl(\"#TRUE#\")"},
    {"CBoolWordWithWideLetter", u"CBool(\"\u0174rue\")"}, // U+0174 is not "t"
    {"AbsOfText", u"Abs(\"x\")"},
    {"RndSeedOutOfRange", u"Rnd(-1E39)"},
};
INSTANTIATE_TEST_SUITE_P(Evaluation, ExpressionError, testing::ValuesIn(kEvaluationErrors), rowName<ErrorCase>);

TEST(ExpressionRnd, StaysInUnitIntervalAndRepeatsForNegativeSeeds)
{
    for (int i = 0; i < 200; ++i) {
        const auto r = evaluateExpression(i % 2 ? u"Rnd" : u"Rnd(1)");
        ASSERT_TRUE(r.has_value());
        EXPECT_GE(*r, 0.0);
        EXPECT_LT(*r, 1.0);
    }
    const auto seeded = evaluateExpression(u"Rnd(-3)");
    ASSERT_TRUE(seeded.has_value());
    EXPECT_EQ(evaluateExpression(u"Rnd(0)"), seeded);
    EXPECT_NE(evaluateExpression(u"Rnd()"), seeded);
    EXPECT_EQ(evaluateExpression(u"Rnd(-3)"), seeded);
    EXPECT_EQ(evaluateExpression(u"Rnd(-3) = Rnd(-3)"), -1.0);
    const auto die = evaluateExpression(u"Int(Rnd * 6) + 1");
    ASSERT_TRUE(die.has_value());
    EXPECT_TRUE(*die >= 1 && *die <= 6);
}

TEST(ExpressionLimits, LongInputsEvaluateInLinearTime)
{
    EXPECT_EQ(evaluateExpression(repeated(u"1+", 50000) + u"1"), 50001.0);
    EXPECT_EQ(evaluateExpression(repeated(u"0&", 50000) + u"1"), 1.0);
    EXPECT_EQ(evaluateExpression(repeated(u"- ", 50001) + u"1"), -1.0);
    EXPECT_EQ(evaluateExpression(repeated(u"1^-", 50000) + u"1"), 1.0);
    EXPECT_EQ(evaluateExpression(repeated(u"Not ", 50000) + u"7"), 7.0);
    EXPECT_EQ(evaluateExpression(u"\"" + repeated(u"9", 100000) + u"\""), std::nullopt);
}

TEST(ExpressionLimits, ModerateNestingWorksDeepNestingFails)
{
    EXPECT_EQ(evaluateExpression(repeated(u"(", 100) + u"1" + repeated(u")", 100)), 1.0);
    EXPECT_EQ(evaluateExpression(repeated(u"1+(", 100) + u"1" + repeated(u")", 100)), 101.0);
    EXPECT_EQ(evaluateExpression(repeated(u"Abs(-", 100) + u"2" + repeated(u")", 100)), 2.0);
    EXPECT_EQ(evaluateExpression(repeated(u"(", 10000) + u"1" + repeated(u")", 10000)), std::nullopt);
    EXPECT_EQ(evaluateExpression(repeated(u"-(", 10000) + u"1" + repeated(u")", 10000)), std::nullopt);
    EXPECT_EQ(evaluateExpression(repeated(u"2^-(", 10000) + u"1" + repeated(u")", 10000)), std::nullopt);
    EXPECT_EQ(evaluateExpression(repeated(u"(", 10000)), std::nullopt);
}

// Random token soup: whatever comes out must be a finite number or no value at all.
TEST(ExpressionRandomInput, NeverCrashesOrReturnsNonFinite)
{
    const std::u16string_view pieces[] = {
        u"1",    u"0",      u"2.5",  u".5",  u"1E308", u"-",    u"+",   u"*",      u"/",    u"\\", u"^",
        u"&",    u"&H",     u"FFFF", u"&O7", u"=",     u"<>",   u"<",   u">=",     u"(",    u")",  u",",
        u" ",    u"Mod",    u"Not",  u"And", u"Or",    u"Xor",  u"Eqv", u"Imp",    u"True", u"\"", u"\"1\"",
        u"Sqr(", u"Round(", u"Hex(", u"Rnd", u"CInt(", u"Log(", u"E",   u"\u4E2D", u"#",
    };
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 24);
    for (int i = 0; i < 20000; ++i) {
        std::u16string text;
        for (int n = length(random); n > 0; --n)
            text += pieces[pick(random)];
        const auto result = evaluateExpression(text);
        if (result) {
            ASSERT_TRUE(std::isfinite(*result)) << printable(text);
        }
    }
}

} // namespace
} // namespace numbelle
