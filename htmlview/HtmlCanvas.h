#pragma once

#include "htmlview/TMyFont.h"

#include <QRect>
#include <QStringView>

namespace vantoro {

// What painting asks of a drawing surface. Coordinates are device pixels of the surface;
// colours are TColor values (system colours are resolved by the surface).
class HtmlCanvas
{
public:
    virtual ~HtmlCanvas() = default;

    // Draws `text` with its baseline at `baseline`, starting at x. With `background` the text
    // cell (font height, ending at baseline + descent) is first filled with that colour.
    virtual void drawText(int x, int baseline, QStringView text, const TMyFont& font, TColor color,
                          const TColor* background = nullptr) = 0;
    virtual void fillRect(const QRect& rect, TColor color) = 0;
    // A one-pixel frame: top and left edges in `topLeft`, bottom and right in `bottomRight`.
    virtual void drawBevel(const QRect& rect, TColor topLeft, TColor bottomRight) = 0;
    // An ellipse inside `rect` outlined in `pen`; filled with `*fill` when given.
    virtual void drawEllipse(const QRect& rect, TColor pen, const TColor* fill) = 0;
    // Limits drawing to `rect` (within any limit already set) until the matching clearClip().
    virtual void setClip(const QRect& rect) = 0;
    virtual void clearClip() = 0;
    // A system colour (top bit set) as plain 0x00BBGGRR; other colours lose their flags.
    virtual TColor resolveColor(TColor color) const = 0;
};

} // namespace vantoro
