#include "app/CommandLine.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFiles.h"

#include <QFileInfo>
#include <QHash>
#include <QMultiHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace vantoro;

namespace {

using Kind = CommandLineRequest::Kind;

struct Case
{
    QStringList arguments;
    Kind kind;
    QString playlist; // expected path for Play
};

TEST(CommandLine, PlaylistsAreAcceptedAndEverythingElseIsRefused)
{
    const QString cwd = QStringLiteral("/home/user/Music");
    const Case cases[] = {
        {{}, Kind::None, {}},
        {{"/home/user/party.asx"}, Kind::Play, "/home/user/party.asx"},
        {{"Party.ASX"}, Kind::Play, "/home/user/Music/Party.ASX"},
        {{"../lists/old.m3u"}, Kind::Play, "/home/user/lists/old.m3u"},
        {{"radio.m3u8"}, Kind::Play, "/home/user/Music/radio.m3u8"},
        {{"Radio.PLS"}, Kind::Play, "/home/user/Music/Radio.PLS"},
        {{"/srv/party.xspf"}, Kind::Play, "/srv/party.xspf"},
        {{"old.wpl"}, Kind::Play, "/home/user/Music/old.wpl"},
        {{"stream.wax"}, Kind::Play, "/home/user/Music/stream.wax"},
        {{"movie.asf"}, Kind::Invalid, {}},
        {{"file:///home/user/My%20Lists/a%23b.asx"}, Kind::Play, "/home/user/My Lists/a#b.asx"},
        {{"file://localhost/srv/x.m3u"}, Kind::Play, "/srv/x.m3u"},
        {{"--play"}, Kind::Invalid, {}},
        {{"-"}, Kind::Invalid, {}},
        {{"clip.mp3"}, Kind::Invalid, {}},
        {{"notes"}, Kind::Invalid, {}},
        {{"http://example.org/list.asx"}, Kind::Invalid, {}},
        {{"file://otherhost/list.asx"}, Kind::Invalid, {}},
        {{"a.asx", "b.asx"}, Kind::Invalid, {}},
        {{""}, Kind::Invalid, {}},
    };
    for (const Case& c : cases) {
        const CommandLineRequest request =
            parseCommandLine(QStringList{QStringLiteral("vantoro")} + c.arguments, cwd);
        const QString given = c.arguments.join(u' ');
        EXPECT_EQ(request.kind, c.kind) << given.toStdString();
        if (c.kind == Kind::Play) {
            EXPECT_EQ(request.playlist, c.playlist) << given.toStdString();
        }
        if (c.kind == Kind::Invalid) {
            EXPECT_TRUE(request.error.startsWith(QStringLiteral("vantoro: ")))
                << given.toStdString();
            EXPECT_FALSE(request.error.contains(u'\n')) << "one line: " << given.toStdString();
        }
    }
}

// The built program started from a shell (standard input a terminal), in a private home:
// --help and --version answer on stdout with code 0 even where no window system can be reached
// (the X11 plugin asked for and no display, where Qt itself would abort); a wrong argument
// ends with code 2 and one line on stderr before anything is shown or written. (Without a
// terminal it is shown in a box as well: open_playlist_e2e.sh.)
TEST(CommandLine, TheBuiltProgramAnswersAShell)
{
    const QString buildDir = qEnvironmentVariable("VANTORO_BUILD_DIR");
    if (buildDir.isEmpty())
        GTEST_SKIP() << "run through ctest";
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    const struct
    {
        QStringList arguments;
        const char* platform;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--help"}, "xcb", 0, "Usage: vantoro [PLAYLIST]\n", ""},
        {{"-h"}, "xcb", 0, "Usage: vantoro [PLAYLIST]\n", ""},
        {{"list.asx", "--help"}, "xcb", 0, "Usage: vantoro [PLAYLIST]\n", ""},
        {{"--version"}, "xcb", 0, "vantoro " VANTORO_VERSION "\n", ""},
        {{"-V"}, "xcb", 0, "vantoro " VANTORO_VERSION "\n", ""},
        {{"holiday.jpg"},
         "offscreen",
         2,
         "",
         "vantoro: 'holiday.jpg' is not a playlist Vantoro reads"},
    };
    for (const auto& c : cases) {
        const std::string given = c.arguments.join(u' ').toStdString();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.platform));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setStandardInputFile(QString::fromLocal8Bit(::ptsname(terminal)));
        program.start(buildDir + QStringLiteral("/vantoro"), c.arguments);
        ASSERT_TRUE(program.waitForFinished(20000)) << given;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << given;
        EXPECT_EQ(program.exitCode(), c.exitCode) << given;
        const QByteArray out = program.readAllStandardOutput();
        const QByteArray err = program.readAllStandardError();
        EXPECT_TRUE(out.startsWith(c.out)) << given << ": " << out.constData();
        EXPECT_TRUE(err.startsWith(c.err)) << given << ": " << err.constData();
        EXPECT_EQ(err.count('\n'), *c.err ? 1 : 0) << given << ": " << err.constData();
    }
    ::close(terminal);
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/.config/Vantoro/Vantoro.INI")));
}

// The globs of each type in the shared MIME database of this machine ("weight:type:glob").
QMultiHash<QString, QString> mimeGlobs()
{
    QMultiHash<QString, QString> globs;
    for (const QByteArray& line :
         test::readFileBytes(QStringLiteral("/usr/share/mime/globs2")).split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (!line.startsWith('#') && fields.size() >= 3)
            globs.insert(QString::fromUtf8(fields[1]), QString::fromUtf8(fields[2]));
    }
    return globs;
}

// The menu entry offers Vantoro for its types, and a file manager hands over every file the
// shared MIME database on this machine gives one of them: each claimed type must be a canonical
// type of the database, and a file of each of its names must open from the command line and
// read its clip. (ASF video, whose old alias the entry once claimed, would fail here.)
TEST(CommandLine, EveryFileOfATypeTheMenuEntryClaimsOpens)
{
    // A playlist of each type that names "clip.wav" beside it.
    const QHash<QString, QByteArray> content = {
        {"audio/x-ms-asx",
         "<ASX VERSION=\"3.0\">\r\n<ENTRY><REF HREF=\"clip.wav\" /></ENTRY>\r\n</ASX>"},
        {"audio/x-mpegurl", "#EXTM3U\n#EXTINF:3,Clip\nclip.wav\n"},
        {"audio/x-scpls", "[playlist]\nFile1=clip.wav\nNumberOfEntries=1\n"},
        {"application/xspf+xml",
         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
         "<track><location>clip.wav</location></track></trackList></playlist>"},
        {"application/vnd.ms-wpl",
         "<?wpl version=\"1.0\"?>\r\n<smil><head><title>Clip</title></head>"
         "<body><seq><media src=\"clip.wav\"/></seq></body></smil>"},
    };
    QStringList claimed;
    const QByteArray entry =
        test::readFileBytes(QStringLiteral(VANTORO_SOURCE_DIR "/data/org.vantoro.Vantoro.desktop"));
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("MimeType="))
            claimed = QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
    const QMultiHash<QString, QString> globs = mimeGlobs();
    if (globs.isEmpty())
        GTEST_SKIP() << "no shared MIME database in /usr/share/mime";

    QTemporaryDir dir;
    test::writeFileBytes(dir.filePath(QStringLiteral("clip.wav")), "RIFF");
    QStringList extensions;
    for (const QString& type : claimed) {
        ASSERT_TRUE(content.contains(type)) << type.toStdString() << " is no playlist type";
        EXPECT_TRUE(globs.contains(type)) << type.toStdString() << " is no canonical type";
        for (const QString& glob : globs.values(type)) {
            const QString name = QStringLiteral("list") + glob.mid(1); // "*.asx": list.asx
            extensions.append(glob.mid(2));
            test::writeFileBytes(dir.filePath(name), content.value(type));
            const CommandLineRequest request =
                parseCommandLine({QStringLiteral("vantoro"), name}, dir.path());
            ASSERT_EQ(request.kind, Kind::Play) << name.toStdString();
            ClipList clips;
            test::FakeMessageBoxes boxes;
            EXPECT_EQ(ReadPlaylist(clips, request.playlist, boxes), std::optional<int>(0))
                << name.toStdString();
            EXPECT_EQ(clips.count(), 1) << name.toStdString() << " (" << type.toStdString() << ")";
        }
    }
    extensions.sort();
    EXPECT_EQ(extensions.join(u' '), QStringLiteral("asx m3u m3u8 pls vlc wax wmx wpl wvx xspf"))
        << "the playlists the manual page and --help name";
}

} // namespace
