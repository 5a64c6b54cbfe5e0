#pragma once
// What a finished file operation means for the folder tree and the windows,
// worked out from the job's own record of each item: the interface applies it
// and never looks at the disk again to find out what happened.

#include <string>
#include <vector>

#include "core/ops/file_operation.h"

namespace arbel::ops {

struct AfterEffects {
    std::vector<std::string> treeAdd;     // folders that now exist: the tree learns them
    std::vector<std::string> treeRemove;  // items that went: the tree drops any node it has for them
    // Paths that went. Windows showing one of them or anything below it are
    // affected (path matches, never name prefixes): folder windows close; after a
    // delete file viewers close too and the auto-folder window moves up to the
    // parent of the path.
    std::vector<std::string> gone;
    bool closeViewers = false;
    bool autoFolderMovesUp = false;
    // Renamed folders: the tree renames the node, windows on it or below it show
    // the new path.
    struct Renamed {
        std::string from, to;
    };
    std::vector<Renamed> renamed;
    std::vector<std::string> refresh;  // folders whose windows reread, in this order
    bool dropVanishedResults = false;  // search rows of items that went leave the list
};

// fromSearch: the items were rows of the search results, whose folders reread
// after a copy too.
AfterEffects afterEffects(const OperationResult& result, bool fromSearch);

// Rename of one item (wasFolder: it was a folder) from `from` to `to`.
AfterEffects afterRename(const std::string& from, const std::string& to, bool wasFolder);

}  // namespace arbel::ops
