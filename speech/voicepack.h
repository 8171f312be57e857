// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The voices the user recorded: the one owner of the folder "voices" in the
// program folder. Each recorded voice (a pack) is a folder voices/NAME
// holding one wave file per word recorded ("23.wav" for the code 23) and a
// small index, "index.txt", naming the voice and listing its words. A word is
// written complete or not at all (0600), then the index; the folders are the
// program's own, made 0700 and never followed through a link.
//
// A pack travels as a zip archive of those files (platform::Archives makes
// and reads it). An archive from elsewhere is data only and is checked whole
// before anything is written: its names (nothing but the index and the
// words' files, no folder), its sizes, its index, and every word against the
// rules the recorded words meet (voicetake.h). It is installed complete or
// not at all: written into a folder of its own beside the packs and moved
// into place in one step.

#include "platform/platform.h"
#include "speech/voicetake.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace numbelle {

inline constexpr char kVoicesFolderName[] = "voices";
inline constexpr char kVoiceIndexName[] = "index.txt";
// The voice letter of a word played from a recorded voice (platform::Clip).
inline constexpr char kRecordedVoice = 'r';

// What a pack's archive may hold at most.
inline constexpr qint64 kLargestPackArchive = 8 * 1024 * 1024;
const platform::ArchiveLimits &packArchiveLimits();

// A recorded voice as it lies in its folder: its words, each with its file
// (a path from the program folder) and how long it plays.
struct VoicePack {
    struct Word {
        QString file;
        int lengthMs = 0;
    };
    QString name;
    std::map<int, Word> words;
};

// Why a pack from elsewhere is refused.
struct PackCheck {
    enum Fault {
        None,
        NoIndex,      // the archive holds no index: no pack of this program
        BadIndex,     // the index does not read
        BadName,      // the name is none a recorded voice can have
        UnknownFile,  // a file that is none of the pack's (a folder, another name)
        MissingWord,  // a word the index lists has no file
        UnlistedWord, // a word's file the index does not list
        BadWord,      // a word's file breaks the rules (wordFault says which)
        Empty,        // no word at all
    };
    Fault fault = None;
    QString name; // the pack's name, from its index
    QString file; // the file at fault
    TakeFault wordFault = TakeFault::None;
    int words = 0; // how many words it holds
};

// What the user is told about a pack that is refused.
QString packCheckText(const PackCheck &check);

// Checks the files of a pack's archive (as platform::Archives reads them)
// without writing anything.
PackCheck checkPackFiles(const QList<platform::ArchiveEntry> &files);

class VoiceLibrary : public QObject {
    Q_OBJECT
public:
    // The voices folder in folder; in the current directory when it is empty.
    explicit VoiceLibrary(QString folder = QString(), QObject *parent = nullptr);

    // The recorded voices there, by name.
    QStringList names() const;
    bool exists(const QString &name) const;
    // A recorded voice as its folder holds it now: the words its index lists
    // whose files are wave files of the shipped format. Nothing of a name
    // that is none, of a folder that is a link.
    VoicePack pack(const QString &name) const;
    // Counts every change written (a word, a voice made or imported), so a
    // reader knows when to read a voice again.
    int generation() const { return m_generation; }

    // The file of a word of a voice, from the program folder.
    QString wordFile(const QString &name, int code) const;

    // Makes a voice without words. False when the name is none, the voice
    // exists or its folder cannot be made.
    bool create(const QString &name);
    // Keeps a cleaned-up take as a word of a voice (made when missing),
    // replacing the word recorded before. False, with the word as it was,
    // when it cannot be written (a full disk, a link in the way).
    bool saveWord(const QString &name, int code, std::span<const qint16> samples);

    // The files of a voice's archive: its index and its words' files.
    // Nothing when it has no word or a file cannot be read.
    std::optional<QList<platform::ArchiveEntry>> packFiles(const QString &name) const;

    // Installs the pack of an archive's files after checking them
    // (checkPackFiles); a voice of that name is replaced only when replace
    // is set, else refused. The check's result, and in written whether it
    // was installed.
    PackCheck import(const QList<platform::ArchiveEntry> &files, bool replace, bool &written);

signals:
    // A voice was made, changed or imported.
    void changed(const QString &name);

private:
    QString path(const QString &relative) const;
    // The voices folder, made when missing; false when it cannot be or is
    // no folder of the program's own (a link, a file).
    bool voicesFolder() const;
    bool packFolder(const QString &name) const;
    void wrote(const QString &name);

    QString m_folder;
    int m_generation = 0;
};

} // namespace numbelle
