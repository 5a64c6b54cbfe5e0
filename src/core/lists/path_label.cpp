#include "core/lists/path_label.h"

namespace arbel::lists {

std::vector<std::string> splitPath(std::string_view text, std::string_view sep) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    if (sep.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t pos = text.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, pos - start));
        start = pos + sep.size();
    }
}

std::string fitPath(std::string_view fileName, int width, const TextWidth& w, std::string_view sep,
                    TDirection direction) {
    if (fileName.empty() || w(fileName) <= width) return std::string(fileName);
    std::vector<std::string> parts = splitPath(fileName, sep);
    std::string s(sep);
    std::string dots = "..." + s;
    const std::string& last = parts.back();
    if (w(last) + w(dots) >= width) return last;

    // The start stays visible: the root of an absolute path ("/" before the
    // first name) or a drive-like first part ("c:").
    std::string first;
    std::size_t midBegin = 0;
    const std::string& head = parts.front();
    bool hasRoot = parts.size() > 1 && (head.empty() || (head.size() > 1 && head.back() == ':'));
    if (hasRoot) {
        first = head + s;
        midBegin = 1;
    }
    std::size_t midEnd = parts.size() - 1;  // exclusive: the last part is not middle
    int used = w(first) + w(last) + w(dots);
    if (used >= width) return dots + last;

    std::string mid;
    if (direction == TDirection::drFromLeft) {
        for (std::size_t i = midEnd; i-- > midBegin;) {
            std::string candidate = parts[i] + s + mid;
            if (w(candidate) + used > width) break;
            mid = std::move(candidate);
        }
        return first + dots + mid + last;
    }
    for (std::size_t i = midBegin; i < midEnd; ++i) {
        std::string candidate = mid + parts[i] + s;
        if (w(candidate) + used > width) break;
        mid = std::move(candidate);
    }
    return first + mid + dots + last;
}

}  // namespace arbel::lists
