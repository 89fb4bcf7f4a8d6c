#pragma once

#include <QStringList>

namespace vantoro {

// The playlist commands of the main window's playlist box (the editor has its own window).
class PlaylistCommandHandler
{
public:
    virtual ~PlaylistCommandHandler() = default;
    virtual void PlaylistNewClick() = 0;
    virtual void PlaylistLoadClick() = 0;
    virtual void PlaylistDeleteClick() = 0;
    // Files and folders dropped on the main window: absolute local paths, in the order dropped.
    virtual void PlaylistDropped(const QStringList& paths) = 0;
};

} // namespace vantoro
