// SPDX-License-Identifier: GPL-3.0-or-later
// The keypad calculator without windows: rows of keys, then what the main
// window would show (Label1, Label6), the words spoken and the state left.
//
// Keys are written as a small script: plain characters are typed (as the
// keyboard delivers them), and braces name the other inputs:
//   {Cn}   a click on button CommandN (through its guards)
//   {F2}   the F2 key (mode cycle); {L4} {L11} clicks on those labels
//   {T}    one tick of the read-out timer, {T*} ticks until it stops
//   {dpN}  decimal places N in the settings
//   {mem V} a stored memory value V (as read from the settings file)
// The calculator starts as the program starts it: in expression mode.

#include "common/numtext.h"
#include "engine/calculator.h"
#include "platform/recording/recordingplatform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"
#include "tests/support/qtprinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace numbelle;

namespace {

class Host final : public CalculatorHost {
public:
    void perform(Action action) override { actions.append(int(action)); }
    void focusEquals() override {}
    void messageBox(const QString &title, const QString &text) override { messages.append(title + u'|' + text); }
    void speakerChanged(bool) override {}

    QList<int> actions;
    QStringList messages;
};

// One calculator with its program-wide state, speaking into the recording
// platform, storing records in a folder of its own.
class Rig {
public:
    Rig()
        : settings(dir.path()), speaker(state, settings, recording.platform().sound),
          records(dir.filePath(QStringLiteral("datafile.txt")))
    {
        state.voiceOn = true;
        calc.startUp();
    }

    void run(QStringView keys)
    {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (keys[i] != u'{') {
                calc.keyPress(keys[i].unicode());
                continue;
            }
            const qsizetype end = keys.indexOf(u'}', i);
            const QString token = keys.mid(i + 1, end - i - 1).toString();
            i = end;
            if (token == u"F2")
                calc.keyDown(SpecialKey::F2);
            else if (token == u"L4")
                calc.clickLabel4();
            else if (token == u"L11")
                calc.clickLabel11();
            else if (token == u"T")
                tick();
            else if (token == u"T*") {
                for (int n = 0; n < 100 && calc.view().timer1Enabled; ++n)
                    tick();
            } else if (token.startsWith(u"dp"))
                settings.setDecimalPlaces(DecimalPlaces(token.mid(2).toInt()));
            else if (token.startsWith(u"mem ")) {
                settings.setMemory(true, token.mid(4).toDouble());
                calc.startUp();
            } else if (token.startsWith(u'C'))
                calc.clickButton(token.mid(1).toInt());
            else
                ADD_FAILURE() << "unknown key token " << token.toStdString();
        }
    }

    QString spoken() { return recording.takeSpoken().join(u' '); }

    // "name=value" pairs of state, values as shortest round-trip text.
    QString variable(const QString &name) const
    {
        if (name == u"pendingOperator")
            return QString::number(int(calc.pendingOperator()));
        if (name == u"accumulator")
            return shortestText(calc.accumulator());
        if (name == u"operand")
            return shortestText(calc.operand());
        if (name == u"lastResult")
            return shortestText(state.lastResult);
        if (name == u"memoryValue")
            return shortestText(settings.values().memoryValue);
        if (name == u"errorLock")
            return QString::number(calc.errorLock() ? kTrue : kFalse);
        if (name == u"pointEntered")
            return QString::number(calc.pointEntered() ? kTrue : kFalse);
        if (name == u"recordCount")
            return QString::number(state.recordCount);
        if (name == u"calcMode")
            return QString::number(state.calcMode);
        return QStringLiteral("<no variable %1>").arg(name);
    }

    QTemporaryDir dir;
    ProgramState state;
    SettingsStore settings;
    platform::RecordingPlatform recording;
    Speaker speaker;
    RecordStore records;
    Host host;
    Calculator calc{state, settings, speaker, records, host};

private:
    void tick()
    {
        if (calc.view().timer1Enabled)
            calc.timer1Tick();
    }
};

struct Row {
    const char *name;
    const char16_t *keys;
    const char16_t *label1;
    const char16_t *label6 = nullptr; // not checked when null
    const char *spoken = nullptr;     // not checked when null
    const char *state = nullptr;      // "name=value name=value", not checked when null
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Keys : public testing::TestWithParam<Row> {};

TEST_P(Keys, ShowSpeakAndLeaveState)
{
    const Row &row = GetParam();
    Rig rig;
    rig.run(row.keys);
    EXPECT_EQ(rig.calc.view().display, QString::fromUtf16(row.label1));
    if (row.label6) {
        EXPECT_EQ(rig.calc.view().message, QString::fromUtf16(row.label6));
    }
    if (row.spoken) {
        EXPECT_EQ(rig.spoken(), QString::fromLatin1(row.spoken));
    }
    if (row.state) {
        for (const QString &pair : QString::fromLatin1(row.state).split(u' ', Qt::SkipEmptyParts)) {
            const QString name = pair.section(u'=', 0, 0);
            EXPECT_EQ(rig.variable(name), pair.section(u'=', 1)) << name.toStdString();
        }
    }
}

std::string rowName(const testing::TestParamInfo<Row> &info) { return info.param.name; }

// Calculate mode is two F2 presses from the start.
#define CALC u"{F2}{F2}"

const Row kEntryRows[] = {
    {"LoneZeroIsReplaced", CALC u"7", u"7"},
    {"PointKeepsItsZero", CALC u"z.7", u"0.7"},
    {"SecondPointIgnored", CALC u"z.7.{C11}", u"0.7"},
    {"PointAfterOperatorStartsBare", CALC u"12+.5", u".5"},
    {"PointAfterOperatorAdds", CALC u"12+.5=", u"12.5", nullptr, "f1 f2 f14 f13 f5 f23"},
    {"BackspaceDropsPointThenDigit", CALC u"12.5\b\b", u"12", nullptr, nullptr, "pointEntered=0"},
    {"BackspaceToZero", CALC u"7\b\b", u"0"},
    {"AppendXOnlyInEntryMode", CALC u"x", u"0"},
    {"ClearEntryKeepsTheOperation", CALC u"5+3e4=", u"9", nullptr, "f5 f14 f3 f24 f4 f23"},
    {"ClearAllForgetsEverything", CALC u"8+{C21}", u"0", nullptr, nullptr,
     "pendingOperator=0 accumulator=0 lastResult=0"},
};
INSTANTIATE_TEST_SUITE_P(Entry, Keys, testing::ValuesIn(kEntryRows), rowName);

const Row kOperatorRows[] = {
    {"ChainWithoutPrecedence", CALC u"2+3*4=", u"20"},
    {"RunningTotalWithBlank", CALC u"2+3*", u" 5"},
    {"GoesOnFromResult", CALC u"2+3*4=+1=", u"21"},
    {"EqualsRightAfterOperator", CALC u"5+=", u"10"},
    {"TypedOperatorReplacesPending", CALC u"8+-3=", u"5", nullptr, "f8 f14 f3 f23"},
    {"ButtonIgnoresSecondOperator", CALC u"8{C13}{C14}", u" 8", nullptr, nullptr, "pendingOperator=1"},
    {"NegativeFractionShowsZero", CALC u"0-.5=", u"-0.5"},
    {"WholeResultWithoutPoint", CALC u"8/2=", u"4"},
    {"DecimalSum", CALC u".1+.2=", u"0.3"},
    {"FractionTotalShowsZero", CALC u".25+", u"0.25"},
    {"FifteenDigits", CALC u"10/3=", u"3.33333333333333", nullptr, nullptr, "lastResult=3.3333333333333335"},
    {"FifteenDigitsRoundToWhole", CALC u".9999999999999999={T*}", u"1", nullptr,
     "f13 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f9 f23 f1"},
    {"DivideByZeroLocks", CALC u"7/0=", u"ERR0R除数为零!", nullptr, "f7 f17 f0", "errorLock=-1"},
    {"LockedKeysDoNothing", CALC u"7/0={C7}7{L4}", u"ERR0R除数为零!"},
    {"BackspaceWorksWhileLocked", CALC u"7/0=\b", u"0", nullptr, nullptr, "errorLock=-1"},
    {"ClearButtonLiftsTheLock", CALC u"7/0={C21}", u"0", nullptr, nullptr, "errorLock=0"},
    {"ZSpeaksZeroThenClears", CALC u"9/0+z", u"0", nullptr, "f9 f17 f0 f0 f22", "errorLock=0"},
};
INSTANTIATE_TEST_SUITE_P(Operators, Keys, testing::ValuesIn(kOperatorRows), rowName);

const Row kUnaryRows[] = {
    {"SignChange", CALC u"5{C10}", u"-5"},
    {"SignChangeTwice", CALC u"5{C10}{C10}", u"5"},
    {"TimesHundred", CALC u".25{C25}", u" 25"},
    {"Reciprocal", CALC u"4{C23}", u"0.25", nullptr, "f4 f27", "lastResult=0.25 pendingOperator=5"},
    {"ReciprocalOfZeroLocks", CALC u"0{C23}", u"ERR0R除数为零!", nullptr, nullptr, "errorLock=-1"},
    {"RootOfNegativeLocks", CALC u"9{C10}{C35}", u"ERR0R无理数!", nullptr, "f9 f26"},
    {"RootDropsPendingOperation", CALC u"8+4{C35}+1=", u"3"},
    {"ReciprocalRoundedToPlaces", CALC u"{dp2}3{C23}", u"0.33"},
    {"RootRoundedToWhole", CALC u"{dp4}2{C35}", u"1"},
    {"UnaryKeysLockedByError", CALC u"1/0={C10}{C35}", u"ERR0R除数为零!"},
};
INSTANTIATE_TEST_SUITE_P(Unary, Keys, testing::ValuesIn(kUnaryRows), rowName);

const Row kRoundingRows[] = {
    {"TwoPlaces", CALC u"{dp2}1/3=", u"0.33"},
    {"TwoPlacesReadOut", CALC u"{dp2}1/3={T*}", u"0.33", nullptr, "f1 f17 f3 f23 f0 f13 f3 f3"},
    {"WholeTiesToEven", CALC u"{dp4}10/4=", u"2"},
    {"WholeRoundsUp", CALC u"{dp4}14/4=", u"4"},
    {"RunningTotalNotRounded", CALC u"{dp3}1/3+", u"0.333333333333333"},
    {"RoundedToZeroShowsTwoZeros", CALC u"{dp2}.001=", u"0.00"},
    {"ZeroReadOutShowsZero", CALC u"{dp2}.001={T}", u"0"},
    {"LabelClickCyclesPlaces", CALC u"{L11}{L11}1/3=", u"0.33"},
};
INSTANTIATE_TEST_SUITE_P(Rounding, Keys, testing::ValuesIn(kRoundingRows), rowName);

const Row kReadOutRows[] = {
    {"NegativeNumberWordByWord", CALC u"0-12.5={T*}", u"-12.5", nullptr, "f0 f15 f1 f2 f13 f5 f23 f25 f1 f2 f13 f5"},
    {"ZeroResultOnFirstTick", CALC u"5-5={T}", u"0", nullptr, "f5 f15 f5 f23 f0"},
    {"AnyKeyStopsTheReadOut", CALC u"3*4={T}5", u"5", nullptr, "f3 f16 f4 f23 f1 f5"},
};
INSTANTIATE_TEST_SUITE_P(ReadOut, Keys, testing::ValuesIn(kReadOutRows), rowName);

const Row kMemoryRows[] = {
    {"StoreShowsIndicator", CALC u"12s", u"12", nullptr, "f1 f2 f20", "memoryValue=12"},
    {"ClearWithoutMemorySpeaksNothing", CALC u"c", u"0", nullptr, ""},
    {"RecallWithoutMemorySpeaksNothing", CALC u"r", u"0", nullptr, ""},
    {"AddToEmptyMemoryStores", CALC u"5m", u"5", nullptr, nullptr, "memoryValue=5"},
    {"AddToMemory", u"{mem 5}" CALC u"7m", u"7", nullptr, nullptr, "memoryValue=12"},
    {"RecallShowsMemory", u"{mem -2.5}" CALC u"r", u"-2.5", nullptr, "f19"},
    {"NegativeStore", CALC u"0-2.5=s", u"-2.5", nullptr, nullptr, "memoryValue=-2.5"},
    {"StoreAfterEqualsInExpressionMode", u"3+4={C19}", u"3+4=7", nullptr, "f3 f14 f4 f23 f20", "memoryValue=7"},
};
INSTANTIATE_TEST_SUITE_P(Memory, Keys, testing::ValuesIn(kMemoryRows), rowName);

const Row kExpressionRows[] = {
    {"Precedence", u"1+2*3=", u"1+2×3=7", nullptr, "f1 f14 f2 f16 f3 f23"},
    {"ReadOutAfterEquals", u"1+2*3={T*}", u"1+2×3=7", nullptr, "f1 f14 f2 f16 f3 f23 f7"},
    {"GoesOnFromResult", u"1+2*3=*2=", u"7×2=14"},
    {"SecondOperatorIgnored", u"5++", u"5+", nullptr, "f5 f14"},
    {"CommaIsPoint", u"1,5+1=", u"1.5+1=2.5"},
    {"FullWidthStop", u"2。5*", u"2.5×"},
    {"FunctionsRounded", u"{dp2}sqr(2)=", u"sqr(2)=1.41"},
    {"FailedEvaluationKeepsFormula", u"2+=", u"2+", u"表达式错误！"},
    {"TypingClearsTheMessage", u"2+=3=", u"2+3=5", u""},
    {"EnterIsNotPartOfFormula", u"7-10\r=", u"7-10=-3"},
    {"TypedPlusAfterNegativeFraction", u"0-.5=+", u"- 0.5+"},
    {"TypedTimesAfterNegativeFraction", u"0-.5=*", u"-0.5×"},
    {"ButtonPlusAfterNegativeFraction", u"0-.5={C13}", u"- 0.5+"},
    {"WrapsAfter32", u"1234567890123456789012345678901234567890", u"12345678901234567890123456789012\r\n34567890"},
    // "-" and "+" at the start and after "(" are signs, not repeated operators.
    {"MinusAfterParenthesisIsASign", u"1+(-2^2)=", u"1+(-2^2)=5", nullptr, "f1 f14 f15 f2 f2 f23"},
    {"ButtonMinusAfterParenthesis", u"2*({C14}3)=", u"2×(-3)=-6"},
    {"SignAtTheStartAfterClear", u"5+{C21}-3=", u"-3=-3"},
    {"OperatorAfterSignIgnored", u"7*( -+2)*(/3)=", u"7×( -2)×(3)=-42"},
};
INSTANTIATE_TEST_SUITE_P(Expression, Keys, testing::ValuesIn(kExpressionRows), rowName);

const Row kIdentityRows[] = {
    {"FifteenToEighteen", CALC u"110105491231002n", u"11010519491231002X", u"新身份证号", nullptr, "pendingOperator=5"},
    {"NextDigitStartsOver", CALC u"110105491231002n5", u"5", u""},
    {"TooShort", CALC u"11010549123100n", u"11010549123100", u"旧号码位数错"},
    {"TooLong", CALC u"1101054912310021n", u"1101054912310021", u"旧号码位数错"},
    {"NotAllDigits", CALC u"11010549123.002n", u"11010549123.002", u"旧号码位数错"},
    {"NothingInEntryMode", u"{F2}11010519491231002xn", u"11010519491231002X"},
    {"CheckCharacterOfOtherDigits", CALC u"110105491231012n", u"110105194912310126", u"新身份证号"},
};
INSTANTIATE_TEST_SUITE_P(Identity, Keys, testing::ValuesIn(kIdentityRows), rowName);

const Row kCapitalsRows[] = {
    {"TypedAmount", CALC u"1234.56{C24}", u"壹仟贰佰叁拾肆元伍角陆分"},
    {"Result", CALC u"10/4*5={C24}", u"壹拾贰元伍角"},
    {"TrailingZeroKept", CALC u"1.50{C24}", u"壹元伍角零"},
    {"HundredMillions", CALC u"100010000{C24}", u"壹亿零壹万元整"},
    {"ZeroStays", CALC u"0{C24}", u"0"},
};
INSTANTIATE_TEST_SUITE_P(Capitals, Keys, testing::ValuesIn(kCapitalsRows), rowName);

const Row kEntryModeRows[] = {
    {"NumberStaysAsTyped", u"{F2}12+3", u"123", u"0"},
    {"EqualsStoresAndCounts", u"{F2}123=", u"123", u"1", "f1 f2 f3 f23", "recordCount=1"},
    {"NextNumberReplacesStored", u"{F2}123=45=", u"45", u"2"},
    {"XAppended", u"{F2}1234x=", u"1234X", u"1"},
    // An identity number typed in full has its check character verified; the
    // record is stored as typed either way. Fifteen digits are not checked.
    {"RightCheckCharacter", u"{F2}11010519491231002x=", u"11010519491231002X", u"1"},
    {"WrongCheckCharacter", u"{F2}110105194912310021=", u"110105194912310021", u"1 校验码错误", nullptr,
     "recordCount=1"},
    {"WrongCheckX", u"{F2}7=44052419800101001x=", u"44052419800101001X", u"2 校验码错误"},
    {"CheckedWithEveryWeight", u"{F2}110105194912310126=", u"110105194912310126", u"1"},
    {"WrongCheckWithEveryWeight", u"{F2}110105194912310126=110105194912310122=", u"110105194912310122",
     u"2 校验码错误"},
    {"WrongCheckStaysUntilTheNextRecord", u"{F2}110105194912310021=5", u"5", u"1 校验码错误"},
    {"NextRecordShowsItsCount", u"{F2}110105194912310021=5=", u"5", u"2"},
    {"FifteenDigitsNotChecked", u"{F2}110105491231009=", u"110105491231009", u"1"},
    {"NineteenCharactersNotChecked", u"{F2}1101051949123100211=", u"1101051949123100211", u"1"},
};
INSTANTIATE_TEST_SUITE_P(EntryMode, Keys, testing::ValuesIn(kEntryModeRows), rowName);

// Keys that once gave plainly wrong results.
const Row kRepairedRows[] = {
    // MR while an operator waits is the next operand; the left operand stays.
    {"RecallAsOperand", u"{mem 7}" CALC u"3+r=", u"10", nullptr, nullptr, "memoryValue=7"},
    {"RecallAsOperandThenOperator", u"{mem 7}" CALC u"3+r+1=", u"11"},
    {"RecallAsOperandReplacedByDigit", u"{mem 10}" CALC u"3+r2=", u"5"},
    {"RecallWithoutOperatorStartsOver", u"{mem 7}" CALC u"r+1=", u"8"},
    {"RecallAfterResultStartsOver", u"{mem 7}" CALC u"2+3=r*2=", u"14"},
    // M+ in expression mode adds the result shown, or the expression's value, once.
    {"MemoryAddResultThenRecallAndAddAgain", u"3+4={C20}{C18}2*5={C20}", u"2×5=10", nullptr, nullptr, "memoryValue=17"},
    {"MemoryAddRecalledValue", u"{mem 5}{C18}{C20}", u"5", nullptr, nullptr, "memoryValue=10"},
    {"MemoryAddAfterRoot", u"{mem 1}16{C35}{C20}", u"4", nullptr, nullptr, "memoryValue=5"},
    {"MemoryAddTypedExpression", u"{mem 1}2*3{C20}", u"2×3", nullptr, nullptr, "memoryValue=7"},
    // Sign change and ×100 on a result: the next operator goes on from the display.
    {"SignChangeOfResultThenOperator", CALC u"2+3={C10}+1=", u"-4"},
    {"TimesHundredOfResultThenOperator", CALC u"2+3={C25}+1=", u"501"},
    {"SignChangeOfResultThenEquals", CALC u"2+3={C10}=", u"-5"},
    {"SignChangeOfTypedNumberStaysOperand", CALC u"2+3{C10}=", u"-1"},
    // A mode change starts a fresh number.
    {"ModeChangeForgetsThePoint", u"{F2}1.5{F2}.5=", u"0.5", nullptr, nullptr, "pointEntered=0"},
    // √ and 1/x of a finished expression test the value they use.
    {"RootOfFinishedExpression", u"-4+20={C35}", u"4"},
    {"ReciprocalOfFinishedExpression", u"-4+20={C23}", u"0.0625"},
    {"RootOfNegativeExpressionLocks", u"0-4={C35}", u"ERR0R无理数!", nullptr, nullptr, "errorLock=-1"},
    // A number that reads as infinity is an overflow wherever it enters.
    {"InfiniteTypedNumberToCapitals", u"9e999{C24}", u"ERR0R数值溢出!", nullptr, nullptr, "errorLock=-1 lastResult=0"},
    {"InfiniteNumberToReciprocal",
     CALC u"{C21}"
          u"1"
          "000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "0000000000000000000000000000000000000000000000000000000000000000000000{C23}",
     u"ERR0R数值溢出!"},
    {"RecalledMemoryTooLargeToRead", u"{mem 1.7976931348623157e308}" CALC u"r", u"ERR0R数值溢出!", nullptr, nullptr,
     "accumulator=0"},
    // A tiny number is zero, not an overflow.
    {"TinyNumberIsZero",
     CALC u"."
          "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "000000000000000000000000000000000000000000000000000000000000000000000000000000000"
          "00000001+1=",
     u"1"},
};
INSTANTIATE_TEST_SUITE_P(Repaired, Keys, testing::ValuesIn(kRepairedRows), rowName);

// What entry mode leaves in the record file, byte for byte.
TEST(EntryMode, RecordsReachTheFileAsTheyAreStored)
{
    Rig rig;
    // Operators do nothing in entry mode: "-5" is stored as 5.
    rig.run(u"{F2}31=32=-5=");
    QFile file(rig.dir.filePath(QStringLiteral("datafile.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(" 1 31\r\n 2 32\r\n 3 5\r\n"));
}

TEST(EntryMode, ModeChangeClosesTheRecordFile)
{
    Rig rig;
    rig.run(u"{F2}7=");
    EXPECT_TRUE(rig.records.isOpen());
    rig.run(u"{F2}");
    EXPECT_FALSE(rig.records.isOpen());
    EXPECT_EQ(rig.calc.modeCaption(), QStringLiteral("计算"));
}

TEST(EntryMode, SaveButtonReportsTheOutcome)
{
    Rig rig;
    rig.run(u"{F2}7={C12}");
    EXPECT_EQ(rig.host.messages, QStringList{QStringLiteral("|数据已得到保存")});
}

// A wrong check character is sounded after the equals word, on Timer3: the
// warning tone once the equals clip is over, "校验码错误" once the tone is.
TEST(EntryMode, AWrongCheckCharacterIsSoundedAfterTheEqualsWord)
{
    for (std::int16_t voice : {std::int16_t(0), std::int16_t(1)}) {
        Rig rig;
        rig.settings.setVoice(Voice(voice));
        const char column = voice == 1 ? 'm' : 'f';
        rig.run(u"{F2}110105194912310021");
        rig.spoken();
        rig.run(u"=");
        EXPECT_EQ(rig.spoken(), QString(QChar::fromLatin1(column)) + QStringLiteral("23"));
        const CountformView &v = rig.calc.view();
        ASSERT_TRUE(v.timer3Enabled);
        EXPECT_EQ(v.timer3Interval, clipLengthMs(SpeakEquals, column));
        const int generation = v.timer3Generation;
        rig.calc.timer3Tick();
        EXPECT_EQ(rig.spoken(), QString(QChar::fromLatin1(column)) + QStringLiteral("105"));
        ASSERT_TRUE(v.timer3Enabled);
        EXPECT_EQ(v.timer3Interval, clipLengthMs(SpeakWarning, column));
        EXPECT_NE(v.timer3Generation, generation);
        rig.calc.timer3Tick();
        EXPECT_EQ(rig.spoken(), QString(QChar::fromLatin1(column)) + QStringLiteral("104"));
        EXPECT_FALSE(v.timer3Enabled);
        rig.calc.timer3Tick();
        EXPECT_EQ(rig.spoken(), QString());
        // A key typed before the warning is over silences the rest of it:
        // its own word is heard whole.
        rig.run(u"110105194912310021=");
        rig.calc.timer3Tick();
        rig.spoken();
        rig.run(u"5");
        EXPECT_FALSE(v.timer3Enabled);
        rig.calc.timer3Tick();
        EXPECT_EQ(rig.spoken(), QString(QChar::fromLatin1(column)) + QStringLiteral("5"));
    }
}

TEST(EntryMode, NoWarningForARightCheckCharacterOrWithSpeechOff)
{
    Rig rig;
    rig.run(u"{F2}11010519491231002x=110105491231002=");
    EXPECT_FALSE(rig.calc.view().timer3Enabled);
    rig.state.voiceOn = false;
    rig.run(u"110105194912310021=");
    EXPECT_EQ(rig.calc.view().message, QStringLiteral("3 校验码错误"));
    EXPECT_FALSE(rig.calc.view().timer3Enabled);
    QFile file(rig.dir.filePath(QStringLiteral("datafile.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(" 1 11010519491231002X\r\n 2 110105491231002\r\n 3 110105194912310021\r\n"));
}

// The batch total of the record viewer is shown as equals shows a result.
TEST(KeypadResult, IsWhatEqualsShows)
{
    const char16_t *sums[] = {u"12.5+-3=",
                              u".1+.2=",
                              u"2.5+2.5=",
                              u"0-.75=",
                              u"10/3=",
                              u"-1234.5+0=",
                              u"7=",
                              u"123456789012345+1=",
                              u"99999999999999.99+0="};
    for (const char16_t *keys : sums) {
        Rig rig;
        rig.run(QString::fromUtf16(CALC) + QString::fromUtf16(keys));
        EXPECT_EQ(keypadResultText(rig.state.lastResult), rig.calc.view().display)
            << QString::fromUtf16(keys).toStdString();
    }
}

// The identity-number check character (ISO 7064 MOD 11-2).
TEST(IDCode, WidensTheYearAndAppendsTheCheckCharacter)
{
    EXPECT_EQ(IDCode(QStringLiteral("110105491231002")), QStringLiteral("11010519491231002X"));
    EXPECT_EQ(IDCode(QStringLiteral("440524800101001")), QStringLiteral("440524198001010013"));
    // Remainder 0 gives "1", remainder 1 gives "0".
    EXPECT_EQ(IDCode(QStringLiteral("110105491231001")), QStringLiteral("110105194912310011"));
    EXPECT_EQ(IDCode(QStringLiteral("110105491231007")), QStringLiteral("110105194912310070"));
}

TEST(Keys, WindowKeysAreHandedToTheHost)
{
    Rig rig;
    rig.run(CALC u"dka{C29}{C31}{C34}{C32}{C27}");
    using A = CalculatorHost::Action;
    EXPECT_EQ(rig.host.actions,
              (QList<int>{int(A::OpenLoan), int(A::Securities), int(A::MinimizeWindow), int(A::ViewRecords),
                          int(A::ClearRecords), int(A::OpenSettings), int(A::OpenManual), int(A::Exit)}));
}

// The tax key is the calculator's own: the key and the button show the tax
// on the display without asking the window around it.
TEST(Keys, TaxKeyActsOnTheDisplay)
{
    Rig rig;
    rig.settings.setTaxCategory(TaxCategory::Other);
    rig.run(CALC u"100t");
    EXPECT_EQ(rig.calc.view().display, u"20");
    rig.run(u"300{C33}");
    EXPECT_EQ(rig.calc.view().display, u"60");
    EXPECT_TRUE(rig.host.actions.isEmpty());
}

} // namespace
