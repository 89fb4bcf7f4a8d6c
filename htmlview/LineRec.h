#pragma once

namespace vantoro {

// One laid-out line of a text section (pixels; `start` is an index into the section's text).
struct LineRec
{
    int start = 0;
    int count = 0;
    int textHeight = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int drawHeight = 0;
    int descent = 0;
    int leftIndent = 0;
    int drawnX = 0; // recorded while painting, for hit testing
    int drawnY = 0;
};

} // namespace vantoro
