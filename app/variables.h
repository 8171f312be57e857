// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Variables by name for `print var`: the program-wide variables and the
// calculator's state under the names the program gives them, and the variables
// loaded windows own.

#include <QString>
#include <optional>

namespace numbelle::ui {
class Program;
}

namespace numbelle {

// NAME, countform.NAME (program-wide or calculator state), WIN.NAME (a
// variable of loaded window WIN), or a bare NAME owned by whichever loaded
// window has it. The value formatted for printing; nothing when there is no
// such variable.
std::optional<QString> variableText(const ui::Program &program, const QString &name);

} // namespace numbelle
