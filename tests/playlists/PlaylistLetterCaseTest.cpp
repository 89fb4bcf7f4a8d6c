// Playlists that name their clips in another letter case than the disk holds (as playlists
// made on Windows do), and ASX entries whose references are alternatives.

#include "playlists/ClipList.h"
#include "playlists/LetterCaseLookup.h"
#include "playlists/PlaylistFiles.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

using test::FakeMessageBoxes;
using test::readFileBytes;
using test::writeFileBytes;

class PlaylistLetterCase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"media/Sub Dir/a.wav", "media/\xc3\xa9t\xc3\xa9.ogg",
                                 "media/x.wav", "media/X.wav", "Twin/b.wav", "twin/b.wav"})
            touch(QString::fromUtf8(name));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString touch(const QString& name) const
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeFileBytes(path(name), "clip");
        return path(name);
    }
    // Reads the playlist `name` holding `text`; the clips found and the missing count.
    std::pair<QStringList, std::optional<int>> read(const QString& name, const QByteArray& text)
    {
        writeFileBytes(path(name), text);
        ClipList list;
        const std::optional<int> missing = ReadPlaylist(list, path(name), m_boxes);
        return {list.items(), missing};
    }

    QTemporaryDir m_dir;
    FakeMessageBoxes m_boxes;
};

// The entries as each format writes them; `absolute` is a full path.
QByteArray playlist(const QString& format, const QList<QByteArray>& entries)
{
    QByteArray t;
    int n = 0;
    for (const QByteArray& e : entries) {
        ++n;
        if (format == u"m3u" || format == u"m3u8")
            t += "#EXTINF:1,x\r\n" + e + "\r\n";
        else if (format == u"pls")
            t += "File" + QByteArray::number(n) + "=" + e + "\n";
        else if (format == u"asx")
            t += "<entry><ref href=\"" + e + "\"/></entry>\n";
        else if (format == u"xspf")
            t += "<track><location>" +
                 (e.startsWith('/') ? QUrl::fromLocalFile(QString::fromUtf8(e)).toEncoded()
                                    : QUrl::toPercentEncoding(QString::fromUtf8(e), "/")) +
                 "</location></track>\n";
        else // Vantoro's own ASX lines
            t += " <ENTRY><REF HREF=\"" + e + "\" /></ENTRY>\r\n";
    }
    if (format == u"pls")
        return "[playlist]\n" + t + "NumberOfEntries=" + QByteArray::number(n) + "\n";
    if (format == u"asx")
        return "<asx version=\"3.0\">\n" + t + "</asx>\n";
    if (format == u"xspf")
        return "<playlist version=\"1\"><trackList>\n" + t + "</trackList></playlist>\n";
    if (format == u"own")
        return "<ASX VERSION=\"3.0\">\r\n<!-- x -->\r\n<Title>t</Title>\r\n"
               "<Author>Vantoro Media Manager</Author>\r\n" +
               t + "</ASX>\r\n";
    return t;
}

TEST_F(PlaylistLetterCase, EntriesInAnotherCaseFindTheirClipsInEveryFormat)
{
    const QByteArray root = m_dir.path().toUtf8();
    const QString subA = path(QStringLiteral("media/Sub Dir/a.wav"));
    const QString ete = path(QString::fromUtf8("media/\xc3\xa9t\xc3\xa9.ogg"));
    for (const char* format : {"m3u", "m3u8", "pls", "asx", "xspf", "own"}) {
        const QString f = QString::fromLatin1(format);
        const bool own = f == u"own";
        const QList<QByteArray> entries = {
            "MEDIA/SUB DIR/A.WAV",                   // relative, every component
            "Media/\xc3\x89T\xc3\x89.OGG",           // non-ASCII letters
            root + "/media/sub dir/A.Wav",           // absolute, below an exact folder
            root.toUpper() + "/MEDIA/SUB DIR/A.WAV", // absolute, every component from "/"
            "media/X.WAV",                           // x.wav and X.wav: which one is unsure
            "media/X.wav",                           // ... unless written exactly
            "TWIN/b.wav",                            // Twin and twin: unsure
            "twin/B.WAV",                            // ... the exact folder is taken
            "media/Sub Dir/a.wav/X",                 // a file is no folder
            "media/SUB DIR",                         // a folder is no clip
            "media/gone.wav",                        // missing in every case
        };
        QList<QByteArray> written = entries;
        if (f == u"pls" || f == u"m3u" || f == u"own")
            written[0] = "MEDIA\\SUB DIR\\A.WAV"; // as written on Windows
        const auto [clips, missing] =
            read(QStringLiteral("list.") + (own ? QStringLiteral("asx") : f), playlist(f, written));
        EXPECT_EQ(clips, (QStringList{subA, ete, subA, subA, path(QStringLiteral("media/X.wav")),
                                      path(QStringLiteral("twin/b.wav"))}))
            << format;
        EXPECT_EQ(missing, std::optional<int>(5)) << format;
    }
    EXPECT_TRUE(m_boxes.shown.isEmpty());
}

TEST_F(PlaylistLetterCase, ReadingTwiceGivesTheSameClipsAndWritingKeepsTheDisksNames)
{
    const QByteArray text = playlist(QStringLiteral("m3u"), {"MEDIA/SUB DIR/A.WAV", "MEDIA/X.WAV",
                                                             "media/\xc3\xa9T\xc3\xa9.ogg"});
    const auto first = read(QStringLiteral("list.m3u"), text);
    const auto second = read(QStringLiteral("list.m3u"), text);
    EXPECT_EQ(first, second);
    ASSERT_EQ(first.first.size(), 2);
    EXPECT_EQ(first.second, std::optional<int>(1));

    // Saving writes the names the disk holds, exactly.
    ClipList list;
    list.setItems(first.first);
    const QString saved = path(QStringLiteral("saved.asx"));
    ASSERT_TRUE(WritePlaylist(list, saved, saved, m_boxes));
    const QByteArray bytes = readFileBytes(saved);
    EXPECT_TRUE(bytes.contains("/media/Sub Dir/a.wav\"")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("/media/\xc3\xa9t\xc3\xa9.ogg\"")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("MEDIA"));
}

TEST_F(PlaylistLetterCase, FolderCreatedBetweenReadsIsSeenByTheNextRead)
{
    const QByteArray text = playlist(QStringLiteral("m3u"), {"NEW/C.WAV"});
    EXPECT_EQ(read(QStringLiteral("list.m3u"), text).second, std::optional<int>(1));
    const QString c = touch(QStringLiteral("new/c.wav"));
    EXPECT_EQ(read(QStringLiteral("list.m3u"), text).first, QStringList{c});
}

TEST_F(PlaylistLetterCase, AsxReferencesAreAlternativesTriedInOrder)
{
    const QString a = path(QStringLiteral("media/Sub Dir/a.wav"));
    const QString x = path(QStringLiteral("media/x.wav"));
    const auto [clips, missing] =
        read(QStringLiteral("list.asx"),
             "<asx version=\"3.0\">\n"
             // The first existing reference, after a missing file and a stream.
             "<entry><ref href=\"media/gone.wav\"/><ref href=\"http://radio.example/s\"/>\n"
             "  <ref href=\"media/x.wav\"/><ref href=\"media/Sub Dir/a.wav\"/></entry>\n"
             // The first one when it exists; the rest are not clips of their own.
             "<entry><ref href=\"media/Sub Dir/a.wav\"/><ref href=\"media/x.wav\"/></entry>\n"
             // Found ignoring case counts as existing.
             "<entry><ref href=\"gone.wav\"/><ref href=\"MEDIA/SUB DIR/A.WAV\"/></entry>\n"
             // None exists: one missing entry, not three.
             "<entry><ref href=\"g1.wav\"/><ref href=\"g2.wav\"/><ref href=\"g3.wav\"/></entry>\n"
             "<entry><ref href=\"media/x.wav\"/></entry>\n"
             "<entry><ref href=\"g4.wav\"/></entry>\n"
             "</asx>\n");
    EXPECT_EQ(clips, (QStringList{x, a, a, x}));
    EXPECT_EQ(missing, std::optional<int>(2));
}

TEST(LetterCaseLookupFold, ComparesByUnicodeCaseFolding)
{
    EXPECT_EQ(LetterCaseLookup::folded("Track 01 - A&B.MP3"), "track 01 - a&b.mp3");
    EXPECT_EQ(LetterCaseLookup::folded("\xc3\x89T\xc3\x89"), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(LetterCaseLookup::folded("\xd0\x9c\xd0\x98\xd0\xa0"), "\xd0\xbc\xd0\xb8\xd1\x80");
}

} // namespace
} // namespace vantoro
