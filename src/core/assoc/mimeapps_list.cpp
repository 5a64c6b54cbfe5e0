#include "core/assoc/mimeapps_list.h"

#include <vector>

namespace arbel::assoc {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// The file cut into lines, each with its own line end, so that joining them
// gives back the very bytes.
std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

bool isGroupLine(std::string_view line, std::string_view* name = nullptr) {
    std::string_view t = trimmed(line);
    if (!t.empty() && t.back() == '\n') t.remove_suffix(1);
    t = trimmed(t);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    if (name) *name = t.substr(1, t.size() - 2);
    return true;
}

bool isKeyLine(std::string_view line, std::string_view key, std::string_view* value = nullptr) {
    std::string_view t = trimmed(line);
    if (t.empty() || t.front() == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos || trimmed(t.substr(0, eq)) != key) return false;
    if (value) {
        std::string_view v = t.substr(eq + 1);
        if (!v.empty() && v.back() == '\n') v.remove_suffix(1);
        *value = trimmed(v);
    }
    return true;
}

struct Located {
    std::vector<std::string_view> lines;
    size_t groupLine = std::string::npos;  // the group's header
    size_t groupEnd = 0;                   // one past its last key line
    size_t keyLine = std::string::npos;
};

Located locate(std::string_view text, std::string_view group, std::string_view key) {
    Located l;
    l.lines = lines(text);
    bool inGroup = false;
    for (size_t i = 0; i < l.lines.size(); ++i) {
        std::string_view name;
        if (isGroupLine(l.lines[i], &name)) {
            inGroup = name == group && l.groupLine == std::string::npos;
            if (inGroup) {
                l.groupLine = i;
                l.groupEnd = i + 1;
            }
            continue;
        }
        if (!inGroup) continue;
        std::string_view t = trimmed(l.lines[i]);
        if (!t.empty() && t != "\n" && t.front() != '#') l.groupEnd = i + 1;
        if (l.keyLine == std::string::npos && isKeyLine(l.lines[i], key)) l.keyLine = i;
    }
    return l;
}

std::string join(const std::vector<std::string_view>& parts) {
    std::string out;
    for (std::string_view p : parts) out += p;
    return out;
}

std::vector<std::string> splitList(std::string_view value) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= value.size()) {
        size_t end = value.find(';', pos);
        if (end == std::string_view::npos) end = value.size();
        std::string_view item = trimmed(value.substr(pos, end - pos));
        if (!item.empty()) out.emplace_back(item);
        pos = end + 1;
    }
    return out;
}

std::string joinList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& i : items) out += i + ";";
    return out;
}

}  // namespace

std::string setKey(std::string_view text, std::string_view group, std::string_view key,
                   std::string_view value) {
    Located l = locate(text, group, key);
    std::string line(key);
    line += '=';
    line += value;
    line += '\n';
    if (l.keyLine != std::string::npos) {
        // Keeps the line end the file used for this line.
        l.lines[l.keyLine] = line;
        return join(l.lines);
    }
    std::string out;
    if (l.groupLine == std::string::npos) {
        out = std::string(text);
        if (!out.empty() && out.back() != '\n') out += '\n';
        if (!out.empty()) out += '\n';
        out += '[';
        out += group;
        out += "]\n";
        out += line;
        return out;
    }
    for (size_t i = 0; i < l.lines.size(); ++i) {
        out += l.lines[i];
        if (i + 1 == l.groupEnd) {
            if (!out.empty() && out.back() != '\n') out += '\n';
            out += line;
        }
    }
    return out;
}

std::string removeKey(std::string_view text, std::string_view group, std::string_view key) {
    Located l = locate(text, group, key);
    if (l.keyLine == std::string::npos) return std::string(text);
    l.lines.erase(l.lines.begin() + long(l.keyLine));
    return join(l.lines);
}

std::string keyValue(std::string_view text, std::string_view group, std::string_view key) {
    Located l = locate(text, group, key);
    std::string_view value;
    if (l.keyLine == std::string::npos || !isKeyLine(l.lines[l.keyLine], key, &value)) return {};
    return std::string(value);
}

std::string addToList(std::string_view text, std::string_view group, std::string_view key,
                      std::string_view id) {
    std::vector<std::string> items = splitList(keyValue(text, group, key));
    std::erase(items, std::string(id));
    items.insert(items.begin(), std::string(id));
    return setKey(text, group, key, joinList(items));
}

std::string removeFromList(std::string_view text, std::string_view group, std::string_view key,
                           std::string_view id) {
    std::vector<std::string> items = splitList(keyValue(text, group, key));
    if (std::erase(items, std::string(id)) == 0) return std::string(text);
    if (items.empty()) return removeKey(text, group, key);
    return setKey(text, group, key, joinList(items));
}

}  // namespace arbel::assoc
