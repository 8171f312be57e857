// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordstore.h"

#include "common/fileio.h"
#include "common/log.h"
#include "common/numtext.h"
#include "common/textfile.h"
#include "records/recordindex.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace numbelle {

namespace {

constexpr char kRecordFileName[] = "datafile.txt";
constexpr char kBackupSuffix[] = ".bak";

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
    // Read in blocks of a buffer on the stack: a million-record file is
    // counted in a few milliseconds, and the start-up takes no heap for it
    // (a large block freed again would stay with the process).
    std::int64_t count = 0;
    bool lineHasContent = false;
    std::array<char, 64 * 1024> block;
    qint64 got = 0;
    while ((got = file.read(block.data(), qint64(block.size()))) > 0)
        count += countBlock(block.data(), block.data() + got, lineHasContent);
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
    if (!fileio::replaceFile(m_file.fileName(), QByteArray()))
        return false;
    // The records are gone for good: so is their copy (a link in its place
    // goes, never what it leads to).
    const QString backup = backupPath();
    if (fileio::exists(backup) && !QFile::remove(backup))
        qCWarning(lcNumbelle, "could not remove %s", qUtf8Printable(backup));
    m_backupKept = false;
    return true;
}

QString RecordStore::backupPath() const { return m_file.fileName() + QLatin1String(kBackupSuffix); }

bool canHoldRecordText(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    const QList<Record> back = parseRecords(recordLine(1, text));
    return back.size() == 1 && back.first().text == text;
}

namespace {

// A line is read a piece at a time: up to this many bytes of it are held
// (what the viewer shows of a line, and its line end); the rest of a longer
// line is copied as it stands.
constexpr qint64 kHeadBytes = RecordFileIndex::kLongestLine + 2;
constexpr qint64 kBlock = 1 << 20;

bool hasContent(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (!isFiller(c) && c != '\n')
            return true;
    }
    return false;
}

// One line of the record file as a change reads it.
struct SourceLine {
    qint64 start = 0;
    qint64 end = 0;  // where the next line starts
    QByteArray head; // its first bytes; all of it, line end included, when whole
    bool whole = false;
    bool isRecord = false;

    // The head without the line end, as the list-input rules see the line.
    QByteArrayView body() const
    {
        QByteArrayView b = head;
        if (whole && b.endsWith('\n')) {
            b.chop(1);
            if (b.endsWith('\r'))
                b.chop(1);
        }
        return b;
    }
    // The record's text as the viewer shows it (of a line longer than it
    // shows, the text of the part shown).
    QString shownText() const
    {
        return parseRecords(whole ? head : head.left(RecordFileIndex::kLongestLine)).value(0).text;
    }
};

// Reads the next line from file; false at its end.
bool readLine(QFile &file, SourceLine &line)
{
    line.start = file.pos();
    line.head = file.readLine(kHeadBytes + 1);
    if (line.head.isEmpty())
        return false;
    line.isRecord = hasContent(line.head);
    line.whole = line.head.endsWith('\n') || file.atEnd();
    for (bool ended = line.whole; !ended;) {
        const QByteArray piece = file.readLine(kBlock + 1);
        if (piece.isEmpty())
            break;
        line.isRecord = line.isRecord || hasContent(piece);
        ended = piece.endsWith('\n');
    }
    line.end = file.pos();
    return true;
}

// Where the number item of a record line lies and where its text item
// starts, by the list-input rules of parseRecordText (on bytes: GBK never
// uses a blank, tab or comma inside a character).
struct LineItems {
    qsizetype numberStart = 0;
    qsizetype numberEnd = 0;
    qsizetype textStart = 0;
};

LineItems lineItems(QByteArrayView line)
{
    auto blank = [&](qsizetype pos) { return pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'); };
    LineItems items;
    qsizetype pos = 0;
    while (blank(pos))
        ++pos;
    items.numberStart = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != ',' && line[pos] != '\t')
        ++pos;
    items.numberEnd = pos;
    if (pos < line.size() && line[pos] == ',') {
        ++pos;
    } else {
        while (blank(pos))
            ++pos;
        if (pos < line.size() && line[pos] == ',')
            ++pos;
    }
    while (blank(pos))
        ++pos;
    items.textStart = pos;
    return items;
}

// The new file as it is written: in blocks of about a megabyte.
class Output {
public:
    explicit Output(QIODevice &device) : m_device(device) {}

    bool write(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return true;
        m_pending.append(bytes);
        m_last = bytes.back();
        return m_pending.size() < kBlock || flush();
    }
    // Copies the bytes from start up to end of the file, and leaves the file
    // at end.
    bool copy(QFile &file, qint64 start, qint64 end)
    {
        if (!file.seek(start))
            return false;
        for (qint64 left = end - start; left > 0;) {
            const QByteArray block = file.read(std::min(left, kBlock));
            if (block.isEmpty() || !write(block))
                return false;
            left -= block.size();
        }
        return file.seek(end);
    }
    bool flush()
    {
        const bool written = m_device.write(m_pending) == m_pending.size();
        m_pending.clear();
        return written;
    }
    bool endsWithLineEnd() const { return m_last == '\n'; }

private:
    QIODevice &m_device;
    QByteArray m_pending;
    char m_last = '\n'; // nothing written counts as ended
};

// Writes a line as it stands.
bool copyLine(Output &out, QFile &file, const SourceLine &line)
{
    return out.write(line.head) && (line.whole || out.copy(file, line.start + line.head.size(), line.end));
}

// Writes a record line with the number given: as it stands when it carries
// that number already, else with the number in print form before its text
// item. A line whose number item does not end within what is held of it, or
// whose text would read differently after a new number (a text that starts
// with a comma), stays as it stands.
bool writeRecord(Output &out, QFile &file, const SourceLine &line, std::int64_t number)
{
    const QByteArrayView body = line.body();
    const LineItems items = lineItems(body);
    const QByteArrayView item = body.sliced(items.numberStart, items.numberEnd - items.numberStart);
    const QByteArray digits = QByteArray::number(number);
    if ((!line.whole && items.textStart + 64 >= body.size()) || item == digits ||
        recordNumber(fromGbk(item.toByteArray())) == number)
        return copyLine(out, file, line);
    // The number in print form (a blank for its sign, a blank after it).
    const QByteArray printed = ' ' + digits + ' ';
    const QByteArrayView rest = QByteArrayView(line.head).sliced(items.textStart);
    // The text read back from the new line must be the old one: after a
    // blank a comma would go as a separator. Bytes that are no ASCII before
    // the text (no GBK a record number holds) are read both ways to be sure.
    if (rest.startsWith(','))
        return copyLine(out, file, line);
    if (std::any_of(body.begin(), body.begin() + items.textStart, [](char c) { return c & 0x80; })) {
        const qsizetype compared = line.whole ? rest.size() : 64;
        if (parseRecords(printed + rest.first(std::min(compared, rest.size())).toByteArray()).value(0).text !=
            parseRecords(line.head.left(items.textStart + compared)).value(0).text)
            return copyLine(out, file, line);
    }
    return out.write(printed) && out.write(rest) &&
           (line.whole || out.copy(file, line.start + line.head.size(), line.end));
}

// Copies the whole of file to path, complete or not at all, private to the
// user.
bool copyWhole(QFile &file, const QString &path)
{
    if (!file.seek(0))
        return false;
    const bool copied = fileio::replaceFileWith(path, [&](QIODevice &device) {
        Output out(device);
        return out.copy(file, 0, file.size()) && out.flush();
    });
    if (copied)
        fileio::makePrivate(path);
    return copied;
}

} // namespace

ChangeResult RecordStore::change(const RecordChange &change)
{
    ChangeResult result;
    const QString path = m_file.fileName();
    if (change.kind != RecordChange::Remove && !canHoldRecordText(change.text))
        return result;
    if (!fileio::exists(path)) {
        result.outcome = ChangeOutcome::FileChanged;
        return result;
    }
    // The appending handle would go on writing into the old file once the
    // new one has taken its name.
    const bool wasOpen = m_open;
    close();
    QFile source(path);
    if (!fileio::isRegularFile(path) || fileio::hasFault(fileio::Fault::Unreadable) ||
        !source.open(QIODevice::ReadOnly)) {
        if (wasOpen)
            openAppend();
        return result;
    }

    bool stale = false;
    bool backupMade = false;
    std::int64_t number = 0; // the last record number written
    const bool written = fileio::replaceFileWith(path, [&](QIODevice &device) {
        Output out(device);
        auto newRecord = [&](const QString &text) { return out.write(recordLine(++number, text)); };
        qsizetype place = 0; // of the next record in the file as it was
        bool found = false;
        SourceLine line;
        while (readLine(source, line)) {
            bool ok = true;
            if (!line.isRecord) {
                ok = copyLine(out, source, line);
            } else if (place++ != change.record) {
                ok = writeRecord(out, source, line, ++number);
            } else {
                found = true;
                if (change.kind != RecordChange::Insert && line.shownText() != change.expected) {
                    stale = true;
                    return false;
                }
                if (change.kind == RecordChange::Insert)
                    ok = newRecord(change.text) && writeRecord(out, source, line, ++number);
                else if (change.kind == RecordChange::Replace)
                    ok = newRecord(change.text) && source.seek(line.end);
                else
                    ok = source.seek(line.end);
            }
            if (!ok)
                return false;
        }
        if (source.error() != QFileDevice::NoError)
            return false;
        if (!found) {
            // Only an insertion after the last record needs no record there.
            if (change.kind != RecordChange::Insert || change.record != place) {
                stale = true;
                return false;
            }
            if ((!out.endsWithLineEnd() && !out.write(kLineEnd)) || !newRecord(change.text))
                return false;
        }
        if (!out.flush())
            return false;
        // The file as it was before the first change of the run, kept before
        // the new one takes its place.
        if (!m_backupKept) {
            if (!copyWhole(source, backupPath()))
                return false;
            backupMade = true;
        }
        return true;
    });
    source.close();
    if (wasOpen)
        openAppend();
    if (!written) {
        result.outcome = stale ? ChangeOutcome::FileChanged : ChangeOutcome::NotSaved;
        return result;
    }
    m_backupKept = m_backupKept || backupMade;
    result.outcome = ChangeOutcome::Done;
    result.records = number;
    return result;
}

} // namespace numbelle
