#pragma once

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/stream_cb.h>

#include <QString>

namespace vantoro {

// The playback engine libmpv, opened with dlopen so that a machine without it still starts.
// Only the functions the media control uses are resolved; each member of Functions is either
// a valid entry point or null (all of them null when the library did not load).
//
// Thread safety: the table is written once in the constructor and only read afterwards.
class MpvLibrary
{
public:
    struct Functions
    {
        decltype(&::mpv_client_api_version) client_api_version = nullptr;
        decltype(&::mpv_error_string) error_string = nullptr;
        decltype(&::mpv_free) free = nullptr;
        decltype(&::mpv_create) create = nullptr;
        decltype(&::mpv_initialize) initialize = nullptr;
        decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
        decltype(&::mpv_set_option_string) set_option_string = nullptr;
        decltype(&::mpv_command) command = nullptr;
        decltype(&::mpv_command_ret) command_ret = nullptr;
        decltype(&::mpv_set_property) set_property = nullptr;
        decltype(&::mpv_get_property) get_property = nullptr;
        decltype(&::mpv_get_property_string) get_property_string = nullptr;
        decltype(&::mpv_observe_property) observe_property = nullptr;
        decltype(&::mpv_wait_event) wait_event = nullptr;
        decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
        decltype(&::mpv_free_node_contents) free_node_contents = nullptr;
        decltype(&::mpv_stream_cb_add_ro) stream_cb_add_ro = nullptr;
        decltype(&::mpv_render_context_create) render_context_create = nullptr;
        decltype(&::mpv_render_context_set_update_callback) render_context_set_update_callback =
            nullptr;
        decltype(&::mpv_render_context_update) render_context_update = nullptr;
        decltype(&::mpv_render_context_render) render_context_render = nullptr;
        decltype(&::mpv_render_context_report_swap) render_context_report_swap = nullptr;
        decltype(&::mpv_render_context_free) render_context_free = nullptr;
    };

    static constexpr const char* kDefaultFileName = "libmpv.so.2";

    // Opens the library by file name (searched as dlopen searches) and resolves the table.
    // A library that opens but lacks one of the functions counts as not loaded.
    explicit MpvLibrary(const char* fileName = kDefaultFileName);
    ~MpvLibrary();
    MpvLibrary(const MpvLibrary&) = delete;
    MpvLibrary& operator=(const MpvLibrary&) = delete;

    // The program's instance: loaded by the first call, which main() makes at start-up.
    static const MpvLibrary& shared();

    bool isLoaded() const { return m_handle != nullptr; }
    // Why the load failed (the loader's own message); empty when loaded.
    QString loadError() const { return m_loadError; }
    // The resolved functions; call them only when isLoaded().
    const Functions& api() const { return m_api; }

    // mpv refuses to start unless LC_NUMERIC is "C", and QApplication sets the process locale
    // from the environment. Call on the GUI thread after the QApplication exists and before
    // any mpv handle is created; cheap when the category is already "C".
    static void useCNumericLocale();

private:
    void* m_handle = nullptr;
    QString m_loadError;
    Functions m_api;
};

} // namespace vantoro
