#include "htmlview/QtHtmlCanvas.h"

#include "htmlview/QtHtmlMeasurer.h"

#include <QPaintDevice>
#include <QPainter>

namespace vantoro {

QtHtmlCanvas::QtHtmlCanvas(QPainter& painter, QtHtmlMeasurer& measurer, const QPalette& palette)
    : m_painter(painter), m_measurer(measurer), m_palette(palette)
{
    // Kept glyphs are placed in logical pixels: only a painter that draws them one to one
    // (moved, never scaled) and not right to left puts them where drawing the string would.
    const QPaintDevice* device = painter.device();
    m_keptGlyphsDraw = device && device->devicePixelRatio() == 1.0 &&
                       painter.transform().type() <= QTransform::TxTranslate &&
                       painter.layoutDirection() != Qt::RightToLeft;
}

QColor QtHtmlCanvas::systemColor(const QPalette& palette, int index)
{
    switch (index) {
    case 5: // window
        return palette.color(QPalette::Base);
    case 8:  // window text
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlighted text
        return palette.color(QPalette::HighlightedText);
    default:
        return palette.color(QPalette::WindowText);
    }
}

QColor QtHtmlCanvas::toQColor(TColor c) const
{
    if (c & 0x80000000u)
        return systemColor(m_palette, int(c & 0xFF));
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor QtHtmlCanvas::resolveColor(TColor c) const
{
    const QColor q = toQColor(c);
    return TColor(q.red()) | (TColor(q.green()) << 8) | (TColor(q.blue()) << 16);
}

void QtHtmlCanvas::drawText(int x, int baseline, QStringView text, const TMyFont& font,
                            TColor color, const TColor* background)
{
    const QFont& qf = m_measurer.qfont(font);
    if (background) {
        const HtmlFontMetrics m = m_measurer.metrics(font);
        const int w = m_measurer.textWidth(font, text);
        m_painter.fillRect(QRect(x, baseline - m.ascent, w, m.tmHeight), toQColor(*background));
    }
    if (m_setFont != &qf) {
        m_painter.setFont(qf);
        m_setFont = &qf;
        if (m_keptGlyphsDraw)
            m_measurer.setDrawnFont(font, m_painter.font(), m_painter.device()->logicalDpiY());
    }
    QColor pen = toQColor(color);
    if (m_textFilter != nullptr)
        pen = m_textFilter(pen, background ? toQColor(*background) : m_page);
    if (!m_penSet || m_pen != pen) {
        m_painter.setPen(pen);
        m_pen = pen;
        m_penSet = true;
    }
    // Lines under or through the text are drawn with the string; only plain glyphs are kept.
    if (m_keptGlyphsDraw && !qf.underline() && !qf.strikeOut() && !qf.overline() &&
        QtHtmlMeasurer::hasSimpleGlyphs(text)) {
        const QPointF origin(x, baseline);
        for (const QGlyphRun& run : m_measurer.glyphRuns(font, text))
            m_painter.drawGlyphRun(origin, run);
        return;
    }
    m_painter.drawText(QPoint(x, baseline), text.toString());
}

void QtHtmlCanvas::setTextColourFilter(TextColourFilter filter, const QColor& page)
{
    m_textFilter = filter;
    m_page = page;
}

void QtHtmlCanvas::fillRect(const QRect& rect, TColor color)
{
    m_painter.fillRect(rect, toQColor(color));
}

void QtHtmlCanvas::drawBevel(const QRect& r, TColor topLeft, TColor bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QColor tl = toQColor(topLeft);
    const QColor br = toQColor(bottomRight);
    m_painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
    m_painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
    m_painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
    m_painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
}

void QtHtmlCanvas::drawEllipse(const QRect& rect, TColor pen, const TColor* fill)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(toQColor(pen));
    m_painter.setBrush(fill ? QBrush(toQColor(*fill)) : QBrush(Qt::NoBrush));
    m_painter.drawEllipse(rect.adjusted(0, 0, -1, -1));
    m_painter.restore();
}

void QtHtmlCanvas::setClip(const QRect& rect)
{
    m_painter.save();
    m_painter.setClipRect(rect, Qt::IntersectClip);
}

void QtHtmlCanvas::clearClip()
{
    m_painter.restore();
    // The painter's font and pen are again those saved with the clip.
    m_setFont = nullptr;
    m_penSet = false;
}

} // namespace vantoro
