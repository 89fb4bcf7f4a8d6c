#pragma once

#include "htmlview/TMyFont.h"

#include <QStringView>

namespace vantoro {

// Metrics of one font in device pixels, as the platform reports them for a selected font.
struct HtmlFontMetrics
{
    int height = 0;   // cell height + external leading: the line height the font asks for
    int tmHeight = 0; // ascent + descent
    int ascent = 0;
    int descent = 0;
    int overhang = 0; // extra width of synthesised bold or italic, subtracted from every extent
};

// How layout measures text. Layout never sees the toolkit: the real implementation asks the
// platform's fonts, tests use a fixed-width one so that line breaks are exact on every machine.
// Implementations may cache; a font is identified by its value, not by address.
class HtmlMeasurer
{
public:
    virtual ~HtmlMeasurer() = default;

    // Advances are in 1/64 pixel: fonts place glyphs at fractional positions, and summing
    // rounded pixels would drift from where the text is actually drawn.
    static constexpr int kUnitsPerPixel = 64;

    virtual HtmlFontMetrics metrics(const TMyFont& font) = 0;
    // Writes the advance of each UTF-16 unit of `text` to `out[0 .. text.size())`, in units of
    // 1/64 pixel. The extent of a run is the sum of its advances; a low surrogate advances 0
    // after its high one.
    virtual void advances(const TMyFont& font, QStringView text, int* out) = 0;

    // Extent of `text` in whole pixels (rounded).
    int textWidth(const TMyFont& font, QStringView text);
    static int toPixels(qint64 units) { return int((units + kUnitsPerPixel / 2) / kUnitsPerPixel); }
};

} // namespace vantoro
