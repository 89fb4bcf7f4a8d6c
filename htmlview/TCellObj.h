#pragma once

#include "htmlview/HtmlTypes.h"
#include "htmlview/TCell.h"

#include <memory>

namespace vantoro {

// One grid slot of a table: a cell with its spans, sizes, colour and content.
class TCellObj
{
public:
    explicit TCellObj(TSectionList* owner) : cell(std::make_unique<TCell>(owner)) {}

    int colSpan = 1;
    int rowSpan = 1;
    int vAlign = 1; // 0 top, 1 middle, 2 bottom
    int width = 0;  // pixels, or tenths of a percent when `widthPercent`
    bool widthPercent = false;
    int specHeight = 0; // HEIGHT in pixels
    TColor bgColor = clBlack;
    bool hasBgColor = false;
    Justify justify = Justify::Left; // default alignment of its content
    std::unique_ptr<TCell> cell;

    // From layout.
    int contentHeight = 0;
    int totalHeight = 0;
    int contentOffset = 0;
};

} // namespace vantoro
