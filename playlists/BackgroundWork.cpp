#include "playlists/BackgroundWork.h"

#include "platform/MessageBoxes.h"
#include "platform/ProgressWindows.h"
#include "playlists/DelayedProgress.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vantoro {

namespace {

constexpr int kTickMs = 50;

// What the worker's progress window and boxes share with the GUI thread.
class Bridge
{
public:
    Bridge(MessageBoxes& boxes, ProgressWindows* windows, QObject& context)
        : m_boxes(boxes), m_windows(windows), m_context(context)
    {}

    // Worker: the delayed progress opened or updated its window, or closed it.
    void windowWanted(const QString& text)
    {
        std::lock_guard lock(m_mutex);
        m_windowText = text;
        m_windowWanted = true;
    }
    void windowGone()
    {
        std::lock_guard lock(m_mutex);
        m_windowWanted = false;
    }
    void setProgress(qint64 done, qint64 total)
    {
        m_done = done;
        m_total = total;
    }
    bool cancelled() const { return m_cancelled; }

    // GUI thread, on each tick and before each box: the real window follows the worker's.
    void syncWindow()
    {
        bool wanted = false;
        QString text;
        {
            std::lock_guard lock(m_mutex);
            wanted = m_windowWanted;
            text = m_windowText;
        }
        if (!wanted || m_windows == nullptr) {
            m_window.reset();
            return;
        }
        if (!m_window)
            m_window = m_windows->open(text);
        m_window->setProgress(m_done, m_total);
        if (m_window->cancelled())
            m_cancelled = true;
    }

    // Worker: a box, shown on the GUI thread; waits for its answer.
    MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons)
    {
        auto answer = std::make_shared<std::optional<MessageResult>>();
        {
            std::lock_guard lock(m_mutex);
            if (m_closed)
                return closedAnswer(buttons);
        }
        QMetaObject::invokeMethod(
            &m_context,
            [this, answer, kind, text, buttons] {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_closed)
                        return;
                }
                syncWindow(); // a window the work has closed goes before the box
                const MessageResult result = m_boxes.show(kind, text, buttons);
                std::lock_guard lock(m_mutex);
                *answer = result;
                m_answered.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        m_answered.wait(lock, [&] { return answer->has_value() || m_closed; });
        return answer->has_value() ? **answer : closedAnswer(buttons);
    }

    // GUI thread: no box will be shown any more.
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_cancelled = true;
        m_answered.notify_all();
    }
    void closeWindow() { m_window.reset(); }

private:
    static MessageResult closedAnswer(MessageButtons buttons)
    {
        return buttons == MessageButtons::YesNo ? MessageResult::No
               : buttons == MessageButtons::Ok  ? MessageResult::Ok
                                                : MessageResult::Cancel;
    }

    MessageBoxes& m_boxes;
    ProgressWindows* m_windows;
    QObject& m_context;
    std::unique_ptr<ProgressWindow> m_window; // GUI thread only
    std::mutex m_mutex;
    std::condition_variable m_answered;
    QString m_windowText;
    bool m_windowWanted = false;
    bool m_closed = false;
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_cancelled{false};
};

// The worker's side of the progress window: its state goes to the bridge.
class WorkerWindow final : public ProgressWindow
{
public:
    WorkerWindow(Bridge& bridge, const QString& text) : m_bridge(bridge)
    {
        m_bridge.windowWanted(text);
    }
    ~WorkerWindow() override { m_bridge.windowGone(); }
    void setProgress(qint64 done, qint64 total) override { m_bridge.setProgress(done, total); }
    bool cancelled() const override { return m_bridge.cancelled(); }

private:
    Bridge& m_bridge;
};

class WorkerWindows final : public ProgressWindows
{
public:
    explicit WorkerWindows(Bridge& bridge) : m_bridge(bridge) {}
    std::unique_ptr<ProgressWindow> open(const QString& text) override
    {
        return std::make_unique<WorkerWindow>(m_bridge, text);
    }

private:
    Bridge& m_bridge;
};

class WorkerBoxes final : public MessageBoxes
{
public:
    explicit WorkerBoxes(Bridge& bridge) : m_bridge(bridge) {}
    MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons) override
    {
        return m_bridge.show(kind, text, buttons);
    }

private:
    Bridge& m_bridge;
};

} // namespace

bool runInBackground(MessageBoxes& boxes, ProgressWindows* windows, const QString& text,
                     const std::function<void(MessageBoxes&, DelayedProgress*)>& work)
{
    if (!QCoreApplication::instance()) {
        std::optional<DelayedProgress> progress;
        if (windows != nullptr)
            progress.emplace(*windows, text);
        work(boxes, progress ? &*progress : nullptr);
        return progress && progress->cancelled();
    }
    QObject context;
    Bridge bridge(boxes, windows, context);
    WorkerWindows workerWindows(bridge);
    WorkerBoxes workerBoxes(bridge);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &context, [&bridge] { bridge.syncWindow(); });
    tick.start(kTickMs);
    std::atomic<bool> finished{false};
    bool cancelled = false;
    std::thread worker([&] {
        std::optional<DelayedProgress> progress;
        if (windows != nullptr)
            progress.emplace(workerWindows, text);
        work(workerBoxes, progress ? &*progress : nullptr);
        cancelled = progress && progress->cancelled();
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The loop also ends when the program quits: the work is cancelled, its boxes answer.
    const bool quit = !finished;
    if (quit)
        bridge.close();
    worker.join();
    tick.stop();
    bridge.closeWindow();
    return cancelled || quit;
}

} // namespace vantoro
