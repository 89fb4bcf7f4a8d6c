#include "FakeMeasurer.h"

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"
#include "htmlview/TableLayout.h"
#include "htmlview/ThtmlTable.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

using test::FakeMeasurer;
using test::RecordingCanvas;

struct LaidTable
{
    LaidTable(QStringView html, int width)
        : layout(measurer, [this](const QString& message) { messages.append(message); })
    {
        ParseHtmlBuffer(doc, html);
        height = layout.layout(doc, 0, width, &maxWidth);
    }
    ThtmlTable* table(int n = 0)
    {
        for (auto& s : doc.sections) {
            if (s->kind() == SectionKind::Table && n-- == 0)
                return static_cast<ThtmlTable*>(s.get());
        }
        return nullptr;
    }
    const TableGeometry& geometry(int n = 0)
    {
        ThtmlTable* t = table(n);
        EXPECT_NE(t, nullptr);
        return *layout.store().tables.at(t);
    }
    TSection* firstText()
    {
        for (auto& s : doc.sections) {
            if (s->kind() == SectionKind::Text)
                return static_cast<TSection*>(s.get());
        }
        return nullptr;
    }

    FakeMeasurer measurer;
    QStringList messages;
    TSectionList doc;
    DocumentLayout layout;
    int height = 0;
    int maxWidth = 0;
};

// Column widths for every sizing branch. Cells: 8 pixels a character, padding 1 and spacing 2
// (4 pixels of extra per cell).
TEST(TableLayout, ColumnWidths)
{
    struct Case
    {
        const char* name;
        const char16_t* html;
        int width;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {"enough room: unwrapped widths",
         u"<table><tr><td>aa bb<td>cccc dddd</table>",
         400,
         {44, 76}},
        {"between minimum and maximum",
         u"<table><tr><td>aa bb<td>cccc dddd</table>",
         100,
         {36, 62}},
        {"cannot shrink: minimums", u"<table><tr><td>aa bb<td>cccc dddd</table>", 30, {20, 36}},
        {"own width, no shares: evenly", u"<table width=200><tr><td>a<td>b</table>", 400, {99, 99}},
        {"own width with a share",
         u"<table width=202><tr><td width=50%>a<td>b</table>",
         400,
         {100, 100}},
        {"own percentage width", u"<table width=50%><tr><td>a<td>b</table>", 402, {99, 100}},
        {"percentage share, no own width: ideal width",
         u"<table><tr><td width=25%>a<td>b</table>",
         400,
         {12, 36}},
        {"pixel width, no own width", u"<table><tr><td width=100>a<td>b</table>", 400, {104, 12}},
        {"column span spread over its columns",
         u"<table><tr><td colspan=2>aaaaaaaaaa<tr><td>a<td>b</table>",
         400,
         {42, 42}},
        {"column span 1 is no span", u"<table><tr><td colspan=1>aa<td>bbbb</table>", 400, {20, 36}},
    };
    for (const Case& c : cases) {
        LaidTable laid(c.html, c.width);
        EXPECT_EQ(laid.geometry().widths, c.widths) << c.name;
    }
}

TEST(TableLayout, TableThatCannotShrinkOverflows)
{
    LaidTable laid(u"<table><tr><td>aaaaaaaaaa<td>bbbbbbbbbb</table>", 50);
    EXPECT_EQ(laid.geometry().widths, (std::vector<int>{84, 84}));
    EXPECT_EQ(laid.maxWidth, 84 + 84 + 2);
}

TEST(TableLayout, RowSpansMakePlaceholdersAndAreCutToTheRowsThatRemain)
{
    LaidTable laid(u"<table><tr><td rowspan=5>x<td>a<tr><td>b</table>", 400);
    const TableGeometry& g = laid.geometry();
    ASSERT_EQ(g.grid.size(), 2u);
    EXPECT_EQ(g.grid[0][0].rowSpan, 2);
    ASSERT_EQ(g.grid[1].size(), 2u);
    EXPECT_EQ(g.grid[1][0].cell, nullptr);
    EXPECT_EQ(g.grid[1][0].colSpan, 0);
    ASSERT_NE(g.grid[1][1].cell, nullptr);
    EXPECT_EQ(g.columns, 2);
    EXPECT_EQ(g.grid[0][0].cell->totalHeight, 32);

    // A cell spanning two columns and two rows covers all four slots.
    LaidTable block(u"<table><tr><td colspan=2 rowspan=2>x<td>a<tr><td>b</table>", 400);
    const TableGeometry& b = block.geometry();
    ASSERT_EQ(b.grid[1].size(), 3u);
    EXPECT_EQ(b.grid[1][0].colSpan, 0);
    EXPECT_EQ(b.grid[1][1].colSpan, 0);
    EXPECT_NE(b.grid[1][2].cell, nullptr);
}

TEST(TableLayout, TallRowSpanGrowsItsRowsEvenly)
{
    LaidTable laid(u"<table><tr><td rowspan=2 height=61>x<td>a<tr><td>b</table>", 400);
    const TableGeometry& g = laid.geometry();
    // Need 59 + 2 + 2 = 63 over rows of 16 + 16: 31 more, 15 each and the rest to the last.
    EXPECT_EQ(g.rowHeights, (std::vector<int>{31, 32}));
}

TEST(TableLayout, CellHeightAndVerticalAlignment)
{
    LaidTable laid(u"<table><tr><td height=50 valign=top>a<td>b<td valign=bottom>c</table>", 400);
    const TableGeometry& g = laid.geometry();
    ASSERT_EQ(g.rowHeights.size(), 1u);
    EXPECT_EQ(g.rowHeights[0], 48 + 2 + 2);
    const auto& row = g.grid[0];
    EXPECT_EQ(row[0].cell->contentOffset, 0);
    EXPECT_EQ(row[1].cell->contentOffset, (52 - 12 - 2 - 2) / 2);
    EXPECT_EQ(row[2].cell->contentOffset, 52 - 12 - 2 - 2);
}

TEST(TableLayout, CaptionWiderThanTheBodyCentresTheColumns)
{
    LaidTable laid(u"<table><caption>a long caption</caption><tr><td>a</table>after", 400);
    const TableGeometry& g = laid.geometry();
    EXPECT_EQ(g.bodyWidth, 14);
    EXPECT_EQ(g.tableWidth, 56);
    EXPECT_EQ(g.bodyOffset, 21);
    EXPECT_EQ(g.captionHeight, 24); // "a long " and "caption" at 56 pixels
    EXPECT_EQ(laid.table()->sectionHeight, 24 + 16 + 2);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 400), 0, 0);
    ASSERT_GE(canvas.texts.size(), 3);
    EXPECT_EQ(canvas.texts[0].text, "a long ");
    EXPECT_EQ(canvas.texts[2].text, "a");
    EXPECT_EQ(canvas.texts[2].baseline, 24 + 2 + 1 + 10); // below the caption

    LaidTable below(u"<table><caption align=bottom>cap</caption><tr><td>a</table>", 400);
    RecordingCanvas canvas2;
    below.layout.paint(below.doc, canvas2, QRect(0, 0, 400, 400), 0, 0);
    ASSERT_EQ(canvas2.texts.size(), 2);
    EXPECT_EQ(canvas2.texts[0].text, "a");
    EXPECT_EQ(canvas2.texts[1].text, "cap");
    EXPECT_GT(canvas2.texts[1].baseline, canvas2.texts[0].baseline);
}

TEST(TableLayout, PaintsOnlyTheCellsAndSpacingThatMeetTheClip)
{
    QString html = QStringLiteral("<table bordercolor=red cellspacing=4>");
    for (int r = 0; r < 300; ++r)
        html += QStringLiteral("<tr><td>r%1<td>x").arg(r);
    html += QStringLiteral("</table>");
    LaidTable laid(html, 400);
    // A band in the middle of the table, a few rows high.
    laid.doc.scrollOffset = 150 * 20;
    const QRect clip(0, 0, 400, 40);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, clip, 0, 0);
    ASSERT_FALSE(canvas.texts.isEmpty());
    EXPECT_LE(canvas.texts.size(), 2 * 4);
    ASSERT_FALSE(canvas.fills.isEmpty()); // the border colour fills the spacing
    for (const auto& fill : canvas.fills) {
        EXPECT_TRUE(fill.rect.intersects(clip)) << fill.rect.y();
        EXPECT_EQ(fill.color & 0xFFFFFF, 0x0000FFu);
    }

    // Without a border colour nothing fills the spacing.
    LaidTable plain(u"<table cellspacing=4><tr><td>a<td>b<tr><td>c<td>d</table>", 400);
    RecordingCanvas plainCanvas;
    plain.layout.paint(plain.doc, plainCanvas, QRect(0, 0, 400, 400), 0, 0);
    EXPECT_TRUE(plainCanvas.fills.isEmpty());
    EXPECT_EQ(plainCanvas.allText(), "abcd");
}

TEST(TableLayout, CellsSpanningRowsPaintWhenOnlyTheirLowerPartIsInTheClip)
{
    LaidTable laid(u"<table border><tr><td rowspan=3>tall<td>a<tr><td>b<tr><td>c</table>", 400);
    const TableGeometry& g = laid.geometry();
    ASSERT_EQ(g.rowTops.size(), 4u);
    laid.doc.scrollOffset = g.rowTops[2] + 4; // only the third row is in view
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 5), 0, 0);
    EXPECT_EQ(canvas.allText(), "c");
    // The frames of the table, the spanning cell (its box reaches into the clip) and "c".
    ASSERT_EQ(canvas.bevels.size(), 3);
    int tallest = 0;
    for (const auto& bevel : canvas.bevels)
        tallest = std::max(tallest, bevel.rect.height());
    EXPECT_GT(tallest, g.rowTops[3] - g.rowTops[1]);
}

TEST(TableLayout, TooManyColumnsIsReportedAndTheTableDropped)
{
    QString html = QStringLiteral("<table><tr>");
    for (int i = 0; i < 201; ++i)
        html += QStringLiteral("<td>x");
    html += QStringLiteral("</table>after");
    LaidTable laid(html, 400);
    EXPECT_EQ(laid.messages, QStringList{"Table has too many Columns"});
    EXPECT_EQ(laid.table(), nullptr);
    ASSERT_NE(laid.firstText(), nullptr);
    EXPECT_EQ(laid.firstText()->text, "after");
    EXPECT_EQ(laid.height, 12);

    // Links inside the dropped table leave the document's link list with it.
    QString linked = QStringLiteral("<a href=a>before</a><table><tr>");
    for (int i = 0; i < 201; ++i)
        linked += QStringLiteral("<td><a href=x>x</a>");
    linked += QStringLiteral("</table>");
    LaidTable dropped(linked, 400);
    ASSERT_EQ(dropped.doc.links.size(), 1u);
    EXPECT_EQ(dropped.doc.links[0]->link->url, "a");

    QString limit = QStringLiteral("<table><tr>");
    for (int i = 0; i < 200; ++i)
        limit += QStringLiteral("<td>x");
    limit += QStringLiteral("</table>");
    LaidTable ok(limit, 400);
    EXPECT_TRUE(ok.messages.isEmpty());
    EXPECT_EQ(ok.geometry().columns, 200);
}

TEST(TableLayout, FloatingTableLetsTextFlowBesideIt)
{
    LaidTable laid(u"<table align=left><tr><td>a</table>text", 400);
    EXPECT_EQ(laid.table()->sectionHeight, 0);
    ASSERT_NE(laid.firstText(), nullptr);
    EXPECT_EQ(laid.firstText()->lines[0].leftIndent, 14 + 5 + 1);
    EXPECT_EQ(laid.height, 18); // the table's height, below which nothing else reaches

    LaidTable right(u"<table align=right><tr><td>a</table>text", 400);
    EXPECT_EQ(right.geometry().xOffset, 400 - 14);
}

TEST(TableLayout, AlignedTablesAreOffsetInTheirSpareWidth)
{
    LaidTable centred(u"<center><table><tr><td>a</table></center>", 400);
    EXPECT_EQ(centred.geometry().xOffset, (400 - 14) / 2);
    LaidTable left(u"<table><tr><td>a</table>", 400);
    EXPECT_EQ(left.geometry().xOffset, 0);
}

TEST(TableLayout, PaintsBackgroundsBordersAndBorderColour)
{
    LaidTable laid(
        u"<table border=1 bordercolor=red bgcolor=#00FF00><tr><td bgcolor=blue>a<td>b</table>",
        400);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 400), 0, 0);
    QList<TColor> fillColors;
    for (const auto& f : canvas.fills)
        fillColors.append(f.color & 0xFFFFFF);
    EXPECT_TRUE(fillColors.contains(0xFF0000)); // the cell's own colour (blue)
    EXPECT_TRUE(fillColors.contains(0x00FF00)); // the other cell takes the table's colour
    EXPECT_TRUE(fillColors.contains(0x0000FF)); // the spacing between cells (red)
    EXPECT_EQ(canvas.bevels.size(), 3);         // each cell sunken, the body raised
}

TEST(TableLayout, NestedTableWidthCountsInItsCell)
{
    LaidTable laid(u"<table><tr><td><table width=100><tr><td>x</table><td>y</table>", 400);
    EXPECT_EQ(laid.geometry().widths[0], 100 + 4);
}

TEST(TableLayout, TableInsideCellTakesTheCellColour)
{
    LaidTable laid(u"<table><tr><td bgcolor=blue><table><tr><td>x</table></table>", 400);
    RecordingCanvas canvas;
    laid.layout.paint(laid.doc, canvas, QRect(0, 0, 400, 400), 0, 0);
    int blue = 0;
    for (const auto& f : canvas.fills)
        blue += (f.color & 0xFFFFFF) == 0xFF0000;
    EXPECT_EQ(blue, 2); // the outer cell and the inner table's cell
}

TEST(TableLayout, CursorAndCopyReachIntoCells)
{
    LaidTable laid(u"<table><tr><td>ab<td>cd</table>", 400);
    const CursorPosition p = laid.layout.cursorAt(laid.doc, 20 + 3 + 9, 4);
    EXPECT_GE(p.index, 0);
    EXPECT_EQ(laid.layout.copySelection(laid.doc, 0, 100), "ab\r\ncd\r\n");
}

} // namespace
} // namespace vantoro

namespace vantoro {
namespace {

// Input that fuzzing rarely reaches but that must neither hang nor exhaust the stack.
TEST(TableLayout, DeepNestingAndHugeWordsStayFast)
{
    QString tables;
    for (int i = 0; i < 300; ++i)
        tables += QStringLiteral("<table border=1><tr><td>x");
    QString lists;
    for (int i = 0; i < 1000; ++i)
        lists += QStringLiteral("<ul><li>item");
    const QString word(1024 * 1024, u'w');
    for (const QString& html : {tables, lists, word}) {
        for (int width : {0, 100000}) {
            test::FakeMeasurer measurer;
            TSectionList doc;
            ParseHtmlBuffer(doc, html);
            DocumentLayout layout(measurer);
            int widest = 0;
            EXPECT_GT(layout.layout(doc, 0, width, &widest), 0);
            EXPECT_GT(widest, 0);
            test::RecordingCanvas canvas;
            layout.paint(doc, canvas, QRect(0, 0, 1000, 1000), 0, 0);
            EXPECT_EQ(canvas.clips, 0);
        }
    }
}

} // namespace
} // namespace vantoro
