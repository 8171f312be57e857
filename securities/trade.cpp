// SPDX-License-Identifier: GPL-3.0-or-later
#include "trade.h"

#include "common/typedkeys.h"

#include "common/numtext.h"

#include <cmath>

namespace numbelle {

namespace {

constexpr char16_t kBuyPriceZero[] = u"买入价不能为零！";
constexpr char16_t kRatesTooHigh[] = u"印花税率与手续费率之和必须小于1000‰！";
constexpr char16_t kTooLarge[] = u"数值太大，无法计算！";

// The minimum commission of a trade in a code beginning with "6".
constexpr double kMinimumCommission = 6.0;

// V(): the leading number of a box's text, 0 for an empty box.
double V(QStringView text) { return leadingNumber(text); }

// D(): the full conversion of a result box's text. The boxes it reads hold a
// number written by this computation, so it reads the same as V().
double D(QStringView text) { return leadingNumber(text); }

double R2(double value) { return roundHalfEven(value, 2); }
double R3(double value) { return roundHalfEven(value, 3); }

// Writes values as box texts and remembers whether any of them was beyond the
// range of a double, which no box may show.
class BoxWriter {
public:
    QString operator()(double value)
    {
        if (!std::isfinite(value))
            m_finite = false;
        return generalText(value);
    }
    bool finite() const { return m_finite; }

private:
    bool m_finite = true;
};

bool between0And1(double value) { return value > 0 && value < 1; }
bool betweenMinus1And0(double value) { return value > -1 && value < 0; }

// The leading zero the general text leaves out of a value between 0 and 1.
void repairPositive(QString &box)
{
    if (between0And1(V(box)))
        box.prepend(u'0');
}

// The same for the profit, which may also lie between -1 and 0.
void repairSigned(QString &box)
{
    const double value = V(box);
    if (between0And1(value))
        box.prepend(u'0');
    else if (betweenMinus1And0(value))
        box = QStringLiteral("-0") + generalText(std::fabs(value));
}

} // namespace

TradeResult computeTrade(TradeComputation computation, const TradeInput &input)
{
    TradeResult r;
    const bool byEnter = computation == TradeComputation::ByEnter;

    // The break-even price divides by 1 - s - c: rates that reach 1000 per mille
    // together leave nothing to divide by.
    const double stampPerMille = V(input.stampRate);
    const double commissionPerMille = V(input.commissionRate);
    const double s = stampPerMille / 1000;
    const double c = commissionPerMille / 1000;
    if (!(stampPerMille + commissionPerMille < 1000) || !(1 - s - c > 0)) {
        r.refusal = QString::fromUtf16(kRatesTooHigh);
        r.focus = TradeBox::CommissionRate;
        return r;
    }

    const double volume = V(input.volume);
    const double buyPrice = V(input.buyPrice);
    const double sellPrice = V(input.sellPrice);
    BoxWriter show;

    // A code beginning with "6" pays at least 6 yuan on each side; the button's
    // computation does not apply it.
    const bool minimum = byEnter && input.code.startsWith(u'6');
    auto raise = [&](QString &box) {
        const double commission = V(box);
        if (minimum && commission > 0 && commission < kMinimumCommission)
            box = show(kMinimumCommission);
    };

    // Both computations write the same formulas; the one Enter runs writes the
    // sell side after the totals, so its raised sell commission never reaches the
    // total proceeds (which come from the rates anyway), while its raised buy
    // commission is in the total invested.
    r.amount = show(volume * buyPrice);
    r.buyCommission = show(R2(commissionPerMille * V(r.amount) / 1000));
    raise(r.buyCommission);
    r.buyStamp = QStringLiteral("0");
    r.sellCommission = show(R2(volume * sellPrice * commissionPerMille / 1000));
    raise(r.sellCommission);
    r.sellStamp = show(R2(volume * sellPrice * stampPerMille / 1000));
    r.invested = show(R2(V(r.buyCommission) + V(r.amount) + V(r.buyStamp)));
    r.proceeds = show(R2((1 - s - c) * (volume * sellPrice)));
    r.profit = show(R2(D(r.proceeds) - D(r.invested)));
    // The stamp duty rate counts on the buy side too, although no buy stamp
    // duty is charged.
    r.breakEven = show(R3((1 + s + c) * buyPrice / (1 - s - c)));
    const double invested = V(r.invested);
    double rate = 0;
    if (invested != 0) {
        rate = R2(V(r.profit) / invested * 100);
        r.profitRate = show(rate) + u'%';
    }
    if (!show.finite()) {
        r = TradeResult{};
        r.refusal = QString::fromUtf16(kTooLarge);
        return r;
    }

    // The general text leaves out the zero before the point; it is put back
    // where the program shows it.
    if (!byEnter) {
        repairPositive(r.buyCommission);
        repairPositive(r.sellCommission);
    }
    repairPositive(r.buyStamp);
    repairPositive(r.sellStamp);
    repairSigned(r.profit);

    if (byEnter && buyPrice == 0) {
        // Nothing bought: the focus stays in the rate box, no colour.
        return r;
    }
    if (invested == 0) {
        r.focus = TradeBox::Code;
        return r;
    }
    if (between0And1(rate))
        r.profitRate->prepend(u'0');
    else if (betweenMinus1And0(rate))
        r.profitRate = QStringLiteral("-0") + generalText(std::fabs(rate)) + u'%';
    r.focus = TradeBox::Code;
    r.colour = profitColour(r.profit);
    return r;
}

ProfitColour profitColour(QStringView profitText)
{
    return V(profitText) >= 0 ? ProfitColour::Blue : ProfitColour::Red;
}

BoxKeyOutcome inputBoxKey(TradeBox box, QStringView boxText, char16_t character)
{
    BoxKeyOutcome out;
    const bool enter = character == typed::Enter;
    const bool digit = character >= u'0' && character <= u'9';
    const bool numberKey = digit || character == u'.' || character == typed::Backspace;

    if (enter) {
        // Enter is never put into a box: it moves on, or computes.
        switch (box) {
        case TradeBox::Code:
            out.focus = TradeBox::BuyPrice;
            break;
        case TradeBox::BuyPrice:
            if (V(boxText) == 0)
                out.message = QString::fromUtf16(kBuyPriceZero);
            else
                out.focus = TradeBox::SellPrice;
            break;
        case TradeBox::SellPrice:
            out.focus = TradeBox::Volume;
            break;
        case TradeBox::Volume:
            out.focus = TradeBox::StampRate;
            break;
        case TradeBox::StampRate:
            out.focus = TradeBox::CommissionRate;
            break;
        case TradeBox::CommissionRate:
            out.compute = true;
            break;
        case TradeBox::None:
            break;
        }
        return out;
    }

    if (box == TradeBox::CommissionRate)
        out.colourByProfit = true;
    if (box == TradeBox::Code) {
        // A code takes digits up to its seventh character; the point and
        // Backspace always.
        out.accepted = (digit && boxText.size() < 7) || character == u'.' || character == typed::Backspace;
    } else {
        out.accepted = box != TradeBox::None && numberKey;
    }
    return out;
}

std::optional<int> tradeKeySpeechCode(char16_t character)
{
    if (character == u'z' || character == typed::Escape)
        return 0;
    if (character >= u'0' && character <= u'9')
        return int(character - u'0');
    if (character == u'.')
        return 13;
    return std::nullopt;
}

} // namespace numbelle
