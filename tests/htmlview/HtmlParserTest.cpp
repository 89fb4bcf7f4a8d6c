#include "htmlview/HtmlParser.h"
#include "htmlview/HtmlDump.h"
#include "htmlview/TOListItem.h"
#include "htmlview/TPreFormated.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include "HtmlTestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

class ParserTest : public ::testing::Test
{
protected:
    HtmlParseResult parse(QStringView html)
    {
        m_doc.clear();
        m_anchors.clear();
        return ParseHtmlBuffer(m_doc, html, m_options, &m_anchors);
    }
    // Text sections of the document (tables not entered).
    std::vector<const TSection*> texts() const
    {
        std::vector<const TSection*> out;
        for (const auto& s : m_doc.sections) {
            if (s->kind() != SectionKind::ParagraphSpace &&
                s->kind() != SectionKind::HeadingSpace && s->kind() != SectionKind::HorzLine &&
                s->kind() != SectionKind::Table)
                out.push_back(static_cast<const TSection*>(s.get()));
        }
        return out;
    }
    const TSection& onlyText() const
    {
        const auto t = texts();
        EXPECT_EQ(t.size(), 1u) << dumpDocument(m_doc).toStdString();
        static TSection empty(nullptr, Justify::Left, nullptr, TMyFont(), FontStyles(), 0);
        return t.empty() ? empty : *t.front();
    }
    // The font of the character at `index` of a section.
    static const TMyFont& fontAt(const TSection& s, int index)
    {
        return s.fonts[size_t(s.fontRunAt(index))]->font;
    }
    int count(SectionKind kind) const
    {
        return int(std::count_if(m_doc.sections.begin(), m_doc.sections.end(),
                                 [kind](const auto& s) { return s->kind() == kind; }));
    }

    TSectionList m_doc;
    HtmlParseOptions m_options;
    std::vector<AnchorName> m_anchors;
};

TEST_F(ParserTest, OneEndTagEndsNestedBold)
{
    parse(u"<B><B>x</B>y");
    const TSection& s = onlyText();
    EXPECT_EQ(s.text, QStringLiteral("xy"));
    EXPECT_TRUE(fontAt(s, 0).style & FontStyle::Bold);
    EXPECT_FALSE(fontAt(s, 1).style & FontStyle::Bold);
}

TEST_F(ParserTest, SeveralParagraphTagsGiveOneParagraphSpace)
{
    parse(u"<P><P></P><P>text");
    EXPECT_EQ(count(SectionKind::ParagraphSpace), 1);
    parse(u"a<p>\r\n<p>\r\n</p>b<p>c");
    EXPECT_EQ(count(SectionKind::ParagraphSpace), 2);
    EXPECT_EQ(texts().size(), 3u);
}

TEST_F(ParserTest, ParagraphAlignment)
{
    parse(u"<p align=center>a<p align=RIGHT></p>b<p align=bogus>c");
    const auto t = texts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0]->justify, Justify::Centre);
    // </P> takes the current justification, so the last tag of a row decides.
    EXPECT_EQ(t[1]->justify, Justify::Left);
    EXPECT_EQ(t[2]->justify, Justify::Left);
}

struct FontSizeCase
{
    const char16_t* html;
    int nominal;
};

TEST_F(ParserTest, FontSizes)
{
    const FontSizeCase cases[] = {
        {u"<font size=+1>x", 14},
        {u"<font size=9>x", 36},
        {u"<font size=-9>x", 8},
        {u"<font size=\"2\">x", 10},
        {u"<basefont size=5><font size=+1>x", 24},
        {u"<big>x", 14},
        {u"<big><big><big><big><big>x", 36},
        {u"<small><small><small>x", 8},
        {u"<font size=7><big>x", 36},
        {u"<h1>x", 24},
        {u"<h3>x", 14},
        {u"<tt>x", 10},
        {u"<pre><font size=7>x</pre>", 30},
    };
    for (const FontSizeCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.html).toStdString());
        parse(c.html);
        const auto t = texts();
        ASSERT_FALSE(t.empty());
        const TSection& s = *t.front();
        ASSERT_GT(s.len(), 0);
        EXPECT_EQ(fontAt(s, 0).nominalSize, c.nominal);
    }
}

TEST_F(ParserTest, FontSizeScalesWithTheDefaultSize)
{
    m_doc.defaultFontSize = 10;
    parse(u"a<font size=7>b");
    const TSection& s = onlyText();
    EXPECT_EQ(fontAt(s, 0).size, 10);
    EXPECT_EQ(fontAt(s, 1).size, 30);
}

TEST_F(ParserTest, BaseFontOnlyBeforeContentButItsSizeCountsAlways)
{
    parse(u"x<basefont size=1><font size=+1>y");
    const TSection& s = onlyText();
    EXPECT_EQ(fontAt(s, 1).nominalSize, 10);
}

TEST_F(ParserTest, FontColours)
{
    parse(u"<font color=3333FF>a</font><font color=\"#FFF\">b</font><font color=red>c</font>"
          u"<font color=\"nonsense\">d</font>e");
    const TSection& s = onlyText();
    EXPECT_EQ(fontAt(s, 0).color, 0x02FF3333u);
    EXPECT_EQ(fontAt(s, 1).color, 0x0200F0FFu);
    EXPECT_EQ(fontAt(s, 2).color, 0x020000FFu);
    EXPECT_EQ(fontAt(s, 3).color, m_doc.fontColor);
    EXPECT_EQ(fontAt(s, 4).color, m_doc.fontColor);
}

TEST_F(ParserTest, FontFace)
{
    parse(u"<font face=\" Arial , Helvetica\">a</font><font face=\",x\">b");
    const TSection& s = onlyText();
    EXPECT_EQ(fontAt(s, 0).name, QStringLiteral("Arial"));
    EXPECT_EQ(fontAt(s, 1).name, m_doc.defaultFontName);
}

TEST_F(ParserTest, FullFontStackIgnoresPushesAndNeverPopsTheBase)
{
    QString html;
    for (int i = 0; i < 40; ++i)
        html += QStringLiteral("<font color=red>");
    html += u'a';
    for (int i = 0; i < 60; ++i)
        html += QStringLiteral("</font>");
    html += u'b';
    parse(html);
    const TSection& s = onlyText();
    EXPECT_EQ(fontAt(s, 0).color, 0x020000FFu);
    EXPECT_EQ(fontAt(s, 1).color, m_doc.fontColor);
    EXPECT_EQ(fontAt(s, 1).name, m_doc.defaultFontName);
}

TEST_F(ParserTest, LineBreakOnAnEmptySectionKeepsAnEmptyLine)
{
    parse(u"<br>a<br><br clear=left>b");
    const auto t = texts();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0]->text, QStringLiteral(" "));
    EXPECT_EQ(t[1]->text, QStringLiteral("a"));
    EXPECT_EQ(t[2]->text, QStringLiteral(" "));
    EXPECT_EQ(t[3]->text, QStringLiteral("b"));
    EXPECT_EQ(t[3]->clearMode, 1);
}

TEST_F(ParserTest, NoBreakSpaces)
{
    parse(u"<nobr>a  b \r\n<b>c</b></nobr> d  e");
    EXPECT_EQ(visibleText(onlyText().text), QStringLiteral("a{160}b{160}c d e"));
    parse(u"<nobr>a<wbr>b</nobr><wbr>c");
    EXPECT_EQ(visibleText(onlyText().text), QStringLiteral("a bc"));
}

TEST_F(ParserTest, NonBreakingSpaceEntityRules)
{
    parse(u"a&nbsp;&nbsp;b &nbsp c&NBSP;");
    EXPECT_EQ(visibleText(onlyText().text), QStringLiteral("a{160}{160}b {160} c&NBSP;"));
}

TEST_F(ParserTest, WhiteSpaceAcrossTagsCollapses)
{
    parse(u"  a  <b> b </b>\r\n\r\n  <i>  c</i>");
    EXPECT_EQ(onlyText().text, QStringLiteral("a b c"));
}

TEST_F(ParserTest, CommentOrDeclarationBetweenWordsLeavesOneSpace)
{
    for (const char16_t* html :
         {u"a <!-- c --> b", u"a <!DOCTYPE html> b", u"a <!-- c -->\r\n b", u"a<!-- c --> b",
          u"a <!-- c -->b", u"a <!-- 1 --> <!-- 2 --> b"}) {
        parse(html);
        EXPECT_EQ(onlyText().text, QStringLiteral("a b")) << QString::fromUtf16(html).toStdString();
    }
    parse(u"<pre>a <!-- c --> b</pre>"); // pre-formatted text keeps its spaces
    EXPECT_EQ(onlyText().text, QStringLiteral("a  b"));
}

TEST_F(ParserTest, UnterminatedCommentKeepsWhatCameBefore)
{
    const HtmlParseResult r = parse(u"<b>abc</b><p>def<!-- never closed <p>ghi");
    EXPECT_EQ(r.error, QStringLiteral("Open Comment at End of HTML File"));
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1]->text, QStringLiteral("def"));
    EXPECT_TRUE(parse(u"ok").error.isEmpty());
}

TEST_F(ParserTest, StrayControlCharactersNeverBecomePlaceholders)
{
    parse(u"a\x04\x02\x1A"
          "b<pre>c\x04\x07"
          "d</pre>");
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->text, QStringLiteral("ab"));
    EXPECT_EQ(t[1]->text, QStringLiteral("cd"));
    EXPECT_TRUE(t[0]->images.empty());
}

TEST_F(ParserTest, HeadingsPushABoldFontBetweenHeadingSpaces)
{
    parse(u"<h1 align=center>Title</h1>body");
    ASSERT_EQ(m_doc.sections.size(), 4u);
    EXPECT_EQ(m_doc.sections[0]->kind(), SectionKind::HeadingSpace);
    EXPECT_EQ(m_doc.sections[2]->kind(), SectionKind::HeadingSpace);
    const auto t = texts();
    EXPECT_EQ(t[0]->justify, Justify::Centre);
    EXPECT_TRUE(fontAt(*t[0], 0).style & FontStyle::Bold);
    EXPECT_EQ(fontAt(*t[1], 0).nominalSize, 12);
    EXPECT_FALSE(fontAt(*t[1], 0).style & FontStyle::Bold);
}

TEST_F(ParserTest, LinksAndAnchors)
{
    parse(u"<a name=\"#top\">T</a> see <a href=\"x.html\" target=main>the <b>link</b></a> "
          u"<a href=y>other</a> end");
    const TSection& s = onlyText();
    ASSERT_EQ(m_anchors.size(), 1u);
    EXPECT_EQ(m_anchors[0].name, QStringLiteral("TOP"));
    EXPECT_EQ(m_anchors[0].section, &s);
    const TFontObj& link = *s.fonts[size_t(s.fontRunAt(s.text.indexOf(u"the")))];
    ASSERT_NE(link.link, nullptr);
    EXPECT_EQ(link.link->url, QStringLiteral("x.html"));
    EXPECT_EQ(link.link->target, QStringLiteral("main"));
    EXPECT_TRUE(link.font.style & FontStyle::Underline);
    EXPECT_EQ(link.font.color, m_doc.linkColor);
    const TFontObj& bold = *s.fonts[size_t(s.fontRunAt(s.text.indexOf(u"link")))];
    EXPECT_TRUE(bold.isLink());
    EXPECT_FALSE(s.fonts[size_t(s.fontRunAt(s.text.indexOf(u"end")))]->isLink());
    EXPECT_EQ(m_doc.links.size(), 3u);
}

TEST_F(ParserTest, LinkInTheSameFontStillGetsARunOfItsOwn)
{
    m_doc.linkStyle = FontStyles();
    m_doc.linkColor = m_doc.fontColor;
    parse(u"a<a href=x>b</a>c");
    const TSection& s = onlyText();
    EXPECT_FALSE(s.fonts[size_t(s.fontRunAt(0))]->isLink());
    EXPECT_TRUE(s.fonts[size_t(s.fontRunAt(1))]->isLink());
    EXPECT_FALSE(s.fonts[size_t(s.fontRunAt(2))]->isLink());
    EXPECT_EQ(m_doc.links.size(), 1u);
}

TEST_F(ParserTest, SectionStartedInsideALinkStartsWithALinkRun)
{
    parse(u"<a href=u>one<p>two</a>");
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[1]->fonts[0]->isLink());
}

TEST_F(ParserTest, TitleBaseBodyAndMeta)
{
    std::vector<QString> metas;
    m_options.onMeta = [&](const QString& h, const QString& n, const QString& c) {
        metas.push_back(h + u'|' + n + u'|' + c);
    };
    TColor background = 0;
    m_doc.onBackgroundChanged = [&](TColor c) { background = c; };
    const HtmlParseResult r =
        parse(u"<title>My  title</title><base href=\"http://h/\" target=t>"
              u"<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
              u"<body bgcolor=yellow text=#102030 link=lime vlink=navy olink=red marginwidth=500 "
              u"marginheight=-3>x<p>y<body bgcolor=black>");
    EXPECT_EQ(r.title, QStringLiteral("My title"));
    EXPECT_EQ(r.base, QStringLiteral("http://h/"));
    EXPECT_EQ(r.baseTarget, QStringLiteral("t"));
    EXPECT_EQ(r.marginWidth, 200);
    EXPECT_EQ(r.marginHeight, 0);
    ASSERT_EQ(metas.size(), 1u);
    EXPECT_EQ(metas[0], QStringLiteral("Content-Type||text/html; charset=windows-1251"));
    EXPECT_EQ(background, 0x0200FFFFu);
    EXPECT_EQ(m_doc.background, 0x0200FFFFu);
    EXPECT_EQ(m_doc.fontColor, 0x02302010u);
    EXPECT_EQ(m_doc.linkColor, 0x0200FF00u);
    EXPECT_EQ(m_doc.linkVisitedColor, 0x02800000u);
    EXPECT_TRUE(m_doc.hoverColoring);
    const TSection& s = *texts().front();
    EXPECT_EQ(fontAt(s, 0).charSet, HtmlCharSet::Russian);
    EXPECT_EQ(fontAt(s, 0).color, 0x02302010u);
}

TEST_F(ParserTest, TextBeforeBodyIsKept)
{
    parse(u"early<body bgcolor=red>late");
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->text, QStringLiteral("early"));
    EXPECT_EQ(t[1]->text, QStringLiteral("late"));
    EXPECT_EQ(m_doc.background, 0x020000FFu);
}

TEST_F(ParserTest, ScriptSoundAndIncludeEvents)
{
    QString script;
    m_options.onScript = [&](const QString& name, const QString& language, const QString& text) {
        script = name + u'|' + language + u'|' + text;
    };
    QString sound;
    m_options.onSoundRequest = [&](const QString& src, int loop, bool terminate) {
        sound += QStringLiteral("%1/%2/%3;").arg(src).arg(loop).arg(terminate);
    };
    m_options.onInclude = [](const QString&, const QStringList&) {
        return QStringLiteral("<b>included</b>");
    };
    parse(u"a<script name=n language=js>x<y\r\ny</script>b<bgsound src=s.wav><bgsound "
          u"src=t.wav loop=3><bgsound>c<!--#include file=\"f\"-->d");
    EXPECT_EQ(script, QStringLiteral("n|js|x<y\r\ny"));
    EXPECT_EQ(sound, QStringLiteral("s.wav/1/0;t.wav/3/0;"));
    EXPECT_EQ(onlyText().text, QStringLiteral("abcincludedd"));
    m_options = HtmlParseOptions();
    parse(u"a<script>hidden</script>b");
    EXPECT_EQ(onlyText().text, QStringLiteral("ab"));
}

TEST_F(ParserTest, FormsAndControls)
{
    parse(u"<form action=go method=post>Q: <input name=q type=checkbox checked>"
          u"<select name=s multiple><option value=1 selected> One <option>Two\r\n</select>"
          u"<textarea rows=2 cols=9>l1\r\nl2 &amp;</textarea></form><input>");
    ASSERT_EQ(m_doc.forms.size(), 1u);
    EXPECT_EQ(m_doc.forms[0]->action, QStringLiteral("go"));
    EXPECT_EQ(m_doc.forms[0]->controls.size(), 3u);
    const TSection& s = onlyText();
    EXPECT_EQ(visibleText(s.text), QStringLiteral("Q: {2}{2}{2}{2}"));
    ASSERT_EQ(s.formControls.size(), 4u);
    EXPECT_EQ(s.formControls[0]->type, QStringLiteral("CHECKBOX"));
    EXPECT_TRUE(s.formControls[0]->checked);
    const auto& options = s.formControls[1]->options;
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].text, QStringLiteral("One"));
    EXPECT_EQ(options[0].value, QStringLiteral("1"));
    EXPECT_TRUE(options[0].selected);
    EXPECT_EQ(options[1].text, QStringLiteral("Two"));
    EXPECT_EQ(s.formControls[2]->lines,
              (QStringList{QStringLiteral("l1"), QStringLiteral("l2 &")}));
    EXPECT_EQ(s.formControls[3]->form, nullptr);
}

TEST_F(ParserTest, ImageMaps)
{
    parse(u"<map name=m1><area shape=rect coords=\"0,0,1,1\" href=a>text<area nohref></map>"
          u"<map name=m2><area href=b><b><i><u>lost</map>");
    ASSERT_EQ(m_doc.maps.size(), 1u);
    EXPECT_EQ(m_doc.maps[0]->name, QStringLiteral("M1"));
    EXPECT_EQ(m_doc.maps[0]->areas.size(), 2u);
    EXPECT_TRUE(m_doc.maps[0]->areas[1].noHref);
}

TEST_F(ParserTest, ImagesStandInTheText)
{
    parse(u"a<img src=\"p.jpg\" align=right width=20><nobr><img src=q></nobr>");
    const TSection& s = onlyText();
    EXPECT_EQ(visibleText(s.text), QStringLiteral("a{4}{7}"));
    ASSERT_EQ(s.images.size(), 2u);
    EXPECT_EQ(s.images[0]->source, QStringLiteral("p.jpg"));
    EXPECT_EQ(s.images[0]->floating, TImageObj::Float::Right);
    EXPECT_EQ(s.images[0]->specWidth, 20);
    EXPECT_EQ(s.images[0]->pos, 1);
}

TEST_F(ParserTest, PreformattedBlockEndsAtACellEndAndLeavesItForTheTable)
{
    parse(u"<table><tr><td><pre>x  y</td><td>z</table>");
    ASSERT_EQ(m_doc.sections.size(), 1u);
    const auto& table = static_cast<const ThtmlTable&>(*m_doc.sections[0]);
    ASSERT_EQ(table.rows.size(), 1u);
    ASSERT_EQ(table.rows[0]->cells.size(), 2u);
    const TCell& first = *table.rows[0]->cells[0]->cell;
    ASSERT_EQ(first.sections.size(), 1u);
    EXPECT_EQ(first.sections[0]->kind(), SectionKind::Preformatted);
    EXPECT_EQ(static_cast<const TSection&>(*first.sections[0]).text, QStringLiteral("x  y"));
}

TEST_F(ParserTest, TableInAListItemKeepsTheItemsLine)
{
    parse(u"<ul><li><table><tr><td>c</table></ul>");
    ASSERT_EQ(m_doc.sections.size(), 2u);
    EXPECT_EQ(m_doc.sections[0]->kind(), SectionKind::UnorderedItem);
    EXPECT_EQ(static_cast<const TSection&>(*m_doc.sections[0]).text, QStringLiteral(" "));
    EXPECT_EQ(static_cast<const ThtmlTable&>(*m_doc.sections[1]).listLevel, 1);
}

TEST_F(ParserTest, StylesInsideACellDoNotLeakOut)
{
    parse(u"<b>a<table><tr><td><i>c<font color=red>d</table>e");
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    const TMyFont& after = fontAt(*t[1], 0);
    EXPECT_TRUE(after.style & FontStyle::Bold);
    EXPECT_FALSE(after.style & FontStyle::Italic);
    EXPECT_EQ(after.color, m_doc.fontColor);
}

TEST_F(ParserTest, OrderedListsNumberTheirItems)
{
    parse(u"<ol start=7 type=I><li>a<li><p>b</ol><ol start=-2><li>c</ol>");
    ASSERT_EQ(m_doc.sections.size(), 3u);
    const auto* a = static_cast<const TOListItem*>(m_doc.sections[0].get());
    const auto* b = static_cast<const TOListItem*>(m_doc.sections[1].get());
    const auto* c = static_cast<const TOListItem*>(m_doc.sections[2].get());
    EXPECT_EQ(a->number, 7);
    EXPECT_EQ(a->numberType, u'I');
    EXPECT_EQ(b->number, 8);
    EXPECT_EQ(b->text, QStringLiteral("b"));
    EXPECT_EQ(c->number, 1);
}

TEST_F(ParserTest, PlainTextLoadKeepsEveryCharacter)
{
    m_doc.clear();
    ParseTextFile(m_doc, u"line <b>1</b> &amp; <!-- x -->\r\n\n\tend");
    ASSERT_EQ(m_doc.sections.size(), 3u);
    for (const auto& s : m_doc.sections)
        EXPECT_EQ(s->kind(), SectionKind::Preformatted);
    EXPECT_EQ(static_cast<const TSection&>(*m_doc.sections[0]).text,
              QStringLiteral("line <b>1</b> &amp; <!-- x -->"));
    EXPECT_EQ(static_cast<const TSection&>(*m_doc.sections[1]).len(), 0);
    EXPECT_EQ(static_cast<const TSection&>(*m_doc.sections[2]).text, QStringLiteral(" end"));
}

TEST_F(ParserTest, HtmlFileIsReadAsUtf8)
{
    QByteArray bytes("<i>caf\xC3\xA9</i>");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    m_doc.clear();
    ParseHtmlFile(m_doc, buffer);
    EXPECT_EQ(onlyText().text, QStringLiteral("caf\u00E9"));
}

TEST_F(ParserTest, ClearingTheDocumentEmptiesEveryList)
{
    parse(u"<form><input></form><map name=x></map><a href=u>l</a>");
    m_doc.clear();
    EXPECT_TRUE(m_doc.sections.empty());
    EXPECT_TRUE(m_doc.forms.empty());
    EXPECT_TRUE(m_doc.maps.empty());
    EXPECT_TRUE(m_doc.links.empty());
    EXPECT_EQ(m_doc.len, 0);
}

} // namespace
} // namespace vantoro
