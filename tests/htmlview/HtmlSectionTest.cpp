#include "htmlview/HtmlDump.h"
#include "htmlview/THeadingSpace.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TParagraphSpace.h"
#include "htmlview/TPreFormated.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include "HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

TokenObj token(QStringView text, int firstPosition)
{
    TokenObj t;
    for (qsizetype i = 0; i < text.size(); ++i)
        t.addChar(text[i].unicode(), firstPosition + int(i));
    return t;
}

class SectionTest : public ::testing::Test
{
protected:
    TSection& section()
    {
        if (!m_section)
            m_section = std::make_unique<TSection>(&m_doc, Justify::Left, nullptr, TMyFont(),
                                                   FontStyles(), 0);
        return *m_section;
    }
    QString append(std::initializer_list<QStringView> parts, bool noBreak = false)
    {
        int position = 0;
        for (QStringView part : parts) {
            section().appendToken(token(part, position), noBreak);
            position += int(part.size());
        }
        return visibleText(section().text);
    }

    TSectionList m_doc;
    std::unique_ptr<TSection> m_section;
};

TEST_F(SectionTest, LeadingSpaceOfASectionIsDropped)
{
    EXPECT_EQ(append({u" ", u" x"}), QStringLiteral("x"));
}

TEST_F(SectionTest, SpacesAcrossTokensCollapse)
{
    EXPECT_EQ(append({u"a ", u" b"}), QStringLiteral("a b"));
}

TEST_F(SectionTest, NonBreakingSpacesNeverCollapse)
{
    EXPECT_EQ(append({u"a\u00A0", u"\u00A0 ", u" b"}), QStringLiteral("a{160}{160} b"));
}

TEST_F(SectionTest, NoBreakWhiteSpaceBecomesOneNonBreakingSpace)
{
    EXPECT_EQ(append({u"a\x05"
                      "b"},
                     true),
              QStringLiteral("a{160}b"));
}

TEST_F(SectionTest, NoBreakMarkAfterSpaceOrAtStartAddsNothing)
{
    EXPECT_EQ(append({u"\x05", u"a \x05"
                               "b\x05 c\x05"},
                     true),
              QStringLiteral("a b c{160}"));
    m_section.reset();
    EXPECT_EQ(append({u"x ", u"\x05y"}, true), QStringLiteral("x y"));
}

TEST_F(SectionTest, SourcePositionsAreKeptAsRuns)
{
    section().appendToken(token(u"abc", 10), false);
    section().appendToken(token(u"de", 13), false);
    section().appendToken(token(u"f", 40), false);
    ASSERT_EQ(section().sourceIndex.size(), 2u);
    EXPECT_EQ(section().sourceIndex[0], (IndexObj{0, 10}));
    EXPECT_EQ(section().sourceIndex[1], (IndexObj{5, 40}));
    EXPECT_EQ(section().sourcePosOf(4), 14);
    EXPECT_EQ(section().sourcePosOf(5), 40);
    EXPECT_EQ(section().sourcePosOf(6), -1);
}

TEST_F(SectionTest, SwitchingFontTwiceBeforeTextLeavesOneRun)
{
    TMyFont big;
    big.setNominalSize(18, 12);
    section().switchFont(big, FontStyle::Bold, 0);
    section().switchFont(big, FontStyle::Italic, 0);
    ASSERT_EQ(section().fonts.size(), 1u);
    EXPECT_EQ(section().fonts[0]->font.style, FontStyles(FontStyle::Italic));
    append({u"x"});
    section().switchFont(big, FontStyle::Bold, 2);
    ASSERT_EQ(section().fonts.size(), 2u);
    EXPECT_EQ(section().fonts[1]->pos, 1);
    // Superscript is set three quarters of the nominal size.
    EXPECT_EQ(section().fonts[1]->font.nominalSize, 14);
}

TEST_F(SectionTest, FontRunLookup)
{
    append({u"abc"});
    section().switchFont(TMyFont(), FontStyle::Bold, 0);
    append({u"defg"});
    EXPECT_EQ(section().fontRunAt(0), 0);
    EXPECT_EQ(section().fontRunAt(2), 0);
    EXPECT_EQ(section().fontRunAt(3), 1);
    EXPECT_EQ(section().runLengthFrom(1), 2);
    EXPECT_EQ(section().runLengthFrom(4), 3);
}

TEST_F(SectionTest, LineBreakOnAnEmptySectionLeavesOneSpace)
{
    section().addLineBreakSpace(7);
    EXPECT_EQ(section().text, QStringLiteral(" "));
    EXPECT_EQ(section().sourcePosOf(0), 7);
    section().addLineBreakSpace(8);
    EXPECT_EQ(section().text, QStringLiteral(" "));
}

TEST_F(SectionTest, SpaceAfterLeadingFloatingImagesIsDropped)
{
    TAttributeList attributes;
    attributes.add({Attr::Align, 0, QStringLiteral("left")});
    section().insertImage(attributes, 0, false);
    EXPECT_EQ(append({u" x"}), QStringLiteral("{4}x"));
    m_section.reset();
    section().insertImage(TAttributeList(), 0, true);
    EXPECT_EQ(append({u" x"}), QStringLiteral("{7} x"));
}

TEST_F(SectionTest, LinkRunsEnterTheDocumentLinkListOnce)
{
    TUrlTarget link{QStringLiteral("http://a.example/"), QString()};
    section().setLinkRun(true, TMyFont(), FontStyles(), 0, link);
    section().setLinkRun(true, TMyFont(), FontStyles(), 0, link);
    EXPECT_EQ(m_doc.links.size(), 1u);
    append({u"go"});
    section().setLinkRun(false, TMyFont(), FontStyles(), 0, TUrlTarget());
    append({u" on"});
    EXPECT_TRUE(section().fonts[0]->isLink());
    EXPECT_FALSE(section().fonts[1]->isLink());
}

TEST(PreFormatedSection, KeepsSpacesAndStopsAtItsLimit)
{
    TSectionList doc;
    TPreFormated pre(&doc, Justify::Left, nullptr, TMyFont(), FontStyles(), 0);
    pre.appendToken(token(u"  a  ", 0), false);
    EXPECT_EQ(pre.text, QStringLiteral("  a  "));
    const QString block(300, u'x');
    while (pre.len() <= TPreFormated::kMaxLength)
        pre.appendToken(token(block, 0), false);
    const int full = pre.len();
    pre.appendToken(token(block, 0), false);
    EXPECT_EQ(pre.len(), full);
}

TEST(SpaceSections, HeightsFollowTheDefaultFontSize)
{
    TSectionList doc;
    doc.defaultFontSize = 10;
    EXPECT_EQ(TParagraphSpace(&doc).sectionHeight, 12); // 14 * 10 / 12 = 11.67
    EXPECT_EQ(THeadingSpace(&doc, 1).sectionHeight, 13);
    EXPECT_EQ(THeadingSpace(&doc, 6).sectionHeight, 3);
    EXPECT_EQ(THeadingSpace(&doc, 0).sectionHeight, 7);
    TAttributeList attributes;
    attributes.add({Attr::Size, 50, QStringLiteral("50")});
    THorzLine rule(&doc, attributes);
    EXPECT_EQ(rule.thickness, 20);
    EXPECT_EQ(rule.sectionHeight, 17 + 20 - 2);
}

TEST(MulDiv, RoundsToNearest)
{
    EXPECT_EQ(mulDiv(14, 10, 12), 12);
    EXPECT_EQ(mulDiv(3, 1, 2), 2);
    EXPECT_EQ(mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(mulDiv(12, 9, 12), 9);
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
    EXPECT_EQ(mulDiv(INT_MAX, 2, 2), INT_MAX);
}

TEST(CellTeardown, DeeplyNestedTablesAreFreedWithoutRecursion)
{
    // Deeper than the parser would ever build: freeing must not depend on the parser's cap.
    auto doc = std::make_unique<TSectionList>();
    TCell* cell = doc.get();
    for (int i = 0; i < 300000; ++i) {
        auto table = std::make_unique<ThtmlTable>(doc.get(), TAttributeList(), 0, Justify::Left,
                                                  cell, false);
        auto row = std::make_unique<TCellList>();
        row->cells.push_back(std::make_unique<TCellObj>(doc.get()));
        TCell* inner = row->cells.back()->cell.get();
        table->rows.push_back(std::move(row));
        cell->sections.push_back(std::move(table));
        cell = inner;
    }
    doc.reset();
    SUCCEED();
}

TEST(CellTeardown, EmptyPlainSectionsAreNotKept)
{
    TSectionList doc;
    doc.add(std::make_unique<TSection>(&doc, Justify::Left, nullptr, TMyFont(), FontStyles(), 0));
    EXPECT_TRUE(doc.isEmpty());
    auto anchored =
        std::make_unique<TSection>(&doc, Justify::Left, nullptr, TMyFont(), FontStyles(), 0);
    anchored->anchored = true;
    doc.add(std::move(anchored));
    doc.add(
        std::make_unique<TPreFormated>(&doc, Justify::Left, nullptr, TMyFont(), FontStyles(), 0));
    EXPECT_EQ(doc.sections.size(), 2u);
}

} // namespace
} // namespace vantoro
