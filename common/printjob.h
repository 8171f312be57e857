// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A print job as plain data: the pages of a document on A4 paper, each a list
// of texts and straight lines placed in mapped units. The printable area of
// the page is mapped to 210 x 297 units (about a millimetre each) with the
// origin 20 units from its left and 25 units from its top edge, so x runs from
// -20 to 190 and y from -25 to 272. A text is placed by the top-left corner of
// its line; its size is in points. The program builds a job and hands it to
// the platform's printer; nothing here knows about any device.

#include <QString>
#include <vector>

namespace numbelle {

struct PrintItem {
    enum class Kind { Page, Text, Line };
    Kind kind = Kind::Page;
    int page = 0;    // Page: its number, from 1
    double x1 = 0;   // Text: left edge; Line: first end
    double y1 = 0;   // Text: top of the line; Line: first end
    double x2 = 0;   // Line: second end
    double y2 = 0;   // Line: second end
    double size = 0; // Text: font size in points
    QString text;    // Text: the text

    bool operator==(const PrintItem &) const = default;
};

struct PrintJob {
    // The mapped area of the page, in the units of the items.
    static constexpr double kLeft = -20;
    static constexpr double kTop = -25;
    static constexpr double kWidth = 210;
    static constexpr double kHeight = 297;

    // The document's name, for the print queue and a suggested file name.
    QString name;
    // Items in printing order; every page starts with its Page item.
    std::vector<PrintItem> items;

    void newPage()
    {
        PrintItem item;
        item.kind = PrintItem::Kind::Page;
        item.page = ++m_pages;
        items.push_back(item);
    }
    void text(double x, double y, double size, const QString &text)
    {
        PrintItem item;
        item.kind = PrintItem::Kind::Text;
        item.page = m_pages;
        item.x1 = x;
        item.y1 = y;
        item.size = size;
        item.text = text;
        items.push_back(item);
    }
    void line(double x1, double y1, double x2, double y2)
    {
        PrintItem item;
        item.kind = PrintItem::Kind::Line;
        item.page = m_pages;
        item.x1 = x1;
        item.y1 = y1;
        item.x2 = x2;
        item.y2 = y2;
        items.push_back(item);
    }

    int pageCount() const { return m_pages; }

private:
    int m_pages = 0;
};

} // namespace numbelle
