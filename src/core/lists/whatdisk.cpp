#include "core/lists/whatdisk.h"

#include "core/lists/list_format.h"
#include "platform/volumes.h"

namespace arbel::lists {

std::optional<uint64_t> freeBytes(const std::string& folder) {
    auto bytes = freeSpace(folder);
    if (!bytes.ok()) return std::nullopt;
    return *bytes;
}

std::string freeSpaceText(uint64_t bytes, std::string_view sep) {
    return formatGrouped(bytes / 1024, sep) + "k free ";
}

std::string whatdisk(const std::string& folder, std::string_view sep) {
    auto bytes = freeBytes(folder);
    return bytes ? freeSpaceText(*bytes, sep) : std::string();
}

}  // namespace arbel::lists
