// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <memory>

namespace numbelle::fileio {

namespace {

std::atomic<unsigned> s_faults{0};

unsigned bit(Fault fault) { return 1u << unsigned(fault); }

} // namespace

void setFault(Fault fault, bool on)
{
    if (on)
        s_faults |= bit(fault);
    else
        s_faults &= ~bit(fault);
}

bool hasFault(Fault fault) { return (s_faults & bit(fault)) != 0; }

bool isRegularFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isWritableTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return false;
    return !info.exists() || info.isFile();
}

std::optional<QByteArray> readFile(const QString &path, qint64 maxBytes)
{
    if (!isRegularFile(path) || hasFault(Fault::Unreadable))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(std::min(maxBytes, file.size()));
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

namespace {

// Writes bytes into the save file; false (and the save cancelled) when they
// did not all reach it.
bool writeWhole(QSaveFile &file, const QByteArray &bytes)
{
    if (hasFault(Fault::DiskFull) && !bytes.isEmpty()) {
        // The disk fills part-way: the new file is left incomplete and
        // thrown away, the old one stays.
        file.write(bytes.left(bytes.size() / 2));
        file.cancelWriting();
        file.commit();
        return false;
    }
    // Every byte must reach the file before it replaces the old one: a write
    // or a flush that fails (a full disk) cancels the replacement.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return true;
}

// Opens a save file for path (a new one private to the user), or nothing.
std::unique_ptr<QSaveFile> openSaveFile(const QString &path)
{
    if (hasFault(Fault::ReadOnly) || !isWritableTarget(path))
        return nullptr;
    const bool isNew = !exists(path);
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return nullptr;
    if (isNew)
        file->setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return file;
}

// Moves the complete file over the old one.
bool commit(QSaveFile &file)
{
    if (hasFault(Fault::RenameFails)) // complete, but it cannot take the old one's place
        file.cancelWriting();
    return file.commit();
}

} // namespace

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    const auto file = openSaveFile(path);
    return file && writeWhole(*file, bytes) && commit(*file);
}

bool replaceFileWith(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    const auto file = openSaveFile(path);
    if (!file)
        return false;
    // A full disk stops the writing part-way: the new file is thrown away.
    if (!write(*file) || hasFault(Fault::DiskFull) || !file->flush() || file->error() != QFileDevice::NoError) {
        file->cancelWriting();
        file->commit();
        return false;
    }
    return commit(*file);
}

bool replaceFileSettingAside(const QString &path, const QString &aside, const QByteArray &bytes)
{
    if (!isWritableTarget(aside) || !isWritableTarget(path))
        return false;
    const auto file = openSaveFile(path);
    if (!file || !writeWhole(*file, bytes))
        return false;
    if (exists(aside) && !QFile::remove(aside)) {
        file->cancelWriting();
        file->commit();
        return false;
    }
    const bool moved = exists(path) && QFile::rename(path, aside);
    if (commit(*file))
        return true;
    if (moved)
        QFile::rename(aside, path);
    return false;
}

bool copyFile(const QString &from, const QString &to, qint64 maxBytes, bool *cut)
{
    const auto bytes = readFile(from, maxBytes + 1);
    if (!bytes)
        return false;
    if (cut)
        *cut = bytes->size() > maxBytes;
    return replaceFile(to, bytes->left(maxBytes));
}

void makePrivate(const QString &path) { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); }

} // namespace numbelle::fileio
