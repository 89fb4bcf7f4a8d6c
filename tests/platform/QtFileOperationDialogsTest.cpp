#include "platform/QtFileOperationProgress.h"
#include "platform/QtFileOperationQuestions.h"
#include "fileops/ShellFileOperation.h"

#include "common/FileOpTestSupport.h"

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

#include <QLabel>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

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

// The texts of the progress window's labels, top to bottom.
QStringList progressTexts(QDialog* window)
{
    QStringList texts;
    for (QLabel* label : window->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

TEST_F(QtFileOperationDialogsTest, ProgressNamesNoFileBeforeTheFirstAndTheDestinationOfACopy)
{
    m_progress.begin(QStringLiteral("Vantoro"), FileOperationCode::Delete);
    m_progress.update(QString(), 0, 0, 0, 3);
    ASSERT_TRUE(m_progress.window());
    for (const QString& text : progressTexts(m_progress.window()))
        EXPECT_FALSE(text.startsWith(QStringLiteral("from")) || text.startsWith(u"Deleting "))
            << text.toStdString();
    m_progress.end();

    m_progress.begin(QStringLiteral("Vantoro"), FileOperationCode::Move);
    m_progress.setDestination(QStringLiteral("/keep"));
    m_progress.update(QStringLiteral("/videos/a.avi"), 1, 10, 0, 1);
    EXPECT_TRUE(progressTexts(m_progress.window()).contains(u"Moving a.avi"));
    EXPECT_TRUE(progressTexts(m_progress.window()).contains(u"from /videos to /keep"));
    // Long folder names are shortened: the window keeps a width a screen can show.
    const QString deep = u"/deep"_qs.repeated(120);
    m_progress.setDestination(deep);
    m_progress.update(deep + u"/a.avi"_qs, 2, 10, 0, 1);
    EXPECT_LT(m_progress.window()->sizeHint().width(), 900);
    m_progress.end();
}

TEST_F(QtFileOperationDialogsTest, ProgressWaitsWhileAQuestionIsOpenAndCountsAfreshFromTheAnswer)
{
    m_progress.begin(QStringLiteral("Vantoro"), FileOperationCode::Copy);
    m_progress.setQuestionOpen(true);
    QTest::qWait(QtFileOperationProgress::kShowDelayMs + 100);
    m_progress.update(qpath("a.avi"), 1, 10, 0, 1);
    EXPECT_FALSE(m_progress.window()->isVisible()) << "the window covered an open question";
    m_progress.setQuestionOpen(false);
    m_progress.update(qpath("a.avi"), 2, 10, 0, 1);
    EXPECT_FALSE(m_progress.window()->isVisible()) << "the delay did not start at the answer";
    QTest::qWait(QtFileOperationProgress::kShowDelayMs + 50);
    m_progress.update(qpath("a.avi"), 3, 10, 0, 1);
    EXPECT_TRUE(m_progress.window()->isVisible());

    // A question asked now is the progress window's child, on top of it.
    QWidget* owner = nullptr;
    BoxAnswerer answerer([&](QMessageBox* box) {
        owner = box->parentWidget();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(m_questions.confirmCreateFolder(qpath("new")));
    EXPECT_EQ(owner, m_progress.window());
    m_progress.end();
}

// A person reading the question for longer than the progress window's delay: the window must
// not come up over the question while it is open.
TEST_F(QtFileOperationDialogsTest, SlowAnswerIsNeverCoveredByTheProgressWindow)
{
    QDir().mkpath(qpath("dst"));
    makeFile(path("a.avi"), "new");
    makeFile(path("dst/a.avi"), "old");
    bool coveredWhileOpen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(window) && window->isVisible() && m_progress.window() &&
                m_progress.window()->isVisible())
                coveredWhileOpen = true;
        }
    });
    watch.start(20);
    QElapsedTimer read;
    BoxAnswerer answerer([&](QMessageBox* box) {
        read.start();
        QTimer::singleShot(QtFileOperationProgress::kShowDelayMs * 3, box,
                           [box] { buttonNamed(box, QStringLiteral("Replace"))->click(); });
    });
    FileOperationRequest request =
        makeRequest(FileOperationCode::Move, {qpath("a.avi")}, qpath("dst"), Flag::kSimpleProgress);
    request.progressTitle = QStringLiteral("Vantoro");
    EXPECT_FALSE(m_engine.run(request).anyOperationsAborted);
    EXPECT_FALSE(coveredWhileOpen);
    EXPECT_GE(read.elapsed(), QtFileOperationProgress::kShowDelayMs * 3 - 20);
    EXPECT_EQ(fileContents(path("dst/a.avi")), "new");
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(answerer.texts.at(0).endsWith(u"with the one you are moving?"))
        << answerer.texts.at(0).toStdString();
}

TEST_F(QtFileOperationDialogsTest, CancelWhileAQuestionIsOpenAnswersItCancel)
{
    QDir().mkpath(qpath("dst"));
    makeFile(path("a.avi"), "new");
    makeFile(path("dst/a.avi"), "old");
    BoxAnswerer answerer([&](QMessageBox* box) {
        // The operation is cancelled behind the question (the progress window's Cancel, as the
        // engine sees it); should the question stay open, Replace is pressed after a while.
        QTimer::singleShot(50, m_progress.window(),
                           [this] { m_progress.window()->findChild<QPushButton*>()->click(); });
        QTimer::singleShot(3000, box,
                           [box] { buttonNamed(box, QStringLiteral("Replace"))->click(); });
    });
    FileOperationRequest request =
        makeRequest(FileOperationCode::Copy, {qpath("a.avi")}, qpath("dst"), Flag::kSimpleProgress);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(m_engine.run(request).anyOperationsAborted);
    EXPECT_LT(clock.elapsed(), 2500) << "the question stayed open after the cancel";
    EXPECT_EQ(fileContents(path("dst/a.avi")), "old");
}

// The program quits (a logout, SIGTERM) while the work is under way and a question is due: the
// engine must not wait for a worker that waits for the GUI thread.
TEST_F(QtFileOperationDialogsTest, QuitWhileAQuestionIsDueCancelsAndEnds)
{
    QDir().mkpath(qpath("dst"));
    for (const char* name : {"a.avi", "b.avi"}) {
        makeFile(path("") + name, "new");
        makeFile(path("dst/") + name, "old");
    }
    BoxAnswerer answerer([&](QMessageBox* box) {
        if (answerer.texts.size() == 1)
            QCoreApplication::exit(0); // every event loop is told to leave
        buttonNamed(box, QStringLiteral("Replace"))->click();
    });
    std::atomic<bool> returned{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 200 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!returned) {
            std::fprintf(stderr, "the engine never returned after the quit\n");
            std::_Exit(1);
        }
    });
    const FileOperationResult result =
        m_engine.run(makeRequest(FileOperationCode::Copy, {qpath("a.avi"), qpath("b.avi")},
                                 qpath("dst"), Flag::kSimpleProgress));
    returned = true;
    watchdog.join();
    // Leave the quitting state, so that later event loops run again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    EXPECT_TRUE(result.anyOperationsAborted);
    EXPECT_EQ(answerer.texts.size(), 1) << "a question was asked after the quit";
    // The first file, answered Replace just before the quit, is either copied or untouched.
    EXPECT_TRUE(fileContents(path("dst/a.avi")) == "new" ||
                fileContents(path("dst/a.avi")) == "old");
    EXPECT_EQ(fileContents(path("dst/b.avi")), "old");
    EXPECT_EQ(fileContents(path("b.avi")), "new");
}

} // namespace
} // namespace vantoro
