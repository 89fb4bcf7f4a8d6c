#pragma once

#include <QString>

#include <memory>

namespace vantoro {

// A window that shows how far a long operation has come, with a Cancel button. Lives on the
// user-interface thread; the operation runs there too and calls setProgress often, which also
// lets the window handle its Cancel button. Closed when destroyed.
class ProgressWindow
{
public:
    virtual ~ProgressWindow() = default;

    // `done` of `total` units (bytes); `total` may be 0 when unknown.
    virtual void setProgress(qint64 done, qint64 total) = 0;
    // Whether the user has pressed Cancel (or closed the window).
    virtual bool cancelled() const = 0;
};

// Opens progress windows; tests hand in a fake that records what was shown and cancels on cue.
class ProgressWindows
{
public:
    virtual ~ProgressWindows() = default;

    // Shows a window with the given text over the active window.
    virtual std::unique_ptr<ProgressWindow> open(const QString& text) = 0;
};

} // namespace vantoro
