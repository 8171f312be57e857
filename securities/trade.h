// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The securities trade calculator as plain logic: the two computations of the
// securities window (the button's and the one Enter in the commission rate box
// runs), the key rules of its input boxes and the words its keys speak. It works
// on the boxes' texts exactly as the window holds them, so every value a step
// reads is the number its box shows; the window only hands the texts in and puts
// the result's texts, focus and colour back. No widgets here.

#include <QString>
#include <QStringView>

#include <optional>

namespace numbelle {

// The input boxes of the window, as typed. Rates are per mille.
struct TradeInput {
    QString code;           // Text1 证券代码
    QString buyPrice;       // Text2 买入价
    QString sellPrice;      // Text3 卖出价
    QString volume;         // Text4 成交量(股)
    QString stampRate;      // Text6 印花税率
    QString commissionRate; // Text7 手续费率
};

enum class TradeComputation {
    ByButton, // Command1 (计算, Alt+G)
    ByEnter,  // Enter in Text7: a code beginning with "6" pays at least 6 yuan commission
};

// The input boxes a key or a computation sends the focus to (its text selected).
enum class TradeBox {
    None = 0, // the focus stays where it is
    Code = 1,
    BuyPrice = 2,
    SellPrice = 3,
    Volume = 4,
    StampRate = 6,
    CommissionRate = 7,
};

// The text colour of the profit and profit rate boxes.
enum class ProfitColour {
    Unchanged,
    Blue, // a profit of 0 or more
    Red,  // a loss
};

struct TradeResult {
    // A computation that is refused shows this message and changes no box.
    QString refusal;

    QString amount;         // Text8 证券交易金额
    QString buyCommission;  // Text9 手续费(买入)
    QString buyStamp;       // Text10 印花税(买入)
    QString sellCommission; // Text16 手续费(卖出)
    QString sellStamp;      // Text17 印花税(卖出)
    QString invested;       // Text11 投入资金合计
    QString proceeds;       // Text15 回收资金合计
    QString profit;         // Text13 利润
    QString breakEven;      // Text12 保本价
    // Text14 利润率; nothing when the total invested is 0 (the box keeps its text).
    std::optional<QString> profitRate;

    TradeBox focus = TradeBox::None;
    ProfitColour colour = ProfitColour::Unchanged;

    bool refused() const { return !refusal.isEmpty(); }
};

TradeResult computeTrade(TradeComputation computation, const TradeInput &input);

// The colour the profit box's text gives the profit boxes: blue for 0 or more.
ProfitColour profitColour(QStringView profitText);

// What one typed character (Enter as '\r', Backspace as '\b', Esc as 27) does in
// an input box, after the window's key preview has spoken it.
struct BoxKeyOutcome {
    bool accepted = false;           // the character goes into the box; otherwise it is swallowed
    TradeBox focus = TradeBox::None; // the focus moves to this box, its text selected
    QString message;                 // a message box, shown first
    bool compute = false;            // computation B runs (Enter in Text7)
    bool colourByProfit = false;     // the profit boxes are coloured by the profit (Text7, other keys)
};

BoxKeyOutcome inputBoxKey(TradeBox box, QStringView boxText, char16_t character);

// The word the window's key preview speaks for a typed character: 0 for "z" or
// Esc, the digit for 0-9, 13 for ".". Nothing for any other key.
std::optional<int> tradeKeySpeechCode(char16_t character);

} // namespace numbelle
