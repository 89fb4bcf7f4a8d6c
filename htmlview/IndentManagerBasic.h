#pragma once

#include <vector>

namespace vantoro {

// A band that narrows the text area between two Y values (bottom exclusive). Left bands: `x` is
// extra indent from the left edge; right bands: `x` is a negative offset from the right edge.
struct IndentRec
{
    int x = 0;
    int yTop = 0;
    int yBottom = 0;
    int id = 0; // list level for list bands, 0 for floating objects
};

// Tracks the left and right edges of the text area of one cell at each Y, as list levels and
// floating objects narrow it. Queries must come with Y that never decreases within one layout:
// bands that end above the last Y asked for are dropped.
class IndentManagerBasic
{
public:
    static constexpr int kOpenBottom = 9999999;
    static constexpr int kListIndent = 35;

    // Empties the bands and sets the edges to left .. left + width.
    void reset(int left, int width);

    int leftIndent(int y) const;
    int rightSide(int y) const;
    // Lowest bottom of the floating objects placed so far (all, left ones, right ones); 0 if none.
    int imageBottom() const { return m_imageBottom; }
    int leftImageBottom() const { return m_leftImageBottom; }
    int rightImageBottom() const { return m_rightImageBottom; }

    // Opens one band of `step` pixels per level above the current one at y, or closes the
    // bands of deeper levels there.
    void setLevel(int y, int level, int step = kListIndent);
    // A floating object of the given outer width from top to bottom (exclusive) on a side.
    void addLeftFloat(int width, int top, int bottom);
    void addRightFloat(int width, int top, int bottom);

    int lfEdge = 0;
    int rtEdge = 0;
    int width = 0;
    int clipWidth = 0;
    int level = 0;

private:
    void prune(int y);

    std::vector<IndentRec> m_left;
    std::vector<IndentRec> m_right;
    int m_imageBottom = 0;
    int m_leftImageBottom = 0;
    int m_rightImageBottom = 0;
    int m_pruneY = 0;
};

} // namespace vantoro
