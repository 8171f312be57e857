#include "recordstore.h"

#include "common/fileio.h"
#include "common/numtext.h"
#include "common/textfile.h"
#include "records/recordindex.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace numbelle {

namespace {

constexpr char kRecordFileName[] = "datafile.txt";

} // namespace

RecordStore::RecordStore() : m_file(QString::fromLatin1(kRecordFileName)) {}

std::int64_t RecordStore::count() const { return countRecords(m_file.fileName()); }

std::unique_ptr<RecordFileIndex> RecordStore::index() const
{
    return std::make_unique<RecordFileIndex>(m_file.fileName());
}

QList<Record> RecordStore::readAll() const { return readRecords(m_file.fileName()); }

QByteArray recordLine(std::int64_t number, const QString &text)
{
    QByteArray line = toGbk(printForm(number) + text);
    line += kLineEnd;
    return line;
}

namespace {

// Bytes that do not make a line a record line by themselves.
bool isFiller(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Counts record lines of one block; lineHasContent carries over between blocks.
std::int64_t countBlock(const char *p, const char *end, bool &lineHasContent)
{
    std::int64_t count = 0;
    while (p < end) {
        if (!lineHasContent) {
            const char c = *p++;
            if (c == '\n')
                continue;
            if (!isFiller(c))
                lineHasContent = true;
            continue;
        }
        const void *nl = std::memchr(p, '\n', size_t(end - p));
        if (!nl)
            break;
        ++count;
        lineHasContent = false;
        p = static_cast<const char *>(nl) + 1;
    }
    return count;
}

// The record number item as an integer; anything out of range reads as 0.
std::int64_t recordNumber(QStringView item)
{
    const double value = leadingNumber(item);
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        return 0;
    return std::int64_t(value);
}

} // namespace

std::int64_t countRecordLines(QByteArrayView bytes)
{
    bool lineHasContent = false;
    std::int64_t count = countBlock(bytes.data(), bytes.data() + bytes.size(), lineHasContent);
    return count + (lineHasContent ? 1 : 0);
}

std::int64_t countRecords(const QString &path)
{
    if (!fileio::isRegularFile(path) || fileio::hasFault(fileio::Fault::Unreadable))
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // Read in large blocks: a million-record file is counted in a few
    // milliseconds.
    std::int64_t count = 0;
    bool lineHasContent = false;
    QByteArray block;
    while (!(block = file.read(1 << 20)).isEmpty())
        count += countBlock(block.constData(), block.constData() + block.size(), lineHasContent);
    return count + (lineHasContent ? 1 : 0);
}

QList<Record> parseRecords(const QByteArray &bytes) { return parseRecordText(fromGbk(bytes)); }

QList<Record> parseRecordText(const QString &text)
{
    QList<Record> records;
    qsizetype lineStart = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const qsizetype start = lineStart;
        lineStart += line.size() + 1;
        bool isRecord = false;
        for (QChar c : line)
            isRecord = isRecord || !(c == u' ' || c == u'\t' || c == u'\r');
        if (!isRecord)
            continue;
        if (line.endsWith(u'\r'))
            line.chop(1);
        Record r;
        r.lineStart = start;
        r.lineEnd = start + line.size();
        qsizetype pos = 0;
        while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
            ++pos;
        const qsizetype numStart = pos;
        while (pos < line.size() && line[pos] != u' ' && line[pos] != u',' && line[pos] != u'\t')
            ++pos;
        r.number = recordNumber(line.mid(numStart, pos - numStart));
        if (pos < line.size() && line[pos] == u',')
            ++pos;
        else {
            while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
                ++pos;
            if (pos < line.size() && line[pos] == u',')
                ++pos;
        }
        while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
            ++pos;
        QStringView rest = line.mid(pos);
        if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
            rest = rest.mid(1, rest.size() - 2);
        r.text = rest.toString();
        records.append(r);
    }
    return records;
}

QList<Record> readRecords(const QString &path)
{
    const auto bytes = fileio::readFile(path, std::numeric_limits<qint64>::max());
    return bytes ? parseRecords(*bytes) : QList<Record>();
}

bool RecordStore::openFile()
{
    if (m_file.isOpen())
        return true;
    const QString path = m_file.fileName();
    // A FIFO or a device in its place would hold the program up or swallow
    // the records, and a link would carry them into another file: only a
    // regular file is a record file.
    if (!fileio::isWritableTarget(path) || fileio::hasFault(fileio::Fault::ReadOnly))
        return false;
    const bool isNew = !fileio::exists(path);
    // A new file is made new (nothing may have appeared there meanwhile), an
    // existing one must still be there.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered |
                     (isNew ? QIODevice::NewOnly : QIODevice::ExistingOnly)))
        return false;
    if (isNew)
        fileio::makePrivate(path);
    m_lineEndChecked = false;
    return true;
}

bool RecordStore::openAppend()
{
    m_open = true;
    return openFile();
}

bool RecordStore::endsWithLineEnd()
{
    QFile file(m_file.fileName());
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return true; // nothing to end, or nothing that can be checked
    file.seek(file.size() - 1);
    return file.read(1) == "\n";
}

bool RecordStore::append(std::int64_t number, const QString &text)
{
    if (!openFile())
        return false;
    QByteArray line = recordLine(number, text);
    if (!m_lineEndChecked) {
        if (!endsWithLineEnd())
            line.prepend(kLineEnd);
        m_lineEndChecked = true;
    }
    const qint64 before = m_file.size();
    bool written = false;
    if (fileio::hasFault(fileio::Fault::DiskFull))
        m_file.write(line.left(line.size() / 2)); // the disk fills part-way
    else
        written = m_file.write(line) == line.size();
    if (!written) {
        // Whatever part reached the file goes again: the file stays as it
        // was, and the record can be stored once there is room.
        m_file.resize(before);
        m_lineEndChecked = false;
        return false;
    }
    return true;
}

bool RecordStore::flush()
{
    close();
    return openAppend();
}

void RecordStore::close()
{
    m_open = false;
    if (m_file.isOpen())
        m_file.close();
}

bool RecordStore::truncate()
{
    close();
    // An empty file in its place, complete or not at all.
    return fileio::replaceFile(m_file.fileName(), QByteArray());
}

} // namespace numbelle
