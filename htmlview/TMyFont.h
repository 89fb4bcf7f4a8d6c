#pragma once

#include "htmlview/FontName.h"
#include "htmlview/HtmlTypes.h"

#include <QString>

namespace vantoro {

// A font as the document describes it. The real size is in points; the nominal size is the
// size HTML asked for before scaling by the document's default font size (12 means "default").
struct TMyFont
{
    FontName name;
    int size = 12;
    FontStyles style;
    TColor color = clBlack;
    HtmlCharSet charSet = HtmlCharSet::Default;
    int nominalSize = 12;
    bool fixedPitch = false;

    void setNominalSize(int nominal, int defaultFontSize)
    {
        nominalSize = nominal;
        size = mulDiv(defaultFontSize, nominal, 12);
    }
    bool operator==(const TMyFont&) const = default;
};

} // namespace vantoro
