// SPDX-License-Identifier: GPL-3.0-or-later
// Number entry, clearing, operators, equals (calculate, entry and expression
// mode) and the result read-out.

#include "calculator.h"

#include "capitals/capitalamount.h"
#include "common/numtext.h"
#include "engine/calculatortext.h"
#include "engine/expression.h"
#include "records/batch.h"
#include "records/proofreading.h"
#include "records/recordstore.h"
#include "speech/readout.h"
#include "speech/speaker.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace numbelle {

using namespace calc;

// ---------------------------------------------------------------------------
// Number entry and clearing

void Calculator::digit(int d)
{
    if (m_state.calcMode == ModeExpression) {
        if (m_pendingOperator == Pending::ResultShown) {
            m_view.display = QString::number(d);
            m_pendingOperator = Pending::None;
        } else {
            m_view.display += QString::number(d);
        }
    } else {
        if (m_startNewNumber) {
            m_view.display.clear();
            m_startNewNumber = false;
        }
        if (m_pendingOperator == Pending::ResultShown) {
            m_view.display.clear();
            m_pendingOperator = Pending::None;
        }
        if (m_view.display == u"0" && !m_pointEntered)
            m_view.display.clear();
        m_view.display += QString::number(d);
    }
    m_state.lastKeyWasOperator = false;
    m_startNewNumber = false;
    speak(d);
}

void Calculator::point()
{
    if (m_startNewNumber) {
        if (m_state.calcMode == ModeExpression)
            m_view.display += u'0';
        else
            m_view.display.clear();
        m_startNewNumber = false;
    }
    if (m_pendingOperator == Pending::ResultShown) {
        m_view.display.clear();
        m_pendingOperator = Pending::None;
    }
    if (m_view.display == u"0." && !m_pointEntered)
        m_view.display.clear();
    m_view.display += u'.';
    m_pointEntered = true;
    speak(SpeakPoint);
}

bool Calculator::backspace()
{
    QString &text = m_view.display;
    if (text.isEmpty() || text == u"0")
        return false;
    if (displayIsMessage()) {
        // Another window's notice is no figure to edit: it goes whole.
        text = m_state.calcMode == ModeExpression ? QString() : QStringLiteral("0");
        return false;
    }
    if (text.endsWith(u'.'))
        m_pointEntered = false;
    if (m_state.calcMode == ModeExpression) {
        // An expression loses one character (a line break counts as one) and
        // keeps the rest: it is text, not a number to be re-read.
        text.chop(text.endsWith(kLineBreak) ? 2 : 1);
        return !text.isEmpty();
    }
    text.chop(1);
    if (leadingNumber(text) == 0) {
        text = QStringLiteral("0");
        return false;
    }
    return true;
}

void Calculator::clearEntry()
{
    m_operand = 0;
    if (m_state.calcMode == ModeExpression)
        m_view.display.clear();
    else
        m_view.display = QStringLiteral("0");
    m_pointEntered = false;
    speak(SpeakClearEntry);
}

void Calculator::clearAll()
{
    if (m_state.calcMode == ModeExpression)
        m_view.display.clear();
    else
        m_view.display = QStringLiteral("0");
    m_view.operatorSymbol.clear();
    m_accumulator = 0;
    m_operand = 0;
    m_state.lastResult = 0;
    m_pointEntered = false;
    m_pendingOperator = Pending::None;
    m_state.lastKeyWasOperator = false;
    speak(SpeakClearAll);
}

// ---------------------------------------------------------------------------
// Operators and equals

void Calculator::operatorKey(Pending op)
{
    m_view.operatorSymbol = operatorSymbol(op);
    if (m_startNewNumber && !m_operandRecalled) {
        // A second operator replaces the first.
        m_pendingOperator = op;
        return;
    }
    const auto entered = enteredValue();
    if (!entered)
        return;
    double accumulator = m_accumulator;
    double operand = m_operand;
    switch (m_pendingOperator) {
    case Pending::None:
        accumulator = *entered;
        operand = 0;
        break;
    case Pending::Add:
        accumulator += *entered;
        operand = 0;
        break;
    case Pending::Subtract:
        accumulator -= *entered;
        operand = 0;
        break;
    case Pending::Multiply:
        operand = *entered;
        accumulator *= operand;
        break;
    case Pending::Divide:
        operand = *entered;
        if (operand == 0) {
            m_operand = operand;
            showError(kDivideByZeroText);
            return;
        }
        accumulator /= operand;
        break;
    case Pending::ResultShown:
        operand = 0;
        break;
    }
    m_operand = operand;
    if (!std::isfinite(accumulator)) {
        showError(kOverflowText);
        return;
    }
    m_accumulator = accumulator;
    m_state.lastResult = m_accumulator;
    m_startNewNumber = true;
    m_pointEntered = false;
    m_pendingOperator = op;
    const QString text = generalText(m_state.lastResult);
    m_view.display = text.startsWith(u'.') ? u'0' + text : withBlankSign(m_state.lastResult);
    speak(operatorSpeechCode(op));
}

bool Calculator::equals()
{
    m_view.operatorSymbol.clear();
    switch (m_state.calcMode) {
    case ModeEntry:
        equalsEntry();
        return true;
    case ModeCalculate:
        return equalsCalculate();
    default:
        return equalsExpression();
    }
}

bool Calculator::equalsCalculate()
{
    const auto entered = enteredValue();
    if (!entered)
        return false;
    double result = 0;
    switch (m_pendingOperator) {
    case Pending::Add:
    case Pending::Subtract:
    case Pending::Multiply:
        m_operand = *entered;
        result = m_pendingOperator == Pending::Add        ? m_accumulator + m_operand
                 : m_pendingOperator == Pending::Subtract ? m_accumulator - m_operand
                                                          : m_accumulator * m_operand;
        break;
    case Pending::Divide:
        m_operand = *entered;
        if (m_operand == 0) {
            showError(kDivideByZeroText);
            return false;
        }
        result = m_accumulator / m_operand;
        break;
    default:
        result = *entered;
        break;
    }
    if (!std::isfinite(result)) {
        showError(kOverflowText);
        return false;
    }
    m_view.display = generalText(result);
    result = roundResult(result);
    m_state.lastResult = result;
    if (std::fabs(result) > 1e-16)
        m_view.display = resultPatternText(result);
    QString &text = m_view.display;
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    if (text.startsWith(u"-."))
        text.replace(0, 2, QStringLiteral("-0."));
    // No bare point after a whole number, also where a fraction's 15
    // significant digits round to one ("100000000000000.").
    if (result == std::trunc(result) || text.endsWith(u'.'))
        text.chop(1);
    m_accumulator = result;
    m_state.lastKeyWasOperator = false;
    m_pendingOperator = Pending::ResultShown;
    m_pointEntered = false;
    m_startNewNumber = false;
    speak(SpeakEquals);
    startReadOut();
    m_operand = 0;
    return true;
}

void Calculator::equalsEntry()
{
    if (displayIsMessage()) {
        // Another window's notice on the display is never a record: nothing
        // is stored, and the warning tone says so.
        speak(SpeakWarning);
        return;
    }
    ++m_state.recordsSinceSave;
    ++m_state.recordCount;
    m_records.openAppend();
    if (!m_records.append(m_state.recordCount, m_view.display)) {
        // A record that did not reach the file is not counted. The display
        // keeps it as a shown result: equals stores exactly that figure again
        // once the file is writable, and a digit or a point starts a new
        // figure instead of extending it. The warning tone in place of the
        // equals word tells an ear that nothing was stored.
        --m_state.recordsSinceSave;
        --m_state.recordCount;
        m_pendingOperator = Pending::ResultShown;
        m_pointEntered = false;
        m_startNewNumber = false;
        speak(SpeakWarning);
        m_host.messageBox(QString(), QStringLiteral("无法写入数据文件datafile.txt，本条记录未保存。"));
        return;
    }
    if (m_state.recordsSinceSave == 10) {
        m_state.recordsSinceSave = 0;
        m_records.flush();
    }
    showMessage(QString::number(m_state.recordCount));
    m_pendingOperator = Pending::ResultShown;
    m_pointEntered = false;
    m_startNewNumber = false;
    speak(SpeakEquals);
    m_operand = 0;
    // An identity number typed in full is stored as typed; a wrong check
    // character is shown and, once the equals word is over, sounded (after
    // the record read back, when it is).
    const bool wrongCheck = recordKind(m_view.display) == RecordKind::WrongCheckCharacter;
    if (wrongCheck)
        showMessage(m_view.message + QString::fromUtf16(kWrongCheckCaption));
    readBack(m_view.display);
    if (wrongCheck && m_state.voiceOn && m_readBack.isEmpty())
        warnAfter(m_speaker.clipLength(SpeakEquals), SpeakWarning);
}

void Calculator::warnAfter(int intervalMs, int word)
{
    m_warningWord = word;
    m_view.timer3Interval = std::max(1, intervalMs);
    m_view.timer3Enabled = true;
    ++m_view.timer3Generation;
}

void Calculator::cancelWarning()
{
    m_warningWord = 0;
    m_view.timer3Enabled = false;
}

void Calculator::timer3Tick()
{
    const ChangeScope change(*this);
    m_view.timer3Enabled = false;
    const int word = std::exchange(m_warningWord, 0);
    if (word == 0)
        return;
    speak(word);
    if (word == SpeakWarning)
        warnAfter(m_speaker.clipLength(SpeakWarning), SpeakCheckError);
}

bool Calculator::equalsExpression()
{
    if (m_view.display.contains(u'='))
        return false;
    const auto value = evaluate(evaluationText(m_view.display));
    if (!value) {
        // The expression stays as typed so it can be corrected.
        m_pendingOperator = Pending::None;
        return true;
    }
    const double result = roundResult(*value);
    m_state.lastResult = result;
    QString &text = m_view.display;
    text += u'=' + resultText(result, false);
    if (text.size() > kWrapColumn && !text.contains(kLineBreak))
        text.insert(kWrapColumn, kLineBreak);
    m_state.lastKeyWasOperator = false;
    m_pendingOperator = Pending::ResultShown;
    m_pointEntered = false;
    m_startNewNumber = false;
    speak(SpeakEquals);
    startReadOut();
    return true;
}

bool Calculator::atSignPosition() const
{
    if (m_state.calcMode != ModeExpression || m_pendingOperator == Pending::ResultShown)
        return false;
    QStringView text(m_view.display);
    while (!text.isEmpty() &&
           (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r' || text.back() == u'\n'))
        text.chop(1);
    return text.isEmpty() || text.back() == u'(';
}

void Calculator::expressionOperator(Pending op, bool fromButton)
{
    const QString symbol = operatorSymbol(op);
    if (m_pendingOperator == Pending::ResultShown) {
        // Go on from the result: a typed "+" writes the zero of a negative
        // fraction with a blank before it, as the buttons always do.
        const bool blank = fromButton || op == Pending::Add;
        m_view.display = resultText(m_state.lastResult, blank) + symbol;
    } else if (m_startNewNumber && !((op == Pending::Add || op == Pending::Subtract) && atSignPosition())) {
        // A second operator right after an operator is ignored; a sign at the
        // start of the formula or after "(" is not one.
        return;
    } else {
        m_view.display += symbol;
    }
    m_startNewNumber = true;
    m_pointEntered = false;
    m_pendingOperator = op;
    if (fromButton)
        m_state.lastKeyWasOperator = true;
    speak(operatorSpeechCode(op));
}

// ---------------------------------------------------------------------------
// Result read-out

bool Calculator::speakNextWord(QList<int> &words)
{
    if (words.isEmpty())
        return false;
    const int word = words.takeFirst();
    speak(word);
    // The next word once this one's clip is over: every word is heard whole.
    m_view.timer1Interval = std::max(1, m_speaker.clipLength(word));
    return true;
}

void Calculator::readBack(const QString &record)
{
    const ExtraSettings &extras = m_settings.extras();
    if (!extras.readBack || !m_state.voiceOn)
        return;
    // As proofreading reads a record: a number in the chosen style, anything
    // else character by character, a wrong check character with its warning.
    m_readBack = recordWords(record, extras.readOutStyle);
    if (recordKind(record) == RecordKind::WrongCheckCharacter)
        m_readBack += QList<int>{SpeakWarning, SpeakCheckError};
    // After the equals word.
    m_view.timer1Interval = std::max(1, m_speaker.clipLength(SpeakEquals));
    m_view.timer1Enabled = !m_readBack.isEmpty();
}

void Calculator::timer1Tick()
{
    const ChangeScope change(*this);
    if (!m_readBack.isEmpty()) {
        speakNextWord(m_readBack);
        m_view.timer1Enabled = !m_readBack.isEmpty();
        return;
    }
    if (m_state.calcMode == ModeEntry)
        return;
    const ReadOutStyle style = m_settings.extras().readOutStyle;
    if (m_state.lastResult == 0 && style == ReadOutStyle::Digits) {
        m_view.display = QStringLiteral("0");
        speak(0);
        stopTimer1();
        return;
    }
    QString t;
    if (m_state.calcMode == ModeCalculate) {
        t = m_view.display;
        while (t.startsWith(u' '))
            t.remove(0, 1);
    } else {
        const qsizetype eq = m_view.display.indexOf(u'=');
        if (eq >= 0) {
            t = evaluationText(QStringView(m_view.display).mid(eq + 1));
        } else {
            t = evaluationText(m_view.display);
            while (t.startsWith(u' '))
                t.remove(0, 1);
        }
    }
    if (t.startsWith(u'.'))
        t.prepend(u'0');
    // As a number or as money: the words of the whole result, one a tick.
    if (m_readOutPosition == 0 && !m_readOutWords)
        m_readOutWords = styledNumberWords(m_state.lastResult == 0 ? u"0" : QStringView(t), style);
    if (m_readOutWords) {
        ++m_readOutPosition;
        if (m_state.lastResult == 0)
            m_view.display = QStringLiteral("0");
        else if (m_state.calcMode == ModeCalculate)
            m_view.display = t;
        if (!speakNextWord(*m_readOutWords) || m_readOutWords->isEmpty()) {
            m_readOutPosition = 0;
            // The last word still sounds: the read-out ends with its tick.
            m_view.timer1Enabled = false;
            m_readOutWords.reset();
        }
        return;
    }
    if (m_readOutPosition >= t.size()) {
        // Nothing (more) to read: end the read-out instead of ticking on for ever.
        m_readOutPosition = 0;
        stopTimer1();
        return;
    }
    ++m_readOutPosition;
    const QChar c = t[m_readOutPosition - 1];
    if (c == u'.')
        speak(SpeakPoint);
    else if (c == u'-')
        speak(SpeakNegative);
    else
        speak(c >= u'0' && c <= u'9' ? c.digitValue() : 0);
    if (m_readOutPosition >= t.size()) {
        m_readOutPosition = 0;
        stopTimer1();
    }
    if (m_state.calcMode == ModeCalculate)
        m_view.display = t;
}

} // namespace numbelle
