// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded voices shared as zip files: an export imports back whole, and an
// archive from elsewhere that is damaged or hostile is refused before
// anything is written, never installed in part, never written outside the
// voices folder or through a link.

#include "common/fileio.h"
#include "platform/recording/recordingplatform.h"
#include "speech/voicepack.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace numbelle;
using platform::ArchiveEntry;

namespace {

// A word as recording keeps it: a tone of `ms` with a little vibrato,
// cleaned up, as a wave file.
Samples word(int ms, double hz)
{
    Samples take(4000, 0);
    for (int i = 0; i < ms * kVoiceRate / 1000; ++i) {
        const double t = double(i) / kVoiceRate;
        take.push_back(
            qint16(5000 * std::sin(2 * M_PI * hz * t + std::sin(2 * M_PI * 5 * t)) * std::min(1.0, t / 0.03)));
    }
    take.insert(take.end(), 9000, 0);
    return cleanUpTake(take).samples;
}

QByteArray wave(const Samples &samples) { return waveFileBytes(samples); }

QByteArray index(const char *name, const char *words)
{
    return QByteArray("[voice]\r\nformat=1\r\nname=") + name + "\r\n[words]\r\n" + words;
}

// A pack of two words as an export writes it.
QList<ArchiveEntry> goodPack()
{
    return {{QStringLiteral("index.txt"), index("老张", "23=等于\r\n106=十\r\n")},
            {QStringLiteral("23.wav"), wave(word(420, 190))},
            {QStringLiteral("106.wav"), wave(word(260, 230))}};
}

struct HostileRow {
    const char *name;
    std::function<void(QList<ArchiveEntry> &)> damage;
    PackCheck::Fault fault;
    TakeFault wordFault;
};

void replaceFile(QList<ArchiveEntry> &pack, const char *name, QByteArray bytes)
{
    for (ArchiveEntry &e : pack) {
        if (e.name == QLatin1StringView(name))
            e.bytes = std::move(bytes);
    }
}

const HostileRow kHostile[] = {
    {"NoIndex", [](auto &p) { p.removeFirst(); }, PackCheck::NoIndex, TakeFault::None},
    {"NameClimbsOut", [](auto &p) { p[0].bytes = index("../../x", "23=等于\r\n106=十\r\n"); }, PackCheck::BadName,
     TakeFault::None},
    {"NameWithASlash", [](auto &p) { p[0].bytes = index("a/b", "23=等于\r\n106=十\r\n"); }, PackCheck::BadName,
     TakeFault::None},
    {"FileOutsideThePack", [](auto &p) { p[1].name = QStringLiteral("../23.wav"); }, PackCheck::UnknownFile,
     TakeFault::None},
    {"FileInAFolder",
     [](auto &p) {
         p.append({QStringLiteral("sub/"), {}});
     },
     PackCheck::UnknownFile, TakeFault::None},
    {"AbsoluteName", [](auto &p) { p[2].name = QStringLiteral("/tmp/106.wav"); }, PackCheck::UnknownFile,
     TakeFault::None},
    {"NoWordOfItsOwn",
     [](auto &p) {
         p.append({QStringLiteral("28.wav"), p[1].bytes});
     },
     PackCheck::UnknownFile, TakeFault::None},
    {"TheWarningToneIsNoWord",
     [](auto &p) {
         p.append({QStringLiteral("105.wav"), p[1].bytes});
     },
     PackCheck::UnknownFile, TakeFault::None},
    {"CodeWrittenWithAZero", [](auto &p) { p[1].name = QStringLiteral("023.wav"); }, PackCheck::UnknownFile,
     TakeFault::None},
    {"AWordTwice", [](auto &p) { p.append(p[1]); }, PackCheck::UnknownFile, TakeFault::None},
    {"IndexLine", [](auto &p) { p[0].bytes += "rm -rf /\r\n"; }, PackCheck::BadIndex, TakeFault::None},
    {"NewerFormat", [](auto &p) { p[0].bytes.replace("format=1", "format=2"); }, PackCheck::BadIndex, TakeFault::None},
    {"ListedWithoutItsFile", [](auto &p) { p[0].bytes += "24=清除\r\n"; }, PackCheck::MissingWord, TakeFault::None},
    {"FileNotListed",
     [](auto &p) {
         p.append({QStringLiteral("24.wav"), p[1].bytes});
     },
     PackCheck::UnlistedWord, TakeFault::None},
    {"NoWaveFile", [](auto &p) { replaceFile(p, "23.wav", "RIFF\x10\0\0\0WAVEjunk"); }, PackCheck::BadWord,
     TakeFault::NotWave},
    {"AnotherRate",
     [](auto &p) {
         QByteArray w = wave(word(420, 190));
         w[24] = char(0x44); // 44,100 Hz
         w[25] = char(0xAC);
         replaceFile(p, "23.wav", w);
     },
     PackCheck::BadWord, TakeFault::NotWave},
    {"CutShort", [](auto &p) { p[1].bytes.chop(1001); }, PackCheck::BadWord, TakeFault::NotWave},
    {"TooLong", [](auto &p) { replaceFile(p, "106.wav", wave(Samples(kVoiceRate * 2, 0))); }, PackCheck::BadWord,
     TakeFault::TooLong},
    {"Louder",
     [](auto &p) {
         Samples w = word(300, 210);
         for (qint16 &s : w)
             s = qint16(s * 6);
         replaceFile(p, "106.wav", wave(w));
     },
     PackCheck::BadWord, TakeFault::TooLoud},
    {"Quieter",
     [](auto &p) {
         Samples w = word(300, 210);
         for (qint16 &s : w)
             s = qint16(s / 2);
         replaceFile(p, "106.wav", wave(w));
     },
     PackCheck::BadWord, TakeFault::WrongLevel},
    {"StopsWithAClick",
     [](auto &p) {
         Samples w = word(300, 210);
         w.back() = 8000;
         replaceFile(p, "23.wav", wave(w));
     },
     PackCheck::BadWord, TakeFault::NotFaded},
    {"NoWords",
     [](auto &p) {
         p = {{QStringLiteral("index.txt"), index("空的", "")}};
     },
     PackCheck::Empty, TakeFault::None},
};

class HostilePack : public testing::TestWithParam<HostileRow> {};

TEST_P(HostilePack, IsRefusedAndNothingIsWritten)
{
    QTemporaryDir folder;
    VoiceLibrary voices(folder.path());
    QList<ArchiveEntry> pack = goodPack();
    GetParam().damage(pack);
    // Through an archive, as an import reads it (where the archive can hold
    // it: one that names a file twice is none the program makes).
    platform::RecordingPlatform recording;
    platform::Archives &archives = recording.platform().archives;
    QList<ArchiveEntry> read = pack;
    if (const std::optional<QByteArray> zip = archives.zip(pack)) {
        ASSERT_EQ(archives.unzip(*zip, packArchiveLimits(), read), platform::Archives::ReadResult::Read);
    }
    bool written = true;
    const PackCheck check = voices.import(read, true, written);
    EXPECT_EQ(check.fault, GetParam().fault) << packCheckText(check).toStdString();
    EXPECT_EQ(check.wordFault, GetParam().wordFault) << packCheckText(check).toStdString();
    EXPECT_FALSE(written);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_FALSE(packCheckText(check).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Import, HostilePack, testing::ValuesIn(kHostile),
                         [](const testing::TestParamInfo<HostileRow> &row) { return std::string(row.param.name); });

} // namespace

// A pack exported imports on another machine whole: the same words, the
// same samples; a pack of that name there is replaced only when asked, and
// then whole, never through a link in the voices folder.
TEST(VoicePack, AnExportImportsWholeAndReplacesOnlyWhenAsked)
{
    QTemporaryDir mine, theirs;
    VoiceLibrary here(mine.path());
    const Samples equals = word(420, 190);
    ASSERT_TRUE(here.saveWord(QStringLiteral("老张"), 23, equals));
    ASSERT_TRUE(here.saveWord(QStringLiteral("老张"), 106, word(260, 230)));
    const auto files = here.packFiles(QStringLiteral("老张"));
    ASSERT_TRUE(files);
    platform::RecordingPlatform recording;
    platform::Archives &archives = recording.platform().archives;
    QList<ArchiveEntry> read;
    ASSERT_EQ(archives.unzip(*archives.zip(*files), packArchiveLimits(), read), platform::Archives::ReadResult::Read);

    VoiceLibrary there(theirs.path());
    ASSERT_TRUE(there.saveWord(QStringLiteral("老张"), 7, word(300, 150)));
    bool written = false;
    there.import(read, false, written);
    EXPECT_FALSE(written) << "replaced without asking";
    EXPECT_EQ(there.pack(QStringLiteral("老张")).words.size(), 1u);
    const PackCheck check = there.import(read, true, written);
    ASSERT_TRUE(written) << packCheckText(check).toStdString();
    const VoicePack pack = there.pack(QStringLiteral("老张"));
    EXPECT_EQ(pack.words.size(), 2u);
    EXPECT_FALSE(pack.words.contains(7));
    QFile file(there.wordFile(QStringLiteral("老张"), 23));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(readWaveFile(file.readAll()), equals);
    EXPECT_EQ(QFileInfo(theirs.path() + QStringLiteral("/voices/老张")).permissions() & 0x0077, QFile::Permissions());
    EXPECT_EQ(QDir(theirs.path() + QStringLiteral("/voices"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("老张")});

    // A full disk part-way: nothing installed, the voice there as it was.
    QTemporaryDir full;
    VoiceLibrary cramped(full.path());
    fileio::setFault(fileio::Fault::DiskFull, true);
    cramped.import(read, true, written);
    fileio::setFault(fileio::Fault::DiskFull, false);
    EXPECT_FALSE(written);
    EXPECT_EQ(
        QDir(full.path() + QStringLiteral("/voices")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList());

    // A link in the place of the voices folder, or of a voice: never
    // followed, nothing written where it leads.
    QTemporaryDir linked, elsewhere;
    QFile::link(elsewhere.path(), linked.path() + QStringLiteral("/voices"));
    VoiceLibrary throughLink(linked.path());
    throughLink.import(read, true, written);
    EXPECT_FALSE(written);
    EXPECT_FALSE(throughLink.saveWord(QStringLiteral("老张"), 23, equals));
    QDir(linked.path()).remove(QStringLiteral("voices"));
    QDir(linked.path()).mkdir(QStringLiteral("voices"));
    QFile::link(elsewhere.path(), linked.path() + QStringLiteral("/voices/老张"));
    throughLink.import(read, true, written);
    EXPECT_FALSE(written);
    EXPECT_FALSE(throughLink.saveWord(QStringLiteral("老张"), 23, equals));
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// Archives that are no pack's: none at all, cut short, or holding more than
// a pack may; each is refused by the reader, whatever sizes it claims.
TEST(VoicePack, ArchivesBeyondTheLimitsOrDamagedAreRefused)
{
    platform::RecordingPlatform recording;
    platform::Archives &archives = recording.platform().archives;
    using Read = platform::Archives::ReadResult;
    QList<ArchiveEntry> read;
    const QByteArray zip = *archives.zip(goodPack());
    EXPECT_EQ(archives.unzip("PK\x03\x04 not quite", packArchiveLimits(), read), Read::NotAnArchive);
    EXPECT_EQ(archives.unzip(zip.left(zip.size() - 30), packArchiveLimits(), read), Read::NotAnArchive);
    QByteArray flipped = zip;
    flipped[60] = char(flipped[60] ^ 0x5A); // inside the first file's compressed bytes
    EXPECT_EQ(archives.unzip(flipped, packArchiveLimits(), read), Read::Damaged);
    // A file of zeros a thousand times its compressed size.
    EXPECT_EQ(archives.unzip(*archives.zip({{QStringLiteral("23.wav"), QByteArray(300 * 1024, '\0')}}),
                             packArchiveLimits(), read),
              Read::TooLarge);
    QList<ArchiveEntry> many;
    for (int i = 0; i < 70; ++i)
        many.append({QString::number(i), "x"});
    EXPECT_EQ(archives.unzip(*archives.zip(many), packArchiveLimits(), read), Read::TooLarge);
}
