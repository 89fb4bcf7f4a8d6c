#pragma once

#include "htmlview/HtmlMeasurer.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>

#include <memory>
#include <vector>

namespace vantoro {

// Measures with the platform's fonts. Sizes in points are turned into pixels at 96 dots per
// inch whatever the screen says, so that a layout does not change between displays; kerning is
// off so that the extent of a run is the sum of its characters' advances, as drawing places
// them. Fonts and advances are cached for the life of the object.
class QtHtmlMeasurer final : public HtmlMeasurer
{
public:
    QtHtmlMeasurer();
    ~QtHtmlMeasurer() override;

    HtmlFontMetrics metrics(const TMyFont& font) override;
    void advances(const TMyFont& font, QStringView text, int* out) override;

    // The toolkit font that measuring uses for `font` (drawing must use the same).
    const QFont& qfont(const TMyFont& font);
    static QFont makeQFont(const TMyFont& font);

    // Whether drawing `text` may take the glyphs kept by glyphRuns: plain left-to-right text
    // that shapes the same wherever it stands (no tabs, controls or right-to-left scripts).
    static bool hasSimpleGlyphs(QStringView text);
    // Says which font a painter drew `font` with after resolving it for its device; the glyphs
    // kept for `font` are dropped when that changes.
    void setDrawnFont(const TMyFont& font, const QFont& drawn, int dpi);
    // The glyphs of `text` in `font` as drawing text with that painter font places them, from
    // the origin at the left end of the baseline. Shaping a run costs far more than drawing
    // its glyphs, and a view repaints the same runs over and over (every cell of a table of
    // numbers, every line a scroll uncovers again), so the shapes are kept per font, a bounded
    // number of them. Only for hasSimpleGlyphs text, after setDrawnFont.
    const QList<QGlyphRun>& glyphRuns(const TMyFont& font, QStringView text);

private:
    struct Entry;
    Entry& entry(const TMyFont& font);

    std::vector<std::unique_ptr<Entry>> m_entries;
    Entry* m_last = nullptr;
};

} // namespace vantoro
