// SPDX-License-Identifier: GPL-3.0-or-later
#include "stocklist.h"

#include "common/fileio.h"

#include "common/textfile.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace numbelle {

namespace {

// The length of the codes the window looks up.
constexpr qsizetype kCodeLength = 6;

} // namespace

StockList StockList::fromBytes(const QByteArray &bytes)
{
    // A list saved by an editor that marks its files as UTF-8 starts with the
    // mark's three bytes, which are no part of the first code.
    static const QByteArray kUtf8Mark("\xEF\xBB\xBF");
    const QString text = fromGbk(bytes.startsWith(kUtf8Mark) ? bytes.mid(kUtf8Mark.size()) : bytes);

    StockList list;
    const auto add = [&list](QString code, QString name) {
        if (!code.isEmpty())
            list.m_records.append(StockRecord{std::move(code), std::move(name)});
    };
    // Items pair up into records across line ends, so a code and its name may
    // stand on lines of their own. A code still waiting for its name when a
    // line holds a pair of its own lost its name to damage (a missing name, a
    // third column, a quote left open): it gets an empty name and the reading
    // starts afresh with that line, so the damage costs that record only.
    std::optional<QString> waiting;
    QList<QString> items;
    QStringView rest(text);
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != u'\r' && rest[end] != u'\n')
            ++end;
        const QStringView line = rest.first(end);
        if (end < rest.size() && rest[end] == u'\r' && end + 1 < rest.size() && rest[end + 1] == u'\n')
            ++end;
        rest = rest.sliced(std::min(end + 1, rest.size()));

        items.clear();
        ListReader reader(line);
        while (!reader.atEnd()) {
            QString item;
            reader.readText(item);
            items.append(std::move(item));
        }
        qsizetype next = 0;
        if (waiting && items.size() == 1) {
            add(*std::exchange(waiting, std::nullopt), std::move(items[0]));
            next = 1;
        } else if (waiting && items.size() > 1) {
            add(*std::exchange(waiting, std::nullopt), QString());
        }
        for (; next + 1 < items.size(); next += 2)
            add(std::move(items[next]), std::move(items[next + 1]));
        if (next < items.size())
            waiting = std::move(items[next]);
    }
    if (waiting)
        add(std::move(*waiting), QString());
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
