#include "platform/ProfileStrings.h"

#include "common/TestSupport.h"
#include "common/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

TEST_F(ProfileStrings, WriteRefusesAFileTheUserMadeReadOnly)
{
    const QString ini = file("Vantoro.INI");
    const QString folder = m_dir.path();
    const int status = test::runUnprivileged(folder, [&] {
        const QByteArray mine = "[Bar]\r\nTrack=1\r\n; my notes\r\n";
        writeFileBytes(ini, mine);
        ::chmod(QFile::encodeName(ini).constData(), 0444);
        const int error = writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"),
                                                    QStringLiteral("0"), ini);
        if (error != EACCES) {
            std::fprintf(stderr, "the write answered %d, not EACCES\n", error);
            return 1;
        }
        if (readFileBytes(ini) != mine) {
            std::fprintf(stderr, "the read-only file changed\n");
            return 2;
        }
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
                       QStringList{QStringLiteral("Vantoro.INI")}
                   ? 0
                   : 3;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(ProfileStrings, LinesAreSplitAlsoWhereTheReadBufferEnds)
{
    // The reader takes 64 KiB at a time: a CR LF split across two reads is one line end, and a
    // lone CR at the end of a read is one too.
    const qsizetype step = 64 * 1024;
    QByteArray text = "[A]\r\n";
    text += "k0=" + QByteArray(step - 1 - text.size() - 3, 'v') + "\r\n";
    EXPECT_EQ(text.at(step - 1), '\r');
    text += "k1=" + QByteArray(2 * step - 1 - text.size() - 3, 'w') + "\r";
    EXPECT_EQ(text.size(), 2 * step);
    text += "k2=x\n";
    text += "last=end";
    writeFileBytes(file(), text);
    EXPECT_EQ(get("A", "k0").size(), 1023);
    EXPECT_EQ(get("A", "k1").left(3), "www");
    EXPECT_EQ(get("A", "k2"), "x");
    EXPECT_EQ(get("A", "last"), "end");
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("A"), QStringLiteral("added"),
                                        QStringLiteral("1"), file()),
              0);
    const QByteArray written = readFileBytes(file());
    // [A], k0, k1, k2, last, added: no line more, no line less.
    EXPECT_EQ(written.count("\r\n"), 6);
    EXPECT_TRUE(written.endsWith("www\r\nk2=x\r\nlast=end\r\nadded=1\r\n"));
}

TEST_F(ProfileStrings, WriteKeepsOtherLinesByteForByte)
{
    // A comment in another encoding is not valid UTF-8: it must survive a write unchanged.
    const QByteArray latin1Comment = "; Gr\xfc\xdf"
                                     "e aus K\xf6ln";
    writeFileBytes(file(), latin1Comment + "\n[Bar]\nTrack=1\n");
    ASSERT_EQ(writePrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"),
                                        QStringLiteral("0"), file()),
              0);
    EXPECT_EQ(readFileBytes(file()), latin1Comment + "\r\n[Bar]\r\nTrack=0\r\n");
}

#if !defined(__SANITIZE_ADDRESS__)
// Reading and writing a settings file of any size takes memory for one line at a time: the
// calls run in a child whose address space is capped at little more than it already uses.
TEST_F(ProfileStrings, LargeFileIsScannedWithBoundedMemory)
{
    const QString ini = file("Vantoro.INI");
    {
        QFile out(ini);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Bar]\r\nTrack=0\r\n");
        const QByteArray comment = "; " + QByteArray(1000, 'c') + "\r\n";
        for (int i = 0; i < 64 * 1024; ++i) // 64 MB
            out.write(comment);
        out.write("[Paths]\r\nClips=/media/clips\r\n");
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QFile status(QStringLiteral("/proc/self/statm"));
        if (!status.open(QIODevice::ReadOnly))
            ::_exit(10);
        const rlim_t pages = status.readAll().split(' ').value(0).toULongLong();
        const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + 24 * 1024 * 1024;
        const rlimit capped = {limit, limit};
        if (::setrlimit(RLIMIT_AS, &capped) != 0)
            ::_exit(11);
        if (getPrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Clips"), QString(),
                                    ini) != QStringLiteral("/media/clips"))
            ::_exit(1);
        if (writePrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Lists"),
                                      QStringLiteral("/media/lists"), ini) != 0)
            ::_exit(2);
        if (getPrivateProfileString(QStringLiteral("Paths"), QStringLiteral("Lists"), QString(),
                                    ini) != QStringLiteral("/media/lists"))
            ::_exit(3);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died, most likely out of memory";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(
        getPrivateProfileString(QStringLiteral("Bar"), QStringLiteral("Track"), QString(), ini),
        QStringLiteral("0"));
    EXPECT_GT(QFileInfo(ini).size(), 64 * 1000 * 1000);
}
#endif

} // namespace
