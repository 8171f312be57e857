// SPDX-License-Identifier: GPL-3.0-or-later
#include "exports.h"

#include "common/fileio.h"
#include "platform/system/folderaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace numbelle::platform {

namespace {

constexpr char kListName[] = "exports.lst";
// Far more than the list of a day's exports.
constexpr qint64 kListReadLimit = 1024 * 1024;

struct Entry {
    QString name;
    qint64 size = 0;
    qint64 modifiedMs = 0;
};

QList<Entry> readList(const QString &folder)
{
    QList<Entry> entries;
    // A regular file only, and only so much of it: a FIFO or a link to a
    // device in its place never holds the start up or fills the memory.
    const auto bytes = fileio::readFile(folder + u'/' + QLatin1StringView(kListName), kListReadLimit);
    if (!bytes)
        return entries;
    for (const QByteArray &line : bytes->split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            continue;
        Entry e{QString::fromUtf8(fields[0]), fields[1].toLongLong(), fields[2].toLongLong()};
        // Only plain names of this folder.
        if (!e.name.isEmpty() && !e.name.contains(u'/') && e.name != u"." && e.name != u"..")
            entries.append(e);
    }
    return entries;
}

void writeList(const QString &folder, const QList<Entry> &entries)
{
    QByteArray bytes;
    for (const Entry &e : entries)
        bytes += e.name.toUtf8() + '\t' + QByteArray::number(e.size) + '\t' + QByteArray::number(e.modifiedMs) + '\n';
    fileio::replaceFile(folder + u'/' + QLatin1StringView(kListName), bytes);
}

Entry entryFor(const QFileInfo &info)
{
    return Entry{info.fileName(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

QString exportsFolder(bool create)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    const QString folder = cache + QStringLiteral("/numbelle/exports");
    if (!QFileInfo::exists(folder)) {
        if (!create)
            return QString();
        if (!QDir().mkpath(folder))
            return QString();
    }
    // The workbooks hold the user's records: the folder is private, also
    // where it was left wider. One that belongs to another user, or a link,
    // is not used.
    if (!makeFolderPrivate(folder) || folderAccess(folder) != FolderAccess::Private)
        return QString();
    return folder;
}

QString newExportFile(const QString &folder)
{
    // A unique name, reserved by creating the file (0600); it stays, because
    // the spreadsheet application opens it later.
    QTemporaryFile reserved(folder + QStringLiteral("/numbelle-XXXXXX.xlsx"));
    reserved.setAutoRemove(false);
    if (!reserved.open())
        return QString();
    return reserved.fileName();
}

void rememberExport(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    QList<Entry> entries = readList(folder);
    entries.append(entryFor(info));
    writeList(folder, entries);
}

void clearOldExports(const QString &folder, const QDateTime &now)
{
    const qint64 dayAgoMs = now.toMSecsSinceEpoch() - 24LL * 3600 * 1000;
    QList<Entry> kept;
    bool changed = false;
    for (const Entry &e : readList(folder)) {
        const QFileInfo info(folder + u'/' + e.name);
        if (!info.exists() || !info.isFile()) {
            changed = true; // gone: forgotten
            continue;
        }
        const Entry current = entryFor(info);
        if (current.size != e.size || current.modifiedMs != e.modifiedMs) {
            changed = true; // the user's now: forgotten, never removed
            continue;
        }
        if (e.modifiedMs < dayAgoMs && QFile::remove(info.filePath())) {
            changed = true;
            continue;
        }
        kept.append(e);
    }
    if (changed)
        writeList(folder, kept);
}

} // namespace numbelle::platform
