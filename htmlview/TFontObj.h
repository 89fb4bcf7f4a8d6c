#pragma once

#include "htmlview/ModelPool.h"
#include "htmlview/TMyFont.h"
#include "htmlview/TUrlTarget.h"

namespace vantoro {

class TSection;
class TSectionList;

// A font run of a text section: from `pos` to the next run's start (or the section's end).
struct TFontObj
{
    VANTORO_MODEL_POOLED

    TSection* section = nullptr;
    int pos = 0;
    TMyFont font;
    // The link's destination, kept by the document (shared by every run of the link);
    // null: not a link.
    const TUrlTarget* link = nullptr;
    bool visited = false;
    bool hover = false;
    int scriptState = 0; // 0 normal, 1 subscript, 2 superscript

    // Metrics of `font`, filled by layout whenever the font changes (pixels).
    int fontHeight = 0; // tmHeight + tmExternalLeading
    int tmHeight = 0;
    int descent = 0;
    int overhang = 0;

    bool isLink() const { return link != nullptr; }
    // The colour the run is drawn in: link runs follow their hover and visited state.
    TColor displayColor(const TSectionList& document) const;
};

} // namespace vantoro
