#include "app/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// The built program refuses a wrong argument at once, with one line on stderr and exit code 2,
// before it shows or writes anything.
TEST(CommandLine, TheProgramEndsWithCodeTwoOnAWrongArgument)
{
    const QString exe = qEnvironmentVariable("VANTORO_BUILD_DIR") + QStringLiteral("/vantoro");
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(exe, {QStringLiteral("holiday.jpg")});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    const QByteArray err = program.readAllStandardError();
    EXPECT_TRUE(err.startsWith("vantoro: 'holiday.jpg' is not an ASX or M3U playlist"))
        << err.constData();
    EXPECT_EQ(err.count('\n'), 1) << err.constData();
}

} // namespace
