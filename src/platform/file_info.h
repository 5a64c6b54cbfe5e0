#pragma once
// One item's facts as a properties window shows them, and the two changes the
// attribute and properties windows make besides the attribute word: the
// modification time and the permission bits.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/result.h"

namespace arbel {

struct Timestamp {
    int64_t sec = 0;
    int64_t nsec = 0;
    friend bool operator==(const Timestamp&, const Timestamp&) = default;
};

struct FileInfo {
    mode_t mode = 0;  // of what the path names, a link followed (lmode: the link itself)
    mode_t lmode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
    uint64_t size = 0;
    Timestamp modified, accessed, changed;
    std::optional<Timestamp> created;  // where the file system keeps a birth time
    bool isLink = false;
    bool dangling = false;  // a link whose target is missing: the link's own facts
};

// statx of the path (following a final link; a dangling link reports itself).
Result<FileInfo> fileInfo(const std::string& path);
// The text a symbolic link holds, bytes as stored.
Result<std::string> linkTarget(const std::string& path);
// The user and group names, or the number when the system knows no name.
std::string userName(uid_t uid);
std::string groupName(gid_t gid);
// The user whose rights this process acts with (the effective user id).
uid_t effectiveUser();

// Sets only the modification time (the access time stays); a link is followed.
// Needs no write permission, and touches no permission bits.
Status setModifiedTime(const std::string& path, Timestamp t);
// Sets both times, as they were before (undo).
Status setTimes(const std::string& path, Timestamp accessed, Timestamp modified);
// Sets the permission bits (07777); a link is followed.
Status setMode(const std::string& path, mode_t mode);

}  // namespace arbel
