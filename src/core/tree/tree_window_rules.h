#pragma once
// Rules of the tree window that need no screen: its header text, the folder it starts
// on and the one "Save Settings" keeps, and which context-menu items it offers.

#include <optional>
#include <string>
#include <string_view>

#include "core/tree/dir_tree.h"

namespace arbel::tree {

inline constexpr const char* kTreeCaption = "Combined Volumes";
inline constexpr const char* kInvalidDriveMessage = "That drive appears to be invalid.";

// "<n> folders", whatever n is (one folder reads "1 folders", as it always has).
std::string folderCountText(int visible);

// The folder the window starts on: "dirload", or the home folder when it is missing
// or empty.
std::string startFolder(std::string_view dirload, std::string_view home);

// What "Save Settings" stores as "dirload": the selected folder (folder form), or
// nothing when none is selected or it lies on a removable volume (whose medium will
// be gone next time).
std::optional<std::string> dirloadToSave(const TDirTree& tree);

// The context menu: items in their order, shown or hidden, enabled or not.
enum class TreeMenuItem {
    CopyDisk,
    FormatDisk,
    LabelDisk,
    Copy,
    Move,
    Delete,
    Rename,
    Attributes,
    Sharing,
    Cancel
};
struct TreeMenuEntry {
    TreeMenuItem item;
    bool visible;
    bool enabled;
};
// For the selected node: a volume shows the three disk items (Copy Disk only for
// removable volumes); a folder shows the file items. Sharing stays hidden.
std::vector<TreeMenuEntry> contextMenuState(const TDirTree& tree);

}  // namespace arbel::tree
