#include "htmlview/TImageObj.h"

#include <algorithm>

namespace vantoro {

TImageObj TImageObj::fromAttributes(const TAttributeList& attributes, int index, int position)
{
    TImageObj image;
    image.pos = index;
    image.sourcePos = position;
    for (const TAttribute& a : attributes.items()) {
        switch (a.which) {
        case Attr::Src:
            image.source = a.name.trimmed();
            break;
        case Attr::Alt:
            image.alt = a.name;
            break;
        case Attr::Align: {
            const QString align = a.name.toLower();
            if (align == u"left")
                image.floating = Float::Left;
            else if (align == u"right")
                image.floating = Float::Right;
            else if (align == u"top")
                image.vAlign = VAlign::Top;
            else if (align == u"middle")
                image.vAlign = VAlign::Middle;
            break;
        }
        case Attr::Width:
            image.widthPercent = a.name.endsWith(u'%');
            image.specWidth =
                image.widthPercent ? std::clamp(a.value, 0, 100) : std::max(0, a.value);
            break;
        case Attr::Height:
            image.heightPercent = a.name.endsWith(u'%');
            image.specHeight =
                image.heightPercent ? std::clamp(a.value, 0, 100) : std::max(0, a.value);
            break;
        case Attr::HSpace:
            image.hSpace = std::clamp(a.value, 0, 40);
            break;
        case Attr::VSpace:
            image.vSpace = std::clamp(a.value, 0, 40);
            break;
        case Attr::Border:
            image.border = std::clamp(a.value, 0, 10);
            break;
        case Attr::UseMap:
            image.useMap = a.name.trimmed().toUpper();
            if (image.useMap.startsWith(u'#'))
                image.useMap.remove(0, 1);
            break;
        case Attr::IsMap:
            image.isMap = true;
            break;
        case Attr::Transp:
            image.transparent = true;
            break;
        default:
            break;
        }
    }
    return image;
}

} // namespace vantoro
