#include "recordstore.h"

#include "common/numtext.h"
#include "common/textfile.h"

#include <cstring>

namespace numbelle {

QByteArray recordLine(std::int64_t number, const QString &text)
{
    QByteArray line = toGbk(printForm(number) + text);
    line += kLineEnd;
    return line;
}

std::int64_t countRecords(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // Count lines holding anything but blanks, reading in large blocks: a
    // million-record file is counted in a few milliseconds.
    std::int64_t count = 0;
    bool lineHasContent = false;
    QByteArray block;
    while (!(block = file.read(1 << 20)).isEmpty()) {
        const char *p = block.constData();
        const char *end = p + block.size();
        while (p < end) {
            if (!lineHasContent) {
                const char c = *p;
                if (c == '\n') {
                    ++p;
                    continue;
                }
                if (c != ' ' && c != '\r' && c != '\t')
                    lineHasContent = true;
                ++p;
                continue;
            }
            const void *nl = std::memchr(p, '\n', size_t(end - p));
            if (!nl) {
                p = end;
                break;
            }
            ++count;
            lineHasContent = false;
            p = static_cast<const char *>(nl) + 1;
        }
    }
    if (lineHasContent)
        ++count;
    return count;
}

QList<Record> readRecords(const QString &path)
{
    QList<Record> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QString text = fromGbk(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        Record r;
        qsizetype pos = 0;
        while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
            ++pos;
        const qsizetype numStart = pos;
        while (pos < line.size() && line[pos] != u' ' && line[pos] != u',' && line[pos] != u'\t')
            ++pos;
        r.number = std::int64_t(leadingNumber(line.mid(numStart, pos - numStart)));
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

bool RecordStore::openFile()
{
    return m_file.isOpen() || m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

bool RecordStore::openAppend()
{
    m_open = true;
    return openFile();
}

bool RecordStore::append(std::int64_t number, const QString &text)
{
    if (!openFile())
        return false;
    const QByteArray line = recordLine(number, text);
    return m_file.write(line) == line.size();
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
    QFile file(m_file.fileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.close();
    return true;
}

} // namespace numbelle
