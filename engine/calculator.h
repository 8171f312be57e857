// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keypad calculator of the main window as plain logic: its state, the
// central key handler numsound, number entry, chained arithmetic, the unary
// keys, memory, expression mode, rounding, identity numbers and the capitals
// key. It owns the texts of the main window's display labels (the window only
// shows them) and reaches everything else through CalculatorHost, the Speaker
// and the RecordStore. No widget code lives here.

#include "common/programstate.h"
#include "common/settingsstore.h"
#include "engine/keys.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace numbelle {

class Speaker;
class RecordStore;

// What a message on the message line is, where the calculator acts on it.
enum class MessageKind {
    Plain,
    ExpressionError, // the formula could not be evaluated: the next character typed clears it
    NewIdentity,     // an identity number was converted: entry mode starts afresh
};

// What the main window shows, by what it is; the window renders it whenever
// the calculator announces a change. The captions that follow from the state
// (mode, record count, memory, decimal places) are the calculator's to say
// (modeCaption() and the others), never kept as texts of their own.
struct CountformView {
    QString display; // Label1, the main display
    QString message; // Label6, the message line
    MessageKind messageKind = MessageKind::Plain;
    QString operatorSymbol; // Label9, the operator waiting for its operand
    double displayFontSize = 16;
    bool timer1Enabled = false; // result read-out running
    int timer1Interval = 430;   // until its next tick: the word just spoken
    // Timer3: the warning after a stored identity number whose check
    // character is wrong, timed so that no clip cuts off another. A new
    // timerGeneration asks for the interval to be counted afresh from now.
    bool timer3Enabled = false;
    int timer3Interval = 0;
    int timer3Generation = 0;
};

// Requests the calculator makes of the window around it.
class CalculatorHost {
public:
    enum class Action {
        MinimizeWindow, // key a
        SizeMode,       // key o, click on the display
        EndProgram,     // Esc: ends at once, no unload steps
        OpenLoan,       // key d
        Securities,     // key k
        IncomeTax,      // key t
        OpenManual,     // F1, the manual button
        OpenShutdown,   // F3, the clock picture
        ViewRecords,    // Command29
        ClearRecords,   // Command31
        OpenSettings,   // Command34
        Exit,           // Command27: unload, then end
    };
    virtual ~CalculatorHost() = default;
    virtual void perform(Action action) = 0;
    // Puts the input focus on the equals button, so that Enter means equals.
    virtual void focusEquals() = 0;
    virtual void messageBox(const QString &title, const QString &text) = 0;
    // The speech switch changed: show the speaker picture for on or off.
    virtual void speakerChanged(bool on) = 0;
};

// What waits between keys: the operator waiting for its right operand, or a
// result on the display (which the next digit replaces and the next operator
// goes on from). Stored and shown as the numbers 0 to 5.
enum class Pending : std::int16_t {
    None = 0,
    Add = 1,
    Subtract = 2,
    Multiply = 3,
    Divide = 4,
    ResultShown = 5,
};

// Keys seen before the character stage.
enum class SpecialKey { F1, F2, F3, Print };

inline constexpr char16_t kDivideByZeroText[] = u"ERR0R除数为零!";
inline constexpr char16_t kIrrationalText[] = u"ERR0R无理数!";
inline constexpr char16_t kOverflowText[] = u"ERR0R数值溢出!";
inline constexpr char16_t kExpressionErrorText[] = u"表达式错误！";

class Calculator {
public:
    // The pace of the digit-by-digit read-out of a result.
    static constexpr int kDigitReadOutMs = 430;

    Calculator(ProgramState &state, SettingsStore &settings, Speaker &speaker, RecordStore &records,
               CalculatorHost &host);

    const CountformView &view() const { return m_view; }

    // Heard after every change of the view or of a caption, once per key or
    // call however much changed.
    void setChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }

    // The captions that follow from the state: the mode button Label4, the
    // record-count caption Label5 (entry mode only), the memory indicator
    // Label7 and the decimal-places button Label11.
    QString modeCaption() const;
    QString recordCountCaption() const;
    QString memoryCaption() const;
    QString decimalsCaption() const;

    // What another window writes on the display (the loan window's interest
    // total, the shutdown window's notice): shown as a result is, so the next
    // digit starts a new figure; an operator goes on from it when it is a
    // number and from 0 otherwise, and a text that is no number is never
    // stored as a record.
    void showExternalResult(const QString &text);
    // A message on the message line Label6, from outside the calculator.
    void setMessage(const QString &text);

    // The main window's start-up steps for the calculator: expression mode with
    // an empty display, the memory indicator and the decimal-places caption.
    void startUp();

    // The central key handler: one key index.
    void numsound(int keyIndex);

    // A click on keypad button CommandN, through its guards.
    void clickButton(int number);
    void clickLabel1();  // size mode
    void clickLabel4();  // mode cycle
    void clickLabel11(); // decimal places

    // Keyboard: the key-down stage (F1, F2, F3, Print) and the character stage.
    // keyDown returns true when the key was consumed.
    bool keyDown(SpecialKey key);
    void keyPress(char16_t ch);

    // One tick of the result read-out timer.
    void timer1Tick();
    // One tick of the check-character warning (Timer3): the warning tone once
    // the equals word is over, then "校验码错误" once the tone is.
    void timer3Tick();

    // Unary keys and the capitals key.
    void signChange();
    void timesHundred();
    void reciprocal();
    void squareRoot();
    void capitals();
    void identityNumber();

    // The income tax key (button Command33, key t): the tax on the displayed
    // income, for the category of the settings, shown as a result and read out.
    void incomeTax();

    // Entry-mode record actions that the main window's buttons trigger.
    void saveRecordsButton();

    // Window state, readable by name for scripts and tests.
    bool startNewNumber() const { return m_startNewNumber; }
    bool pointEntered() const { return m_pointEntered; }
    Pending pendingOperator() const { return m_pendingOperator; }
    double accumulator() const { return m_accumulator; }
    double operand() const { return m_operand; }
    std::int16_t readOutPosition() const { return m_readOutPosition; }
    bool errorLock() const { return m_errorLock; }

private:
    bool runKey(int keyIndex); // returns whether the focus goes back to equals
    void runAction(const KeySpec &key);
    void digit(int d);
    void point();
    bool backspace();
    void clearEntry();
    void clearAll();
    void operatorKey(Pending op);
    void expressionOperator(Pending op, bool fromButton);
    bool equals();
    bool equalsCalculate();
    void equalsEntry();
    bool equalsExpression();
    bool memoryClear();
    bool memoryRecall();
    void memoryStore();
    void memoryAdd();
    void cycleMode();
    void speechSwitch();
    void expressionCharacter(char16_t ch);

    void speak(int code);
    void showMessage(const QString &text, MessageKind kind = MessageKind::Plain);
    // Announces a change once the outermost call that made it ends.
    class ChangeScope {
    public:
        explicit ChangeScope(Calculator &c) : m_c(c) { ++m_c.m_changeDepth; }
        ~ChangeScope()
        {
            if (--m_c.m_changeDepth == 0 && m_c.m_changed)
                m_c.m_changed();
        }

    private:
        Calculator &m_c;
    };
    // Stops the result read-out, and the read-back of a stored record.
    void stopTimer1()
    {
        m_view.timer1Enabled = false;
        m_readOutWords.reset();
        m_readBack.clear();
    }
    // Speaks the next word of a read-out of words, and times the next tick by
    // its clip; false when none is left.
    bool speakNextWord(QList<int> &words);
    // After a stored record, reads it back when the settings ask for it.
    void readBack(const QString &record);
    // Speaks `word` on Timer3 after intervalMs.
    void warnAfter(int intervalMs, int word);
    // A key silences what is left of the check-character warning, so that
    // its own word is heard whole.
    void cancelWarning();
    // Where "+" and "-" typed in a formula are the sign of what follows: at
    // its start and right after "(".
    bool atSignPosition() const;
    void startReadOut()
    {
        m_view.timer1Interval = kDigitReadOutMs;
        m_view.timer1Enabled = true;
    }

    double displayValue() const;
    // The number on the display as an operand; nothing (and the overflow
    // text) when it reads as infinity.
    std::optional<double> enteredValue();
    void showError(const char16_t *text);
    double roundResult(double value) const;
    std::optional<double> evaluate(const QString &text);
    QString expressionValueText() const;
    void showUnaryResult(double value);
    void rewriteShownResult(double value);
    std::optional<double> unaryOperand();
    bool operatorWaits() const { return m_pendingOperator >= Pending::Add && m_pendingOperator <= Pending::Divide; }

    ProgramState &m_state;
    SettingsStore &m_settings;
    Speaker &m_speaker;
    RecordStore &m_records;
    CalculatorHost &m_host;
    CountformView m_view;

    bool m_startNewNumber = false;
    bool m_pointEntered = false;
    Pending m_pendingOperator = Pending::None;
    double m_accumulator = 0;
    double m_operand = 0;
    std::int16_t m_readOutPosition = 0;
    bool m_errorLock = false;
    // MR showed the memory as the operand of the waiting operator: the next
    // operator applies it although no digit was typed.
    bool m_operandRecalled = false;
    // The word the check-character warning speaks at the next Timer3 tick.
    int m_warningWord = 0;
    // The result read out as a number or as money: the words left (nothing
    // while it is read digit by digit, or before its first tick).
    std::optional<QList<int>> m_readOutWords;
    // The words left of reading back the record just stored.
    QList<int> m_readBack;
    // The display shows another window's text that is no number: that text.
    QString m_externalMessage;
    bool displayIsMessage() const { return !m_externalMessage.isNull() && m_view.display == m_externalMessage; }
    std::function<void()> m_changed;
    int m_changeDepth = 0;
};

// Evaluation text of an expression display: line breaks dropped, "×" as "*" and
// "÷" as "/".
QString evaluationText(QStringView expression);

// The 18-character identity number for a 15-character old one: "19" put before
// the two-digit birth year, and the ISO 7064 MOD 11-2 check character appended.
QString IDCode(const QString &sCode15);

} // namespace numbelle
