#include "platform/user_folders.h"

#include <glib.h>

#include "platform/paths.h"

namespace arbel {

namespace {

std::string special(GUserDirectory dir, const char* fallback) {
    // The user may have edited user-dirs.dirs since the last call.
    g_reload_user_special_dirs_cache();
    if (const char* set = g_get_user_special_dir(dir); set && *set == '/') return set;
    const std::string home = homeFolder();
    return home.empty() ? home : joinPath(home, fallback);
}

std::string below(const std::string& base, const char* name) {
    return base.empty() ? base : joinPath(base, name);
}

}  // namespace

std::string userFolder(UserFolder which) {
    switch (which) {
        case UserFolder::Desktop:
            return special(G_USER_DIRECTORY_DESKTOP, "Desktop");
        case UserFolder::Documents:
            return special(G_USER_DIRECTORY_DOCUMENTS, "Documents");
        case UserFolder::Templates:
            return special(G_USER_DIRECTORY_TEMPLATES, "Templates");
        case UserFolder::Applications:
            return below(dataHome(), "applications");
        case UserFolder::Autostart:
            return below(configHome(), "autostart");
        case UserFolder::Fonts:
            return below(dataHome(), "fonts");
    }
    return {};
}

}  // namespace arbel
