// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsfile.h"

#include "common/fileio.h"
#include "common/numtext.h"
#include "common/textfile.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace numbelle {

namespace {

// The largest magnitude whose 15-digit text reads back as a finite double.
constexpr double kLargestWritable = 1.79769313486231e308;

double writable(double value)
{
    if (std::isnan(value))
        return 0;
    if (std::isfinite(value) && std::isfinite(leadingNumber(generalText(value))))
        return value;
    return value < 0 ? -kLargestWritable : kLargestWritable;
}

} // namespace

QByteArray settingsFileBytes(const Settings &s)
{
    QString line;
    line += printForm(writable(s.shutdownHour));
    line += printForm(writable(s.shutdownMinute));
    line += printForm(std::int64_t(s.shutdownSecond));
    line += printForm(std::int64_t(s.shutdownMode));
    line += printForm(std::int64_t(s.decimalPlaces));
    line += printForm(std::int64_t(s.memoryFlag));
    line += printForm(writable(s.memoryValue));
    line += printForm(std::int64_t(s.taxCategory));
    line += printForm(std::int64_t(s.salaryDeduction));
    line += printForm(writable(s.opacity));
    line += printForm(std::int64_t(s.labourDeduction));
    line += printForm(std::int64_t(s.voiceChoice));
    line += printForm(std::int64_t(s.fontColorIndex));
    line += printForm(std::int64_t(s.displayColorIndex));
    line += printFormSingle(std::isfinite(s.savedLoanRate) ? s.savedLoanRate : 0.0f);
    // The reader takes the path from its first non-blank character, so blanks
    // before it could never be read back.
    qsizetype start = 0;
    while (start < s.skinPath.size() && (s.skinPath[start] == u' ' || s.skinPath[start] == u'\t'))
        ++start;
    line += QStringView(s.skinPath).mid(start);
    QByteArray bytes = toGbk(line);
    bytes += kLineEnd;
    return bytes;
}

bool canHoldSkinPath(const QString &path)
{
    Settings written;
    written.skinPath = path;
    Settings back;
    parseSettings(settingsFileBytes(written), back);
    return back.skinPath == path;
}

bool parseSettings(const QByteArray &bytes, Settings &out)
{
    const QString text = fromGbk(bytes);
    ListReader reader(text);
    Settings s; // the start values
    bool complete = true;
    // Reads the next number item; false when it is missing or no finite number.
    auto number = [&](double &value) {
        double v = 0;
        if (reader.readNumber(v) && std::isfinite(v)) {
            value = v;
            return true;
        }
        complete = false;
        return false;
    };
    auto real = [&](double &field) {
        double v = 0;
        if (number(v))
            field = v;
    };
    auto int16 = [&](std::int16_t &field) {
        double v = 0;
        std::int16_t i = 0;
        if (number(v)) {
            if (toInt16(v, i))
                field = i;
            else
                complete = false;
        }
    };
    // An item of a typed value, read as the 16-bit number the file holds.
    auto typed = [&](auto &field) {
        std::int16_t value = std::int16_t(field);
        int16(value);
        field = std::remove_reference_t<decltype(field)>(value);
    };
    real(s.shutdownHour);
    real(s.shutdownMinute);
    int16(s.shutdownSecond);
    typed(s.shutdownMode);
    typed(s.decimalPlaces);
    int16(s.memoryFlag);
    real(s.memoryValue);
    typed(s.taxCategory);
    int16(s.salaryDeduction);
    real(s.opacity);
    if (s.opacity >= -0.5 && s.opacity < kOpacityFloor)
        s.opacity = 255;
    int16(s.labourDeduction);
    typed(s.voiceChoice);
    int16(s.fontColorIndex);
    int16(s.displayColorIndex);
    double rate = 0;
    if (number(rate)) {
        if (std::fabs(rate) <= double(std::numeric_limits<float>::max()))
            s.savedLoanRate = float(rate);
        else
            complete = false;
    }
    // The skin path is the last item; a record without it still counts as complete.
    QString path;
    if (reader.readText(path))
        s.skinPath = path;
    out = s;
    return complete;
}

SettingsFileState readSettingsFile(const QString &path, Settings &settings)
{
    const auto bytes = fileio::readFile(path, kSettingsReadLimit + 1);
    if (!bytes) {
        settings = Settings{};
        // A file that is there but cannot be read is damaged, not missing: it
        // is kept aside before anything replaces it.
        return fileio::exists(path) && fileio::isRegularFile(path) ? SettingsFileState::Damaged
                                                                   : SettingsFileState::Missing;
    }
    if (bytes->isEmpty()) {
        settings = Settings{};
        return SettingsFileState::Missing;
    }
    const bool tooLong = bytes->size() > kSettingsReadLimit;
    const bool complete = parseSettings(bytes->left(kSettingsReadLimit), settings);
    return complete && !tooLong ? SettingsFileState::Complete : SettingsFileState::Damaged;
}

bool loadSettingsFile(const QString &path, Settings &settings)
{
    return readSettingsFile(path, settings) == SettingsFileState::Complete;
}

bool saveSettingsFile(const QString &path, const Settings &settings)
{
    return fileio::replaceFile(path, settingsFileBytes(settings));
}

} // namespace numbelle
