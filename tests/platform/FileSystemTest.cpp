#include "platform/FileSystem.h"

#include "common/TestSupport.h"
#include "common/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

namespace {

TEST(FileSystem, CopyReplacesAWritableFileAndRefusesAReadOnlyOne)
{
    QTemporaryDir dir;
    const QString dirPath = dir.path();
    const int status = test::runUnprivileged(dirPath, [&] {
        const QString from = dirPath + QStringLiteral("/playlist.tmp");
        const QString to = dirPath + QStringLiteral("/saved.asx");
        writeFileBytes(from, "<ASX version = \"3.0\">\r\n");
        writeFileBytes(to, "older playlist\r\n");
        if (const int error = copyFileReplacing(from, to);
            error != 0 || readFileBytes(to) != readFileBytes(from)) {
            std::fprintf(stderr, "a writable file was not replaced (%d)\n", error);
            return 1;
        }
        writeFileBytes(to, "kept playlist\r\n");
        ::chmod(QFile::encodeName(to).constData(), 0444);
        if (const int error = copyFileReplacing(from, to); error != EACCES) {
            std::fprintf(stderr, "copy over a read-only file answered %d\n", error);
            return 2;
        }
        struct stat st
        {
        };
        ::stat(QFile::encodeName(to).constData(), &st);
        if (readFileBytes(to) != "kept playlist\r\n" || (st.st_mode & 0777) != 0444) {
            std::fprintf(stderr, "the read-only file changed\n");
            return 3;
        }
        if (QDir(dirPath)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .size() != 2) {
            std::fprintf(stderr, "a temporary was left behind\n");
            return 4;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
}

TEST(FileSystem, CopyFromAMissingFileLeavesTheTarget)
{
    QTemporaryDir dir;
    const QString to = dir.filePath(QStringLiteral("saved.asx"));
    writeFileBytes(to, "kept");
    EXPECT_EQ(copyFileReplacing(dir.filePath(QStringLiteral("none")), to), ENOENT);
    EXPECT_EQ(readFileBytes(to), "kept");
}

} // namespace
