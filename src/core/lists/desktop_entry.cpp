#include "core/lists/desktop_entry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

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
        ssize_t n = ::read(fd, data.data(), data.size());
        data.resize(n > 0 ? size_t(n) : 0);
    }
    ::close(fd);
    return data;
}

}  // namespace

bool isDesktopEntryName(std::string_view name) {
    static constexpr std::string_view kSuffix = ".desktop";
    if (name.size() < kSuffix.size()) return false;
    for (size_t i = 0; i < kSuffix.size(); ++i) {
        char c = name[name.size() - kSuffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != kSuffix[i]) return false;
    }
    return true;
}

std::string desktopEntryIcon(const std::string& path) {
    const std::string data = fileStart(path);
    bool inEntry = false;
    std::string_view rest = data;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.front() == '[') {
            if (inEntry) break;
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (inEntry && line.substr(0, 4) == "Icon") {
            size_t eq = line.find('=');
            if (eq == std::string_view::npos || trimmed(line.substr(0, eq)) != "Icon") continue;
            return std::string(trimmed(line.substr(eq + 1)));
        }
    }
    return {};
}

}  // namespace arbel::lists
