// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record file as the record viewer shows it, without holding it in memory:
// one pass reads the file in large blocks, notes where each line starts and
// which lines are records, and adds the batch up; a line's text is read from
// the file when it is shown. A million records take a few megabytes.

#include "records/batch.h"
#include "records/recordstore.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>
#include <vector>

namespace numbelle {

class RecordFileIndex {
public:
    // A line longer than this is shown cut off here, and as a record it is
    // never a number or an identity number.
    static constexpr qint64 kLongestLine = 64 * 1024;

    // Indexes the file at path as it is now. A missing or unreadable file, or
    // one that is no regular file, has no lines.
    explicit RecordFileIndex(const QString &path);

    // The file's lines: each ends at a line feed; a last line without one
    // counts when it holds anything.
    qsizetype lineCount() const { return qsizetype(m_lineStarts.size()) - 1; }
    qsizetype recordCount() const { return qsizetype(m_recordLines.size()); }
    // The line of record r (from 0, in file order).
    qsizetype recordLine(qsizetype record) const { return m_recordLines[size_t(record)]; }
    // The record on the line, or the first one after it; nothing past the
    // last record.
    std::optional<qsizetype> recordOnOrAfter(qsizetype line) const;
    // The record on the line; nothing when the line holds none.
    std::optional<qsizetype> recordOnLine(qsizetype line) const;
    // An identity number with a wrong check character is on the line.
    bool hasWrongCheckCharacter(qsizetype line) const;

    const BatchSummary &summary() const { return m_summary; }

    // The line as the file holds it, decoded, without its line end (a CR
    // before the line feed belongs to the line end). Read from the file.
    QString lineText(qsizetype line) const;
    // The line end after the line as the file has it ("\r\n", "\n", or none
    // after a last line without one).
    QString lineEnd(qsizetype line) const;
    // The text of record r (the text item after its number).
    QString recordText(qsizetype record) const;

private:
    QByteArray lineBytes(qsizetype line) const;

    mutable QFile m_file;
    std::vector<qint64> m_lineStarts; // where each line starts, then the end of the last one
    std::vector<qsizetype> m_recordLines;
    std::vector<qsizetype> m_wrongCheckLines; // in order
    BatchSummary m_summary;
};

} // namespace numbelle
