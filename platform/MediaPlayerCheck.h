#pragma once

namespace vantoro {

// Whether the playback engine is present and can start.
class MediaPlayerCheck
{
public:
    virtual ~MediaPlayerCheck() = default;
    virtual bool mediaPlayerInstalled() = 0;
};

} // namespace vantoro
