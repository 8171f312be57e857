// SPDX-License-Identifier: GPL-3.0-or-later
// The income tax key: the tax on the income on the display, for the category
// chosen in the settings, shown and read out like any other result.

#include "calculator.h"

#include "common/numtext.h"
#include "engine/calculatortext.h"
#include "speech/speaker.h"
#include "tax/incometax.h"

#include <cmath>

namespace numbelle {

using namespace calc;

namespace {

// A tax below 1 keeps all its digits, a "0" before the point and one more "0"
// after them (0.5 -> "0.50", 0.45 -> "0.450"). A value so small that its
// general text would take the exponent form is written in fixed point, so the
// display never reads as a different number.
QString smallTaxText(double tax)
{
    QString digits = generalText(tax);
    if (digits.contains(u'E'))
        digits = resultPatternText(tax);
    return u'0' + digits + u'0';
}

} // namespace

void Calculator::incomeTax()
{
    const ChangeScope change(*this);
    // A read-out still running stops; the new one starts at its first
    // character, whether the key or the button asked.
    stopTimer1();
    m_readOutPosition = 0;

    const TaxCategory category = m_settings.values().taxCategory;
    double income = 0;
    if (category == TaxCategory::YearEndBonus)
        income = displayValue();
    else if (m_state.calcMode == ModeExpression && m_pendingOperator == Pending::ResultShown)
        income = m_state.lastResult;
    else
        income = displayValue();

    if (const auto name = tax::categoryName(category)) {
        showMessage(*name);
        if (!std::isfinite(income)) {
            showError(kOverflowText);
            return;
        }
        // The income as its text would read back (15 digits).
        if (category != TaxCategory::YearEndBonus)
            income = viaText(income);
        const tax::Deductions deductions{double(m_settings.values().salaryDeduction),
                                         double(m_settings.values().labourDeduction)};
        const tax::Assessment a = *tax::assess(category, income, deductions);
        if (!std::isfinite(a.taxableAmount) || !std::isfinite(a.taxAmount)) {
            showError(kOverflowText);
            return;
        }
        m_state.taxableAmount = a.taxableAmount;
        m_state.taxAmount = a.taxAmount;
    }
    // Any other category computes nothing: the previous tax is shown again.

    double &taxAmount = m_state.taxAmount;
    if (taxAmount >= 1)
        m_view.display = generalText(roundHalfEven(taxAmount, 2));
    else if (taxAmount > 0)
        m_view.display = smallTaxText(taxAmount);
    else
        taxAmount = 0; // below the deduction: no tax, the income stays on the display

    m_state.lastResult = taxAmount;
    startReadOut();
    m_pendingOperator = Pending::ResultShown;
    // The next number is typed afresh, with a point of its own.
    m_pointEntered = false;
    speak(SpeakTax);
    m_host.focusEquals();
}

} // namespace numbelle
