#pragma once
// Rules of the tree window that need no screen: its header text, the folder it starts
// on and the one "Save Settings" keeps, and which context-menu items it offers.

#include <optional>
#include <string>
#include <string_view>

#include "core/commands/command_id.h"
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

// The context menu: items in their order, shown or hidden, enabled or not. Each
// item runs the frame's command of that id; the one without a command (Cancel)
// only closes the menu.
struct TreeMenuEntry {
    std::optional<commands::Command> command;
    const char* caption;
    bool visible;
    bool enabled;
};
std::vector<TreeMenuEntry> contextMenuState(const TDirTree& tree);

}  // namespace arbel::tree
