// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Zip archives in memory, on libzip: what the recording platform uses
// directly and the desktop program through its zip module (zipmodule.cpp),
// loaded at the first export or import of a recorded voice only.

#include "platform/platform.h"

namespace numbelle::platform {

// Every file of a zip archive, read within the limits whatever sizes the
// archive claims (each file is read up to its limit and refused beyond it),
// every checksum checked. Folders are files whose names end in '/'.
Archives::ReadResult unzipArchive(const QByteArray &zip, const ArchiveLimits &limits, QList<ArchiveEntry> &files);

// The files as a zip archive, each compressed, their names in UTF-8;
// nothing when two files have the same name.
std::optional<QByteArray> zipArchive(const QList<ArchiveEntry> &files);

// The zip module's entry points.
using UnzipArchive = Archives::ReadResult (*)(const QByteArray &zip, const ArchiveLimits &limits,
                                              QList<ArchiveEntry> &files);
using ZipArchive = bool (*)(const QList<ArchiveEntry> &files, QByteArray &zip);
inline constexpr char kZipModule[] = "numbelle-zip";
inline constexpr char kUnzip[] = "numbelle_unzip";
inline constexpr char kZip[] = "numbelle_zip";

} // namespace numbelle::platform
