#include "FakeMeasurer.h"

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlPainter.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/IndentManagerBasic.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

using test::FakeMeasurer;
using test::RecordingCanvas;

bool isText(const TSectionBase& s)
{
    return s.kind() == SectionKind::Text || s.kind() == SectionKind::Preformatted ||
           s.kind() == SectionKind::UnorderedItem || s.kind() == SectionKind::OrderedItem ||
           s.kind() == SectionKind::DefinitionItem;
}

// A document parsed from HTML and laid out with the fixed-width measurer.
struct Laid
{
    explicit Laid(QStringView html, int width, int defaultSize = 12)
    {
        doc.defaultFontSize = defaultSize;
        ParseHtmlBuffer(doc, html);
        height = layout.layout(doc, 0, width, &maxWidth);
    }

    std::vector<TSection*> texts()
    {
        std::vector<TSection*> out;
        for (auto& s : doc.sections) {
            if (isText(*s))
                out.push_back(static_cast<TSection*>(s.get()));
        }
        return out;
    }
    // Every line of every text section, as text (non-breaking spaces shown as '~').
    QStringList lines()
    {
        QStringList out;
        for (TSection* s : texts()) {
            for (const LineRec& l : s->lines) {
                QString t = s->text.mid(l.start, l.count);
                t.replace(QChar(kNbsp), u'~');
                out.append(t);
            }
        }
        return out;
    }

    FakeMeasurer measurer;
    TSectionList doc;
    DocumentLayout layout{measurer};
    int height = 0;
    int maxWidth = 0;
};

TEST(SectionLayout, BreaksLinesAtSpacesOnly)
{
    struct Case
    {
        const char16_t* html;
        int width;
        QStringList lines;
        int maxWidth;
    };
    const Case cases[] = {
        {u"aaa bbb ccc", 64, {"aaa bbb ", "ccc"}, 64},
        {u"aaa bbb ccc", 55, {"aaa ", "bbb ", "ccc"}, 55},
        // The word ends exactly at the edge: it stays on the line.
        {u"aaa bbb ccc", 56, {"aaa bbb ", "ccc"}, 56},
        {u"aaa&nbsp;bbb ccc", 64, {"aaa~bbb ", "ccc"}, 64},
        // A non-breaking space never breaks: the joined word overflows.
        {u"aaa&nbsp;bbb ccc", 40, {"aaa~bbb ", "ccc"}, 56},
        {u"abcdefghij", 40, {"abcdefghij"}, 80},
        {u"ab abcdefghij cd", 40, {"ab ", "abcdefghij ", "cd"}, 80},
        {u"a b", 0, {"a ", "b"}, 8},
    };
    for (const Case& c : cases) {
        Laid laid(c.html, c.width);
        EXPECT_EQ(laid.lines(), c.lines) << QString::fromUtf16(c.html).toStdString();
        EXPECT_EQ(laid.maxWidth, c.maxWidth) << QString::fromUtf16(c.html).toStdString();
    }
}

TEST(SectionLayout, EveryCharacterIsOnExactlyOneLineAtAnyWidth)
{
    const char16_t* html =
        u"<p>Some <b>bold</b> and <i>italic</i> text, a&nbsp;b&nbsp;c, "
        u"averyveryverylongwordthatneverfits and more.<ul><li>one<li>two<ol><li>x</ol></ul>"
        u"<pre>pre line one\nline two</pre><center>middle text here</center>"
        u"<table border=1><tr><td>cell one<td>cell two</table><hr>end";
    for (int width : {0, 1, 7, 8, 33, 100, 800, 100000}) {
        Laid laid(html, width);
        EXPECT_GE(laid.height, 0);
        for (TSection* s : laid.texts()) {
            int next = 0;
            for (const LineRec& l : s->lines) {
                EXPECT_EQ(l.start, next) << "width " << width;
                EXPECT_GE(l.count, l.start == s->len() ? 0 : 1);
                next = l.start + l.count;
            }
            EXPECT_EQ(next, s->len()) << "width " << width;
        }
    }
}

TEST(SectionLayout, CentresAndRightAlignsWithoutTrailingSpaces)
{
    Laid centred(u"<center>ab cd ef</center>", 48);
    const TSection* s = centred.texts().front();
    ASSERT_EQ(s->lines.size(), 2u);
    EXPECT_EQ(s->lines[0].leftIndent, (48 - 40) / 2); // "ab cd" without its space
    EXPECT_EQ(s->lines[1].leftIndent, (48 - 16) / 2);

    Laid right(u"<p align=right>ab cd</p>", 100);
    const TSection* r = right.texts().front();
    ASSERT_EQ(r->lines.size(), 1u);
    EXPECT_EQ(r->lines[0].leftIndent, 100 - 40 - 1);
}

TEST(SectionLayout, LineHeightIsTheTallestFontOnTheLine)
{
    Laid laid(u"ab <font size=7>CD</font> ef gh ij", 120);
    const TSection* s = laid.texts().front();
    ASSERT_GE(s->lines.size(), 2u);
    const int big = s->fonts[1]->fontHeight;
    EXPECT_GT(big, 12);
    EXPECT_EQ(s->lines[0].textHeight, big);
    EXPECT_EQ(s->lines.back().textHeight, 12);
}

TEST(SectionLayout, TwoLineBreaksLeaveAFullHeightEmptyLine)
{
    Laid laid(u"a<br><br>b", 200);
    const auto texts = laid.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1]->sectionHeight, 12);
    EXPECT_EQ(texts[2]->yValue, 24);
    EXPECT_EQ(laid.height, 36);
}

TEST(SectionLayout, ParagraphSpaceFollowsTheDefaultFontSize)
{
    Laid twelve(u"a<p>b", 200, 12);
    EXPECT_EQ(twelve.texts()[1]->yValue - twelve.texts()[0]->sectionHeight, 14);
    Laid ten(u"a<p>b", 200, 10);
    EXPECT_EQ(ten.texts()[1]->yValue - ten.texts()[0]->sectionHeight, 12);
}

TEST(SectionLayout, ListItemsAreIndentedPerLevel)
{
    Laid laid(u"<ul><li>one<li>two<ul><li>three</ul></ul>after", 300);
    const auto texts = laid.texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0]->firstLineLeft, 35);
    EXPECT_EQ(texts[1]->firstLineLeft, 35);
    EXPECT_EQ(texts[2]->firstLineLeft, 70);
    EXPECT_EQ(texts[3]->firstLineLeft, 0);
    // A wrapped item keeps its indent on every line.
    Laid wrapped(u"<ul><li>aaa bbb ccc</ul>", 35 + 64);
    for (const LineRec& l : wrapped.texts().front()->lines)
        EXPECT_EQ(l.leftIndent, 35);
}

TEST(SectionLayout, PaintsListMarkers)
{
    Laid laid(u"<ul><li>one<ul><li>two<ul><li>three</ul></ul></ul>"
              u"<ol type=A><li>x<li>y</ol>",
              300);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 300, 1000), 0, 0);
    ASSERT_EQ(canvas.ellipses.size(), 3);
    const TColor expected[] = {clNavy, clMaroon, clRed};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(canvas.ellipses[i].filled);
        EXPECT_EQ(canvas.ellipses[i].other, expected[i]);
        // 5 pixels across, centred 8 pixels left of the item's text, halfway up the text.
        EXPECT_EQ(canvas.ellipses[i].rect.width(), 5);
        EXPECT_EQ(canvas.ellipses[i].rect.center().x(), 35 * (i + 1) - 8);
        EXPECT_EQ(canvas.ellipses[i].rect.center().y(), 12 * i + 6);
    }
    QStringList markers;
    for (const auto& t : canvas.texts) {
        if (t.text.endsWith(u'.')) {
            markers.append(t.text);
            EXPECT_EQ(t.x + 8 * t.text.size(), 35 - 5); // right-aligned 5 pixels before the text
        }
    }
    EXPECT_EQ(markers, QStringList({"A.", "B."}));

    // On a background that is not a default one, bullets are hollow.
    laid.doc.background = 0x0000FF00 | kHtmlColorFlag;
    RecordingCanvas green;
    laid.layout.paint(laid.doc, green, QRect(0, 0, 300, 1000), 0, 0);
    ASSERT_FALSE(green.ellipses.isEmpty());
    EXPECT_FALSE(green.ellipses[0].filled);
}

TEST(SectionLayout, OrderedMarkerTexts)
{
    struct Case
    {
        int number;
        char16_t type;
        const char* text;
    };
    const Case cases[] = {{3, u'1', "3."},   {1, u'A', "A."},    {27, u'A', "Z."},
                          {2, u'a', "b."},   {4, u'i', "iv."},   {9, u'I', "IX."},
                          {25, u'I', "XX."}, {14, u'i', "xiv."}, {0, u'1', "0."}};
    for (const Case& c : cases)
        EXPECT_EQ(HtmlPainter::orderedMarker(c.number, c.type), QString::fromLatin1(c.text));
}

TEST(SectionLayout, FloatingImageNarrowsLinesAndClearMovesBelowIt)
{
    Laid laid(u"<img src=x width=50 height=40 align=left>aaa bbb ccc<br clear=left>after", 114);
    const auto texts = laid.texts();
    ASSERT_EQ(texts.size(), 2u);
    const TSection* first = texts[0];
    ASSERT_GE(first->lines.size(), 2u);
    EXPECT_EQ(first->lines[0].leftIndent, 50);
    EXPECT_EQ(first->lines[1].leftIndent, 50); // still beside the image (y 12 < 40)
    const TSection* after = texts[1];
    ASSERT_EQ(after->lines.size(), 2u);
    EXPECT_EQ(after->yValue + after->lines[0].spaceBefore, 40);
    EXPECT_EQ(after->lines[1].leftIndent, 0);
    EXPECT_EQ(laid.height, 40 + 12);
}

TEST(SectionLayout, PreformattedTextNeverWraps)
{
    Laid laid(u"<pre>aaa bbb ccc</pre>", 40);
    const QStringList lines = laid.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], "aaa bbb ccc");
    const TSection* s = laid.texts().front();
    EXPECT_EQ(laid.maxWidth, 11 * FakeMeasurer::charWidth(s->fonts.front()->font));
}

TEST(SectionLayout, CursorAtPicksTheNearerSideOfACharacter)
{
    Laid laid(u"hello world", 400);
    const CursorPosition before = laid.layout.cursorAt(laid.doc, 19, 5);
    EXPECT_EQ(before.index, 2);
    EXPECT_EQ(before.caretX, 16);
    EXPECT_TRUE(before.inText);
    const CursorPosition after = laid.layout.cursorAt(laid.doc, 21, 5);
    EXPECT_EQ(after.index, 3);
    EXPECT_EQ(after.caretX, 24);
    EXPECT_EQ(after.caretHeight, 12);
    EXPECT_EQ(laid.layout.cursorAt(laid.doc, 5, 500).index, -1);
    const CursorPosition end = laid.layout.cursorAt(laid.doc, 300, 5);
    EXPECT_EQ(end.index, 11);
    EXPECT_FALSE(end.inText);
}

TEST(SectionLayout, LinkAtFindsTheLinkRunUnderThePoint)
{
    Laid laid(u"go <a href=\"target.html\">link</a> on", 400);
    const TUrlTarget* hit = laid.layout.linkAt(laid.doc, 3 * 8 + 10, 5);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->url, "target.html");
    EXPECT_NE(laid.doc.activeLink, nullptr);
    EXPECT_EQ(laid.layout.linkAt(laid.doc, 4, 5), nullptr);
    EXPECT_EQ(laid.doc.activeLink, nullptr);
}

TEST(SectionLayout, CopySelectionBreaksLinesOnlyWhereTheTextDoes)
{
    // "aaa bbb " and "ccc" are one paragraph wrapped by the layout: no break between them.
    Laid laid(u"aaa bbb ccc<p>ddd<ul><li>eee</ul>", 64);
    ASSERT_EQ(laid.texts().front()->lines.size(), 2u);
    const QString all = laid.layout.copySelection(laid.doc, 0, 1000);
    EXPECT_EQ(all, "aaa bbb ccc\r\n\r\nddd\r\n   eee\r\n");
    EXPECT_EQ(laid.doc.copyBuffer, all);
    EXPECT_EQ(laid.layout.copySelection(laid.doc, 4, 6), "bb");
    EXPECT_EQ(laid.layout.copySelection(laid.doc, 5, 5), "");
}

TEST(SectionLayout, PaintsSelectionOpaqueAndSkipsLinesOutsideTheClip)
{
    Laid laid(u"aaa bbb ccc ddd", 64);
    laid.doc.selStart = 4;
    laid.doc.selEnd = 7;
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 64, 100), 0, 0);
    ASSERT_EQ(canvas.texts.size(), 4);
    EXPECT_EQ(canvas.texts[1].text, "bbb");
    EXPECT_TRUE(canvas.texts[1].opaque);
    EXPECT_EQ(canvas.texts[1].color, laid.doc.background);
    EXPECT_EQ(canvas.texts[1].x, 32);
    EXPECT_FALSE(canvas.texts[2].opaque);

    // Only the second line meets the clip.
    RecordingCanvas clipped;
    laid.doc.selStart = laid.doc.selEnd = -1;
    laid.layout.paint(laid.doc, clipped, QRect(0, 13, 64, 5), 0, 0);
    EXPECT_EQ(clipped.allText(), "ccc ddd");
    // Scrolled by a line, the second line is drawn at the top.
    laid.doc.scrollOffset = 12;
    RecordingCanvas scrolled;
    laid.layout.paint(laid.doc, scrolled, QRect(0, 0, 64, 11), 0, 0);
    ASSERT_EQ(scrolled.texts.size(), 1);
    EXPECT_EQ(scrolled.texts[0].baseline, 10);
}

TEST(SectionLayout, PreformattedLinesKeepTheirDescenders)
{
    // With a large font the descent is more than two pixels: each line's clip must reach the
    // bottom of its text, not stop two pixels under the baseline.
    Laid laid(u"<pre>gyp\nqjy</pre>", 400, 24);
    const TFontObj& run = *laid.texts().front()->fonts.front();
    ASSERT_GT(run.descent, 2);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 200), 0, 0);
    ASSERT_EQ(canvas.texts.size(), 2);
    ASSERT_EQ(canvas.clipRects.size(), 2);
    EXPECT_EQ(canvas.clips, 0);
    for (int i = 0; i < 2; ++i) {
        const QRect& clip = canvas.clipRects[i];
        const int baseline = canvas.texts[i].baseline;
        EXPECT_LE(clip.top(), baseline - (run.fontHeight - run.descent)) << i;
        EXPECT_GE(clip.bottom(), baseline + run.descent - 1) << i;
    }
}

TEST(SectionLayout, SubAndSuperscriptShiftTheBaseline)
{
    Laid laid(u"a<sup>b</sup>c<sub>d</sub>", 400);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 100), 0, 0);
    ASSERT_EQ(canvas.texts.size(), 4);
    const TSection* s = laid.texts().front();
    const int base = canvas.texts[0].baseline;
    EXPECT_EQ(canvas.texts[1].baseline, base - s->fonts[1]->fontHeight / 3);
    EXPECT_EQ(canvas.texts[3].baseline, base + s->fonts[3]->descent / 2 + 1);
}

TEST(SectionLayout, HorizontalRules)
{
    Laid laid(u"<hr><hr width=50% align=left><hr width=40 align=right color=red noshade>", 200);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 200, 200), 0, 0);
    ASSERT_EQ(canvas.bevels.size(), 2);
    EXPECT_EQ(canvas.bevels[0].rect.left(), 10);
    EXPECT_EQ(canvas.bevels[0].rect.right(), 189);
    EXPECT_EQ(canvas.bevels[0].rect.height(), 2);
    EXPECT_EQ(canvas.bevels[1].rect.left(), 0);
    EXPECT_EQ(canvas.bevels[1].rect.width(), 100);
    ASSERT_EQ(canvas.fills.size(), 1);
    EXPECT_EQ(canvas.fills[0].rect.left(), 160);
    EXPECT_EQ(canvas.fills[0].rect.width(), 40);
}

TEST(SectionLayout, FittingMeasuresEachCharacterOnce)
{
    // One pass of advances per section, whatever the number of lines and probes.
    QString html;
    for (int i = 0; i < 2000; ++i)
        html += QStringLiteral("word ");
    Laid laid(html, 80);
    EXPECT_EQ(laid.lines().size(), 1000);
    EXPECT_EQ(laid.measurer.measuredChars, laid.texts().front()->len());
}

TEST(IndentManager, ListBandsAndFloats)
{
    IndentManagerBasic im;
    im.reset(0, 300);
    im.setLevel(0, 2);
    EXPECT_EQ(im.leftIndent(0), 70);
    im.addLeftFloat(50, 10, 60);
    EXPECT_EQ(im.leftIndent(10), 120);
    im.addRightFloat(30, 10, 40);
    EXPECT_EQ(im.rightSide(20), 270);
    EXPECT_EQ(im.rightSide(40), 300);
    EXPECT_EQ(im.imageBottom(), 60);
    EXPECT_EQ(im.leftImageBottom(), 60);
    EXPECT_EQ(im.rightImageBottom(), 40);
    im.setLevel(70, 0);
    EXPECT_EQ(im.leftIndent(70), 0);
}

} // namespace
} // namespace vantoro
