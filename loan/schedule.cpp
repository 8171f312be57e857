// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule.h"

#include "common/numtext.h"

#include <cfloat>
#include <cmath>

namespace numbelle::loan {

namespace {

constexpr char16_t kPrincipalTitle[] = u"等额本金还款明细表";
constexpr char16_t kInstalmentTitle[] = u"等额本息还款明细表";
constexpr char16_t kPrincipalInterestName[] = u"等额本金还款利息合计";
constexpr char16_t kInstalmentInterestName[] = u"等额本息还款利息合计";
constexpr char16_t kPrincipalNoTerm[] = u"请输入还款期限";
constexpr char16_t kPrincipalNoRate[] = u"请输入利率";
constexpr char16_t kInstalmentNoTerm[] = u"请输入还款年限";
constexpr char16_t kInstalmentNoRate[] = u"请输入年利率";
constexpr char16_t kTooManyPeriods[] = u"还款期数不能超过32765期，请缩短还款期限";
constexpr char16_t kOutOfRange[] = u"贷款总额或利率超出可计算的范围";
constexpr char16_t kTotalsName[] = u"合计";

QString text(const char16_t *s) { return QString::fromUtf16(s); }

// A double stored in a single-precision variable. A value beyond the range of
// a float becomes an infinity of its sign (which the checks then refuse).
float single(double value)
{
    if (std::isfinite(value) && std::fabs(value) > double(FLT_MAX))
        return value < 0 ? -INFINITY : INFINITY;
    return float(value);
}

// The single-precision interest total after one more addition: added in
// double precision, stored as single precision.
void addSingle(float &total, double value) { total = single(double(total) + value); }

// The number of monthly periods of a term: the term (in years: times 12)
// rounded to the nearest whole number, halves to the even neighbour.
double periodsOf(double term, bool annual) { return std::nearbyint(annual ? term * 12 : term); }

// The checks both methods make after their own: a term of no period is as
// good as none, a term beyond the grid's reach is refused, and numbers
// outside what can be computed are refused. Empty when the inputs pass.
QString periodCheck(double periods, const QString &noTerm)
{
    if (!(periods >= 1))
        return noTerm;
    if (periods > kMaxPeriods)
        return text(kTooManyPeriods);
    return QString();
}

struct Totals {
    float interest = 0;
    double principal = 0;
    double payment = 0;

    bool finite() const { return std::isfinite(interest) && std::isfinite(principal) && std::isfinite(payment); }
};

// Notes whether every figure of a schedule stays within the range of a
// number: inputs that pass the checks can still make an interest, a payment
// or a single-precision total overflow (3.4e38 yuan at 1000 per mille), and
// such a schedule is refused rather than shown with "Infinity" in it.
class RangeWatch {
public:
    double operator()(double value)
    {
        m_finite = m_finite && std::isfinite(value);
        return value;
    }
    bool finite() const { return m_finite; }

private:
    bool m_finite = true;
};

void appendTotals(Schedule &s, double outstanding, const Totals &t)
{
    s.cells.push_back(text(kTotalsName));
    s.cells.push_back(fixed2Text(outstanding));
    s.cells.push_back(generalTextSingle(t.interest));
    s.cells.push_back(fixed2Text(t.principal));
    s.cells.push_back(fixed2Text(t.payment));
    s.interestTotal = generalTextSingle(t.interest);
}

Outcome equalPrincipal(const Inputs &in)
{
    Outcome out;
    out.title = text(kPrincipalTitle);
    out.interestName = text(kPrincipalInterestName);
    if (in.term.isEmpty()) {
        out.message = text(kPrincipalNoTerm);
        return out;
    }
    const double rate = leadingNumber(in.rate);
    if (rate == 0) {
        out.message = text(kPrincipalNoRate);
        return out;
    }
    const double periods = periodsOf(leadingNumber(in.term), in.annual);
    out.message = periodCheck(periods, text(kPrincipalNoTerm));
    if (!out.message.isEmpty())
        return out;
    const double floating = leadingNumber(in.floating);
    const float monthlyRate = single(in.annual ? rate * (1 + floating / 100) / 1.2 : rate * (1 + floating / 100));
    const double amount = leadingNumber(in.amount);
    if (!std::isfinite(amount) || !std::isfinite(monthlyRate)) {
        out.message = text(kOutOfRange);
        return out;
    }

    Schedule s;
    s.title = *out.title;
    s.interestName = *out.interestName;
    s.periodCount = std::int16_t(periods);
    const int n = s.periodCount;
    s.cells.reserve(size_t(n + 1) * kColumns);

    // Every period repays the same part of the amount; the row shows it to the
    // cent and the totals add what the rows show.
    const double principalPart = amount / n;
    const QString principalText = fixed2Text(principalPart);
    const double principalShown = leadingNumber(principalText);
    double outstanding = amount;
    Totals totals;
    RangeWatch inRange;
    for (int i = 1; i <= n && inRange.finite(); ++i) {
        const QString interestText = fixed2Text(inRange(double(monthlyRate) * outstanding / 1000));
        const double interestShown = leadingNumber(interestText);
        const QString paymentText = fixed2Text(inRange(interestShown + principalShown));
        s.cells.push_back(QString::number(i));
        s.cells.push_back(fixed2Text(outstanding));
        s.cells.push_back(interestText);
        s.cells.push_back(principalText);
        s.cells.push_back(paymentText);
        outstanding -= principalPart;
        totals.payment += leadingNumber(paymentText);
        totals.principal += principalShown;
        addSingle(totals.interest, interestShown);
    }
    if (!inRange.finite() || !totals.finite()) {
        out.message = text(kOutOfRange);
        return out;
    }
    appendTotals(s, outstanding, totals);
    out.schedule = std::move(s);
    return out;
}

Outcome equalInstalment(const Inputs &in)
{
    Outcome out;
    const double rate = leadingNumber(in.rate);
    const double floating = leadingNumber(in.floating);
    const float effectiveRate = single(rate * (1 + floating / 100));
    if (in.term.isEmpty()) {
        out.message = text(kInstalmentNoTerm);
        return out;
    }
    if (rate == 0) {
        out.message = text(kInstalmentNoRate);
        return out;
    }
    const double term = leadingNumber(in.term);
    const double periods = periodsOf(term, in.annual);
    out.message = periodCheck(periods, text(kInstalmentNoTerm));
    if (!out.message.isEmpty())
        return out;

    // The instalment from the unrounded term. A rate floated down to zero
    // leaves a loan without interest, paid back in equal parts.
    const double amount = leadingNumber(in.amount);
    const double divisor = in.annual ? 1200 : 1000;
    const double r = double(effectiveRate) / divisor;
    const double n = in.annual ? term * 12 : term;
    double exact = 0;
    if (effectiveRate == 0) {
        exact = amount / n;
    } else {
        const double growth = std::pow(1 + r, n);
        exact = growth * (double(effectiveRate) * amount / divisor) / (growth - 1);
    }
    const float instalment = single(roundHalfEven(exact, 2));
    const float monthlyRate = in.annual ? single(double(effectiveRate) / 1.2) : effectiveRate;
    if (!std::isfinite(amount) || !std::isfinite(instalment) || !std::isfinite(monthlyRate)) {
        out.message = text(kOutOfRange);
        return out;
    }
    Schedule s;
    s.title = text(kInstalmentTitle);
    s.interestName = text(kInstalmentInterestName);
    s.periodCount = std::int16_t(periods);
    const int count = s.periodCount;
    s.cells.reserve(size_t(count + 1) * kColumns);

    const QString instalmentText = generalTextSingle(instalment);
    double outstanding = amount;
    Totals totals;
    RangeWatch inRange;
    for (int i = 1; i <= count && inRange.finite(); ++i) {
        const double interest = inRange(double(monthlyRate) * outstanding / 1000);
        const QString interestText = fixed2Text(interest);
        const QString principalText = fixed2Text(inRange(double(instalment) - interest));
        s.cells.push_back(QString::number(i));
        s.cells.push_back(fixed2Text(outstanding));
        s.cells.push_back(interestText);
        s.cells.push_back(principalText);
        s.cells.push_back(instalmentText);
        // The outstanding principal is kept to the cent after every period.
        outstanding = leadingNumber(fixed2Text(inRange(outstanding - double(instalment) + interest)));
        totals.payment += double(instalment);
        totals.principal += leadingNumber(principalText);
        addSingle(totals.interest, leadingNumber(interestText));
    }
    if (!inRange.finite() || !totals.finite()) {
        out.message = text(kOutOfRange);
        return out;
    }
    out.title = s.title;
    out.interestName = s.interestName;
    appendTotals(s, outstanding, totals);
    out.schedule = std::move(s);
    return out;
}

} // namespace

Outcome computeSchedule(Method method, const Inputs &inputs)
{
    return method == Method::EqualPrincipal ? equalPrincipal(inputs) : equalInstalment(inputs);
}

const QString &headerText(int column)
{
    static const QString headers[kColumns] = {QStringLiteral(" 期数"), QStringLiteral("未偿还本金"),
                                              QStringLiteral(" 偿还利息"), QStringLiteral(" 偿还本金"),
                                              QStringLiteral(" 本息合计")};
    return headers[column];
}

} // namespace numbelle::loan
