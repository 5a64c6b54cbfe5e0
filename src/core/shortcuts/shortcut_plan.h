#pragma once
// What the Create Shortcut dialog makes: the name it proposes, the folder the
// shortcuts go to, and one planned shortcut for each item, written through
// TPBShellLink. The rules live here so that they are tested without a screen.

#include <string>
#include <string_view>
#include <vector>

#include "core/shortcuts/shell_link.h"
#include "platform/result.h"

namespace arbel::shortcuts {

inline constexpr std::string_view kShortcutTo = "Shortcut to ";
// New text: a shortcut that could not be written is reported, never skipped quietly.
inline constexpr std::string_view kCouldNotCreate = "Could not create shortcut ";

// "Shortcut to " + the item's name (a folder's last component; "/" is the root
// folder and has none, so it is proposed as "File System").
std::string proposedCaption(const std::string& itemPath);

// The destination of "On Desktop" (sfDesktop) or of the start menu's folder list
// (sfStartMenu): the folder, created with its missing parents when it is not there
// yet (a new account has no applications folder).
Result<std::string> shortcutFolder(TShellFolder folder);

struct ShortcutRequest {
    bool fromTree = false;           // the tree's folder, else a file window's entries
    std::vector<std::string> items;  // full paths (the tree: its one folder)
    std::string typedName;           // the caption field, used for a single item
    bool prefix = false;             // several items: "Shortcut to " before each name
    std::string destination;         // the folder receiving the shortcuts
};

struct PlannedShortcut {
    std::string name;  // as the user sees it in a message
    TPBShellLink link;
};

// One shortcut for each item. The typed name must be one name (not empty, not "."
// or "..", no "/"): otherwise an Error with the message to show. Names never get
// a second ".desktop". Each link's Target is the item, its WorkingDir the item's
// folder (the tree: the folder itself), its Description the item's path.
Result<std::vector<PlannedShortcut>> planShortcuts(const ShortcutRequest& request);

// Writes each planned shortcut and goes on after a failure; the messages of the
// failures, one for each ("Could not create shortcut <name>: <reason>"). A
// shortcut is never written over its own target.
std::vector<std::string> writeShortcuts(const std::vector<PlannedShortcut>& planned);

// The subfolders of a folder, sorted, for the start menu's folder list (links to
// folders included, hidden ones too: the list is for finding a menu folder).
std::vector<std::string> subfolders(const std::string& folder);

}  // namespace arbel::shortcuts
