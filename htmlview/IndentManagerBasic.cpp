#include "htmlview/IndentManagerBasic.h"

#include <algorithm>

namespace vantoro {

void IndentManagerBasic::reset(int left, int w)
{
    lfEdge = left;
    rtEdge = left + w;
    width = w;
    clipWidth = w;
    level = 0;
    m_left.clear();
    m_right.clear();
    m_imageBottom = m_leftImageBottom = m_rightImageBottom = 0;
    m_pruneY = 0;
}

int IndentManagerBasic::leftIndent(int y) const
{
    int x = 0;
    for (const IndentRec& r : m_left) {
        if (r.yTop <= y && y < r.yBottom)
            x = std::max(x, r.x);
    }
    return lfEdge + x;
}

int IndentManagerBasic::rightSide(int y) const
{
    int x = 0;
    for (const IndentRec& r : m_right) {
        if (r.yTop <= y && y < r.yBottom)
            x = std::min(x, r.x);
    }
    return rtEdge + x;
}

void IndentManagerBasic::prune(int y)
{
    // Layout only moves down, so a band that ended above y can never apply again.
    if (y <= m_pruneY)
        return;
    m_pruneY = y;
    auto gone = [y](const IndentRec& r) { return r.yBottom <= y; };
    m_left.erase(std::remove_if(m_left.begin(), m_left.end(), gone), m_left.end());
    m_right.erase(std::remove_if(m_right.begin(), m_right.end(), gone), m_right.end());
}

void IndentManagerBasic::setLevel(int y, int newLevel, int step)
{
    prune(y);
    if (newLevel > level) {
        for (int l = level + 1; l <= newLevel; ++l)
            m_left.push_back({leftIndent(y) + step - lfEdge, y, kOpenBottom, l});
    } else if (newLevel < level) {
        // Closing at y - 1 makes the band end above every later query: drop it now.
        m_left.erase(std::remove_if(m_left.begin(), m_left.end(),
                                    [newLevel](const IndentRec& r) {
                                        return r.id > newLevel && r.yBottom == kOpenBottom;
                                    }),
                     m_left.end());
    }
    level = std::max(0, newLevel);
}

void IndentManagerBasic::addLeftFloat(int w, int top, int bottom)
{
    m_left.push_back({leftIndent(top) - lfEdge + w, top, bottom, 0});
    m_imageBottom = std::max(m_imageBottom, bottom);
    m_leftImageBottom = std::max(m_leftImageBottom, bottom);
}

void IndentManagerBasic::addRightFloat(int w, int top, int bottom)
{
    m_right.push_back({rightSide(top) - rtEdge - w, top, bottom, 0});
    m_imageBottom = std::max(m_imageBottom, bottom);
    m_rightImageBottom = std::max(m_rightImageBottom, bottom);
}

} // namespace vantoro
