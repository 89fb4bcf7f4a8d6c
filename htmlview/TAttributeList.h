#pragma once

#include "htmlview/HtmlSymbols.h"

#include <QString>

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

// The attributes of the last tag that keeps its attributes, in source order.
class TAttributeList
{
public:
    void clear() { m_items.clear(); }
    void add(TAttribute attribute) { m_items.push_back(std::move(attribute)); }
    bool isEmpty() const { return m_items.empty(); }
    const std::vector<TAttribute>& items() const { return m_items; }
    // The first attribute of that kind, or nullptr.
    const TAttribute* find(Attr which) const
    {
        for (const TAttribute& a : m_items) {
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
};

} // namespace vantoro
