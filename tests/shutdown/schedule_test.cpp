// SPDX-License-Identifier: GPL-3.0-or-later
// The shutdown schedule through its public surface: the texts it shows, the
// remaining time, the hand, start-up, ticks, confirm, reset and unload, with
// the recording platform and a clock that writes down what it was told.

#include "platform/recording/recordingplatform.h"
#include "shutdown/schedule.h"
#include "tests/support/qtprinting.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace numbelle;

namespace {

QString u(const char16_t *text) { return QString::fromUtf16(text); }

struct FakeClock final : ShutdownClock {
    QString display;
    QString toolTip;
    std::optional<bool> red;
    std::optional<double> angle;
    bool timer = false;

    QString displayText() const override { return display; }
    void setDisplayText(const QString &text) override { display = text; }
    void setToolTip(const QString &text) override { toolTip = text; }
    void setHandRed(bool on) override { red = on; }
    void turnHand(double a) override { angle = a; }
    void setTimerEnabled(bool enabled) override { timer = enabled; }
};

struct Session {
    QTemporaryDir folder;
    ProgramState state;
    SettingsStore settings{folder.path()};
    platform::RecordingPlatform recording;
    platform::Platform platform = recording.platform();
    FakeClock clock;
    int saves = 0;
    ShutdownSchedule schedule{state, settings, platform, clock};

    Session(double hour, double minute, std::int16_t second, std::int16_t mode)
    {
        QObject::connect(&settings, &SettingsStore::saveTried, [this] { ++saves; });
        auto s = settings.change(SettingsKey::Shutdown);
        s->shutdownHour = hour;
        s->shutdownMinute = minute;
        s->shutdownSecond = second;
        s->shutdownMode = ShutdownMode(mode);
    }
    void at(const char *time) { recording.setClock(QDateTime::fromString(time, Qt::ISODate)); }
};

} // namespace

TEST(ShutdownTexts, ClockTimeHasTwoDigitsAPart)
{
    EXPECT_EQ(clockTimeText(7, 5, 0), u"07:05:00");
    EXPECT_EQ(clockTimeText(22, 30, 10), u"22:30:10");
    EXPECT_EQ(clockTimeText(0, 0, 0), u"00:00:00");
    EXPECT_EQ(clockTimeText(5.5, 0, 59), u"06:00:59");
    EXPECT_EQ(clockTimeText(123, -1, 0), u"123:-01:00");
}

TEST(ShutdownTexts, RemainingTimeInWholeParts)
{
    struct Row {
        double hour, minute;
        std::int16_t second;
        float elapsed;
        double h, m, s;
    };
    const Row rows[] = {
        {0, 5, 0, 1, 0, 4, 59},   {0, 5, 0, 300, 0, 0, 0},  {1, 0, 0, 1, 0, 59, 59},   {2, 30, 15, 16, 2, 29, 59},
        {0, 5.5, 0, 0, 0, 5, 30}, {0, 10, 0, 75, 0, 8, 45}, {0, 0, 32767, 0, 9, 6, 7}, {100, 0, 0, 0, 100, 0, 0},
    };
    for (const Row &r : rows) {
        Settings s;
        s.shutdownHour = r.hour;
        s.shutdownMinute = r.minute;
        s.shutdownSecond = r.second;
        const RemainingTime t = remainingTime(s, r.elapsed);
        EXPECT_EQ(t.hours, r.h) << r.hour << ' ' << r.minute << ' ' << r.second << " after " << r.elapsed;
        EXPECT_EQ(t.minutes, r.m) << r.hour << ' ' << r.minute << ' ' << r.second << " after " << r.elapsed;
        EXPECT_EQ(t.seconds, r.s) << r.hour << ' ' << r.minute << ' ' << r.second << " after " << r.elapsed;
    }
}

TEST(ShutdownTexts, TheHandTurnsClockwiseOnceAMinuteFromTheTop)
{
    // A hand of 170 twips about (2625, 570), which starts at (2625, 400).
    struct Row {
        float ticks;
        int x, y;
    };
    for (const Row &r : {Row{0, 2625, 400}, Row{15, 2795, 570}, Row{30, 2625, 740}, Row{45, 2455, 570},
                         Row{60, 2625, 400}, Row{75, 2795, 570}}) {
        const HandEnd end = handEnd(handAngle(r.ticks), 2625, 570, 170);
        EXPECT_EQ(end.x, r.x) << r.ticks << " ticks";
        EXPECT_EQ(end.y, r.y) << r.ticks << " ticks";
    }
}

TEST(ShutdownStartUp, ArmsAStoredScheduleAndDropsAShortCountdown)
{
    struct Row {
        double hour, minute;
        std::int16_t second, mode;
        std::int16_t modeAfter;
        bool timer, red;
        const char16_t *toolTip;
    };
    const Row rows[] = {
        {22, 30, 0, 0, 0, true, false, u""},
        {7, 5, 0, 1, 1, true, true, u"07:05:00自动关机!"},
        {0, 5, 0, 2, 2, true, true, u"0小时5分0秒后自动关机!"},
        {0, 4, 59, 2, 0, false, true, u"0小时4分59秒后自动关机!"},
        {1, 0, 0, 2, 2, true, true, u"1小时0分0秒后自动关机!"},
        {0, 30, 0, 7, 7, true, true, u"0小时30分0秒后自动关机!"},
        // Shorter than five minutes in all: only a damaged file holds it.
        {-1, 30, 0, 2, 0, false, true, u"-1小时30分0秒后自动关机!"},
    };
    for (const Row &r : rows) {
        Session s(r.hour, r.minute, r.second, r.mode);
        s.schedule.startUp();
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), r.modeAfter)
            << r.hour << ' ' << r.minute << " mode " << r.mode;
        EXPECT_EQ(s.clock.timer, r.timer) << r.hour << ' ' << r.minute << " mode " << r.mode;
        EXPECT_EQ(s.clock.red, r.red) << r.hour << ' ' << r.minute << " mode " << r.mode;
        EXPECT_EQ(s.clock.toolTip, u(r.toolTip));
        EXPECT_EQ(s.saves, 0);
    }
}

TEST(ShutdownTick, NothingHappensWithoutASchedule)
{
    Session s(22, 30, 0, 0);
    s.at("2024-05-01T22:30:00");
    s.schedule.tick();
    EXPECT_EQ(s.state.shutdownElapsed, 0);
    EXPECT_FALSE(s.clock.angle);
    EXPECT_TRUE(s.recording.takeEvents().isEmpty());
}

TEST(ShutdownTick, AClockTimeFiresOnlyOnItsHourAndMinuteOnceItsSecondIsReached)
{
    struct Row {
        const char *now;
        bool fires;
        double hour = 22; // of the schedule, at 30 minutes 10 seconds
    };
    const Row rows[] = {
        {"2024-05-01T22:30:45", true},     {"2024-05-01T22:30:10", true},      {"2024-05-01T22:30:09", false},
        {"2024-05-01T22:31:45", false},    {"2024-05-01T21:30:45", false},     {"2024-05-01T10:30:45", false},
        {"2024-05-01T23:30:11", true, 23}, {"2024-05-01T23:29:59", false, 23},
    };
    for (const Row &r : rows) {
        Session s(r.hour, 30, 10, 1);
        s.clock.timer = true;
        s.at(r.now);
        s.schedule.tick();
        EXPECT_EQ(s.recording.takeEvents().contains(u"shutdown"), r.fires) << r.now;
        EXPECT_EQ(s.clock.timer, !r.fires) << r.now;
        EXPECT_EQ(s.clock.red, !r.fires) << r.now;
        EXPECT_EQ(s.clock.display, r.fires ? u"正在关机" : u"") << r.now;
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), 1) << r.now;
        EXPECT_EQ(s.saves, 0) << r.now;
    }
}

TEST(ShutdownTick, AClockTimeNoClockShowsIsCancelledAtTheFirstTick)
{
    // As only a damaged settings file (or a refused confirm) holds them.
    struct Row {
        double hour, minute;
        std::int16_t second;
    };
    for (const Row &r : {Row{24, 0, 0}, Row{10, 75, 0}, Row{22.5, 0, 0}, Row{7, 5, 60}, Row{8, 0, -3}}) {
        Session s(r.hour, r.minute, r.second, 1);
        s.schedule.startUp();
        s.at("2024-05-01T10:15:00");
        s.schedule.tick();
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), 0) << r.hour << ':' << r.minute << ':' << r.second;
        EXPECT_FALSE(s.clock.timer);
        EXPECT_EQ(s.clock.red, false);
        EXPECT_EQ(s.clock.toolTip, u"因非法时间自动关机取消");
        EXPECT_FALSE(s.recording.takeEvents().contains(u"shutdown"));
    }
}

TEST(ShutdownTick, AFailedPowerOffClearsAndSavesTheSchedule)
{
    Session s(0, 5, 0, 2);
    s.clock.timer = true;
    s.clock.display = QStringLiteral("64");
    s.recording.setFailing(QStringLiteral("shutdown"), true);
    for (int i = 0; i < 300; ++i)
        s.schedule.tick();
    EXPECT_EQ(s.recording.takeMessages(), QStringList{u(u"|无法关闭计算机!自动关机已取消")});
    EXPECT_EQ(s.clock.display, u"64");
    EXPECT_EQ(s.clock.toolTip, u"自动关机已取消");
    EXPECT_FALSE(s.clock.timer);
    EXPECT_EQ(s.clock.red, false);
    EXPECT_EQ(s.settings.values(), Settings{});
    EXPECT_EQ(s.state.shutdownElapsed, 0);
    EXPECT_EQ(s.saves, 1);
    // Nothing is left to fire.
    s.recording.setFailing(QStringLiteral("shutdown"), false);
    s.schedule.tick();
    EXPECT_TRUE(s.recording.takeEvents().isEmpty());
}

TEST(ShutdownConfirm, ShowsTheNewScheduleAndSavesIt)
{
    struct Row {
        int option;
        double h, m, sec;
        std::int16_t mode;
        const char16_t *display, *toolTip;
    };
    const Row rows[] = {
        {2, 0, 0, 45, 2, u"本机将在45秒后自动关机!", u"45秒后自动关机!"},
        {2, 0, 3, 0, 2, u"本机将在3分0秒后自动关机!", u"3分0秒后自动关机!"},
        {2, 1, 0, 0, 2, u"本机将在1小时0分0秒后自动关机!", u"1小时0分0秒后自动关机!"},
        {2, 0.5, 5, 0, 2, u"本机将在.5小时5分0秒后自动关机!", u".5小时5分0秒后自动关机!"},
        {1, 7, 5, 0, 1, u"本机将在07:05:00自动关机!", u"07:05:00自动关机!"},
        {1, 23, 59, 59, 1, u"本机将在23:59:59自动关机!", u"23:59:59自动关机!"},
        {0, 7, 5, 0, 0, u"before", u""},
    };
    for (const Row &r : rows) {
        Session s(9, 9, 9, 0);
        s.state.shutdownElapsed = 42;
        s.clock.display = QStringLiteral("before");
        EXPECT_FALSE(s.schedule.confirm({r.h, r.m, r.sec}, r.option));
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), r.mode);
        EXPECT_EQ(s.settings.values().shutdownHour, r.h);
        EXPECT_EQ(s.settings.values().shutdownSecond, r.sec);
        EXPECT_EQ(s.state.shutdownElapsed, 0);
        EXPECT_EQ(s.clock.display, u(r.display));
        EXPECT_EQ(s.clock.toolTip, u(r.toolTip));
        EXPECT_EQ(s.clock.timer, r.option != 0);
        EXPECT_EQ(s.saves, 1);
        EXPECT_TRUE(s.recording.takeMessages().isEmpty());
    }
}

TEST(ShutdownConfirm, RefusesAClockTimeOutOfRangeKeepingItUnsaved)
{
    struct Row {
        double h, m, sec;
        ShutdownBox focus;
    };
    // Also a time no clock shows, as a paste can give: 22.5 would be shown as
    // 23:00:00 and never reached.
    for (const Row &r :
         {Row{24, 0, 0, ShutdownBox::Hours}, Row{24, 60, 60, ShutdownBox::Hours}, Row{23, 60, 0, ShutdownBox::Minutes},
          Row{23, 59, 60, ShutdownBox::Seconds}, Row{22.5, 0, 0, ShutdownBox::Hours},
          Row{-1, 30, 0, ShutdownBox::Hours}, Row{6, 44.25, 0, ShutdownBox::Minutes}}) {
        Session s(0, 10, 0, 2);
        s.state.shutdownElapsed = 42;
        EXPECT_EQ(s.schedule.confirm({r.h, r.m, r.sec}, 1), r.focus) << r.h << ':' << r.m << ':' << r.sec;
        EXPECT_EQ(s.recording.takeMessages(), QStringList{u(u"|时间设置错误!")});
        // Taken into memory as typed, with the mode, but not saved.
        EXPECT_EQ(s.settings.values().shutdownHour, r.h);
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), 1);
        EXPECT_EQ(s.state.shutdownElapsed, 0);
        EXPECT_EQ(s.saves, 0);
        EXPECT_FALSE(s.clock.timer);
        EXPECT_EQ(s.clock.display, u"");
    }
}

TEST(ShutdownConfirm, RefusesWhatNoSettingsFileCanHoldTakingNothing)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        double h, m, sec;
        ShutdownBox focus;
    };
    for (const Row &r : {Row{inf, 0, 0, ShutdownBox::Hours}, Row{0, inf, 0, ShutdownBox::Minutes},
                         Row{0, 10, 32768, ShutdownBox::Seconds}}) {
        Session s(0, 10, 0, 2);
        EXPECT_EQ(s.schedule.confirm({r.h, r.m, r.sec}, 2), r.focus);
        EXPECT_EQ(s.recording.takeMessages(), QStringList{u(u"|时间设置错误!")});
        EXPECT_EQ(s.settings.values().shutdownMinute, 10);
        EXPECT_EQ(s.settings.values().shutdownSecond, 0);
        EXPECT_EQ(s.saves, 0);
    }
}

TEST(ShutdownEnterCheck, ObjectsOnlyForTheModeInForce)
{
    struct Row {
        std::int16_t mode;
        ShutdownBox box;
        double value;
        const char16_t *message; // empty: the focus moves on
    };
    const Row rows[] = {
        {0, ShutdownBox::Hours, 30, u""},
        {1, ShutdownBox::Hours, 24, u"时间设置错误!小时不能大于23"},
        {1, ShutdownBox::Hours, 23, u""},
        {2, ShutdownBox::Hours, 30, u""},
        {1, ShutdownBox::Minutes, 60, u"时间设置错误!分钟不能大于59"},
        {1, ShutdownBox::Minutes, 3, u""},
        {2, ShutdownBox::Minutes, 4, u"分钟须大于5"},
        {3, ShutdownBox::Minutes, 4, u"分钟须大于5"},
        {2, ShutdownBox::Minutes, 5, u""},
        {0, ShutdownBox::Minutes, 4, u""},
        {1, ShutdownBox::Seconds, 60, u"时间设置错误!秒不能大于59"},
        {2, ShutdownBox::Seconds, 600, u""},
    };
    for (const Row &r : rows) {
        Session s(0, 10, 0, r.mode);
        const bool moves = s.schedule.enterCheck(r.box, r.value);
        const QStringList messages = s.recording.takeMessages();
        EXPECT_EQ(moves, u(r.message).isEmpty()) << "mode " << r.mode << " value " << r.value;
        EXPECT_EQ(messages.isEmpty() ? QString() : messages.first(),
                  u(r.message).isEmpty() ? QString() : u'|' + u(r.message));
        // The schedule itself is never touched by a check.
        EXPECT_EQ(s.settings.values().shutdownMinute, 10);
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), r.mode);
        EXPECT_EQ(s.saves, 0);
    }
}

TEST(ShutdownReset, CancelsSavesAndKeepsANumberOnTheDisplay)
{
    struct Row {
        std::int16_t mode;
        const char16_t *display, *displayAfter, *toolTipAfter;
    };
    const Row rows[] = {
        {2, u"15", u"15", u"自动关机已取消"},
        {1, u"本机将在22:30:00自动关机!", u"自动关机已取消!", u"自动关机已取消"},
        {2, u"0", u"自动关机已取消!", u"自动关机已取消"},
        {0, u"本机将在22:30:00自动关机!", u"本机将在22:30:00自动关机!", u"old"},
    };
    for (const Row &r : rows) {
        Session s(22, 30, 0, r.mode);
        s.clock.display = u(r.display);
        s.clock.toolTip = QStringLiteral("old");
        s.clock.timer = true;
        s.state.shutdownElapsed = 9;
        s.schedule.reset();
        EXPECT_EQ(s.clock.display, u(r.displayAfter));
        EXPECT_EQ(s.clock.toolTip, u(r.toolTipAfter));
        EXPECT_FALSE(s.clock.timer);
        EXPECT_EQ(s.clock.red, false);
        EXPECT_EQ(s.settings.values(), Settings{});
        EXPECT_EQ(s.state.shutdownElapsed, 0);
        EXPECT_EQ(s.saves, 1);
    }
}

TEST(ShutdownUnload, DropsAndSavesOnlyAShortCountdown)
{
    struct Row {
        double hour, minute;
        std::int16_t mode, modeAfter;
        int saves;
    };
    for (const Row &r :
         {Row{0, 3, 2, 0, 1}, Row{0, 5, 2, 2, 0}, Row{1, 3, 2, 2, 0}, Row{0, 3, 1, 1, 0}, Row{0, 3, 0, 0, 0}}) {
        Session s(r.hour, r.minute, 0, r.mode);
        s.schedule.unload();
        EXPECT_EQ(std::int16_t(s.settings.values().shutdownMode), r.modeAfter)
            << r.hour << ' ' << r.minute << " mode " << r.mode;
        EXPECT_EQ(s.saves, r.saves) << r.hour << ' ' << r.minute << " mode " << r.mode;
    }
}

TEST(ShutdownLoad, ACountdownShowsWhatIsLeft)
{
    Session s(0, 10, 0, 2);
    s.state.shutdownElapsed = 75;
    const ShutdownSchedule::WindowView v = s.schedule.load();
    EXPECT_EQ(v.hours, u"0");
    EXPECT_EQ(v.minutes, u"8");
    EXPECT_EQ(v.seconds, u"45");
    EXPECT_EQ(v.option, 2);
    EXPECT_TRUE(s.clock.timer);
    EXPECT_EQ(s.clock.toolTip, u"0小时10分0秒后自动关机!");

    Session clock(6.5, 0, 0, 1);
    const ShutdownSchedule::WindowView c = clock.schedule.load();
    EXPECT_EQ(c.hours, u"6.5");
    EXPECT_EQ(c.option, 1);
    EXPECT_EQ(clock.clock.toolTip, u"07:00:00自动关机!");

    Session none(22, 0, 0, 0);
    EXPECT_EQ(none.schedule.load().option, 0);
    EXPECT_EQ(none.clock.red, false);
    EXPECT_FALSE(none.clock.timer);
}
