#pragma once
// The modification-time field of the attributes dialog: a time stamp written
// and read in the user's short date and time (the interface hands in the
// locale's patterns and names), with ISO 8601 accepted as well. Local time
// follows TZ.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_info.h"

namespace arbel::ops {

struct DateTimeFormat {
    // Patterns in the d/M/y/H/h/m/s/AP notation of the file lists; text in single
    // quotes is literal.
    std::string datePattern = "yyyy-MM-dd";
    std::string timePattern = "HH:mm:ss";
    std::vector<std::string> monthNames;       // twelve, for MMMM (may be empty)
    std::vector<std::string> shortMonthNames;  // twelve, for MMM (may be empty)
    std::string amText = "AM", pmText = "PM";
};

// "<date>  <time>" of a time stamp, the field's text. A two-digit year is
// written with four digits, so that reading it back cannot pick another century.
std::string formatTimeField(int64_t seconds, const DateTimeFormat& fmt);

// The time stamp a field's text names: the locale's date and time (seconds
// optional), the locale's date alone (midnight), or ISO 8601 ("2024-03-05",
// "2024-03-05T14:30", "2024-03-05 14:30:15.25", with "Z" or "+01:00"). Nothing
// for any other text, for dates that do not exist (31 February) and for text
// left over after the time.
std::optional<Timestamp> parseTimeField(std::string_view text, const DateTimeFormat& fmt);

}  // namespace arbel::ops
