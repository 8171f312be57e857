// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop sound device with a damaged sound file: it never holds the
// program up and plays nothing, reporting each play request as failed so the
// message line says so.

#include "platform/desktop/desktopplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace numbelle::platform;

namespace {

struct BadSound {
    const char *name;
    void (*make)(const QString &path);
};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const BadSound kCases[] = {
    {"Missing", [](const QString &) {}},
    {"Empty", [](const QString &path) { writeBytes(path, QByteArray()); }},
    {"RandomBytes", [](const QString &path) { writeBytes(path, QByteArray(5000, '\x9c')); }},
    {"NulBytes", [](const QString &path) { writeBytes(path, QByteArray(5000, '\0')); }},
    {"HeaderOnly", [](const QString &path) { writeBytes(path, QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16)); }},
    {"Folder", [](const QString &path) { ASSERT_TRUE(QDir().mkdir(path)); }},
    {"Fifo", [](const QString &path) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); }},
};

class DamagedSoundFile : public testing::TestWithParam<BadSound> {
protected:
    // The sound thread runs an event loop, as in the program.
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "numbelle_platform_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }
};

TEST_P(DamagedSoundFile, OpensNothingAndEveryPlayFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dansheng109.wav"));
    GetParam().make(path);
    DesktopSound sound;
    EXPECT_FALSE(sound.open(path));
    EXPECT_FALSE(sound.play(Clip{1, 'f', true, 580, 937, {}}));
    EXPECT_FALSE(sound.play(Clip{2, 'f', true, 1027, 1339, {}}));
}

INSTANTIATE_TEST_SUITE_P(Sound, DamagedSoundFile, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BadSound> &row) { return std::string(row.param.name); });

} // namespace
