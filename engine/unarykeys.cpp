// SPDX-License-Identifier: GPL-3.0-or-later
// Memory keys, the unary keys, the capitals key and identity numbers.

#include "calculator.h"

#include "capitals/capitalamount.h"
#include "common/identitynumber.h"
#include "common/numtext.h"
#include "engine/calculatortext.h"
#include "engine/expression.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <cmath>

namespace numbelle {

using namespace calc;

QString IDCode(const QString &sCode15)
{
    const QString body = sCode15.left(6) + QStringLiteral("19") + sCode15.right(9);
    // The key converts only 15 digits; any other text gets no check character.
    const auto check = identityCheckCharacter(body);
    return check ? body + *check : body;
}

// ---------------------------------------------------------------------------
// Memory

bool Calculator::memoryClear()
{
    if (!m_settings.values().memoryHeld())
        return false;
    m_settings.setMemory(false, 0);
    m_settings.save();
    speak(SpeakMemoryClear);
    return true;
}

bool Calculator::memoryRecall()
{
    if (!m_settings.values().memoryHeld())
        return false;
    const QString recalled = generalText(m_settings.values().memoryValue);
    // The largest doubles do not survive their 15-digit text: such a memory
    // reads back as infinity, an overflow like any other.
    if (!std::isfinite(leadingNumber(recalled))) {
        showError(kOverflowText);
        return true;
    }
    if (m_state.calcMode != ModeExpression || m_pendingOperator == Pending::ResultShown)
        m_view.display = recalled;
    else
        m_view.display += recalled;
    if (operatorWaits()) {
        // The memory is the operand of the waiting operator; the left operand
        // stays where it is.
        m_operandRecalled = m_state.calcMode != ModeExpression;
    } else {
        const auto value = enteredValue();
        if (!value)
            return true;
        m_accumulator = *value;
        m_state.lastResult = *value;
    }
    m_state.lastKeyWasOperator = false;
    speak(SpeakMemoryRecall);
    return true;
}

void Calculator::memoryStore()
{
    double value = 0;
    if (m_state.calcMode == ModeExpression && m_pendingOperator == Pending::ResultShown)
        value = m_state.lastResult;
    else
        value = displayValue();
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_settings.setMemory(true, value);
    m_settings.save();
    speak(SpeakMemoryStore);
}

void Calculator::memoryAdd()
{
    double value = 0;
    if (m_state.calcMode != ModeExpression) {
        value = viaText(m_settings.values().memoryValue) + displayValue();
    } else if (m_pendingOperator == Pending::ResultShown) {
        // The result shown, once.
        value = viaText(m_state.lastResult) + viaText(m_settings.values().memoryValue);
    } else {
        // The value of the expression being typed.
        const auto added = evaluate(expressionValueText());
        if (!added)
            return;
        value = *added + viaText(m_settings.values().memoryValue);
    }
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_settings.setMemory(true, value);
    m_settings.save();
    speak(SpeakMemoryAdd);
}

// ---------------------------------------------------------------------------
// Unary keys

void Calculator::signChange()
{
    const ChangeScope change(*this);
    const double value = -displayValue();
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_view.display = generalText(value);
    rewriteShownResult(value);
}

void Calculator::timesHundred()
{
    const ChangeScope change(*this);
    const double value = displayValue() * 100;
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_view.display = withBlankSign(value);
    rewriteShownResult(value);
}

void Calculator::rewriteShownResult(double value)
{
    // A result rewritten on the display is the result the next operator or
    // equals goes on from.
    if (m_pendingOperator == Pending::ResultShown) {
        m_accumulator = value;
        m_state.lastResult = value;
    }
}

void Calculator::showUnaryResult(double value)
{
    m_accumulator = roundResult(value);
    if (m_accumulator > 0 && m_accumulator < 1)
        m_view.display = u'0' + generalText(m_accumulator);
    else
        m_view.display = generalText(m_accumulator);
    m_state.lastResult = m_accumulator;
    m_pendingOperator = Pending::ResultShown;
    m_pointEntered = false;
    m_operandRecalled = false;
}

void Calculator::reciprocal()
{
    const ChangeScope change(*this);
    speak(SpeakReciprocal);
    const auto x = unaryOperand();
    if (!x)
        return;
    if (*x == 0) {
        showError(kDivideByZeroText);
        return;
    }
    const double value = 1 / *x;
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    showUnaryResult(value);
}

void Calculator::squareRoot()
{
    const ChangeScope change(*this);
    stopTimer1();
    speak(SpeakSquareRoot);
    const auto x = unaryOperand();
    if (!x)
        return;
    if (*x < 0) {
        showError(kIrrationalText);
        return;
    }
    showUnaryResult(std::sqrt(*x));
}

std::optional<double> Calculator::unaryOperand()
{
    // In expression mode the value of the expression (or of the finished
    // one's result); otherwise the number on the display. The same value is
    // checked and used.
    if (m_state.calcMode == ModeExpression)
        return evaluate(expressionValueText());
    return enteredValue();
}

void Calculator::capitals()
{
    const ChangeScope change(*this);
    if (m_errorLock)
        return;
    if (m_state.lastKeyWasOperator) {
        m_pendingOperator = Pending::ResultShown;
        return;
    }
    stopTimer1();
    const QString yuan = QStringLiteral("元"), jiao = QStringLiteral("角"), fen = QStringLiteral("分");
    if (m_pendingOperator == Pending::ResultShown) {
        m_view.display = CapitalAmount(generalText(m_state.lastResult), yuan, jiao, fen);
    } else {
        const double value = displayValue();
        if (value == 0)
            return;
        if (!std::isfinite(value)) {
            showError(kOverflowText);
            return;
        }
        m_state.lastResult = value;
        m_view.display = CapitalAmount(m_view.display, yuan, jiao, fen);
        m_accumulator = m_state.lastResult;
    }
    m_state.lastKeyWasOperator = true;
    m_pendingOperator = Pending::ResultShown;
}

void Calculator::identityNumber()
{
    const ChangeScope change(*this);
    if (m_state.calcMode == ModeEntry)
        return;
    const QString &text = m_view.display;
    const double month = leadingNumber(QStringView(text).mid(8, 2));
    const double day = leadingNumber(QStringView(text).mid(10, 2));
    if (month > 12 || day > 31)
        m_host.messageBox(QStringLiteral("转换身份证号码"), QStringLiteral("身份证号日期码错"));
    bool allDigits = text.size() == 15;
    for (QChar c : text)
        allDigits = allDigits && c >= u'0' && c <= u'9';
    if (allDigits) {
        m_view.display = IDCode(text);
        showMessage(QString::fromUtf16(kNewIdCaption), MessageKind::NewIdentity);
        m_pendingOperator = Pending::ResultShown;
        m_pointEntered = false;
        m_startNewNumber = true;
    } else {
        showMessage(QString::fromUtf16(kOldIdLengthError));
    }
}

} // namespace numbelle
