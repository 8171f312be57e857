// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Variables a window owns (the loan window's period count, say), readable by
// name for scripted sessions and tests. A window that owns variables derives
// from WindowVariables; the names are the program's own.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <variant>

namespace numbelle::ui {

// An integer or flag, a double, a single-precision value or a text.
using VariableValue = std::variant<std::int64_t, double, float, QString>;

class WindowVariables {
public:
    virtual ~WindowVariables() = default;
    // The variable of that name, or nothing when the window has none.
    virtual std::optional<VariableValue> variable(QStringView name) const = 0;
};

} // namespace numbelle::ui
