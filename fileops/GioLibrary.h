#pragma once

#include <gio/gio.h>

#include <QString>

namespace vantoro {

// The few GIO calls the Trash makes, from libgio opened with dlopen at the first trash instead of
// linked: GIO and what it brings (GObject, libmount, libblkid, libselinux, ...) would cost every
// start of the program a millisecond or two before its window shows. GLib's core, which Qt loads
// anyway, stays linked. Each call is either a valid entry point or null (all of them null when
// the library is not usable).
//
// Thread safety: written once in the constructor, only read afterwards.
class GioLibrary
{
public:
    struct Functions
    {
        decltype(&::g_vfs_get_local) vfs_get_local = nullptr;
        decltype(&::g_vfs_get_file_for_path) vfs_get_file_for_path = nullptr;
        decltype(&::g_file_trash) file_trash = nullptr;
        decltype(&::g_object_unref) object_unref = nullptr;
        decltype(&::g_io_error_quark) io_error_quark = nullptr;
    };

    // Opens `fileName` and resolves the calls. The library is never closed: GObject's types
    // cannot be unregistered.
    explicit GioLibrary(const char* fileName);
    GioLibrary(const GioLibrary&) = delete;
    GioLibrary& operator=(const GioLibrary&) = delete;

    // libgio-2.0.so.0, opened at the first call from any thread and kept for the process.
    static const GioLibrary& shared();

    bool isUsable() const { return m_error.isEmpty(); }
    // Why the Trash cannot be used, in words for the person who asked for it; empty if usable.
    const QString& error() const { return m_error; }
    const Functions& api() const { return m_api; }

private:
    Functions m_api;
    QString m_error;
};

} // namespace vantoro
