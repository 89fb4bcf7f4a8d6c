#include "platform/ProfileStrings.h"

#include "common/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

namespace {

class ProfileStrings : public ::testing::Test
{
protected:
    QString file(const char* name = "test.ini") const
    {
        return m_dir.path() + u'/' + QString::fromLatin1(name);
    }
    QString get(const char* section, const char* key, const char* def = "<default>")
    {
        return getPrivateProfileString(QString::fromLatin1(section), QString::fromLatin1(key),
                                       QString::fromLatin1(def), file());
    }

    QTemporaryDir m_dir;
};

TEST_F(ProfileStrings, ReadsIgnoringCaseOfSectionAndKeyWithBlanksAndQuotesTrimmed)
{
    writeFileBytes(file(), "; comment\r\n"
                           "[Bar]\r\n"
                           "Track=1\r\n"
                           "  status  =   0  \r\n"
                           "[ Paths ]\r\n"
                           "Clips=\"  /media/music/  \"\r\n"
                           "Lists='/lists'\r\n"
                           "Odd=\"unbalanced\r\n");
    EXPECT_EQ(get("bar", "TRACK"), "1");
    EXPECT_EQ(get("BAR", "Status"), "0");
    EXPECT_EQ(get("paths", "clips"), "  /media/music/  ");
    EXPECT_EQ(get("Paths", "Lists"), "/lists");
    EXPECT_EQ(get("Paths", "Odd"), "\"unbalanced");
}

TEST_F(ProfileStrings, MissingFileSectionOrKeyGiveTheDefault)
{
    EXPECT_EQ(get("Bar", "Track"), "<default>");
    writeFileBytes(file(), "Track=5\n[Other]\nTrack=7\n[Bar]\nStatus=1\n");
    EXPECT_EQ(get("Bar", "Track"), "<default>") << "a key before any section or in another "
                                                   "section must not be found";
    EXPECT_EQ(get("Nothing", "Status"), "<default>");
    EXPECT_EQ(get("Other", "Track"), "7");
}

TEST_F(ProfileStrings, ReadsLfAndCrOnlyFilesAndALastLineWithoutEnd)
{
    writeFileBytes(file(), "[A]\nx=1\n[B]\ry=2\r[C]\r\nz=3");
    EXPECT_EQ(get("A", "x"), "1");
    EXPECT_EQ(get("B", "y"), "2");
    EXPECT_EQ(get("C", "z"), "3");
}

TEST_F(ProfileStrings, ValueIsCutAtTheLimit)
{
    const QString longValue(1500, u'v');
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), longValue,
                                        file()),
              0);
    const QString read = getPrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"),
                                                 QString(), file(), 1023);
    EXPECT_EQ(read.size(), 1023);
    const QString exact(1023, u'w');
    writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), exact, file());
    EXPECT_EQ(getPrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), QString(),
                                      file(), 1023),
              exact);
}

TEST_F(ProfileStrings, WriteCreatesFileAndAppendsSectionsInOrder)
{
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"),
                                        QStringLiteral("1"), file()),
              0);
    writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Status"), QStringLiteral("1"),
                              file());
    writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"),
                              QStringLiteral("/p/"), file());
    EXPECT_EQ(readFileBytes(file()),
              "[Bar]\r\nTrack=1\r\nStatus=1\r\n\r\n[Paths]\r\nClips=/p/\r\n");
}

TEST_F(ProfileStrings, WriteReplacesKeyInPlaceKeepingCommentsAndOtherSections)
{
    writeFileBytes(file(), "; my settings\n"
                           "[paths]\n"
                           "CLIPS = /old\n"
                           "; keep me\n"
                           "Other=x\n"
                           "\n"
                           "[Bar]\n"
                           "Track=0\n");
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"),
                                        QStringLiteral("/new"), file()),
              0);
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Lists"),
                                        QStringLiteral("/lists"), file()),
              0);
    EXPECT_EQ(readFileBytes(file()), "; my settings\r\n"
                                     "[paths]\r\n"
                                     "Clips=/new\r\n"
                                     "; keep me\r\n"
                                     "Other=x\r\n"
                                     "Lists=/lists\r\n"
                                     "\r\n"
                                     "[Bar]\r\n"
                                     "Track=0\r\n");
}

TEST_F(ProfileStrings, NonAsciiValuesRoundTrip)
{
    const QString folder = QStringLiteral("/home/åse/Musik & Filme/日本");
    ASSERT_EQ(
        writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), folder, file()),
        0);
    EXPECT_EQ(getPrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), QString(),
                                      file()),
              folder);
}

TEST_F(ProfileStrings, FailedWriteOnFullDiskLeavesOldFileUnchanged)
{
    test::SmallTmpfs disk(64);
    if (!disk.isMounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString ini = disk.path() + QStringLiteral("/Vantoro.INI");
    const QByteArray old = "[Bar]\r\nTrack=1\r\n" + QByteArray(20000, ';') + "\r\n";
    writeFileBytes(ini, old);
    disk.fill();
    const int error = writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"),
                                                QStringLiteral("0"), ini);
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(readFileBytes(ini), old);
    QDir dir(disk.path());
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral(".filler"), QStringLiteral("Vantoro.INI")}))
        << "no temporary file may be left behind";
}

TEST_F(ProfileStrings, WriteIntoMissingFolderReportsTheError)
{
    const QString ini = m_dir.path() + QStringLiteral("/no/such/folder/Vantoro.INI");
    EXPECT_EQ(writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"),
                                        QStringLiteral("1"), ini),
              ENOENT);
}

} // namespace
