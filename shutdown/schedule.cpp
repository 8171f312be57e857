// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule.h"

#include "common/numtext.h"

#include <QTime>
#include <cmath>

namespace numbelle {

namespace {

// The program's texts of the automatic shutdown.
constexpr char16_t kAtClockTime[] = u"自动关机!";
constexpr char16_t kHours[] = u"小时";
constexpr char16_t kMinutes[] = u"分";
constexpr char16_t kSecondsLater[] = u"秒后自动关机!";
constexpr char16_t kSecondsLeft[] = u"秒后自动关机";
constexpr char16_t kThisComputer[] = u"本机将在";
constexpr char16_t kBadTime[] = u"时间设置错误!";
constexpr char16_t kBadHour[] = u"时间设置错误!小时不能大于23";
constexpr char16_t kBadMinute[] = u"时间设置错误!分钟不能大于59";
constexpr char16_t kFewMinutes[] = u"分钟须大于5";
constexpr char16_t kBadSecond[] = u"时间设置错误!秒不能大于59";
constexpr char16_t kCancelledDisplay[] = u"自动关机已取消!";
constexpr char16_t kCancelled[] = u"自动关机已取消";
constexpr char16_t kIllegalHour[] = u"因非法时间自动关机取消";
constexpr char16_t kTooShort[] = u"不允许小于5分钟的定时关机!";
constexpr char16_t kShuttingDown[] = u"正在关机";
constexpr char16_t kCannotShutDown[] = u"无法关闭计算机!自动关机已取消";

// The shortest countdown that may run, in seconds.
constexpr double kShortestCountdown = 300;

QString text(const char16_t *t) { return QString::fromUtf16(t); }

// A number of the schedule as its plain text ("22", "5.5").
QString plain(double value) { return generalText(value); }

// "0#": rounded, at least two digits.
QString twoDigits(double value)
{
    const double r = std::round(value);
    QString digits = QString::number(std::fabs(r), 'f', 0);
    if (digits.size() < 2)
        digits.prepend(u'0');
    return r < 0 ? u'-' + digits : digits;
}

double lengthSeconds(const Settings &s) { return s.shutdownHour * 3600 + s.shutdownMinute * 60 + s.shutdownSecond; }

// The box of a clock time that no clock ever shows: an hour that is not a whole
// number from 0 to 23, a minute or second not one from 0 to 59. Such a time
// (22.5 hours pasted, 75 minutes in a damaged file) would be shown rounded or
// as it is and never reached.
std::optional<ShutdownBox> impossibleClockTime(double hour, double minute, double second)
{
    const auto whole = [](double value, double largest) {
        return value >= 0 && value <= largest && value == std::floor(value);
    };
    if (!whole(hour, 23))
        return ShutdownBox::Hours;
    if (!whole(minute, 59))
        return ShutdownBox::Minutes;
    if (!whole(second, 59))
        return ShutdownBox::Seconds;
    return std::nullopt;
}

} // namespace

QString clockTimeText(double hour, double minute, double second)
{
    return twoDigits(hour) + u':' + twoDigits(minute) + u':' + twoDigits(second);
}

RemainingTime remainingTime(const Settings &settings, float elapsed)
{
    const double r = lengthSeconds(settings) - double(elapsed);
    RemainingTime t;
    t.hours = std::floor(r / 3600);
    t.minutes = std::floor((r - 3600 * t.hours) / 60);
    t.seconds = std::fmod(std::floor(r), 60);
    return t;
}

double handAngle(float elapsed) { return 6.283 / 60 * double(elapsed); }

HandEnd handEnd(double angle, int centreX, int centreY, int length)
{
    const double a = angle - 3.1415 / 2;
    return {int(std::lround(length * std::cos(a) + centreX)), int(std::lround(length * std::sin(a) + centreY))};
}

ShutdownSchedule::ShutdownSchedule(ProgramState &state, SettingsStore &settings, platform::Platform &platform,
                                   ShutdownClock &clock)
    : m_state(state), m_platform(platform), m_clock(clock), m_settings(settings)
{
}

bool ShutdownSchedule::isCountdown() const
{
    const ShutdownMode mode = m_settings.values().shutdownMode;
    return mode != ShutdownMode::None && mode != ShutdownMode::AtClockTime;
}

bool ShutdownSchedule::countdownTooShort() const
{
    // Under five minutes by the hours and minutes as typed; a countdown that
    // is shorter than that in all (only a damaged settings file holds a
    // negative part) would otherwise switch the computer off at once.
    const Settings &s = m_settings.values();
    return (s.shutdownHour == 0 && s.shutdownMinute < 5) || lengthSeconds(s) < kShortestCountdown;
}

QString ShutdownSchedule::countdownText() const
{
    const Settings &s = m_settings.values();
    return plain(s.shutdownHour) + text(kHours) + plain(s.shutdownMinute) + text(kMinutes) +
           QString::number(s.shutdownSecond) + text(kSecondsLater);
}

void ShutdownSchedule::message(const char16_t *t) { m_platform.messages.show(QString(), text(t)); }

void ShutdownSchedule::startUp()
{
    auto change = m_settings.change(SettingsKey::Shutdown);
    Settings &s = *change;
    m_clock.setTimerEnabled(true);
    if (s.shutdownMode == ShutdownMode::None) {
        m_clock.setHandRed(false);
        return;
    }
    if (s.shutdownMode == ShutdownMode::AtClockTime) {
        m_clock.setToolTip(clockTimeText(s.shutdownHour, s.shutdownMinute, s.shutdownSecond) + text(kAtClockTime));
    } else {
        if (countdownTooShort()) {
            s.shutdownMode = ShutdownMode::None;
            m_clock.setTimerEnabled(false);
        }
        m_clock.setToolTip(countdownText());
    }
    m_clock.setHandRed(true);
}

void ShutdownSchedule::tick()
{
    const Settings &s = m_settings.values();
    if (s.shutdownMode == ShutdownMode::None)
        return;
    m_state.shutdownElapsed += 1;
    bool ticking = true;
    if (s.shutdownMode == ShutdownMode::AtClockTime) {
        if (impossibleClockTime(s.shutdownHour, s.shutdownMinute, s.shutdownSecond)) {
            m_settings.change(SettingsKey::Shutdown)->shutdownMode = ShutdownMode::None;
            m_clock.setTimerEnabled(false);
            m_clock.setHandRed(false);
            m_clock.setToolTip(text(kIllegalHour));
            return;
        }
        const QTime now = m_platform.clock.now().time();
        if (now.hour() == s.shutdownHour && now.minute() == s.shutdownMinute && now.second() >= s.shutdownSecond) {
            shutDown();
            ticking = false;
        }
    } else {
        if (countdownTooShort()) {
            m_clock.setDisplayText(text(kTooShort));
            m_clock.setTimerEnabled(false);
            return;
        }
        const RemainingTime r = remainingTime(s, m_state.shutdownElapsed);
        QString left = plain(r.minutes) + text(kMinutes) + plain(r.seconds) + text(kSecondsLeft);
        if (r.hours != 0)
            left.prepend(plain(r.hours) + text(kHours));
        m_clock.setToolTip(left);
        if (lengthSeconds(s) <= double(m_state.shutdownElapsed)) {
            shutDown();
            ticking = false;
        }
    }
    // The hand turns on; it stays black once the schedule has fired.
    m_clock.turnHand(handAngle(m_state.shutdownElapsed));
    if (ticking)
        m_clock.setHandRed(true);
}

bool ShutdownSchedule::shutDown()
{
    m_clock.setTimerEnabled(false);
    m_clock.setHandRed(false);
    if (m_platform.shutdown.powerOff()) {
        // The schedule stays stored: the computer is going down.
        m_clock.setDisplayText(text(kShuttingDown));
        m_clock.setToolTip(text(kShuttingDown));
        return true;
    }
    // Nothing is going down. The schedule is cleared and the cleared one
    // saved, so it neither fires again every second nor at the next start.
    {
        auto s = m_settings.change(SettingsKey::Shutdown);
        s->shutdownHour = 0;
        s->shutdownMinute = 0;
        s->shutdownSecond = 0;
        s->shutdownMode = ShutdownMode::None;
    }
    m_state.shutdownElapsed = 0;
    m_clock.setToolTip(text(kCancelled));
    m_settings.save();
    message(kCannotShutDown);
    return false;
}

ShutdownSchedule::WindowView ShutdownSchedule::load()
{
    const Settings &s = m_settings.values();
    WindowView view{plain(s.shutdownHour), plain(s.shutdownMinute), QString::number(s.shutdownSecond), 0};
    if (s.shutdownMode == ShutdownMode::None) {
        m_clock.setHandRed(false);
    } else if (s.shutdownMode == ShutdownMode::AtClockTime) {
        m_clock.setToolTip(clockTimeText(s.shutdownHour, s.shutdownMinute, s.shutdownSecond) + text(kAtClockTime));
        m_clock.setTimerEnabled(true);
        view.option = 1;
    } else {
        m_clock.setToolTip(countdownText());
        m_clock.setTimerEnabled(true);
        const RemainingTime r = remainingTime(s, m_state.shutdownElapsed);
        view.hours = plain(r.hours);
        view.minutes = plain(r.minutes);
        view.seconds = plain(r.seconds);
        view.option = 2;
    }
    return view;
}

bool ShutdownSchedule::enterCheck(ShutdownBox box, double value)
{
    const bool atClockTime = m_settings.values().shutdownMode == ShutdownMode::AtClockTime;
    switch (box) {
    case ShutdownBox::Hours:
        if (atClockTime && value > 23) {
            message(kBadHour);
            return false;
        }
        return true;
    case ShutdownBox::Minutes:
        if (atClockTime && value > 59) {
            message(kBadMinute);
            return false;
        }
        if (isCountdown() && value < 5) {
            message(kFewMinutes);
            return false;
        }
        return true;
    case ShutdownBox::Seconds:
        if (atClockTime && value > 59) {
            message(kBadSecond);
            return false;
        }
        return true;
    }
    return true;
}

std::optional<ShutdownBox> ShutdownSchedule::confirm(const ShutdownBoxValues &typed, int selectedOption)
{
    // A value no settings file can hold (too many digits for a number, or
    // seconds beyond 16 bits) is refused before anything is taken.
    std::int16_t seconds = 0;
    const std::optional<ShutdownBox> unfit = !std::isfinite(typed.hours)        ? std::optional(ShutdownBox::Hours)
                                             : !std::isfinite(typed.minutes)    ? std::optional(ShutdownBox::Minutes)
                                             : !toInt16(typed.seconds, seconds) ? std::optional(ShutdownBox::Seconds)
                                                                                : std::nullopt;
    if (unfit) {
        message(kBadTime);
        return unfit;
    }

    auto change = m_settings.change(SettingsKey::Shutdown);
    Settings &s = *change;
    s.shutdownHour = typed.hours;
    s.shutdownMinute = typed.minutes;
    s.shutdownSecond = seconds;
    m_state.shutdownElapsed = 0;
    if (selectedOption == 1)
        s.shutdownMode = ShutdownMode::AtClockTime;
    else if (selectedOption == 2)
        s.shutdownMode = ShutdownMode::Countdown;

    // A clock time out of range, or not in whole hours and minutes, is
    // refused; what was taken above stays in memory, unsaved, and the window
    // stays open.
    if (s.shutdownMode == ShutdownMode::AtClockTime) {
        if (const auto bad = impossibleClockTime(s.shutdownHour, s.shutdownMinute, s.shutdownSecond)) {
            message(kBadTime);
            return bad;
        }
    }

    if (selectedOption == 1) {
        s.shutdownMode = ShutdownMode::AtClockTime;
        m_clock.setTimerEnabled(true);
    } else if (selectedOption == 2) {
        s.shutdownMode = ShutdownMode::Countdown;
        m_clock.setTimerEnabled(true);
    } else {
        s.shutdownMode = ShutdownMode::None;
    }

    const QString h = plain(s.shutdownHour), m = plain(s.shutdownMinute), sec = QString::number(s.shutdownSecond);
    QString shown;
    if (s.shutdownMode == ShutdownMode::Countdown) {
        if (s.shutdownHour == 0 && s.shutdownMinute == 0)
            shown = sec + text(kSecondsLater);
        else if (s.shutdownHour == 0)
            shown = m + text(kMinutes) + sec + text(kSecondsLater);
        else
            shown = h + text(kHours) + m + text(kMinutes) + sec + text(kSecondsLater);
    } else if (s.shutdownMode == ShutdownMode::AtClockTime) {
        shown = clockTimeText(s.shutdownHour, s.shutdownMinute, s.shutdownSecond) + text(kAtClockTime);
    }
    if (!shown.isEmpty()) {
        m_clock.setDisplayText(text(kThisComputer) + shown);
        m_clock.setToolTip(shown);
    }
    m_settings.save();
    return std::nullopt;
}

void ShutdownSchedule::reset()
{
    auto change = m_settings.change(SettingsKey::Shutdown);
    Settings &s = *change;
    s.shutdownHour = 0;
    s.shutdownMinute = 0;
    s.shutdownSecond = 0;
    if (s.shutdownMode != ShutdownMode::None) {
        s.shutdownMode = ShutdownMode::None;
        if (leadingNumber(m_clock.displayText()) == 0)
            m_clock.setDisplayText(text(kCancelledDisplay));
        m_clock.setToolTip(text(kCancelled));
    }
    m_clock.setHandRed(false);
    m_state.shutdownElapsed = 0;
    m_clock.setTimerEnabled(false);
    // The cancelled schedule is saved at once: a program ended with Esc would
    // otherwise arm the old one again at its next start.
    m_settings.save();
}

void ShutdownSchedule::unload()
{
    if (isCountdown() && countdownTooShort()) {
        m_settings.change(SettingsKey::Shutdown)->shutdownMode = ShutdownMode::None;
        m_settings.save();
    }
}

} // namespace numbelle
