#pragma once

#include "htmlview/TAttributeList.h"
#include "htmlview/TCellList.h"
#include "htmlview/TSectionBase.h"

#include <memory>
#include <vector>

namespace vantoro {

class TCell;

// A TABLE: its rows as the markup gave them, an optional caption, and the table attributes.
class ThtmlTable : public TSectionBase
{
public:
    // `directlyInDocument` allows a percentage HEIGHT (elsewhere the number counts as pixels).
    ThtmlTable(TSectionList* owner, const TAttributeList& attributes, int level,
               Justify defaultJustify, TCell* enclosing, bool directlyInDocument);
    SectionKind kind() const override { return SectionKind::Table; }

    // Moves the sections of every cell (and of the caption) to `out`; used to free nested
    // tables without recursion.
    void releaseSections(std::vector<std::unique_ptr<TSectionBase>>& out);

    std::vector<std::unique_ptr<TCellList>> rows;
    std::unique_ptr<TCellObj> caption;
    bool captionBelow = false;
    int listLevel = 0;
    TCell* enclosingCell;
    Justify justify;
    bool floating = false; // ALIGN LEFT or RIGHT
    bool border = false;
    int cellPadding = 1; // 0..50
    int cellSpacing = 2; // 1..40, +2 with a border
    int tableWidth = 0;  // pixels, or tenths of a percent when `widthPercent`
    bool widthPercent = false;
    int tableHeight = 0; // pixels, or tenths of a percent when `heightPercent`
    bool heightPercent = false;
    TColor bgColor = clBlack;
    bool hasBgColor = false;
    TColor borderColor = clBlack;
    bool hasBorderColor = false;
    int hSpace = 5; // magnitude at most 40
    int vSpace = 0; // magnitude at most 200
};

} // namespace vantoro
