// SPDX-License-Identifier: GPL-3.0-or-later
// The zip module: zip archives on libzip, loaded at the first export or
// import of a recorded voice only.

#include "platform/desktop/zipfile.h"

extern "C" Q_DECL_EXPORT numbelle::platform::Archives::ReadResult
numbelle_unzip(const QByteArray &zip, const numbelle::platform::ArchiveLimits &limits,
               QList<numbelle::platform::ArchiveEntry> &files)
{
    return numbelle::platform::unzipArchive(zip, limits, files);
}

extern "C" Q_DECL_EXPORT bool numbelle_zip(const QList<numbelle::platform::ArchiveEntry> &files, QByteArray &zip)
{
    const std::optional<QByteArray> made = numbelle::platform::zipArchive(files);
    if (made)
        zip = *made;
    return made.has_value();
}
