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

StockList StockList::load(const QString &path, bool *cut)
{
    // Only a regular file, and no more than a list of securities needs: a
    // FIFO or a huge file in its place must not hold the window up or fill
    // the memory. A longer file is read up to its last line end within the
    // bound.
    auto bytes = fileio::readFile(path, kStockListReadLimit + 1);
    const bool tooLong = bytes && bytes->size() > kStockListReadLimit;
    if (cut)
        *cut = tooLong;
    if (!bytes)
        return StockList{};
    if (tooLong)
        bytes->truncate(bytes->lastIndexOf('\n', kStockListReadLimit - 1) + 1);
    return fromBytes(*bytes);
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
