#include "playlists/ClipListView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace vantoro {

ClipListView::ClipListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
}

int ClipListView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex ClipListView::rowIndex(int row) const
{
    return model()->index(row, modelColumn(), rootIndex());
}

QSize ClipListView::rowSize() const
{
    if (!m_rowSize.isValid() && rows() > 0) {
        // As QListView measures uniform rows: the last one stands for all.
        const QModelIndex sample = rowIndex(rows() - 1);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        if (const QAbstractItemDelegate* delegate = itemDelegateForIndex(sample))
            m_rowSize = delegate->sizeHint(option, sample);
    }
    return m_rowSize;
}

int ClipListView::rowAtY(int y) const
{
    const int height = rowSize().height();
    const int contentY = y + verticalOffset();
    if (height <= 0 || contentY < 0)
        return -1;
    const int row = contentY / height;
    return row < rows() ? row : -1;
}

std::pair<int, int> ClipListView::rowsBetween(int top, int bottom) const
{
    const int height = rowSize().height();
    if (height <= 0)
        return {0, -1};
    const int first = std::max(0, (top + verticalOffset()) / height);
    const int last = std::min(rows() - 1, (bottom + verticalOffset()) / height);
    return {first, bottom + verticalOffset() < 0 ? -1 : last};
}

QRect ClipListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn() ||
        index.row() >= rows())
        return {};
    const QSize size = rowSize();
    // Rows reach across the viewport, and stay as wide as their contents when it is narrower.
    return QRect(-horizontalOffset(), index.row() * size.height() - verticalOffset(),
                 std::max(size.width(), viewport()->contentsRect().width()), size.height());
}

QModelIndex ClipListView::indexAt(const QPoint& point) const
{
    const int row = rowAtY(point.y());
    if (row < 0)
        return {};
    const QModelIndex index = rowIndex(row);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void ClipListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.parent() != rootIndex() || index.column() != modelColumn())
        return;
    // Scroll bars fitted to the rows as they are now (after insertions, say).
    executeDelayedItemsLayout();
    const QRect rect = visualRect(index);
    const QRect area = viewport()->rect();
    if (!rect.isValid())
        return;
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    // A row out of sight is shown at the edge it is beyond.
    if (hint == EnsureVisible && rect.top() < area.top())
        hint = PositionAtTop;
    else if (hint == EnsureVisible && rect.bottom() > area.bottom())
        hint = PositionAtBottom;
    QScrollBar* bar = verticalScrollBar();
    int value = bar->value();
    if (verticalScrollMode() == ScrollPerItem) {
        const int row = index.row();
        // Whole rows the viewport holds, the row itself and those above it.
        const int fitting = std::min(row + 1, std::max(1, area.height() / rect.height()));
        if (hint == PositionAtTop)
            value = row;
        else if (hint == PositionAtBottom)
            value = row - fitting + 1;
        else if (hint == PositionAtCenter)
            value = row - fitting / 2;
    } else {
        if (hint == PositionAtTop)
            value += rect.top();
        else if (hint == PositionAtBottom)
            value += std::min(rect.top(), rect.bottom() - area.height() + 1);
        else if (hint == PositionAtCenter)
            value += rect.top() - (area.height() - rect.height()) / 2;
    }
    bar->setValue(value);
}

void ClipListView::doItemsLayout()
{
    // QListView would place every row here. Showing a scroll bar resizes the viewport; the
    // state keeps that from asking for another layout, as QListView does.
    const State oldState = state();
    setState(ExpandingState);
    m_rowSize = QSize();
    QAbstractItemView::doItemsLayout();
    setState(oldState);
}

void ClipListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles)
{
    // No roles named means any may have changed, the size hint among them; QListView then
    // asks for a layout, which measures the rows again. Other changes are only repainted.
    if (roles.isEmpty() || roles.contains(Qt::SizeHintRole)) {
        m_rowSize = QSize();
        QListView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void ClipListView::updateGeometries()
{
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    const int count = rows();
    if (geometry().isEmpty() || count <= 0 || model()->columnCount(rootIndex()) <= 0) {
        horizontal->setRange(0, 0);
        vertical->setRange(0, 0);
        QAbstractItemView::updateGeometries();
        return;
    }
    const QSize row = rowSize();
    const QSize contents(row.width(), count * row.height());
    const QSize viewportSize = viewport()->size();
    // As QListView: with both bars shown as needed, the horizontal one is not asked for when
    // only the vertical one's width would make room short (the two would show in turns).
    const QSize room = maximumViewportSize();
    const bool verticalWanted = contents.height() > room.height();
    const bool horizontalWanted =
        contents.width() > room.width() - (verticalWanted ? vertical->width() : 0);
    const bool bothAsNeeded = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                              horizontalScrollBarPolicy() == Qt::ScrollBarAsNeeded;
    horizontal->setSingleStep(row.width());
    horizontal->setPageStep(viewportSize.width());
    horizontal->setRange(
        0, bothAsNeeded && !horizontalWanted ? 0 : contents.width() - viewportSize.width());
    if (verticalScrollMode() == ScrollPerItem) {
        // One step a row; a page is the rows the viewport holds whole (QListView counts the
        // end of the rows too when they all fit).
        const int page = contents.height() <= viewportSize.height()
                             ? count + 1
                             : viewportSize.height() / row.height();
        vertical->setSingleStep(1);
        vertical->setPageStep(page);
        vertical->setRange(0, count - page);
    } else {
        vertical->setSingleStep(row.height());
        vertical->setPageStep(viewportSize.height());
        const bool verticalShown =
            contents.height() >
            room.height() - (contents.width() > room.width() ? horizontal->height() : 0);
        vertical->setRange(
            0, bothAsNeeded && !verticalShown ? 0 : contents.height() - viewportSize.height());
    }
    QAbstractItemView::updateGeometries();
}

void ClipListView::scrollContentsBy(int dx, int dy)
{
    if (verticalScrollMode() == ScrollPerItem)
        dy *= rowSize().height();
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

int ClipListView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int ClipListView::verticalOffset() const
{
    const int value = verticalScrollBar()->value();
    return verticalScrollMode() == ScrollPerItem ? value * rowSize().height() : value;
}

QModelIndex ClipListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int count = rows();
    if (!current.isValid() || count <= 0 || rowSize().height() <= 0)
        return QListView::moveCursor(cursorAction, modifiers);
    // Up and down (and Tab's next and previous) skip disabled rows in QListView without
    // asking where rows are.
    const int page = viewport()->height() / rowSize().height() - 1;
    switch (cursorAction) {
    case MoveLeft:
    case MoveRight:
        return current; // one column
    case MoveHome:
        return rowIndex(0);
    case MoveEnd:
        return rowIndex(count - 1);
    case MovePageUp:
        // The row a viewport's height above, whole rows counted from the current one's bottom.
        return page > 0 ? rowIndex(std::max(0, current.row() - page)) : current;
    case MovePageDown:
        return page > 0 ? rowIndex(std::min(count - 1, current.row() + page)) : current;
    default:
        return QListView::moveCursor(cursorAction, modifiers);
    }
}

void ClipListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    const auto enabled = [this](int row) {
        return row >= 0 && (model()->flags(rowIndex(row)) & Qt::ItemIsEnabled);
    };
    QItemSelection selection;
    if (rect.width() == 1 && rect.height() == 1) {
        // A press: the row under it.
        const int row = rowAtY(rect.top());
        if (enabled(row))
            selection.select(rowIndex(row), rowIndex(row));
    } else if (state() == DragSelectingState) {
        // A rubber band: every row it meets.
        const QRect band = rect.normalized();
        const auto [first, last] = rowsBetween(band.top(), band.bottom());
        if (first <= last)
            selection.select(rowIndex(first), rowIndex(last));
    } else {
        // From the anchor's row to the row at the other corner, both enabled.
        const int from = rowAtY(rect.top());
        const int to = rowAtY(rect.bottom());
        if (enabled(from) && enabled(to))
            selection.select(rowIndex(std::min(from, to)), rowIndex(std::max(from, to)));
    }
    selectionModel()->select(selection, command);
}

QRegion ClipListView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const int count = rows();
    const QRect area = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex() || range.left() > modelColumn() ||
            range.right() < modelColumn())
            continue;
        const int top = std::max(0, range.top());
        const int bottom = std::min(count - 1, range.bottom());
        if (top > bottom)
            continue;
        region += visualRect(rowIndex(top)).united(visualRect(rowIndex(bottom))) & area;
    }
    return region;
}

bool ClipListView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_hover = indexAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        m_hover = QPersistentModelIndex();
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void ClipListView::paintEvent(QPaintEvent* event)
{
    // As QListView paints its rows, only those the event's rectangle meets.
    QAbstractItemDelegate* delegate = itemDelegate();
    if (!delegate || !model())
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const bool enabled = state & QStyle::State_Enabled;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selections = selectionModel();
    QPainter painter(viewport());
    const auto [first, last] = rowsBetween(event->rect().top(), event->rect().bottom());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = rowIndex(row);
        option.rect = visualRect(index);
        option.state = state;
        if (selections && selections->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool rowEnabled = model()->flags(index) & Qt::ItemIsEnabled;
            if (!rowEnabled)
                option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(rowEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
        if (alternatingRowColors()) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, row % 2 == 1);
            const QStyle::State rowState = option.state;
            option.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
            option.state = rowState;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

} // namespace vantoro
