#include "core/commands/filter_history.h"

#include <algorithm>

#include "core/config/ini_file.h"

namespace arbel::commands {

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Case-insensitive for ASCII, then by bytes, so the order never depends on the input's.
bool filterLess(const std::string& a, const std::string& b) {
    auto ci = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return (unsigned char)asciiLower(x) < (unsigned char)asciiLower(y);
    });
    auto ic = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
        return (unsigned char)asciiLower(x) < (unsigned char)asciiLower(y);
    });
    if (ci || ic) return ci;
    return a < b;
}

}  // namespace

std::vector<std::string> loadFilterHistory(const std::vector<std::string>& storedValues) {
    std::vector<std::string> rest;
    for (const auto& v : storedValues) {
        if (v.empty() || v == kAllFilesFilter) continue;
        if (std::find(rest.begin(), rest.end(), v) != rest.end()) continue;
        rest.push_back(v);
    }
    std::sort(rest.begin(), rest.end(), filterLess);
    std::vector<std::string> list{kAllFilesFilter};
    list.insert(list.end(), rest.begin(), rest.end());
    return list;
}

std::vector<std::string> rememberFilter(std::vector<std::string> list, const std::string& text) {
    if (list.empty() || list.front() != kAllFilesFilter) list.insert(list.begin(), kAllFilesFilter);
    if (!text.empty() && text != kAllFilesFilter) {
        list.erase(std::remove(list.begin() + 1, list.end(), text), list.end());
        list.insert(list.begin() + 1, text);
    }
    if (list.size() > kFilterHistoryMax) list.resize(kFilterHistoryMax);
    return list;
}

std::vector<std::string> loadFilterHistory(const config::IniFile& ini) {
    std::vector<std::string> values;
    for (const auto& line : ini.readSection(kFilterSection)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) values.push_back(line.substr(eq + 1));
    }
    return loadFilterHistory(values);
}

void saveFilterHistory(config::IniFile& ini, const std::vector<std::string>& list) {
    std::vector<std::string> entries = list;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const std::string& v) { return v.empty() || v == kAllFilesFilter; }),
                  entries.end());
    ini.writeHistory(kFilterSection, entries, 1);
}

}  // namespace arbel::commands
