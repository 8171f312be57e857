// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordindex.h"

#include "common/fileio.h"
#include "common/textfile.h"

#include <algorithm>
#include <cstring>

namespace numbelle {

namespace {

bool isFiller(char c) { return c == ' ' || c == '\t' || c == '\r'; }

} // namespace

RecordFileIndex::RecordFileIndex(const QString &path) : m_file(path)
{
    m_lineStarts.push_back(0);
    BatchTally tally;
    if (!fileio::isRegularFile(path) || fileio::hasFault(fileio::Fault::Unreadable) ||
        !m_file.open(QIODevice::ReadOnly)) {
        m_summary = tally.summary();
        return;
    }
    // One line at a time as the blocks come: its start, whether it holds
    // anything, and (up to the longest line taken in) its bytes.
    qint64 offset = 0;
    QByteArray line;
    bool tooLong = false;
    bool hasContent = false;
    auto endLine = [&](qint64 next) {
        if (hasContent) {
            const qsizetype index = lineCount();
            m_recordLines.push_back(index);
            const QString text = tooLong ? QStringLiteral("\u2026") : parseRecordText(fromGbk(line)).value(0).text;
            tally.add(text);
            if (!tooLong && recordKind(text) == RecordKind::WrongCheckCharacter)
                m_wrongCheckLines.push_back(index);
        }
        m_lineStarts.push_back(next);
        line.clear();
        tooLong = false;
        hasContent = false;
    };
    QByteArray block;
    while (!(block = m_file.read(1 << 20)).isEmpty()) {
        const char *p = block.constData();
        const char *end = p + block.size();
        while (p < end) {
            const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *stop = nl ? nl : end;
            for (const char *c = p; c < stop && !hasContent; ++c)
                hasContent = !isFiller(*c);
            if (!tooLong) {
                if (line.size() + (stop - p) > kLongestLine)
                    tooLong = true;
                else
                    line.append(p, stop - p);
            }
            offset += (stop - p);
            if (!nl)
                break;
            ++offset;
            endLine(offset);
            p = nl + 1;
        }
    }
    if (offset > m_lineStarts.back())
        endLine(offset);
    m_summary = tally.summary();
}

std::optional<qsizetype> RecordFileIndex::recordOnOrAfter(qsizetype line) const
{
    const auto it = std::lower_bound(m_recordLines.begin(), m_recordLines.end(), line);
    if (it == m_recordLines.end())
        return std::nullopt;
    return qsizetype(it - m_recordLines.begin());
}

std::optional<qsizetype> RecordFileIndex::recordOnLine(qsizetype line) const
{
    const auto record = recordOnOrAfter(line);
    if (!record || recordLine(*record) != line)
        return std::nullopt;
    return record;
}

bool RecordFileIndex::hasWrongCheckCharacter(qsizetype line) const
{
    return std::binary_search(m_wrongCheckLines.begin(), m_wrongCheckLines.end(), line);
}

QByteArray RecordFileIndex::lineBytes(qsizetype line) const
{
    if (line < 0 || line >= lineCount() || !m_file.isOpen())
        return QByteArray();
    const qint64 start = m_lineStarts[size_t(line)];
    const qint64 length = std::min(m_lineStarts[size_t(line) + 1] - start, kLongestLine + 2);
    if (!m_file.seek(start))
        return QByteArray();
    return m_file.read(length);
}

QString RecordFileIndex::lineText(qsizetype line) const
{
    QByteArray bytes = lineBytes(line);
    if (bytes.endsWith('\n'))
        bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
    if (bytes.size() > kLongestLine)
        bytes.truncate(kLongestLine);
    return fromGbk(bytes);
}

QString RecordFileIndex::lineEnd(qsizetype line) const
{
    if (line < 0 || line >= lineCount() || !m_file.isOpen())
        return QString();
    const qint64 start = m_lineStarts[size_t(line)];
    const qint64 tail = std::max(start, m_lineStarts[size_t(line) + 1] - 2);
    if (!m_file.seek(tail))
        return QString();
    const QByteArray bytes = m_file.read(m_lineStarts[size_t(line) + 1] - tail);
    if (bytes.endsWith("\r\n"))
        return QStringLiteral("\r\n");
    return bytes.endsWith('\n') ? QStringLiteral("\n") : QString();
}

QString RecordFileIndex::recordText(qsizetype record) const
{
    if (record < 0 || record >= recordCount())
        return QString();
    const qsizetype line = recordLine(record);
    return parseRecordText(lineText(line) + lineEnd(line)).value(0).text;
}

} // namespace numbelle
