// SPDX-License-Identifier: GPL-3.0-or-later
#include "identitynumber.h"

namespace numbelle {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

std::optional<QChar> identityCheckCharacter(QStringView body)
{
    // The weight of position p (1 to 17) is 2 to the power 18 - p, modulo 11.
    static constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    if (body.size() < 17)
        return std::nullopt;
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        if (!isDigit(body[i]))
            return std::nullopt;
        sum += (body[i].unicode() - u'0') * kWeights[i];
    }
    // The remainders 0, 1, 2 give "1", "0", "X"; 3 to 10 give the digit 12 - r.
    static constexpr char16_t kCheck[11] = {u'1', u'0', u'X', u'9', u'8', u'7', u'6', u'5', u'4', u'3', u'2'};
    return QChar(kCheck[sum % 11]);
}

bool looksLikeIdentityNumber(QStringView text)
{
    if (text.size() != 18)
        return false;
    for (int i = 0; i < 17; ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return isDigit(text[17]) || text[17] == u'X' || text[17] == u'x';
}

bool hasWrongCheckCharacter(QStringView text)
{
    if (!looksLikeIdentityNumber(text))
        return false;
    return identityCheckCharacter(text) != text[17].toUpper();
}

} // namespace numbelle
