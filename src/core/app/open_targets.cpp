#include "core/app/open_targets.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/dir.h"
#include "platform/fileops.h"

namespace arbel::app {

namespace {

OpenTarget& targetFor(std::vector<OpenTarget>& targets, const std::string& folder) {
    auto it =
        std::find_if(targets.begin(), targets.end(), [&](const OpenTarget& t) { return t.folder == folder; });
    if (it != targets.end()) return *it;
    return targets.emplace_back(OpenTarget{folder, {}});
}

}  // namespace

ResolvedTargets resolveTargets(const std::vector<std::string>& paths, ShowMode mode) {
    ResolvedTargets out;
    for (const std::string& path : paths) {
        if (!statPath(path, false)) {
            out.missing.push_back(path);
            continue;
        }
        const auto followed = statPath(path, true);
        const bool folder = followed && S_ISDIR(followed->st_mode);
        if (path == "/" || (folder && mode == ShowMode::Contents)) {
            targetFor(out.targets, path);
            continue;
        }
        OpenTarget& target = targetFor(out.targets, parentPath(path));
        std::string name = baseName(path);
        if (std::find(target.select.begin(), target.select.end(), name) == target.select.end())
            target.select.push_back(std::move(name));
    }
    return out;
}

}  // namespace arbel::app
