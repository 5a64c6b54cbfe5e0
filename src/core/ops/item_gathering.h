#pragma once
// Which items a file dialog takes from the window it was opened from: the tree's
// selected folder, the selected entries of a folder window, or the selected rows
// of the search results. Pure: the windows hand in what they show.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace arbel::ops {

enum class GatherFrom { Tree, FolderWindow, Search };

struct SearchRow {
    std::string folder;
    std::string name;
};

struct GatherInput {
    GatherFrom from = GatherFrom::FolderWindow;
    std::string treeFolder;                  // Tree: the selected folder (no trailing "/")
    std::string windowFolder;                // FolderWindow: the folder it shows
    std::vector<std::string> selectedNames;  // FolderWindow: selected entries, in order
    std::vector<SearchRow> selectedRows;     // Search: selected rows, in order
};

struct Gathered {
    std::vector<std::string> items;  // full paths, in selection order
    std::string firstItem;           // the first item that exists
    std::string operationSource;     // the folder the items come from (tree, folder window)
};

Gathered gatherItems(const GatherInput& in);

// What the dialogs tell apart before a job starts.
struct ItemCounts {
    uint64_t files = 0, folders = 0;  // links to folders count as files
};
ItemCounts countKinds(const std::vector<std::string>& items);
// True when `path` is a folder or a link to one.
bool isFolderPath(const std::string& path);
enum class TargetState { Folder, Missing, NotAFolder };
// A copy's target folder: there, missing (may be created), or something else.
TargetState targetState(const std::string& path);
// Creates a copy's missing target folder, with the folders above it.
Status createTargetFolder(const std::string& path);
// Why a target that is no folder cannot take a copy.
Error notAFolderError(const std::string& path);

}  // namespace arbel::ops
