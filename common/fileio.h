// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file layer under the program's own files (settings, records, the code
// list, pictures): only regular files are opened, reads are bounded, a file is
// replaced complete or not at all, and files the program creates are private
// to the user (0600). Tests and scripted sessions can make the layer fail the
// way a full disk, a read-only folder or an unreadable file would, wherever the
// machine itself cannot be made to.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace numbelle::fileio {

enum class Fault {
    DiskFull,    // writes stop part-way with "no space left"
    ReadOnly,    // nothing can be created, replaced or opened for writing
    Unreadable,  // nothing can be opened for reading
    RenameFails, // a complete new file cannot be moved over the old one
};

// Turns an injected fault on or off for every file of the layer.
void setFault(Fault fault, bool on);
bool hasFault(Fault fault);

// True when path names a regular file (or a link to one). A folder, a FIFO or
// a device is never opened as one of the program's files: reading a FIFO
// would wait for ever.
bool isRegularFile(const QString &path);

// True when there is anything at path, of whatever kind.
bool exists(const QString &path);

// True when the program may write a file at path: nothing is there yet, or a
// regular file that is no symbolic link. A link (whatever it points at), a
// folder, a FIFO, a device or a socket is never written through or replaced:
// as root, a save through a link replaced the device it pointed at.
bool isWritableTarget(const QString &path);

// Up to maxBytes from the start of the regular file at path; nothing when it
// is missing, not a regular file or cannot be read.
std::optional<QByteArray> readFile(const QString &path, qint64 maxBytes);

// Replaces the file at path with bytes: written beside it, brought to disk,
// then renamed over it, so the file is either the old one or the new one,
// never a part. A new file is private to the user (0600); an existing file
// keeps its permissions. False, with the old file untouched, on any failure,
// and when path is no writable target (isWritableTarget).
bool replaceFile(const QString &path, const QByteArray &bytes);

// Replaces the file at path with what write puts into the device it is
// handed, as replaceFile does, for contents too large to be built in memory
// first. write returns false to give up; the old file then stays as it was.
bool replaceFileWith(const QString &path, const std::function<bool(QIODevice &)> &write);

// Replaces the file at path with bytes as replaceFile does, and keeps the old
// file as aside: it is moved there only once the new file is complete on
// disk, and moved back when the new file cannot take its place. For a file
// that cannot be read, so cannot be copied aside. False, with the old file
// where it was, on any failure and when aside is no writable target.
bool replaceFileSettingAside(const QString &path, const QString &aside, const QByteArray &bytes);

// Copies the first maxBytes of the regular file at from to a new file at to,
// complete or not at all (replaceFile). cut, when given, tells whether the
// source was longer. False, with nothing written, when the source cannot be
// read or the copy cannot be written.
bool copyFile(const QString &from, const QString &to, qint64 maxBytes, bool *cut = nullptr);

// Makes a file the program has just created private to the user (0600).
void makePrivate(const QString &path);

} // namespace numbelle::fileio
