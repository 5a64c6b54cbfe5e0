#include "core/lists/whatdisk.h"

#include <sys/statvfs.h>

#include "core/lists/list_format.h"

namespace arbel {

std::optional<uint64_t> freeBytes(const std::string& folder) {
    struct statvfs vfs;
    if (::statvfs(folder.c_str(), &vfs) != 0) return std::nullopt;
    return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
}

std::string freeSpaceText(uint64_t bytes, std::string_view sep) {
    return formatGrouped(bytes / 1024, sep) + "k free ";
}

std::string whatdisk(const std::string& folder, std::string_view sep) {
    auto bytes = freeBytes(folder);
    return bytes ? freeSpaceText(*bytes, sep) : std::string();
}

}  // namespace arbel
