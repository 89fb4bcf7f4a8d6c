#include "playlists/PlaylistFiles.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFormat.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantoro {
namespace {

using test::FakeMessageBoxes;
using test::readFileBytes;
using test::writeFileBytes;

class PlaylistFiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString touch(const QString& name) const
    {
        writeFileBytes(path(name), "clip");
        return path(name);
    }
    QStringList folderEntries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    FakeMessageBoxes m_boxes;
};

QByteArray asxBytes(const QString& title, const QStringList& entries)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeAsxPlaylist(buffer, title, entries);
    return buffer.data();
}

TEST_F(PlaylistFiles, RoundTripKeepsOrderAndDuplicatesMinusMissingFiles)
{
    const QString a = touch(QStringLiteral("Tom & Jerry's \"best\".mp3"));
    const QString b = touch(QStringLiteral(u"\u00e9t\u00e9  \u4e2d.ogg"));
    const QString gone = touch(QStringLiteral("gone.jpg"));
    ClipList list;
    list.addAll({b, a, b, gone, a});
    const QString playlist = path(QStringLiteral("list.asx"));
    ASSERT_TRUE(WritePlaylist(list, playlist, playlist, m_boxes));
    EXPECT_EQ(readFileBytes(playlist), asxBytes(playlist, list.items()));
    ASSERT_TRUE(QFile::remove(gone));

    ClipList back;
    back.add(QStringLiteral("stale"));
    back.setSorted(true);
    // A path holding a double quote cannot survive the ASX reading: it ends at the quote.
    EXPECT_EQ(ReadPlaylist(back, playlist, m_boxes), std::optional<int>(3));
    EXPECT_EQ(back.items(), QStringList({b, b}));
    EXPECT_FALSE(back.sorted());
    EXPECT_TRUE(m_boxes.shown.isEmpty());

    const QString plain = touch(QStringLiteral(u"plain \u00e9 & co.mp3"));
    list.setItems({plain, b, plain});
    ASSERT_TRUE(WritePlaylist(list, playlist, QStringLiteral("t"), m_boxes));
    EXPECT_EQ(ReadPlaylist(back, playlist, m_boxes), std::optional<int>(0));
    EXPECT_EQ(back.items(), list.items());

    list.clear();
    ASSERT_TRUE(WritePlaylist(list, playlist, QStringLiteral("t"), m_boxes));
    EXPECT_EQ(readFileBytes(playlist).count("\r\n"), 6);
    EXPECT_EQ(ReadPlaylist(back, playlist, m_boxes), std::optional<int>(0));
    EXPECT_TRUE(back.isEmpty());
}

TEST_F(PlaylistFiles, ExistenceIsTestedAsWritten)
{
    const QString clip = touch(QStringLiteral("clip.mp3"));
    touch(QStringLiteral("beside-the-playlist.mp3"));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.mp3"));
    QDir(m_dir.path()).mkdir(QStringLiteral("cwd"));
    writeFileBytes(path(QStringLiteral("cwd/relative.mp3")), "clip");
    const QByteArray badName = QFile::encodeName(m_dir.path()) + "/bad\xff.mp3";
    ::close(::creat(badName.constData(), 0644));
    ::symlink(QFile::encodeName(clip).constData(),
              QFile::encodeName(path(QStringLiteral("link.mp3"))).constData());

    const QByteArray ref = " <ENTRY><REF HREF=\"";
    const QByteArray end = "\" /></ENTRY>\r\n";
    const QByteArray bytes = asxBytes(QStringLiteral("t"), {}).replace("</ASX>\r\n", "") + ref +
                             clip.toUtf8() + end + ref + path(QStringLiteral("link.mp3")).toUtf8() +
                             end +                                                     // link: kept
                             ref + path(QStringLiteral("folder.mp3")).toUtf8() + end + // folder
                             ref + "relative.mp3" + end +                 // current folder
                             ref + "beside-the-playlist.mp3" + end +      // not looked up there
                             ref + "http://example.org/page.html" + end + // web page
                             ref + clip.toUtf8() + QByteArray("\0.mp3", 5) + end + // NUL: no file
                             ref + badName + end +                                 // not UTF-8
                             " <ENTRY><REF href=\"" + clip.toUtf8() + end +        // not an entry
                             "</ASX>\r\n";
    writeFileBytes(path(QStringLiteral("list.asx")), bytes);

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path(QStringLiteral("cwd"))));
    ClipList list;
    const std::optional<int> missing =
        ReadPlaylist(list, path(QStringLiteral("list.asx")), m_boxes);
    QDir::setCurrent(previous);
    EXPECT_EQ(missing, std::optional<int>(5));
    EXPECT_EQ(list.items(), QStringList({clip, path(QStringLiteral("link.mp3")),
                                         QStringLiteral("relative.mp3")}));
}

TEST_F(PlaylistFiles, ExtensionChoosesTheRules)
{
    const QString clip = touch(QStringLiteral("clip.mp3"));
    const QByteArray m3u = "#EXTM3U\n#EXTINF:10,Artist - Song.mp3\n" + clip.toUtf8() + "\r\n" +
                           clip.toUtf8() + "\r" + "/nowhere/x.flac\n";
    const QByteArray asx = asxBytes(QStringLiteral("t"), {clip, "/nowhere/y.mp3"});
    const struct
    {
        const char* name;
        QByteArray bytes;
        QStringList entries;
        int missing;
    } cases[] = {
        {"list.m3u", m3u, {clip, clip}, 2},
        {"LIST.M3U", m3u, {clip, clip}, 2},
        {"list.asx", asx, {clip}, 1},
        {"LIST.ASX", asx, {clip}, 1},
        {"list.pls", m3u, {}, 0},
        {"list", asx, {}, 0},
        {"list.m3u8", m3u, {clip, clip}, 2},
    };
    for (const auto& c : cases) {
        writeFileBytes(path(QString::fromLatin1(c.name)), c.bytes);
        ClipList list;
        list.add(QStringLiteral("stale"));
        EXPECT_EQ(ReadPlaylist(list, path(QString::fromLatin1(c.name)), m_boxes),
                  std::optional<int>(c.missing))
            << c.name;
        EXPECT_EQ(list.items(), c.entries) << c.name;
    }
    EXPECT_TRUE(m_boxes.shown.isEmpty());
}

TEST_F(PlaylistFiles, ReadFailuresShowTheErrorText)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.asx"))).constData(), 0600), 0);
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.asx"));
    const struct
    {
        const char* name;
        const char* text;
    } cases[] = {
        {"absent.asx", "File not found"},
        {"folder.asx", "Invalid filename"},
        {"pipe.asx", "Invalid filename"}, // would block or never end
        {"no/such/folder.m3u", "File not found"},
    };
    for (const auto& c : cases) {
        m_boxes.shown.clear();
        ClipList list;
        list.add(QStringLiteral("stale"));
        EXPECT_EQ(ReadPlaylist(list, path(QString::fromLatin1(c.name)), m_boxes), std::nullopt);
        EXPECT_EQ(m_boxes.texts(), QStringList(QString::fromLatin1(c.text))) << c.name;
        ASSERT_EQ(m_boxes.shown.size(), 1);
        EXPECT_EQ(m_boxes.shown.front().kind, MessageKind::Error);
        EXPECT_TRUE(list.isEmpty());
    }
}

TEST_F(PlaylistFiles, WriteIntoMissingFolderFails)
{
    ClipList list;
    list.add(QStringLiteral("/m/a.mp3"));
    EXPECT_FALSE(WritePlaylist(list, path(QStringLiteral("none/list.asx")), "t", m_boxes));
    EXPECT_EQ(m_boxes.texts(), QStringList(QStringLiteral("File not found")));
}

ClipList manyClips(int count, const QString& stem)
{
    ClipList list;
    for (int i = 0; i < count; ++i)
        list.add(QStringLiteral("/media/music/%1 %2 \u00e9.mp3").arg(stem).arg(i));
    return list;
}

TEST(PlaylistFilesDiskFull, OldPlaylistSurvivesAndNoTemporaryIsLeft)
{
    test::SmallTmpfs disk(256);
    if (!disk.isMounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString playlist = disk.path() + QStringLiteral("/list.asx");
    FakeMessageBoxes boxes;
    ASSERT_TRUE(WritePlaylist(manyClips(3, "old"), playlist, playlist, boxes));
    const QByteArray old = readFileBytes(playlist);
    disk.fill();

    // Small enough to fit in a partly filled page, large enough to need several writes.
    for (const int count : {1, 40, 20000}) {
        boxes.shown.clear();
        EXPECT_FALSE(WritePlaylist(manyClips(count, "new"), playlist, playlist, boxes)) << count;
        EXPECT_EQ(boxes.texts(), QStringList(QStringLiteral("Disk full"))) << count;
        EXPECT_EQ(readFileBytes(playlist), old) << count;
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({QStringLiteral(".filler"), QStringLiteral("list.asx")}));
    }
}

TEST_F(PlaylistFiles, ImmutablePlaylistIsRefusedAndKept)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root for chattr";
    const QString playlist = path(QStringLiteral("list.asx"));
    ASSERT_TRUE(WritePlaylist(manyClips(2, "old"), playlist, "t", m_boxes));
    const QByteArray old = readFileBytes(playlist);
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), playlist}) != 0)
        GTEST_SKIP() << "chattr +i is not supported here";
    const bool written = WritePlaylist(manyClips(5, "new"), playlist, "t", m_boxes);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), playlist});
    EXPECT_FALSE(written);
    EXPECT_EQ(m_boxes.texts(), QStringList(QStringLiteral("File access denied")));
    EXPECT_EQ(readFileBytes(playlist), old);
    EXPECT_EQ(folderEntries(), QStringList(QStringLiteral("list.asx")));
}

class SilentBoxes final : public MessageBoxes
{
public:
    MessageResult show(MessageKind, const QString&, MessageButtons) override
    {
        return MessageResult::Ok;
    }
};

// A writer killed at any moment leaves the old playlist or the new one, never a torn one.
TEST_F(PlaylistFiles, KilledWriterNeverLeavesATornPlaylist)
{
    const QString playlist = path(QStringLiteral("list.asx"));
    const ClipList first = manyClips(20000, "first");
    const ClipList second = manyClips(30000, "second");
    const QByteArray firstBytes = asxBytes(playlist, first.items());
    const QByteArray secondBytes = asxBytes(playlist, second.items());
    ASSERT_TRUE(WritePlaylist(first, playlist, playlist, m_boxes));

    int sawFirst = 0;
    int sawSecond = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SilentBoxes boxes;
            for (unsigned i = 0;; ++i)
                WritePlaylist(i % 2 == 0 ? second : first, playlist, playlist, boxes);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(2000, 60000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = readFileBytes(playlist);
        ASSERT_TRUE(now == firstBytes || now == secondBytes)
            << "torn playlist of " << now.size() << " bytes in round " << round;
        (now == firstBytes ? sawFirst : sawSecond) += 1;
        // A killed writer cannot remove its temporary file; it is hidden and never the playlist.
        for (const QString& name : folderEntries())
            EXPECT_TRUE(name == QStringLiteral("list.asx") ||
                        name.startsWith(QStringLiteral(".list.asx.")))
                << name.toStdString();
    }
    EXPECT_GT(sawFirst + sawSecond, 0);
}

} // namespace
} // namespace vantoro
