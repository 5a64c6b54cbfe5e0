#pragma once
// What opening paths from outside (the command line, another program over the
// session bus) does on disk: which folder windows to open and which entries to
// select in each.

#include <string>
#include <vector>

namespace arbel::app {

enum class ShowMode {
    // A folder opens on its contents; anything else opens its folder with it
    // selected (the command line, "show these folders").
    Contents,
    // Every path is selected in its folder, folders too ("show these items").
    Item,
    // Every path gets its properties window; no folder window opens.
    Properties,
};

struct OpenTarget {
    std::string folder;               // folder form
    std::vector<std::string> select;  // names in `folder` (bytes), in the order given
};

struct ResolvedTargets {
    // One target a folder, in the order folders first appear; two paths in the
    // same folder share its window.
    std::vector<OpenTarget> targets;
    std::vector<std::string> missing;  // paths that name nothing (not even a broken link)
};

// `paths` are absolute and clean (see cleanPath). A link to a folder counts as
// a folder and keeps its own path; a broken link is an item of its folder.
ResolvedTargets resolveTargets(const std::vector<std::string>& paths, ShowMode mode);

}  // namespace arbel::app
