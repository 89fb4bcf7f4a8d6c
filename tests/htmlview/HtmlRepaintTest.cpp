// Painting a part of the view draws exactly what painting all of it draws there: the kept
// glyphs against drawing the string, a band of the document against the whole, and the pixels
// a one-line scroll leaves on screen against a full repaint.

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/QtHtmlCanvas.h"
#include "htmlview/QtHtmlMeasurer.h"
#include "htmlview/THtmlTextView.h"
#include "htmlview/TPaintPanel.h"
#include "htmlview/TSectionList.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

constexpr QRgb kPaper = 0xFFF0F0E8;

// Where two images first differ, or an empty text when they are the same.
QString firstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("pixel %1,%2").arg(x).arg(y);
        }
    }
    return {};
}

TMyFont font(const QString& name, int size, FontStyles style = {})
{
    TMyFont f;
    f.name = name;
    f.size = size;
    f.style = style;
    return f;
}

TEST(HtmlRepaint, KeptGlyphsDrawWhereAndAsTheStringDraws)
{
    QtHtmlMeasurer measurer;
    const QList<TMyFont> fonts = {
        font(QStringLiteral("Times New Roman"), 12),
        font(QStringLiteral("Arial"), 10, FontStyle::Bold),
        font(QStringLiteral("Arial"), 9, FontStyle::Italic),
        font(QStringLiteral("Courier New"), 10),
        font(QStringLiteral("Times New Roman"), 18,
             FontStyles(FontStyle::Bold) | FontStyle::Italic),
        font(QStringLiteral("Arial"), 10, FontStyle::Underline), // drawn as a string
    };
    const QStringList texts = {
        QStringLiteral("7"),
        QStringLiteral("49"),
        QStringLiteral("The quick brown fox, jumping."),
        QStringLiteral("  leading and trailing  "),
        QStringLiteral("office fifty fluffy AV Wa To"),
        QStringLiteral("Äpfel über Straße, déjà vu — “quoted” … 1½"),
        QStringLiteral("Ελληνικά и кириллица"),
        QStringLiteral("e\u0301 combining, soft\u00ADhyphen"),
        QStringLiteral("tab\there"),                      // drawn as a string
        QStringLiteral("mixed \u05E9\u05DC\u05D5\u05DD"), // drawn as a string
    };
    QImage kept(420, 40, QImage::Format_ARGB32_Premultiplied);
    QImage drawn(kept.size(), kept.format());
    for (const TMyFont& f : fonts) {
        for (const QString& text : texts) {
            // Twice through the canvas: shaped the first time, taken from the cache the second.
            for (int round = 0; round < 2; ++round) {
                for (int x = 3; x <= 5; ++x) {
                    kept.fill(kPaper);
                    drawn.fill(kPaper);
                    {
                        QPainter painter(&kept);
                        painter.translate(1, 2);
                        QtHtmlCanvas canvas(painter, measurer, QPalette());
                        canvas.drawText(x, 24, text, f, 0x00204080, nullptr);
                    }
                    {
                        QPainter painter(&drawn);
                        painter.translate(1, 2);
                        painter.setFont(measurer.qfont(f));
                        painter.setPen(QColor(0x80, 0x40, 0x20));
                        painter.drawText(QPoint(x, 24), text);
                    }
                    ASSERT_EQ(firstDifference(kept, drawn), QString())
                        << text.toStdString() << " in " << QString(f.name).toStdString() << " "
                        << f.size << " at x " << x << ", round " << round;
                }
            }
        }
    }
    // The kept glyphs do draw something: the comparison above is not between two blanks.
    kept.fill(kPaper);
    {
        QPainter painter(&kept);
        QtHtmlCanvas canvas(painter, measurer, QPalette());
        canvas.drawText(3, 24, QStringLiteral("49"), fonts.front(), clBlack, nullptr);
    }
    QImage blank(kept.size(), kept.format());
    blank.fill(kPaper);
    EXPECT_NE(kept, blank);
}

// A document with what painting skips, finds and hangs below: many paragraphs, a tall left
// image hanging below its short paragraph, a rule, lists, preformatted text, a link, and tables
// with borders whose cells hold many paragraphs.
QString mixedDocument(int tableRows)
{
    QString html;
    for (int i = 0; i < 30; ++i)
        html += QStringLiteral("<p>Paragraph %1 with <b>bold</b> and <a href=x>a link</a>.").arg(i);
    html += QStringLiteral("<p><img align=left width=40 height=140>Short beside a tall image.");
    for (int i = 0; i < 10; ++i)
        html += QStringLiteral("<p>after the image %1").arg(i);
    html += QStringLiteral(
        "<hr><ul><li>one<li>two<ul><li>deeper</ul></ul><ol><li>first<li>second</ol>");
    html += QStringLiteral("<pre>pre line one\n  pre line gjpqy\n</pre>");
    html += QStringLiteral("<table border bordercolor=red cellspacing=2><tr><td>");
    for (int i = 0; i < 20; ++i)
        html += QStringLiteral("<p>cell paragraph %1").arg(i);
    html += QStringLiteral("<td bgcolor=yellow>beside</table>");
    html += QStringLiteral("<table border>");
    for (int r = 0; r < tableRows; ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < 8; ++c)
            html += QStringLiteral("<td>%1").arg(r * 8 + c);
    }
    html += QStringLiteral("</table><p>The end.");
    return html;
}

TEST(HtmlRepaint, ABandPaintsWhatTheWholePaintsThere)
{
    QtHtmlMeasurer measurer;
    DocumentLayout layout(measurer);
    TSectionList doc;
    doc.defaultFontName = QStringLiteral("Arial");
    doc.defaultFontSize = 10;
    ParseHtmlBuffer(doc, mixedDocument(60), HtmlParseOptions());
    const int width = 380;
    const int height = layout.layout(doc, 5, width);
    ASSERT_GT(height, 1500);
    ASSERT_GE(doc.sections.size(), 40u);

    const QSize screen(width + 20, 300);
    auto paint = [&](QImage& image, const QRect& clip) {
        QPainter painter(&image);
        painter.setClipRect(clip);
        painter.fillRect(clip, QColor(kPaper));
        QtHtmlCanvas canvas(painter, measurer, QPalette());
        layout.paint(doc, canvas, clip, 10, 5);
    };
    for (int scroll = 0; scroll + screen.height() < height + 10; scroll += 97) {
        doc.scrollOffset = scroll;
        QImage whole(screen, QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::black);
        paint(whole, QRect(QPoint(0, 0), screen));
        for (int top = 0; top < screen.height(); top += 13) {
            // The band drawn over a copy whose band was spoiled.
            QImage banded = whole.copy();
            const QRect band(0, top, screen.width(), 16);
            {
                QPainter spoil(&banded);
                spoil.fillRect(band, Qt::magenta);
            }
            paint(banded, band);
            ASSERT_EQ(firstDifference(banded, whole), QString())
                << "scrolled " << scroll << ", band at " << top;
        }
    }
}

// What the window shows: the back buffer the toolkit keeps, not a fresh rendering.
QImage shown(QWidget& window)
{
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

TEST(HtmlRepaint, OneLineScrollsShowWhatAFullRepaintShows)
{
    QWidget window;
    auto* view = new THtmlTextView(&window);
    view->setDefFontName(QStringLiteral("Arial"));
    view->setDefFontSize(10);
    const QSize size(420, 260);
    view->setGeometry(QRect(QPoint(0, 0), size));
    window.resize(size);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
    // Long enough that a step moves the bar's handle by less than a pixel.
    view->ShowHtml(mixedDocument(600));
    QApplication::processEvents();
    const QScrollBar* bar = view->findChild<QScrollBar*>();
    ASSERT_TRUE(bar);

    const QImage top = shown(window);
    int handleMoves = 0;
    QImage previous = top;
    auto step = [&](Qt::Key key, int count) {
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(view, key);
            QApplication::processEvents();
            const QImage afterScroll = shown(window);
            // The bar's column changes only when its handle moves.
            const QRect barArea = bar->geometry();
            if (afterScroll.copy(barArea) != previous.copy(barArea))
                ++handleMoves;
            previous = afterScroll;
            for (QWidget* w : window.findChildren<QWidget*>())
                w->repaint();
            const QImage repainted = shown(window);
            ASSERT_EQ(firstDifference(afterScroll, repainted), QString())
                << "after " << i + 1 << " steps, at " << view->position();
        }
    };
    step(Qt::Key_Down, 40);
    step(Qt::Key_Up, 12);
    QTest::keyClick(view, Qt::Key_End);
    QApplication::processEvents();
    step(Qt::Key_Up, 20);
    step(Qt::Key_Down, 25);
    EXPECT_NE(shown(window), top);
    // Some steps moved the handle and others did not: both ways of updating the bar were seen.
    EXPECT_GT(handleMoves, 0);
    EXPECT_LT(handleMoves, 97);
}

} // namespace
} // namespace vantoro
