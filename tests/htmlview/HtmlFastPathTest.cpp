// The tokenizer reads running text, tag names and attribute values in whole stretches when it
// can; these tests hold those stretches to the character-by-character rules, including at the
// edges of the 8-character blocks the text scan examines at once.

#include "htmlview/HtmlTokenizer.h"
#include "htmlview/ModelPool.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace vantoro {
namespace {

bool isWhite(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Running text as the rules read it: every run of white space is one space at the position of
// its first character; everything else stands at its own position.
void expectedText(const std::u16string& source, std::u16string& text, std::vector<qint32>& pos)
{
    for (size_t i = 0; i < source.size();) {
        if (isWhite(source[i])) {
            text.push_back(u' ');
            pos.push_back(qint32(i));
            while (i < source.size() && isWhite(source[i]))
                ++i;
        } else {
            text.push_back(source[i]);
            pos.push_back(qint32(i));
            ++i;
        }
    }
}

TEST(HtmlFastPath, RunningTextMatchesTheCharacterRules)
{
    // Letters, Latin-1 and high characters (0x8000 and up read as negative in signed 16-bit
    // comparisons) mixed with every kind of white space, at many lengths.
    const char16_t alphabet[] = {u'a',  u'b',  u'.', u' ',   u' ',  u'\t',
                                 u'\r', u'\n', 0xE9, 0x8123, 0xFFFD};
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        std::u16string source;
        const int length = 1 + int(random() % 260);
        for (int i = 0; i < length; ++i)
            source.push_back(alphabet[random() % std::size(alphabet)]);
        std::u16string wantText;
        std::vector<qint32> wantPos;
        expectedText(source, wantText, wantPos);

        HtmlTokenizer tz(QStringView(source.data(), qsizetype(source.size())));
        std::u16string gotText;
        std::vector<qint32> gotPos;
        for (tz.next(); tz.sym() != Sym::Eof; tz.next()) {
            ASSERT_EQ(tz.sym(), Sym::Text);
            ASSERT_LE(tz.token().length(), 100);
            const QStringView t = tz.token().text();
            gotText.append(t.utf16(), size_t(t.size()));
            const std::vector<qint32>& p = tz.token().positions();
            ASSERT_EQ(p.size(), size_t(t.size()));
            gotPos.insert(gotPos.end(), p.begin(), p.end());
        }
        ASSERT_EQ(gotText, wantText) << "round " << round;
        ASSERT_EQ(gotPos, wantPos) << "round " << round;
    }
}

TEST(HtmlFastPath, TextStopsAtEveryMarkupCharacter)
{
    struct Case
    {
        const char16_t* html;
        const char16_t* firstToken;
        Sym next;
    };
    const Case cases[] = {
        {u"abcdefg <b>", u"abcdefg ", Sym::B},
        {u"abcdefgh&amp;", u"abcdefgh", Sym::Text},
        {u"abcdefghijklmno<i>", u"abcdefghijklmno", Sym::I},
        {u"abc defg\x01x", u"abc defg", Sym::Other},
        {u"abcdefg  hijklmnop", u"abcdefg hijklmnop", Sym::Eof},
        {u"ab<!-- c -->cdefghijk l", u"abcdefghijk l", Sym::Eof},
    };
    for (const Case& c : cases) {
        HtmlTokenizer tz(c.html);
        tz.next();
        EXPECT_EQ(tz.token().text(), QStringView(c.firstToken))
            << QString::fromUtf16(c.html).toStdString();
        tz.next();
        EXPECT_EQ(tz.sym(), c.next) << QString::fromUtf16(c.html).toStdString();
    }
}

TEST(HtmlFastPath, TextIsCutIntoTokensOfAtMostAHundredCharacters)
{
    const QString source = QString(250, u'x');
    HtmlTokenizer tz(source);
    std::vector<qsizetype> lengths;
    for (tz.next(); tz.sym() != Sym::Eof; tz.next())
        lengths.push_back(tz.token().length());
    EXPECT_EQ(lengths, (std::vector<qsizetype>{100, 100, 50}));
}

TEST(HtmlFastPath, AttributeValuesReadTabsAndLineEndsAsTheRulesSay)
{
    // An unquoted value ends at white space; what follows it is no attribute that counts.
    HtmlTokenizer tz(u"<IMG alt=\"a\tb\r\ncdefghij&lt;k<l\" name=abcdefghij src=x\ty.gif>");
    tz.next();
    ASSERT_EQ(tz.sym(), Sym::Img);
    EXPECT_EQ(tz.attributes().text(Attr::Alt), QStringLiteral("a bcdefghij<k<l"));
    EXPECT_EQ(tz.attributes().text(Attr::Src), QStringLiteral("x"));
    EXPECT_EQ(tz.attributes().text(Attr::Name), QStringLiteral("abcdefghij"));
}

TEST(HtmlFastPath, SectionSkipsLeadingSpaceAcrossPositionRuns)
{
    TSectionList doc;
    TSection section(&doc, Justify::Left, nullptr, TMyFont(), FontStyles(), 0);
    TokenObj token;
    token.addChar(u' ', 3);
    token.addRun(u"ab", 2, 10);
    token.addChar(u'c', 20);
    section.appendToken(token, false);
    EXPECT_EQ(section.text, QStringLiteral("abc"));
    EXPECT_EQ(section.sourcePosOf(0), 10);
    EXPECT_EQ(section.sourcePosOf(1), 11);
    EXPECT_EQ(section.sourcePosOf(2), 20);
    EXPECT_EQ(token.positions(), (std::vector<qint32>{3, 10, 11, 20}));
}

TEST(HtmlFastPath, PoolHandsOutDistinctBlocksAndCountsThem)
{
    const ModelPoolUsage before = modelPoolUsage();
    std::vector<std::pair<void*, size_t>> blocks;
    std::set<void*> seen;
    for (size_t size : {1, 16, 17, 100, 144, 512, 513, 4000}) {
        for (int i = 0; i < 300; ++i) {
            void* p = modelAllocate(size);
            ASSERT_TRUE(seen.insert(p).second);
            std::memset(p, 0xAB, size);
            blocks.emplace_back(p, size);
        }
    }
    EXPECT_GT(modelPoolUsage().liveBytes, before.liveBytes);
    for (auto [p, size] : blocks)
        modelFree(p, size);
    EXPECT_EQ(modelPoolUsage().liveBytes, before.liveBytes);
    // Freed blocks are reused before a new chunk is taken.
    const size_t chunks = modelPoolUsage().chunkBytes;
    void* again = modelAllocate(144);
    EXPECT_EQ(modelPoolUsage().chunkBytes, chunks);
    modelFree(again, 144);
}

// The engine builds section text and reads attribute values into strings whose storage it
// reserves once and reuses (QString::append into reserved room, resize() within the
// capacity). Parse speed rests on Qt keeping that storage; if a Qt release stops doing so,
// this fails before the parse benchmark quietly loses its margin.
TEST(HtmlFastPath, QtKeepsReservedStringStorage)
{
    QString built;
    built.reserve(256);
    const QChar* storage = built.constData();
    for (int i = 0; i < 250; ++i)
        built.append(QStringView(u"x"));
    EXPECT_EQ(built.constData(), storage) << "QString::append reallocated within reserved room";

    QString value(300, u'v');
    storage = value.constData();
    value.resize(10);
    value.resize(290);
    EXPECT_EQ(value.constData(), storage) << "QString::resize gave up or moved its storage";
    EXPECT_GE(value.capacity(), 300);
}

} // namespace
} // namespace vantoro
