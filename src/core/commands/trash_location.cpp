#include "core/commands/trash_location.h"

#include <unistd.h>

#include "platform/paths.h"

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
    return isTrashLocation(path, dataHome(), static_cast<unsigned>(getuid()));
}

}  // namespace arbel::commands
