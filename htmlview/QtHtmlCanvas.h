#pragma once

#include "htmlview/HtmlCanvas.h"

#include <QColor>
#include <QPalette>

class QPainter;

namespace vantoro {

class QtHtmlMeasurer;

// Draws on a QPainter with the fonts of a QtHtmlMeasurer, so that text lands where layout
// measured it. System colours are taken from `palette`.
class QtHtmlCanvas final : public HtmlCanvas
{
public:
    QtHtmlCanvas(QPainter& painter, QtHtmlMeasurer& measurer, const QPalette& palette);

    void drawText(int x, int baseline, QStringView text, const TMyFont& font, TColor color,
                  const TColor* background) override;
    void fillRect(const QRect& rect, TColor color) override;
    void drawBevel(const QRect& rect, TColor topLeft, TColor bottomRight) override;
    void drawEllipse(const QRect& rect, TColor pen, const TColor* fill) override;
    void setClip(const QRect& rect) override;
    void clearClip() override;
    TColor resolveColor(TColor color) const override;

    QColor toQColor(TColor color) const;
    // Text is drawn in filter(colour, background) instead of its own colour, the background
    // being the text's own or else `page`; used to keep text readable on a fixed background.
    using TextColourFilter = QColor (*)(const QColor& text, const QColor& background);
    void setTextColourFilter(TextColourFilter filter, const QColor& page);
    // System colour indexes of the platform the colour values come from, mapped to a palette.
    static QColor systemColor(const QPalette& palette, int index);

private:
    QPainter& m_painter;
    QtHtmlMeasurer& m_measurer;
    QPalette m_palette;
    // The measurer's font last given to the painter (setting a font makes the painter resolve
    // it again), and whether glyphs kept by the measurer draw as the painter would.
    const QFont* m_setFont = nullptr;
    bool m_keptGlyphsDraw = false;
    // The text colour last given to the painter as its pen.
    QColor m_pen;
    bool m_penSet = false;
    TextColourFilter m_textFilter = nullptr;
    QColor m_page;
};

} // namespace vantoro
