#include "playlists/ClipList.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

namespace vantoro {

namespace {

QCollator& pathCollator()
{
    static QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

// The collation key of a path. Qt's collator ignores case when comparing, but in the C
// locale its sort keys are the plain UTF-8 bytes: there the key is taken of the case-folded
// text, so that keys order exactly as the comparison does.
QCollatorSortKey sortKeyOf(const QString& path)
{
    QCollator& collator = pathCollator();
    static const bool plainLocale = collator.locale().language() == QLocale::C;
    if (!plainLocale)
        return collator.sortKey(path);
    static QString folded; // reused for every key; clip lists live on the UI thread only
    folded.resize(path.size());
    QChar* out = folded.data();
    for (const QChar c : path)
        *out++ = c.toCaseFolded();
    return collator.sortKey(folded);
}

// Indices of `keys` in stable sorted order (equal keys keep their index order).
std::vector<qsizetype> stableOrder(const std::vector<QCollatorSortKey>& keys)
{
    std::vector<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c < 0 || (c == 0 && a < b);
    });
    return order;
}

} // namespace

void ClipList::clear()
{
    m_items.clear();
    m_keys.clear();
}

void ClipList::add(const QString& path)
{
    if (!m_sorted) {
        m_items.append(path);
        return;
    }
    QCollatorSortKey key = sortKeyOf(path);
    const auto at = std::upper_bound(
        m_keys.begin(), m_keys.end(), key,
        [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    m_items.insert(at - m_keys.begin(), path);
    m_keys.insert(at, std::move(key));
}

qsizetype ClipList::placeFor(const QString& path) const
{
    if (!m_sorted)
        return m_items.size();
    const QCollatorSortKey key = sortKeyOf(path);
    const auto at = std::upper_bound(
        m_keys.begin(), m_keys.end(), key,
        [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    return at - m_keys.begin();
}

void ClipList::addAll(const QStringList& paths)
{
    if (!m_sorted) {
        m_items.append(paths);
        return;
    }
    if (paths.size() <= 8) {
        for (const QString& p : paths)
            add(p);
        return;
    }
    // Sort the newcomers among themselves, then merge: on equal keys an entry already in the
    // list comes first, and newcomers keep their given order, as with one add() per path.
    std::vector<QCollatorSortKey> newKeys;
    newKeys.reserve(size_t(paths.size()));
    for (const QString& p : paths)
        newKeys.push_back(sortKeyOf(p));
    const std::vector<qsizetype> newOrder = stableOrder(newKeys);

    QStringList items;
    std::vector<QCollatorSortKey> keys;
    items.reserve(m_items.size() + paths.size());
    keys.reserve(m_keys.size() + newKeys.size());
    size_t old = 0;
    for (const qsizetype n : newOrder) {
        const QCollatorSortKey& key = newKeys[size_t(n)];
        while (old < m_keys.size() && key.compare(m_keys[old]) >= 0) {
            items.append(m_items.at(qsizetype(old)));
            keys.push_back(m_keys[old]);
            ++old;
        }
        items.append(paths.at(n));
        keys.push_back(key);
    }
    for (; old < m_keys.size(); ++old) {
        items.append(m_items.at(qsizetype(old)));
        keys.push_back(m_keys[old]);
    }
    m_items = std::move(items);
    m_keys = std::move(keys);
}

void ClipList::removeAt(qsizetype index)
{
    m_items.removeAt(index);
    if (m_sorted)
        m_keys.erase(m_keys.begin() + index);
}

void ClipList::insertAt(qsizetype index, const QStringList& paths)
{
    if (m_sorted || index < 0 || index >= m_items.size()) {
        addAll(paths);
        return;
    }
    // Room made once, then filled: no copy of the entries.
    m_items.insert(index, paths.size(), QString());
    std::copy(paths.begin(), paths.end(), m_items.begin() + index);
}

void ClipList::move(qsizetype from, qsizetype to)
{
    m_items.move(from, to);
    if (m_sorted && from != to) {
        if (from < to)
            std::rotate(m_keys.begin() + from, m_keys.begin() + from + 1, m_keys.begin() + to + 1);
        else
            std::rotate(m_keys.begin() + to, m_keys.begin() + from, m_keys.begin() + from + 1);
    }
}

void ClipList::setItems(QStringList paths)
{
    m_sorted = false;
    m_keys.clear();
    m_items = std::move(paths);
}

void ClipList::setSorted(bool on, std::vector<qsizetype>* order)
{
    if (order != nullptr)
        order->clear();
    if (on == m_sorted)
        return;
    m_sorted = on;
    if (!on) {
        m_keys.clear();
        m_keys.shrink_to_fit();
        return;
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(m_items.size()));
    for (const QString& p : std::as_const(m_items))
        keys.push_back(sortKeyOf(p));
    std::vector<qsizetype> sortedOrder = stableOrder(keys);
    QStringList items;
    items.reserve(m_items.size());
    m_keys.clear();
    m_keys.reserve(keys.size());
    for (const qsizetype i : sortedOrder) {
        items.append(m_items.at(i));
        m_keys.push_back(std::move(keys[size_t(i)]));
    }
    m_items = std::move(items);
    if (order != nullptr)
        *order = std::move(sortedOrder);
}

} // namespace vantoro
