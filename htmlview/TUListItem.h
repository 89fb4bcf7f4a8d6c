#pragma once

#include "htmlview/TSection.h"

namespace vantoro {

// A list item with a bullet (UL, DIR, MENU, a stray LI). `plain` suppresses the bullet.
class TUListItem : public TSection
{
public:
    using TSection::TSection;
    SectionKind kind() const override { return SectionKind::UnorderedItem; }

    bool plain = false;
};

} // namespace vantoro
