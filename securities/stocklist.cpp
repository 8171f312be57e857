#include "stocklist.h"

#include "common/fileio.h"

#include "common/textfile.h"

#include <QFile>

namespace numbelle {

namespace {

// The length of the codes the window looks up.
constexpr qsizetype kCodeLength = 6;

} // namespace

StockList StockList::fromBytes(const QByteArray &bytes)
{
    StockList list;
    const QString text = fromGbk(bytes);
    ListReader reader(text);
    while (!reader.atEnd()) {
        StockRecord record;
        reader.readText(record.code);
        if (!reader.readText(record.name))
            record.name.clear();
        if (!record.code.isEmpty())
            list.m_records.append(std::move(record));
    }
    return list;
}

StockList StockList::load(const QString &path)
{
    // Only a regular file, and no more than any list of securities could
    // hold: a FIFO or a huge file in its place must not hold the window up.
    constexpr qint64 kLimit = 64 * 1024 * 1024;
    const auto bytes = fileio::readFile(path, kLimit);
    return bytes ? fromBytes(*bytes) : StockList{};
}

std::optional<QString> StockList::lookup(QStringView code) const
{
    if (code.size() != kCodeLength)
        return std::nullopt;
    for (const StockRecord &record : m_records) {
        if (record.code == code)
            return record.name;
    }
    return std::nullopt;
}

} // namespace numbelle
