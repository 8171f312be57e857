// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The entry-mode record file "datafile.txt": one GBK line per record, the record
// number in print form followed by the display text, CR LF. Entry mode only
// ever appends records. Each record is handed to the operating system as soon
// as it is stored, so a crash of the program never loses one; closing and
// reopening (the flush) remains for the moments the program brings the file to
// disk. A store that fails leaves the file as it was before it, and only a
// regular file is ever opened.
//
// Corrections (a record's text replaced, a record removed or inserted) write
// the whole file anew as one complete replacement, numbered 1..N in file
// order; the file as it was before the first correction of a run is kept as
// "datafile.txt.bak".
//
// A record line is a line that holds anything but blanks, tabs and the CR of
// its line end; counting and reading agree on that one definition.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>

namespace numbelle {

// The bytes of one record line.
QByteArray recordLine(std::int64_t number, const QString &text);

// Number of record lines in bytes of the file.
std::int64_t countRecordLines(QByteArrayView bytes);

// Number of records in the file at path. A missing or unreadable file, or one
// that is no regular file, counts 0.
std::int64_t countRecords(const QString &path);

// One record read back: the number item and the text item, by the list-input
// rules (the text ends at the line end; a comma inside it is kept), and where
// its line lies in the file's text: from lineStart up to lineEnd, its line
// end (CR LF or LF) left out.
struct Record {
    std::int64_t number = 0;
    QString text;
    qsizetype lineStart = 0;
    qsizetype lineEnd = 0;
};

// The records in bytes of the file, in file order: one for each record line.
QList<Record> parseRecords(const QByteArray &bytes);
// The same for the file's text, decoded.
QList<Record> parseRecordText(const QString &text);

// All records of the file at path, in file order.
QList<Record> readRecords(const QString &path);

// Whether a record line holds text exactly and gives it back unchanged when
// read: no line end, only characters GBK has, no blank or tab at its start,
// not wrapped in double quotes.
bool canHoldRecordText(const QString &text);

// A change of the records by their place in the file (from 0, file order).
struct RecordChange {
    enum Kind { Replace, Remove, Insert };
    Kind kind = Replace;
    qsizetype record = 0;
    // The new text (Replace, Insert; an Insert goes before the record, or
    // after the last one when record is the number of records).
    QString text;
    // The text the record has now, as the caller saw it (Replace, Remove).
    QString expected;
};

enum class ChangeOutcome {
    Done,
    // The file, or the copy kept of it, could not be written: the file is as
    // it was.
    NotSaved,
    // The file no longer holds what the change was meant for (the record is
    // gone, or its text differs): nothing was changed.
    FileChanged,
};

struct ChangeResult {
    ChangeOutcome outcome = ChangeOutcome::NotSaved;
    std::int64_t records = 0; // records in the file after a change that was done
};

class RecordFileIndex;

// The one owner of the record file: entry mode appends to it through this, and
// everything else reads it through this (counting at start, the viewer's
// index, the export). Only this knows the file's name.
class RecordStore {
public:
    // The record file "datafile.txt" in the current directory (the program
    // folder), or the file at path.
    RecordStore();
    explicit RecordStore(QString path) : m_file(std::move(path)) {}

    // The number of records in the file now (countRecords).
    std::int64_t count() const;
    // The viewer's index of the file as it is now.
    std::unique_ptr<RecordFileIndex> index() const;
    // Every record of the file now, in file order.
    QList<Record> readAll() const;

    // Whether the file is open for appending, as far as the program is
    // concerned: from openAppend() to close(). When the system refused to
    // open it, the next append tries again and reports the failure.
    bool isOpen() const { return m_open; }

    // Opens the file for appending, creating it when missing. True when the
    // system opened it.
    bool openAppend();
    // Writes one record line straight to the operating system. A file whose
    // last line has no line end gets one first, so the record starts a line
    // of its own. False when the record did not reach the file whole; the
    // file is then cut back to what it was.
    bool append(std::int64_t number, const QString &text);
    // Closes and reopens the file for appending.
    bool flush();
    // Closes the file; harmless when it is not open.
    void close();
    // Empties the file (creating it when missing); the file is left closed.
    // The copy kept before the first correction goes too.
    bool truncate();

    // Makes one change of the records, writing the whole file anew: records
    // after a removed or inserted one are renumbered, so the file stays
    // numbered 1..N as entry mode writes it (a record line already carrying
    // its number stays byte for byte, and every line keeps its line end);
    // other lines stay as they are. The file is replaced complete or not at
    // all, never through a link, and with a file of any size in little
    // memory. Before the first change of the run the file as it is is kept
    // as the backup (0600). A file open for appending is closed and opened
    // again, so records stored afterwards go into the new file.
    ChangeResult change(const RecordChange &change);

    // "datafile.txt.bak" beside the record file.
    QString backupPath() const;

private:
    bool openFile();
    bool endsWithLineEnd();

    QFile m_file;
    bool m_open = false;
    bool m_lineEndChecked = false; // the file's last line is known to be ended
    bool m_backupKept = false;     // the backup of this run has been made
};

} // namespace numbelle
