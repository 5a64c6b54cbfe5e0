#pragma once
// File access of the settings store: whole-file reads and atomic replacement.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/result.h"

namespace arbel::config {

// The file's bytes; an empty string when the file is missing or cannot be read
// (missing settings are not an error: every read yields its default). Only
// regular files are read, so a path that names a device or a folder reads empty.
std::string readSettingsFile(const std::string& path);

// Like readSettingsFile, but tells a missing file (empty result) from one that
// exists and cannot be read, which a write must not overwrite.
Result<std::string> readForUpdate(const std::string& path);

// Replaces the file with bytes so that a reader (or a crash at any point) sees
// either the old file whole or the new one whole: the bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is then
// renamed over the old one. A symbolic link at path is followed, so the file it
// points to is replaced and the link stays. A missing folder is created (mode
// 0700, with its missing parents) only when it is creatableFolder, the settings
// folder the program chose itself; any other missing folder refuses the write,
// so a mistyped path never sprouts folders. An existing file keeps its permissions and, where allowed, its
// owner; a file the user may not write is refused with EACCES, as the system
// refuses writes to a read-only file. A new file gets newFileMode.
// Serialises the read-change-replace of one settings file between processes, so
// two programs saving at once each keep the other's keys: an advisory lock
// (flock) on the folder that holds the file (the file a link at path points to).
// The file itself cannot carry the lock, since every write replaces it, and a
// folder lock leaves no extra file and works where the folder is read-only. The
// holder re-reads the file after taking the lock. Waits at most timeoutMs for
// another holder; after that it goes on without the lock, since a settings write
// is better than none and the replacement itself is atomic either way. The lock is
// released when the object goes.
class UpdateLock {
public:
    UpdateLock() = default;
    ~UpdateLock();
    UpdateLock(UpdateLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UpdateLock& operator=(UpdateLock&&) = delete;
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    friend UpdateLock lockForUpdate(const std::string&, const std::string&, int);
    int fd_ = -1;
};
UpdateLock lockForUpdate(const std::string& path, const std::string& creatableFolder = {},
                         int timeoutMs = 3000);

Status replaceFile(const std::string& path, std::string_view bytes, const std::string& creatableFolder = {},
                   mode_t newFileMode = 0600);

}  // namespace arbel::config
