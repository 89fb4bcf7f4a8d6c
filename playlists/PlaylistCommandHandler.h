#pragma once

namespace vantoro {

// The playlist commands of the main window's playlist box (the editor has its own window).
class PlaylistCommandHandler
{
public:
    virtual ~PlaylistCommandHandler() = default;
    virtual void PlaylistNewClick() = 0;
    virtual void PlaylistLoadClick() = 0;
    virtual void PlaylistDeleteClick() = 0;
};

} // namespace vantoro
