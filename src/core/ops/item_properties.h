#pragma once
// What the properties window shows of one item, read at once off the interface
// thread (a stat of a dead network mount may hang), and the two things the
// window changes or computes: the permission bits and a checksum of the content.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cancel.h"
#include "platform/checksum.h"
#include "platform/file_info.h"
#include "platform/result.h"

namespace arbel::ops {

struct ItemProperties {
    std::string path;       // as given (bytes)
    std::string name;       // the last component, bytes as stored
    std::string location;   // the folder holding it
    bool isFolder = false;  // a folder, or a link to one
    bool isLink = false;
    bool dangling = false;    // a link whose target is missing
    std::string linkTarget;   // what a link holds, bytes as stored
    std::string contentType;  // "text/plain", "inode/directory", ...
    std::string kind;         // the shared MIME database's description of it
    uint64_t size = 0;        // of a file; a folder's is counted separately
    uid_t uid = 0;
    gid_t gid = 0;
    std::string owner, group;  // names, or the numbers when the system knows none
    mode_t mode = 0;           // permission bits (07777) of what the path names
    Timestamp modified, accessed, changed;
    std::optional<Timestamp> created;  // where the file system keeps a birth time
    // The user may change the permission bits: the owner (or the superuser).
    bool permissionsEditable = false;
    std::string volume;  // the volume's caption ("/" for the root file system)
    std::string volumeRoot;
    std::optional<uint64_t> freeBytes;  // for an unprivileged user
};

// Reads every fact of `path` (a final link is followed for the facts of what it
// names; a dangling link reports itself).
Result<ItemProperties> readItemProperties(const std::string& path);

// "rwxr-x---" of the nine permission bits, with s/S and t/T for the three above.
std::string permissionText(mode_t mode);

// Sets the nine rwx bits of `path` to those of `rwx`, keeping the set-id and
// sticky bits it has. A link is followed.
Status changePermissions(const std::string& path, mode_t rwx);

// The checksum of a regular file's content (SHA-256 or MD5 through GLib), read in
// blocks: `done` counts the bytes read, a stop ends it with ECANCELED.
Result<std::string> itemChecksum(const std::string& path, ChecksumKind kind, const CancelToken& cancel,
                                 std::atomic<uint64_t>* done = nullptr);

enum class ChecksumMatch { Nothing, Same, Different };
// Compares a computed digest with text the user pasted: letter case does not
// count, and a line as checksum tools print it ("digest  file name") matches
// by its digest. Nothing when no text was pasted.
ChecksumMatch compareChecksum(std::string_view computed, std::string_view pasted);

}  // namespace arbel::ops
