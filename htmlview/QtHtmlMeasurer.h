#pragma once

#include "htmlview/HtmlMeasurer.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>

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

private:
    struct Entry;
    Entry& entry(const TMyFont& font);

    std::vector<std::unique_ptr<Entry>> m_entries;
    Entry* m_last = nullptr;
};

} // namespace vantoro
