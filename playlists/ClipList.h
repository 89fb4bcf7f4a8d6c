#pragma once

#include <QCollatorSortKey>
#include <QString>
#include <QStringList>

#include <vector>

namespace vantoro {

// The clip list: clip file paths in play order, duplicates allowed.
//
// Sorted switch: switching it on sorts the entries by the whole path, alphabetically by the
// user's locale collation ignoring case, and keeps every later addition in its sorted place
// (an equal entry goes after the ones already there). Switching it off keeps the present order.
// While sorted, the list holds each entry's collation key beside it, so that sorting and
// placing compare keys instead of collating texts again.
class ClipList
{
public:
    const QStringList& items() const { return m_items; }
    qsizetype count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const QString& at(qsizetype index) const { return m_items.at(index); }

    void clear();
    void add(const QString& path);
    // Where add() would put `path`: the end, or its sorted place while sorted.
    qsizetype placeFor(const QString& path) const;
    // Adds the paths in the given order; while sorted, each goes to its sorted place as if
    // added one by one.
    void addAll(const QStringList& paths);
    // Unsorted only (sorted, this is addAll): puts the paths, in the given order, before the
    // entry at `index` (count() or beyond: at the end).
    void insertAt(qsizetype index, const QStringList& paths);
    void removeAt(qsizetype index);
    // Moves an entry; while sorted this can leave the order unsorted: later additions are
    // then placed by a search that assumes sorted order.
    void move(qsizetype from, qsizetype to);
    // Replaces the entries in the given order; the sorted switch goes off.
    void setItems(QStringList paths);

    bool sorted() const { return m_sorted; }
    // With `order`, switching sorting on tells where each entry came from: the entry now at
    // index i stood at (*order)[i] before. Left empty when nothing was reordered.
    void setSorted(bool on, std::vector<qsizetype>* order = nullptr);

private:
    QStringList m_items;
    std::vector<QCollatorSortKey> m_keys; // parallel to m_items while sorted, else empty
    bool m_sorted = false;
};

} // namespace vantoro
