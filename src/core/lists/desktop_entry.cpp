#include "core/lists/desktop_entry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text/utf8.h"

namespace arbel::lists {

namespace {

constexpr size_t kReadBytes = 65536;

std::string_view trimmed(std::string_view s) {
    auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

std::string fileStart(const std::string& path) {
    std::string data;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return data;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.resize(kReadBytes);
        size_t got = 0;
        while (got < data.size()) {
            ssize_t n = ::read(fd, data.data() + got, data.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += size_t(n);
        }
        data.resize(got);
    }
    ::close(fd);
    return data;
}

// Characters that make an Exec argument need its quotes.
bool reservedInExec(char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '"':
        case '\'':
        case '\\':
        case '>':
        case '<':
        case '~':
        case '|':
        case '&':
        case ';':
        case '$':
        case '*':
        case '?':
        case '#':
        case '(':
        case ')':
        case '`':
            return true;
        default:
            return false;
    }
}

}  // namespace

bool isDesktopEntryName(std::string_view name) {
    // ".desktop" alone is a hidden file of that name, not an entry.
    static constexpr std::string_view kSuffix = ".desktop";
    if (name.size() <= kSuffix.size()) return false;
    for (size_t i = 0; i < kSuffix.size(); ++i) {
        char c = name[name.size() - kSuffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != kSuffix[i]) return false;
    }
    return true;
}

std::optional<std::string> DesktopEntryKeys::get(std::string_view key) const {
    for (const auto& [k, v] : keys)
        if (k == key) return v;
    return std::nullopt;
}

DesktopEntryKeys parseDesktopEntry(std::string_view data) {
    DesktopEntryKeys out;
    bool inEntry = false;
    std::string_view rest = data;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group counts; actions come after it.
            if (inEntry) break;
            inEntry = line == "[Desktop Entry]";
            out.hasGroup = out.hasGroup || inEntry;
            continue;
        }
        if (!inEntry) continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(trimmed(line.substr(0, eq)));
        if (key.empty() || out.get(key)) continue;
        out.keys.emplace_back(std::move(key), unescapeDesktopValue(trimmed(line.substr(eq + 1))));
    }
    return out;
}

DesktopEntryKeys readDesktopEntry(const std::string& path) {
    return parseDesktopEntry(fileStart(path));
}

std::string desktopEntryIcon(const std::string& path) {
    return readDesktopEntry(path).get("Icon").value_or(std::string());
}

std::string escapeDesktopValue(std::string_view value) {
    size_t lead = 0;
    while (lead < value.size() && value[lead] == ' ') ++lead;
    size_t trail = value.size();
    while (trail > lead && value[trail - 1] == ' ') --trail;
    std::string out;
    out.reserve(value.size() + 8);
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += (i < lead || i >= trail) ? "\\s" : " ";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescapeDesktopValue(std::string_view written) {
    std::string out;
    out.reserve(written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        if (written[i] != '\\' || i + 1 == written.size()) {
            out += written[i];
            continue;
        }
        switch (written[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            // Unknown escapes are kept whole (the list separator "\;" among them).
            default:
                out += '\\';
                out += written[i];
        }
    }
    return out;
}

std::string quoteExecArgument(std::string_view argument) {
    bool quote = argument.empty();
    for (char c : argument) quote = quote || reservedInExec(c);
    std::string out;
    if (quote) out += '"';
    for (char c : argument) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
    }
    if (quote) out += '"';
    return out;
}

std::string execLine(const std::vector<std::string>& argv, std::string_view fieldCode) {
    std::string out;
    for (const std::string& a : argv) {
        if (!out.empty()) out += ' ';
        out += quoteExecArgument(a);
    }
    if (!fieldCode.empty()) {
        if (!out.empty()) out += ' ';
        out += fieldCode;
    }
    return out;
}

bool isUtf8(std::string_view bytes) {
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        size_t n = text::decodeUtf8(bytes, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string utf8ForDisplay(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        size_t n = text::decodeUtf8(bytes, i, cp);
        if (n == 0) {
            text::appendUtf8(0xFFFD, out);
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace arbel::lists
