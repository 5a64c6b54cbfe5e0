#pragma once
// Whether a folder is a trash location: the user's trash ($XDG_DATA_HOME/Trash)
// or a volume's ".Trash-$UID" / ".Trash/$UID" folder, or the "files" folder inside
// one of them. Opening one opens the desktop's trash instead of a folder window.

#include <string>

namespace arbel::commands {

// `dataHome` is $XDG_DATA_HOME (default ~/.local/share), `uid` the user's id.
bool isTrashLocation(const std::string& path, const std::string& dataHome, unsigned uid);
// The same for this process's user and environment.
bool isTrashLocation(const std::string& path);

}  // namespace arbel::commands
