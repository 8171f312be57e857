// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include "common/fileio.h"
#include "common/inilines.h"
#include "common/log.h"

#include <QList>

namespace numbelle {

namespace {

// The program's own settings file is short; more is never read.
constexpr qint64 kExtrasReadLimit = 64 * 1024;

struct StyleName {
    ReadOutStyle style;
    const char *name;
};
constexpr StyleName kStyleNames[] = {
    {ReadOutStyle::Digits, "digits"},
    {ReadOutStyle::Number, "number"},
    {ReadOutStyle::Money, "money"},
};

} // namespace

bool isVoicePackName(QStringView name)
{
    if (name.isEmpty() || name.size() > 16 || name.front().isSpace() || name.back().isSpace())
        return false;
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u' ') || c.isSurrogate())
            return false;
    }
    return true;
}

QByteArray extraSettingsBytes(const ExtraSettings &extras)
{
    QByteArray bytes = "[readout]\r\n";
    for (const StyleName &s : kStyleNames) {
        if (s.style == extras.readOutStyle)
            bytes += QByteArray("style=") + s.name + "\r\n";
    }
    bytes += QByteArray("readback=") + (extras.readBack ? "true" : "false") + "\r\n";
    if (!extras.voicePack.isEmpty())
        bytes += "[voice]\r\npack=" + extras.voicePack.toUtf8() + "\r\n";
    return bytes;
}

ExtraSettings parseExtraSettings(const QByteArray &bytes)
{
    ExtraSettings extras;
    for (const IniLine &line : iniLines(bytes)) {
        if (line.key.isEmpty())
            continue;
        const QByteArray &section = line.section;
        const QByteArray &key = line.key;
        const QByteArray &raw = line.value;
        const QByteArray value = raw.toLower();
        if (section == "voice" && key == "pack") {
            // A name as it was written (UTF-8, its case kept); one that can
            // name no recorded voice reads as none.
            const QString name = QString::fromUtf8(raw);
            extras.voicePack = isVoicePackName(name) && name.toUtf8() == raw ? name : QString();
        } else if (section == "readout" && key == "style") {
            for (const StyleName &s : kStyleNames) {
                if (value == s.name)
                    extras.readOutStyle = s.style;
            }
        } else if (section == "readout" && key == "readback") {
            if (value == "true" || value == "1")
                extras.readBack = true;
            else if (value == "false" || value == "0")
                extras.readBack = false;
        }
    }
    return extras;
}

SettingsStore::SettingsStore(QString folder, QObject *parent) : QObject(parent), m_folder(std::move(folder)) {}

QString SettingsStore::filePath(const char *fileName) const
{
    return m_folder.isEmpty() ? QString::fromLatin1(fileName) : m_folder + u'/' + QLatin1StringView(fileName);
}

SettingsFileState SettingsStore::load()
{
    const SettingsFileState state = readSettingsFile(filePath(kSettingsFileName), m_values);
    m_damaged = state == SettingsFileState::Damaged;
    m_fileComplete = state == SettingsFileState::Complete;
    const auto extras = fileio::readFile(filePath(kExtraSettingsFileName), kExtrasReadLimit);
    m_extras = extras ? parseExtraSettings(*extras) : ExtraSettings{};
    return state;
}

void SettingsStore::setDecimalPlaces(DecimalPlaces places)
{
    m_values.decimalPlaces = places;
    emit changed(SettingsKey::DecimalPlaces);
}

void SettingsStore::setMemory(bool held, double value)
{
    m_values.memoryFlag = held ? 1 : 0;
    m_values.memoryValue = value;
    emit changed(SettingsKey::Memory);
}

void SettingsStore::setOpacity(double opacity)
{
    m_values.opacity = opacity;
    emit changed(SettingsKey::Opacity);
}

void SettingsStore::setColours(std::int16_t fontColorIndex, std::int16_t displayColorIndex)
{
    m_values.fontColorIndex = fontColorIndex;
    m_values.displayColorIndex = displayColorIndex;
    emit changed(SettingsKey::Colours);
}

void SettingsStore::setSkinPath(const QString &path)
{
    m_values.skinPath = path;
    emit changed(SettingsKey::SkinPath);
}

void SettingsStore::setVoice(Voice voice)
{
    m_values.voiceChoice = voice;
    emit changed(SettingsKey::Voice);
}

void SettingsStore::setTaxCategory(TaxCategory category)
{
    m_values.taxCategory = category;
    emit changed(SettingsKey::TaxCategory);
}

void SettingsStore::setDeductions(std::int16_t salary, std::int16_t labour)
{
    m_values.salaryDeduction = salary;
    m_values.labourDeduction = labour;
    emit changed(SettingsKey::Deductions);
}

void SettingsStore::setSavedLoanRate(float rate)
{
    m_values.savedLoanRate = rate;
    emit changed(SettingsKey::LoanRate);
}

void SettingsStore::setReadOut(ReadOutStyle style, bool readBack)
{
    m_extras.readOutStyle = style;
    m_extras.readBack = readBack;
    emit changed(SettingsKey::ReadOut);
}

void SettingsStore::setVoicePack(const QString &name)
{
    m_extras.voicePack = isVoicePackName(name) ? name : QString();
    emit changed(SettingsKey::VoicePack);
}

bool SettingsStore::save()
{
    const QString file = filePath(kSettingsFileName);
    bool ok = false;
    if (m_damaged) {
        // What could not be read is kept aside before anything replaces it:
        // a copy, complete or not made at all, so the damaged file stays where
        // it is until the copy is whole and a full disk never costs it. A
        // file that cannot be read at all is moved aside only once the new
        // file is complete.
        const QString aside = file + QStringLiteral(".bad");
        bool cut = false;
        if (fileio::copyFile(file, aside, kSettingsAsideLimit, &cut)) {
            if (cut)
                qCWarning(lcNumbelle, "savedata.txt.bad holds only the first %lld bytes of the damaged settings file",
                          static_cast<long long>(kSettingsAsideLimit));
            ok = saveSettingsFile(file, m_values);
            m_damaged = false;
        } else if (fileio::replaceFileSettingAside(file, aside, settingsFileBytes(m_values))) {
            ok = true;
            m_damaged = false;
        }
    } else {
        ok = saveSettingsFile(file, m_values);
    }
    if (ok)
        m_fileComplete = true;
    saved(ok, m_saveFailed, kSettingsFileName);
    emit saveTried(ok);
    return ok;
}

bool SettingsStore::saveExtras()
{
    const bool ok = fileio::replaceFile(filePath(kExtraSettingsFileName), extraSettingsBytes(m_extras));
    saved(ok, m_extrasSaveFailed, kExtraSettingsFileName);
    return ok;
}

void SettingsStore::saved(bool ok, bool &failedBefore, const char *fileName)
{
    // The values stay in memory and the old file on disk; the user hears of
    // it once, not at every key that saves.
    if (!ok && !failedBefore && m_failure)
        m_failure(QString::fromLatin1(fileName));
    failedBefore = !ok;
}

} // namespace numbelle
