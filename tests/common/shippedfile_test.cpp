// SPDX-License-Identifier: GPL-3.0-or-later
// A file the program ships, in the program folder: seeded when missing,
// replaced when it is a version the program shipped before, otherwise left
// alone.

#include "common/shippedfile.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace numbelle;

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// What sha256sum prints for "first sound\n".
const QByteArray kFirst("first sound\n");
const QByteArray kFirstHash("d0c1a848b4c09e73f90ae22370d4dfc6e07cfa868053f11ac8c41f94b90c3148");
const QByteArray kSecond("second sound\n");

class ShippedFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("installed"));
        QDir(m_dir.path()).mkpath(QStringLiteral("folder"));
        write(installed(), kSecond);
    }
    QString installed() const { return m_dir.filePath(QStringLiteral("installed/sound.wav")); }
    QString target() const { return m_dir.filePath(QStringLiteral("folder/sound.wav")); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ShippedFile, HashIsTheLowerCaseHexSha256OfTheContents)
{
    write(target(), kFirst);
    EXPECT_EQ(sha256Hex(target()), kFirstHash);
    EXPECT_EQ(sha256Hex(m_dir.filePath(QStringLiteral("folder/none"))), QByteArray());
}

TEST_F(ShippedFile, AMissingFileIsSeeded)
{
    EXPECT_TRUE(refreshShippedFile(target(), installed(), {kFirstHash}));
    EXPECT_EQ(read(target()), kSecond);
    // The user's own: readable and writable by the owner only.
    EXPECT_EQ(QFileInfo(target()).permissions() & (QFile::WriteOwner | QFile::ReadOther), QFile::WriteOwner);
}

TEST_F(ShippedFile, AVersionShippedBeforeIsReplaced)
{
    write(target(), kFirst);
    EXPECT_TRUE(refreshShippedFile(target(), installed(), {QByteArray("00"), kFirstHash}));
    EXPECT_EQ(read(target()), kSecond);
    // Nothing is left behind beside it.
    EXPECT_EQ(QDir(m_dir.filePath(QStringLiteral("folder"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("sound.wav")});
}

TEST_F(ShippedFile, HashesAreComparedWhateverTheirCase)
{
    write(target(), kFirst);
    EXPECT_TRUE(refreshShippedFile(target(), installed(), {kFirstHash.toUpper()}));
    EXPECT_EQ(read(target()), kSecond);
}

TEST_F(ShippedFile, TheUsersOwnFileIsNeverTouched)
{
    const QByteArray own("my own recording\n");
    write(target(), own);
    const QDateTime modified = QFileInfo(target()).lastModified();
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash, sha256Hex(installed())}));
    EXPECT_EQ(read(target()), own);
    EXPECT_EQ(QFileInfo(target()).lastModified(), modified);
}

TEST_F(ShippedFile, ACurrentCopyIsNotRewritten)
{
    write(target(), kSecond);
    QFile::setPermissions(target(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash, sha256Hex(installed())}));
    EXPECT_EQ(QFileInfo(target()).permissions() & QFile::ReadOther, QFile::Permissions());
}

TEST_F(ShippedFile, NothingHappensWithoutAnInstalledFile)
{
    write(target(), kFirst);
    QFile::remove(installed());
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash}));
    EXPECT_EQ(read(target()), kFirst);
    QFile::remove(target());
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash}));
    EXPECT_FALSE(QFileInfo::exists(target()));
}

TEST_F(ShippedFile, AFileThatIsTheInstalledOneIsLeftAlone)
{
    // A portable installation runs in the folder its defaults are in.
    EXPECT_FALSE(refreshShippedFile(installed(), installed(), {sha256Hex(installed())}));
    EXPECT_EQ(read(installed()), kSecond);
}

TEST_F(ShippedFile, ALinkOrAFolderInItsPlaceIsLeftAlone)
{
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.wav"));
    write(elsewhere, kFirst);
    ASSERT_TRUE(QFile::link(elsewhere, target()));
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash}));
    EXPECT_EQ(read(elsewhere), kFirst);
    EXPECT_TRUE(QFileInfo(target()).isSymLink());

    QFile::remove(target());
    ASSERT_TRUE(QDir().mkpath(target()));
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {kFirstHash}));
    EXPECT_TRUE(QFileInfo(target()).isDir());
}

TEST_F(ShippedFile, SameSizeAsTheInstalledFileIsStillComparedByContent)
{
    // An earlier version exactly as long as the installed one is replaced;
    // the user's own file of that length is not.
    const QByteArray older("older sound!\n");
    ASSERT_EQ(older.size(), kSecond.size());
    write(target(), older);
    const QByteArray olderHash = sha256Hex(target());
    EXPECT_TRUE(refreshShippedFile(target(), installed(), {olderHash}));
    EXPECT_EQ(read(target()), kSecond);

    const QByteArray own("mine, really\n");
    ASSERT_EQ(own.size(), kSecond.size());
    write(target(), own);
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {olderHash}));
    EXPECT_EQ(read(target()), own);
}

TEST_F(ShippedFile, EmptyFilesAreEqual)
{
    write(installed(), QByteArray());
    write(target(), QByteArray());
    EXPECT_FALSE(refreshShippedFile(target(), installed(), {sha256Hex(target())}));
    EXPECT_EQ(read(target()), QByteArray());
}
