// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files the program ships and copies into the program folder: a copy that is
// still one of the versions the program shipped before is brought up to date,
// a file the user put there in its place is left alone.

#include <QByteArray>
#include <QList>
#include <QString>

namespace numbelle {

// The SHA-256 of the file at `path` as lower-case hex; empty when it cannot be
// read.
QByteArray sha256Hex(const QString &path);

// Brings `target` up to date with `installed`:
//  - a missing target is copied from `installed`;
//  - a target whose SHA-256 (hex) is among `knownHashes`, the versions the
//    program shipped before, is replaced by `installed`, in one step, so it is
//    never left half written;
//  - any other target, the user's own file, is never touched.
// A copy gets the permissions of the program folder's other files (rw-r--r--).
// Returns true when the target was written. Nothing happens when `installed`
// does not exist or is the target itself.
bool refreshShippedFile(const QString &target, const QString &installed, const QList<QByteArray> &knownHashes);

} // namespace numbelle
