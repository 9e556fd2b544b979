// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QListView>
#include <QPersistentModelIndex>

// A QListView for one column of rows that all have the height of one of them:
// where a row lies follows from its number. QListView, even told that its items
// have one size, walks every row to lay them out before it paints, which for a
// million rows takes longer than reading them; this view lays out nothing, so a
// shown list costs what a hidden one does. It looks and moves as QListView does
// in its list mode, top to bottom without wrapping, with no hidden rows and no
// spacing or grid, which is all this program asks of a list.
class UniformListView : public QListView
{
    Q_OBJECT

public:
    explicit UniformListView(QWidget *parent = nullptr);

    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    int rowCount() const;
    QSize itemSize() const;
    int rowHeight() const { return itemSize().height(); }
    int itemWidth() const;
    // The rows that fit whole in the viewport, at least one.
    int rowsPerPage() const;
    bool scrollsPerItem() const { return verticalScrollMode() == ScrollPerItem; }
    // The row whose band holds y, a coordinate of the contents; -1 outside them.
    int rowAtContentsY(int y) const;
    QModelIndex rowIndex(int row) const;
    void setHover(const QModelIndex &index);

    mutable QSize m_itemSize;
    QPersistentModelIndex m_hover;
};
