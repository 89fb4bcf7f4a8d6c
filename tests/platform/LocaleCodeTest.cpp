#include "platform/LocaleCode.h"
#include "platform/FolderPlaces.h"
#include "platform/Folders.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace vantoro {
namespace {

TEST(LocaleCode, PosixLocaleNamesMapToWindowsCodes)
{
    const struct
    {
        const char* posix;
        const char* code;
    } cases[] = {
        {"de_DE.UTF-8", "0407"},
        {"da_DK.UTF-8", "0406"},
        {"nl_NL", "0413"},
        {"en_US.UTF-8", "0409"},
        {"sv_SE.ISO-8859-1", "041D"},
        {"de_DE@euro", "0407"},
        {"de_AT.UTF-8@euro", "0C07"},
        {"en_GB.UTF-8", "0809"},
        {"zh_TW.UTF-8", "0404"},
        {"pt_BR", "0416"},
        // Known language, territory without an entry: the language's neutral code.
        {"en_ZW.UTF-8", "0009"},
        {"de_BE", "0007"},
        {"en", "0009"},
        // No language to speak of.
        {"C", ""},
        {"POSIX", ""},
        {"C.UTF-8", ""},
        {"", ""},
        {"xx_YY.UTF-8", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localeCodeFor(QString::fromLatin1(c.posix)), QString::fromLatin1(c.code))
            << c.posix;
}

TEST(LocaleCode, TheProcessLocaleIsReadAsTheCLibraryChoosesIt)
{
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    qputenv("LC_ALL", "");
    qputenv("LC_MESSAGES", "nl_NL.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    const QString messages = processLocaleCode();
    qputenv("LC_ALL", "sv_SE.UTF-8");
    const QString all = processLocaleCode();
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    const QString lang = processLocaleCode();
    qunsetenv("LANG");
    const QString none = processLocaleCode();
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);

    EXPECT_EQ(messages, QStringLiteral("0413"));
    EXPECT_EQ(all, QStringLiteral("041D"));
    EXPECT_EQ(lang, QStringLiteral("0407"));
    EXPECT_EQ(none, QString());
}

TEST(MakeFolder, MakesOneFolderAndAnswersTheReasonItCannot)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("New"));
    EXPECT_EQ(makeFolder(folder), 0);
    EXPECT_TRUE(folderExists(folder));
    EXPECT_EQ(makeFolder(folder), 0); // there already
    test::writeFileBytes(dir.filePath(QStringLiteral("file")), "x");
    EXPECT_EQ(makeFolder(dir.filePath(QStringLiteral("file"))), EEXIST);
    EXPECT_FALSE(folderExists(dir.filePath(QStringLiteral("file"))));
    // Parents are never made.
    EXPECT_EQ(makeFolder(dir.filePath(QStringLiteral("a/b"))), ENOENT);
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("a"))).exists());
    EXPECT_EQ(makeFolder(QString()), ENOENT);
    EXPECT_EQ(systemErrorText(EROFS), QStringLiteral("Read-only file system"));
}

TEST(FolderPlaces, HomeComesFirstAndOnlyUserVolumesAreListed)
{
    const QList<FolderPlace> places = userPlaces();
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places[0].kind, FolderPlace::Kind::Home);
    EXPECT_EQ(places[0].path, QDir::cleanPath(QDir::homePath()));
    for (const FolderPlace& place : places)
        EXPECT_TRUE(folderExists(place.path)) << place.path.toStdString();

    const QList<FolderPlace> volumes = volumePlaces();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes[0].path, QStringLiteral("/"));
    for (const FolderPlace& volume : volumes) {
        EXPECT_FALSE(volume.path.startsWith(QStringLiteral("/proc")));
        EXPECT_FALSE(volume.path.startsWith(QStringLiteral("/sys")));
    }

    EXPECT_TRUE(isUserVolume(QStringLiteral("/media/usb"), QStringLiteral("vfat"),
                             QStringLiteral("/dev/sdb1")));
    EXPECT_TRUE(isUserVolume(QStringLiteral("/run/media/me/USB"), QStringLiteral("exfat"),
                             QStringLiteral("/dev/sdc1")));
    EXPECT_TRUE(isUserVolume(QStringLiteral("/mnt/share"), QStringLiteral("nfs4"),
                             QStringLiteral("server:/export")));
    EXPECT_FALSE(isUserVolume(QStringLiteral("/run/user/1000"), QStringLiteral("tmpfs"),
                              QStringLiteral("tmpfs")));
    EXPECT_FALSE(isUserVolume(QStringLiteral("/sys/fs/cgroup"), QStringLiteral("cgroup2"),
                              QStringLiteral("cgroup2")));
    EXPECT_FALSE(isUserVolume(QStringLiteral("/snap/core/1"), QStringLiteral("squashfs"),
                              QStringLiteral("/dev/loop3")));
    EXPECT_FALSE(
        isUserVolume(QStringLiteral("/tmp"), QStringLiteral("tmpfs"), QStringLiteral("tmpfs")));
}

} // namespace
} // namespace vantoro
