#include "playlists/PlaylistEntryResolver.h"
#include "playlists/PlaylistReader.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

using Resolver = PlaylistEntryResolver;

QStringList namesOf(const Resolver::Candidates& c)
{
    QStringList names;
    for (int i = 0; i < c.count; ++i)
        names.append(QString::fromUtf8(c.names[size_t(i)]));
    return names;
}

TEST(PlaylistEntryResolver, XmlReferences)
{
    const struct
    {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"Tom &amp; Jerry", u"Tom & Jerry"},
        {u"&lt;&gt;&quot;&apos;", u"<>\"'"},
        {u"caf&#233; &#xE9;&#XE9; &#x1F3B5;", u"caf\u00e9 \u00e9\u00e9 \U0001F3B5"},
        {u"bare & stays, &unknown; too, &amp", u"bare & stays, &unknown; too, &amp"},
        {u"&#0; &#xD800; &#x110000; &#; &#x; &#12a;", u"&#0; &#xD800; &#x110000; &#; &#x; &#12a;"},
        {u"&&amp;&", u"&&&"},
        {u"&amp;amp;", u"&amp;"},
        {u"&#x0010FFFF; &#x00010FFFF; &#1114111;", u"\U0010FFFF &#x00010FFFF; \U0010FFFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Resolver::decodeXmlReferences(QString::fromUtf16(c.in).toUtf8()),
                  QString::fromUtf16(c.out).toUtf8());
}

TEST(PlaylistEntryResolver, ManyBareAmpersandsStayLinear)
{
    // Each '&' looks only a few characters ahead for its ';'.
    const QByteArray ampersands(PlaylistReader::kMaxEntryBytes, '&');
    EXPECT_EQ(Resolver::decodeXmlReferences(ampersands), ampersands);
    const QByteArray last = ampersands + "amp;";
    EXPECT_EQ(Resolver::decodeXmlReferences(last), ampersands);
}

TEST(PlaylistEntryResolver, OwnFilesDecodeOnlyTheWritersTwoEscapes)
{
    EXPECT_EQ(Resolver::decodeOwnLineBreaks("a&#10;b&#13;&#10;c &amp; &#9; &#x0A; &#010; &#233;"),
              QByteArray("a\nb\r\nc &amp; &#9; &#x0A; &#010; &#233;"));
}

TEST(PlaylistEntryResolver, PercentDecoding)
{
    EXPECT_EQ(Resolver::percentDecode("/m/a%20b%C3%A9%2fc%"), QByteArray("/m/a b\xC3\xA9/c%"));
    EXPECT_EQ(Resolver::percentDecode("%zz%4"), QByteArray("%zz%4"));
    EXPECT_EQ(Resolver::fromWindows1252("caf\xe9 \x80 \x93x\x94 \x81"),
              QStringLiteral(u"caf\u00e9 \u20ac \u201cx\u201d \u0081"));
}

TEST(PlaylistEntryResolver, LocalNames)
{
    Resolver resolver(QStringLiteral("/p/lists/list.m3u"));
    const auto path = PlaylistEntryForm::Path;
    const auto uri = PlaylistEntryForm::Uri;
    const struct
    {
        const char16_t* text;
        PlaylistEntryForm form;
        QStringList paths;
    } cases[] = {
        {u"/m/a.mp3", path, {"/m/a.mp3"}},
        {u"a.mp3", path, {"/p/lists/a.mp3"}},
        {u"./sub/a.mp3", path, {"/p/lists/sub/a.mp3"}},
        {u"../a.mp3", path, {"/p/lists/../a.mp3"}},
        {u"sub\\a b.mp3", path, {"/p/lists/sub\\a b.mp3", "/p/lists/sub/a b.mp3"}},
        {u"C:\\Music\\a.mp3", path, {}}, // looked for by its tail: WindowsTails
        {u"a%20b.mp3", path, {"/p/lists/a%20b.mp3"}},
        {u"file:///m/a%20b%C3%A9.mp3", path, {QStringLiteral(u"/m/a b\u00e9.mp3")}},
        {u"FILE://localhost/m/a.mp3", path, {"/m/a.mp3"}},
        {u"file:/m/a.mp3", path, {"/m/a.mp3"}},
        {u"file:///m/caf%E9.mp3", path, {QStringLiteral(u"/m/caf\u00e9.mp3")}},
        {u"file://server/share/a.mp3", path, {}},
        {u"file:a.mp3", path, {}},
        {u"file:///m/a%00b.mp3", path, {}},
        {u"http://x.example/a.mp3", path, {}},
        {u"mms://x.example/live", path, {}},
        {u"rtsp://x.example/live", path, {}},
        {u"", path, {}},
        {u"a%20b.mp3", uri, {"/p/lists/a b.mp3"}},
        {u"/m/a%20b.mp3", uri, {"/m/a b.mp3"}},
        {u"file:///m/x.mp3", uri, {"/m/x.mp3"}},
    };
    for (const auto& c : cases) {
        const QByteArray text = QString::fromUtf16(c.text).toUtf8();
        const PlaylistEntry entry{text, PlaylistEntryCharset::Utf8, PlaylistEntryEscapes::None,
                                  c.form};
        EXPECT_EQ(namesOf(resolver.localNames(entry)), c.paths) << text.constData();
    }
    EXPECT_EQ(Resolver(QStringLiteral("/list.m3u")).folder(), QByteArray("/"));
    EXPECT_TRUE(Resolver(QStringLiteral("rel/list.m3u")).folder().startsWith('/'));
}

TEST(PlaylistEntryResolver, WindowsTails)
{
    const struct
    {
        const char* text;
        PlaylistEntryForm form;
        const char* tail;
    } cases[] = {
        {"C:\\Music\\Album\\01 Intro.wav", PlaylistEntryForm::Path, "Music/Album/01 Intro.wav"},
        {"d:/Music//./a.wav", PlaylistEntryForm::Path, "Music/a.wav"},
        {"file:///C:/My%20Music/a.wav", PlaylistEntryForm::Path, "My Music/a.wav"},
        {"file:///C|/a.wav", PlaylistEntryForm::Uri, "a.wav"},
        {"C:/x%20y.wav", PlaylistEntryForm::Uri, "x y.wav"},
        {"\\\\server\\share\\a.wav", PlaylistEntryForm::Path, "share/a.wav"},
        {"file://server/share/a%20b.wav", PlaylistEntryForm::Uri, "share/a b.wav"},
        {"\\Music\\a.wav", PlaylistEntryForm::Path, "Music/a.wav"},
        {"C:\\Music\\..\\a.wav", PlaylistEntryForm::Path, ""},
        {"C:a.wav", PlaylistEntryForm::Path, ""},
        {"file:///C:/a.wav%00.mp3", PlaylistEntryForm::Path, ""},
        {"/m/a.wav", PlaylistEntryForm::Path, ""},
        {"Music\\a.wav", PlaylistEntryForm::Path, ""},
        {"http://x.example/C:/a.wav", PlaylistEntryForm::Path, ""},
    };
    Resolver resolver(QStringLiteral("/p/list.m3u"));
    for (const auto& c : cases) {
        const QByteArray text(c.text);
        const PlaylistEntry entry{text, PlaylistEntryCharset::Utf8, PlaylistEntryEscapes::None,
                                  c.form};
        EXPECT_EQ(resolver.localNames(entry).windowsTail, QByteArray(c.tail)) << c.text;
    }
}

TEST(PlaylistEntryResolver, TextByCharsetAndEscapes)
{
    Resolver resolver(QStringLiteral("/p/list.asx"));
    const auto name = [&](const QByteArray& bytes, PlaylistEntryCharset charset,
                          PlaylistEntryEscapes escapes) {
        return namesOf(
            resolver.localNames(PlaylistEntry{bytes, charset, escapes, PlaylistEntryForm::Path}));
    };
    const auto strict = PlaylistEntryCharset::Utf8;
    const auto either = PlaylistEntryCharset::Utf8Else1252;
    const auto none = PlaylistEntryEscapes::None;
    const QStringList e = {QStringLiteral(u"/m/\u00e9.mp3")};
    EXPECT_EQ(name("/m/\xC3\xA9.mp3", strict, none), e);
    EXPECT_EQ(name("/m/\xE9.mp3", strict, none), QStringList()) << "not UTF-8: names no file";
    EXPECT_EQ(name(QByteArray("/m/a\0b.mp3", 10), strict, none), QStringList());
    EXPECT_EQ(name("/m/\xC3\xA9.mp3", either, none), e);
    EXPECT_EQ(name("/m/\xE9.mp3", either, none), e);
    // Once the file has shown itself to be Windows-1252, it is read so to the end.
    EXPECT_EQ(name("/m/\xC3\xA9.mp3", either, none),
              QStringList(QStringLiteral(u"/m/\u00c3\u00a9.mp3")));
    EXPECT_EQ(name("/m/Tom &amp; co&#10;.mp3", strict, PlaylistEntryEscapes::Xml),
              QStringList(QStringLiteral("/m/Tom & co\n.mp3")));
    EXPECT_EQ(name("/m/Tom &amp; co&#10;.mp3", strict, PlaylistEntryEscapes::OwnLineBreaks),
              QStringList(QStringLiteral("/m/Tom &amp; co\n.mp3")));
    EXPECT_EQ(name("/m/a&#0;b.mp3", strict, PlaylistEntryEscapes::Xml),
              QStringList(QStringLiteral("/m/a&#0;b.mp3")));
}

} // namespace
} // namespace vantoro
