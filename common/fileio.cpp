#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <atomic>

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

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    if (hasFault(Fault::ReadOnly))
        return false;
    const bool isNew = !exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (isNew)
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (hasFault(Fault::DiskFull)) {
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
    return file.commit();
}

void makePrivate(const QString &path) { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); }

} // namespace numbelle::fileio
