#include "platform/MpvMediaPlayerCheck.h"

#include "platform/MpvLibrary.h"

namespace vantoro {

MpvMediaPlayerCheck::MpvMediaPlayerCheck(const MpvLibrary& library) : m_library(library) {}

bool MpvMediaPlayerCheck::mediaPlayerInstalled()
{
    if (!m_library.isLoaded())
        return false;
    MpvLibrary::useCNumericLocale();
    const auto& mpv = m_library.api();
    mpv_handle* handle = mpv.create();
    if (handle == nullptr)
        return false;
    // The probe must not read the user's configuration or open any output.
    mpv.set_option_string(handle, "config", "no");
    mpv.set_option_string(handle, "load-scripts", "no");
    mpv.set_option_string(handle, "vo", "null");
    mpv.set_option_string(handle, "ao", "null");
    const bool ok = mpv.initialize(handle) >= 0;
    mpv.terminate_destroy(handle);
    return ok;
}

} // namespace vantoro
