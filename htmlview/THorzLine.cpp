#include "htmlview/THorzLine.h"

#include "htmlview/TSectionList.h"

#include <algorithm>

namespace vantoro {

THorzLine::THorzLine(TSectionList* owner, const TAttributeList& attributes) : TSectionBase(owner)
{
    for (const TAttribute& a : attributes.items()) {
        switch (a.which) {
        case Attr::Size:
            thickness = std::clamp(a.value, 1, 20);
            break;
        case Attr::Width:
            percent = a.name.endsWith(u'%');
            width = percent ? std::clamp(a.value, 0, 100) : std::max(0, a.value);
            break;
        case Attr::Align: {
            const QString value = a.name.toLower();
            if (value == u"left")
                align = Justify::Left;
            else if (value == u"right")
                align = Justify::Right;
            break;
        }
        case Attr::Color:
            if (const auto c = parseHtmlColor(a.name)) {
                color = *c;
                hasColor = true;
            }
            break;
        case Attr::NoShade:
            noShade = true;
            break;
        default:
            break;
        }
    }
    updateMetrics();
}

void THorzLine::updateMetrics()
{
    sectionHeight = mulDiv(20, document ? document->defaultFontSize : 12, 12) + thickness - 2;
    drawHeight = sectionHeight;
}

} // namespace vantoro
