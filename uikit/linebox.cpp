// SPDX-License-Identifier: GPL-3.0-or-later
#include "linebox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace numbelle::ui {

namespace {

const QColor kMarkedText(0xFF, 0xFF, 0x00);
const QColor kMarkedBase(0x00, 0x00, 0xFF);

// Paints a line in the box's own colours: its model colour where it has one,
// the marked colours for every line once the box is marked, and a selected
// line in the model's colour on the selection's background.
class LineDelegate final : public QStyledItemDelegate {
public:
    explicit LineDelegate(LineBox *box) : QStyledItemDelegate(box), m_box(box) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant own = index.data(Qt::ForegroundRole);
        QColor text = m_box->isMarked() ? kMarkedText
                      : own.isValid()   ? own.value<QColor>()
                                        : m_box->palette().color(QPalette::Text);
        option->palette.setColor(QPalette::Text, text);
        if (m_box->isMarked() || own.isValid()) {
            // The selection keeps the line's own colour (a red line stays red).
            option->palette.setColor(QPalette::HighlightedText, text);
        }
    }

private:
    LineBox *m_box;
};

} // namespace

LineBox::LineBox(QWidget *parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new LineDelegate(this));
}

QString LineBox::text() const
{
    QString all;
    if (!model())
        return all;
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        all += index.data(Qt::DisplayRole).toString() + index.data(LineEndRole).toString();
    }
    return all;
}

QString LineBox::selectedText() const
{
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return QString();
    if (rows.size() == 1)
        return rows.first().data(Qt::DisplayRole).toString();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex &index : rows)
        text += index.data(Qt::DisplayRole).toString() + index.data(LineEndRole).toString();
    return text;
}

bool LineBox::hasSelection() const { return selectionModel() && selectionModel()->hasSelection(); }

void LineBox::selectLine(int line)
{
    if (!model() || line < 0 || line >= model()->rowCount())
        return;
    const QModelIndex index = model()->index(line, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    horizontalScrollBar()->setValue(0);
}

int LineBox::currentLine() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void LineBox::setMarked(bool marked)
{
    m_marked = marked;
    QPalette colours = palette();
    colours.setColor(QPalette::Base, marked ? kMarkedBase : Qt::white);
    // The selection is drawn yellow on blue too, whether the box has the
    // focus or not.
    if (marked) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            colours.setColor(group, QPalette::Highlight, kMarkedBase);
    }
    setPalette(colours);
    viewport()->update();
}

QColor LineBox::selectedTextColour() const
{
    if (m_marked)
        return kMarkedText;
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (!rows.isEmpty()) {
        const QVariant own = std::min_element(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) {
                                 return a.row() < b.row();
                             })->data(Qt::ForegroundRole);
        if (own.isValid())
            return own.value<QColor>();
    }
    return palette().color(QPalette::Text);
}

void LineBox::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copyToClipboard();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void LineBox::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        emit lineClicked(index.isValid() ? index.row() : -1);
    }
}

void LineBox::copyToClipboard() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

} // namespace numbelle::ui
