#include "fileops/GioLibrary.h"

#include <dlfcn.h>

namespace vantoro {

namespace {

// Sets `missing` to the first name not found.
template <typename Fn>
void resolve(void* handle, const char* name, Fn& target, const char*& missing)
{
    target = reinterpret_cast<Fn>(dlsym(handle, name));
    if (target == nullptr && missing == nullptr)
        missing = name;
}

QString cannotUse(const QString& why)
{
    return QStringLiteral("The Trash cannot be used: %1").arg(why);
}

} // namespace

GioLibrary::GioLibrary(const char* fileName)
{
    const QString name = QString::fromLocal8Bit(fileName);
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = dlerror();
        m_error = cannotUse(QStringLiteral("%1 could not be loaded (%2)")
                                .arg(name, message != nullptr ? QString::fromLocal8Bit(message)
                                                              : QStringLiteral("unknown error")));
        return;
    }
    Functions api;
    const char* missing = nullptr;
    resolve(handle, "g_vfs_get_local", api.vfs_get_local, missing);
    resolve(handle, "g_vfs_get_file_for_path", api.vfs_get_file_for_path, missing);
    resolve(handle, "g_file_trash", api.file_trash, missing);
    resolve(handle, "g_object_unref", api.object_unref, missing);
    resolve(handle, "g_io_error_quark", api.io_error_quark, missing);
    if (missing != nullptr) {
        m_error =
            cannotUse(QStringLiteral("%1 has no function %2").arg(name, QLatin1String(missing)));
        return;
    }
    m_api = api;
}

const GioLibrary& GioLibrary::shared()
{
    static const GioLibrary library("libgio-2.0.so.0");
    return library;
}

} // namespace vantoro
