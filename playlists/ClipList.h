#pragma once

#include <QString>
#include <QStringList>

namespace vantoro {

// The clip list: clip file paths in play order, duplicates allowed.
//
// Sorted switch: switching it on sorts the entries by the whole path, alphabetically by the
// user's locale collation ignoring case, and keeps every later addition in its sorted place
// (an equal entry goes after the ones already there). Switching it off keeps the present order.
class ClipList
{
public:
    const QStringList& items() const { return m_items; }
    qsizetype count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const QString& at(qsizetype index) const { return m_items.at(index); }

    void clear() { m_items.clear(); }
    void add(const QString& path);
    void addAll(const QStringList& paths);
    void removeAt(qsizetype index) { m_items.removeAt(index); }
    void move(qsizetype from, qsizetype to) { m_items.move(from, to); }
    // Replaces the entries in the given order; the sorted switch goes off.
    void setItems(QStringList paths);

    bool sorted() const { return m_sorted; }
    void setSorted(bool on);

private:
    QStringList m_items;
    bool m_sorted = false;
};

} // namespace vantoro
