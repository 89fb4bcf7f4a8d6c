#pragma once

#include "htmlview/HtmlSymbols.h"

#include <QString>

#include <span>
#include <vector>

namespace vantoro {

// One attribute of a tag: which attribute, its value as a number (0 when the value is not a
// decimal number; 1 for a BORDER written without a value) and its value as written, with
// entities decoded inside quotes.
struct TAttribute
{
    Attr which = Attr::Unknown;
    qint32 value = 0;
    QString name; // the value text
};

// The attributes of the last tag that keeps its attributes, in source order. Clearing keeps
// the entries and their text storage, so reading the next tag's values rarely allocates.
class TAttributeList
{
public:
    void clear() { m_count = 0; }
    void add(TAttribute attribute) { appendSlot() = std::move(attribute); }
    // A new last entry holding whatever an earlier tag left there, to be filled in.
    TAttribute& appendSlot()
    {
        if (m_count == m_items.size())
            m_items.emplace_back();
        return m_items[m_count++];
    }
    bool isEmpty() const { return m_count == 0; }
    // Characters the kept value strings hold, used or not.
    size_t textCapacity() const
    {
        size_t total = 0;
        for (const TAttribute& a : m_items)
            total += size_t(a.name.capacity());
        return total;
    }
    std::span<const TAttribute> items() const { return {m_items.data(), m_count}; }
    // The first attribute of that kind, or nullptr.
    const TAttribute* find(Attr which) const
    {
        for (const TAttribute& a : items()) {
            if (a.which == which)
                return &a;
        }
        return nullptr;
    }
    // The value text of the first attribute of that kind; empty when absent.
    QString text(Attr which) const
    {
        const TAttribute* a = find(which);
        return a ? a->name : QString();
    }

private:
    std::vector<TAttribute> m_items;
    size_t m_count = 0;
};

} // namespace vantoro
