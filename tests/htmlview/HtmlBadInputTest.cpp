// Input that tries to exhaust the stack, the heap or the clock. Each case must finish; the
// test's time limit turns quadratic work or runaway recursion into a failure.

#include "htmlview/HtmlParser.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include "FakeMeasurer.h"
#include "HtmlTestSupport.h"
#include "htmlview/DocumentLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantoro {
namespace {

QString repeated(QStringView piece, int times)
{
    QString out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out.append(piece);
    return out;
}

struct Shape
{
    int tableDepth = 0;
    int maxListLevel = 0;
    bool found = false;
};

// Depth of nested tables and the deepest list level, walked with an explicit stack; `needle`
// is searched in every text section.
Shape measure(const TSectionList& doc, QStringView needle)
{
    Shape shape;
    std::vector<std::pair<const TCell*, int>> work{{&doc, 0}};
    while (!work.empty()) {
        auto [cell, depth] = work.back();
        work.pop_back();
        shape.tableDepth = std::max(shape.tableDepth, depth);
        for (const auto& section : cell->sections) {
            if (section->kind() == SectionKind::Table) {
                const auto& table = static_cast<const ThtmlTable&>(*section);
                for (const auto& row : table.rows) {
                    for (const auto& c : row->cells) {
                        if (c)
                            work.push_back({c->cell.get(), depth + 1});
                    }
                }
            } else if (section->kind() != SectionKind::ParagraphSpace &&
                       section->kind() != SectionKind::HeadingSpace &&
                       section->kind() != SectionKind::HorzLine) {
                const auto& text = static_cast<const TSection&>(*section);
                shape.maxListLevel = std::max(shape.maxListLevel, text.listLevel);
                if (text.text.contains(needle))
                    shape.found = true;
            }
        }
    }
    return shape;
}

struct NestingCase
{
    const char* name;
    const char16_t* opener;
    bool table;
};

void PrintTo(const NestingCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeepNesting : public ::testing::TestWithParam<NestingCase>
{
};

TEST_P(DeepNesting, AMillionLevelsAreFlattenedAndTheTextStays)
{
    const QString html = repeated(GetParam().opener, 1000000) + QStringLiteral("deep text");
    auto doc = std::make_unique<TSectionList>();
    ParseHtmlBuffer(*doc, html);
    const Shape shape = measure(*doc, u"deep text");
    EXPECT_TRUE(shape.found);
    EXPECT_LE(shape.tableDepth, HtmlParser::kMaxNesting);
    EXPECT_LE(shape.maxListLevel, HtmlParser::kMaxNesting + 1);
    if (GetParam().table) {
        EXPECT_GT(shape.tableDepth, 60);
    }
    doc.reset(); // teardown must not recurse either
}

INSTANTIATE_TEST_SUITE_P(
    Openers, DeepNesting,
    ::testing::Values(NestingCase{"ul", u"<ul>", false}, NestingCase{"ol_li", u"<ol><li>", false},
                      NestingCase{"blockquote", u"<blockquote>", false},
                      NestingCase{"div", u"<div>", false},
                      NestingCase{"center", u"<center>", false},
                      NestingCase{"table_tr_td", u"<table><tr><td>", true},
                      NestingCase{"ul_li_table_tr_td_div", u"<ul><li><table><tr><td><div>", true}));

TEST(BadInput, TwoHundredThousandUnclosedTags)
{
    const QString html =
        repeated(u"<b><i><font color=red size=+1><a href=x><h1><address><tt><big><sub><nobr>"
                 u"<u><s><select><option>o<map name=m><form><em>x ",
                 200000 / 17) +
        QStringLiteral("end");
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    EXPECT_FALSE(doc.isEmpty());
}

TEST(BadInput, SixtyFourMegabytesOnOneLine)
{
    const QStringView words = u"lorem ipsum dolor sit amet,&nbsp;";
    const int times = 64 * 1024 * 1024 / int(words.size() * 2);
    const QString html = repeated(words, times);
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(static_cast<const TSection&>(*doc.sections[0]).len(), 28 * times);
}

TEST(BadInput, RepeatedStyleTagsDoNotMultiplyFontRuns)
{
    const QString html = repeated(u"x<b>", 1000000);
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(static_cast<const TSection&>(*doc.sections[0]).fonts.size(), 2u);
}

TEST(BadInput, SixtyFourMegabytesOfPreformattedLineStopAtTheLineLimit)
{
    const QString html = QStringLiteral("<pre>") + QString(64 * 1024 * 1024, u'x');
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_LE(static_cast<const TSection&>(*doc.sections[0]).len(), 20000 + 201);
}

TEST(BadInput, HugeNumericReferencesStayLiteral)
{
    TSectionList doc;
    ParseHtmlBuffer(doc, u"&#3000000000; &#99999999999999999999;");
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(static_cast<const TSection&>(*doc.sections[0]).text,
              QStringLiteral("&#3000000000; &#99999999999999999999;"));
}

struct UnterminatedCase
{
    const char16_t* prefix;
    const char16_t* expectedText;
};

TEST(BadInput, UnterminatedConstructsEndTheDocument)
{
    const UnterminatedCase cases[] = {
        {u"kept<script>", u"kept"},
        {u"kept<a href=\"", u"kept"},
        {u"kept<textarea>", u"kept{2}"},
        {u"kept<select><option>", u"kept{2}"},
    };
    const QString filler = repeated(u"<p>filler -- &amp; <b>x</b>\r\n", 40000);
    for (const UnterminatedCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.prefix).toStdString());
        TSectionList doc;
        const QString html = QString::fromUtf16(c.prefix) + filler;
        ParseHtmlBuffer(doc, html);
        ASSERT_FALSE(doc.isEmpty());
        const auto& first = static_cast<const TSection&>(*doc.sections[0]);
        QString shown = first.text;
        shown.replace(QChar(2), QStringLiteral("{2}"));
        EXPECT_EQ(shown, QString::fromUtf16(c.expectedText));
    }
}

// Painting the last screen of a large table visits the rows in view only; a paint that works
// through every cell (as a region of them all once did) takes minutes here, beyond the limit.
TEST(BadInput, LastScreenOfATwoThousandRowTablePaintsInView)
{
    QString html = QStringLiteral("<table border bordercolor=silver>");
    for (int r = 0; r < 2000; ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < 50; ++c)
            html += QStringLiteral("<td>%1").arg(c);
    }
    test::FakeMeasurer measurer;
    TSectionList doc;
    html += QStringLiteral("</table>");
    ParseHtmlBuffer(doc, html);
    DocumentLayout layout(measurer);
    const int height = layout.layout(doc, 0, 2000);
    doc.scrollOffset = height - 300;
    for (int i = 0; i < 20; ++i) {
        test::RecordingCanvas canvas;
        layout.paint(doc, canvas, QRect(0, 0, 2000, 300), 0, 0);
        ASSERT_FALSE(canvas.texts.isEmpty());
        EXPECT_EQ(canvas.texts.back().text, "49");
        EXPECT_LT(canvas.texts.size(), 50 * 30);
    }
}

TEST(BadInput, ManyTablesCellsAndAttributes)
{
    QString html = repeated(u"<table border cellpadding=999 cellspacing=-5 width=300% height=500%>"
                            u"<tr><td colspan=99999 rowspan=-1 width=1000%>a<td>b</table>",
                            50000);
    html += QStringLiteral("<p ") + repeated(u"align=right ", 200000) + u'>';
    TSectionList doc;
    ParseHtmlBuffer(doc, html);
    ASSERT_GE(doc.sections.size(), 50000u);
    const auto& table = static_cast<const ThtmlTable&>(*doc.sections[0]);
    EXPECT_EQ(table.cellPadding, 50);
    EXPECT_EQ(table.cellSpacing, 2);
    EXPECT_EQ(table.tableWidth, 1000);
}

} // namespace
} // namespace vantoro
