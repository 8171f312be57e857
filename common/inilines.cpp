// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/inilines.h"

#include <QList>

namespace numbelle {

std::vector<IniLine> iniLines(const QByteArray &bytes)
{
    std::vector<IniLine> lines;
    QByteArray section;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        IniLine read;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            read.isSection = true;
        } else if (const qsizetype eq = line.indexOf('='); eq > 0) {
            read.key = line.left(eq).trimmed().toLower();
            read.value = line.mid(eq + 1).trimmed();
        }
        read.section = section;
        lines.push_back(std::move(read));
    }
    return lines;
}

} // namespace numbelle
