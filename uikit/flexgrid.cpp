// SPDX-License-Identifier: GPL-3.0-or-later
#include "flexgrid.h"

#include "common/numtext.h"
#include "uikit/widgets.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <cmath>

namespace numbelle::ui {

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(0, gridRows() - 1);
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(0, gridColumns() - 1);
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return textMatrix(index.row() + 1, index.column() + 1);
    if (role == Qt::TextAlignmentRole) {
        // As a grid aligns by content: numbers to the right, texts to the left.
        const bool number = wholeNumber(textMatrix(index.row() + 1, index.column() + 1)).has_value();
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? textMatrix(0, section + 1) : textMatrix(section + 1, 0);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | Qt::AlignLeft);
    return {};
}

void FlexGridModel::gridReset()
{
    beginResetModel();
    endResetModel();
}

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAutoScroll(false);

    // Every row is as high as the others and no section is sized from its
    // contents: the view never has to look at rows out of sight.
    const int rowHeight = fontMetrics().height() + 4;
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(0);
        header->setHighlightSections(false);
        header->setDefaultAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        header->setDefaultSectionSize(rowHeight);
    }
    horizontalHeader()->setFixedHeight(rowHeight);

    // The corner is the fixed cell of row 0, column 0: it shows that text.
    if (auto *corner = findChild<QAbstractButton *>())
        corner->installEventFilter(this);
}

void FlexGrid::setGridModel(FlexGridModel *model)
{
    m_model = model;
    setModel(model);
    applyWidths();
    if (model)
        connect(model, &QAbstractItemModel::modelReset, this, [this] { applyWidths(); });
}

void FlexGrid::setColWidth(int column, int twips)
{
    if (column < 0)
        return;
    if (size_t(column) >= m_widths.size())
        m_widths.resize(size_t(column) + 1, 0);
    m_widths[size_t(column)] = twips;
    applyWidths();
}

int FlexGrid::colWidth(int column) const
{
    return column >= 0 && size_t(column) < m_widths.size() ? m_widths[size_t(column)] : 0;
}

void FlexGrid::applyWidths()
{
    auto px = [](int twips) { return int(std::lround(twips / twipsPerPixel())); };
    for (size_t c = 0; c < m_widths.size(); ++c) {
        if (c == 0)
            verticalHeader()->setFixedWidth(px(m_widths[0]));
        else
            setColumnWidth(int(c) - 1, px(m_widths[c]));
    }
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_model) {
        if (auto *corner = qobject_cast<QAbstractButton *>(watched)) {
            QPainter painter(corner);
            QStyleOptionHeader option;
            option.initFrom(corner);
            // The corner does nothing when clicked, but shows like the other
            // fixed cells, not greyed out.
            option.palette.setCurrentColorGroup(QPalette::Active);
            option.rect = corner->rect();
            option.position = QStyleOptionHeader::OnlyOneSection;
            option.orientation = Qt::Horizontal;
            option.text = m_model->textMatrix(0, 0);
            option.textAlignment = Qt::AlignVCenter | Qt::AlignLeft;
            option.state = QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_Horizontal;
            corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace numbelle::ui
