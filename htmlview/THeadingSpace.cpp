#include "htmlview/THeadingSpace.h"

#include "htmlview/TSectionList.h"

namespace vantoro {

THeadingSpace::THeadingSpace(TSectionList* owner, int headingLevel)
    : TSectionBase(owner), level(headingLevel)
{
    updateMetrics();
}

void THeadingSpace::updateMetrics()
{
    static constexpr int kHeights[] = {8, 16, 12, 10, 8, 6, 4};
    const int n = (level >= 1 && level <= 6) ? kHeights[level] : 8;
    sectionHeight = mulDiv(n, document ? document->defaultFontSize : 12, 12);
    drawHeight = sectionHeight;
}

} // namespace vantoro
