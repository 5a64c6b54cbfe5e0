#pragma once
// The texts and small rules of the copy, delete, rename and new-folder dialogs
// that do not need a screen: questions, the folder window's status line after a
// delete, the target histories, and which windows a changed folder concerns.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::ops {

// "Delete 3 files and 1 folder from:" for a folder window's selection.
std::string deleteQuestion(uint64_t files, uint64_t folders);
// The search window's question: "Delete 2 files?" or "Delete selected file?".
std::string searchDeleteQuestion(size_t rows);
inline constexpr std::string_view kDeleteFolderQuestion = "Delete the folder";

// The copy dialog's question for a missing target, with the path as typed.
std::string createTargetQuestion(const std::string& target);

// The folder window's status line: "12 files/1,234,567 bytes 3 folders", and the
// mask when it is not "*.*". formatBytes renders the byte count with the user's
// thousands separator.
std::string listStatusLine(uint64_t files, uint64_t bytes, uint64_t folders, const std::string& mask,
                           const std::function<std::string(uint64_t)>& formatBytes);

// A target or name history after a run: the used entry first, then up to 14 older
// entries that differ from it. Entries holding a line break are never kept, so a
// crafted name cannot add lines to the settings file.
std::vector<std::string> updatedHistory(const std::string& used, const std::vector<std::string>& previous);

// Which windows a changed folder concerns: a window on `folder` itself or on a
// folder below it; never one whose path merely starts with the same characters.
bool windowShowsFolderOrBelow(const std::string& windowFolder, const std::string& folder);

}  // namespace arbel::ops
