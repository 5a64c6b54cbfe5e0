#include "core/lists/list_format.h"

#include <ctime>

namespace arbel::lists {

namespace {

std::size_t codePoints(std::string_view s) {
    std::size_t n = 0;
    for (char c : s) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

void appendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()); i < width; ++i) out.push_back('0');
    out += digits;
}

std::string plural(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + (n == 1 ? one : many);
}

}  // namespace

std::string formatGrouped(uint64_t value, std::string_view sep) {
    std::string digits = std::to_string(value);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * sep.size());
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
        out.push_back(digits[i]);
    }
    return out;
}

std::string formatSizeCell(uint64_t value, std::string_view sep) {
    std::string text = formatGrouped(value, sep);
    std::size_t len = codePoints(text);
    return len >= 10 ? text : std::string(10 - len, ' ') + text;
}

std::string formatTime(int64_t seconds, std::string_view pattern) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'') {
            std::size_t end = pattern.find('\'', i + 1);
            if (end == i + 1) {
                out.push_back('\'');  // '' is a literal quote
            } else {
                out += pattern.substr(i + 1, (end == std::string_view::npos ? pattern.size() : end) - i - 1);
            }
            i = end == std::string_view::npos ? pattern.size() : end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        bool twoDigits = run >= 2;
        switch (c) {
            case 'd':
                appendNumber(out, tm.tm_mday, twoDigits ? 2 : 1);
                break;
            case 'M':
                appendNumber(out, tm.tm_mon + 1, twoDigits ? 2 : 1);
                break;
            case 'y':
                if (run >= 4) {
                    appendNumber(out, tm.tm_year + 1900, 4);
                } else {
                    appendNumber(out, (tm.tm_year + 1900) % 100, 2);
                }
                break;
            case 'H':
                appendNumber(out, tm.tm_hour, twoDigits ? 2 : 1);
                break;
            case 'h':
                appendNumber(out, tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12, twoDigits ? 2 : 1);
                break;
            case 'm':
                appendNumber(out, tm.tm_min, twoDigits ? 2 : 1);
                break;
            case 's':
                appendNumber(out, tm.tm_sec, twoDigits ? 2 : 1);
                break;
            case 'A':
            case 'a': {
                // "AP"/"ap" is one marker; a lone "a"/"A" is one too.
                bool upper = c == 'A';
                out += tm.tm_hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
                if (i + run < pattern.size() && (pattern[i + run] == 'P' || pattern[i + run] == 'p')) ++run;
                break;
            }
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

std::string formatModified(int64_t seconds, const ListFormat& fmt) {
    return formatTime(seconds, fmt.datePattern) + "  " + formatTime(seconds, fmt.timePattern);
}

std::string modifiedSortKey(int64_t seconds) {
    return formatTime(seconds, "yyyyMMddHHmm");
}

std::string folderStatusText(uint64_t files, uint64_t bytes, uint64_t folders, std::string_view sep) {
    std::string text = plural(files, " file/", " files/") + formatGrouped(bytes, sep) + " bytes ";
    if (folders > 0) text += plural(folders, " folder", " folders");
    return text;
}

std::string selectionText(uint64_t files, uint64_t bytes, uint64_t folders, std::string_view sep) {
    if (files == 0 && folders == 0) return " nothing selected";
    std::string folderPart = folders == 0 ? "" : plural(folders, " folder", " folders");
    if (files == 0) return "  " + folderPart + " selected";
    std::string text = "  " + plural(files, " file/", " files/") + formatGrouped(bytes, sep) + " bytes";
    if (folders > 0) text += " and " + folderPart;
    return text + " selected";
}

}  // namespace arbel::lists
