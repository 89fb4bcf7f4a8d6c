// A music folder copied from Windows with its playlists: drive and server paths found by their
// tail below the playlist's folder, XSPF locations and xml:base, ASX ENTRYREF, WPL, and
// playlists that name themselves.

#include "playlists/ClipList.h"
#include "playlists/DroppedClips.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/PlaylistFormat.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

using test::FakeMessageBoxes;
using test::writeFileBytes;

class PlaylistMovedHouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"Music/Album/01 Intro.wav", "Music/Album/02 Song.wav",
                                 "Music/Live/Album/01 Intro.wav"})
            touch(QString::fromLatin1(name));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void touch(const QString& name) const
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeFileBytes(path(name), "clip");
    }
    std::pair<QStringList, std::optional<int>> read(const QString& name, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeFileBytes(path(name), text);
        ClipList list;
        const std::optional<int> missing = ReadPlaylist(list, path(name), m_boxes);
        return {list.items(), missing};
    }

    QTemporaryDir m_dir;
    FakeMessageBoxes m_boxes;
};

// The entries as each format writes them (XSPF entries are given as URIs already).
QByteArray playlist(const QString& format, const QList<QByteArray>& entries)
{
    QByteArray t;
    int n = 0;
    for (QByteArray e : entries) {
        const QByteArray xml = QByteArray(e).replace("&", "&amp;");
        if (format == u"m3u")
            t += "#EXTINF:1,x\r\n" + e + "\r\n";
        else if (format == u"pls")
            t += "File" + QByteArray::number(++n) + "=" + e + "\n";
        else if (format == u"asx")
            t += "<entry><ref href=\"" + xml + "\"/></entry>\n";
        else if (format == u"xspf")
            t += "<track><location>" + xml + "</location></track>\n";
        else if (format == u"wpl")
            t += "<media src=\"" + xml + "\" tid=\"{0}\"/>\n";
        else // Vantoro's own ASX lines
            t += " <ENTRY><REF HREF=\"" + e + "\" /></ENTRY>\r\n";
    }
    if (format == u"asx")
        return "<asx version=\"3.0\">\n" + t + "</asx>\n";
    if (format == u"xspf")
        return "<playlist version=\"1\"><trackList>\n" + t + "</trackList></playlist>\n";
    if (format == u"wpl")
        return "<?wpl version=\"1.0\"?>\n<smil><head><title>x</title></head><body><seq>\n" + t +
               "</seq></body></smil>\n";
    if (format == u"own")
        return "<ASX VERSION=\"3.0\">\r\n<!-- x -->\r\n<Title>C:\\x.asx</Title>\r\n"
               "<Author>Vantoro Media Manager</Author>\r\n" +
               t + "</ASX>\r\n";
    return t;
}

TEST_F(PlaylistMovedHouse, WindowsPathsAreFoundByTheirTailInEveryFormat)
{
    const QString intro = path(QStringLiteral("Music/Album/01 Intro.wav"));
    const QString song = path(QStringLiteral("Music/Album/02 Song.wav"));
    const QString live = path(QStringLiteral("Music/Live/Album/01 Intro.wav"));
    const struct
    {
        QByteArray text; // as paths are written
        QByteArray uri;  // as XSPF writes it
    } entries[] = {
        {"C:\\Users\\Me\\Music\\Album\\01 Intro.wav",
         "file:///C:/Users/Me/Music/Album/01%20Intro.wav"},
        {"D:/Music/ALBUM/02 song.WAV", "D:/Music/ALBUM/02%20song.WAV"}, // and in another case
        {"file:///C:/Music/Album/02%20Song.wav", "file:///C|/Music/Album/02%20Song.wav"},
        {"\\\\server\\share\\Music\\Album\\01 Intro.wav",
         "file://server/share/Music/Album/01%20Intro.wav"},
        {"C:\\Music\\Live\\Album\\01 Intro.wav", // in two places: the longer tail wins
         "file:///C:/Music/Live/Album/01%20Intro.wav"},
        {"C:\\Music\\Album\\gone.wav", "file:///C:/Music/Album/gone.wav"}, // missing, once
        {"C:\\Music\\..\\..\\Album\\01 Intro.wav", "file:///C:/../Album/01%20Intro.wav"},
    };
    // Beside its media's folders, a folder above them, and in a folder beside them.
    for (const QString& folder :
         {QStringLiteral("Music/"), QString(), QStringLiteral("Music/Playlists/")}) {
        for (const char* format : {"m3u", "pls", "asx", "own", "xspf", "wpl"}) {
            const QString f = QString::fromLatin1(format);
            QList<QByteArray> written;
            for (const auto& e : entries)
                written.append(f == u"xspf" ? e.uri : e.text);
            const auto [clips, missing] =
                read(folder + QStringLiteral("list.") + (f == u"own" ? QStringLiteral("asx") : f),
                     playlist(f, written));
            EXPECT_EQ(clips, (QStringList{intro, song, song, intro, live}))
                << format << " in " << folder.toStdString();
            EXPECT_EQ(missing, std::optional<int>(2)) << format;
        }
    }
    EXPECT_TRUE(m_boxes.shown.isEmpty());
}

TEST_F(PlaylistMovedHouse, XspfLocationsAreAlternativesAndXmlBaseIsTheirBase)
{
    const QByteArray root = QUrl::fromLocalFile(m_dir.path()).toEncoded();
    const QByteArray xspf =
        "<playlist version=\"1\" xml:base=\"Music/\"><trackList>\n"
        "<track><location>gone.wav</location><location>Album/02%20Song.wav</location>"
        "<image>Album/01%20Intro.wav</image><info>Album/01%20Intro.wav</info>"
        "<identifier>Album/01%20Intro.wav</identifier><link rel=\"x\">Album/01%20Intro.wav</link>"
        "<meta rel=\"x\">Album/01%20Intro.wav</meta><extension application=\"x\">"
        "<location>Album/01%20Intro.wav</location></extension></track>\n"
        "<track><location>gone.wav</location><location>gone-too.wav</location></track>\n"
        "<track xml:base=\"Live/Album/x.xspf\"><location>01%20Intro.wav</location></track>\n"
        "<track xml:base=\"" +
        root +
        "/Music/Album/\"><location>01%20Intro.wav</location></track>\n"
        "<track xml:base=\"http://x.example/\"><location>Album/02%20Song.wav</location>"
        "<location>" +
        root +
        "/Music/Album/02%20Song.wav</location></track>\n"
        "<track><location xml:base=\"Album/\">01%20Intro.wav</location></track>\n"
        "<track><location>Album/02%20Song.wav</location></track>\n"
        "</trackList></playlist>\n";
    const auto [clips, missing] = read(QStringLiteral("list.xspf"), xspf);
    const QString intro = path(QStringLiteral("Music/Album/01 Intro.wav"));
    const QString song = path(QStringLiteral("Music/Album/02 Song.wav"));
    EXPECT_EQ(clips, (QStringList{song, path(QStringLiteral("Music/Live/Album/01 Intro.wav")),
                                  intro, song, intro, song}));
    EXPECT_EQ(missing, std::optional<int>(1));
}

TEST_F(PlaylistMovedHouse, EntryRefsTakeTheirPlaceEachFileOnceAndNoDeeperThanEight)
{
    const auto asx = [](const QByteArray& body) -> QByteArray {
        return "<ASX version=\"3.0\">" + body + "</ASX>";
    };
    const auto ref = [](const QByteArray& href) -> QByteArray {
        return "<ENTRYREF HREF=\"" + href + "\"/>";
    };
    const auto clip = [](const QByteArray& href) -> QByteArray {
        return "<ENTRY><REF HREF=\"" + href + "\"/></ENTRY>";
    };
    QDir().mkpath(path(QStringLiteral("Music/Album/Live")));
    QDir().mkpath(path(QStringLiteral("chain")));
    // B refers back to A (a loop), to itself, to a file that is missing, and names A as a clip.
    writeFileBytes(path(QStringLiteral("Music/Album/b.asx")),
                   asx(clip("02 Song.wav") + ref("../a.asx") + ref("b.asx") + ref("none.asx") +
                       clip("..\\a.asx") + ref("C:\\Music\\Album\\Live\\c.wax") +
                       clip("01 Intro.wav")));
    // Found by its tail below b.asx's folder; its entry is taken against its own folder.
    writeFileBytes(path(QStringLiteral("Music/Album/Live/c.wax")),
                   asx(clip("..\\..\\Live\\Album\\01 Intro.wav")));
    const auto [clips, missing] =
        read(QStringLiteral("Music/a.asx"),
             asx(clip("Album/01 Intro.wav") + ref("album/B.ASX") + clip("Album/02 Song.wav") +
                 ref("Album/b.asx") + ref("http://x.example/list.asx")));
    const QString intro = path(QStringLiteral("Music/Album/01 Intro.wav"));
    const QString song = path(QStringLiteral("Music/Album/02 Song.wav"));
    EXPECT_EQ(clips,
              (QStringList{intro, song,
                           path(QStringLiteral("Music/Album/Live/../../Live/Album/01 Intro.wav")),
                           intro, song}));
    EXPECT_EQ(missing, std::optional<int>(6));

    // A chain of playlists, each with one clip and a reference to the next.
    for (int level = 0; level <= 10; ++level)
        writeFileBytes(
            path(QStringLiteral("chain/%1.asx").arg(level)),
            asx(clip("../Music/Album/01 Intro.wav") + ref(QByteArray::number(level + 1) + ".asx")));
    ClipList list;
    EXPECT_EQ(ReadPlaylist(list, path(QStringLiteral("chain/0.asx")), m_boxes),
              std::optional<int>(1));
    EXPECT_EQ(list.count(), 9);
    EXPECT_TRUE(m_boxes.shown.isEmpty());
}

TEST_F(PlaylistMovedHouse, APlaylistThatListsItselfIsNoClip)
{
    const QByteArray self = path(QStringLiteral("Music/list.")).toUtf8();
    for (const char* format : {"m3u", "pls", "asx", "own", "xspf", "wpl"}) {
        const QString f = QString::fromLatin1(format);
        const QByteArray ext = f == u"own" ? "asx" : f.toLatin1();
        const auto [clips, missing] =
            read(QStringLiteral("Music/list.") + QString::fromLatin1(ext),
                 playlist(f, {"list." + ext, "Album/01 Intro.wav", self + ext,
                              "./LIST." + ext.toUpper(), "C:\\Music\\list." + ext}));
        EXPECT_EQ(clips, QStringList{path(QStringLiteral("Music/Album/01 Intro.wav"))}) << format;
        EXPECT_EQ(missing, std::optional<int>(4)) << format;
    }
}

TEST_F(PlaylistMovedHouse, WplIsOfferedAndReadAsTheOtherXmlFormats)
{
    EXPECT_TRUE(isPlaylistFileName(QStringLiteral("/a/b.WPL")));
    EXPECT_EQ(playlistRulesFor(QStringLiteral("/a/b.Wpl")), PlaylistRules::Wpl);
    const auto [clips, missing] =
        read(QStringLiteral("Music/Playlists/list.wpl"),
             "\xEF\xBB\xBF<?wpl version=\"1.0\"?><smil><head><meta name=\"Generator\" "
             "content=\"x\"/><title>Tom &amp; co</title></head><body><seq>"
             "<media src=\"..\\Album\\01 Intro.wav\" albumTitle=\"A &amp; B\"/>"
             "<MEDIA SRC='../Album/02 Song.wav'></MEDIA><media src=\"gone.wma\"/>"
             "<media src=\"http://x.example/a.wma\"/></seq></body></smil>");
    EXPECT_EQ(clips, (QStringList{path(QStringLiteral("Music/Playlists/../Album/01 Intro.wav")),
                                  path(QStringLiteral("Music/Playlists/../Album/02 Song.wav"))}));
    EXPECT_EQ(missing, std::optional<int>(2));
}

} // namespace
} // namespace vantoro
