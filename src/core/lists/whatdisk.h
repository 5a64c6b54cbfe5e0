#pragma once
// The free-space text of the file windows' status lines: the kilobytes
// available to the user on the volume of a folder, grouped, + "k free ".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace arbel::lists {

// Bytes available to an unprivileged user (f_bavail * f_frsize), 64-bit.
std::optional<uint64_t> freeBytes(const std::string& folder);
// "1,234k free " from a byte count.
std::string freeSpaceText(uint64_t bytes, std::string_view sep);
// The text for a folder; empty when its volume cannot be asked.
std::string whatdisk(const std::string& folder, std::string_view sep = ",");

}  // namespace arbel::lists
