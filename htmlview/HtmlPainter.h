#pragma once

#include "htmlview/HtmlTypes.h"

#include <QString>

namespace vantoro {

class HtmlMeasurer;
class LayoutStore;
class SectionLayout;
class TSection;
class THorzLine;
struct PaintContext;
class TSectionList;
class HtmlCanvas;

// Draws laid-out text sections (with list markers, selection and caret) and rules.
class HtmlPainter
{
public:
    HtmlPainter(HtmlMeasurer& measurer, LayoutStore& store);

    // Paints `section` with its top at document y (x is the cell's left edge); returns
    // y + section height. Records where each drawn line went (LineRec drawnX, drawnY).
    int paintText(TSection& section, const PaintContext& context, int x, int y);
    int paintRule(const THorzLine& rule, const PaintContext& context, int x, int y);

    // Marker text of an ordered list item: "3.", "C.", "iv." ...
    static QString orderedMarker(int number, char16_t type);
    // Fill colour of a bullet at a list level, or false when the bullet is hollow (the
    // document background is not one of the default ones).
    static bool bulletFill(const TSectionList& document, const HtmlCanvas& canvas, int level,
                           TColor& fill);
    // Whether the document background is white as drawn.
    static bool backgroundIsWhite(const TSectionList& document, const HtmlCanvas& canvas);

private:
    void paintMarker(const TSection& section, const PaintContext& context, int x, int y,
                     int baseline, int textHeight);

    HtmlMeasurer& m_measurer;
    LayoutStore& m_store;
};

} // namespace vantoro
