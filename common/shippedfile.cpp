// SPDX-License-Identifier: GPL-3.0-or-later
#include "shippedfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace numbelle {

namespace {

// Files of the program folder are the user's own.
constexpr QFile::Permissions kFolderFilePermissions = QFile::ReadOwner | QFile::WriteOwner;

bool writeCopy(const QString &target, const QString &installed)
{
    QFile source(installed);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    // QSaveFile writes beside the target and renames over it on commit.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    qint64 n;
    while ((n = source.read(buffer, sizeof buffer)) > 0) {
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            break;
        }
    }
    if (n < 0)
        out.cancelWriting();
    return out.commit() && QFile::setPermissions(target, kFolderFilePermissions);
}

// True when the two files hold the same bytes. Compared in place through
// memory maps: at every start the program folder's copies are checked against
// the installed files, and a copy that is already up to date must cost next
// to nothing (hashing the sound file took longer than showing the window).
bool sameContents(QFile &a, QFile &b)
{
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    if (a.size() == 0)
        return true;
    const uchar *left = a.map(0, a.size());
    const uchar *right = b.map(0, b.size());
    return left && right && std::memcmp(left, right, size_t(a.size())) == 0;
}

} // namespace

QByteArray sha256Hex(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

bool refreshShippedFile(const QString &target, const QString &installed, const QList<QByteArray> &knownHashes)
{
    const QFileInfo source(installed);
    const QFileInfo existing(target);
    if (!source.isFile() || (existing.exists() && existing.canonicalFilePath() == source.canonicalFilePath()))
        return false;
    if (!existing.exists() && !existing.isSymLink())
        return writeCopy(target, installed);
    if (!existing.isFile() || existing.isSymLink())
        return false;

    if (existing.size() == source.size()) {
        QFile copy(target), original(installed);
        if (sameContents(copy, original))
            return false;
    }

    const QByteArray current = sha256Hex(target);
    const bool shipped = std::any_of(knownHashes.begin(), knownHashes.end(),
                                     [&](const QByteArray &known) { return known.toLower() == current; });
    if (current.isEmpty() || !shipped || current == sha256Hex(installed))
        return false;
    return writeCopy(target, installed);
}

} // namespace numbelle
