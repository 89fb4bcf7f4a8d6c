#include "platform/ShellFileOperation.h"

#include "platform/FileOperationJob.h"
#include "platform/FileOperationQuestions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <thread>

namespace vantoro {

namespace {

constexpr int kProgressIntervalMs = 100;

// Hands each question of the worker to the real questions on the GUI thread and waits for the
// answer; the GUI thread is inside the engine's event loop meanwhile, so it answers at once.
class GuiThreadQuestions final : public FileOperationQuestions
{
public:
    GuiThreadQuestions(FileOperationQuestions& target, QObject& guiContext)
        : m_target(target), m_context(guiContext)
    {}

    template <typename F> static auto callOn(QObject& context, F&& ask) -> decltype(ask())
    {
        decltype(ask()) answer{};
        if (QThread::currentThread() == context.thread())
            return ask();
        QMetaObject::invokeMethod(
            &context, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    template <typename F> auto call(F&& ask) -> decltype(ask())
    {
        return callOn(m_context, std::forward<F>(ask));
    }

    bool confirmDelete(const QStringList& paths, bool toTrash) override
    {
        return call([&] { return m_target.confirmDelete(paths, toTrash); });
    }
    bool confirmCreateFolder(const QString& folder) override
    {
        return call([&] { return m_target.confirmCreateFolder(folder); });
    }
    CollisionAnswer askCollision(const QString& name, const QString& folder) override
    {
        return call([&] { return m_target.askCollision(name, folder); });
    }
    bool confirmPermanentDelete(const QString& path, const QString& reason) override
    {
        return call([&] { return m_target.confirmPermanentDelete(path, reason); });
    }
    ErrorChoice askError(const FileOperationError& error) override
    {
        return call([&] { return m_target.askError(error); });
    }

private:
    FileOperationQuestions& m_target;
    QObject& m_context;
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

    if (!QCoreApplication::instance()) {
        // No event loop to keep alive (a command-line use): run right here, unwatched.
        result = FileOperationJob(request, m_questions, status).run();
        m_running = false;
        return result;
    }

    QObject context;
    GuiThreadQuestions questions(m_questions, context);
    QEventLoop loop;
    QTimer tick;
    auto publish = [&] {
        if (!showProgress)
            return;
        m_progress.update(status.currentPath(), status.bytesDone.load(), status.bytesTotal.load(),
                          status.itemsDone.load(), status.itemCount.load());
        if (m_progress.cancelRequested())
            status.cancel = true;
    };
    QObject::connect(&tick, &QTimer::timeout, &context, publish);
    if (showProgress) {
        m_progress.begin(title, request.operation);
        tick.start(kProgressIntervalMs);
    }

    std::thread worker([&] {
        result = FileOperationJob(request, questions, status).run();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
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
