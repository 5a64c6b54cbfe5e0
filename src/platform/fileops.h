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

// Copies the whole regular file `in` to the empty file `out`: copy_file_range
// (which shares extents where the file system can), falling back to pread/pwrite.
// Holes stay holes: only the data regions (SEEK_DATA/SEEK_HOLE) are copied and the
// target is sized to match. Short writes are continued; a write that stores
// nothing is an error (ENOSPC). `chunk` is called after every block with the bytes
// just passed (a hole counts as passed) and returns false to stop, which fails with
// ECANCELED and writes nothing more. `copied` receives the byte count passed.
// `allowRange` false goes straight to pread/pwrite.
Status copyFileData(int in, int out, uint64_t* copied, const std::function<bool(uint64_t)>& chunk,
                    bool allowRange = true);

// A new, empty file for writing (mode 0600) that will take `targetName` in folder
// `dirFd` once complete. Where the file system offers it (and allowAnonymous), the
// file has no name at all until commitTemp, so a crash leaves nothing behind;
// elsewhere it has a unique hidden name derived from targetName.
struct TempFile {
    int fd = -1;
    std::string name;  // the hidden name; empty for an anonymous file
    bool anonymous() const { return name.empty(); }
};
Result<TempFile> createTempBeside(int dirFd, std::string_view targetName, bool allowAnonymous = true);
// Gives the finished file its name `name` in dirFd and closes it (a failed close
// fails the commit, and an existing target is replaced only after the close
// succeeded). Without `replace` it fails with EEXIST when the name is taken, and
// the temporary file stays as it was, ready for another commit. With `replace`
// the file takes the place of an existing one in one step.
Status commitTemp(int dirFd, TempFile& temp, const std::string& name, bool replace);
// Closes and removes a temporary file that will not be used.
void discardTemp(int dirFd, TempFile& temp);
// A unique unused hidden name in the folder for a link or folder of our own.
std::string tempNameFor(std::string_view targetName);

// mkdir -p: creates the folder and every missing parent (mode less umask; the
// settings folder is made 0700, as it is the user's own).
Status makeDirs(const std::string& path, mode_t mode = 0777);

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
