#include "platform/Trash.h"

#include <cerrno>

#include <gio/gio.h>

namespace vantoro {

namespace {

int errnoOf(const GError* error)
{
    if (error->domain != G_IO_ERROR)
        return 0;
    switch (error->code) {
    case G_IO_ERROR_NOT_FOUND:
        return ENOENT;
    case G_IO_ERROR_PERMISSION_DENIED:
        return EACCES;
    case G_IO_ERROR_READ_ONLY:
        return EROFS;
    case G_IO_ERROR_NO_SPACE:
        return ENOSPC;
    case G_IO_ERROR_BUSY:
        return EBUSY;
    case G_IO_ERROR_FILENAME_TOO_LONG:
        return ENAMETOOLONG;
    default:
        return 0;
    }
}

} // namespace

TrashOutcome moveToTrash(const QByteArray& path)
{
    // The local VFS directly: no desktop daemon or session bus is needed or started for a file
    // on a local disk.
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), path.constData());
    GError* error = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    TrashOutcome outcome;
    if (ok) {
        outcome.status = TrashOutcome::Status::Trashed;
        return outcome;
    }
    outcome.reason = QString::fromUtf8(error->message);
    outcome.errorCode = errnoOf(error);
    // GIO answers "not supported" when the volume has no usable Trash (a system-internal mount,
    // no trash folder that can be found or made at the volume's top); the file itself is fine.
    outcome.status = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED)
                         ? TrashOutcome::Status::NoTrash
                         : TrashOutcome::Status::Failed;
    g_error_free(error);
    return outcome;
}

} // namespace vantoro
