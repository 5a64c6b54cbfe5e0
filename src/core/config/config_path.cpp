#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/config/ini_file.h"

namespace arbel::config {

namespace {

constexpr const char* kFileName = "Arbelwin.cfg";

std::string join(std::string dir, const char* name) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir != "/") dir += '/';
    return dir + name;
}

std::string homeDir() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir && *pw->pw_dir == '/') return pw->pw_dir;
    return "/";
}

// `cmake --install` and the package put the desktop entry beside the program's
// folder (<prefix>/bin and <prefix>/share/applications). Such a program may sit
// in a folder its user can write (~/.local/bin, /usr/local/bin for the staff
// group), yet it is installed, not portable: its settings never go there.
bool installedProgram(const std::string& programDir) {
    struct stat st;
    return ::stat(join(programDir, "../share/applications/arbel.desktop").c_str(), &st) == 0;
}

}  // namespace

std::string configPath(const std::string& programDir) {
    if (!programDir.empty() && !installedProgram(programDir)) {
        std::string portable = join(programDir, kFileName);
        struct stat st;
        // For root every folder is writable, so only a settings file already
        // placed beside the program makes a portable install; otherwise root would
        // write its settings into the system's program folder.
        bool writable = ::access(programDir.c_str(), W_OK) == 0 &&
                        (::geteuid() != 0 || ::stat(portable.c_str(), &st) == 0);
        if (writable) return portable;
    }
    return join(settingsFolder(), kFileName);
}

std::string settingsFolder() {
    // The XDG rule: a relative XDG_CONFIG_HOME is invalid and ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base = xdg && *xdg == '/' ? std::string(xdg) : join(homeDir(), ".config");
    return join(base, "arbel");
}

}  // namespace arbel::config
