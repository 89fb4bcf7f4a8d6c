#include "htmlview/TParagraphSpace.h"

#include "htmlview/TSectionList.h"

namespace vantoro {

TParagraphSpace::TParagraphSpace(TSectionList* owner) : TSectionBase(owner)
{
    updateMetrics();
}

void TParagraphSpace::updateMetrics()
{
    sectionHeight = mulDiv(14, document ? document->defaultFontSize : 12, 12);
    drawHeight = sectionHeight;
}

} // namespace vantoro
