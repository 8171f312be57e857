// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for amounts in capital numerals. Properties:
//   - any text converts without fault, to a non-empty text unless no digit
//     that is written (the integer digits and two decimals) is 1 to 9, as for
//     an amount below one fen;
//   - the text is made only of the capital digits, the units and the words
//     the caller gave;
//   - a whole number of at most 16 digits ends in 元整.
#include "capitals/capitalamount.h"
#include "common/numtext.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString yuan = QStringLiteral("元"), jiao = QStringLiteral("角"), fen = QStringLiteral("分");
    const QString result = CapitalAmount(text, yuan, jiao, fen);
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(u'.');
    const QString written = point < 0 ? trimmed : trimmed.left(point) + trimmed.mid(point + 1, 2);
    bool anyDigit = false;
    for (QChar c : written)
        anyDigit = anyDigit || (c >= u'1' && c <= u'9');
    FUZZ_EXPECT(!result.isEmpty() || (leadingNumber(trimmed) > 0 && !anyDigit),
                "a capitals text is empty only when no written digit counts");
    static const QString allowed = QStringLiteral("零壹贰叁肆伍陆柒捌玖拾佰仟万亿yu元角分整");
    for (QChar c : result)
        FUZZ_EXPECT(allowed.contains(c), "only capital digits and units");
    bool whole = size >= 2 && size <= 16 && data[0] >= '1' && data[0] <= '9';
    for (std::size_t i = 0; whole && i < size; ++i)
        whole = data[i] >= '0' && data[i] <= '9';
    if (whole)
        FUZZ_EXPECT(result.endsWith(QStringLiteral("元整")), "a whole number ends in 元整");
    return 0;
}
