#pragma once

#include <QListView>
#include <QPersistentModelIndex>

#include <utility>

namespace vantoro {

// The editor's list: a QListView in its list mode (one column, top to bottom, no wrapping, no
// spacing, no grid, no hidden rows) whose rows all have one size, the delegate's size hint of
// the last row (ClipListModel gives every row the same one).
//
// QListView keeps the position of every row and lays all of them out again whenever a row is
// inserted or removed, and when a row's data changes, in case its size did. Here a row's place
// is worked out from its number (row * row height), so the view never lays out its rows: an
// insertion or a removal, a scroll, a click or a key costs the same on a list of any length.
// Geometry, scrolling (per item, as QListView, or per pixel), keyboard moves, selection by
// mouse and keyboard and painting behave as QListView's do for such a list.
class ClipListView final : public QListView
{
    Q_OBJECT

public:
    explicit ClipListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int rows() const;
    QModelIndex rowIndex(int row) const;
    // The size of every row; invalid while there are none. Measured again after each layout.
    QSize rowSize() const;
    // The row at a height in the viewport, -1 above or below the rows.
    int rowAtY(int y) const;
    // The first and last row meeting the viewport's heights top..bottom, or first > last.
    std::pair<int, int> rowsBetween(int top, int bottom) const;

    mutable QSize m_rowSize;
    QPersistentModelIndex m_hover; // the row under the mouse, shown as such by some styles
};

} // namespace vantoro
