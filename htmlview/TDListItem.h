#pragma once

#include "htmlview/TUListItem.h"

namespace vantoro {

// A definition list item (DD, DT): indented, no marker.
class TDListItem : public TUListItem
{
public:
    using TUListItem::TUListItem;
    SectionKind kind() const override { return SectionKind::DefinitionItem; }
};

} // namespace vantoro
