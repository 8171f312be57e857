// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own small settings texts beyond savedata.txt (numbelle.ini, a
// recorded voice's index) are INI texts in UTF-8: "[section]" lines and
// "key=value" lines, comments starting with ';' or '#'.

#include <QByteArray>
#include <vector>

namespace numbelle {

// One line that is not blank and no comment.
struct IniLine {
    bool isSection = false; // a "[section]" line
    QByteArray section;     // the section it opens or stands in (lower case)
    QByteArray key;         // before the first '=' (lower case); empty without one
    QByteArray value;       // after the first '=', its case kept
};

// The lines of bytes, each trimmed, with the section each stands in.
std::vector<IniLine> iniLines(const QByteArray &bytes);

} // namespace numbelle
