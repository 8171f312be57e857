// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator.h"

#include "capitals/capitalamount.h"
#include "common/numtext.h"
#include "common/typedkeys.h"
#include "engine/calculatortext.h"
#include "engine/expression.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <cmath>

namespace numbelle {

using namespace calc;

QString evaluationText(QStringView expression)
{
    QString text;
    text.reserve(expression.size());
    for (QChar c : expression) {
        if (c == u'\r' || c == u'\n')
            continue;
        if (c == u'×')
            text += u'*';
        else if (c == u'÷')
            text += u'/';
        else
            text += c;
    }
    return text;
}

Calculator::Calculator(ProgramState &state, SettingsStore &settings, Speaker &speaker, RecordStore &records,
                       CalculatorHost &host)
    : m_state(state), m_settings(settings), m_speaker(speaker), m_records(records), m_host(host)
{
}

void Calculator::startUp()
{
    const ChangeScope change(*this);
    m_pointEntered = false;
    m_state.calcMode = ModeExpression;
    showMessage(QString());
    m_view.displayFontSize = kTextFontSize;
    m_view.display.clear();
}

QString Calculator::modeCaption() const
{
    switch (m_state.calcMode) {
    case ModeEntry:
        return QString::fromUtf16(kModeEntry);
    case ModeCalculate:
        return QString::fromUtf16(kModeCalculate);
    default:
        return QString::fromUtf16(kModeExpression);
    }
}

QString Calculator::recordCountCaption() const
{
    return m_state.calcMode == ModeEntry ? QString::fromUtf16(kRecordCountCaption) : QString();
}

QString Calculator::memoryCaption() const { return m_settings.values().memoryHeld() ? QStringLiteral("M") : QString(); }

QString Calculator::decimalsCaption() const
{
    switch (m_settings.values().decimalPlaces) {
    case DecimalPlaces::One:
        return QStringLiteral("1位小数");
    case DecimalPlaces::Two:
        return QStringLiteral("2位小数");
    case DecimalPlaces::Three:
        return QStringLiteral("3位小数");
    case DecimalPlaces::Whole:
        return QStringLiteral("不留小数");
    default:
        return QString();
    }
}

void Calculator::showMessage(const QString &text, MessageKind kind)
{
    m_view.message = text;
    m_view.messageKind = kind;
}

void Calculator::setMessage(const QString &text)
{
    const ChangeScope change(*this);
    showMessage(text);
}

void Calculator::showExternalResult(const QString &text)
{
    const ChangeScope change(*this);
    m_view.display = text;
    // A result as the calculator's own are: the next digit starts afresh.
    const std::optional<double> value = wholeNumber(text);
    m_externalMessage = value ? QString() : text;
    const double from = value && std::isfinite(*value) ? *value : 0;
    m_accumulator = from;
    m_state.lastResult = from;
    m_operand = 0;
    m_pendingOperator = Pending::ResultShown;
    m_pointEntered = false;
    m_startNewNumber = false;
    m_state.lastKeyWasOperator = false;
}

void Calculator::speak(int code) { m_speaker.speak(code); }

double Calculator::displayValue() const { return leadingNumber(m_view.display); }

std::optional<double> Calculator::enteredValue()
{
    // A number too large for a double is an overflow as soon as it is used,
    // and is never stored.
    const double value = displayValue();
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return std::nullopt;
    }
    return value;
}

void Calculator::showError(const char16_t *text)
{
    m_view.display = QString::fromUtf16(text);
    m_errorLock = true;
}

double Calculator::roundResult(double value) const
{
    switch (m_settings.values().decimalPlaces) {
    case DecimalPlaces::One:
        return roundHalfEven(value, 1);
    case DecimalPlaces::Two:
        return roundHalfEven(value, 2);
    case DecimalPlaces::Three:
        return roundHalfEven(value, 3);
    case DecimalPlaces::Whole:
        return roundHalfEven(value, 0);
    default:
        return value;
    }
}

std::optional<double> Calculator::evaluate(const QString &text)
{
    const auto value =
        evaluateExpression(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())));
    if (!value) {
        showMessage(QString::fromUtf16(kExpressionErrorText), MessageKind::ExpressionError);
        return std::nullopt;
    }
    m_state.lastResult = *value;
    return value;
}

// The expression behind the display for the unary keys and M+: the result after
// the first "=" when a finished expression is shown, otherwise the whole text.
QString Calculator::expressionValueText() const
{
    const qsizetype eq = m_view.display.indexOf(u'=');
    return evaluationText(eq >= 0 ? QStringView(m_view.display).mid(eq + 1) : QStringView(m_view.display));
}

// ---------------------------------------------------------------------------
// The central key handler

void Calculator::numsound(int keyIndex)
{
    const ChangeScope change(*this);
    stopTimer1();
    m_readOutPosition = 0;
    if (m_state.calcMode == ModeEntry && m_view.messageKind == MessageKind::NewIdentity)
        m_view.display.clear();
    if (m_state.calcMode != ModeEntry)
        showMessage(QString());
    const bool focusEquals = runKey(keyIndex);
    // A recalled operand stays one only until the next key that is not MR and
    // leaves the number alone.
    if (keyIndex != KeyMemoryRecall && keyIndex != KeyBackspace && keyIndex != KeySpeechSwitch &&
        keyIndex != KeySizeMode)
        m_operandRecalled = false;
    if (focusEquals)
        m_host.focusEquals();
}

bool Calculator::runKey(int keyIndex)
{
    if (keyIndex >= 0 && keyIndex <= 9) {
        digit(keyIndex);
        return true;
    }
    switch (keyIndex) {
    case KeySizeMode:
        m_host.perform(CalculatorHost::Action::SizeMode);
        return true;
    case KeyPoint:
        point();
        return true;
    case KeyAdd:
    case KeySubtract:
    case KeyMultiply:
    case KeyDivide:
        if (m_state.calcMode == ModeExpression)
            expressionOperator(operatorOfKey(keyIndex), true);
        else if (m_state.calcMode == ModeCalculate)
            operatorKey(operatorOfKey(keyIndex));
        return false;
    case KeyMemoryClear:
        return memoryClear();
    case KeyMemoryRecall:
        return memoryRecall();
    case KeyMemoryStore:
        memoryStore();
        return true;
    case KeyMemoryAdd:
        memoryAdd();
        return true;
    case KeyClearAll:
        clearAll();
        return true;
    case KeyEquals:
        return equals();
    case KeyClearEntry:
        clearEntry();
        return true;
    case KeyBackspace:
        return backspace();
    case KeyEnd:
    case KeyEnd2:
        m_host.perform(CalculatorHost::Action::EndProgram);
        return false;
    case KeyModeCycle:
        cycleMode();
        return true;
    case KeySpeechSwitch:
        speechSwitch();
        return true;
    case KeyAppendX:
        if (m_state.calcMode == ModeEntry)
            m_view.display += u'X';
        return true;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------
// Modes and switches

void Calculator::cycleMode()
{
    switch (m_state.calcMode) {
    case ModeCalculate:
        m_state.calcMode = ModeExpression;
        showMessage(QString());
        m_view.displayFontSize = kTextFontSize;
        m_view.display.clear();
        break;
    case ModeExpression:
        m_state.calcMode = ModeEntry;
        m_pointEntered = false;
        m_records.openAppend();
        m_state.recordsSinceSave = 0;
        showMessage(QString::number(m_state.recordCount));
        m_view.displayFontSize = kTextFontSize;
        break;
    default:
        // Each mode starts with a fresh number: no point typed yet.
        m_pointEntered = false;
        m_state.calcMode = ModeCalculate;
        m_records.close();
        showMessage(QString());
        m_view.displayFontSize = kCalculateFontSize;
        m_view.display = QStringLiteral("0");
        break;
    }
}

void Calculator::speechSwitch()
{
    if (m_state.voiceOn) {
        m_state.voiceOn = false;
        stopTimer1();
        m_host.speakerChanged(false);
    } else {
        m_state.voiceOn = true;
        m_host.speakerChanged(true);
    }
}

// ---------------------------------------------------------------------------
// Buttons, labels and keys

void Calculator::clickButton(int number)
{
    const ChangeScope change(*this);
    const KeySpec *key = keyOfButton(number);
    if (!key)
        return;
    cancelWarning();
    if ((key->guards & GuardLock) && m_errorLock)
        return;
    // A sign where a formula or a parenthesis starts is no second operator.
    const bool sign = (key->key == Key::Add || key->key == Key::Subtract) && atSignPosition();
    if ((key->guards & GuardNew) && m_startNewNumber && !sign)
        return;
    if ((key->guards & GuardPoint) && m_pointEntered)
        return;
    runAction(*key);
    // The C button also lifts the error lock.
    if (key->key == Key::ClearAll)
        m_errorLock = false;
}

void Calculator::runAction(const KeySpec &key)
{
    using A = KeyAction;
    using H = CalculatorHost::Action;
    switch (key.action) {
    case A::Index:
        numsound(key.keyIndex);
        break;
    case A::SignChange:
        signChange();
        break;
    case A::Reciprocal:
        reciprocal();
        break;
    case A::TimesHundred:
        timesHundred();
        break;
    case A::SquareRoot:
        squareRoot();
        break;
    case A::Capitals:
        capitals();
        break;
    case A::SaveRecords:
        saveRecordsButton();
        break;
    case A::IdentityNumber:
        identityNumber();
        break;
    case A::ViewRecords:
        m_host.perform(H::ViewRecords);
        break;
    case A::ClearRecords:
        m_host.perform(H::ClearRecords);
        break;
    case A::IncomeTax:
        incomeTax();
        break;
    case A::Loan:
        m_host.perform(H::OpenLoan);
        break;
    case A::Securities:
        m_host.perform(H::Securities);
        break;
    case A::Exit:
        m_host.perform(H::Exit);
        break;
    case A::Manual:
        m_host.perform(H::OpenManual);
        break;
    case A::Settings:
        m_host.perform(H::OpenSettings);
        break;
    case A::Minimize:
        m_host.perform(H::MinimizeWindow);
        break;
    }
}

void Calculator::clickLabel1()
{
    const ChangeScope change(*this);
    cancelWarning();
    numsound(KeySizeMode);
}

void Calculator::clickLabel4()
{
    const ChangeScope change(*this);
    cancelWarning();
    if (m_errorLock)
        return;
    numsound(KeyModeCycle);
}

void Calculator::clickLabel11()
{
    const ChangeScope change(*this);
    const auto places = std::int16_t(m_settings.values().decimalPlaces);
    m_settings.setDecimalPlaces(DecimalPlaces((places < 0 || places >= 4) ? 0 : places + 1));
}

bool Calculator::keyDown(SpecialKey key)
{
    const ChangeScope change(*this);
    cancelWarning();
    switch (key) {
    case SpecialKey::Print:
        return true;
    case SpecialKey::F1:
        m_host.perform(CalculatorHost::Action::OpenManual);
        return true;
    case SpecialKey::F2:
        numsound(KeyModeCycle);
        return true;
    case SpecialKey::F3:
        m_host.perform(CalculatorHost::Action::OpenShutdown);
        return true;
    }
    return false;
}

void Calculator::keyPress(char16_t ch)
{
    const ChangeScope change(*this);
    cancelWarning();
    stopTimer1();
    if (ch == u'z' || ch == typed::Escape) {
        m_errorLock = false;
        numsound(0);
    }
    if (ch == typed::Backspace) {
        numsound(KeyBackspace);
        return;
    }
    if (m_errorLock)
        return;
    if (m_state.calcMode == ModeExpression) {
        expressionCharacter(ch);
        return;
    }
    switch (ch) {
    case 27:
        numsound(KeyEnd);
        return;
    case u',':
    case u'.':
        // Both are the decimal point; a second point in a number is dropped.
        if (!m_pointEntered) {
            numsound(KeyPoint);
            m_pointEntered = true;
        }
        return;
    default:
        // Typed keys go past the buttons' guards.
        if (const KeySpec *key = keyOfKeystroke(ch))
            runAction(*key);
        return;
    }
}

void Calculator::expressionCharacter(char16_t ch)
{
    if (ch == typed::Escape) {
        // Esc ends the program in every mode.
        numsound(KeyEnd);
        return;
    }
    if (ch == typed::Enter || ch == u'\n') {
        // Enter is equals (the focused equals button acts on it); it is not
        // part of the formula.
        return;
    }
    if (ch < 32 || ch == typed::Delete)
        return;
    switch (ch) {
    case u'.':
    case u',':
    case u'，':
    case u'。':
        if (!m_pointEntered)
            numsound(KeyPoint);
        break;
    case u'=':
        m_pendingOperator = Pending::ResultShown;
        numsound(KeyEquals);
        return;
    case u'+':
        expressionOperator(Pending::Add, false);
        break;
    case u'-':
        expressionOperator(Pending::Subtract, false);
        break;
    case u'*':
        expressionOperator(Pending::Multiply, false);
        break;
    case u'/':
        expressionOperator(Pending::Divide, false);
        break;
    default:
        if (m_view.messageKind == MessageKind::ExpressionError)
            showMessage(QString());
        if (m_pendingOperator == Pending::ResultShown)
            m_view.display.clear();
        if (m_view.display.size() == kWrapColumn)
            m_view.display += kLineBreak;
        m_view.display += QChar(ch);
        m_pendingOperator = Pending::None;
        if (ch >= u'0' && ch <= u'9') {
            m_state.lastKeyWasOperator = false;
            m_startNewNumber = false;
            speak(ch - u'0');
        }
        break;
    }
    m_host.focusEquals();
}

void Calculator::saveRecordsButton()
{
    const ChangeScope change(*this);
    // Closing and reopening brings the file to disk. A file that cannot be
    // opened for writing has not kept the records: say so rather than report
    // them saved.
    if (m_records.isOpen() && !m_records.flush())
        m_host.messageBox(QString(), QStringLiteral("无法保存数据文件datafile.txt。"));
    else
        m_host.messageBox(QString(), QStringLiteral("数据已得到保存"));
    m_host.focusEquals();
}

} // namespace numbelle
