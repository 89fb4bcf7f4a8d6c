#pragma once

#include <QRect>

#include <memory>
#include <unordered_map>
#include <vector>

namespace vantoro {

class TCell;
class THorzLine;
class ThtmlTable;
struct TImageObj;
struct TableGeometry;

// Results of a layout that the document model has no fields for, keyed by the object they
// belong to. Valid until the next layout of the same document; painting and hit testing read it.
class LayoutStore
{
public:
    LayoutStore();
    ~LayoutStore();
    LayoutStore(const LayoutStore&) = delete;
    LayoutStore& operator=(const LayoutStore&) = delete;

    void clear();

    // Size of every image and, for floating images, its place: x from the left edge of its
    // cell, y from the top of its section.
    std::unordered_map<const TImageObj*, QRect> images;
    // Left and right edge of the text area at a rule's Y, from the left edge of its cell.
    std::unordered_map<const THorzLine*, std::pair<int, int>> rules;
    std::unordered_map<const ThtmlTable*, std::unique_ptr<TableGeometry>> tables;
    // Minimum and maximum width of a cell's content: measured once per layout, however deep
    // the tables nest (a table is measured by its parent and again by its own layout).
    std::unordered_map<const TCell*, std::pair<int, int>> cellWidths;

    // Where the sections of a cell with many of them lie, from the cell's top as painted:
    // section i starts at tops[i] (tops has one entry more, the cell's height), and reach[i] is
    // the lowest bottom that sections 0 to i can draw to (an image may hang below its
    // section), so it never decreases. Painting finds the first section meeting its clip by a
    // binary search instead of walking the document from its start. Built on first paint.
    struct SectionIndex
    {
        std::vector<int> tops;
        std::vector<int> reach;
    };
    std::unordered_map<const TCell*, SectionIndex> sectionIndexes;
};

} // namespace vantoro
