// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop power-off with harmless commands: a command that fails or
// cannot start is a failure, one that succeeds or is still running after the
// wait is under way, and the dry run runs nothing. The schedule shows a failure
// to the user and clears itself. No real power-off command appears here: the
// facility runs only what its caller names.

#include "platform/desktop/desktopshutdown.h"
#include "platform/recording/recordingplatform.h"
#include "shutdown/schedule.h"
#include "tests/support/qtprinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

using namespace numbelle;
using platform::DesktopShutdown;

namespace {

QString u(const char16_t *text) { return QString::fromUtf16(text); }

// QProcess wants an application object.
class DesktopShutdownTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "numbelle_desktopshutdown_tests";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    void SetUp() override { qunsetenv(DesktopShutdown::dryRunVariable()); }
    void TearDown() override { qunsetenv(DesktopShutdown::dryRunVariable()); }
};

QStringList shell(const QString &script) { return {QStringLiteral("/bin/sh"), QStringLiteral("-c"), script}; }

} // namespace

TEST_F(DesktopShutdownTest, ACommandThatCannotStartOrFailsIsAFailure)
{
    const QStringList failing[] = {
        {QStringLiteral("/nonexistent/numbelle-no-such-program")},
        {QStringLiteral("false")},
        shell(QStringLiteral("exit 3")),
        shell(QStringLiteral("kill -9 $$")), // dies by a signal
        {},
    };
    for (const QStringList &command : failing) {
        DesktopShutdown shutdown(command);
        EXPECT_FALSE(shutdown.powerOff()) << command.join(u' ').toStdString();
    }
}

TEST_F(DesktopShutdownTest, ACommandThatSucceedsOrRunsOnIsUnderWay)
{
    DesktopShutdown quick({QStringLiteral("true")});
    EXPECT_TRUE(quick.powerOff());
    // Still running when the wait ends: the system is on its way down. The
    // command is not killed when the facility goes away.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString marker = dir.filePath(QStringLiteral("finished"));
    {
        DesktopShutdown slow(shell(QStringLiteral("sleep 3; touch '%1'").arg(marker)));
        EXPECT_TRUE(slow.powerOff());
        EXPECT_FALSE(QFile::exists(marker));
    }
    for (int i = 0; i < 60 && !QFile::exists(marker); ++i)
        QThread::msleep(100);
    EXPECT_TRUE(QFile::exists(marker));
}

TEST_F(DesktopShutdownTest, TheDryRunRunsNothingAndSaysSoOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString marker = dir.filePath(QStringLiteral("ran"));
    qputenv(DesktopShutdown::dryRunVariable(), "1");
    DesktopShutdown shutdown(shell(QStringLiteral("touch '%1'").arg(marker)));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(shutdown.powerOff());
    const std::string said = testing::internal::GetCapturedStderr();
    QThread::msleep(300);
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("NUMBELLE_SHUTDOWN_DRY_RUN"), std::string::npos) << said;
}

namespace {

struct Clock final : ShutdownClock {
    QString display, toolTip;
    bool timer = true;
    QString displayText() const override { return display; }
    void setDisplayText(const QString &text) override { display = text; }
    void setToolTip(const QString &text) override { toolTip = text; }
    void setHandRed(bool) override {}
    void turnHand(double) override {}
    void setTimerEnabled(bool enabled) override { timer = enabled; }
};

} // namespace

TEST_F(DesktopShutdownTest, TheScheduleTellsTheUserAndClearsItselfWhenThePowerOffFails)
{
    for (const QStringList &command :
         {QStringList{QStringLiteral("false")}, QStringList{QStringLiteral("/nonexistent/numbelle-no-such-program")}}) {
        platform::RecordingPlatform recording;
        const platform::Platform r = recording.platform();
        DesktopShutdown desktop(command);
        platform::Platform mixed{r.sound, r.messages, r.dialogs,     r.clipboard, r.desktop,    r.tray,    r.windows,
                                 r.clock, desktop,    r.spreadsheet, r.printer,   r.soundInput, r.archives};
        ProgramState state;
        QTemporaryDir folder;
        SettingsStore settings(folder.path());
        {
            auto s = settings.change(SettingsKey::Shutdown);
            s->shutdownHour = 22;
            s->shutdownMinute = 30;
            s->shutdownMode = ShutdownMode::AtClockTime;
        }
        recording.setClock(QDateTime::fromString(QStringLiteral("2024-05-01T22:30:45"), Qt::ISODate));
        Clock clock;
        int saves = 0;
        QObject::connect(&settings, &SettingsStore::saveTried, [&saves] { ++saves; });
        ShutdownSchedule schedule(state, settings, mixed, clock);
        schedule.tick();
        EXPECT_EQ(recording.takeMessages(), QStringList{u'|' + u(u"无法关闭计算机!自动关机已取消")});
        EXPECT_NE(clock.display, u(u"正在关机"));
        EXPECT_EQ(clock.toolTip, u(u"自动关机已取消"));
        EXPECT_FALSE(clock.timer);
        EXPECT_EQ(settings.values().shutdownMode, ShutdownMode::None);
        EXPECT_EQ(settings.values().shutdownHour, 0);
        EXPECT_EQ(saves, 1);
    }
}
