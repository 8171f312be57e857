// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's text files (settings, records, security codes) are GBK bytes with
// CR LF line ends, read by the list-input rules; inside the program all text is
// UTF-8/UTF-16. This header is the boundary between the two.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace numbelle {

// GBK bytes to text. Bytes that are not valid GBK become U+FFFD.
QString fromGbk(const QByteArray &bytes);

// GBK bytes to text for a one-line listing: backslash, CR, LF and TAB written as
// \\ \r \n \t, and each byte that is not valid GBK as \xHH (upper-case hex).
QString fromGbkEscaped(const QByteArray &bytes);

// Text to GBK bytes. A character GBK cannot hold is written as "?".
QByteArray toGbk(QStringView text);

inline constexpr char kLineEnd[] = "\r\n";

// Turns a path written with "\" separators, as the settings file may hold
// them, into one this system can open.
QString localPath(const QString &path);

// Reads items from a text by the list-input rules of the program's files: an item
// ends at a blank, a comma or the end of the line; blanks around items are
// skipped; a quoted text item may hold commas and blanks. Items run on across
// line ends.
class ListReader {
public:
    explicit ListReader(QStringView text) : m_text(text) {}

    bool atEnd() const;

    // Reads a number item. Returns false at the end of the text or when the item
    // is not a number (the item is consumed either way).
    bool readNumber(double &value);

    // Reads a text item: from its first non-blank character to the end of the line
    // or the first comma (a quoted item: up to its closing quote).
    bool readText(QString &value);

private:
    void skipBlanks();
    void skipSeparator();

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace numbelle
