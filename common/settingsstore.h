// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one owner of the user's settings: the settings file "savedata.txt" with
// exactly its sixteen items, and the program's own settings file
// "numbelle.ini" for every choice beyond them. It reads both at start, holds
// their values typed, writes each complete or not at all, and tells whoever
// listens what changed. Windows read the values here and listen to changed()
// instead of reaching into one another; nothing else opens either file.
//
// Both files live in the program folder (the current directory, unless a
// folder is given).

#include "common/settings.h"
#include "common/settingsfile.h"

#include <QObject>
#include <QString>
#include <functional>

namespace numbelle {

inline constexpr char kExtraSettingsFileName[] = "numbelle.ini";

// What changed, for the listeners.
enum class SettingsKey {
    Shutdown,      // hour, minute, second and mode of the automatic shutdown
    DecimalPlaces, // how results are rounded
    Memory,        // the memory flag and value
    TaxCategory,
    Deductions, // salary and labour deductions
    Opacity,
    Voice,
    Colours,   // text and display colours
    LoanRate,  // the loan window's saved rate
    SkinPath,  // the face picture's path
    ReadOut,   // the read-out style and the read-back of stored records
    VoicePack, // the recorded voice chosen
};

class SettingsStore : public QObject {
    Q_OBJECT
public:
    // The files in folder; in the current directory when it is empty.
    explicit SettingsStore(QString folder = QString(), QObject *parent = nullptr);

    // Reads both files. A settings file that is missing gives the start values,
    // a damaged one keeps what reads (and is kept aside before the first save
    // replaces it); bad or missing values of the program's own file are its
    // defaults. Listeners hear nothing of it.
    SettingsFileState load();

    const Settings &values() const { return m_values; }
    const ExtraSettings &extras() const { return m_extras; }

    // Whether the settings file holds a complete record of these values as far
    // as the program knows: it read whole at start, or a save has worked since.
    bool fileComplete() const { return m_fileComplete; }

    // A change of several values at once (the shutdown schedule's): the values
    // to change, and the listeners hear of key when it ends.
    class Change {
    public:
        Settings *operator->() { return &m_store.m_values; }
        Settings &operator*() { return m_store.m_values; }
        ~Change() { emit m_store.changed(m_key); }
        Change(const Change &) = delete;
        Change &operator=(const Change &) = delete;

    private:
        friend class SettingsStore;
        Change(SettingsStore &store, SettingsKey key) : m_store(store), m_key(key) {}
        SettingsStore &m_store;
        SettingsKey m_key;
    };
    Change change(SettingsKey key) { return Change(*this, key); }

    void setDecimalPlaces(DecimalPlaces places);
    void setMemory(bool held, double value);
    void setOpacity(double opacity);
    void setColours(std::int16_t fontColorIndex, std::int16_t displayColorIndex);
    void setSkinPath(const QString &path);
    void setVoice(Voice voice);
    void setTaxCategory(TaxCategory category);
    void setDeductions(std::int16_t salary, std::int16_t labour);
    void setSavedLoanRate(float rate);
    void setReadOut(ReadOutStyle style, bool readBack);
    // A recorded voice by its name, or none (empty); a name that can name
    // no recorded voice is taken as none.
    void setVoicePack(const QString &name);

    // Writes the settings file from the values, complete or not at all; a
    // damaged file is kept aside first (fileio and Program's notes). False,
    // with the values kept in memory and the old file untouched, when it
    // cannot be written.
    bool save();
    // Writes the program's own settings file the same way.
    bool saveExtras();

    // Hears of a save that failed, with the file's name: once, until a save
    // of that file works again.
    void setFailureHandler(std::function<void(const QString &fileName)> handler) { m_failure = std::move(handler); }

signals:
    void changed(SettingsKey key);
    // A save of the settings file was tried; ok tells whether it worked.
    void saveTried(bool ok);

private:
    void saved(bool ok, bool &failedBefore, const char *fileName);
    QString filePath(const char *fileName) const;

    QString m_folder;
    Settings m_values;
    ExtraSettings m_extras;
    bool m_damaged = false;      // the settings file could not be read whole
    bool m_fileComplete = false; // see fileComplete()
    bool m_saveFailed = false;   // the last save of the settings file failed, and it was said
    bool m_extrasSaveFailed = false;
    std::function<void(const QString &)> m_failure;
};

// The program's own settings file: its bytes for these values, and the values
// read from its bytes (what is missing or bad keeps its default).
QByteArray extraSettingsBytes(const ExtraSettings &extras);
ExtraSettings parseExtraSettings(const QByteArray &bytes);

} // namespace numbelle
