#pragma once
// Names the user types for one item (rename, rename on copy) and for new folders,
// and the two small operations built on them. A typed name never leaves the
// folder it was typed for.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace arbel::ops {

// Empty when `name` is a valid single component (not empty, not "." or "..", no
// "/" and no NUL); otherwise the message to show.
std::string checkItemName(std::string_view name);
inline constexpr std::string_view kInvalidName = "That is not a valid name.";

// New Folder: "/" nests folders, a leading "/" is dropped, empty components are
// ignored, "." and ".." are refused. Returns the components, or none when invalid.
std::vector<std::string> newFolderComponents(std::string_view typed);

inline constexpr std::string_view kFolderInUse = "That folder name is in use already.";
inline constexpr std::string_view kFolderFailed = "An error has occurred. Unable to create folder.";
inline constexpr std::string_view kFolderInvalid = "That is not a valid folder name.";

struct NewFolderResult {
    bool created = false;
    std::string path;               // parent + typed components
    std::vector<std::string> made;  // the folders this made, outermost first (for undo)
    std::string message;            // why not, for the user
    Error error;                    // the system's reason when creation failed
};
// Creates parent/typed with every missing folder on the way.
NewFolderResult createNewFolder(const std::string& parent, std::string_view typed);

inline constexpr std::string_view kNameInUse = "That filename is in use already";
inline constexpr std::string_view kCannotRename = "Cannot rename ";

struct RenameResult {
    bool renamed = false;
    bool wasFolder = false;  // the item was a folder (not a link to one)
    std::string newPath;
    std::string message;  // for the user when not renamed
    Error error;
};
// Renames the item in its own folder; never replaces anything that exists.
RenameResult renameItem(const std::string& oldPath, std::string_view newName);

}  // namespace arbel::ops
