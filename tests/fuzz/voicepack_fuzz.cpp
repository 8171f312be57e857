// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the import of a recorded voice: the zip reader and the
// check and installation of the pack it holds. Properties:
//   - whatever the bytes, the files read stay within the pack's limits;
//   - a pack is installed exactly when its check passes, and then holds
//     nothing but its index and words that meet the recorded words' rules;
//   - nothing is ever written outside the voices folder, and a pack refused
//     leaves nothing behind (no half-installed voice, no folder of its own).
// Seeds: a pack of one word as the program exports it, one with a file that
// names a way out of the pack, one with a damaged index.
#include "common/settings.h"
#include "platform/desktop/zipfile.h"
#include "speech/voicepack.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QDir>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::ArchiveLimits &limits = packArchiveLimits();
    QList<platform::ArchiveEntry> files;
    if (platform::unzipArchive(bytes, limits, files) != platform::Archives::ReadResult::Read)
        return 0;
    FUZZ_EXPECT(files.size() <= limits.entries, "no more files than the limit");
    qint64 total = 0;
    for (const platform::ArchiveEntry &file : files) {
        FUZZ_EXPECT(file.bytes.size() <= limits.entryBytes, "no file beyond the limit");
        total += file.bytes.size();
    }
    FUZZ_EXPECT(total <= limits.totalBytes, "no more bytes than the limit");

    const PackCheck check = checkPackFiles(files);
    if (check.fault == PackCheck::None) {
        FUZZ_EXPECT(isVoicePackName(check.name), "a pack passed has a name a voice can have");
        for (const platform::ArchiveEntry &file : files) {
            if (file.name == QLatin1StringView(kVoiceIndexName))
                continue;
            const std::optional<Samples> word = readWaveFile(file.bytes);
            FUZZ_EXPECT(word && checkWord(*word) == TakeFault::None, "every word of a pack passed meets the rules");
        }
    }

    VoiceLibrary voices(folder.path());
    bool written = false;
    voices.import(files, true, written);
    FUZZ_EXPECT(written == (check.fault == PackCheck::None), "installed exactly when the check passes");
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    const QStringList top = QDir(folder.path()).entryList(all);
    FUZZ_EXPECT(top.isEmpty() || top == QStringList{QStringLiteral("voices")}, "nothing beside the voices folder");
    const QString voicesFolder = folder.path() + QStringLiteral("/voices");
    const QStringList packs = QDir(voicesFolder).entryList(all);
    FUZZ_EXPECT(written ? packs == QStringList{check.name} : packs.isEmpty(),
                "the pack alone in the voices folder, or nothing");
    if (written) {
        FUZZ_EXPECT(int(voices.pack(check.name).words.size()) == check.words, "every word installed plays");
        FUZZ_EXPECT(QDir(voicesFolder + u'/' + check.name).entryList(all).size() == check.words + 1,
                    "the words and the index, nothing else");
    }
    QDir(voicesFolder).removeRecursively();
    return 0;
}
