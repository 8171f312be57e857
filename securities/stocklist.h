// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The security code list "stockname.prn": codes and names read once from the
// program folder, and the lookup of a name by its six-character code.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace numbelle {

inline constexpr char kStockListFileName[] = "stockname.prn";

// The most of the code list that is read: room for hundreds of thousands of
// securities, far more than any market lists.
inline constexpr qint64 kStockListReadLimit = 16 * 1024 * 1024;

struct StockRecord {
    QString code;
    QString name;
    bool operator==(const StockRecord &) const = default;
};

class StockList {
public:
    StockList() = default;

    // The list from the GBK bytes of the file: items separated by commas or
    // line breaks, two to a record (the code, then the name). Blanks and tabs
    // before an item are skipped; an item in double quotes may hold commas and
    // is kept without its quotes. Every record is kept, in file order; one whose
    // code is empty can never be looked up and is left out. A code whose name
    // does not follow (the file ends, or the next line holds a pair of its
    // own) gets an empty name, and a damaged record costs only itself: reading
    // starts afresh at a line that holds a pair. Bytes that are not GBK never
    // stop the reading; a UTF-8 byte-order mark at the start is skipped.
    static StockList fromBytes(const QByteArray &bytes);

    // The list from a file; a missing or unreadable file gives an empty list.
    // Of a file longer than kStockListReadLimit only the lines within the
    // bound are read, and cut (when given) says so.
    static StockList load(const QString &path, bool *cut = nullptr);

    const QList<StockRecord> &records() const { return m_records; }

    // The name of the first record with exactly this code (compared as text,
    // case-sensitive); only six-character codes are looked up.
    std::optional<QString> lookup(QStringView code) const;

private:
    QList<StockRecord> m_records;
};

} // namespace numbelle
