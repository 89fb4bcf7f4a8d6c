#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vantoro;

TEST(ProgramFolder, WritableExecutableFolderIsUsedWithTrailingSlash)
{
    QTemporaryDir dir;
    EXPECT_EQ(resolveProgramFolder(dir.path()), dir.path() + u'/');
    EXPECT_EQ(resolveProgramFolder(dir.path() + u'/'), dir.path() + u'/');
}

TEST(ProgramFolder, UnwritableExecutableFolderFallsBackToTheUserConfigFolder)
{
    // A folder that does not exist is as unwritable as /usr/bin for a normal user; root can write
    // everywhere, so this is the case that can be shown on every machine.
    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vantoro/");
    EXPECT_EQ(resolveProgramFolder(QStringLiteral("/nonexistent/vantoro/bin")), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir()) << "the per-user folder is created on demand";
}

TEST(ProgramFolder, TrailingSlashIsAddedOnce)
{
    EXPECT_EQ(withTrailingSlash(QStringLiteral("/")), "/");
    EXPECT_EQ(withTrailingSlash(QStringLiteral("/a")), "/a/");
    EXPECT_EQ(withTrailingSlash(QStringLiteral("/a/")), "/a/");
}

// The user's folder list as xdg-user-dirs writes it, in the test's private config folder.
class PlaylistFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
        m_userDirs = m_configHome + QStringLiteral("/user-dirs.dirs");
        QFile::remove(m_userDirs);
    }
    void TearDown() override { QFile::remove(m_userDirs); }
    void writeUserDirs(const QByteArray& text)
    {
        QDir().mkpath(m_configHome);
        QFile file(m_userDirs);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QString m_configHome;
    QString m_userDirs;
};

TEST_F(PlaylistFolder, PortableCopyKeepsPlaylistsInItsProgramFolder)
{
    QTemporaryDir dir;
    const QString programFolder = resolveProgramFolder(dir.path());
    writeUserDirs("XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(resolvePlaylistFolder(dir.path(), programFolder), programFolder);
}

TEST_F(PlaylistFolder, InstalledCopyUsesTheMusicFolderOrHomeNeverAHiddenFolder)
{
    const QString bin = QStringLiteral("/nonexistent/vantoro/bin");
    const QString programFolder = resolveProgramFolder(bin);
    const QString home = QDir::homePath();

    EXPECT_EQ(resolvePlaylistFolder(bin, programFolder), home + QStringLiteral("/Playlists/"))
        << "no folder list: ~/Playlists";

    writeUserDirs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(resolvePlaylistFolder(bin, programFolder),
              home + QStringLiteral("/Musik/Playlists/"));

    writeUserDirs("XDG_MUSIC_DIR=\"/srv/music\"\n");
    EXPECT_EQ(resolvePlaylistFolder(bin, programFolder), QStringLiteral("/srv/music/Playlists/"));

    writeUserDirs("XDG_MUSIC_DIR=\"$HOME/\"\n");
    EXPECT_EQ(resolvePlaylistFolder(bin, programFolder), home + QStringLiteral("/Playlists/"))
        << "a music folder set to home itself means none";

    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Playlists")))
        << "nothing is made until a dialog opens there";
}

// A first New of a portable copy starts in its own folder; of an installed one in the music
// folder (when it exists), else at home: never in the hidden settings folder.
TEST_F(PlaylistFolder, ClipFolderOfAFirstRunInEachLayout)
{
    QTemporaryDir portable;
    const QString portableFolder = resolveProgramFolder(portable.path());
    writeUserDirs("XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(resolveClipFolder(portable.path(), portableFolder), portableFolder);

    const QString bin = QStringLiteral("/nonexistent/vantoro/bin");
    const QString installed = resolveProgramFolder(bin);
    const QString home = QDir::homePath();
    EXPECT_EQ(resolveClipFolder(bin, installed), home + u'/') << "the music folder is missing";
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Musik")));
    EXPECT_EQ(resolveClipFolder(bin, installed), home + QStringLiteral("/Musik/"));
    QFile::remove(m_userDirs);
    EXPECT_EQ(resolveClipFolder(bin, installed), home + u'/') << "no folder list";
    QDir(home + QStringLiteral("/Musik")).removeRecursively();
}

TEST_F(PlaylistFolder, MakeFolderPathMakesParentsAndReportsFailures)
{
    QTemporaryDir dir;
    const QString nested = dir.path() + QStringLiteral("/Music/Playlists");
    EXPECT_EQ(makeFolderPath(nested), 0);
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_EQ(makeFolderPath(nested), 0) << "an existing folder is fine";

    QFile file(dir.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_NE(makeFolderPath(dir.path() + QStringLiteral("/plain/sub")), 0)
        << "a file in the way is a failure";
}
