#include "playlists/PlaylistFiles.h"
#include "platform/ProgressWindows.h"
#include "playlists/ClipList.h"
#include "playlists/DelayedProgress.h"
#include "playlists/PlaylistEntryResolver.h"
#include "playlists/PlaylistFormat.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

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

TEST_F(PlaylistFiles, RelativeNamesAreTakenAgainstThePlaylistsFolder)
{
    const QString clip = touch(QStringLiteral("clip.mp3"));
    touch(QStringLiteral("beside-the-playlist.mp3"));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.mp3"));
    QDir(m_dir.path()).mkdir(QStringLiteral("cwd"));
    writeFileBytes(path(QStringLiteral("cwd/relative.mp3")), "clip");
    const QByteArray badName = QFile::encodeName(m_dir.path()) + "/bad\xff.mp3";
    ::close(::creat(badName.constData(), 0644));
    ASSERT_EQ(::symlink(QFile::encodeName(clip).constData(),
                        QFile::encodeName(path(QStringLiteral("link.mp3"))).constData()),
              0);

    const QByteArray ref = " <ENTRY><REF HREF=\"";
    const QByteArray end = "\" /></ENTRY>\r\n";
    const QByteArray bytes = asxBytes(QStringLiteral("t"), {}).replace("</ASX>\r\n", "") + ref +
                             clip.toUtf8() + end + ref + path(QStringLiteral("link.mp3")).toUtf8() +
                             end +                                                     // link: kept
                             ref + path(QStringLiteral("folder.mp3")).toUtf8() + end + // folder
                             ref + "relative.mp3" + end +            // not in the current folder
                             ref + "beside-the-playlist.mp3" + end + // but beside the playlist
                             ref + "http://example.org/page.html" + end +          // web page
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
                                         path(QStringLiteral("beside-the-playlist.mp3"))}));
}

// What a caller needs to write the missing entries back: the local name each stands for, or
// the text of one that names no local file; in file order, duplicates kept.
TEST_F(PlaylistFiles, MissingEntriesAreHandedBackInFileOrder)
{
    const QString clip = touch(QStringLiteral("clip.mp3"));
    const QByteArray ref = " <ENTRY><REF HREF=\"";
    const QByteArray end = "\" /></ENTRY>\r\n";
    const QByteArray asx = asxBytes(QStringLiteral("t"), {}).replace("</ASX>\r\n", "") + ref +
                           "/unplugged/a.mp3" + end + ref + clip.toUtf8() + end + ref +
                           "sub/relative.mp3" + end + ref + "file:///unplugged/b%20c.mp3" + end +
                           ref + "http://example.org/live.mp3" + end +
                           " <ENTRY><REF HREF=\"no closing quote\r\n" + // empty: nothing to keep
                           ref + "/unplugged/a.mp3" + end + "</ASX>\r\n";
    writeFileBytes(path(QStringLiteral("list.asx")), asx);
    ClipList list;
    QStringList missing = {QStringLiteral("kept before")};
    EXPECT_EQ(ReadPlaylist(list, path(QStringLiteral("list.asx")), m_boxes, nullptr, &missing),
              std::optional<int>(6));
    EXPECT_EQ(list.items(), QStringList{clip});
    EXPECT_EQ(
        missing,
        QStringList({QStringLiteral("kept before"), QStringLiteral("/unplugged/a.mp3"),
                     path(QStringLiteral("sub/relative.mp3")), QStringLiteral("/unplugged/b c.mp3"),
                     QStringLiteral("http://example.org/live.mp3"),
                     QStringLiteral("/unplugged/a.mp3")}));

    // Another program's ASX: XML references are decoded in an address kept as text.
    writeFileBytes(path(QStringLiteral("other.asx")),
                   "<asx version=\"3.0\"><entry><ref href=\"http://h/s?a=1&amp;b=2\"/></entry>"
                   "</asx>");
    missing.clear();
    EXPECT_EQ(ReadPlaylist(list, path(QStringLiteral("other.asx")), m_boxes, nullptr, &missing),
              std::optional<int>(1));
    EXPECT_EQ(missing, QStringList{QStringLiteral("http://h/s?a=1&b=2")});
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
        {"list.m3u", m3u, {clip, clip}, 1},
        {"LIST.M3U", m3u, {clip, clip}, 1},
        {"list.asx", asx, {clip}, 1},
        {"LIST.ASX", asx, {clip}, 1},
        {"list.pls", m3u, {}, 0},
        {"list", asx, {}, 0},
        {"list.m3u8", m3u, {clip, clip}, 1},
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

// Playlists as other programs write them: every format, line end, encoding and form of entry
// gives all its clips, as the paths found, and counts exactly the entries that name nothing.
class OtherProgramsPlaylists : public PlaylistFiles
{
protected:
    enum class Form { Absolute, Relative, FileUri, Backslashes };
    enum class Encoding { Utf8, Utf8Mark, Windows1252, Utf16Le, Utf16Be };

    void SetUp() override
    {
        PlaylistFiles::SetUp();
        QDir(m_dir.path()).mkpath(QStringLiteral("media/sub"));
        for (const QString& name : kClips)
            touch(QStringLiteral("media/") + name);
    }

    // The entry as the format writes it (XML escapes, URI encoding), before the file's encoding.
    QString entryText(const QString& name, Form form, const QString& format) const
    {
        const QString absolute = path(QStringLiteral("media/") + name);
        const bool xspf = format == u"xspf";
        const auto encoded = [](const QString& p) {
            return QString::fromLatin1(QUrl::toPercentEncoding(p, "/"));
        };
        QString text;
        switch (form) {
        case Form::Absolute:
            text = xspf ? encoded(absolute) : absolute;
            break;
        case Form::Relative:
            text =
                xspf ? encoded(QStringLiteral("media/") + name) : QStringLiteral("media/") + name;
            break;
        case Form::FileUri:
            text = QStringLiteral("file://") + encoded(absolute);
            break;
        case Form::Backslashes:
            text = QStringLiteral("media\\") + QString(name).replace(u'/', u'\\');
            break;
        }
        if (format == u"asx" || xspf)
            text.replace(u'&', QStringLiteral("&amp;"));
        return text;
    }

    QString playlistText(const QString& format, Form form, const QString& le) const
    {
        QStringList entries;
        for (const QString& name : kClips)
            entries.append(entryText(name, form, format));
        entries.insert(2, entryText(QStringLiteral("gone.mp3"), form, format));
        entries.append(QStringLiteral("http://radio.example.org/stream.mp3"));
        QString t;
        int n = 0;
        if (format == u"m3u" || format == u"m3u8") {
            t = QStringLiteral("#EXTM3U") + le;
            for (const QString& e : entries)
                t += QStringLiteral("#EXTINF:10,Artist - Title %1.mp3").arg(++n) + le + e + le;
        } else if (format == u"pls") {
            t = QStringLiteral("[playlist]") + le;
            for (const QString& e : entries) {
                ++n;
                t += QStringLiteral("File%1=").arg(n) + e + le +
                     QStringLiteral("Title%1=Song %1.mp3").arg(n) + le;
            }
            t +=
                QStringLiteral("NumberOfEntries=%1").arg(n) + le + QStringLiteral("Version=2") + le;
        } else if (format == u"asx") {
            t = QStringLiteral("<asx version=\"3.0\">") + le +
                QStringLiteral("<title>Mix &amp; more</title>") + le;
            for (const QString& e : entries)
                t += QStringLiteral("  <entry><title>x.mp3</title><ref href=\"") + e +
                     QStringLiteral("\"/></entry>") + le;
            t += QStringLiteral("</asx>") + le;
        } else {
            t = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + le +
                QStringLiteral("<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">") + le +
                QStringLiteral("<trackList>") + le;
            for (const QString& e : entries)
                t += QStringLiteral("<track><location>") + e +
                     QStringLiteral("</location><title>x.mp3</title></track>") + le;
            t += QStringLiteral("</trackList></playlist>") + le;
        }
        return t;
    }

    static QByteArray encode(const QString& text, Encoding encoding)
    {
        switch (encoding) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Utf8Mark:
            return "\xEF\xBB\xBF" + text.toUtf8();
        case Encoding::Windows1252:
            return text.toLatin1(); // the clip names hold no character where the two differ
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const bool little = encoding == Encoding::Utf16Le;
            QByteArray out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
            for (const QChar c : text) {
                const char low = char(c.unicode() & 0xFF);
                const char high = char(c.unicode() >> 8);
                out.append(little ? low : high);
                out.append(little ? high : low);
            }
            return out;
        }
        }
        return {};
    }

    const QStringList kClips = {QStringLiteral("a.mp3"),
                                QStringLiteral(u"\u00e9t\u00e9 \u00fc.ogg"),
                                QStringLiteral("Tom & co 100%.wav"),
                                QStringLiteral("sub/no extension"), QStringLiteral("b.opus")};
};

TEST_F(OtherProgramsPlaylists, LoadWithAllTheirClipsAndNoFalseWarnings)
{
    QStringList expected;
    for (const QString& name : kClips)
        expected.append(path(QStringLiteral("media/") + name));
    const QStringList formats = {"m3u", "m3u8", "asx", "pls", "xspf"};
    const struct
    {
        const char* name;
        QString text;
    } lineEnds[] = {{"LF", "\n"}, {"CRLF", "\r\n"}, {"CR", "\r"}};
    const struct
    {
        const char* name;
        Form form;
    } forms[] = {{"absolute", Form::Absolute},
                 {"relative", Form::Relative},
                 {"file URI", Form::FileUri},
                 {"backslashes", Form::Backslashes}};
    const struct
    {
        const char* name;
        Encoding encoding;
    } encodings[] = {{"UTF-8", Encoding::Utf8},
                     {"UTF-8 with mark", Encoding::Utf8Mark},
                     {"Windows-1252", Encoding::Windows1252},
                     {"UTF-16LE", Encoding::Utf16Le},
                     {"UTF-16BE", Encoding::Utf16Be}};
    int read = 0;
    for (const QString& format : formats) {
        for (const auto& le : lineEnds) {
            for (const auto& form : forms) {
                for (const auto& enc : encodings) {
                    if (format == u"m3u8" && enc.encoding == Encoding::Windows1252)
                        continue; // .m3u8 is UTF-8 by definition: below
                    const QString name = QStringLiteral("list.") + format;
                    writeFileBytes(path(name),
                                   encode(playlistText(format, form.form, le.text), enc.encoding));
                    ClipList list;
                    list.add(QStringLiteral("stale"));
                    const std::optional<int> missing = ReadPlaylist(list, path(name), m_boxes);
                    SCOPED_TRACE(testing::Message() << format.toStdString() << ", " << le.name
                                                    << ", " << form.name << ", " << enc.name);
                    EXPECT_EQ(missing, std::optional<int>(2));
                    EXPECT_EQ(list.items(), expected);
                    ++read;
                }
            }
        }
    }
    EXPECT_EQ(read, 5 * 3 * 4 * 5 - 3 * 4);
    EXPECT_TRUE(m_boxes.shown.isEmpty());

    // .m3u8 is UTF-8 whatever its bytes: a Windows-1252 name is no name there.
    writeFileBytes(
        path(QStringLiteral("latin.m3u8")),
        encode(playlistText(QStringLiteral("m3u8"), Form::Absolute, "\n"), Encoding::Windows1252));
    ClipList list;
    EXPECT_EQ(ReadPlaylist(list, path(QStringLiteral("latin.m3u8")), m_boxes),
              std::optional<int>(3));
    EXPECT_EQ(list.count(), 4);
}

TEST_F(PlaylistFiles, OwnFilesReadBackExactlyIncludingLineBreaksInNames)
{
    const QString amp = touch(QStringLiteral("Tom &amp; co.mp3"));
    const QString ref = touch(QStringLiteral("a &#233; b.mp3"));
    const QString lf = touch(QStringLiteral("two\nlines.mp3"));
    const QString cr = touch(QStringLiteral("carriage\rreturn & more.mp3"));
    ClipList list;
    list.addAll({amp, ref, lf, cr, lf});
    const QString playlist = path(QStringLiteral("own\nlist.asx"));
    ASSERT_TRUE(WritePlaylist(list, playlist, playlist, m_boxes));
    const QByteArray bytes = readFileBytes(playlist);
    EXPECT_EQ(bytes.count("\r\n"), 11) << "one line per entry, line breaks escaped";
    EXPECT_TRUE(bytes.contains(
        QByteArray("<Title>" + QFile::encodeName(m_dir.path()) + "/own&#10;list.asx</Title>")));
    ClipList back;
    EXPECT_EQ(ReadPlaylist(back, playlist, m_boxes), std::optional<int>(0));
    EXPECT_EQ(back.items(), list.items());
}

// Opens a window on demand, records what it was shown, and cancels when told to.
class FakeProgressWindows final : public ProgressWindows
{
public:
    struct Window final : ProgressWindow
    {
        explicit Window(FakeProgressWindows& windows) : owner(windows) { ++owner.onScreen; }
        ~Window() override { --owner.onScreen; }
        void setProgress(qint64 done, qint64 total) override
        {
            owner.updates.append({done, total});
            if (owner.cancelAtUpdate > 0 && owner.updates.size() >= owner.cancelAtUpdate)
                owner.pressedCancel = true;
        }
        bool cancelled() const override { return owner.pressedCancel; }
        FakeProgressWindows& owner;
    };
    std::unique_ptr<ProgressWindow> open(const QString& text) override
    {
        texts.append(text);
        return std::make_unique<Window>(*this);
    }
    QStringList texts;
    QList<std::pair<qint64, qint64>> updates;
    int cancelAtUpdate = 0;
    bool pressedCancel = false;
    int onScreen = 0; // windows not yet closed
};

TEST_F(PlaylistFiles, LongReadsShowProgressAndCancelLeavesTheListAsItWas)
{
    // Enough entries for several progress checks and several blocks.
    const QString clip = touch(QStringLiteral("clip.mp3"));
    QByteArray m3u;
    for (int i = 0; i < 40000; ++i)
        m3u += clip.toUtf8() + "\n";
    const QString playlist = path(QStringLiteral("long.m3u"));
    writeFileBytes(playlist, m3u);
    ClipList before;
    before.addAll({QStringLiteral("/m/b.mp3"), QStringLiteral("/m/a.mp3")});
    before.setSorted(true);

    // Quick: no window at all.
    {
        FakeProgressWindows windows;
        qint64 now = 0;
        DelayedProgress progress(windows, QStringLiteral("Reading"), [&] { return now; });
        ClipList list = before;
        EXPECT_EQ(ReadPlaylist(list, playlist, m_boxes, &progress), std::optional<int>(0));
        EXPECT_EQ(list.count(), 40000);
        EXPECT_TRUE(windows.texts.isEmpty());
    }
    // Slow: the window comes after half a second and counts up to the file's size.
    {
        FakeProgressWindows windows;
        qint64 now = 0;
        DelayedProgress progress(windows, QStringLiteral("Reading"), [&] { return now += 100; });
        ClipList list = before;
        EXPECT_EQ(ReadPlaylist(list, playlist, m_boxes, &progress), std::optional<int>(0));
        EXPECT_EQ(list.count(), 40000);
        ASSERT_EQ(windows.texts, QStringList(QStringLiteral("Reading")));
        EXPECT_EQ(windows.onScreen, 0) << "the window closes as the read ends";
        EXPECT_TRUE(progress.update(1, 1));
        EXPECT_EQ(windows.onScreen, 0) << "and does not come back";
        ASSERT_FALSE(windows.updates.isEmpty());
        EXPECT_EQ(windows.updates.last(), std::make_pair(qint64(m3u.size()), qint64(m3u.size())));
        for (const auto& [done, total] : windows.updates)
            EXPECT_LE(done, total);
    }
    // Cancelled: the list is the one from before, sorting and all, and no box is shown.
    for (const int cancelAt : {1, 3}) {
        FakeProgressWindows windows;
        windows.cancelAtUpdate = cancelAt;
        qint64 now = 0;
        DelayedProgress progress(windows, QStringLiteral("Reading"), [&] { return now += 100; });
        ClipList list = before;
        EXPECT_EQ(ReadPlaylist(list, playlist, m_boxes, &progress), std::nullopt);
        EXPECT_TRUE(progress.cancelled());
        EXPECT_EQ(list.items(), before.items());
        EXPECT_TRUE(list.sorted());
        EXPECT_EQ(windows.updates.size(), cancelAt) << "reading stops at the cancel";
        EXPECT_EQ(windows.onScreen, 0);
        EXPECT_TRUE(m_boxes.shown.isEmpty());
    }
}

TEST(DelayedProgress, NoWindowBeforeHalfASecond)
{
    FakeProgressWindows windows;
    qint64 now = 1000;
    DelayedProgress progress(windows, QStringLiteral("t"), [&] { return now; });
    now += DelayedProgress::kDelayMs - 1;
    EXPECT_TRUE(progress.update(1, 10));
    EXPECT_FALSE(progress.windowShown());
    now += 1;
    EXPECT_TRUE(progress.update(2, 10));
    EXPECT_TRUE(progress.windowShown());
    EXPECT_EQ(windows.updates, (QList<std::pair<qint64, qint64>>{{2, 10}}));
    windows.pressedCancel = true;
    EXPECT_FALSE(progress.update(3, 10));
    EXPECT_FALSE(progress.update(4, 10)) << "a cancel is final";
    EXPECT_EQ(windows.texts.size(), 1);
}

} // namespace
} // namespace vantoro
