#pragma once

#include "platform/MediaPlayerCheck.h"

namespace vantoro {

class MpvLibrary;

// The engine counts as installed when libmpv loaded and a handle can be created and
// initialised; the probe handle is destroyed again at once.
class MpvMediaPlayerCheck : public MediaPlayerCheck
{
public:
    explicit MpvMediaPlayerCheck(const MpvLibrary& library);
    bool mediaPlayerInstalled() override;

private:
    const MpvLibrary& m_library;
};

} // namespace vantoro
