#include "platform/HelpPage.h"

#include "common/TestSupport.h"

#include <QFileInfo>
#include <QStringList>
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
