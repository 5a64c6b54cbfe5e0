#include "core/ops/path_label.h"

namespace arbel::ops {

std::vector<std::string> splitPath(const std::string& path, const std::string& separator) {
    std::vector<std::string> parts;
    if (path.empty() || separator.empty()) {
        if (!path.empty()) parts.push_back(path);
        return parts;
    }
    size_t pos = 0;
    for (;;) {
        size_t next = path.find(separator, pos);
        if (next == std::string::npos) {
            if (pos < path.size()) parts.push_back(path.substr(pos));
            break;
        }
        parts.push_back(path.substr(pos, next - pos));
        pos = next + separator.size();
    }
    return parts;
}

std::string fitPath(const std::string& path, int width, const TextWidth& w, TDirection direction,
                    const std::string& separator) {
    if (path.empty() || w(path) <= width) return path;
    auto parts = splitPath(path, separator);
    if (parts.empty()) return path;
    const std::string dots = "..." + separator;
    const std::string& last = parts.back();
    if (w(last) + w(dots) >= width) return last;
    // An absolute path keeps its root, as a drive was kept.
    bool hasRoot = parts.size() > 1 && parts.front().empty();
    std::string first = hasRoot ? separator : std::string();
    size_t begin = hasRoot ? 1 : 0;
    size_t end = parts.size() - 1;  // the middle range is [begin, end)
    if (w(first) + w(last) + w(dots) >= width) return dots + last;
    int used = w(first) + w(last) + w(dots);
    std::string mid;
    if (direction == TDirection::drFromLeft) {
        for (size_t i = end; i > begin; --i) {
            std::string candidate = parts[i - 1] + separator + mid;
            if (w(candidate) + used > width) break;
            mid = candidate;
        }
        return first + dots + mid + last;
    }
    for (size_t i = begin; i < end; ++i) {
        std::string candidate = mid + parts[i] + separator;
        if (w(candidate) + used > width) break;
        mid = candidate;
    }
    return first + mid + dots + last;
}

}  // namespace arbel::ops
