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
    TColor m_pen = 0;
    bool m_penSet = false;
};

} // namespace vantoro
