#pragma once

#include "htmlview/HtmlMeasurer.h"

#include <QSize>

#include <vector>

namespace vantoro {

class IndentManagerBasic;
class LayoutStore;
class TSection;
class THorzLine;
struct TImageObj;
struct TFormControlObj;

// Lines for text sections (plain, list items, pre-formatted) and the place of rules. Extents
// come from one pass of per-character advances per section, summed into cumulative widths, so
// that fitting a line is a binary search over numbers, never a re-measurement.
class SectionLayout
{
public:
    SectionLayout(HtmlMeasurer& measurer, LayoutStore& store);

    // Lays out `section` at `y`; returns its height. `maxWidth` is raised to the width it needs
    // (the cell width, or more for an over-long word or a wide object); `cursor` moves past its
    // characters.
    int layoutText(TSection& section, int y, IndentManagerBasic& indents, int& maxWidth,
                   int& cursor);
    // The widest piece that cannot be broken and the unwrapped width, both with the indent.
    void measureText(TSection& section, int& minWidth, int& maxWidth);
    int layoutRule(THorzLine& rule, int y, IndentManagerBasic& indents, int& maxWidth);

    // Characters of `section` from `start` (at most `count`) whose extent fits in `width`,
    // walking font runs and inline objects (floating images take no width). Needs the
    // section's cumulative extents: call prepare() first.
    int charsThatFit(const TSection& section, int start, int count, int width) const;
    // Width of characters [from, to) less each run's overhang.
    int rangeWidth(const TSection& section, int from, int to) const;
    // Measures `section` (run metrics, cumulative extents, object sizes); `available` is the
    // width percentage image sizes are taken of, or -1 to keep the sizes of the last layout.
    void prepare(TSection& section, int available);

    // Object sizes used by layout and painting.
    QSize imageSize(const TImageObj& image) const;
    static QSize controlSize(const TFormControlObj& control);

private:
    int nextBoundary(int index) const;
    const TImageObj* imageAt(const TSection& section, int index) const;
    const TFormControlObj* controlAt(const TSection& section, int index) const;
    int clearDistance(const TSection& section, const IndentManagerBasic& indents, int y) const;
    void placeFloat(const TSection& section, const TImageObj& image, int y,
                    IndentManagerBasic& indents, int& floatHeight);
    int layoutEmptyPre(TSection& section);

    HtmlMeasurer& m_measurer;
    LayoutStore& m_store;
    // Scratch of the section last prepared.
    std::vector<int> m_advance;
    std::vector<int> m_cumulative; // m_cumulative[i]: extent of characters before i
    std::vector<int> m_bounds;     // run starts, object placeholders and the places after them
    std::vector<int> m_overhang;   // per font run
};

} // namespace vantoro
