#pragma once
// The desktop's content types and their default applications as GIO sees them
// (the shared MIME database and mimeapps.list), and the rebuilding of the user's
// own MIME database after a package in it changed.

#include <string>
#include <vector>

#include "platform/result.h"

namespace arbel {

// Every content type the MIME database knows, sorted by name.
std::vector<std::string> registeredContentTypes();
// The content type of a file name judged by the name alone ("x.txt" -> "text/plain");
// empty when the name says nothing certain.
std::string contentTypeOfName(const std::string& fileName);

struct DefaultApp {
    std::string id;           // "org.gnome.gedit.desktop"; empty when the type has none
    std::string commandLine;  // its Exec line as GIO gives it
};
// The application GIO opens files of this type with.
DefaultApp defaultAppFor(const std::string& contentType);

// Runs update-mime-database on a user's MIME folder ($XDG_DATA_HOME/mime) and
// waits for it; no shell. Fails, saying why, when it cannot run or reports an error.
Status updateMimeDatabase(const std::string& mimeFolder);

}  // namespace arbel
