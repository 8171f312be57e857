// SPDX-License-Identifier: GPL-3.0-or-later
#include "zipfile.h"

#include <memory>
#include <zip.h>

namespace numbelle::platform {

namespace {

struct CloseArchive {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct CloseFile {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
struct FreeSource {
    void operator()(zip_source_t *source) const { zip_source_free(source); }
};

} // namespace

Archives::ReadResult unzipArchive(const QByteArray &zip, const ArchiveLimits &limits, QList<ArchiveEntry> &files)
{
    using Result = Archives::ReadResult;
    files.clear();
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, FreeSource> source(
        zip_source_buffer_create(zip.constData(), zip_uint64_t(zip.size()), 0, &error));
    if (!source) {
        zip_error_fini(&error);
        return Result::Damaged;
    }
    // The archive takes the source over once it is open.
    std::unique_ptr<zip_t, CloseArchive> archive(
        zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!archive)
        return code == ZIP_ER_NOZIP ? Result::NotAnArchive : Result::Damaged;
    source.release();

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0)
        return Result::Damaged;
    if (count > limits.entries)
        return Result::TooLarge;
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
            return Result::Damaged;
        if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(limits.entryBytes))
            return Result::TooLarge;
        std::unique_ptr<zip_file_t, CloseFile> file(zip_fopen_index(archive.get(), zip_uint64_t(i), 0));
        if (!file)
            return Result::Damaged;
        // Read up to one byte beyond the limit, whatever the size claimed:
        // a file that holds more is refused, never read further.
        QByteArray bytes;
        char buffer[16384];
        while (true) {
            const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
            if (n < 0)
                return Result::Damaged;
            if (n == 0)
                break;
            bytes.append(buffer, qsizetype(n));
            if (bytes.size() > limits.entryBytes)
                return Result::TooLarge;
        }
        if ((stat.valid & ZIP_STAT_SIZE) && zip_uint64_t(bytes.size()) != stat.size)
            return Result::Damaged;
        total += bytes.size();
        if (total > limits.totalBytes)
            return Result::TooLarge;
        files.append({QString::fromUtf8(stat.name), bytes});
    }
    return Result::Read;
}

std::optional<QByteArray> zipArchive(const QList<ArchiveEntry> &files)
{
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, FreeSource> target(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_error_fini(&error);
    if (!target)
        return std::nullopt;
    // Kept when the archive is closed: the archive is written into it.
    zip_source_keep(target.get());
    zip_error_init(&error);
    std::unique_ptr<zip_t, CloseArchive> archive(zip_open_from_source(target.get(), ZIP_TRUNCATE, &error));
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(target.get()); // the reference the archive did not take
        return std::nullopt;
    }
    for (const ArchiveEntry &file : files) {
        zip_source_t *bytes =
            zip_source_buffer(archive.get(), file.bytes.constData(), zip_uint64_t(file.bytes.size()), 0);
        if (!bytes)
            return std::nullopt;
        const zip_int64_t index = zip_file_add(archive.get(), file.name.toUtf8().constData(), bytes, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(bytes);
            return std::nullopt;
        }
        zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(archive.get()) != 0)
        return std::nullopt;
    archive.release();

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(target.get(), &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(target.get()) != 0)
        return std::nullopt;
    QByteArray zip(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(target.get(), zip.data(), stat.size);
    zip_source_close(target.get());
    if (read != zip_int64_t(stat.size))
        return std::nullopt;
    return zip;
}

} // namespace numbelle::platform
