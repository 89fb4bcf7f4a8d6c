#pragma once

#include "htmlview/TUListItem.h"

namespace vantoro {

// A numbered list item; `numberType` is one of '1', 'A', 'a', 'I', 'i'.
class TOListItem : public TUListItem
{
public:
    using TUListItem::TUListItem;
    SectionKind kind() const override { return SectionKind::OrderedItem; }

    int number = 1;
    char16_t numberType = u'1';
};

} // namespace vantoro
