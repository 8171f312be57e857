// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the security code list reader. Beyond running under AddressSanitizer
// and UBSan, it checks properties every list read from any bytes must have:
//   - every record has a code, and no code or name holds a line break;
//   - the same bytes give the same records twice;
//   - a line end after the last byte changes nothing;
//   - a six-character code finds the name of its first record, no other length finds anything;
//   - records whose texts are plain GBK without quotes, written back one quoted pair a line,
//     read back as the same records.
#include "common/textfile.h"
#include "securities/stocklist.h"

#include <QHash>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *property, const QByteArray &bytes)
{
    std::fprintf(stderr, "property broken: %s\ninput (%d bytes): %s\n", property, int(bytes.size()),
                 bytes.toHex().constData());
    std::abort();
}

void expect(bool holds, const char *property, const QByteArray &bytes)
{
    if (!holds)
        fail(property, bytes);
}

bool plainGbk(const QString &text)
{
    return !text.contains(u'"') && !text.contains(QChar(0xFFFD)) && numbelle::fromGbk(numbelle::toGbk(text)) == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using numbelle::StockList;
    using numbelle::StockRecord;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const StockList list = StockList::fromBytes(bytes);
    const QList<StockRecord> &records = list.records();

    for (const StockRecord &r : records) {
        expect(!r.code.isEmpty(), "every record has a code", bytes);
        for (const QString *text : {&r.code, &r.name})
            expect(!text->contains(u'\r') && !text->contains(u'\n'), "no code or name holds a line break", bytes);
    }

    expect(StockList::fromBytes(bytes).records() == records, "the same bytes give the same records", bytes);
    expect(StockList::fromBytes(bytes + "\r\n").records() == records, "a line end after the last byte changes nothing",
           bytes);

    QHash<QString, QString> first;
    for (const StockRecord &r : records) {
        if (!first.contains(r.code))
            first.insert(r.code, r.name);
    }
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        const auto found = list.lookup(it.key());
        if (it.key().size() == 6)
            expect(found == it.value(), "a six-character code finds the name of its first record", bytes);
        else
            expect(!found, "only six-character codes are looked up", bytes);
    }

    bool plain = true;
    QByteArray written;
    for (const StockRecord &r : records) {
        plain = plain && plainGbk(r.code) && plainGbk(r.name);
        written += numbelle::toGbk(u'"' + r.code + QStringLiteral("\",\"") + r.name + QStringLiteral("\"\r\n"));
    }
    if (plain)
        expect(StockList::fromBytes(written).records() == records, "quoted records read back unchanged", bytes);
    return 0;
}
