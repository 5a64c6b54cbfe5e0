#pragma once
// The texts a file list and its window show: grouped numbers, the size cell,
// dates in the user's short formats, and the folder and selection status
// lines. The conventions (separator, date and time patterns) are handed in by
// the interface, which takes them from the user's locale; tests pass fixed ones.

#include <cstdint>
#include <string>
#include <string_view>

namespace arbel::lists {

struct ListFormat {
    std::string thousandsSep = ",";
    // Patterns in the usual d/M/y/H/h/m/s/AP notation; text in single quotes
    // is copied. The time pattern should carry no seconds.
    std::string datePattern = "yyyy-MM-dd";
    std::string timePattern = "HH:mm";
    std::string decimalPoint = ".";
};

// 1234567 -> "1,234,567" (no decimals, no padding: "%.0n").
std::string formatGrouped(uint64_t value, std::string_view sep);
// Grouped and right-aligned to 10 characters (code points): "%10.0n".
std::string formatSizeCell(uint64_t value, std::string_view sep);
// Local time (TZ) of a time stamp through a pattern.
std::string formatTime(int64_t seconds, std::string_view pattern);
// "<short date>  <short time>", the modified cell.
std::string formatModified(int64_t seconds, const ListFormat& fmt);
// "yyyyMMddHHmm" in local time, the modified sort-key cell.
std::string modifiedSortKey(int64_t seconds);

// "12 files/1,234,567 bytes 3 folders": the folder window's status line.
std::string folderStatusText(uint64_t files, uint64_t bytes, uint64_t folders, std::string_view sep);
// "  2 files/2,000 bytes and 1 folder selected", "  1 folder selected",
// " nothing selected".
std::string selectionText(uint64_t files, uint64_t bytes, uint64_t folders, std::string_view sep);

}  // namespace arbel::lists
