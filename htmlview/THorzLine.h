#pragma once

#include "htmlview/HtmlTypes.h"
#include "htmlview/TAttributeList.h"
#include "htmlview/TSectionBase.h"

namespace vantoro {

// A horizontal rule (HR).
class THorzLine : public TSectionBase
{
public:
    THorzLine(TSectionList* owner, const TAttributeList& attributes);
    SectionKind kind() const override { return SectionKind::HorzLine; }
    void updateMetrics() override;

    int thickness = 2;    // 1..20
    int width = 0;        // 0: the full width less 10 pixels each side
    bool percent = false; // width is a percentage (at most 100) of the available width
    Justify align = Justify::Centre;
    bool hasColor = false; // a colour makes the rule a solid bar
    TColor color = clBlack;
    bool noShade = false;
};

} // namespace vantoro
