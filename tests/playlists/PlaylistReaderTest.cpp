// The reader's rules for playlists written by other programs: M3U, PLS, XSPF and ASX as XML,
// byte-order marks and UTF-16, each fed whole and one byte at a time.

#include "playlists/PlaylistReader.h"
#include "playlists/PlaylistFormat.h"

#include <QList>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

struct Found
{
    QList<QByteArray> bytes;
    QList<PlaylistEntryEscapes> escapes;
    QList<PlaylistEntryCharset> charsets;
    QList<PlaylistEntryForm> forms;
    QList<bool> alternatives;
    QList<bool> references;
    QList<QList<QByteArray>> bases;
};

Found readIn(const QByteArray& input, PlaylistRules rules, qsizetype chunk)
{
    Found found;
    PlaylistReader reader(rules, [&](const PlaylistEntry& e) {
        found.bytes.append(e.bytes);
        found.escapes.append(e.escapes);
        found.charsets.append(e.charset);
        found.forms.append(e.form);
        found.alternatives.append(e.alternative);
        found.references.append(e.reference);
        found.bases.append(e.bases != nullptr ? *e.bases : QList<QByteArray>());
    });
    for (qsizetype at = 0; at < input.size(); at += chunk)
        if (!reader.feed(input.constData() + at, std::min(chunk, input.size() - at)))
            break;
    reader.finish();
    return found;
}

// Reads whole, then in single bytes (so that every mark, tag and line end falls across a
// boundary), and checks that both give the same entries.
Found read(const QByteArray& input, PlaylistRules rules)
{
    const Found whole = readIn(input, rules, input.size() + 1);
    const Found bytewise = readIn(input, rules, 1);
    EXPECT_EQ(whole.bytes, bytewise.bytes) << input.left(200).constData();
    EXPECT_EQ(whole.escapes, bytewise.escapes);
    EXPECT_EQ(whole.charsets, bytewise.charsets);
    EXPECT_EQ(whole.alternatives, bytewise.alternatives);
    EXPECT_EQ(whole.references, bytewise.references);
    EXPECT_EQ(whole.bases, bytewise.bases);
    return whole;
}

QList<QByteArray> entries(const QByteArray& input, PlaylistRules rules)
{
    return read(input, rules).bytes;
}

TEST(PlaylistReaderM3u, EveryLineThatIsNoCommentIsAnEntry)
{
    const struct
    {
        QByteArray text;
        QList<QByteArray> entries;
    } cases[] = {
        {"#EXTM3U\n#EXTINF:123,Artist - Title.mp3\n/m/a.mp3\n", {"/m/a.mp3"}},
        {"a.ts\nb.opus\nno extension\nx\n", {"a.ts", "b.opus", "no extension", "x"}},
        {"  \t/m/a b.mp3 \t\x01\r\n\r\n   \n", {"/m/a b.mp3"}},
        {"   # indented comment\n#\n", {}},
        {"http://radio.example.org/stream\n", {"http://radio.example.org/stream"}},
        {"\xEF\xBB\xBF/m/bom.mp3\r\n", {"/m/bom.mp3"}},
        {"C:\\Music\\a.mp3\r\nsub\\b.mp3\r\n", {"C:\\Music\\a.mp3", "sub\\b.mp3"}},
        {"/m/1.mp3\r/m/2.mp3\n/m/3.mp3\r\n/m/4.mp3",
         {"/m/1.mp3", "/m/2.mp3", "/m/3.mp3", "/m/4.mp3"}},
        {"/m/1.mp3\n/m/2.mp3\x1a\n/m/3.mp3\n", {"/m/1.mp3", "/m/2.mp3"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(entries(c.text, PlaylistRules::M3u), c.entries) << c.text.constData();
        EXPECT_EQ(entries(c.text, PlaylistRules::M3u8), c.entries) << c.text.constData();
    }
    const QByteArray longLine = "/" + QByteArray(PlaylistReader::kMaxEntryBytes, 'x') + "\n";
    EXPECT_EQ(entries(longLine, PlaylistRules::M3u), QList<QByteArray>{QByteArray()});
}

TEST(PlaylistReaderM3u, CharsetFollowsTheMarkAndTheExtension)
{
    const Found plain = read("/m/a.mp3\n", PlaylistRules::M3u);
    EXPECT_EQ(plain.charsets.value(0), PlaylistEntryCharset::Utf8Else1252);
    EXPECT_EQ(plain.escapes.value(0), PlaylistEntryEscapes::None);
    EXPECT_EQ(read("/m/a.mp3\n", PlaylistRules::M3u8).charsets.value(0),
              PlaylistEntryCharset::Utf8);
    EXPECT_EQ(read("\xEF\xBB\xBF/m/a.mp3\n", PlaylistRules::M3u).charsets.value(0),
              PlaylistEntryCharset::Utf8);
}

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char low = char(u & 0xFF);
        const char high = char(u >> 8);
        out.append(littleEndian ? low : high);
        out.append(littleEndian ? high : low);
    }
    return out;
}

TEST(PlaylistReader, Utf16WithAMarkIsReadAsUtf16)
{
    // U+011A has 0x1A (Ctrl-Z) as one byte: it must not end the file.
    const QString text = QStringLiteral(u"#EXTM3U\r\n/m/\u00e9\u011a\U0001F3B5.mp3\r\nrel.mp3\r\n");
    for (const bool little : {true, false}) {
        const Found found = read(utf16(text, little), PlaylistRules::M3u);
        EXPECT_EQ(found.bytes,
                  (QList<QByteArray>{QStringLiteral(u"/m/\u00e9\u011a\U0001F3B5.mp3").toUtf8(),
                                     "rel.mp3"}))
            << little;
        EXPECT_EQ(found.charsets.value(0), PlaylistEntryCharset::Utf8);
    }
    const QString asx = QStringLiteral(u"<asx version=\"3.0\"><entry><ref href=\"\u00e9.wma\"/>"
                                       u"</entry></asx>");
    EXPECT_EQ(entries(utf16(asx, true), PlaylistRules::Asx),
              QList<QByteArray>{QStringLiteral(u"\u00e9.wma").toUtf8()});
    // An unpaired surrogate, and a last odd byte: replacement characters, never a crash.
    QByteArray broken = utf16(QStringLiteral("/m/a"), true) + QByteArray("\x00\xD8\x41\x00", 4) +
                        QByteArray("\n\x00x", 3);
    EXPECT_EQ(entries(broken, PlaylistRules::M3u),
              (QList<QByteArray>{QStringLiteral(u"/m/a\uFFFDA").toUtf8(),
                                 QStringLiteral(u"\uFFFD").toUtf8()}));
}

TEST(PlaylistReaderPls, FileKeysAreEntries)
{
    const QByteArray pls = "[playlist]\r\nFile1=/m/a.mp3\r\nTitle1=Song.mp3\r\nLength1=-1\r\n"
                           "file2 = rel/b.ogg \r\nFILE10=http://x.example/s\r\nFile=/no.mp3\r\n"
                           "Files3=/no.mp3\r\nFile4=\r\nNumberOfEntries=3\r\nVersion=2\r\n";
    EXPECT_EQ(entries(pls, PlaylistRules::Pls),
              (QList<QByteArray>{"/m/a.mp3", "rel/b.ogg", "http://x.example/s"}));
    const QByteArray longValue = "File1=/" + QByteArray(PlaylistReader::kMaxEntryBytes, 'x');
    EXPECT_EQ(entries(longValue, PlaylistRules::Pls), QList<QByteArray>{QByteArray()});
}

TEST(PlaylistReaderXspf, EveryLocationOfEachTrack)
{
    const QByteArray xspf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
        "  <location>http://x.example/this-list.xspf</location>\n"
        "  <trackList>\n"
        "    <track><title>A</title><location>file:///m/a%20b.mp3</location>"
        "<location>file:///m/alternative.mp3</location></track>\n"
        "    <track>\n      <location>\n        rel/c&amp;d.ogg\n      </location>\n    </track>\n"
        "    <track><title>no location</title></track>\n"
        "    <track><location/><location><![CDATA[x&y]]>.mp3</location></track>\n"
        "    <!-- <track><location>commented.mp3</location></track> -->\n"
        "    <TRACK><Location>mixed.mp3</Location></TRACK>\n"
        "  </trackList>\n</playlist>\n";
    const Found found = read(xspf, PlaylistRules::Xspf);
    EXPECT_EQ(found.bytes, (QList<QByteArray>{"file:///m/a%20b.mp3", "file:///m/alternative.mp3",
                                              "rel/c&amp;d.ogg", "x&amp;y.mp3", "mixed.mp3"}));
    EXPECT_EQ(found.alternatives, (QList<bool>{false, true, false, false, false}));
    EXPECT_EQ(found.escapes.value(0), PlaylistEntryEscapes::Xml);
    EXPECT_EQ(found.forms.value(0), PlaylistEntryForm::Uri);
}

TEST(PlaylistReaderAsx, OtherProgramsFilesAreReadAsXml)
{
    const struct
    {
        const char* name;
        QByteArray text;
        QList<QByteArray> entries;
    } cases[] = {
        {"any case, blanks around =, both quotes",
         "<asx version=\"3.0\">\n<Entry><Ref  Href = 'a b.wav' /></Entry>\n"
         "<eNtRy><rEf hReF\t=\t\"c.wav\"></eNtRy>\n<ENTRY><REF HREF=unquoted.wav /></ENTRY></asx>",
         {"a b.wav", "c.wav", "unquoted.wav"}},
        {"all on one line",
         "<ASX><ENTRY><REF HREF=\"1.mp3\"/></ENTRY><ENTRY><REF HREF=\"2.mp3\"/></ENTRY>"
         "<ENTRY><REF HREF=\"3.mp3\"/></ENTRY></ASX>",
         {"1.mp3", "2.mp3", "3.mp3"}},
        {"every REF of an ENTRY",
         "<ASX>\n<ENTRY>\n<REF HREF=\"main.mp3\"/>\n<REF HREF=\"fallback.mp3\"/>\n</ENTRY>\n"
         "<ENTRY><REF/><REF HREF=\"first-with-href.mp3\"/></ENTRY></ASX>",
         {"main.mp3", "fallback.mp3", "first-with-href.mp3"}},
        {"links, pictures and pages are no clips; an ENTRYREF is passed as a reference",
         "<ASX><ENTRYREF HREF=\"http://x.example/more.asx\"/><MOREINFO HREF=\"http://x.example\"/>"
         "<BANNER HREF=\"b.gif\"><MOREINFO HREF=\"x\"/></BANNER>"
         "<ENTRY><PARAM NAME=\"HREF\" VALUE=\"no.mp3\"/><REF HREFX=\"no.mp3\" HREF=\"yes.mp3\"/>"
         "</ENTRY></ASX>",
         {"http://x.example/more.asx", "yes.mp3"}},
        {"comments and quoted '>'",
         "<ASX><!-- <ENTRY><REF HREF=\"commented.mp3\"/></ENTRY> --><ENTRY>"
         "<REF HREF=\"a>b.mp3\"/></ENTRY><Title>x < y</Title></ASX>",
         {"a>b.mp3"}},
        {"references are passed on undecoded",
         "<ASX><ENTRY><REF HREF=\"Tom &amp; Jerry &#233; & co.mp3\"/></ENTRY></ASX>",
         {"Tom &amp; Jerry &#233; & co.mp3"}},
        {"REF outside any ENTRY",
         "<ASX><REF HREF=\"1.mp3\"/><REF HREF=\"2.mp3\"/></ASX>",
         {"1.mp3", "2.mp3"}},
        {"empty HREF counts", "<ASX><ENTRY><REF HREF=\"\"/></ENTRY></ASX>", {""}},
        {"unterminated at the end", "<ASX><ENTRY><REF HREF=\"cut.mp3", {"cut.mp3"}},
        {"Ctrl-Z ends the file",
         "<ASX><ENTRY><REF HREF=\"1.mp3\"/></ENTRY>\x1a<ENTRY><REF HREF=\"2.mp3\"/></ENTRY>",
         {"1.mp3"}},
    };
    for (const auto& c : cases) {
        const Found found = read(c.text, PlaylistRules::Asx);
        EXPECT_EQ(found.bytes, c.entries) << c.name;
        for (const PlaylistEntryEscapes e : found.escapes)
            EXPECT_EQ(e, PlaylistEntryEscapes::Xml) << c.name;
    }
}

TEST(PlaylistReaderAsx, LaterReferencesOfAnEntryAreItsAlternatives)
{
    const Found found = read("<ASX><ENTRY><REF HREF=\"a1\"/><ref href='a2'><REF HREF=\"a3\" "
                             "HREF=\"not-a-reference\"/></ENTRY>"
                             "<REF HREF=\"loose1\"/><REF HREF=\"loose2\"/>"
                             "<ENTRY><REF/><REF HREF=\"b1\"/><REF HREF=\"b2\"/></ENTRY>"
                             "<ENTRY/><ENTRY><REF HREF=\"c1\"/></ENTRY></ASX>",
                             PlaylistRules::Asx);
    EXPECT_EQ(found.bytes,
              (QList<QByteArray>{"a1", "a2", "a3", "loose1", "loose2", "b1", "b2", "c1"}));
    EXPECT_EQ(found.alternatives,
              (QList<bool>{false, true, true, false, false, false, true, false}));
    // Neither M3U nor PLS has alternatives (XSPF: EveryLocationOfEachTrack).
    for (const PlaylistRules rules : {PlaylistRules::M3u, PlaylistRules::Pls})
        for (const bool a : read("<track><location>x</location><location>y</location></track>\n"
                                 "File1=z\n",
                                 rules)
                                .alternatives)
            EXPECT_FALSE(a);
}

QByteArray ownHeader(const QByteArray& lineEnd = "\r\n")
{
    return "<ASX VERSION=\"3.0\">" + lineEnd + "<!-- https://x.example -->" + lineEnd +
           "<Title>/p/list.asx</Title>" + lineEnd + "<Author>Vantoro Media Manager</Author>" +
           lineEnd + "<Copyright>c</Copyright>" + lineEnd;
}

TEST(PlaylistReaderAsx, OwnFilesKeepTheirWritersRules)
{
    const QByteArray body = " <ENTRY><REF HREF=\"/m/Tom &amp; co.mp3\" /></ENTRY>\r\n"
                            " <ENTRY><REF href=\"/m/lower.mp3\" /></ENTRY>\r\n"
                            " <ENTRY><REF HREF=\"/m/a&#10;b.mp3\" /></ENTRY>\r\n</ASX>\r\n";
    const Found own = read(ownHeader() + body, PlaylistRules::Asx);
    EXPECT_EQ(own.bytes, (QList<QByteArray>{"/m/Tom &amp; co.mp3", "/m/a&#10;b.mp3"}));
    for (const PlaylistEntryEscapes e : own.escapes)
        EXPECT_EQ(e, PlaylistEntryEscapes::OwnLineBreaks);
    EXPECT_EQ(own.charsets.value(0), PlaylistEntryCharset::Utf8);
    // Other line ends and blanks around the author line still make an own file.
    EXPECT_EQ(read(ownHeader("\n") + body, PlaylistRules::Asx).escapes.value(0),
              PlaylistEntryEscapes::OwnLineBreaks);

    // The same entries under another author: read as XML.
    QByteArray other = ownHeader() + body;
    other.replace("Vantoro Media Manager", "Someone Else");
    const Found xml = read(other, PlaylistRules::Asx);
    EXPECT_EQ(xml.bytes,
              (QList<QByteArray>{"/m/Tom &amp; co.mp3", "/m/lower.mp3", "/m/a&#10;b.mp3"}));
    EXPECT_EQ(xml.escapes.value(0), PlaylistEntryEscapes::Xml);
    // The author on another line is no own file either.
    QByteArray moved = ownHeader() + body;
    moved.replace("<Title>/p/list.asx</Title>\r\n", "");
    EXPECT_EQ(read(moved, PlaylistRules::Asx).escapes.value(0), PlaylistEntryEscapes::Xml);
}

TEST(PlaylistReaderAsx, ALongFirstLineIsNoOwnFile)
{
    // 100,000 entries on one line: no waiting for a fourth line, nothing held but one entry.
    QByteArray line = "<ASX>";
    for (int i = 0; i < 100000; ++i)
        line += "<ENTRY><REF HREF=\"/m/" + QByteArray::number(i) + ".mp3\"/></ENTRY>";
    const Found found = readIn(line, PlaylistRules::Asx, 4096);
    ASSERT_EQ(found.bytes.size(), 100000);
    EXPECT_EQ(found.bytes.last(), "/m/99999.mp3");
}

TEST(AsxWriter, EscapesOnlyLineBreaks)
{
    EXPECT_EQ(escapeAsxLineBreaks(QStringLiteral("/m/a\nb\r\nc & &#10; \"d\".mp3")),
              QStringLiteral("/m/a&#10;b&#13;&#10;c & &#10; \"d\".mp3"));
    const QString plain = QStringLiteral("/m/plain & \u00e9.mp3");
    EXPECT_EQ(escapeAsxLineBreaks(plain), plain);
}

} // namespace
} // namespace vantoro
