// Parse, lay out, paint and hit-test any input at a width taken from the input (0..100,000
// pixels). Text is measured at a fixed width per character so that no font machinery is needed
// and runs are reproducible.

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlCanvas.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/TSectionList.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace vantoro;

class FixedMeasurer final : public HtmlMeasurer
{
public:
    HtmlFontMetrics metrics(const TMyFont& font) override
    {
        HtmlFontMetrics m;
        m.ascent = std::max(1, font.size * 10 / 12);
        m.descent = std::max(0, font.size * 2 / 12);
        m.tmHeight = m.ascent + m.descent;
        m.height = m.tmHeight;
        m.overhang = font.style.testFlag(FontStyle::Italic) ? 1 : 0;
        return m;
    }
    void advances(const TMyFont& font, QStringView text, int* out) override
    {
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = (text[i].unicode() % 7 + std::max(1, font.size / 2)) * kUnitsPerPixel;
    }
};

class NullCanvas final : public HtmlCanvas
{
public:
    void drawText(int, int, QStringView text, const TMyFont&, TColor, const TColor*) override
    {
        chars += size_t(text.size());
    }
    void fillRect(const QRect&, TColor) override {}
    void drawBevel(const QRect&, TColor, TColor) override {}
    void drawEllipse(const QRect&, TColor, const TColor*) override {}
    void setClip(const QRect&) override { ++depth; }
    void clearClip() override { --depth; }
    TColor resolveColor(TColor c) const override { return c & 0xFFFFFF; }
    size_t chars = 0;
    int depth = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t raw = 0;
    std::memcpy(&raw, data, 4);
    const int width = int(raw % 100001);
    const QString html =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    FixedMeasurer measurer;
    DocumentLayout layout(measurer);
    int widest = 0;
    const int height = layout.layout(doc, 5, width, &widest);
    if (height < 0 || widest < 0)
        __builtin_trap();
    NullCanvas canvas;
    doc.selStart = int(raw >> 20) % 64;
    doc.selEnd = doc.selStart + 40;
    layout.paint(doc, canvas, QRect(0, 0, width + 20, 600), 10, 5);
    doc.scrollOffset = height / 2;
    layout.paint(doc, canvas, QRect(0, 0, width + 20, 600), 10, 5);
    if (canvas.depth != 0)
        __builtin_trap();
    for (int y = 0; y < height; y += std::max(1, height / 8)) {
        layout.cursorAt(doc, width / 2, y);
        layout.linkAt(doc, width / 3, y);
    }
    layout.copySelection(doc, 0, 1 << 20);
    return 0;
}
