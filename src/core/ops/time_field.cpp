#include "core/ops/time_field.h"

#include <cctype>
#include <ctime>

#include "core/lists/list_format.h"

namespace arbel::ops {

namespace {

struct Fields {
    int year = -1, month = -1, day = -1;
    int hour = 0, minute = 0, second = 0;
    int64_t nsec = 0;
    int ampm = 0;  // 0: 24-hour, 1: am, 2: pm
    bool hour12 = false;
    bool hasOffset = false;
    int offsetSeconds = 0;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || static_cast<unsigned char>(c) == 0xA0;
}

// A no-break or narrow no-break space (U+00A0, U+202F) in UTF-8: some locales put
// one before AM/PM.
std::size_t spaceAt(std::string_view s, std::size_t i) {
    if (i < s.size() && isSpace(s[i])) return 1;
    if (s.substr(i, 2) == "\xC2\xA0") return 2;
    if (s.substr(i, 3) == "\xE2\x80\xAF") return 3;
    return 0;
}

std::size_t skipSpaces(std::string_view s, std::size_t i) {
    while (std::size_t n = spaceAt(s, i)) i += n;
    return i;
}

bool readNumber(std::string_view s, std::size_t& i, std::size_t minDigits, std::size_t maxDigits, int& out) {
    std::size_t start = i;
    int64_t v = 0;
    while (i < s.size() && i - start < maxDigits && std::isdigit(static_cast<unsigned char>(s[i]))) {
        v = v * 10 + (s[i] - '0');
        ++i;
    }
    if (i - start < minDigits) {
        i = start;
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool readWord(std::string_view s, std::size_t& i, std::string_view word) {
    if (word.empty() || !equalsIgnoringCase(s.substr(i, word.size()), word)) return false;
    i += word.size();
    return true;
}

// The longest month name that the text starts with.
bool readMonthName(std::string_view s, std::size_t& i, const DateTimeFormat& fmt, int& month) {
    std::size_t best = 0;
    for (const auto* names : {&fmt.monthNames, &fmt.shortMonthNames}) {
        for (std::size_t m = 0; m < names->size() && m < 12; ++m) {
            const std::string& n = (*names)[m];
            if (n.size() > best && equalsIgnoringCase(s.substr(i, n.size()), n)) {
                best = n.size();
                month = static_cast<int>(m) + 1;
            }
        }
    }
    i += best;
    return best > 0;
}

// Whether the text from `i` matches the pattern; fills the fields it names.
bool matchPattern(std::string_view s, std::size_t& i, std::string_view p, const DateTimeFormat& fmt,
                  Fields& f) {
    for (std::size_t k = 0; k < p.size();) {
        char c = p[k];
        if (c == '\'') {
            std::size_t end = p.find('\'', k + 1);
            std::string_view lit = end == k + 1 ? std::string_view("'") : p.substr(k + 1, end - k - 1);
            if (s.substr(i, lit.size()) != lit) return false;
            i += lit.size();
            k = end == std::string_view::npos ? p.size() : end + 1;
            continue;
        }
        if (std::size_t n = spaceAt(p, k)) {
            i = skipSpaces(s, i);
            k += n;
            continue;
        }
        std::size_t run = 1;
        while (k + run < p.size() && p[k + run] == c) ++run;
        switch (c) {
            case 'd':
                if (run >= 3) {
                    // A weekday name: passed over, the date says which day it is.
                    while (i < s.size() && !isSpace(s[i]) && s[i] != ',' &&
                           !std::isdigit(static_cast<unsigned char>(s[i])))
                        ++i;
                } else if (!readNumber(s, i, 1, 2, f.day)) {
                    return false;
                }
                break;
            case 'M':
                if (run >= 3) {
                    if (!readMonthName(s, i, fmt, f.month)) return false;
                } else if (!readNumber(s, i, 1, 2, f.month)) {
                    return false;
                }
                break;
            case 'y': {
                std::size_t start = i;
                if (!readNumber(s, i, 2, 4, f.year)) return false;
                if (i - start == 3) return false;
                // Two digits: the century nearest to now (00-69 → 20xx).
                if (i - start == 2) f.year += f.year < 70 ? 2000 : 1900;
                break;
            }
            case 'H':
            case 'h':
                if (!readNumber(s, i, 1, 2, f.hour)) return false;
                if (c == 'h') f.hour12 = true;
                break;
            case 'm':
                if (!readNumber(s, i, 1, 2, f.minute)) return false;
                break;
            case 's':
                if (!readNumber(s, i, 1, 2, f.second)) return false;
                break;
            case 'z': {
                std::size_t start = i;
                int frac = 0;
                if (!readNumber(s, i, 1, 9, frac)) return false;
                int64_t ns = frac;
                for (std::size_t d = i - start; d < 9; ++d) ns *= 10;
                f.nsec = ns;
                break;
            }
            case 'A':
            case 'a':
                if (k + run < p.size() && (p[k + run] == 'P' || p[k + run] == 'p')) ++run;
                if (readWord(s, i, fmt.pmText) || readWord(s, i, "PM")) {
                    f.ampm = 2;
                } else if (readWord(s, i, fmt.amText) || readWord(s, i, "AM")) {
                    f.ampm = 1;
                } else {
                    return false;
                }
                break;
            case 't':
                // A time zone name: the field is local time whatever it says.
                while (i < s.size() && !isSpace(s[i])) ++i;
                break;
            default:
                for (std::size_t r = 0; r < run; ++r) {
                    if (i >= s.size() || s[i] != c) return false;
                    ++i;
                }
                break;
        }
        k += run;
    }
    return true;
}

// The time pattern without its seconds (and fractions), for a typed "14:30".
std::string withoutSeconds(std::string_view p) {
    std::string out;
    for (std::size_t k = 0; k < p.size(); ++k) {
        char c = p[k];
        if ((c == ':' || c == '.') && k + 1 < p.size() && (p[k + 1] == 's' || p[k + 1] == 'z')) {
            ++k;
            while (k + 1 < p.size() && (p[k + 1] == 's' || p[k + 1] == 'z' || p[k + 1] == '.')) ++k;
            continue;
        }
        out.push_back(c);
    }
    return out;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::optional<Timestamp> toTimestamp(Fields f) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1) return std::nullopt;
    int days = kDays[f.month - 1] + (f.month == 2 && leapYear(f.year) ? 1 : 0);
    if (f.day > days) return std::nullopt;
    if (f.hour12 || f.ampm != 0) {
        if (f.hour < 1 || f.hour > 12) {
            if (!(f.ampm == 0 && f.hour == 0)) return std::nullopt;
        }
        if (f.ampm == 2 && f.hour < 12) f.hour += 12;
        if (f.ampm == 1 && f.hour == 12) f.hour = 0;
    }
    if (f.hour > 23 || f.minute > 59 || f.second > 59) return std::nullopt;
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    std::time_t t;
    if (f.hasOffset) {
        t = ::timegm(&tm);
        t -= f.offsetSeconds;
    } else {
        t = std::mktime(&tm);
        if (t == static_cast<std::time_t>(-1) && !(tm.tm_year == 69 && tm.tm_mday == 31)) return std::nullopt;
    }
    return Timestamp{static_cast<int64_t>(t), f.nsec};
}

std::optional<Timestamp> parseIso(std::string_view s) {
    Fields f;
    std::size_t i = 0;
    if (!readNumber(s, i, 4, 4, f.year) || i >= s.size() || s[i++] != '-') return std::nullopt;
    if (!readNumber(s, i, 2, 2, f.month) || i >= s.size() || s[i++] != '-') return std::nullopt;
    if (!readNumber(s, i, 2, 2, f.day)) return std::nullopt;
    if (i < s.size() && (s[i] == 'T' || s[i] == 't' || isSpace(s[i]))) {
        i = s[i] == 'T' || s[i] == 't' ? i + 1 : skipSpaces(s, i);
        if (!readNumber(s, i, 2, 2, f.hour) || i >= s.size() || s[i++] != ':') return std::nullopt;
        if (!readNumber(s, i, 2, 2, f.minute)) return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!readNumber(s, i, 2, 2, f.second)) return std::nullopt;
            if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
                ++i;
                std::size_t start = i;
                int frac = 0;
                if (!readNumber(s, i, 1, 9, frac)) return std::nullopt;
                int64_t ns = frac;
                for (std::size_t d = i - start; d < 9; ++d) ns *= 10;
                f.nsec = ns;
                while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
            }
        }
        if (i < s.size() && (s[i] == 'Z' || s[i] == 'z')) {
            f.hasOffset = true;
            ++i;
        } else if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            int sign = s[i++] == '-' ? -1 : 1;
            int oh = 0, om = 0;
            if (!readNumber(s, i, 2, 2, oh)) return std::nullopt;
            if (i < s.size() && s[i] == ':') ++i;
            if (i < s.size() && !readNumber(s, i, 2, 2, om)) return std::nullopt;
            if (oh > 23 || om > 59) return std::nullopt;
            f.hasOffset = true;
            f.offsetSeconds = sign * (oh * 3600 + om * 60);
        }
    }
    if (skipSpaces(s, i) != s.size()) return std::nullopt;
    return toTimestamp(f);
}

std::string_view trimmed(std::string_view s) {
    std::size_t a = skipSpaces(s, 0);
    std::size_t b = s.size();
    while (b > a && isSpace(s[b - 1])) --b;
    return s.substr(a, b - a);
}

std::string fourDigitYears(std::string p) {
    if (p.find("yyyy") != std::string::npos) return p;
    std::size_t at = p.find("yy");
    if (at != std::string::npos) p.replace(at, 2, "yyyy");
    return p;
}

// The shared pattern formatter writes months as numbers; a month name (MMM,
// MMMM) is put into the pattern as quoted text, so that the field reads back
// with the names the parser knows.
std::string withMonthNames(std::string_view p, int64_t seconds, const DateTimeFormat& fmt) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return std::string(p);
    std::string out;
    for (std::size_t k = 0; k < p.size();) {
        if (p[k] == '\'') {
            std::size_t end = p.find('\'', k + 1);
            std::size_t stop = end == std::string_view::npos ? p.size() : end + 1;
            out.append(p.substr(k, stop - k));
            k = stop;
            continue;
        }
        std::size_t run = 1;
        while (k + run < p.size() && p[k + run] == p[k]) ++run;
        const std::vector<std::string>& names = run >= 4 ? fmt.monthNames : fmt.shortMonthNames;
        if (p[k] == 'M' && run >= 3 && names.size() >= 12 &&
            names[tm.tm_mon].find('\'') == std::string::npos && !names[tm.tm_mon].empty()) {
            out += '\'' + names[tm.tm_mon] + '\'';
        } else {
            out.append(p.substr(k, run));
        }
        k += run;
    }
    return out;
}

}  // namespace

std::string formatTimeField(int64_t seconds, const DateTimeFormat& fmt) {
    return lists::formatTime(seconds, withMonthNames(fourDigitYears(fmt.datePattern), seconds, fmt)) + "  " +
           lists::formatTime(seconds, fmt.timePattern);
}

std::optional<Timestamp> parseTimeField(std::string_view text, const DateTimeFormat& fmt) {
    const std::string_view s = trimmed(text);
    if (s.empty()) return std::nullopt;
    const std::string timeForms[] = {fmt.timePattern, withoutSeconds(fmt.timePattern)};
    for (const std::string& datePattern : {fmt.datePattern, fourDigitYears(fmt.datePattern)}) {
        Fields date;
        std::size_t i = 0;
        if (!matchPattern(s, i, datePattern, fmt, date)) continue;
        if (i == s.size()) return toTimestamp(date);
        // The time follows after at least one blank.
        std::size_t afterDate = skipSpaces(s, i);
        if (afterDate == i) continue;
        for (const std::string& timePattern : timeForms) {
            Fields f = date;
            std::size_t j = afterDate;
            if (matchPattern(s, j, timePattern, fmt, f) && skipSpaces(s, j) == s.size())
                return toTimestamp(f);
        }
    }
    return parseIso(s);
}

}  // namespace arbel::ops
