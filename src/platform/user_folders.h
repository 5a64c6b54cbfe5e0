#pragma once
// The user's own folders as the desktop names them: the XDG user directories
// (user-dirs.dirs, read through GLib) and the per-user data and settings folders.

#include <string>

namespace arbel {

enum class UserFolder { Desktop, Documents, Templates, Applications, Autostart, Fonts };

// The folder's path (it need not exist yet); empty when no home folder is known.
// Desktop, Documents and Templates follow user-dirs.dirs and fall back to
// ~/Desktop, ~/Documents and ~/Templates; Applications is
// $XDG_DATA_HOME/applications, Autostart $XDG_CONFIG_HOME/autostart and Fonts
// $XDG_DATA_HOME/fonts.
std::string userFolder(UserFolder which);

}  // namespace arbel
