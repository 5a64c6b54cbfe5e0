#include "platform/trash.h"

#include <gio/gio.h>

#include <cerrno>

namespace arbel {

namespace {

int errnoFromGio(const GError* error) {
    if (!error || error->domain != G_IO_ERROR) return EIO;
    switch (error->code) {
        case G_IO_ERROR_NOT_FOUND:
            return ENOENT;
        case G_IO_ERROR_PERMISSION_DENIED:
            return EACCES;
        case G_IO_ERROR_NO_SPACE:
            return ENOSPC;
        case G_IO_ERROR_READ_ONLY:
            return EROFS;
        case G_IO_ERROR_CANCELLED:
            return ECANCELED;
        case G_IO_ERROR_NOT_SUPPORTED:
            return ENOTSUP;
        default:
            return EIO;
    }
}

}  // namespace

Status moveToTrash(const std::string& path) {
    // A GFile for a local path keeps the bytes as they are, so names that are not
    // valid UTF-8 are trashed as themselves.
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    gboolean ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (ok) return {};
    Error e{path, errnoFromGio(error), error ? error->message : "cannot move to the trash"};
    if (error) g_error_free(error);
    return e;
}

}  // namespace arbel
