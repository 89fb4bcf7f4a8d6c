#include "app/CommandLine.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFiles.h"

#include <QFileInfo>
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

// The built program in a private home, started the way a test asks.
class BuiltProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString buildDir = qEnvironmentVariable("VANTORO_BUILD_DIR");
        if (buildDir.isEmpty())
            GTEST_SKIP() << "run through ctest";
        m_exe = buildDir + QStringLiteral("/vantoro");
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), m_home.path());
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/.config"));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    }
    // Standard input from a terminal of its own, as when started from a shell.
    void giveATerminal(QProcess& program)
    {
        m_terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_terminal, 0);
        ASSERT_EQ(::grantpt(m_terminal), 0);
        ASSERT_EQ(::unlockpt(m_terminal), 0);
        program.setStandardInputFile(QString::fromLocal8Bit(::ptsname(m_terminal)));
    }
    void TearDown() override
    {
        if (m_terminal >= 0)
            ::close(m_terminal);
    }

    QTemporaryDir m_home;
    QString m_exe;
    QProcessEnvironment m_env;
    int m_terminal = -1;
};

// Started from a shell, the built program refuses a wrong argument at once, with one line on
// stderr and exit code 2, before it shows or writes anything. (Without a terminal it shows the
// same in a box: see open_playlist_e2e.sh.)
TEST_F(BuiltProgram, EndsWithCodeTwoOnAWrongArgument)
{
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(m_env);
    giveATerminal(program);
    program.start(m_exe, {QStringLiteral("holiday.jpg")});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    const QByteArray err = program.readAllStandardError();
    EXPECT_TRUE(err.startsWith("vantoro: 'holiday.jpg' is not a playlist Vantoro reads"))
        << err.constData();
    EXPECT_EQ(err.count('\n'), 1) << err.constData();
    EXPECT_FALSE(QFileInfo::exists(m_home.path() + QStringLiteral("/.config/Vantoro/Vantoro.INI")));
}

// --help and --version answer on stdout with exit code 0 where no window system can be reached
// (with the X11 plugin asked for and no display, Qt itself would abort).
TEST_F(BuiltProgram, HelpAndVersionNeedNoDisplay)
{
    m_env.remove(QStringLiteral("DISPLAY"));
    m_env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const struct
    {
        QStringList arguments;
        const char* firstLine;
    } cases[] = {
        {{"--help"}, "Usage: vantoro [PLAYLIST]"},
        {{"-h"}, "Usage: vantoro [PLAYLIST]"},
        {{"list.asx", "--help"}, "Usage: vantoro [PLAYLIST]"},
        {{"--version"}, "vantoro " VANTORO_VERSION},
        {{"-V"}, "vantoro " VANTORO_VERSION},
    };
    for (const auto& c : cases) {
        const std::string given = c.arguments.join(u' ').toStdString();
        QProcess program;
        program.setProcessEnvironment(m_env);
        program.start(m_exe, c.arguments);
        ASSERT_TRUE(program.waitForFinished(20000)) << given;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << given;
        EXPECT_EQ(program.exitCode(), 0) << given;
        const QByteArray out = program.readAllStandardOutput();
        EXPECT_EQ(out.left(out.indexOf('\n')), QByteArray(c.firstLine)) << given;
        EXPECT_TRUE(program.readAllStandardError().isEmpty()) << given;
    }
}

} // namespace

namespace vantoro {
namespace {

// The types the menu entry claims (its MimeType= line).
QStringList claimedTypes()
{
    const QByteArray entry =
        test::readFileBytes(QStringLiteral(VANTORO_SOURCE_DIR "/data/org.vantoro.Vantoro.desktop"));
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("MimeType="))
            return QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
    return {};
}

// One shared MIME database file ("type:..." or "weight:type:glob" lines), as type -> values.
QMultiHash<QString, QString> mimeTable(const QString& name, int typeField, int valueField)
{
    QMultiHash<QString, QString> table;
    const QByteArray text = test::readFileBytes(QStringLiteral("/usr/share/mime/") + name);
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(name == QLatin1String("aliases") ? ' ' : ':');
        if (line.startsWith('#') || fields.size() <= std::max(typeField, valueField))
            continue;
        table.insert(QString::fromUtf8(fields[typeField]), QString::fromUtf8(fields[valueField]));
    }
    return table;
}

// A playlist of the given type naming "clip.wav" beside it, relatively.
QByteArray playlistOfType(const QString& type)
{
    if (type == QLatin1String("audio/x-ms-asx"))
        return "<ASX VERSION=\"3.0\">\r\n<ENTRY><REF HREF=\"clip.wav\" /></ENTRY>\r\n</ASX>\r\n";
    if (type == QLatin1String("audio/x-mpegurl"))
        return "#EXTM3U\n#EXTINF:3,Clip\nclip.wav\n";
    if (type == QLatin1String("audio/x-scpls"))
        return "[playlist]\nFile1=clip.wav\nNumberOfEntries=1\nVersion=2\n";
    if (type == QLatin1String("application/xspf+xml"))
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
               "<track><location>clip.wav</location></track></trackList></playlist>\n";
    if (type == QLatin1String("application/vnd.ms-wpl"))
        return "<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head><title>Clip</title></head>\r\n"
               "<body><seq><media src=\"clip.wav\"/></seq></body>\r\n</smil>\r\n";
    return {};
}

// The menu entry offers Vantoro for its types, and a file manager hands over every file the
// shared MIME database on this machine gives one of them: each claimed type must be a canonical
// type of the database, and a file of each of its names must open from the command line and
// read its clip. (ASF video, whose old alias the entry once claimed, would fail here.)
TEST(CommandLine, EveryFileOfATypeTheMenuEntryClaimsOpens)
{
    const QStringList claimed = claimedTypes();
    ASSERT_FALSE(claimed.isEmpty());
    const QMultiHash<QString, QString> globs = mimeTable(QStringLiteral("globs2"), 1, 2);
    const QMultiHash<QString, QString> aliases = mimeTable(QStringLiteral("aliases"), 0, 1);
    if (globs.isEmpty())
        GTEST_SKIP() << "no shared MIME database in /usr/share/mime";

    QTemporaryDir dir;
    test::writeFileBytes(dir.filePath(QStringLiteral("clip.wav")), "RIFF");
    QStringList extensions;
    for (const QString& type : claimed) {
        EXPECT_FALSE(aliases.contains(type)) << type.toStdString() << " is an alias";
        EXPECT_FALSE(playlistOfType(type).isEmpty()) << type.toStdString() << " is no playlist";
        const QStringList patterns = globs.values(type);
        EXPECT_FALSE(patterns.isEmpty()) << type.toStdString() << " is unknown";
        for (const QString& pattern : patterns) {
            ASSERT_TRUE(pattern.startsWith(QLatin1String("*."))) << pattern.toStdString();
            const QString name = QStringLiteral("list") + pattern.mid(1);
            extensions.append(pattern.mid(2));
            test::writeFileBytes(dir.filePath(name), playlistOfType(type));
            const CommandLineRequest request =
                parseCommandLine({QStringLiteral("vantoro"), name}, dir.path());
            ASSERT_EQ(request.kind, Kind::Play) << name.toStdString();
            ClipList clips;
            test::FakeMessageBoxes boxes;
            EXPECT_EQ(ReadPlaylist(clips, request.playlist, boxes), std::optional<int>(0))
                << name.toStdString();
            EXPECT_EQ(clips.count(), 1) << name.toStdString() << " (" << type.toStdString() << ")";
            EXPECT_TRUE(boxes.shown.isEmpty()) << name.toStdString();
        }
    }
    extensions.sort();
    EXPECT_EQ(extensions.join(u' '), QStringLiteral("asx m3u m3u8 pls vlc wax wmx wpl wvx xspf"))
        << "the playlists the manual page and --help list";
}

} // namespace
} // namespace vantoro
