// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/UniformListView.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

UniformListView::UniformListView(QWidget *parent) : QListView(parent)
{
    setUniformItemSizes(true);
}

int UniformListView::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex UniformListView::rowIndex(int row) const
{
    return model()->index(row, modelColumn(), rootIndex());
}

QSize UniformListView::itemSize() const
{
    // Measured on the last row, as QListView does: a list that grows at its end
    // most likely has its longest item there.
    if (!m_itemSize.isValid() && rowCount() > 0) {
        const QModelIndex sample = rowIndex(rowCount() - 1);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        m_itemSize = itemDelegateForIndex(sample)->sizeHint(option, sample);
    }
    return m_itemSize;
}

int UniformListView::itemWidth() const
{
    // Every row is as wide as the viewport, or as the item where that is wider.
    return std::max(itemSize().width(), viewport()->width());
}

int UniformListView::rowsPerPage() const
{
    const int height = rowHeight();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

int UniformListView::rowAtContentsY(int y) const
{
    const int height = rowHeight();
    if (y < 0 || height <= 0)
        return -1;
    const qint64 row = y / height;
    return row < rowCount() ? int(row) : -1;
}

void UniformListView::doItemsLayout()
{
    // Nothing to place row by row; the size of a row is measured again, since
    // a layout follows every change of the rows, the font or the style.
    m_itemSize = QSize();
    QAbstractItemView::doItemsLayout();
}

int UniformListView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int UniformListView::verticalOffset() const
{
    const int value = verticalScrollBar()->value();
    return scrollsPerItem() ? value * rowHeight() : value;
}

QRect UniformListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != modelColumn())
        return QRect();
    const_cast<UniformListView *>(this)->executeDelayedItemsLayout();
    const qint64 top = qint64(index.row()) * rowHeight() - verticalOffset();
    // Rows far off screen have no coordinate a widget can hold; none is drawn.
    if (top < std::numeric_limits<int>::min() / 2 || top > std::numeric_limits<int>::max() / 2)
        return QRect();
    return QRect(-horizontalOffset(), int(top), itemWidth(), rowHeight());
}

QModelIndex UniformListView::indexAt(const QPoint &point) const
{
    const int row = rowAtContentsY(point.y() + verticalOffset());
    if (row < 0)
        return QModelIndex();
    const QModelIndex index = rowIndex(row);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void UniformListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const QRect rect = visualRect(index);
    if (!rect.isValid())
        return;
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    if (hint == EnsureVisible)
        hint = rect.top() < area.top() ? PositionAtTop : PositionAtBottom;
    QScrollBar *bar = verticalScrollBar();
    if (scrollsPerItem()) {
        const int row = index.row();
        const int fitting = std::min(row + 1, rowsPerPage());
        if (hint == PositionAtTop)
            bar->setValue(row);
        else if (hint == PositionAtBottom)
            bar->setValue(row - fitting + 1);
        else if (hint == PositionAtCenter)
            bar->setValue(row - fitting / 2);
        return;
    }
    if (hint == PositionAtTop)
        bar->setValue(bar->value() + rect.top());
    else if (hint == PositionAtBottom)
        bar->setValue(bar->value() + std::min(rect.top(), rect.bottom() - area.height() + 1));
    else if (hint == PositionAtCenter)
        bar->setValue(bar->value() + rect.top() - (area.height() - rect.height()) / 2);
}

QModelIndex UniformListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int rows = rowCount();
    if (rows == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return rowIndex(0);
    const int row = current.row();
    const int page = std::max(1, rowsPerPage() - 1);
    switch (action) {
    case MoveUp:
    case MovePrevious:
        return rowIndex(std::max(row - 1, 0));
    case MoveDown:
    case MoveNext:
        return rowIndex(std::min(row + 1, rows - 1));
    case MovePageUp:
        return rowIndex(std::max(row - page, 0));
    case MovePageDown:
        return rowIndex(std::min(row + page, rows - 1));
    case MoveHome:
        return rowIndex(0);
    case MoveEnd:
        return rowIndex(rows - 1);
    case MoveLeft:
    case MoveRight:
        break;
    }
    return current;
}

void UniformListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    // The rows under the rectangle's top and bottom edges and all between.
    const QRect contents = rect.normalized().translated(horizontalOffset(), verticalOffset());
    QItemSelection selection;
    const bool across = contents.right() >= 0 && contents.left() < itemWidth();
    const int first = rowAtContentsY(std::max(contents.top(), 0));
    const int last =
        rowAtContentsY(std::min<qint64>(contents.bottom(), qint64(rowCount()) * rowHeight() - 1));
    if (across && first >= 0 && last >= first)
        selection.select(rowIndex(first), rowIndex(last));
    selectionModel()->select(selection, command);
}

void UniformListView::scrollContentsBy(int dx, int dy)
{
    // The vertical scroll bar counts rows when it scrolls per item.
    if (scrollsPerItem())
        dy *= rowHeight();
    if (isRightToLeft())
        dx = -dx;
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

void UniformListView::updateGeometries()
{
    QScrollBar *vertical = verticalScrollBar();
    QScrollBar *horizontal = horizontalScrollBar();
    const int rows = rowCount();
    if (geometry().isEmpty() || rows == 0 || rowHeight() <= 0) {
        vertical->setRange(0, 0);
        horizontal->setRange(0, 0);
    } else {
        const QSize viewportSize = viewport()->size();
        const qint64 contentsHeight = qint64(rows) * rowHeight();
        const bool verticalWanted = contentsHeight > viewportSize.height();
        if (scrollsPerItem()) {
            // Qt's list view gives a list that fits a page of one row more.
            const int page = verticalWanted ? rowsPerPage() : rows + 1;
            vertical->setSingleStep(1);
            vertical->setPageStep(page);
            vertical->setRange(0, std::max(0, rows - page));
        } else {
            vertical->setSingleStep(rowHeight());
            vertical->setPageStep(viewportSize.height());
            vertical->setRange(0, int(std::min<qint64>(contentsHeight - viewportSize.height(),
                                                       std::numeric_limits<int>::max())));
        }
        // Without this, a horizontal bar that is only wanted because the
        // vertical one takes room would show and hide itself in turn.
        const int width = itemSize().width();
        const bool horizontalWanted = width > viewportSize.width() - (verticalWanted ? vertical->width() : 0);
        horizontal->setSingleStep(width);
        horizontal->setPageStep(viewportSize.width());
        const bool bothAsNeeded = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                                  horizontalScrollBarPolicy() == Qt::ScrollBarAsNeeded;
        if ((bothAsNeeded && !horizontalWanted) || horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            horizontal->setRange(0, 0);
        else
            horizontal->setRange(0, width - viewportSize.width());
    }
    QAbstractItemView::updateGeometries();
}

void UniformListView::paintEvent(QPaintEvent *event)
{
    const int height = rowHeight();
    if (!itemDelegate() || height <= 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());

    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QStyle::State state = option.state;
    const bool enabled = state & QStyle::State_Enabled;
    const int firstVisible = rowAtContentsY(std::max(event->rect().top() + verticalOffset(), 0));
    const qint64 bottom = qint64(event->rect().bottom()) + verticalOffset();
    const int lastVisible = int(std::min<qint64>(bottom / height, rowCount() - 1));
    for (int row = firstVisible; row >= 0 && row <= lastVisible; ++row) {
        const QModelIndex index = rowIndex(row);
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool itemEnabled = model()->flags(index) & Qt::ItemIsEnabled;
            option.state.setFlag(QStyle::State_Enabled, itemEnabled);
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
        if (alternatingRowColors()) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, row & 1);
            QStyleOptionViewItem background = option;
            background.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, &painter, this);
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void UniformListView::setHover(const QModelIndex &index)
{
    if (index == m_hover)
        return;
    if (m_hover.isValid())
        viewport()->update(visualRect(m_hover));
    m_hover = index;
    if (m_hover.isValid())
        viewport()->update(visualRect(m_hover));
}

bool UniformListView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHover(indexAt(static_cast<QHoverEvent *>(event)->position().toPoint()));
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        setHover(QModelIndex());
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

// QListView would tell assistive technology a position taken from its own
// layout, which this view does not make; a row's position is its number.
void UniformListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
#endif
    QAbstractItemView::currentChanged(current, previous);
}

void UniformListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        const QModelIndex chosen = selected.indexes().value(0);
        if (chosen.isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionAdd);
            event.setChild(chosen.row());
            QAccessible::updateAccessibility(&event);
        }
        const QModelIndex dropped = deselected.indexes().value(0);
        if (dropped.isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionRemove);
            event.setChild(dropped.row());
            QAccessible::updateAccessibility(&event);
        }
    }
#endif
    QAbstractItemView::selectionChanged(selected, deselected);
}
