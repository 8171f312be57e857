// SPDX-License-Identifier: GPL-3.0-or-later
#include "palette.h"

namespace numbelle {

QColor consoleColor(int index)
{
    static constexpr int kRgb[16][3] = {
        {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0}, {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0}, {0, 255, 255},
        {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
    };
    if (index < 0 || index > 15)
        return QColor(0, 0, 0);
    return QColor(kRgb[index][0], kRgb[index][1], kRgb[index][2]);
}

} // namespace numbelle
