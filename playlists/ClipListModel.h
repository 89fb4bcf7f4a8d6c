#pragma once

#include "playlists/ClipList.h"

#include <QAbstractListModel>
#include <QHash>
#include <QSet>
#include <QSize>

#include <optional>

namespace vantoro {

// The editor's entries as a list model: one row per clip-list entry, its path as the display
// text. Every change is told to the views as the one change it is (a row inserted, removed or
// moved, the rows reordered by Sort; two neighbours trading places as their texts changing),
// so a view keeps its selection and its layout and a one-row change costs little whatever the
// length of the list; only replacing all entries resets the model.
//
// Every row has the same size hint (setItemSize), so that a view with uniform item sizes never
// measures the rows one by one.
//
// Entries whose files could not be found (setItems' `missing` names) are rows like any other,
// shown greyed and marked as missing.
class ClipListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ClipListModel(QObject* parent = nullptr);

    // How many entries each path has.
    using EntryCounts = QHash<QString, int>;
    static EntryCounts countEntries(const QStringList& paths);

    const ClipList& list() const { return m_list; }

    // Replaces every entry; the sorted switch goes off. The rows whose text is one of `missing`
    // are shown as entries whose files could not be found. `counts`, if given, are the paths'
    // countEntries (made beforehand, say off the user-interface thread).
    void setItems(QStringList paths, QSet<QString> missing = {},
                  std::optional<EntryCounts> counts = {});
    // Whether some entry is `path` (compared exactly). The first question after setItems
    // without counts counts every entry; later changes keep the counts as they go.
    bool contains(const QString& path) const;
    bool isMissing(int row) const;
    // The rows shown as missing (counted through the whole list).
    int missingCount() const;
    // The entries, in order, without those shown as missing.
    QStringList itemsFound() const;
    // The text a row shows: its path, marked when the file is missing.
    static QString shownText(const QString& path, bool missing);
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

    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    // Counts the paths as entries (+1) or no longer (-1), once the counts exist.
    void count(const QStringList& paths, int delta);

    ClipList m_list;
    mutable std::optional<EntryCounts> m_counts;
    QSet<QString> m_missing;
    QSize m_itemSize;
};

} // namespace vantoro
