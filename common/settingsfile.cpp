#include "settingsfile.h"

#include "common/numtext.h"
#include "common/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <limits>

namespace numbelle {

QByteArray settingsFileBytes(const Settings &s)
{
    QString line;
    line += printForm(s.shutdownHour);
    line += printForm(s.shutdownMinute);
    line += printForm(std::int64_t(s.shutdownSecond));
    line += printForm(std::int64_t(s.shutdownMode));
    line += printForm(std::int64_t(s.decimalPlaces));
    line += printForm(std::int64_t(s.memoryFlag));
    line += printForm(s.memoryValue);
    line += printForm(std::int64_t(s.taxCategory));
    line += printForm(std::int64_t(s.salaryDeduction));
    line += printForm(s.opacity);
    line += printForm(std::int64_t(s.labourDeduction));
    line += printForm(std::int64_t(s.voiceChoice));
    line += printForm(std::int64_t(s.fontColorIndex));
    line += printForm(std::int64_t(s.displayColorIndex));
    line += printFormSingle(s.savedLoanRate);
    line += s.skinPath;
    QByteArray bytes = toGbk(line);
    bytes += kLineEnd;
    return bytes;
}

bool parseSettings(const QByteArray &bytes, Settings &out)
{
    const QString text = fromGbk(bytes);
    ListReader reader(text);
    double v[15];
    for (double &item : v) {
        if (!reader.readNumber(item) || !std::isfinite(item))
            return false;
    }
    Settings s;
    std::int16_t *ints[] = {&s.shutdownSecond, &s.shutdownMode,     &s.decimalPlaces,   &s.memoryFlag,
                            &s.taxCategory,    &s.salaryDeduction,  &s.labourDeduction, &s.voiceChoice,
                            &s.fontColorIndex, &s.displayColorIndex};
    const double intValues[] = {v[2], v[3], v[4], v[5], v[7], v[8], v[10], v[11], v[12], v[13]};
    for (size_t i = 0; i < std::size(ints); ++i) {
        if (!toInt16(intValues[i], *ints[i]))
            return false;
    }
    if (std::fabs(v[14]) > double(std::numeric_limits<float>::max()))
        return false;
    s.shutdownHour = v[0];
    s.shutdownMinute = v[1];
    s.memoryValue = v[6];
    s.opacity = v[9];
    s.savedLoanRate = float(v[14]);
    // The skin path is the last item; a record without it still counts as complete.
    QString path;
    if (reader.readText(path))
        s.skinPath = path;
    out = s;
    return true;
}

bool loadSettingsFile(const QString &path, Settings &settings)
{
    QFile file(path);
    Settings loaded;
    bool ok = false;
    if (file.open(QIODevice::ReadOnly))
        ok = parseSettings(file.readAll(), loaded);
    settings = ok ? loaded : Settings{};
    return ok;
}

bool saveSettingsFile(const QString &path, const Settings &settings)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(settingsFileBytes(settings));
    return file.commit();
}

} // namespace numbelle
