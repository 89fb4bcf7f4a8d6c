#pragma once

#include "platform/ProgressWindows.h"

namespace vantoro {

// Progress windows as modal QProgressDialogs over the active window. Each progress update
// handles pending events (at most every few tens of milliseconds), so that the window paints
// and its Cancel button works while the operation runs on the user-interface thread.
class QtProgressWindows final : public ProgressWindows
{
public:
    std::unique_ptr<ProgressWindow> open(const QString& text) override;

    // "12.5 MB of 2,048.0 MB", the text under the bar.
    static QString amountText(qint64 done, qint64 total);
};

} // namespace vantoro
