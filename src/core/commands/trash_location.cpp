#include "core/commands/trash_location.h"

#include <unistd.h>

#include <cstdlib>

namespace arbel::commands {

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

bool isTrashTop(const std::string& p, const std::string& dataHome, unsigned uid) {
    const std::string id = std::to_string(uid);
    if (!dataHome.empty() && p == withoutTrailingSlash(dataHome) + "/Trash") return true;
    return endsWith(p, "/.Trash-" + id) || endsWith(p, "/.Trash/" + id);
}

}  // namespace

bool isTrashLocation(const std::string& path, const std::string& dataHome, unsigned uid) {
    std::string p = withoutTrailingSlash(path);
    if (isTrashTop(p, dataHome, uid)) return true;
    return endsWith(p, "/files") && isTrashTop(p.substr(0, p.size() - 6), dataHome, uid);
}

bool isTrashLocation(const std::string& path) {
    std::string dataHome;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
        dataHome = x;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        dataHome = std::string(home) + "/.local/share";
    }
    return isTrashLocation(path, dataHome, static_cast<unsigned>(getuid()));
}

}  // namespace arbel::commands
