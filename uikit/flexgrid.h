// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A grid of texts with one fixed header row and one fixed header column, as the
// program's schedule grid shows: a table view over a model that gives the text
// at each row and column of the whole grid (row 0 and column 0 being the fixed
// ones). Only the rows in sight are ever drawn, so a grid of tens of thousands
// of rows shows at once and scrolls smoothly. Column widths are set in twips.

#include <QAbstractTableModel>
#include <QTableView>
#include <vector>

namespace numbelle::ui {

// The texts of a grid, by grid row and column (both from 0, the fixed ones
// included). The table model's cells are the grid without its fixed row and
// column, which are the view's headers.
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    virtual int gridRows() const = 0;
    virtual int gridColumns() const = 0;
    virtual QString textMatrix(int row, int column) const = 0;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Tells the views that every text may have changed, the row count too.
    void gridReset();
};

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    void setGridModel(FlexGridModel *model);
    FlexGridModel *gridModel() const { return m_model; }

    // The width of a grid column in twips (column 0 is the fixed column).
    void setColWidth(int column, int twips);
    int colWidth(int column) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyWidths();

    FlexGridModel *m_model = nullptr;
    std::vector<int> m_widths;
};

} // namespace numbelle::ui
