#include "htmlview/TSectionList.h"

#include "htmlview/TFontObj.h"
#include "htmlview/TSection.h"

namespace vantoro {

TSectionList::TSectionList() : TCell(this) {}

TSectionList::~TSectionList()
{
    // Sections point into the lists below; free them first.
    clearSections();
}

void TSectionList::clear()
{
    links.clear();
    animatedImages.clear();
    activeLink = nullptr;
    activeImage = nullptr;
    clearSections();
    linkTargets.clear();
    forms.clear();
    maps.clear();
    backgroundImageName.clear();
    copyBuffer.clear();
    selStart = -1;
    selEnd = -1;
    scrollOffset = 0;
    yValue = 0;
    startCurs = 0;
}

const TUrlTarget* TSectionList::keepLinkTarget(const TUrlTarget& target)
{
    if (linkTargets.empty() || linkTargets.back().url != target.url ||
        linkTargets.back().target != target.target)
        linkTargets.push_back(target);
    return &linkTargets.back();
}

void TSectionList::setBackground(TColor color)
{
    background = color;
    if (onBackgroundChanged)
        onBackgroundChanged(color);
}

TColor TFontObj::displayColor(const TSectionList& doc) const
{
    if (!isLink())
        return font.color;
    if (hover)
        return doc.hoverLinkColor;
    if (visited)
        return doc.linkVisitedColor;
    return doc.linkColor;
}

} // namespace vantoro
