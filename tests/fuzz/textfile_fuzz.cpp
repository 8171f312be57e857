// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for GBK files and the list-input reader. Properties:
//   - decoding never fails, and encoding what was decoded and decoding again
//     gives the same text (nothing read is changed by writing it back);
//   - the list reader always comes to the end of the text, each item taking
//     at least one character.
#include "common/textfile.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = fromGbk(bytes);
    const QString again = fromGbk(toGbk(text));
    // A character that could not be decoded is written back as "?".
    QString expected = text;
    expected.replace(QChar(0xFFFD), u'?');
    FUZZ_EXPECT(again == expected, "encoding what was decoded reads back the same");
    (void)fromGbkEscaped(bytes);

    ListReader reader(text);
    std::size_t items = 0;
    const std::size_t limit = std::size_t(text.size()) + 2;
    while (!reader.atEnd()) {
        QString item;
        double number = 0;
        if ((items & 1) == 0)
            reader.readNumber(number);
        else
            reader.readText(item);
        FUZZ_EXPECT(++items <= limit, "the list reader comes to the end");
    }
    return 0;
}
