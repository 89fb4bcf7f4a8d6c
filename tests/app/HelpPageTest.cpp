#include "platform/HelpPage.h"

#include "common/FakeMessageBoxes.h"
#include "common/FakeShellOpener.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace vantoro;

// The guide shipped beside the built program is well-formed and covers what users ask about.
TEST(HelpPage, ShippedBesideTheProgramAndWellFormed)
{
    const QString buildDir = qEnvironmentVariable("VANTORO_BUILD_DIR");
    if (buildDir.isEmpty())
        GTEST_SKIP() << "run through ctest";
    const QString page = locateHelpPage(buildDir);
    ASSERT_EQ(page, buildDir + QStringLiteral("/vthelp.html"));
    ASSERT_TRUE(QFileInfo(page).isFile());

    QByteArray bytes = test::readFileBytes(page);
    bytes.replace("<!DOCTYPE html>", "");
    QXmlStreamReader xml(bytes);
    QStringList headings;
    QString title;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("title"))
            title = xml.readElementText();
        else if (xml.name() == QLatin1String("h2"))
            headings.append(xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line "
                                 << xml.lineNumber();
    EXPECT_TRUE(title.contains(QStringLiteral("Vantoro")));
    for (const char* topic : {"Playlist", "Player", "Marking", "Keyboard", "keeps"}) {
        EXPECT_TRUE(headings.filter(QString::fromLatin1(topic)).size() == 1)
            << "no section about " << topic;
    }
}

namespace {

// Folders laid out under a temporary root as each kind of copy has them:
//   portable/            a copy unpacked into a folder of its own, the guide beside it
//   usr/bin/             an installed copy (read-only, as for a user), the guide in
//   usr/share/vantoro/   the data folder of the same prefix
//   opt/vantoro/bin/     an installed copy whose guide lies only in an XDG data folder,
//   xdg/vantoro/         here
//   cwd/                 the current folder, holding a guide that must never be taken
class HelpPageLayouts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* page : {"portable/vthelp.html", "usr/share/vantoro/vthelp.html",
                                 "xdg/vantoro/vthelp.html", "cwd/vthelp.html"}) {
            QDir().mkpath(QFileInfo(path(page)).path());
            test::writeFileBytes(path(page), "<html></html>");
        }
        QDir().mkpath(path("opt/vantoro/bin"));
        QDir().mkpath(path("usr/bin"));
        QFile::setPermissions(path("usr/bin"), QFile::ReadOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther);
        m_oldCurrent = QDir::currentPath();
        QDir::setCurrent(path("cwd"));
    }
    void TearDown() override
    {
        QDir::setCurrent(m_oldCurrent);
        QFile::setPermissions(path("usr/bin"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path(const char* relative) const
    {
        return m_root.filePath(QString::fromUtf8(relative));
    }

    QTemporaryDir m_root;
    QString m_oldCurrent;
};

TEST_F(HelpPageLayouts, FoundBesideTheProgramThenInTheDataFoldersNeverInTheCurrentFolder)
{
    const QStringList xdg = {path("nothing-here"), path("xdg")};
    const struct
    {
        const char* executableFolder;
        QStringList dataFolders;
        const char* expected; // empty: not found
    } cases[] = {
        {"portable", xdg, "portable/vthelp.html"},
        {"usr/bin", xdg, "usr/share/vantoro/vthelp.html"},
        {"usr/bin/", {}, "usr/share/vantoro/vthelp.html"},
        {"opt/vantoro/bin", xdg, "xdg/vantoro/vthelp.html"},
        {"opt/vantoro/bin", {path("nothing-here")}, ""},
        {"", xdg, "xdg/vantoro/vthelp.html"},
    };
    for (const auto& c : cases) {
        const QString expected = *c.expected ? path(c.expected) : QString();
        EXPECT_EQ(locateHelpPage(path(c.executableFolder), c.dataFolders), expected)
            << c.executableFolder;
    }
    // For its user the installed copy is one: it cannot write beside itself, so its settings go
    // to the per-user folder.
    const QString bin = path("usr/bin");
    EXPECT_EQ(test::runUnprivileged(
                  m_root.path(),
                  [bin] { return resolveProgramFolder(bin) == withTrailingSlash(bin) ? 1 : 0; }),
              0);
}

TEST_F(HelpPageLayouts, DataFoldersFollowTheXdgVariables)
{
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    const QByteArray oldDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", "relative/share");
    qputenv("XDG_DATA_DIRS", path("a").toUtf8() + ":relative:" + path("b").toUtf8() + ":");
    EXPECT_EQ(xdgDataFolders(),
              QStringList({QDir::homePath() + "/.local/share", path("a"), path("b")}));
    qunsetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", path("home-data").toUtf8());
    EXPECT_EQ(xdgDataFolders(), QStringList({path("home-data"), QStringLiteral("/usr/local/share"),
                                             QStringLiteral("/usr/share")}));

    // The Help buttons: the page found goes to the shell; none found is said in a box.
    qputenv("XDG_DATA_DIRS", path("xdg").toUtf8());
    test::FakeShellOpener shell;
    test::FakeMessageBoxes boxes;
    openHelpPage(shell, boxes, path("opt/vantoro/bin"));
    EXPECT_EQ(shell.opened, QStringList{path("xdg/vantoro/vthelp.html")});
    EXPECT_TRUE(boxes.shown.isEmpty());
    qputenv("XDG_DATA_DIRS", path("nothing-here").toUtf8());
    openHelpPage(shell, boxes, path("opt/vantoro/bin"));
    EXPECT_EQ(shell.opened.size(), 1) << "nothing more is handed to the shell";
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(
        boxes.shown[0].text.startsWith(QStringLiteral("The help page vthelp.html was not found.")));

    qputenv("XDG_DATA_HOME", oldHome);
    if (oldDirs.isNull())
        qunsetenv("XDG_DATA_DIRS");
    else
        qputenv("XDG_DATA_DIRS", oldDirs);
}

} // namespace
