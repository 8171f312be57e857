// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedulegrid.h"

namespace numbelle::loan {

QString ScheduleGrid::text(int row, int column) const
{
    if (row < 0 || row >= rows() || column < 0 || column >= kColumns)
        return QString();
    if (row == 0)
        return headerText(column);
    if (!m_schedule)
        return QString();
    return m_schedule->cell(row, column);
}

} // namespace numbelle::loan
