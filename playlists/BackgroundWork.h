#pragma once

#include <QString>

#include <functional>

namespace vantoro {

class DelayedProgress;
class MessageBoxes;
class ProgressWindows;

// Runs `work` on a worker thread while the calling (GUI) thread waits in a local event loop, so
// that a file system that answers slowly (a NAS, a stalled mount) never freezes a window.
// `work` gets a MessageBoxes whose boxes are shown on the GUI thread, one at a time, while the
// work waits for each answer; and, with `windows`, a DelayedProgress whose window (`text`,
// after the usual delay) is the GUI thread's, its Cancel reaching the work through
// DelayedProgress::update and cancelled(). Answers whether the work was cancelled. The work
// must not touch anything the GUI thread uses meanwhile. When the program quits during the
// work, its boxes answer at once (as closed) and it is waited for.
bool runInBackground(MessageBoxes& boxes, ProgressWindows* windows, const QString& text,
                     const std::function<void(MessageBoxes&, DelayedProgress*)>& work);

} // namespace vantoro
