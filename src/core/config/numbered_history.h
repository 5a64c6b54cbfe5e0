#pragma once
// The histories of the run and go-to dialogs ("Runs", "Folders"). After a use the
// entry used is key "1", and each of the first 14 entries the drop-down showed
// keeps its place shifted by one: entry i (from 0) becomes key i+2. An entry equal
// to the one used is not written again, so its key number is missing:
//
//   shown {"/a", "/b", "/c"}, used "/b"   ->   1=/b  2=/a  4=/c
//
// Entries are kept exactly as typed (never case-changed).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/config/ini_file.h"

namespace arbel::config {

inline constexpr size_t kNumberedHistoryKept = 14;  // older entries after key 1

// The key lines of the section after `used` was used with `shown` in the list.
std::vector<std::pair<std::string, std::string>> numberedHistory(const std::string& used,
                                                                 const std::vector<std::string>& shown);

// Writes numberedHistory(used, shown) as the whole section, in one write.
void rememberNumbered(IniFile& ini, std::string_view section, const std::string& used,
                      const std::vector<std::string>& shown);

}  // namespace arbel::config
