#include "core/config/numbered_history.h"

#include <algorithm>

namespace arbel::config {

std::vector<std::pair<std::string, std::string>> numberedHistory(const std::string& used,
                                                                 const std::vector<std::string>& shown) {
    std::vector<std::pair<std::string, std::string>> lines;
    if (!used.empty()) lines.emplace_back("1", used);
    const size_t n = std::min(shown.size(), kNumberedHistoryKept);
    for (size_t i = 0; i < n; ++i) {
        if (shown[i] == used || shown[i].empty()) continue;
        lines.emplace_back(std::to_string(i + 2), shown[i]);
    }
    return lines;
}

void rememberNumbered(IniFile& ini, std::string_view section, const std::string& used,
                      const std::vector<std::string>& shown) {
    ini.writeKeyedHistory(section, numberedHistory(used, shown));
}

}  // namespace arbel::config
