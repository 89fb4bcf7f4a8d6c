#include "htmlview/HtmlTokenizer.h"
#include "htmlview/HtmlDump.h"

#include "HtmlTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace vantoro {
namespace {

// All tokens of `html` as "SYM:text" joined by '|'; adjacent text tokens are merged.
QString tokens(QStringView html, bool pre = false)
{
    HtmlTokenizer tz(html);
    tz.preFormatted = pre;
    QStringList out;
    bool lastWasText = false;
    for (tz.next(); tz.sym() != Sym::Eof; tz.next()) {
        if (tz.sym() == Sym::Text) {
            if (lastWasText)
                out.last() += visibleText(tz.token().text());
            else
                out << QStringLiteral("TEXT:") + visibleText(tz.token().text());
            lastWasText = true;
            continue;
        }
        lastWasText = false;
        QString name = QString::fromLatin1(tagName(tz.sym()));
        const int s = int(tz.sym());
        if (tz.sym() > Sym::Unknown && tz.sym() < Sym::Li && (s - int(Sym::Html)) % 2 == 1)
            name.prepend(u'/');
        if (tz.sym() == Sym::H || tz.sym() == Sym::HEnd)
            name += QString::number(tz.headingLevel());
        out << name;
    }
    return out.join(u'|');
}

struct TokenCase
{
    const char16_t* html;
    const char16_t* expected;
};

// Test names show the input with everything but letters and digits as '_'.
void PrintTo(const TokenCase& c, std::ostream* os)
{
    std::string name;
    for (const char16_t* p = c.html; *p && name.size() < 24; ++p)
        name += (*p < 128 && std::isalnum(*p)) ? char(*p) : '_';
    *os << name;
}

class TokenizerCases : public ::testing::TestWithParam<TokenCase>
{
};

TEST_P(TokenizerCases, ReadsTokens)
{
    EXPECT_EQ(tokens(GetParam().html), QString::fromUtf16(GetParam().expected))
        << QString::fromUtf16(GetParam().html).toStdString();
}

INSTANTIATE_TEST_SUITE_P(WhiteSpaceAndLineEnds, TokenizerCases,
                         ::testing::Values(TokenCase{u"a  b\r\n  c", u"TEXT:a b c"},
                                           TokenCase{u"a\tb\n\n\nc", u"TEXT:a b c"},
                                           TokenCase{u"  lead", u"TEXT: lead"}));

INSTANTIATE_TEST_SUITE_P(
    Entities, TokenizerCases,
    ::testing::Values(TokenCase{u"&nbsp;&nbsp;", u"TEXT:{160}{160}"},
                      TokenCase{u"&NBSP;", u"TEXT:&NBSP;"}, TokenCase{u"&nbsp x", u"TEXT:{160} x"},
                      TokenCase{u"&#169;", u"TEXT:\u00A9"}, TokenCase{u"&#x41;", u"TEXT:&#x41;"},
                      TokenCase{u"&#7;", u"TEXT:&#7;"}, TokenCase{u"&#0;", u"TEXT:&#0;"},
                      TokenCase{u"&#9;x", u"TEXT: x"}, TokenCase{u"&#65x", u"TEXT:Ax"},
                      TokenCase{u"&hellip;", u"TEXT:..."}, TokenCase{u"&trade;", u"TEXT:\u2122"},
                      TokenCase{u"&amp;&lt;&gt;&quot;&rsquo;&ndash;", u"TEXT:&<>\"'-"},
                      TokenCase{u"&yuml;&Agrave;&frac34;", u"TEXT:\u00FF\u00C0\u00BE"},
                      TokenCase{u"&#8364;", u"TEXT:\u20AC"}, TokenCase{u"&#150;", u"TEXT:\u2013"},
                      TokenCase{u"&#66560;", u"TEXT:\U00010400"},
                      TokenCase{u"&#55296;", u"TEXT:&#55296;"},
                      TokenCase{u"&#3000000000;", u"TEXT:&#3000000000;"},
                      TokenCase{u"&abcdefg;", u"TEXT:&abcdefg;"},
                      TokenCase{u"&bogus;", u"TEXT:&bogus;"}, TokenCase{u"a & b", u"TEXT:a & b"}));

INSTANTIATE_TEST_SUITE_P(CommentsAndDeclarations, TokenizerCases,
                         ::testing::Values(TokenCase{u"a<!-- x -->b", u"TEXT:ab"},
                                           TokenCase{u"<!-- a -- b -->c", u"TEXT:c"},
                                           TokenCase{u"<!-- a --  \r\n >c", u"TEXT:c"},
                                           TokenCase{u"<!--- x --->y", u"TEXT:y"},
                                           TokenCase{u"<!-- <b> -->z", u"TEXT:z"},
                                           TokenCase{u"<!DOCTYPE html>x", u"TEXT:x"},
                                           TokenCase{u"a<!-- never closed", u"TEXT:a"},
                                           TokenCase{u"a<!DOCTYPE", u"TEXT:a"}));

INSTANTIATE_TEST_SUITE_P(
    Tags, TokenizerCases,
    ::testing::Values(TokenCase{u"<B>x</b>", u"B|TEXT:x|/B"},
                      TokenCase{u"<h2>T</H2 >", u"H2|TEXT:T|/H2"}, TokenCase{u"<h7>", u"H0"},
                      TokenCase{u"<blink>x</blink>", u"UNKNOWN|TEXT:x|UNKNOWN"},
                      TokenCase{u"</br><br/>", u"UNKNOWN|BR"}, TokenCase{u"a < b", u"TEXT:a < b"},
                      TokenCase{u"<1>", u"TEXT:<1>"}, TokenCase{u"</ x>y", u"UNKNOWN|TEXT:y"},
                      TokenCase{u"<p\r\nalign=center>", u"P"},
                      TokenCase{u"<a href=\"x>y\">z", u"A|TEXT:z"}, TokenCase{u"<b", u"B"},
                      TokenCase{u"x\x01y", u"TEXT:x|OTHER|TEXT:y"},
                      TokenCase{u"x\x1Ay", u"TEXT:x|OTHER|TEXT:y"}));

TEST(HtmlTokenizer, PreformattedTextKeepsSpacesAndFoldsEveryLineEnd)
{
    EXPECT_EQ(tokens(u"a  b\r\nc\n\rd\re\nf\r\n\r\ng\n\nh\ti", true),
              QStringLiteral("TEXT:a  b{13}c{13}d{13}e{13}f{13}{13}g{13}{13}h i"));
}

TEST(HtmlTokenizer, TextRunsStopAtOneHundredCharacters)
{
    const QString text(250, u'x');
    HtmlTokenizer tz(text);
    tz.next();
    EXPECT_EQ(tz.token().length(), 100);
    tz.next();
    EXPECT_EQ(tz.token().length(), 100);
    tz.next();
    EXPECT_EQ(tz.token().length(), 50);
    tz.next();
    EXPECT_EQ(tz.sym(), Sym::Eof);
}

TEST(HtmlTokenizer, NoBreakTurnsWhiteSpaceRunsIntoOneMark)
{
    HtmlTokenizer tz(u"a \r\n b");
    tz.noBreak = true;
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("a\x05"
                                                "b"));
}

TEST(HtmlTokenizer, PositionsCountSourceCharacters)
{
    HtmlTokenizer tz(u"ab\r\n  cd&amp;<b>e");
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("ab cd"));
    EXPECT_EQ(tz.token().positions(), (std::vector<qint32>{0, 1, 2, 6, 7}));
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("&"));
    EXPECT_EQ(tz.token().positions(), (std::vector<qint32>{8}));
    tz.next();
    EXPECT_EQ(tz.sym(), Sym::B);
    EXPECT_EQ(tz.tagStart(), 13);
    tz.next();
    EXPECT_EQ(tz.token().positions(), (std::vector<qint32>{16}));
}

TEST(HtmlTokenizer, RejectedEntityKeepsThePositionOfEachCharacter)
{
    HtmlTokenizer tz(u"x&bad;");
    tz.next();
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("&bad;"));
    EXPECT_EQ(tz.token().positions(), (std::vector<qint32>{1, 2, 3, 4, 5}));
}

TEST(HtmlTokenizer, AttributeValueForms)
{
    HtmlTokenizer tz(u"<font color=\"#33\r\n33FF\" size=+1 face='Arial, Sans' x-y=z "
                     u"COLOR=second>");
    tz.next();
    ASSERT_EQ(tz.sym(), Sym::Font);
    const auto& items = tz.attributes().items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].which, Attr::Color);
    EXPECT_EQ(items[0].name, QStringLiteral("#3333FF"));
    EXPECT_EQ(items[1].which, Attr::Size);
    EXPECT_EQ(items[1].name, QStringLiteral("+1"));
    EXPECT_EQ(items[1].value, 1);
    EXPECT_EQ(items[2].name, QStringLiteral("Arial, Sans"));
    EXPECT_EQ(items[3].which, Attr::Unknown);
    EXPECT_EQ(items[3].name, QStringLiteral("z"));
    // A lookup answers the first attribute of a kind.
    EXPECT_EQ(tz.attributes().text(Attr::Color), QStringLiteral("#3333FF"));
}

TEST(HtmlTokenizer, QuotedValuesReadTheSameInEveryDocumentOfAThread)
{
    // Tokenizers of one thread hand their storage on: values of an earlier document must not
    // show through in a later one, whatever their lengths.
    {
        HtmlTokenizer first(u"<font color=\"#3333FF\" face=\"A family name long enough to grow "
                            u"the storage\" size='+2'>");
        first.next();
        const auto& items = first.attributes().items();
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].name, QStringLiteral("#3333FF"));
        EXPECT_EQ(items[1].which, Attr::Face);
        EXPECT_EQ(items[2].name, QStringLiteral("+2"));
        EXPECT_EQ(items[2].value, 2);
    }
    {
        HtmlTokenizer second(u"<font color=\"\" face=\"x\" size=\" 7 \"><b>");
        second.next();
        const auto& items = second.attributes().items();
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].name, QString());
        EXPECT_EQ(items[1].name, QStringLiteral("x"));
        EXPECT_EQ(items[2].name, QStringLiteral(" 7 "));
        EXPECT_EQ(items[2].value, 7);
        second.next();
        EXPECT_EQ(second.sym(), Sym::B);
    }
    HtmlTokenizer third(u"<p>");
    third.next();
    EXPECT_EQ(third.sym(), Sym::P);
    EXPECT_TRUE(third.attributes().isEmpty());
}

TEST(HtmlTokenizer, NumericValuesAndPercentages)
{
    HtmlTokenizer tz(u"<td width=50% height=\" 40% \" colspan=3x rowspan=99999999999>");
    tz.next();
    const auto& items = tz.attributes().items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, QStringLiteral("50%"));
    EXPECT_EQ(items[0].value, 50);
    EXPECT_EQ(items[1].value, 40);
    EXPECT_EQ(items[2].name, QStringLiteral("3x"));
    EXPECT_EQ(items[2].value, 0);
    EXPECT_EQ(items[3].value, 0);
}

TEST(HtmlTokenizer, BorderWithoutValueCountsOne)
{
    HtmlTokenizer tz(u"<table border cellpadding=\"&#52;\">");
    tz.next();
    ASSERT_EQ(tz.attributes().items().size(), 2u);
    EXPECT_EQ(tz.attributes().find(Attr::Border)->value, 1);
    EXPECT_EQ(tz.attributes().find(Attr::CellPadding)->value, 4);
}

TEST(HtmlTokenizer, OnlyKeepingTagsReplaceTheAttributeList)
{
    HtmlTokenizer tz(u"<p align=right><b class=x><center id=y>");
    tz.next();
    tz.next();
    tz.next();
    EXPECT_EQ(tz.sym(), Sym::Center);
    EXPECT_EQ(tz.attributes().text(Attr::Align), QStringLiteral("right"));
}

TEST(HtmlTokenizer, ParagraphSpaceFlagClearsOnContent)
{
    HtmlTokenizer tz(u"<b>x<i>");
    tz.paragraphSpace = true;
    tz.next();
    EXPECT_TRUE(tz.paragraphSpace);
    tz.next();
    EXPECT_FALSE(tz.paragraphSpace);
}

TEST(HtmlTokenizer, ScriptContentIsRawAndCommentsStayInIt)
{
    HtmlTokenizer tz(u"<script language=js>if (a<b) x();<!-- y -->\r\n</scrip></script >"
                     u"</SCRIPT>after");
    tz.next();
    ASSERT_EQ(tz.sym(), Sym::Script);
    // "</script >" is not the end: the name must be followed directly by '>'.
    EXPECT_EQ(tz.scriptText(), QStringLiteral("if (a<b) x();<!-- y -->\r</scrip></script >"));
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("after"));
}

TEST(HtmlTokenizer, UnterminatedCommentEndsInputAndIsReported)
{
    HtmlTokenizer tz(u"a<!-- b");
    tz.next();
    EXPECT_EQ(tz.token().text(), QStringLiteral("a"));
    tz.next();
    EXPECT_EQ(tz.sym(), Sym::Eof);
    EXPECT_TRUE(tz.openCommentAtEnd());
}

TEST(HtmlTokenizer, IncludeDirectiveReadsTheAnsweredText)
{
    QString command;
    QStringList params;
    int calls = 0;
    HtmlTokenizer tz(u"a<!--#include file=\"x.htm\" virtual='y' -->b<!--#echo-->c",
                     [&](const QString& cmd, const QStringList& p) {
                         ++calls;
                         command = cmd;
                         params = p;
                         return cmd == u"include" ? QStringLiteral("<i>in</i><!--#include-->")
                                                  : QString();
                     });
    QStringList seen;
    for (tz.next(); tz.sym() != Sym::Eof; tz.next())
        seen << QString::fromLatin1(tagName(tz.sym())) + u':' + tz.token().text();
    // An include is not read while another one is active, so the nested one is a comment.
    EXPECT_EQ(seen.join(u' '), QStringLiteral("TEXT:a I: TEXT:in I: TEXT:bc"));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(command, QStringLiteral("echo"));
    EXPECT_TRUE(params.isEmpty());
}

TEST(HtmlTokenizer, IncludeParametersArePassedAsNameValueLines)
{
    QStringList params;
    HtmlTokenizer tz(u"<!--#include file=\"x.htm\" virtual='y'-->",
                     [&](const QString&, const QStringList& p) {
                         params = p;
                         return QString();
                     });
    tz.next();
    EXPECT_EQ(params,
              (QStringList{QStringLiteral("FILE=\"x.htm\""), QStringLiteral("VIRTUAL=\"y\"")}));
}

TEST(HtmlSymbols, EveryTagOfTheTableIsRecognised)
{
    const QStringList withEnd =
        QStringLiteral(
            "HTML TITLE BODY HEAD B I H EM STRONG U CITE VAR TT CODE KBD SAMP OL UL DIR MENU DL A "
            "ADDRESS BLOCKQUOTE PRE CENTER TABLE TD TH CAPTION FORM TEXTAREA SELECT OPTION FONT "
            "SUB "
            "SUP BIG SMALL P MAP FRAMESET NOFRAMES SCRIPT DIV S STRIKE TR NOBR")
            .split(u' ');
    const QStringList withoutEnd = QStringLiteral("LI BR HR DD DT IMG BASE BUTTON INPUT SELECTED "
                                                  "BASEFONT AREA FRAME BGSOUND WRAP META WBR")
                                       .split(u' ');
    ASSERT_EQ(withEnd.size(), 49);
    ASSERT_EQ(withoutEnd.size(), 17);
    for (const QString& name : withEnd) {
        const std::string n = name.toStdString();
        EXPECT_NE(lookupTag(n, false), Sym::Unknown) << n;
        EXPECT_EQ(int(lookupTag(n, true)), int(lookupTag(n, false)) + 1) << n;
    }
    for (const QString& name : withoutEnd) {
        const std::string n = name.toStdString();
        EXPECT_NE(lookupTag(n, false), Sym::Unknown) << n;
        EXPECT_EQ(lookupTag(n, true), Sym::Unknown) << n;
    }
    EXPECT_EQ(lookupAttribute("HTTP-EQUIV"), Attr::HttpEquiv);
    EXPECT_EQ(lookupAttribute("NOWRAP"), Attr::NoWrap);
    EXPECT_EQ(lookupAttribute("CLASS"), Attr::Unknown);
}

struct ColorCase
{
    const char16_t* value;
    std::optional<TColor> expected;
};

TEST(HtmlSymbols, ColourValues)
{
    const ColorCase cases[] = {
        {u"#3333FF", 0x02FF3333},   {u"3333FF", 0x02FF3333},    {u"#FFF", 0x0200F0FF},
        {u"red", 0x020000FF},       {u"Navy", 0x02800000},      {u"fuchsia", 0x02FF00FF},
        {u"33#33ff", 0x02FF3333},   {u"#", 0x02000000},         {u"#12345678", 0x02785634},
        {u"", std::nullopt},        {u"zz", std::nullopt},      {u"#12345678901", std::nullopt},
        {u"reddish", std::nullopt}, {u"#009900", 0x02009900},   {u"#a0b0c0", 0x02C0B0A0},
        {u"#12345G", std::nullopt}, {u"##12345", std::nullopt},
    };
    for (const ColorCase& c : cases) {
        EXPECT_EQ(parseHtmlColor(QStringView(c.value)), c.expected)
            << QString::fromUtf16(c.value).toStdString();
    }
}

} // namespace
} // namespace vantoro
