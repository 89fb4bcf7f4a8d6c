#pragma once

#include "common/FileOpFakes.h"
#include "fileops/ShellFileOperation.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vantoro::test {

// The engine's tests share this: a temporary folder of their own, paths in it as bytes and as
// text, and the engine answering scripted questions.
class EngineFixture : public ::testing::Test
{
protected:
    // `tag` names the temporary folder (/tmp/vantoro-TAG-XXXXXX), which tells whose it was.
    explicit EngineFixture(const char* tag)
        : m_dir(QDir::tempPath() + QStringLiteral("/vantoro-") + QLatin1String(tag) +
                QStringLiteral("-XXXXXX"))
    {}

    QByteArray path(const QByteArray& relative) const { return m_root + '/' + relative; }
    QString qpath(const QByteArray& relative) const { return QFile::decodeName(path(relative)); }
    void mkdir(const QByteArray& relative) const
    {
        ASSERT_EQ(::mkdir(path(relative).constData(), 0755), 0);
    }

    QTemporaryDir m_dir;
    QByteArray m_root = QFile::encodeName(m_dir.path());
    FakeFileOperationQuestions m_questions;
    FakeFileOperationProgress m_progress;
    ShellFileOperation m_engine{m_questions, m_progress};
};

} // namespace vantoro::test
