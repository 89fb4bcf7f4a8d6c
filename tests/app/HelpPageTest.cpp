#include "platform/HelpPage.h"

#include "common/FakeMessageBoxes.h"
#include "common/FakeShellOpener.h"
#include "common/TestSupport.h"

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

// The guide as each kind of copy finds it, under a temporary root: a portable copy beside
// itself; an installed one (usr/bin read-only, as for its user) in usr/share/vantoro; one
// installed elsewhere in an XDG data folder; never the one in the current folder. None found
// is said in a box, and nothing goes to the shell.
TEST(HelpPage, FoundInEachLayoutAndABoxWhenMissing)
{
    QTemporaryDir root;
    const auto at = [&root](const char* relative) {
        return root.filePath(QString::fromUtf8(relative));
    };
    for (const char* page : {"portable/vthelp.html", "usr/share/vantoro/vthelp.html",
                             "xdg/vantoro/vthelp.html", "cwd/vthelp.html"}) {
        QDir().mkpath(QFileInfo(at(page)).path());
        test::writeFileBytes(at(page), "<html></html>");
    }
    QDir().mkpath(at("usr/bin"));
    QDir().mkpath(at("opt/bin"));
    QFile::setPermissions(at("usr/bin"), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther);
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(at("cwd"));
    const QStringList xdg = {at("none"), at("xdg")};
    const struct
    {
        const char* executableFolder;
        QStringList dataFolders;
        const char* expected; // "": none
    } cases[] = {
        {"portable", xdg, "portable/vthelp.html"},
        {"usr/bin", xdg, "usr/share/vantoro/vthelp.html"},
        {"usr/bin/", {}, "usr/share/vantoro/vthelp.html"},
        {"opt/bin", xdg, "xdg/vantoro/vthelp.html"},
        {"opt/bin", {at("none")}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(locateHelpPage(at(c.executableFolder), c.dataFolders),
                  *c.expected ? at(c.expected) : QString())
            << c.executableFolder;
    }

    qputenv("XDG_DATA_DIRS", at("none").toUtf8() + ":relative");
    test::FakeShellOpener shell;
    test::FakeMessageBoxes boxes;
    openHelpPage(shell, boxes, at("opt/bin"));
    qunsetenv("XDG_DATA_DIRS");
    QDir::setCurrent(oldCurrent);
    QFile::setPermissions(at("usr/bin"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(shell.opened.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(
        boxes.shown[0].text.startsWith(QStringLiteral("The help page vthelp.html was not found.")));
}
