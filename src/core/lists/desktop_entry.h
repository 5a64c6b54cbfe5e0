#pragma once
// The icon a Desktop Entry file names for itself: its list entry shows that icon
// rather than the one of its content type.

#include <string>

namespace arbel::lists {

// The Icon= value of the first [Desktop Entry] group, or empty. Only a regular file is
// read, and only its first 64 KiB: a FIFO named x.desktop never blocks the caller.
std::string desktopEntryIcon(const std::string& path);

}  // namespace arbel::lists
