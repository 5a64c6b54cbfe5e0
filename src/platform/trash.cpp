#include "platform/trash.h"

#include <gio/gio.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/trash_places.h"

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

// The top folder of the volume `path` lies on: the last ancestor on its device.
std::string volumeTop(const std::string& path, dev_t dev) {
    std::string top = path;
    for (;;) {
        if (top == "/") return top;
        std::string up = parentPath(top);
        struct stat st;
        if (up.empty() || ::lstat(up.c_str(), &st) != 0 || st.st_dev != dev) return top;
        top = up;
    }
}

// The entry of "trash/files" with this identity, by name; empty when none.
std::string entryWithIdentity(const std::string& trash, dev_t dev, ino_t ino) {
    std::string files = trash + "/files";
    DIR* d = ::opendir(files.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (e->d_ino != ino) continue;  // d_ino is the inode on local file systems
        struct stat st;
        if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == dev &&
            st.st_ino == ino) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

Status moveToTrash(const std::string& path, TrashedItem& where) {
    where = {};
    struct stat before;
    if (::lstat(path.c_str(), &before) != 0) return errnoError(path);
    Status s = moveToTrash(path);
    if (!s.ok()) return s;
    const TrashPlaces places = TrashPlaces::current();
    std::vector<std::string> trashes;
    if (!places.homeTrash().empty()) trashes.push_back(places.homeTrash());
    std::string top = volumeTop(parentPath(path), before.st_dev);
    if (top != "/") top += '/';
    trashes.push_back(top + ".Trash/" + std::to_string(places.uid));
    trashes.push_back(top + ".Trash-" + std::to_string(places.uid));
    for (const std::string& trash : trashes) {
        std::string name = entryWithIdentity(trash, before.st_dev, before.st_ino);
        if (name.empty()) continue;
        where.filesPath = trash + "/files/" + name;
        where.infoPath = trash + "/info/" + name + ".trashinfo";
        where.dev = before.st_dev;
        where.ino = before.st_ino;
        break;
    }
    return {};
}

Status restoreFromTrash(const TrashedItem& item, const std::string& original) {
    struct stat st;
    if (item.filesPath.empty() || ::lstat(item.filesPath.c_str(), &st) != 0 || st.st_dev != item.dev ||
        st.st_ino != item.ino)
        return Error{original, 0, "It is no longer in the trash"};
    if (::lstat(original.c_str(), &st) == 0) return Error{original, 0, "Something else now has its name"};
    Status moved = renameNoReplace(item.filesPath, original);
    if (!moved.ok()) {
        Error e = moved.error();
        if (e.code == EEXIST) return Error{original, 0, "Something else now has its name"};
        e.path = original;
        return e;
    }
    // The record goes only now: until the item is back, the trash must still
    // know where it came from.
    (void)::unlink(item.infoPath.c_str());
    return {};
}

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
