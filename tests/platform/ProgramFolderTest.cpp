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
