#pragma once

namespace vantoro {

// The four playlist commands of the main window's playlist box. The main window calls them; the
// playlist commands and the editor implement them.
class PlaylistCommandHandler
{
public:
    virtual ~PlaylistCommandHandler() = default;
    virtual void PlaylistNewClick() = 0;
    virtual void PlaylistLoadClick() = 0;
    virtual void PlaylistEditClick() = 0;
    virtual void PlaylistDeleteClick() = 0;
};

} // namespace vantoro
