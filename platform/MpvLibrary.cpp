#include "platform/MpvLibrary.h"

#include <clocale>
#include <cstring>
#include <dlfcn.h>

namespace vantoro {

namespace {

template <typename Fn> bool resolve(void* handle, const char* name, Fn& target, QString& error)
{
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        if (error.isEmpty())
            error = QStringLiteral("missing function %1").arg(QLatin1String(name));
        return false;
    }
    target = reinterpret_cast<Fn>(symbol);
    return true;
}

} // namespace

MpvLibrary::MpvLibrary(const char* fileName)
{
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = dlerror();
        m_loadError = message != nullptr
                          ? QString::fromLocal8Bit(message)
                          : QStringLiteral("cannot open %1").arg(QString::fromLocal8Bit(fileName));
        return;
    }
    Functions api;
    QString error;
    bool ok = true;
    ok &= resolve(handle, "mpv_client_api_version", api.client_api_version, error);
    ok &= resolve(handle, "mpv_error_string", api.error_string, error);
    ok &= resolve(handle, "mpv_free", api.free, error);
    ok &= resolve(handle, "mpv_create", api.create, error);
    ok &= resolve(handle, "mpv_initialize", api.initialize, error);
    ok &= resolve(handle, "mpv_terminate_destroy", api.terminate_destroy, error);
    ok &= resolve(handle, "mpv_set_option_string", api.set_option_string, error);
    ok &= resolve(handle, "mpv_command", api.command, error);
    ok &= resolve(handle, "mpv_command_ret", api.command_ret, error);
    ok &= resolve(handle, "mpv_set_property", api.set_property, error);
    ok &= resolve(handle, "mpv_get_property", api.get_property, error);
    ok &= resolve(handle, "mpv_get_property_string", api.get_property_string, error);
    ok &= resolve(handle, "mpv_observe_property", api.observe_property, error);
    ok &= resolve(handle, "mpv_wait_event", api.wait_event, error);
    ok &= resolve(handle, "mpv_set_wakeup_callback", api.set_wakeup_callback, error);
    ok &= resolve(handle, "mpv_free_node_contents", api.free_node_contents, error);
    ok &= resolve(handle, "mpv_stream_cb_add_ro", api.stream_cb_add_ro, error);
    ok &= resolve(handle, "mpv_render_context_create", api.render_context_create, error);
    ok &= resolve(handle, "mpv_render_context_set_update_callback",
                  api.render_context_set_update_callback, error);
    ok &= resolve(handle, "mpv_render_context_update", api.render_context_update, error);
    ok &= resolve(handle, "mpv_render_context_render", api.render_context_render, error);
    ok &= resolve(handle, "mpv_render_context_report_swap", api.render_context_report_swap, error);
    ok &= resolve(handle, "mpv_render_context_free", api.render_context_free, error);
    // The client API's major version must match the headers the table was typed from.
    if (ok && api.client_api_version() >> 16 != MPV_CLIENT_API_VERSION >> 16) {
        ok = false;
        error = QStringLiteral("client API version %1 not supported")
                    .arg(api.client_api_version() >> 16);
    }
    if (!ok) {
        dlclose(handle);
        m_loadError = error;
        return;
    }
    m_handle = handle;
    m_api = api;
}

MpvLibrary::~MpvLibrary()
{
    // The library stays mapped: mpv may still run threads of handles being torn down, and
    // unloading it buys nothing in a process that used it.
}

const MpvLibrary& MpvLibrary::shared()
{
    static const MpvLibrary library;
    return library;
}

void MpvLibrary::useCNumericLocale()
{
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current == nullptr || std::strcmp(current, "C") != 0)
        std::setlocale(LC_NUMERIC, "C");
}

} // namespace vantoro
