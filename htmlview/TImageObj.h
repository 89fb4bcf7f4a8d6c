#pragma once

#include "htmlview/TAttributeList.h"

#include <QString>

namespace vantoro {

// An image in a text section; it stands in the text as kImageChar (kNoBreakImageChar in NOBR).
// Only the description from the IMG tag is kept; loading and drawing belong to the view.
struct TImageObj
{
    enum class Float : quint8 { None, Left, Right };
    enum class VAlign : quint8 { Top, Middle, Bottom };

    int pos = 0; // index of the placeholder in the section
    int sourcePos = 0;
    QString source;
    QString alt;
    QString useMap;
    bool isMap = false;
    bool transparent = false;
    Float floating = Float::None;
    VAlign vAlign = VAlign::Bottom;
    int specWidth = -1; // -1 when not given
    bool widthPercent = false;
    int specHeight = -1;
    bool heightPercent = false;
    int hSpace = 0;
    int vSpace = 0;
    int border = 0;

    static TImageObj fromAttributes(const TAttributeList& attributes, int index, int position);
};

} // namespace vantoro
