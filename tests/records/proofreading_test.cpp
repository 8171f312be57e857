// SPDX-License-Identifier: GPL-3.0-or-later
// Proofreading by ear as a sequence of words, without windows: which word is
// spoken for which record, the pauses, starting at a record, stopping, and the
// pace the clips' lengths give.

#include "records/corrections.h"
#include "records/proofreading.h"
#include "speech/speaker.h"
#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

using namespace numbelle;

namespace {

// The steps of a reading to its end, written "record:code" (record from 1,
// "T" for the total), with "+pause" where a pause follows.
QString readAll(Proofreading &reading)
{
    QStringList words;
    for (int guard = 0; guard < 10000; ++guard) {
        const auto step = reading.next();
        if (!step)
            return words.join(u' ');
        QString word = (step->record < 0 ? QStringLiteral("T") : QString::number(step->record + 1)) + u':' +
                       QString::number(step->code);
        if (step->pauseMs > 0)
            word += u'+' + QString::number(step->pauseMs);
        words.append(word);
    }
    ADD_FAILURE() << "the reading never ends";
    return {};
}

TEST(CharacterWords, DigitsPointMinusAndTheLetterX)
{
    EXPECT_EQ(characterWords(u"-12.5"), (QList<int>{SpeakNegative, 1, 2, SpeakPoint, 5}));
    EXPECT_EQ(characterWords(u"1234X"), (QList<int>{1, 2, 3, 4, SpeakLetterX}));
    EXPECT_EQ(characterWords(u"0x"), (QList<int>{0, SpeakLetterX}));
    // A point is read as it stands, without a zero before it.
    EXPECT_EQ(characterWords(u".5"), (QList<int>{SpeakPoint, 5}));
    // Characters without a word of their own are passed over, never read as 0.
    EXPECT_EQ(characterWords(u"壹佰元整"), QList<int>{});
    EXPECT_EQ(characterWords(u" 7 a,8"), (QList<int>{7, 8}));
}

TEST(Proofreading, ReadsEachRecordThenTheTotal)
{
    Proofreading reading({QStringLiteral("12.5"), QStringLiteral("-3"), QStringLiteral("5")}, QStringLiteral("14.5"));
    EXPECT_FALSE(reading.isRunning());
    EXPECT_FALSE(reading.next());
    reading.start(0);
    EXPECT_TRUE(reading.isRunning());
    EXPECT_EQ(readAll(reading), QStringLiteral("1:100 1:1 1:101+300 1:1 1:2 1:13 1:5+900 "
                                               "2:100 2:2 2:101+300 2:25 2:3+900 "
                                               "3:100 3:3 3:101+300 3:5+900 "
                                               "T:102+300 T:1 T:4 T:13 T:5"));
    EXPECT_FALSE(reading.isRunning());
}

TEST(Proofreading, RecordNumbersOfSeveralDigitsAreReadDigitByDigit)
{
    QStringList texts;
    for (int i = 0; i < 12; ++i)
        texts.append(QStringLiteral("7"));
    Proofreading reading(texts, QStringLiteral("84"));
    reading.start(11);
    EXPECT_EQ(readAll(reading), QStringLiteral("12:100 12:1 12:2 12:101+300 12:7+900 T:102+300 T:8 T:4"));
}

TEST(Proofreading, AWrongCheckCharacterIsSoundedAfterItsRecord)
{
    Proofreading reading({QStringLiteral("110105194912310021"), QStringLiteral("11010519491231002X")},
                         QStringLiteral("0"));
    reading.start(0);
    const QString all = readAll(reading);
    EXPECT_TRUE(all.startsWith(QStringLiteral("1:100 1:1 1:101+300 1:1 1:1 1:0")));
    EXPECT_TRUE(all.contains(QStringLiteral("1:2 1:1 1:105 1:104+900 2:100"))) << all.toStdString();
    // The right one ends with the letter X and no warning.
    EXPECT_TRUE(all.contains(QStringLiteral("2:2 2:103+900 T:102+300 T:0"))) << all.toStdString();
}

TEST(Proofreading, ARecordWithoutSpokenCharactersPausesAfterItsNumber)
{
    Proofreading reading({QStringLiteral("壹元"), QStringLiteral("1")}, QStringLiteral("1"));
    reading.start(0);
    EXPECT_EQ(readAll(reading), QStringLiteral("1:100 1:1 1:101+1200 2:100 2:2 2:101+300 2:1+900 T:102+300 T:1"));
}

TEST(Proofreading, StartsAtARecordAndStopsOnRequest)
{
    Proofreading reading({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, QStringLiteral("6"));
    reading.start(1);
    EXPECT_EQ(reading.next(), (Proofreading::Step{SpeakOrdinal, 1, 0}));
    EXPECT_EQ(reading.next(), (Proofreading::Step{2, 1, 0}));
    reading.stop();
    EXPECT_FALSE(reading.isRunning());
    EXPECT_FALSE(reading.next());
    // A new start begins that record afresh.
    reading.start(2);
    EXPECT_EQ(readAll(reading), QStringLiteral("3:100 3:3 3:101+300 3:3+900 T:102+300 T:6"));
    // Beyond the last record only the total is read; before the first, from it.
    reading.start(7);
    EXPECT_EQ(readAll(reading), QStringLiteral("T:102+300 T:6"));
    reading.start(-3);
    EXPECT_TRUE(readAll(reading).startsWith(QStringLiteral("1:100 1:1 1:101+300")));
}

// As money: a record that is a number in that style (its place still digit
// by digit), an identity number character by character, the total as money.
TEST(Proofreading, NumbersAndTheTotalInTheChosenStyle)
{
    Proofreading reading({QStringLiteral(" 1005 "), QStringLiteral("440304198607214575"), QStringLiteral("0.7")},
                         QStringLiteral("1005.7"), ReadOutStyle::Money);
    reading.start(0);
    EXPECT_EQ(readAll(reading), QStringLiteral("1:100 1:1 1:101+300 1:1 1:108 1:0 1:5 1:111 1:114+900 "
                                               "2:100 2:2 2:101+300 2:4 2:4 2:0 2:3 2:0 2:4 2:1 2:9 2:8 2:6 2:0 "
                                               "2:7 2:2 2:1 2:4 2:5 2:7 2:5+900 "
                                               "3:100 3:3 3:101+300 3:7 3:112+900 "
                                               "T:102+300 T:1 T:108 T:0 T:5 T:111 T:7 T:112"));
}

TEST(Proofreading, AnEmptyBatchReadsItsTotal)
{
    Proofreading reading({}, QStringLiteral("0"));
    reading.start(0);
    EXPECT_EQ(readAll(reading), QStringLiteral("T:102+300 T:0"));
}

// What a change of the batch is heard as, written "record:code" as above.
QString words(const QList<Proofreading::Step> &steps)
{
    QStringList all;
    for (const Proofreading::Step &step : steps)
        all.append((step.record < 0 ? QStringLiteral("T") : QString::number(step.record + 1)) + u':' +
                   QString::number(step.code) + (step.pauseMs ? u'+' + QString::number(step.pauseMs) : QString()));
    return all.join(u' ');
}

struct ChangeWordsRow {
    const char *name;
    Correction correction;
    bool undo;
    const char *heard;
};

void PrintTo(const ChangeWordsRow &row, std::ostream *os) { *os << row.name; }

class ChangeWords : public testing::TestWithParam<ChangeWordsRow> {};

TEST_P(ChangeWords, PlaceThenTextOrDeleted)
{
    EXPECT_EQ(words(correctionWords(GetParam().correction, GetParam().undo)), QString::fromLatin1(GetParam().heard));
}

INSTANTIATE_TEST_SUITE_P(
    Records, ChangeWords,
    testing::Values(
        ChangeWordsRow{"Edit",
                       {Correction::Edit, 11, QStringLiteral("-40.7"), QStringLiteral("40.7")},
                       false,
                       "12:100 12:1 12:2 12:101+300 12:25 12:4 12:0 12:13 12:7"},
        ChangeWordsRow{
            "Insert", {Correction::Insert, 0, QStringLiteral("3X"), {}}, false, "1:100 1:1 1:101+300 1:3 1:103"},
        ChangeWordsRow{"Delete", {Correction::Delete, 4, QStringLiteral("96"), {}}, false, "5:100 5:5 5:101+300 5:115"},
        ChangeWordsRow{"AWrongCheckCharacterIsSounded",
                       {Correction::Edit, 1, QStringLiteral("110105194912310021"), QStringLiteral("1")},
                       false,
                       "2:100 2:2 2:101+300 2:1 2:1 2:0 2:1 2:0 2:5 2:1 2:9 2:4 2:9 2:1 2:2 2:3 2:1 2:0 2:0 2:2 2:1 "
                       "2:105 2:104"},
        // Taken back: "撤销", then what the undo did.
        ChangeWordsRow{"UndoneDelete", Correction{Correction::Delete, 2, QStringLiteral("8"), {}}.undone(), true,
                       "3:116+300 3:100 3:3 3:101+300 3:8"},
        ChangeWordsRow{"UndoneInsert", Correction{Correction::Insert, 0, QStringLiteral("8"), {}}.undone(), true,
                       "1:116+300 1:100 1:1 1:101+300 1:115"},
        ChangeWordsRow{"UndoneEdit",
                       Correction{Correction::Edit, 6, QStringLiteral("2"), QStringLiteral("5.5")}.undone(), true,
                       "7:116+300 7:100 7:7 7:101+300 7:5 7:13 7:5"}),
    [](const testing::TestParamInfo<ChangeWordsRow> &row) { return std::string(row.param.name); });

// The difference is read as a result is read out; "相符" for none.
TEST(Reconciliation, MatchesOrDiffersAndTheDifference)
{
    EXPECT_EQ(words(reconciliationWords(QStringLiteral("0"))), QStringLiteral("T:117"));
    EXPECT_EQ(words(reconciliationWords(QStringLiteral("-0.05"))), QStringLiteral("T:118+300 T:25 T:0 T:13 T:0 T:5"));
    EXPECT_EQ(words(reconciliationWords(QStringLiteral("1200"))), QStringLiteral("T:118+300 T:1 T:2 T:0 T:0"));
    EXPECT_EQ(figureWords(u".5"), (QList<int>{0, SpeakPoint, 5}));
    // As money, the difference is an amount.
    EXPECT_EQ(words(reconciliationWords(QStringLiteral("-0.05"), ReadOutStyle::Money)),
              QStringLiteral("T:118+300 T:25 T:5 T:113"));
}

// The pace: each word waits for its clip, in the voice chosen.
TEST(Proofreading, ClipLengthsComeFromBothSoundFiles)
{
    for (char voice : {'f', 'm'}) {
        for (int code : {0, 9, int(SpeakPoint), int(SpeakNegative)}) {
            const auto range = clipRange(code, voice);
            ASSERT_TRUE(range);
            EXPECT_EQ(clipLengthMs(code, voice), range->toMs - range->fromMs);
        }
        for (int code = kFirstWordCode; code <= kLastWordCode; ++code) {
            const auto range = wordClipRange(code, voice);
            ASSERT_TRUE(range) << code;
            EXPECT_GT(clipLengthMs(code, voice), 150) << code;
            EXPECT_EQ(clipLengthMs(code, voice), range->toMs - range->fromMs);
        }
    }
    EXPECT_EQ(clipLengthMs(10, 'f'), 0);
    EXPECT_EQ(clipLengthMs(kLastWordCode + 1, 'f'), 0);
}

} // namespace
