#include "app/FontConfigWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace vantoro {

std::jthread warmUpFontConfiguration()
{
    // A failure is Qt's to report when it loads the configuration itself.
    return std::jthread([] { FcInit(); });
}

} // namespace vantoro
