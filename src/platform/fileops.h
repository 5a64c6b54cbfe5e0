#pragma once
// File primitives for copy, move and delete: renames that never replace by
// accident, data copies that survive short writes, temporary files beside a
// target, identity tests, and a recursive delete on directory handles.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/cancel.h"
#include "platform/paths.h"
#include "platform/result.h"

namespace arbel {

// Same object on disk (device and inode).
inline bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Renames within or across folders and fails with EEXIST when the target exists,
// whatever it is. Falls back to a check and rename(2) on file systems that lack
// RENAME_NOREPLACE.
Status renameNoReplace(int fromDir, const std::string& fromName, int toDir, const std::string& toName);
Status renameNoReplace(const std::string& from, const std::string& to);

// Copies every byte from `in` (at its current offset) to `out`: copy_file_range
// (which shares extents where the file system can), falling back to read/write.
// Short writes are continued; a write that stores nothing is an error (ENOSPC).
// `chunk` is called after every block with the bytes just copied and returns false
// to stop, which fails with ECANCELED. `copied` receives the byte count.
Status copyFileData(int in, int out, uint64_t* copied, const std::function<bool(uint64_t)>& chunk);

// A new, empty file with a unique hidden name in folder `dirFd`, derived from
// `targetName`, opened for writing (O_EXCL, mode 0600). Caller closes and renames
// or unlinks it.
struct TempFile {
    int fd = -1;
    std::string name;
};
Result<TempFile> createTempBeside(int dirFd, std::string_view targetName);
// A unique unused hidden name in the folder for a link or folder of our own.
std::string tempNameFor(std::string_view targetName);

// mkdir -p: creates the folder and every missing parent (mode 0777 less umask).
Status makeDirs(const std::string& path);

// True when `folder` is the object (dev, ino) or lies anywhere below it, judged by
// walking up through ".." from the folder itself, so any spelling (links, "..",
// doubled slashes, bind mounts) is seen through.
Result<bool> isInside(const std::string& folder, dev_t dev, ino_t ino);

// Recursive delete of `name` in folder `parentFd`, on directory handles: links are
// removed, never followed; another mounted file system below is not entered (its
// mount point stays and the error is reported). `display` is the full path used in
// errors.
struct RemoveHooks {
    const CancelToken* cancel = nullptr;
    // Optional filter: called for every entry (path relative to the removed item,
    // "" for the item itself); returning false keeps the entry (and so its parents).
    std::function<bool(const std::string& rel, const struct stat& st)> shouldRemove;
    // Called on a failure; return true to go on with the other entries, false to stop.
    std::function<bool(const Error&)> onError;
    // Called after each entry is removed.
    std::function<void(const std::string& rel, bool isDir)> removed;
};
enum class RemoveOutcome { Done, Incomplete, Cancelled, Stopped };
RemoveOutcome removeTree(int parentFd, const std::string& name, const std::string& display,
                         const RemoveHooks& hooks);

}  // namespace arbel
