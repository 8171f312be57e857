#pragma once
// The entry-mode record file "datafile.txt": one GBK line per record, the record
// number in print form followed by the display text, CR LF. Records are only ever
// appended. Each record is handed to the operating system as soon as it is
// stored, so a crash of the program never loses one; closing and reopening (the
// flush) remains for the moments the program brings the file to disk. A store
// that fails leaves the file as it was before it, and only a regular file is
// ever opened.
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
    bool truncate();

private:
    bool openFile();
    bool endsWithLineEnd();

    QFile m_file;
    bool m_open = false;
    bool m_lineEndChecked = false; // the file's last line is known to be ended
};

} // namespace numbelle
