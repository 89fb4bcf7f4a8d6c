#include "platform/QtFileOperationProgress.h"
#include "platform/QtFileOperationQuestions.h"
#include "platform/ShellFileOperation.h"

#include "FileOpTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vantoro {
namespace {

using test::fileContents;
using test::folderEntries;
using test::makeFile;
using test::makeRequest;
namespace Flag = FileOperationFlag;

// Answers every message box that comes up by `answer`, which sees the box and clicks a button.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(std::function<void(QMessageBox*)> answer) : m_answer(std::move(answer))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            // Boxes live on the stack: a new one may take the address of the last one.
            if (!box || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            texts.append(box->text());
            m_answer(box);
        });
        m_poll.start(10);
    }

    QStringList texts;

private:
    std::function<void(QMessageBox*)> m_answer;
    QTimer m_poll;
};

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* button : box->buttons()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    return nullptr;
}

class QtFileOperationDialogsTest : public ::testing::Test
{
protected:
    QByteArray path(const char* relative) const { return m_root + '/' + QByteArray(relative); }
    QString qpath(const char* relative) const { return QFile::decodeName(path(relative)); }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/vantoro-fileop-qt-XXXXXX")};
    QByteArray m_root = QFile::encodeName(m_dir.path());
    QtFileOperationQuestions m_questions;
    QtFileOperationProgress m_progress;
    ShellFileOperation m_engine{m_questions, m_progress};
};

TEST_F(QtFileOperationDialogsTest, CollisionBoxWithDoThisForAll)
{
    QDir().mkpath(qpath("dst"));
    QStringList sources;
    for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
        makeFile(path("") + name, "new");
        makeFile(path("dst/") + name, "old");
        sources.append(QFile::decodeName(path("") + name));
    }
    bool skipIsDefault = false;
    BoxAnswerer answerer([&](QMessageBox* box) {
        skipIsDefault = box->defaultButton() == buttonNamed(box, QStringLiteral("Skip"));
        box->checkBox()->setChecked(true);
        buttonNamed(box, QStringLiteral("Replace"))->click();
    });
    EXPECT_FALSE(
        m_engine.run(makeRequest(FileOperationCode::Copy, sources, qpath("dst"), Flag::kSilent))
            .anyOperationsAborted);
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_EQ(answerer.texts.at(0),
              QStringLiteral("The folder \"%1\" already contains an item named \"a.avi\".\n\nDo "
                             "you want to replace it with the one you are copying?")
                  .arg(qpath("dst")));
    EXPECT_TRUE(skipIsDefault);
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        EXPECT_EQ(fileContents(path("dst/") + name), "new");
}

TEST_F(QtFileOperationDialogsTest, DeleteConfirmationAndErrorBoxTexts)
{
    for (const char* name : {"1.avi", "2.avi", "3.avi"})
        makeFile(path("") + name, "x");
    const QStringList three{qpath("1.avi"), qpath("2.avi"), qpath("3.avi")};
    {
        BoxAnswerer no([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
        EXPECT_TRUE(
            m_engine.run(makeRequest(FileOperationCode::Delete, three, {}, Flag::kAllowUndo))
                .anyOperationsAborted);
        EXPECT_TRUE(m_engine.run(makeRequest(FileOperationCode::Delete, {three.at(0)}, {}))
                        .anyOperationsAborted);
        EXPECT_EQ(no.texts,
                  QStringList({"Are you sure you want to move these 3 items to the Trash?",
                               "Are you sure you want to permanently delete \"1.avi\"?"}));
        EXPECT_EQ(folderEntries(m_root).size(), 3);
    }

    // A missing file: the error box names it, its folder and the system's reason.
    BoxAnswerer skip([](QMessageBox* box) {
        ASSERT_TRUE(box->button(QMessageBox::Retry));
        ASSERT_TRUE(box->button(QMessageBox::Cancel));
        buttonNamed(box, QStringLiteral("Skip"))->click();
    });
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Copy, {qpath("gone.avi")}, qpath(""),
                                     Flag::kSilent))
                    .anyOperationsAborted);
    ASSERT_EQ(skip.texts.size(), 1);
    EXPECT_EQ(skip.texts.at(0), QStringLiteral("Cannot copy \"gone.avi\" from \"%1\" to \"%1\".\n\n"
                                               "No such file or directory")
                                    .arg(m_dir.path()));
}

TEST_F(QtFileOperationDialogsTest, PermanentDeleteQuestionDefaultsToNo)
{
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    BoxAnswerer answerer([&](QMessageBox* box) {
        defaultButton = box->standardButton(box->defaultButton());
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(m_questions.confirmPermanentDelete(qpath("clip.avi"), QStringLiteral("no Trash")));
    EXPECT_EQ(defaultButton, QMessageBox::No);
    EXPECT_EQ(answerer.texts.value(0),
              QStringLiteral("\"clip.avi\" in \"%1\" cannot be moved to the Trash: no Trash\n\nDo "
                             "you want to delete it permanently? It cannot be restored.")
                  .arg(m_dir.path()));
}

TEST_F(QtFileOperationDialogsTest, ProgressWindowShowsAfterHalfASecondAndCancels)
{
    m_progress.begin(QStringLiteral("Vantoro"), FileOperationCode::Copy);
    m_progress.update(qpath("a.avi"), 10, 100, 0, 1);
    ASSERT_TRUE(m_progress.window());
    EXPECT_FALSE(m_progress.window()->isVisible()) << "a quick operation flashes nothing";
    QTest::qWait(QtFileOperationProgress::kShowDelayMs + 50);
    m_progress.update(qpath("a.avi"), 50, 100, 0, 1);
    EXPECT_TRUE(m_progress.window()->isVisible());
    EXPECT_EQ(m_progress.window()->windowTitle(), QStringLiteral("Vantoro"));
    EXPECT_TRUE(m_progress.window()->isModal());
    auto* cancel = m_progress.window()->findChild<QPushButton*>();
    ASSERT_TRUE(cancel);
    EXPECT_FALSE(m_progress.cancelRequested());
    cancel->click();
    EXPECT_TRUE(m_progress.cancelRequested());
    m_progress.end();
    EXPECT_FALSE(m_progress.window()->isVisible());
}

TEST_F(QtFileOperationDialogsTest, WindowStaysResponsiveWhileCopyingAndCancelStopsIt)
{
    QDir().mkpath(qpath("dst"));
    const QByteArray big = test::patternBytes(384 * 1024 * 1024, 9);
    makeFile(path("big.mkv"), big);
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog* window = m_progress.window();
        if (window && window->isVisible() && shownAfter < 0) {
            shownAfter = clock.elapsed();
            // Clicked through the event loop the engine keeps running during the copy.
            window->findChild<QPushButton*>()->click();
        }
    });
    poll.start(20);
    clock.start();
    FileOperationRequest request = makeRequest(FileOperationCode::Copy, {qpath("big.mkv")},
                                               qpath("dst"), Flag::kSimpleProgress);
    request.progressTitle = QStringLiteral("Vantoro");
    const FileOperationResult result = m_engine.run(request);
    if (shownAfter < 0)
        GTEST_SKIP() << "the copy ended before the progress window was due";
    EXPECT_GE(shownAfter, QtFileOperationProgress::kShowDelayMs - 20);
    EXPECT_TRUE(result.anyOperationsAborted);
    // Cancelled during the copy nothing is left; cancelled while the complete copy was being
    // flushed to the disk, the copy is kept. Never a part of it.
    const QList<QByteArray> left = folderEntries(path("dst"));
    if (!left.isEmpty()) {
        EXPECT_EQ(left, QList<QByteArray>({"big.mkv"}));
        EXPECT_EQ(QFileInfo(qpath("dst/big.mkv")).size(), big.size());
    }
    EXPECT_EQ(QFileInfo(qpath("big.mkv")).size(), big.size());
}

} // namespace
} // namespace vantoro
