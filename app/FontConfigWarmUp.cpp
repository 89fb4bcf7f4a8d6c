#include "app/FontConfigWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace vantoro {

std::jthread warmUpFontConfiguration()
{
    // A failure is Qt's to report when it loads the configuration itself; without a thread to be
    // had, Qt loads it on the main thread as it would anyway.
    try {
        return std::jthread([] { FcInit(); });
    } catch (const std::system_error&) {
        return {};
    }
}

} // namespace vantoro
