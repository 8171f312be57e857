#pragma once
// The file layer under the program's own files (settings, records, the code
// list, pictures): only regular files are opened, reads are bounded, a file is
// replaced complete or not at all, and files the program creates are private
// to the user (0600). Tests and scripted sessions can make the layer fail the
// way a full disk, a read-only folder or an unreadable file would, wherever the
// machine itself cannot be made to.

#include <QByteArray>
#include <QString>
#include <optional>

namespace numbelle::fileio {

enum class Fault {
    DiskFull,   // writes stop part-way with "no space left"
    ReadOnly,   // nothing can be created, replaced or opened for writing
    Unreadable, // nothing can be opened for reading
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

// Up to maxBytes from the start of the regular file at path; nothing when it
// is missing, not a regular file or cannot be read.
std::optional<QByteArray> readFile(const QString &path, qint64 maxBytes);

// Replaces the file at path with bytes: written beside it, brought to disk,
// then renamed over it, so the file is either the old one or the new one,
// never a part. A new file is private to the user (0600); an existing file
// keeps its permissions. False, with the old file untouched, on any failure.
bool replaceFile(const QString &path, const QByteArray &bytes);

// Makes a file the program has just created private to the user (0600).
void makePrivate(const QString &path);

} // namespace numbelle::fileio
