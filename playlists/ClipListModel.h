#pragma once

#include "playlists/ClipList.h"

#include <QAbstractListModel>
#include <QSize>

namespace vantoro {

// The editor's entries as a list model: one row per clip-list entry, its path as the display
// text. Every change is told to the views as the one change it is (a row inserted, removed or
// moved, the rows reordered by Sort), so a view keeps its selection and its layout and a
// one-row change costs the same whatever the length of the list; only replacing all entries
// resets the model.
//
// Every row has the same size hint (setItemSize), so that a view with uniform item sizes never
// measures the rows one by one.
class ClipListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ClipListModel(QObject* parent = nullptr);

    const ClipList& list() const { return m_list; }

    // Replaces every entry; the sorted switch goes off.
    void setItems(QStringList paths);
    // Adds one path at its place (the end, or its sorted place while sorted); answers the row.
    int add(const QString& path);
    // Adds the paths in the given order, each at its place.
    void addAll(const QStringList& paths);
    // Unsorted: the paths go before `row` (-1 or past the end: at the end); sorted: as addAll.
    void insertAt(int row, const QStringList& paths);
    void removeAt(int row);
    // Moves the entry at `from` to `to` (both existing rows).
    void move(int from, int to);
    // Switching on sorts the entries; the views' selection follows its entries.
    void setSorted(bool on);

    // The size hint of every row; an invalid size leaves the rows to the delegate.
    void setItemSize(QSize size);
    QSize itemSize() const { return m_itemSize; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    ClipList m_list;
    QSize m_itemSize;
};

} // namespace vantoro
