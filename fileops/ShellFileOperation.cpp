#include "fileops/ShellFileOperation.h"

#include "fileops/FileOperationJob.h"
#include "fileops/FileOperationQuestions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace vantoro {

namespace {

constexpr int kProgressIntervalMs = 100;

// Hands each question of the worker to the GUI thread and waits for the answer there. The GUI
// thread answers it from within the engine's event loop; the progress window is told while a
// question is open. A question whose operation is cancelled is answered Cancel unasked, and one
// that is open when the cancel comes is closed as Cancel. Once the GUI thread has left the
// engine's loop (the program is quitting), every question still due and every later one is
// answered Cancel at once, so the worker reaches its next safe point and ends.
class GuiThreadQuestions final : public FileOperationQuestions
{
public:
    GuiThreadQuestions(FileOperationQuestions& target, FileOperationProgress* progress,
                       FileOperationStatus& status, QObject& guiContext)
        : m_target(target), m_progress(progress), m_status(status), m_context(guiContext)
    {}

    bool confirmDelete(const QStringList& paths, bool toTrash) override
    {
        return call([&] { return m_target.confirmDelete(paths, toTrash); }, false);
    }
    bool confirmCreateFolder(const QString& folder) override
    {
        return call([&] { return m_target.confirmCreateFolder(folder); }, false);
    }
    CollisionAnswer askCollision(const QString& name, const QString& folder) override
    {
        return call([&] { return m_target.askCollision(name, folder); }, CollisionAnswer{});
    }
    bool confirmPermanentDelete(const QString& path, const QString& reason) override
    {
        return call([&] { return m_target.confirmPermanentDelete(path, reason); }, false);
    }
    PermanentDeleteAnswer confirmReplacePermanently(const QString& path,
                                                    const QString& reason) override
    {
        return call([&] { return m_target.confirmReplacePermanently(path, reason); },
                    PermanentDeleteAnswer{});
    }
    ErrorChoice askError(const FileOperationError& error) override
    {
        return call([&] { return m_target.askError(error); }, ErrorChoice::Cancel);
    }

    // GUI thread: the operation is cancelled; an open question closes as Cancel.
    void cancel()
    {
        m_status.cancel = true;
        if (m_questionOpen)
            m_target.cancelOpenQuestion();
    }
    // GUI thread, after the engine's loop: no question will be answered any more.
    void close()
    {
        m_status.cancel = true;
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_answered.notify_all();
    }

private:
    template <typename F, typename Answer> Answer call(F&& ask, Answer cancelled)
    {
        if (QThread::currentThread() == m_context.thread())
            return askHere(ask, cancelled);
        // Shared with the queued call, which may run (and find the question withdrawn) after
        // the worker has given up waiting.
        struct Pending
        {
            Answer answer{};
            bool done = false;
        };
        auto pending = std::make_shared<Pending>();
        {
            std::lock_guard lock(m_mutex);
            if (m_closed)
                return cancelled;
        }
        QMetaObject::invokeMethod(
            &m_context,
            [this, pending, &ask, cancelled] {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_closed)
                        return;
                }
                const Answer answer = askHere(ask, cancelled);
                std::lock_guard lock(m_mutex);
                pending->answer = answer;
                pending->done = true;
                m_answered.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        m_answered.wait(lock, [&] { return pending->done || m_closed; });
        return pending->done ? pending->answer : cancelled;
    }

    // GUI thread.
    template <typename F, typename Answer> Answer askHere(F& ask, Answer cancelled)
    {
        if (m_status.cancel)
            return cancelled;
        m_questionOpen = true;
        if (m_progress)
            m_progress->setQuestionOpen(true);
        Answer answer = ask();
        m_questionOpen = false;
        if (m_progress)
            m_progress->setQuestionOpen(false);
        // Cancelled while the question was open: whatever closed it, the answer is Cancel.
        return m_status.cancel ? cancelled : answer;
    }

    FileOperationQuestions& m_target;
    FileOperationProgress* m_progress;
    FileOperationStatus& m_status;
    QObject& m_context;
    bool m_questionOpen = false; // GUI thread only
    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_closed = false;
};

} // namespace

ShellFileOperation::ShellFileOperation(FileOperationQuestions& questions,
                                       FileOperationProgress& progress)
    : m_questions(questions), m_progress(progress)
{}

FileOperationResult ShellFileOperation::run(const FileOperationRequest& request)
{
    FileOperationResult result;
    if (m_running) {
        result.anyOperationsAborted = true;
        return result;
    }
    m_running = true;

    FileOperationStatus status;
    const bool showProgress = !(request.flags & FileOperationFlag::kSilent);
    const QString title =
        (request.flags & FileOperationFlag::kSimpleProgress) && !request.progressTitle.isEmpty()
            ? request.progressTitle
            : fileOperationVerb(request.operation);

    m_questions.operationStarts(request.operation);
    if (!QCoreApplication::instance()) {
        // No event loop to keep alive (a command-line use): run right here, unwatched.
        result = FileOperationJob(request, m_questions, status).run();
        m_running = false;
        return result;
    }

    QObject context;
    GuiThreadQuestions questions(m_questions, showProgress ? &m_progress : nullptr, status,
                                 context);
    QEventLoop loop;
    QTimer tick;
    auto publish = [&] {
        if (!showProgress)
            return;
        m_progress.update(status.currentPath(), status.bytesDone.load(), status.bytesTotal.load(),
                          status.itemsDone.load(), status.itemCount.load());
        if (m_progress.cancelRequested() && !status.cancel)
            questions.cancel();
    };
    QObject::connect(&tick, &QTimer::timeout, &context, publish);
    if (showProgress) {
        m_progress.begin(title, request.operation);
        m_progress.setDestination(
            request.operation == FileOperationCode::Delete ? QString() : request.destination);
        tick.start(kProgressIntervalMs);
    }

    std::atomic<bool> finished{false};
    std::thread worker([&] {
        result = FileOperationJob(request, questions, status).run();
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The loop also ends when the program quits (every event loop is told to leave): the work
    // is cancelled, its questions are answered Cancel, and it stops at its next safe point.
    if (!finished)
        questions.close();
    worker.join();

    if (showProgress) {
        tick.stop();
        publish();
        m_progress.end();
    }
    if (status.cancel)
        result.anyOperationsAborted = true;
    m_running = false;
    return result;
}

} // namespace vantoro
