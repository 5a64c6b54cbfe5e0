#pragma once
// What the go-to dialog's folder browser shows, and the folder it starts on.
// Reading a folder never changes this process's current folder.

#include <string>
#include <vector>

namespace arbel::launch {

// The sub-folders of `folder` by name (links to folders included, since they
// are browsed as folders), in the order a person reads them: case-insensitive,
// then bytewise. Empty when it cannot be read.
std::vector<std::string> subfolderNames(const std::string& folder);

// One line of the browser: a folder and how deep it stands. The folder's
// ancestors come first, from the root, then the folder itself, then its
// sub-folders one level deeper.
struct BrowseRow {
    std::string folder;  // full path, folder form
    int depth = 0;
    bool current = false;  // the folder being browsed
};
std::vector<BrowseRow> browseRows(const std::string& folder, const std::vector<std::string>& subfolders);

// The start path without one trailing "/" (the root keeps its own).
std::string withoutTrailingSlash(std::string path);

}  // namespace arbel::launch
