#pragma once

#include "htmlview/TCellObj.h"

#include <memory>
#include <vector>

namespace vantoro {

// One table row. A slot may be empty (layout inserts empty slots and span placeholders).
class TCellList
{
public:
    std::vector<std::unique_ptr<TCellObj>> cells;
    TColor bgColor = clBlack;
    bool hasBgColor = false;
    bool hasAlign = false;
    Justify align = Justify::Left;
    int vAlign = 1; // 0 top and baseline, 1 middle, 2 bottom

    // From layout.
    int rowHeight = 0;
    int tallestCell = 0;
};

} // namespace vantoro
