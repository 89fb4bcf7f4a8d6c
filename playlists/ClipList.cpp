#include "playlists/ClipList.h"

#include <QCollator>

#include <algorithm>

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

} // namespace

void ClipList::add(const QString& path)
{
    if (!m_sorted) {
        m_items.append(path);
        return;
    }
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), path,
                                     [](const QString& a, const QString& b) {
                                         return pathCollator().compare(a, b) < 0;
                                     });
    m_items.insert(at, path);
}

void ClipList::addAll(const QStringList& paths)
{
    for (const QString& p : paths)
        add(p);
}

void ClipList::setItems(QStringList paths)
{
    m_sorted = false;
    m_items = std::move(paths);
}

void ClipList::setSorted(bool on)
{
    if (on && !m_sorted) {
        QCollator& collator = pathCollator();
        std::stable_sort(m_items.begin(), m_items.end(),
                         [&](const QString& a, const QString& b) {
                             return collator.compare(a, b) < 0;
                         });
    }
    m_sorted = on;
}

} // namespace vantoro
