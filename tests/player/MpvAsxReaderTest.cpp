#include "player/MpvAsxReader.h"

#include "common/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace vantoro;

namespace {

struct AsxCase
{
    const char* name;
    const char* text;
    QStringList entries;
};

void PrintTo(const AsxCase& c, std::ostream* out)
{
    *out << c.name;
}

class MpvAsxReaderCases : public ::testing::TestWithParam<AsxCase>
{
};

TEST_P(MpvAsxReaderCases, FindsTheEntries)
{
    EXPECT_EQ(MpvAsxReader::parse(QByteArrayView(GetParam().text)), GetParam().entries);
}

const AsxCase kCases[] = {
    {"OwnWriterFormat",
     "<ASX VERSION=\"3.0\">\r\n<!-- https://x.example/ -->\r\n<Title>/t/playlist.tmp</Title>\r\n"
     "<Author>Vantoro Media Manager</Author>\r\n<Copyright>c</Copyright>\r\n"
     " <ENTRY><REF HREF=\"/m/a.mp3\" /></ENTRY>\r\n <ENTRY><REF HREF=\"/m/b.jpg\" /></ENTRY>\r\n"
     "</ASX>\r\n",
     {"/m/a.mp3", "/m/b.jpg"}},
    {"BareAmpersandAndEntityTextKept",
     "<asx><entry><ref href=\"/m/Tom & Jerry &amp; co.mp3\"/></entry></asx>",
     {"/m/Tom & Jerry &amp; co.mp3"}},
    {"NamesInAnyCaseBlanksAroundEqualsSingleQuotes",
     "<Asx><Entry><Ref  Href = '/m/a b.wav' /></Entry><eNtRy><rEf hReF=\"/m/c.wav\"></eNtRy>",
     {"/m/a b.wav", "/m/c.wav"}},
    {"FirstRefOfAnEntryOnly",
     "<ENTRY><REF HREF=\"/m/1.wav\"/><REF HREF=\"/m/fallback.wav\"/></ENTRY>"
     "<ENTRY><REF HREF=\"/m/2.wav\"/></ENTRY>",
     {"/m/1.wav", "/m/2.wav"}},
    {"RefOutsideEntriesEachCount",
     "<ASX><REF HREF=\"/m/1.wav\"/><REF HREF=\"/m/2.wav\"/></ASX>",
     {"/m/1.wav", "/m/2.wav"}},
    {"QuotedGreaterThanInsideAPath", "<ENTRY><REF HREF=\"/m/a>b.wav\" /></ENTRY>", {"/m/a>b.wav"}},
    {"EmptyHrefStaysAnEntryToKeepTheNumbering",
     "<ENTRY><REF HREF=\"\" /></ENTRY><ENTRY><REF HREF=\"/m/2.wav\" /></ENTRY>",
     {"", "/m/2.wav"}},
    {"CommentsEntryRefsAndOtherAttributesIgnored",
     "<!-- <ENTRY><REF HREF=\"/m/commented.wav\"/></ENTRY> -->"
     "<ENTRYREF HREF=\"http://x.example/list.asx\"/>"
     "<ENTRY><REF TYPE=\"x\" HREFX=\"/m/no.wav\"/></ENTRY>"
     "<ENTRY><PARAM NAME=\"HREF\" VALUE=\"/m/no.wav\"/><REF HREF=\"/m/yes.wav\"/></ENTRY>",
     {"/m/yes.wav"}},
    {"EntryWithoutRefIsNoEntry",
     "<ENTRY></ENTRY><ENTRY/><ENTRY><REF HREF=\"/a\"/></ENTRY>",
     {"/a"}},
    {"UnterminatedInputEndsQuietly", "<ENTRY><REF HREF=\"/m/cut", {"/m/cut"}},
    {"OnlyTheWritersLineBreakEscapesDecoded",
     "<ENTRY><REF HREF=\"/m/two&#10;lines&#13;&#10;x &#9; &#x0A; &#010; &amp;#10;.wav\"/></ENTRY>",
     {"/m/two\nlines\r\nx &#9; &#x0A; &#010; &amp;#10;.wav"}},
    {"Utf8Path", "<ENTRY><REF HREF=\"/m/s\xc3\xb8ng.wav\"/></ENTRY>", {"/m/s\u00f8ng.wav"}},
    {"NotAPlaylistAtAll", "just text > with < odd = \" marks", {}},
};

INSTANTIATE_TEST_SUITE_P(Asx, MpvAsxReaderCases, ::testing::ValuesIn(kCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(MpvAsxReader, ReadFileReportsTheErrno)
{
    QTemporaryDir dir;
    QStringList entries{QStringLiteral("untouched")};
    int errnoValue = 0;
    EXPECT_FALSE(MpvAsxReader::readFile(dir.filePath("none.asx"), entries, errnoValue));
    EXPECT_EQ(errnoValue, ENOENT);
    EXPECT_FALSE(MpvAsxReader::readFile(dir.path(), entries, errnoValue));
    EXPECT_NE(errnoValue, 0);
    vantoro::test::writeFileBytes(dir.filePath("l.asx"), "<ENTRY><REF HREF=\"/x.wav\"/></ENTRY>");
    EXPECT_TRUE(MpvAsxReader::readFile(dir.filePath("l.asx"), entries, errnoValue));
    EXPECT_EQ(entries, QStringList{QStringLiteral("/x.wav")});
}

} // namespace
