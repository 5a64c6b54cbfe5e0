#include "core/tree/tree_paths.h"

#include "platform/paths.h"

namespace arbel::tree {

std::string nodeForm(std::string_view path) {
    if (path.empty() || path[0] != '/') return {};
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/') ++i;
        size_t start = i;
        while (i < path.size() && path[i] != '/') ++i;
        std::string_view part = path.substr(start, i - start);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out = "/";
    for (auto p : parts) {
        out.append(p);
        out.push_back('/');
    }
    return out;
}

std::string folderForm(std::string_view path) {
    std::string out(path);
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

std::string addSlash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() != '/') out.push_back('/');
    return out;
}

std::string removeSlash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() == '/') out.pop_back();
    return out;
}

int countSlashes(std::string_view path) {
    int n = 0;
    for (char c : path) n += c == '/';
    return n;
}

std::string prefixToSlash(std::string_view path, int n) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '/' && --n == 0) return std::string(path.substr(0, i + 1));
    }
    return std::string(path);
}

std::vector<std::string> componentsBelow(std::string_view path, std::string_view base) {
    std::vector<std::string> out;
    if (path.size() < base.size()) return out;
    std::string_view rest = path.substr(base.size());
    size_t i = 0;
    while (i < rest.size()) {
        size_t slash = rest.find('/', i);
        if (slash == std::string_view::npos) slash = rest.size();
        if (slash > i) out.emplace_back(rest.substr(i, slash - i));
        i = slash + 1;
    }
    return out;
}

bool isValidName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\0') return false;
    return true;
}

}  // namespace arbel::tree
