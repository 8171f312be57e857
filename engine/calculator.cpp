#include "calculator.h"

#include "capitals/capitalamount.h"
#include "common/numtext.h"
#include "engine/expression.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <cmath>

namespace numbelle {

namespace {

constexpr char16_t kModeCalculate[] = u"计算";
constexpr char16_t kModeEntry[] = u"录入";
constexpr char16_t kModeExpression[] = u"表达式";
constexpr char16_t kRecordCountCaption[] = u"当前记录数";
constexpr char16_t kNewIdCaption[] = u"新身份证号";
constexpr char16_t kOldIdLengthError[] = u"旧号码位数错";
constexpr double kCalculateFontSize = 26.25;
constexpr double kTextFontSize = 16;
constexpr qsizetype kWrapColumn = 32;
const QString kLineBreak = QStringLiteral("\r\n");

QString operatorSymbol(int k)
{
    switch (k) {
    case 1: return QStringLiteral("+");
    case 2: return QStringLiteral("-");
    case 3: return QStringLiteral("×");
    case 4: return QStringLiteral("÷");
    }
    return {};
}

// "0" before a positive fraction, "-0" (or "- 0") before a negative one.
QString resultText(double value, bool blankBeforeZero)
{
    if (value > 0 && value < 1)
        return u'0' + generalText(value);
    if (value > -1 && value < 0)
        return (blankBeforeZero ? QStringLiteral("- 0") : QStringLiteral("-0")) + generalText(-value);
    return generalText(value);
}

QString withBlankSign(double value)
{
    const QString text = generalText(value);
    return value < 0 ? text : u' ' + text;
}

// The numeric text behind a value, read back (the memory keeps 15 digits).
double viaText(double value) { return leadingNumber(generalText(value)); }

} // namespace

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

QString IDCode(const QString &sCode15)
{
    static constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    const QString body = sCode15.left(6) + QStringLiteral("19") + sCode15.right(9);
    int sum = 0;
    for (int i = 0; i < 17 && i < body.size(); ++i)
        sum += body[i].digitValue() * kWeights[i];
    const int r = sum % 11;
    QChar check;
    if (r == 0)
        check = u'1';
    else if (r == 1)
        check = u'0';
    else if (r == 2)
        check = u'X';
    else
        check = QChar(u'0' + (12 - r));
    return body + check;
}

Calculator::Calculator(ProgramState &state, Speaker &speaker, RecordStore &records, CalculatorHost &host)
    : m_state(state), m_speaker(speaker), m_records(records), m_host(host)
{
}

void Calculator::startUp()
{
    m_pointEntered = kFalse;
    m_state.calcMode = ModeExpression;
    m_view.label4 = QString::fromUtf16(kModeExpression);
    m_view.label5.clear();
    m_view.label6.clear();
    m_view.label1FontSize = kTextFontSize;
    m_view.label1.clear();
    m_view.label7 = m_state.settings.memoryFlag == 1 ? QStringLiteral("M") : QString();
    setDecimalsCaption();
}

void Calculator::setDecimalsCaption()
{
    switch (m_state.settings.decimalPlaces) {
    case 1: m_view.label11 = QStringLiteral("1位小数"); break;
    case 2: m_view.label11 = QStringLiteral("2位小数"); break;
    case 3: m_view.label11 = QStringLiteral("3位小数"); break;
    case 4: m_view.label11 = QStringLiteral("不留小数"); break;
    default: m_view.label11.clear(); break;
    }
}

void Calculator::speak(int code) { m_speaker.speak(code); }

double Calculator::displayValue() const { return leadingNumber(m_view.label1); }

void Calculator::showError(const char16_t *text)
{
    m_view.label1 = QString::fromUtf16(text);
    m_errorLock = kTrue;
}

double Calculator::roundResult(double value) const
{
    switch (m_state.settings.decimalPlaces) {
    case 1: return roundHalfEven(value, 1);
    case 2: return roundHalfEven(value, 2);
    case 3: return roundHalfEven(value, 3);
    case 4: return roundHalfEven(value, 0);
    default: return value;
    }
}

std::optional<double> Calculator::evaluate(const QString &text)
{
    const auto value = evaluateExpression(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())));
    if (!value) {
        m_view.label6 = QString::fromUtf16(kExpressionErrorText);
        return std::nullopt;
    }
    m_state.lastResult = *value;
    return value;
}

// The expression behind the display for the unary keys and M+: the result after
// the first "=" when a finished expression is shown, otherwise the whole text.
QString Calculator::expressionValueText() const
{
    const qsizetype eq = m_view.label1.indexOf(u'=');
    return evaluationText(eq >= 0 ? QStringView(m_view.label1).mid(eq + 1) : QStringView(m_view.label1));
}

// ---------------------------------------------------------------------------
// The central key handler

void Calculator::numsound(int keyIndex)
{
    stopTimer1();
    m_readOutPosition = 0;
    if (m_view.label4 == QStringView(kModeEntry) && m_view.label6 == QStringView(kNewIdCaption))
        m_view.label1.clear();
    if (m_state.calcMode != ModeEntry)
        m_view.label6.clear();
    if (runKey(keyIndex))
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
            expressionOperator(keyIndex - 12, true);
        else if (m_state.calcMode == ModeCalculate)
            operatorKey(keyIndex - 12);
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
            m_view.label1 += u'X';
        return true;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------
// Number entry and clearing

void Calculator::digit(int d)
{
    if (m_state.calcMode == ModeExpression) {
        if (m_pendingOperator == 5) {
            m_view.label1 = QString::number(d);
            m_pendingOperator = 0;
        } else {
            m_view.label1 += QString::number(d);
        }
    } else {
        if (m_startNewNumber == kTrue) {
            m_view.label1.clear();
            m_startNewNumber = kFalse;
        }
        if (m_pendingOperator == 5) {
            m_view.label1.clear();
            m_pendingOperator = 0;
        }
        if (m_view.label1 == u"0" && m_pointEntered == kFalse)
            m_view.label1.clear();
        m_view.label1 += QString::number(d);
    }
    m_state.lastKeyWasOperator = kFalse;
    m_startNewNumber = kFalse;
    speak(d);
}

void Calculator::point()
{
    if (m_startNewNumber == kTrue) {
        if (m_state.calcMode == ModeExpression)
            m_view.label1 += u'0';
        else
            m_view.label1.clear();
        m_startNewNumber = kFalse;
    }
    if (m_pendingOperator == 5) {
        m_view.label1.clear();
        m_pendingOperator = 0;
    }
    if (m_view.label1 == u"0." && m_pointEntered == kFalse)
        m_view.label1.clear();
    m_view.label1 += u'.';
    m_pointEntered = kTrue;
    speak(SpeakPoint);
}

bool Calculator::backspace()
{
    QString &text = m_view.label1;
    if (text.isEmpty() || text == u"0")
        return false;
    if (text.endsWith(u'.'))
        m_pointEntered = kFalse;
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
        m_view.label1.clear();
    else
        m_view.label1 = QStringLiteral("0");
    m_pointEntered = kFalse;
    speak(SpeakClearEntry);
}

void Calculator::clearAll()
{
    if (m_state.calcMode == ModeExpression)
        m_view.label1.clear();
    else
        m_view.label1 = QStringLiteral("0");
    m_view.label9.clear();
    m_accumulator = 0;
    m_operand = 0;
    m_state.lastResult = 0;
    m_pointEntered = kFalse;
    m_pendingOperator = 0;
    m_state.lastKeyWasOperator = kFalse;
    speak(SpeakClearAll);
}

// ---------------------------------------------------------------------------
// Operators and equals

void Calculator::operatorKey(int k)
{
    m_view.label9 = operatorSymbol(k);
    if (m_startNewNumber == kTrue) {
        m_pendingOperator = std::int16_t(k);
        return;
    }
    double accumulator = m_accumulator;
    double operand = m_operand;
    switch (m_pendingOperator) {
    case 0:
        accumulator = displayValue();
        operand = 0;
        break;
    case 1:
        accumulator += displayValue();
        operand = 0;
        break;
    case 2:
        accumulator -= displayValue();
        operand = 0;
        break;
    case 3:
        operand = displayValue();
        accumulator *= operand;
        break;
    case 4:
        operand = displayValue();
        if (operand == 0) {
            m_operand = operand;
            showError(kDivideByZeroText);
            return;
        }
        accumulator /= operand;
        break;
    case 5:
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
    m_startNewNumber = kTrue;
    m_pointEntered = kFalse;
    m_pendingOperator = std::int16_t(k);
    const QString text = generalText(m_state.lastResult);
    m_view.label1 = text.startsWith(u'.') ? u'0' + text : withBlankSign(m_state.lastResult);
    speak(13 + k);
}

bool Calculator::equals()
{
    m_view.label9.clear();
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
    double result = 0;
    switch (m_pendingOperator) {
    case 1:
    case 2:
    case 3:
        m_operand = displayValue();
        result = m_pendingOperator == 1 ? m_accumulator + m_operand
               : m_pendingOperator == 2 ? m_accumulator - m_operand
                                        : m_accumulator * m_operand;
        break;
    case 4:
        m_operand = displayValue();
        if (m_operand == 0) {
            showError(kDivideByZeroText);
            return false;
        }
        result = m_accumulator / m_operand;
        break;
    default:
        result = displayValue();
        break;
    }
    if (!std::isfinite(result)) {
        showError(kOverflowText);
        return false;
    }
    m_view.label1 = generalText(result);
    result = roundResult(result);
    m_state.lastResult = result;
    if (std::fabs(result) > 1e-16)
        m_view.label1 = resultPatternText(result);
    QString &text = m_view.label1;
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    if (text.startsWith(u"-."))
        text.replace(0, 2, QStringLiteral("-0."));
    if (result == std::trunc(result))
        text.chop(1);
    m_accumulator = result;
    m_state.lastKeyWasOperator = kFalse;
    m_pendingOperator = 5;
    m_pointEntered = kFalse;
    m_startNewNumber = kFalse;
    speak(SpeakEquals);
    startReadOut();
    m_operand = 0;
    return true;
}

void Calculator::equalsEntry()
{
    ++m_state.recordsSinceSave;
    ++m_state.recordCount;
    if (m_state.dataFileOpen == kFalse) {
        m_records.openAppend();
        m_state.dataFileOpen = kTrue;
    }
    m_records.append(m_state.recordCount, m_view.label1);
    if (m_state.recordsSinceSave == 10) {
        m_state.recordsSinceSave = 0;
        m_records.flush();
    }
    m_view.label6 = QString::number(m_state.recordCount);
    m_pendingOperator = 5;
    m_pointEntered = kFalse;
    m_startNewNumber = kFalse;
    speak(SpeakEquals);
    m_operand = 0;
}

bool Calculator::equalsExpression()
{
    if (m_view.label1.contains(u'='))
        return false;
    const auto value = evaluate(evaluationText(m_view.label1));
    if (!value) {
        // The expression stays as typed so it can be corrected.
        m_pendingOperator = 0;
        return true;
    }
    const double result = roundResult(*value);
    m_state.lastResult = result;
    QString &text = m_view.label1;
    text += u'=' + resultText(result, false);
    if (text.size() > kWrapColumn && !text.contains(kLineBreak))
        text.insert(kWrapColumn, kLineBreak);
    m_state.lastKeyWasOperator = kFalse;
    m_pendingOperator = 5;
    m_pointEntered = kFalse;
    m_startNewNumber = kFalse;
    speak(SpeakEquals);
    startReadOut();
    return true;
}

void Calculator::expressionOperator(int k, bool fromButton)
{
    const QString symbol = operatorSymbol(k);
    if (m_pendingOperator == 5) {
        // Go on from the result: a typed "+" writes the zero of a negative
        // fraction with a blank before it, as the buttons always do.
        const bool blank = fromButton || k == 1;
        m_view.label1 = resultText(m_state.lastResult, blank) + symbol;
    } else if (m_startNewNumber == kTrue) {
        return;
    } else {
        m_view.label1 += symbol;
    }
    m_startNewNumber = kTrue;
    m_pointEntered = kFalse;
    m_pendingOperator = std::int16_t(k);
    if (fromButton)
        m_state.lastKeyWasOperator = kTrue;
    speak(13 + k);
}

// ---------------------------------------------------------------------------
// Result read-out

void Calculator::timer1Tick()
{
    if (m_state.calcMode == ModeEntry)
        return;
    if (m_state.lastResult == 0) {
        m_view.label1 = QStringLiteral("0");
        speak(0);
        stopTimer1();
        return;
    }
    QString t;
    if (m_state.calcMode == ModeCalculate) {
        t = m_view.label1;
        while (t.startsWith(u' '))
            t.remove(0, 1);
    } else {
        const qsizetype eq = m_view.label1.indexOf(u'=');
        if (eq >= 0) {
            t = evaluationText(QStringView(m_view.label1).mid(eq + 1));
        } else {
            t = evaluationText(m_view.label1);
            while (t.startsWith(u' '))
                t.remove(0, 1);
        }
    }
    if (t.startsWith(u'.'))
        t.prepend(u'0');
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
        m_view.label1 = t;
}

// ---------------------------------------------------------------------------
// Memory

bool Calculator::memoryClear()
{
    if (m_view.label7 != u"M")
        return false;
    m_state.settings.memoryValue = 0;
    m_state.settings.memoryFlag = 0;
    m_view.label7.clear();
    m_host.saveSettings();
    speak(SpeakMemoryClear);
    return true;
}

bool Calculator::memoryRecall()
{
    if (m_view.label7 != u"M")
        return false;
    if (m_state.calcMode != ModeExpression || m_pendingOperator == 5)
        m_view.label1 = generalText(m_state.settings.memoryValue);
    else
        m_view.label1 += generalText(m_state.settings.memoryValue);
    m_accumulator = displayValue();
    m_state.lastResult = displayValue();
    m_state.lastKeyWasOperator = kFalse;
    speak(SpeakMemoryRecall);
    return true;
}

void Calculator::memoryStore()
{
    double value = 0;
    if (m_state.calcMode == ModeExpression && m_pendingOperator == 5)
        value = m_state.lastResult;
    else
        value = displayValue();
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_state.settings.memoryFlag = 1;
    m_state.settings.memoryValue = value;
    m_view.label7 = QStringLiteral("M");
    m_host.saveSettings();
    speak(SpeakMemoryStore);
}

void Calculator::memoryAdd()
{
    double value = 0;
    if (m_state.calcMode != ModeExpression) {
        value = viaText(m_state.settings.memoryValue) + displayValue();
    } else if (m_state.lastResult != 0) {
        value = viaText(m_state.lastResult) + viaText(m_state.settings.memoryValue) + viaText(m_accumulator);
    } else {
        const auto added = evaluate(expressionValueText());
        if (!added)
            return;
        value = *added + viaText(m_state.settings.memoryValue);
    }
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_state.settings.memoryValue = value;
    m_state.settings.memoryFlag = 1;
    m_view.label7 = QStringLiteral("M");
    m_host.saveSettings();
    speak(SpeakMemoryAdd);
}

// ---------------------------------------------------------------------------
// Modes and switches

void Calculator::cycleMode()
{
    switch (m_state.calcMode) {
    case ModeCalculate:
        m_state.calcMode = ModeExpression;
        m_view.label4 = QString::fromUtf16(kModeExpression);
        m_view.label5.clear();
        m_view.label6.clear();
        m_view.label1FontSize = kTextFontSize;
        m_view.label1.clear();
        break;
    case ModeExpression:
        m_state.calcMode = ModeEntry;
        if (m_state.dataFileOpen == kFalse)
            m_records.openAppend();
        m_state.dataFileOpen = kTrue;
        m_view.label4 = QString::fromUtf16(kModeEntry);
        m_state.recordsSinceSave = 0;
        m_view.label5 = QString::fromUtf16(kRecordCountCaption);
        m_view.label6 = QString::number(m_state.recordCount);
        m_view.label1FontSize = kTextFontSize;
        break;
    default:
        m_state.calcMode = ModeCalculate;
        m_view.label4 = QString::fromUtf16(kModeCalculate);
        m_records.close();
        m_view.label5.clear();
        m_view.label6.clear();
        m_state.dataFileOpen = kFalse;
        m_view.label1FontSize = kCalculateFontSize;
        m_view.label1 = QStringLiteral("0");
        break;
    }
}

void Calculator::speechSwitch()
{
    if (m_state.voiceOn == kTrue) {
        m_state.voiceOn = kFalse;
        stopTimer1();
        m_host.speakerChanged(false);
    } else {
        m_state.voiceOn = kTrue;
        m_host.speakerChanged(true);
    }
}

// ---------------------------------------------------------------------------
// Buttons, labels and keys

void Calculator::clickButton(int number)
{
    const ButtonSpec *spec = findButton(number);
    if (!spec)
        return;
    if ((spec->guards & GuardLock) && m_errorLock == kTrue)
        return;
    if ((spec->guards & GuardNew) && m_startNewNumber == kTrue)
        return;
    if ((spec->guards & GuardPoint) && m_pointEntered == kTrue)
        return;
    using A = ButtonAction;
    switch (spec->action) {
    case A::Key:
        numsound(spec->keyIndex);
        if (number == 21)
            m_errorLock = kFalse;
        break;
    case A::SignChange: signChange(); break;
    case A::Reciprocal: reciprocal(); break;
    case A::TimesHundred: timesHundred(); break;
    case A::SquareRoot: squareRoot(); break;
    case A::Capitals: capitals(); break;
    case A::SaveRecords: saveRecordsButton(); break;
    case A::ViewRecords: m_host.perform(CalculatorHost::Action::ViewRecords); break;
    case A::ClearRecords: m_host.perform(CalculatorHost::Action::ClearRecords); break;
    case A::IncomeTax: m_host.perform(CalculatorHost::Action::IncomeTax); break;
    case A::Loan: m_host.perform(CalculatorHost::Action::OpenLoan); break;
    case A::Securities: m_host.perform(CalculatorHost::Action::Securities); break;
    case A::Exit: m_host.perform(CalculatorHost::Action::Exit); break;
    case A::Manual: m_host.perform(CalculatorHost::Action::OpenManual); break;
    case A::Settings: m_host.perform(CalculatorHost::Action::OpenSettings); break;
    }
}

void Calculator::clickLabel1() { numsound(KeySizeMode); }

void Calculator::clickLabel4()
{
    if (m_errorLock == kTrue)
        return;
    numsound(KeyModeCycle);
}

void Calculator::clickLabel11()
{
    std::int16_t &places = m_state.settings.decimalPlaces;
    places = (places < 0 || places >= 4) ? 0 : std::int16_t(places + 1);
    setDecimalsCaption();
}

bool Calculator::keyDown(SpecialKey key)
{
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
    stopTimer1();
    if (ch == u'z' || ch == 27) {
        m_errorLock = kFalse;
        numsound(0);
    }
    if (ch == 8) {
        numsound(KeyBackspace);
        return;
    }
    if (m_errorLock == kTrue)
        return;
    if (m_state.calcMode == ModeExpression) {
        expressionCharacter(ch);
        return;
    }
    switch (ch) {
    case 27: numsound(KeyEnd); break;
    case u'*': numsound(KeyMultiply); break;
    case u'+': numsound(KeyAdd); break;
    case u',':
    case u'.':
        if (m_pointEntered != kTrue) {
            numsound(KeyPoint);
            m_pointEntered = kTrue;
        }
        break;
    case u'-': numsound(KeySubtract); break;
    case u'/': numsound(KeyDivide); break;
    case u'=': numsound(KeyEquals); break;
    case u'a': m_host.perform(CalculatorHost::Action::MinimizeWindow); break;
    case u'c': numsound(KeyMemoryClear); break;
    case u'd': m_host.perform(CalculatorHost::Action::OpenLoan); break;
    case u'e': numsound(KeyClearEntry); break;
    case u'k': m_host.perform(CalculatorHost::Action::Securities); break;
    case u'm': numsound(KeyMemoryAdd); break;
    case u'n': identityNumber(); break;
    case u'o': numsound(KeySizeMode); break;
    case u'r': numsound(KeyMemoryRecall); break;
    case u's': numsound(KeyMemoryStore); break;
    case u't': m_host.perform(CalculatorHost::Action::IncomeTax); break;
    case u'v': numsound(KeySpeechSwitch); break;
    case u'x': numsound(KeyAppendX); break;
    case u'z': numsound(KeyClearAll); break;
    default:
        if (ch >= u'0' && ch <= u'9')
            numsound(ch - u'0');
        break;
    }
}

void Calculator::expressionCharacter(char16_t ch)
{
    if (ch == 27) {
        // Esc ends the program in every mode.
        numsound(KeyEnd);
        return;
    }
    if (ch == u'\r' || ch == u'\n') {
        // Enter is equals (the focused equals button acts on it); it is not
        // part of the formula.
        return;
    }
    if (ch < 32 || ch == 127)
        return;
    switch (ch) {
    case u'.':
    case u',':
    case u'，':
    case u'。':
        if (m_pointEntered == kFalse)
            numsound(KeyPoint);
        break;
    case u'=':
        m_pendingOperator = 5;
        numsound(KeyEquals);
        return;
    case u'+': expressionOperator(1, false); break;
    case u'-': expressionOperator(2, false); break;
    case u'*': expressionOperator(3, false); break;
    case u'/': expressionOperator(4, false); break;
    default:
        if (m_view.label6 == QStringView(kExpressionErrorText))
            m_view.label6.clear();
        if (m_pendingOperator == 5)
            m_view.label1.clear();
        if (m_view.label1.size() == kWrapColumn)
            m_view.label1 += kLineBreak;
        m_view.label1 += QChar(ch);
        m_pendingOperator = 0;
        if (ch >= u'0' && ch <= u'9') {
            m_state.lastKeyWasOperator = kFalse;
            m_startNewNumber = kFalse;
            speak(ch - u'0');
        }
        break;
    }
    m_host.focusEquals();
}

// ---------------------------------------------------------------------------
// Unary keys

void Calculator::signChange()
{
    const double value = -displayValue();
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_view.label1 = generalText(value);
}

void Calculator::timesHundred()
{
    const double value = displayValue() * 100;
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    m_view.label1 = withBlankSign(value);
}

void Calculator::showUnaryResult(double value)
{
    m_accumulator = roundResult(value);
    if (m_accumulator > 0 && m_accumulator < 1)
        m_view.label1 = u'0' + generalText(m_accumulator);
    else
        m_view.label1 = generalText(m_accumulator);
    m_state.lastResult = m_accumulator;
    m_pendingOperator = 5;
    m_pointEntered = kFalse;
}

void Calculator::reciprocal()
{
    speak(SpeakReciprocal);
    double x = 0;
    if (m_state.calcMode == ModeExpression) {
        const auto value = evaluate(expressionValueText());
        if (!value)
            return;
        x = *value;
    } else {
        x = displayValue();
    }
    if (x == 0) {
        showError(kDivideByZeroText);
        return;
    }
    const double value = 1 / x;
    if (!std::isfinite(value)) {
        showError(kOverflowText);
        return;
    }
    showUnaryResult(value);
}

void Calculator::squareRoot()
{
    stopTimer1();
    speak(SpeakSquareRoot);
    if (displayValue() < 0) {
        showError(kIrrationalText);
        return;
    }
    double root = 0;
    if (m_state.calcMode == ModeExpression) {
        const auto value = evaluate(expressionValueText());
        if (!value || *value < 0) {
            m_view.label6 = QString::fromUtf16(kExpressionErrorText);
            return;
        }
        root = std::sqrt(*value);
    } else {
        const double value = displayValue();
        if (!std::isfinite(value)) {
            showError(kOverflowText);
            return;
        }
        root = std::sqrt(value);
    }
    showUnaryResult(root);
}

void Calculator::capitals()
{
    if (m_errorLock == kTrue)
        return;
    if (m_state.lastKeyWasOperator != kFalse) {
        m_pendingOperator = 5;
        return;
    }
    stopTimer1();
    const QString yuan = QStringLiteral("元"), jiao = QStringLiteral("角"), fen = QStringLiteral("分");
    if (m_pendingOperator == 5) {
        m_view.label1 = CapitalAmount(generalText(m_state.lastResult), yuan, jiao, fen);
    } else {
        const double value = displayValue();
        if (value == 0)
            return;
        m_state.lastResult = value;
        m_view.label1 = CapitalAmount(m_view.label1, yuan, jiao, fen);
        m_accumulator = m_state.lastResult;
    }
    m_state.lastKeyWasOperator = kTrue;
    m_pendingOperator = 5;
}

void Calculator::identityNumber()
{
    if (m_view.label4 == QStringView(kModeEntry))
        return;
    const QString &text = m_view.label1;
    const double month = leadingNumber(QStringView(text).mid(8, 2));
    const double day = leadingNumber(QStringView(text).mid(10, 2));
    if (month > 12 || day > 31)
        m_host.messageBox(QStringLiteral("转换身份证号码"), QStringLiteral("身份证号日期码错"));
    bool allDigits = text.size() == 15;
    for (QChar c : text)
        allDigits = allDigits && c >= u'0' && c <= u'9';
    if (allDigits) {
        m_view.label1 = IDCode(text);
        m_view.label6 = QString::fromUtf16(kNewIdCaption);
        m_pendingOperator = 5;
        m_pointEntered = kFalse;
        m_startNewNumber = kTrue;
    } else {
        m_view.label6 = QString::fromUtf16(kOldIdLengthError);
    }
}

void Calculator::saveRecordsButton()
{
    // Closing and reopening brings the file to disk. A file that cannot be
    // opened for writing has not kept the records: say so rather than report
    // them saved.
    if (m_state.dataFileOpen == kTrue && !m_records.flush())
        m_host.messageBox(QString(), QStringLiteral("无法保存数据文件datafile.txt。"));
    else
        m_host.messageBox(QString(), QStringLiteral("数据已得到保存"));
    m_host.focusEquals();
}

} // namespace numbelle
