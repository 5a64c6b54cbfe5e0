#pragma once
// The icon a Desktop Entry file names for itself: its list entry shows that icon
// rather than the one of its content type.

#include <string>
#include <string_view>

namespace arbel::lists {

// The Icon= value of the first [Desktop Entry] group, or empty. Only a regular file is
// read, and only its first 64 KiB: a FIFO named x.desktop never blocks the caller.
std::string desktopEntryIcon(const std::string& path);
// A name ending in ".desktop", in any case.
bool isDesktopEntryName(std::string_view name);

}  // namespace arbel::lists
