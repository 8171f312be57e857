// SPDX-License-Identifier: GPL-3.0-or-later
#include "voicepack.h"

#include "common/fileio.h"
#include "common/inilines.h"
#include "common/settings.h"
#include "speech/speaker.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <set>

namespace numbelle {

namespace {

constexpr qint64 kLargestIndex = 16 * 1024;
constexpr qint64 kLargestWordFile = 256 * 1024;
constexpr qint64 kWaveHeadBytes = 4096; // where a wave file's header is sought
constexpr char kStagingPrefix[] = ".import-";
constexpr char kAsidePrefix[] = ".replaced-";

bool isSpokenWord(int code)
{
    const QList<SpokenWord> &words = spokenWords();
    return std::any_of(words.begin(), words.end(), [code](const SpokenWord &w) { return w.code == code; });
}

// The code of a word's file name ("23.wav"), if it is one.
std::optional<int> wordOfFile(const QString &fileName)
{
    if (!fileName.endsWith(QLatin1StringView(".wav")))
        return std::nullopt;
    const QStringView digits = QStringView(fileName).chopped(4);
    if (digits.isEmpty() || digits.size() > 3 || (digits.size() > 1 && digits.front() == u'0'))
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int code = digits.toInt();
    return isSpokenWord(code) ? std::optional<int>(code) : std::nullopt;
}

QString wordFileName(int code) { return QString::number(code) + QStringLiteral(".wav"); }

struct Index {
    QString name;
    std::set<int> words;
};

// Reads an index. Strict (a pack from elsewhere): every line must be one the
// program writes. Otherwise (a pack of the program folder) what does not
// read is passed over.
std::optional<Index> parseIndex(const QByteArray &bytes, bool strict)
{
    Index index;
    bool format = !strict;
    for (const IniLine &line : iniLines(bytes)) {
        if (line.isSection) {
            if (strict && line.section != "voice" && line.section != "words")
                return std::nullopt;
            continue;
        }
        const QByteArray &section = line.section;
        const QByteArray &key = line.key;
        const QByteArray &value = line.value;
        bool known = false;
        if (section == "voice" && key == "format") {
            known = value == "1";
            format = format || known;
        } else if (section == "voice" && key == "name") {
            index.name = QString::fromUtf8(value);
            known = true;
        } else if (section == "words") {
            bool number = false;
            const int code = key.toInt(&number);
            known = number && key == QByteArray::number(code) && isSpokenWord(code) &&
                    (!strict || !index.words.contains(code));
            if (known)
                index.words.insert(code);
        }
        if (strict && !known)
            return std::nullopt;
    }
    if (!format)
        return std::nullopt;
    return index;
}

QByteArray indexBytes(const QString &name, const std::set<int> &words)
{
    QByteArray bytes =
        "; Numbelle: a recorded voice, one wave file per word\r\n[voice]\r\nformat=1\r\nname=" + name.toUtf8() +
        "\r\n[words]\r\n";
    for (int code : words)
        bytes += QByteArray::number(code) + '=' + wordText(code).toUtf8() + "\r\n";
    return bytes;
}

// A folder of the program's own at path: made private when missing, made
// private when found wider; false when anything else is there (a link,
// whatever it points at, or a file) or it cannot be made.
bool ownFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return false;
    if (info.exists()) {
        if (!info.isDir())
            return false;
        const auto wide = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                          QFile::WriteOther | QFile::ExeOther;
        if (info.permissions() & wide)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return true;
    }
    if (fileio::hasFault(fileio::Fault::ReadOnly))
        return false;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A folder there that is the program's own and no link, as it stands.
bool isOwnFolder(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && info.isDir();
}

} // namespace

const platform::ArchiveLimits &packArchiveLimits()
{
    // Every word and the index, with room to spare; no file larger than a
    // word of the longest speech can be.
    static const platform::ArchiveLimits limits{64, kLargestWordFile, 6 * 1024 * 1024};
    return limits;
}

QString packCheckText(const PackCheck &check)
{
    switch (check.fault) {
    case PackCheck::None:
        return {};
    case PackCheck::NoIndex:
        return QStringLiteral("这个文件不是语音包：里面没有index.txt。");
    case PackCheck::BadIndex:
        return QStringLiteral("语音包已损坏：它的index.txt读不出来。");
    case PackCheck::BadName:
        return QStringLiteral("语音包的名称不合要求：要1到16个字，只能有汉字、字母、数字、空格、-和_。");
    case PackCheck::UnknownFile:
        return QStringLiteral("语音包里有不属于语音包的文件“%1”，没有导入。").arg(check.file);
    case PackCheck::MissingWord:
        return QStringLiteral("语音包已损坏：缺少文件%1。").arg(check.file);
    case PackCheck::UnlistedWord:
        return QStringLiteral("语音包已损坏：文件%1没有列在index.txt里。").arg(check.file);
    case PackCheck::BadWord: {
        const std::optional<int> code = wordOfFile(check.file);
        return QStringLiteral("语音包中的%1（“%2”）不合要求：%3。")
            .arg(check.file, code ? wordText(*code) : QString(), wordFaultText(check.wordFault));
    }
    case PackCheck::Empty:
        return QStringLiteral("语音包里一个词也没有。");
    }
    return {};
}

PackCheck checkPackFiles(const QList<platform::ArchiveEntry> &files)
{
    PackCheck check;
    const platform::ArchiveEntry *indexFile = nullptr;
    std::map<int, const platform::ArchiveEntry *> words;
    for (const platform::ArchiveEntry &file : files) {
        const std::optional<int> code = wordOfFile(file.name);
        const bool isIndex = file.name == QLatin1StringView(kVoiceIndexName);
        if ((!code && !isIndex) || (isIndex && indexFile) || (code && words.contains(*code))) {
            check.fault = PackCheck::UnknownFile;
            check.file = file.name;
            return check;
        }
        if (isIndex)
            indexFile = &file;
        else
            words[*code] = &file;
    }
    if (!indexFile) {
        check.fault = PackCheck::NoIndex;
        return check;
    }
    const std::optional<Index> index =
        indexFile->bytes.size() <= kLargestIndex ? parseIndex(indexFile->bytes, true) : std::nullopt;
    if (!index) {
        check.fault = PackCheck::BadIndex;
        return check;
    }
    check.name = index->name;
    if (!isVoicePackName(index->name)) {
        check.fault = PackCheck::BadName;
        return check;
    }
    for (int code : index->words) {
        if (!words.contains(code)) {
            check.fault = PackCheck::MissingWord;
            check.file = wordFileName(code);
            return check;
        }
    }
    for (const auto &[code, file] : words) {
        check.file = file->name;
        if (!index->words.contains(code)) {
            check.fault = PackCheck::UnlistedWord;
            return check;
        }
        const std::optional<Samples> samples = readWaveFile(file->bytes);
        check.wordFault = samples ? checkWord(*samples) : TakeFault::NotWave;
        if (check.wordFault != TakeFault::None) {
            check.fault = PackCheck::BadWord;
            return check;
        }
    }
    check.file.clear();
    check.words = int(words.size());
    if (words.empty())
        check.fault = PackCheck::Empty;
    return check;
}

// ---------------------------------------------------------------------------

VoiceLibrary::VoiceLibrary(QString folder, QObject *parent) : QObject(parent), m_folder(std::move(folder)) {}

QString VoiceLibrary::path(const QString &relative) const
{
    return m_folder.isEmpty() ? relative : m_folder + u'/' + relative;
}

bool VoiceLibrary::voicesFolder() const { return ownFolder(path(QString::fromLatin1(kVoicesFolderName))); }

bool VoiceLibrary::packFolder(const QString &name) const
{
    return isVoicePackName(name) && voicesFolder() &&
           ownFolder(path(QLatin1StringView(kVoicesFolderName) + u'/' + name));
}

QString VoiceLibrary::wordFile(const QString &name, int code) const
{
    return path(QLatin1StringView(kVoicesFolderName) + u'/' + name + u'/' + wordFileName(code));
}

QStringList VoiceLibrary::names() const
{
    const QString voices = path(QString::fromLatin1(kVoicesFolderName));
    if (!isOwnFolder(voices))
        return {};
    QStringList names;
    for (const QString &name :
         QDir(voices).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name)) {
        if (exists(name))
            names.append(name);
    }
    return names;
}

bool VoiceLibrary::exists(const QString &name) const
{
    const QString folder = path(QLatin1StringView(kVoicesFolderName) + u'/' + name);
    return isVoicePackName(name) && isOwnFolder(path(QString::fromLatin1(kVoicesFolderName))) && isOwnFolder(folder) &&
           fileio::isRegularFile(folder + u'/' + QLatin1StringView(kVoiceIndexName));
}

VoicePack VoiceLibrary::pack(const QString &name) const
{
    VoicePack pack;
    if (!exists(name))
        return pack;
    pack.name = name;
    const QString folder = path(QLatin1StringView(kVoicesFolderName) + u'/' + name);
    const std::optional<QByteArray> bytes =
        fileio::readFile(folder + u'/' + QLatin1StringView(kVoiceIndexName), kLargestIndex);
    const std::optional<Index> index = bytes ? parseIndex(*bytes, false) : std::nullopt;
    if (!index)
        return pack;
    for (int code : index->words) {
        const QString file = wordFile(name, code);
        const QFileInfo info(file);
        if (info.isSymLink())
            continue;
        const std::optional<QByteArray> head = fileio::readFile(file, kWaveHeadBytes);
        const std::optional<int> length = head ? waveFileLengthMs(*head, info.size()) : std::nullopt;
        if (length && *length > 0)
            pack.words[code] = VoicePack::Word{file, *length};
    }
    return pack;
}

void VoiceLibrary::wrote(const QString &name)
{
    ++m_generation;
    emit changed(name);
}

bool VoiceLibrary::create(const QString &name)
{
    if (!isVoicePackName(name) || exists(name) || !packFolder(name))
        return false;
    const QString index =
        path(QLatin1StringView(kVoicesFolderName) + u'/' + name + u'/' + QLatin1StringView(kVoiceIndexName));
    if (!fileio::replaceFile(index, indexBytes(name, {})))
        return false;
    wrote(name);
    return true;
}

bool VoiceLibrary::saveWord(const QString &name, int code, std::span<const qint16> samples)
{
    if (!isSpokenWord(code) || !packFolder(name))
        return false;
    const QString indexFile =
        path(QLatin1StringView(kVoicesFolderName) + u'/' + name + u'/' + QLatin1StringView(kVoiceIndexName));
    const std::optional<QByteArray> bytes = fileio::readFile(indexFile, kLargestIndex);
    std::optional<Index> index = bytes ? parseIndex(*bytes, false) : std::nullopt;
    if (!index)
        index = Index{};
    // A new word is listed first: should its file not be written, the voice
    // simply lacks it, as before.
    if (!index->words.contains(code) || !bytes) {
        index->words.insert(code);
        if (!fileio::replaceFile(indexFile, indexBytes(name, index->words)))
            return false;
    }
    const bool ok = fileio::replaceFile(wordFile(name, code), waveFileBytes(samples));
    wrote(name);
    return ok;
}

std::optional<QList<platform::ArchiveEntry>> VoiceLibrary::packFiles(const QString &name) const
{
    const VoicePack voice = pack(name);
    if (voice.words.empty())
        return std::nullopt;
    QList<platform::ArchiveEntry> files;
    std::set<int> codes;
    for (const auto &[code, word] : voice.words) {
        const std::optional<QByteArray> bytes = fileio::readFile(word.file, kLargestWordFile);
        if (!bytes)
            return std::nullopt;
        files.append({wordFileName(code), *bytes});
        codes.insert(code);
    }
    files.prepend({QString::fromLatin1(kVoiceIndexName), indexBytes(name, codes)});
    return files;
}

PackCheck VoiceLibrary::import(const QList<platform::ArchiveEntry> &files, bool replace, bool &written)
{
    written = false;
    PackCheck check = checkPackFiles(files);
    if (check.fault != PackCheck::None || (exists(check.name) && !replace) || !voicesFolder())
        return check;
    const QString voices = path(QString::fromLatin1(kVoicesFolderName));
    // What an import cut off before left beside the voices goes first.
    for (const QString &left :
         QDir(voices).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (left.startsWith(QLatin1StringView(kStagingPrefix)) || left.startsWith(QLatin1StringView(kAsidePrefix)))
            QDir(voices + u'/' + left).removeRecursively();
    }
    auto unique = [&](const char *prefix) {
        return voices + u'/' + QLatin1StringView(prefix) +
               QString::number(QRandomGenerator::global()->generate64(), 16);
    };
    // Everything is written into a folder of its own first: the words as
    // wave files of the program's own (nothing but their samples), the index
    // as the program writes it.
    const QString staging = unique(kStagingPrefix);
    if (!ownFolder(staging))
        return check;
    std::set<int> codes;
    bool ok = true;
    for (const platform::ArchiveEntry &file : files) {
        const std::optional<int> code = wordOfFile(file.name);
        if (!code)
            continue;
        codes.insert(*code);
        ok = ok && fileio::replaceFile(staging + u'/' + file.name, waveFileBytes(*readWaveFile(file.bytes)));
    }
    ok = ok && fileio::replaceFile(staging + u'/' + QLatin1StringView(kVoiceIndexName), indexBytes(check.name, codes));
    // Then it takes its place in one step; a voice it replaces is moved aside
    // first and back should the step fail.
    const QString target = voices + u'/' + check.name;
    const QString aside = unique(kAsidePrefix);
    const bool replacing = ok && fileio::exists(target);
    if (replacing && (!isOwnFolder(target) || !QDir().rename(target, aside)))
        ok = false;
    if (ok && !fileio::hasFault(fileio::Fault::RenameFails) && QDir().rename(staging, target)) {
        written = true;
        if (replacing)
            QDir(aside).removeRecursively();
        wrote(check.name);
    } else {
        if (replacing && ok)
            QDir().rename(aside, target);
        QDir(staging).removeRecursively();
    }
    return check;
}

} // namespace numbelle
