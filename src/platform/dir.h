#pragma once
// Folder reading on directory handles: one open per folder, names and types from
// the enumeration (getdents64), stats relative to the handle only when needed.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace arbel {

// An open folder (O_DIRECTORY | O_CLOEXEC), closed on destruction.
class DirHandle {
public:
    DirHandle() = default;
    explicit DirHandle(int fd) : fd_(fd) {}
    ~DirHandle();
    DirHandle(DirHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    DirHandle& operator=(DirHandle&& other) noexcept;
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;

    // Opens a folder by path. Follows a symbolic link given as the path itself
    // (browsing a link to a folder), unless noFollow is set.
    static Result<DirHandle> open(const std::string& path, bool noFollow = false);
    // Opens the sub-folder `name` of this folder, never following a link.
    Result<DirHandle> openChild(std::string_view name) const;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The kind of an entry as the enumeration reports it (DT_* values). Unknown when the
// file system does not say; the caller then stats.
enum class EntryType : unsigned char { Unknown, File, Dir, Link, Fifo, Socket, CharDev, BlockDev };

struct RawEntry {
    std::string_view name;  // valid only during the callback; never "." or ".."
    EntryType type;
    uint64_t inode;
};

// Calls visit for every entry of the folder, in the order the file system gives.
// visit returns false to stop early. The handle's read position is rewound first,
// so a handle can be enumerated more than once.
Status forEachEntry(const DirHandle& dir, const std::function<bool(const RawEntry&)>& visit);

// statx of one entry relative to the folder; follow = resolve a final symbolic link.
Result<struct stat> statAt(const DirHandle& dir, std::string_view name, bool follow);
Result<struct stat> statPath(const std::string& path, bool follow);

EntryType entryTypeFromMode(mode_t mode);
// One record of getdents64 as the kernel lays it out (the C library declares none),
// and the entry type its d_type names.
struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};
EntryType entryTypeFromDType(unsigned char dType);

// The process's current folder as the user reached it: $PWD when it names the
// same folder (so a folder entered through a link keeps the link's path), else
// the resolved one. Empty when the folder is gone.
std::string currentFolder();

}  // namespace arbel
