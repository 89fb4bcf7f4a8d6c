#pragma once

#include "platform/MediaPlayerCheck.h"

#include <QObject>

#include <future>

namespace vantoro {

// Loads the playback engine and checks it on a worker thread, so the main window can be shown
// meanwhile (loading libmpv and its codecs takes about half a
// second). Loading holds the dynamic loader's lock, which the GUI thread also needs while it
// shows its first window (style and icon plugins), so the owner starts it once the window has
// painted. `known` is emitted on the GUI thread once the answer is there.
class BackgroundEngineCheck final : public QObject, public MediaPlayerCheck
{
    Q_OBJECT

public:
    explicit BackgroundEngineCheck(QObject* parent = nullptr);
    ~BackgroundEngineCheck() override;

    // Starts the load on the worker thread; a check asked for before that starts it first.
    void start();

    bool isKnown() const;
    // Waits for the answer when it is not known yet.
    bool mediaPlayerInstalled() override;

Q_SIGNALS:
    void known();

private:
    std::future<bool> m_answer;
    bool m_installed = false;
    bool m_taken = false;
};

} // namespace vantoro
