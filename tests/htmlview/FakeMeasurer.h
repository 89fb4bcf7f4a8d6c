#pragma once

#include "htmlview/HtmlCanvas.h"
#include "htmlview/HtmlMeasurer.h"

#include <QList>
#include <QString>

namespace vantoro::test {

// Fixed-width text: at 12 points every character is 8 pixels wide, ascent 10, descent 2;
// other sizes scale in proportion. Layout results are exact on every machine.
class FakeMeasurer final : public HtmlMeasurer
{
public:
    HtmlFontMetrics metrics(const TMyFont& font) override
    {
        ++metricsCalls;
        HtmlFontMetrics m;
        m.ascent = mulDiv(10, font.size, 12);
        m.descent = mulDiv(2, font.size, 12);
        m.tmHeight = m.ascent + m.descent;
        m.height = m.tmHeight;
        return m;
    }
    void advances(const TMyFont& font, QStringView text, int* out) override
    {
        ++advanceCalls;
        measuredChars += int(text.size());
        const int w = charWidth(font) * kUnitsPerPixel;
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = w;
    }
    static int charWidth(const TMyFont& font) { return mulDiv(8, font.size, 12); }

    int metricsCalls = 0;
    int advanceCalls = 0;
    int measuredChars = 0;
};

// Records what painting asked for.
class RecordingCanvas final : public HtmlCanvas
{
public:
    struct Text
    {
        int x;
        int baseline;
        QString text;
        TColor color;
        bool opaque;
        TColor background;
    };
    struct Shape
    {
        QRect rect;
        TColor color;
        TColor other; // bevel: bottom-right; ellipse: fill (when filled)
        bool filled;
    };

    void drawText(int x, int baseline, QStringView text, const TMyFont&, TColor color,
                  const TColor* background) override
    {
        texts.append({x, baseline, text.toString(), color, background != nullptr,
                      background ? *background : 0});
    }
    void fillRect(const QRect& rect, TColor color) override
    {
        fills.append({rect, color, 0, true});
    }
    void drawBevel(const QRect& rect, TColor topLeft, TColor bottomRight) override
    {
        bevels.append({rect, topLeft, bottomRight, false});
    }
    void drawEllipse(const QRect& rect, TColor pen, const TColor* fill) override
    {
        ellipses.append({rect, pen, fill ? *fill : 0, fill != nullptr});
    }
    void setClip(const QRect& rect) override
    {
        ++clips;
        clipRects.append(rect);
    }
    void clearClip() override { --clips; }
    TColor resolveColor(TColor color) const override
    {
        return color == 0x80000005 ? 0x00FFFFFF : color & 0x00FFFFFF;
    }

    QString allText() const
    {
        QString out;
        for (const Text& t : texts)
            out += t.text;
        return out;
    }

    QList<Text> texts;
    QList<Shape> fills;
    QList<Shape> bevels;
    QList<Shape> ellipses;
    int clips = 0;
    QList<QRect> clipRects; // every clip ever set
};

} // namespace vantoro::test
