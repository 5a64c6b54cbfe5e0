#pragma once
// The history of the frame's filter box. Entry 0 is always "*.*"; the others are the
// filters chosen before, newest first. Stored in section "Maskspecs" under keys "1",
// "2", ... in list order; "*.*" is never stored.

#include <string>
#include <vector>

namespace arbel::config {
class IniFile;
}

namespace arbel::commands {

inline constexpr const char* kAllFilesFilter = "*.*";
inline constexpr const char* kFilterSection = "Maskspecs";
// "*.*" and at most 14 stored filters.
inline constexpr size_t kFilterHistoryMax = 15;

// The box's list at start: "*.*" followed by the stored values sorted without regard
// to ASCII case. Empty values (the store's "absent"), "*.*" and repeats are dropped.
std::vector<std::string> loadFilterHistory(const std::vector<std::string>& storedValues);

// The list after a filter was applied: the text goes to position 1 (unless it is
// "*.*" or empty), later copies of it are removed and the list is cut to
// kFilterHistoryMax entries.
std::vector<std::string> rememberFilter(std::vector<std::string> list, const std::string& text);

// The box's list as stored in the settings file (values in file order, each the whole
// text after the first "=": a long filter is not cut short).
std::vector<std::string> loadFilterHistory(const config::IniFile& ini);
// Rewrites section "Maskspecs" whole from the list, newest first under keys "1", "2",
// ...; "*.*" and values holding a line break are not stored. Throws config::WriteError when the
// file cannot be written.
void saveFilterHistory(config::IniFile& ini, const std::vector<std::string>& list);

}  // namespace arbel::commands
