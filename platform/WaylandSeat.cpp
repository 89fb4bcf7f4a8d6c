#include "platform/WaylandSeat.h"

#include <QByteArray>
#include <QtGlobal>

#include <wayland-client.h>

#include <cstring>

namespace vantoro {

namespace {

void onGlobal(void* data, wl_registry* /*registry*/, uint32_t /*name*/, const char* interface,
              uint32_t /*version*/)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0)
        *static_cast<bool*>(data) = true;
}

void onGlobalRemove(void* /*data*/, wl_registry* /*registry*/, uint32_t /*name*/) {}

// Whether Qt will pick its Wayland platform: asked for in QT_QPA_PLATFORM, or nothing asked for
// in a Wayland session.
bool qtWillUseWayland()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform.startsWith("wayland");
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

} // namespace

int waylandSeatOffered()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return -1;
    static const wl_registry_listener listener{&onGlobal, &onGlobalRemove};
    bool seat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &seat);
    // One round trip: the compositor announces every global before it answers.
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered)
        return -1;
    return seat ? 1 : 0;
}

bool disableInputMethodsWithoutWaylandSeat()
{
    if (qEnvironmentVariableIsSet("QT_IM_MODULE") || !qtWillUseWayland())
        return false;
    if (waylandSeatOffered() != 0)
        return false;
    qputenv("QT_IM_MODULE", "none");
    return true;
}

} // namespace vantoro
