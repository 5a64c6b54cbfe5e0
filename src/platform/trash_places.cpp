#include "platform/trash_places.h"

#include <unistd.h>

#include "platform/paths.h"

namespace arbel {

namespace {

std::string_view withoutTrailingSlash(std::string_view p) {
    while (p.size() > 1 && p.back() == '/') p.remove_suffix(1);
    return p;
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool strictlyBelow(std::string_view path, std::string_view folder) {
    folder = withoutTrailingSlash(folder);
    if (folder.empty()) return false;
    path = withoutTrailingSlash(path);
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.substr(0, folder.size()) == folder &&
           path[folder.size()] == '/';
}

}  // namespace

TrashPlaces TrashPlaces::current() {
    TrashPlaces t;
    t.dataHome = std::string(withoutTrailingSlash(arbel::dataHome()));
    t.uid = static_cast<unsigned>(::getuid());
    return t;
}

std::string TrashPlaces::homeTrash() const {
    if (dataHome.empty()) return {};
    return std::string(withoutTrailingSlash(dataHome)) + "/Trash";
}

bool TrashPlaces::isTrashLocation(std::string_view path) const {
    const std::string id = std::to_string(uid);
    auto isTop = [&](std::string_view p) {
        const std::string home = homeTrash();
        if (!home.empty() && p == home) return true;
        return endsWith(p, "/.Trash-" + id) || endsWith(p, "/.Trash/" + id);
    };
    std::string_view p = withoutTrailingSlash(path);
    if (isTop(p)) return true;
    return endsWith(p, "/files") && isTop(p.substr(0, p.size() - 6));
}

bool TrashPlaces::isBelowTrash(std::string_view path, std::string_view volumeRoot) const {
    if (strictlyBelow(path, homeTrash())) return true;
    std::string root(withoutTrailingSlash(volumeRoot));
    if (root != "/") root += '/';
    // The shared ".Trash" holds one folder per user: everything in it is trash.
    return strictlyBelow(path, root + ".Trash") ||
           strictlyBelow(path, root + ".Trash-" + std::to_string(uid));
}

}  // namespace arbel
