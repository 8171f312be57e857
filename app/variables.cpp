// SPDX-License-Identifier: GPL-3.0-or-later
#include "variables.h"

#include "common/numtext.h"
#include "shell/program.h"
#include "uikit/windowvariables.h"

#include <QWidget>
#include <functional>
#include <map>

namespace numbelle {

namespace {

using ui::VariableValue;

QString formatted(const VariableValue &value)
{
    struct Format {
        QString operator()(std::int64_t v) const { return QString::number(v); }
        QString operator()(double v) const { return shortestText(v); }
        QString operator()(float v) const { return shortestText(v); }
        QString operator()(const QString &v) const { return v; }
    };
    return std::visit(Format{}, value);
}

std::optional<VariableValue> programVariable(const ui::Program &program, const QString &name)
{
    const ProgramState &st = program.state();
    const Settings &s = program.settings().values();
    const Calculator &c = program.calculator();
    using Reader = std::function<VariableValue()>;
    auto i = [](auto v) { return VariableValue(std::int64_t(v)); };
    // A flag as the classic -1 for true and 0 for false.
    auto flag = [](bool v) { return VariableValue(std::int64_t(v ? kTrue : kFalse)); };
    const std::map<QString, Reader> table = {
        {QStringLiteral("calcMode"), [&] { return i(st.calcMode); }},
        {QStringLiteral("lastResult"), [&] { return VariableValue(st.lastResult); }},
        {QStringLiteral("lastKeyWasOperator"), [&] { return flag(st.lastKeyWasOperator); }},
        {QStringLiteral("voiceOn"), [&] { return flag(st.voiceOn); }},
        {QStringLiteral("zoomState"), [&] { return i(st.sizeMode); }},
        {QStringLiteral("taxableAmount"), [&] { return VariableValue(st.taxableAmount); }},
        {QStringLiteral("taxAmount"), [&] { return VariableValue(st.taxAmount); }},
        {QStringLiteral("dataFileOpen"), [&] { return i(program.records().isOpen() ? kTrue : kFalse); }},
        {QStringLiteral("recordsSinceSave"), [&] { return i(st.recordsSinceSave); }},
        {QStringLiteral("recordCount"), [&] { return i(st.recordCount); }},
        {QStringLiteral("shutdownHour"), [&] { return VariableValue(s.shutdownHour); }},
        {QStringLiteral("shutdownMinute"), [&] { return VariableValue(s.shutdownMinute); }},
        {QStringLiteral("shutdownSecond"), [&] { return i(s.shutdownSecond); }},
        {QStringLiteral("shutdownMode"), [&] { return i(s.shutdownMode); }},
        {QStringLiteral("shutdownElapsed"), [&] { return VariableValue(st.shutdownElapsed); }},
        {QStringLiteral("decimalPlaces"), [&] { return i(s.decimalPlaces); }},
        {QStringLiteral("memoryFlag"), [&] { return i(s.memoryFlag); }},
        {QStringLiteral("memoryValue"), [&] { return VariableValue(s.memoryValue); }},
        {QStringLiteral("taxCategory"), [&] { return i(s.taxCategory); }},
        {QStringLiteral("salaryDeduction"), [&] { return i(s.salaryDeduction); }},
        {QStringLiteral("opacity"), [&] { return VariableValue(s.opacity); }},
        {QStringLiteral("labourDeduction"), [&] { return i(s.labourDeduction); }},
        {QStringLiteral("voiceChoice"), [&] { return i(s.voiceChoice); }},
        {QStringLiteral("fontColorIndex"), [&] { return i(s.fontColorIndex); }},
        {QStringLiteral("displayColorIndex"), [&] { return i(s.displayColorIndex); }},
        {QStringLiteral("savedLoanRate"), [&] { return VariableValue(s.savedLoanRate); }},
        {QStringLiteral("skinPath"), [&] { return VariableValue(s.skinPath); }},
        {QStringLiteral("startNewNumber"), [&] { return flag(c.startNewNumber()); }},
        {QStringLiteral("pointEntered"), [&] { return flag(c.pointEntered()); }},
        {QStringLiteral("pendingOperator"), [&] { return i(int(c.pendingOperator())); }},
        {QStringLiteral("accumulator"), [&] { return VariableValue(c.accumulator()); }},
        {QStringLiteral("operand"), [&] { return VariableValue(c.operand()); }},
        {QStringLiteral("readOutPosition"), [&] { return i(c.readOutPosition()); }},
        {QStringLiteral("errorLock"), [&] { return flag(c.errorLock()); }},
    };
    const auto it = table.find(name);
    if (it == table.end())
        return std::nullopt;
    return it->second();
}

std::optional<VariableValue> windowVariable(const QWidget *window, const QString &name)
{
    const auto *owner = dynamic_cast<const ui::WindowVariables *>(window);
    return owner ? owner->variable(name) : std::nullopt;
}

} // namespace

std::optional<QString> variableText(const ui::Program &program, const QString &name)
{
    const qsizetype dot = name.indexOf(u'.');
    std::optional<VariableValue> value;
    if (dot > 0) {
        const QString window = name.left(dot);
        const QString local = name.mid(dot + 1);
        if (window == u"countform")
            value = programVariable(program, local);
        if (!value) {
            const std::optional<ui::WindowId> id = ui::windowIdNamed(window);
            if (const QWidget *w = id ? program.windows().window(*id) : nullptr)
                value = windowVariable(w, local);
        }
    } else {
        value = programVariable(program, name);
        for (const QWidget *w : program.windows().windows()) {
            if (value)
                break;
            value = windowVariable(w, name);
        }
    }
    if (!value)
        return std::nullopt;
    return formatted(*value);
}

} // namespace numbelle
