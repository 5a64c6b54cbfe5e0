#pragma once
// Which items a file dialog takes from the window it was opened from: the tree's
// selected folder, the selected entries of a folder window, or the selected rows
// of the search results. Pure: the windows hand in what they show.

#include <string>
#include <vector>

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

}  // namespace arbel::ops
